#include "uploadchecks.h"

#include "pcbprotocol.h"
#include "uploadpaths.h"

#include <QFileInfo>

namespace fsclient::uploadchecks {

QStringList localRefusals(const QList<FileItem> &files)
{
    QStringList refusals;
    for (const FileItem &item : files) {
        const QString file = QStringLiteral("Файл: ") + item.argument;
        if (!UploadPaths::isUploadable(item.argument))
            refusals << file + QStringLiteral(" не найден или не является обычным файлом.");
        else if (!PcbProtocol::isLatin1(item.name))
            refusals << file + QStringLiteral(" не удалось передать: имя файла содержит символы, которые "
                                              "контроллер не поддерживает.");
        // The board's name field would cut it, and two such files could overwrite each other.
        else if (item.name.size() > PcbProtocol::kMaxNameLength)
            refusals << file + QStringLiteral(" не удалось передать: имя файла длиннее %1 символа.")
                                   .arg(PcbProtocol::kMaxNameLength);
    }
    return refusals;
}

QStringList sizeRefusals(const QStringList &paths, bool bigForm)
{
    const qint64 maxContent =
        bigForm ? PcbProtocol::kBigFormMaxContent : qint64(PcbProtocol::kSmallFormMaxContent);
    QStringList refusals;
    for (const QString &path : paths) {
        if (PcbProtocol::paddedLength(QFileInfo(path).size()) > maxContent)
            refusals << QStringLiteral("Файл: %1 не удалось передать: файл больше %2 байт.")
                            .arg(path)
                            .arg(maxContent);
    }
    return refusals;
}

qint64 missingRoom(qint64 freeBytes, QHash<QString, qint64> stored, const QList<Change> &changes)
{
    qint64 room = freeBytes;
    qint64 missing = 0;
    for (const Change &change : changes) {
        const qint64 size = change.removes ? 0 : PcbProtocol::paddedLength(change.size);
        room += stored.value(change.name, 0) - size;
        stored.insert(change.name, size);
        missing = qMax(missing, -room);
    }
    return missing;
}

qint64 missingRoomAtEnd(qint64 freeBytes, const QHash<QString, qint64> &stored, const QList<Change> &changes)
{
    qint64 room = freeBytes;
    for (const Change &change : changes)
        room += stored.value(change.name, 0) - (change.removes ? 0 : PcbProtocol::paddedLength(change.size));
    return qMax<qint64>(0, -room);
}

QString roomText(qint64 missingBytes)
{
    return QStringLiteral("Файлы не помещаются в свободную память платы, не хватает байт: %1.")
        .arg(missingBytes);
}

QString endRoomText(qint64 missingBytes)
{
    return QStringLiteral("Файлы не поместятся в память платы, не хватает байт: %1.").arg(missingBytes);
}

} // namespace fsclient::uploadchecks
