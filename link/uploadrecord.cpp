#include "uploadrecord.h"

#include "pcbprotocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

using namespace PcbProtocol;

namespace {

// The texts belong to the link, whose messages they complete.
QString linkText(const char *text)
{
    return QCoreApplication::translate("FsManager", text);
}

} // namespace

QString UploadRecord::read(const QString &path, bool big, QByteArray &record)
{
    const QString fileName = QFileInfo(path).fileName();
    // The board stores Latin-1 names; anything else would arrive as question marks, and two
    // such names would overwrite each other there.
    if (!isLatin1(fileName))
        return linkText(" не удалось передать: имя файла содержит символы, которые контроллер не "
                        "поддерживает. Передача отменена!");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return linkText(" не удалось открыть. Передача отменена!");

    // The small form announces the content in 16 bits; a longer file would be stored cut short.
    const qint64 maxContent = big ? kBigFormMaxContent : qint64(kSmallFormMaxContent);
    const QString tooBig =
        linkText(" не удалось передать: файл больше %1 байт. Передача отменена!").arg(maxContent);
    const int headerSize = uploadHeaderSize(big);
    record = QByteArray(headerSize, '\0');
    if (!file.isSequential()) {
        const qint64 size = file.size();
        if (paddedLength(size) > maxContent)
            return tooBig;
        record.reserve(static_cast<int>(headerSize + paddedLength(size)));
        record.resize(static_cast<int>(headerSize + size));
        const qint64 got = file.read(record.data() + headerSize, size);
        if (got < 0)
            return linkText(" не удалось открыть. Передача отменена!");
        record.resize(static_cast<int>(headerSize + got));
    }
    // Picks up the content of a sequential file, or what a regular one grew by meanwhile.
    const QByteArray rest = file.readAll();
    if (paddedLength(qint64(record.size()) + rest.size() - headerSize) > maxContent)
        return tooBig;
    record.append(rest);

    const qint64 contentSize = record.size() - headerSize;
    const qint64 padded = paddedLength(contentSize);
    record.append(static_cast<int>(padded - contentSize), '\0');
    writeUploadHeader(record.data(), fileName, static_cast<quint32>(padded), big);
    return QString();
}
