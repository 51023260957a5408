#include "uploadrules.h"

#include "pcbprotocol.h"

#include <QCoreApplication>
#include <limits>

using namespace PcbProtocol;

namespace UploadRules {

namespace {

QString ruleText(const char *text)
{
    return QCoreApplication::translate("UploadRules", text);
}

// The lowest room left after any of the changes (none when there are none); Final is the room at the
// end.
qint64 lowestRoom(qint64 freeBytes, QHash<QString, qint64> stored, const QList<Change> &changes,
                  qint64 &final)
{
    qint64 room = freeBytes;
    qint64 lowest = std::numeric_limits<qint64>::max();
    for (const Change &change : changes) {
        room += stored.value(change.name, 0);
        if (change.removes) {
            stored.remove(change.name);
        } else {
            const qint64 size = storedSize(change.size);
            room -= size;
            stored.insert(change.name, size);
        }
        lowest = qMin(lowest, room);
    }
    final = room;
    return lowest;
}

} // namespace

int maxNameLength()
{
    return kMaxNameLength;
}

qint64 maxContent(bool bigForm)
{
    return bigForm ? kBigFormMaxContent : qint64(kSmallFormMaxContent);
}

qint64 storedSize(qint64 size)
{
    return paddedLength(size);
}

Refusal checkName(const QString &name, NamePolicy policy)
{
    if (policy == NamePolicy::Refuse && name.isEmpty())
        return Refusal::NameEmpty;
    if (!isLatin1(name))
        return Refusal::NameNotLatin1;
    if (policy == NamePolicy::Refuse && name.size() > kMaxNameLength)
        return Refusal::NameTooLong;
    return Refusal::None;
}

QString storedName(const QString &name)
{
    return name.left(kMaxNameLength);
}

Refusal checkSize(qint64 size, bool bigForm)
{
    return storedSize(size) > maxContent(bigForm) ? Refusal::TooBig : Refusal::None;
}

qint64 missingRoom(qint64 freeBytes, const QHash<QString, qint64> &stored, const QList<Change> &changes)
{
    qint64 final = 0;
    return qMax<qint64>(0, -lowestRoom(freeBytes, stored, changes, final));
}

qint64 missingRoomAtEnd(qint64 freeBytes, const QHash<QString, qint64> &stored, const QList<Change> &changes)
{
    qint64 final = 0;
    lowestRoom(freeBytes, stored, changes, final);
    return qMax<qint64>(0, -final);
}

QString refusalText(Refusal refusal, const QString &path, bool bigForm)
{
    // Several markers are filled at once, so that a path holding "%2" stays as it is.
    switch (refusal) {
    case Refusal::None:
        return QString();
    case Refusal::NotAFile:
        return ruleText(
                   QT_TRANSLATE_NOOP("UploadRules", "Файл: %1 не найден или не является обычным файлом."))
            .arg(path);
    case Refusal::CannotOpen:
        return ruleText(QT_TRANSLATE_NOOP("UploadRules", "Файл: %1 не удалось открыть.")).arg(path);
    case Refusal::NameEmpty:
        return ruleText(QT_TRANSLATE_NOOP("UploadRules", "Файл: %1 не удалось передать: у файла нет имени."))
            .arg(path);
    case Refusal::NameNotLatin1:
        return ruleText(QT_TRANSLATE_NOOP(
                            "UploadRules",
                            "Файл: %1 не удалось передать: имя файла содержит символы, которые контроллер не "
                            "поддерживает."))
            .arg(path);
    case Refusal::NameTooLong:
        return ruleText(QT_TRANSLATE_NOOP("UploadRules",
                                          "Файл: %1 не удалось передать: имя файла длиннее %2 символа."))
            .arg(path, QString::number(kMaxNameLength));
    case Refusal::TooBig:
        return ruleText(
                   QT_TRANSLATE_NOOP("UploadRules", "Файл: %1 не удалось передать: файл больше %2 байт."))
            .arg(path, QString::number(maxContent(bigForm)));
    }
    return QString();
}

QString roomText(qint64 missingBytes)
{
    return ruleText(QT_TRANSLATE_NOOP("UploadRules",
                                      "Файлы не помещаются в свободную память платы, не хватает байт: %1."))
        .arg(missingBytes);
}

QString endRoomText(qint64 missingBytes)
{
    return ruleText(
               QT_TRANSLATE_NOOP("UploadRules", "Файлы не поместятся в память платы, не хватает байт: %1."))
        .arg(missingBytes);
}

} // namespace UploadRules
