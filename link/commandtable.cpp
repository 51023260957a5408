#include "commandtable.h"

#include "pcbprotocol.h"

#include <QCoreApplication>
#include <QtGlobal>

using namespace PcbProtocol;

namespace {

// The texts are the link's own, shown by the window as they come.
QString linkText(const char *text)
{
    return QCoreApplication::translate("FsManager", text);
}

const char kNetworkErrorText[] = QT_TRANSLATE_NOOP("FsManager", "Ошибка сети!");
const char kOkText[] = QT_TRANSLATE_NOOP("FsManager", "Ok");

constexpr int kListLimitMs = 10000;
constexpr int kWriteLimitMs = 15000; // per record, and counted again from every piece sent
constexpr int kDeleteLimitMs = 5000;
constexpr int kKeepAliveLimitMs = 5000;
constexpr int kFirstFileLimitMs = 50000;
constexpr int kNextFileLimitMs = 20000;

constexpr CommandRow::Refusal kNoRefusal{0, ResultOk, nullptr};
constexpr CommandRow::Refusal kNoMemory{kStatusNoMemory, ResultNoMemory,
                                        QT_TRANSLATE_NOOP("FsManager", "Не хватает памяти на контроллере!")};
constexpr CommandRow::Refusal kNoSuchFile{kStatusNoSuchFile, ResultNoSuchFile,
                                          QT_TRANSLATE_NOOP("FsManager", "Файл не существует!")};

void tellUploadEnd(FsManager &link, const QString &text, const QMap<QString, QByteArray> &)
{
    emit link.filesSendingIsFinished(text);
}

void tellDeleteEnd(FsManager &link, const QString &text, const QMap<QString, QByteArray> &)
{
    emit link.fileDeletingIsFinished(text);
}

void tellDownloadEnd(FsManager &link, const QString &text, const QMap<QString, QByteArray> &files)
{
    emit link.filesRecievingIsFinished(files, text);
}

} // namespace

const CommandRow *CommandRow::find(int command)
{
    // Indexed by the command's code, which is also its byte on the wire. Columns: command, its time
    // limits (first, further), the text its start shows, its batch, the status the board refuses an
    // item with, its traits, the request writer, the reply handler and the finish signal.
    static const CommandRow rows[] = {
        {CmdListFiles, kListLimitMs, 0, nullptr, BatchBook::NoBatch, kNoRefusal, NoTraits,
         &FsManager::sendHeader, &FsManager::readListFiles, nullptr},
        {CmdWriteFile, kWriteLimitMs, kWriteLimitMs, QT_TRANSLATE_NOOP("FsManager", "Отправка файлов..."),
         BatchBook::Uploads, kNoMemory, SentInPieces, &FsManager::sendRecord, &FsManager::readItemStatus,
         tellUploadEnd},
        {CmdDeleteFile, kDeleteLimitMs, kDeleteLimitMs, QT_TRANSLATE_NOOP("FsManager", "Удаление файла..."),
         BatchBook::Deletions, kNoSuchFile, NoTraits, &FsManager::sendName, &FsManager::readItemStatus,
         tellDeleteEnd},
        {CmdKeepAlive, kKeepAliveLimitMs, 0, nullptr, BatchBook::NoBatch, kNoRefusal, QuietBreak,
         &FsManager::sendHeader, &FsManager::readKeepAlive, nullptr},
        // The big form's get reply has a header of its own, which the reply collector reads.
        {CmdGetFile, kFirstFileLimitMs, kNextFileLimitMs,
         QT_TRANSLATE_NOOP("FsManager", "Получение файлов..."), BatchBook::Downloads, kNoSuchFile,
         OkTranslated | ShowsArrival, &FsManager::sendName, &FsManager::readRecievFile, tellDownloadEnd},
    };
    constexpr int count = int(sizeof rows / sizeof rows[0]);
    if (command < 1 || command > count)
        return nullptr;
    const CommandRow &row = rows[command - 1];
    Q_ASSERT(row.command == command);
    return &row;
}

const CommandRow &CommandRow::of(PcbCommand command)
{
    const CommandRow *row = find(command);
    Q_ASSERT(row);
    return row ? *row : *find(CmdKeepAlive);
}

QString CommandRow::started() const
{
    return startedText ? linkText(startedText) : QString();
}

QString CommandRow::okText() const
{
    return has(OkTranslated) ? linkText(kOkText) : QString::fromLatin1(kOkText);
}

CommandRow::Ending CommandRow::ending(ItemReply reply) const
{
    if (reply == ItemReply::Refused)
        return {true, refusal.result, linkText(refusal.text)};
    return {reply != ItemReply::UnknownStatus, ResultNetworkError, networkErrorText()};
}

ItemReply CommandRow::statusReply(const uint8_t *payload, uint size) const
{
    // An empty reply counts as a network error.
    if (size == 0 || payload[0] == kStatusNetworkError)
        return ItemReply::NetworkError;
    if (payload[0] == kStatusOk)
        return ItemReply::Done;
    if (payload[0] == refusal.status)
        return ItemReply::Refused;
    return ItemReply::UnknownStatus;
}

QString CommandRow::networkErrorText()
{
    return linkText(kNetworkErrorText);
}
