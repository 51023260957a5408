#include "fsclient.h"

#include "clikit.h"
#include "fsmanager.h"
#include "pcbprotocol.h"
#include "receivedfiles.h"
#include "uploadpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fsclient {

using clikit::kFailure;
using clikit::kSuccess;
using clikit::kUnreachable;
using clikit::kUsage;

namespace {

// The link's text for a time limit that ran out.
const QString kTimeLimitText = QStringLiteral("Ошибка подключения");

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// The columns of a table, padded to the widest cell; numbers to the right.
QString alignedTable(const QList<QStringList> &lines, const QList<bool> &rightAligned)
{
    QList<int> widths;
    for (int column = 0; column < rightAligned.size(); ++column) {
        int width = 0;
        for (const QStringList &line : lines)
            width = qMax(width, line.at(column).size());
        widths << width;
    }
    QString out;
    for (const QStringList &line : lines) {
        QString text;
        for (int column = 0; column < line.size(); ++column) {
            if (column > 0)
                text += QStringLiteral("  ");
            text += rightAligned.at(column) ? line.at(column).rightJustified(widths.at(column))
                                            : line.at(column).leftJustified(widths.at(column));
        }
        // Padding after the last column is of no use in a terminal.
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out += text + QLatin1Char('\n');
    }
    return out;
}

QString totalsText(const FileTable::Totals &totals)
{
    const FileTable::StatusTexts texts = FileTable::statusTexts(totals);
    QString out;
    for (const QString &line : {texts.count, texts.total, texts.used, texts.free})
        out += line.trimmed() + QLatin1Char('\n');
    return out;
}

QJsonObject totalsJson(const FileTable::Totals &totals)
{
    return {{QStringLiteral("count"), totals.count},
            {QStringLiteral("total"), qint64(totals.total)},
            {QStringLiteral("used"), qint64(totals.used)},
            {QStringLiteral("free"), qint64(totals.free)}};
}

} // namespace

QString quoted(const QString &name)
{
    return QStringLiteral("«") + name + QStringLiteral("»");
}

const CommandRow FsClient::kCommands[] = {
    {"ls", Command::List, Operands::None, true, false, false, false, &FsClient::showTable},
    {"df", Command::Totals, Operands::None, true, false, false, false, &FsClient::showTable},
    {"put", Command::Put, Operands::LocalFiles, false, true, false, false, &FsClient::putFiles},
    {"get", Command::Get, Operands::BoardNames, false, true, true, false, &FsClient::fetchOrRemoveFiles},
    {"rm", Command::Remove, Operands::BoardNames, false, true, false, false, &FsClient::fetchOrRemoveFiles},
    {"sync", Command::Sync, Operands::Folder, true, true, false, true, &FsClient::syncFolder},
};

const CommandRow *FsClient::findCommand(const QString &name)
{
    return clikit::findCommand(kCommands, name);
}

QString FsClient::commandsWith(bool CommandRow::*option)
{
    QStringList names;
    for (const CommandRow &row : kCommands) {
        if (row.*option)
            names << QString::fromLatin1(row.name);
    }
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" и ") + last;
}

FsClient::FsClient(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent)
    : QObject(parent), options(options), out(out), err(err)
{}

FsClient::~FsClient()
{
    // The link goes with this object's children; it must not call back into a half-destroyed run.
    if (link)
        disconnect(link, nullptr, this, nullptr);
}

void FsClient::start()
{
    const bool put = options.command == Command::Put;
    const bool sync = options.command == Command::Sync;
    // sync's items are the folder's files.
    if (sync && !listFolder())
        return;
    QSet<QString> named;
    const QStringList arguments = sync ? QStringList() : options.arguments;
    for (const QString &argument : arguments) {
        // A board name given twice is one file; two paths may still carry the same name.
        if (!put && named.contains(argument))
            continue;
        named.insert(argument);
        items.append(
            {argument, put ? QFileInfo(argument).fileName() : argument, Outcome::NotDone, QString()});
    }
    if (put || sync) {
        const QStringList refusals = localRefusals();
        if (!refusals.isEmpty()) {
            fail(refusals.join(QLatin1Char('\n')), kFailure);
            return;
        }
    }
    // A run on several boards checked the folder once and makes one inside it for each board.
    if (options.command == Command::Get && !options.oneOfMany && !options.outputFolder.isEmpty() &&
        !QFileInfo(options.outputFolder).isDir()) {
        err.writeLines(QStringLiteral("-o: не папка: %1").arg(options.outputFolder));
        done = true;
        emit finished(kUsage);
        return;
    }

    // Several boards' progress would overwrite each other on one line.
    showProgress = stderrIsTerminal() && !options.oneOfMany;
    // Reads the address stored in the current folder; --host replaces it for this run only.
    link = new FsManager(this);
    if (options.hostGiven)
        link->usePcbIp(options.host);
    if (options.portGiven)
        link->setPcbPort(options.port);
    connect(link, &FsManager::listfilesReady, this,
            [this](const QList<FstEntry> &files, uint32_t all, uint32_t used) {
                bigForm = false;
                tableArrived(FileTable::rows(files), all, used);
            });
    connect(link, &FsManager::listfilesReady_big, this,
            [this](const QList<FstEntry_big> &files, uint32_t all, uint32_t used) {
                bigForm = true;
                tableArrived(FileTable::rows(files), all, used);
            });
    connect(link, &FsManager::batchItemDone, this, &FsClient::itemDone);
    connect(link, &FsManager::requestFinished, this, &FsClient::requestEnded);
    connect(link, &FsManager::startedRunCommand, this, &FsClient::commandStarted);
    connect(link, &FsManager::progressUpdated, this, &FsClient::progressMoved);
    connect(link, &FsManager::connectionStateIsUpdated, this, [this](int state) {
        if (state == 1)
            everConnected = true;
        else
            linkWentOffline();
    });
    link->connectToPcb();
}

QStringList FsClient::localRefusals() const
{
    // Checked before connecting: anything here refuses the whole lot, as a drop onto the window.
    QStringList refusals;
    for (const Item &item : items) {
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
    if (!refusals.isEmpty())
        refusals << cancelledText();
    return refusals;
}

QStringList FsClient::sizeRefusals() const
{
    const qint64 maxContent =
        bigForm ? PcbProtocol::kBigFormMaxContent : qint64(PcbProtocol::kSmallFormMaxContent);
    QStringList refusals;
    for (const Item &item : items) {
        if (item.change != Change::Deleted &&
            PcbProtocol::paddedLength(QFileInfo(item.argument).size()) > maxContent)
            refusals << QStringLiteral("Файл: %1 не удалось передать: файл больше %2 байт.")
                            .arg(item.argument)
                            .arg(maxContent);
    }
    return refusals;
}

QString FsClient::cancelledText() const
{
    return options.command == Command::Sync ? QStringLiteral("Синхронизация отменена: ничего не изменено.")
                                            : QStringLiteral("Передача отменена: ничего не передано.");
}

QStringList FsClient::roomRefusals() const
{
    QHash<QString, qint64> stored = boardSizes();
    QStringList refusals = sizeRefusals();
    // The board stores whole 4-byte words, and a file of a name it holds replaces that file. The
    // files go one after the other, so the room must last at every step, not only at the end.
    qint64 room = qint64(totals.total) - qint64(totals.used);
    qint64 missing = 0;
    for (const Item &item : items) {
        const qint64 size = PcbProtocol::paddedLength(QFileInfo(item.argument).size());
        room += stored.value(item.name, 0) - size;
        stored.insert(item.name, size);
        missing = qMax(missing, -room);
    }
    if (missing > 0)
        refusals << QStringLiteral("Файлы не помещаются в свободную память платы, не хватает байт: %1.")
                        .arg(missing);
    if (!refusals.isEmpty())
        refusals << cancelledText();
    return refusals;
}

void FsClient::tableArrived(const QList<FileTable::Row> &list, uint32_t allMemory, uint32_t memoryUsed)
{
    rows = list;
    // In the order the window first shows them: by name, as its list compares texts.
    std::stable_sort(rows.begin(), rows.end(), [](const FileTable::Row &a, const FileTable::Row &b) {
        return a.name.localeAwareCompare(b.name) < 0;
    });
    totals = FileTable::totals(list.size(), allMemory, memoryUsed);
}

void FsClient::requestEnded(int command, int result, const QString &text)
{
    if (done)
        return;
    if (result == ResultConnectionLost) {
        connectionLost(text);
        return;
    }
    if (!tableRead) {
        if (command != CmdListFiles)
            return;
        if (result != ResultOk) {
            fail(QStringLiteral("таблица файлов платы не прочитана: ") + text, kFailure);
            return;
        }
        tableRead = true;
        runCommand();
        return;
    }
    // Lists the link reads by itself meanwhile end no part of the run.
    if (command == awaited)
        batchEnded(result, text);
}

void FsClient::itemDone(int command, const QString &name, const QByteArray &content)
{
    if (done || command != awaited || itemsDone >= batch.size())
        return;
    Item &item = items[batch.at(itemsDone++)];
    if (comparing) {
        compareReceived(item, content);
        return;
    }
    if (command == CmdGetFile) {
        item.receivedAs = name;
        received.insert(name, content);
    }
    item.outcome = Outcome::Done;
}

void FsClient::runCommand()
{
    for (const CommandRow &row : kCommands) {
        if (row.command == options.command) {
            (this->*row.run)();
            return;
        }
    }
}

void FsClient::showTable()
{
    printTable();
    endRun(kSuccess);
}

void FsClient::putFiles()
{
    const QStringList refusals = roomRefusals();
    if (!refusals.isEmpty()) {
        fail(refusals.join(QLatin1Char('\n')), kFailure);
        return;
    }
    for (int i = 0; i < items.size(); ++i)
        batch << i;
    startBatch(CmdWriteFile);
}

void FsClient::fetchOrRemoveFiles()
{
    // Names the table lacks are told at once; the others go ahead.
    const QHash<QString, qint64> sizes = boardSizes();
    QStringList missing;
    for (int i = 0; i < items.size(); ++i) {
        if (sizes.contains(items.at(i).name)) {
            batch << i;
        } else {
            items[i].outcome = Outcome::Missing;
            missing << quoted(items.at(i).name) + QStringLiteral(": Файл не существует!");
        }
    }
    if (!missing.isEmpty())
        err.writeLines(missing.join(QLatin1Char('\n')));
    if (batch.isEmpty()) {
        endRun(kFailure);
        return;
    }
    startBatch(options.command == Command::Get ? CmdGetFile : CmdDeleteFile);
}

QHash<QString, qint64> FsClient::boardSizes() const
{
    QHash<QString, qint64> sizes;
    for (const FileTable::Row &row : rows)
        sizes.insert(row.name, row.size);
    return sizes;
}

void FsClient::startBatch(int command)
{
    // Uploads read local paths; the board's commands take its names.
    QStringList arguments;
    for (const int index : qAsConst(batch))
        arguments << (command == CmdWriteFile ? items.at(index).argument : items.at(index).name);
    itemsDone = 0;
    batchStarted = false;
    awaited = command;
    switch (command) {
    case CmdWriteFile:
        link->writeFiles(arguments);
        return;
    case CmdDeleteFile:
        link->deleteFiles(arguments);
        return;
    case CmdGetFile: {
        // The link asks for the names in ascending byte order.
        std::sort(batch.begin(), batch.end(),
                  [this](int a, int b) { return items.at(a).name.toLatin1() < items.at(b).name.toLatin1(); });
        // The sizes only weigh the progress figure.
        const QHash<QString, qint64> tableSizes = boardSizes();
        QMap<QString, uint> sizes;
        for (const QString &name : qAsConst(arguments))
            sizes.insert(name, static_cast<uint>(tableSizes.value(name)));
        link->getFiles(sizes);
        return;
    }
    default:
        return;
    }
}

void FsClient::batchEnded(int result, const QString &text)
{
    if (result == ResultFileRefused) {
        // A local file the link could not read: it sent nothing of the call and says which.
        fail(text, kFailure);
        return;
    }
    if (result != ResultOk)
        reportBreak(text);
    if (options.command == Command::Sync) {
        if (result != ResultOk) {
            endRun(kFailure);
        } else if (comparing) {
            comparing = false;
            planSync();
        } else {
            startNextBatch();
        }
        return;
    }
    if (options.command == Command::Get)
        saveReceived();
    endRun(kSuccess);
}

void FsClient::reportBreak(const QString &reason)
{
    if (itemsDone >= batch.size())
        return;
    const Outcome outcome = reason.isEmpty() ? Outcome::Interrupted : Outcome::Refused;
    Item &current = items[batch.at(itemsDone)];
    current.outcome = outcome;
    QString text = quoted(current.argument) + QStringLiteral(": ");
    if (outcome == Outcome::Refused) {
        text += reason;
    } else {
        switch (awaited) {
        case CmdWriteFile:
            text += QStringLiteral("передача прервана; сохранила ли его плата, неизвестно");
            break;
        case CmdDeleteFile:
            text += QStringLiteral("удаление прервано; удалила ли его плата, неизвестно");
            break;
        default:
            text += QStringLiteral("получение прервано");
            break;
        }
    }
    QStringList lines{text};
    const QList<int> rest = batch.mid(itemsDone + 1);
    if (!rest.isEmpty()) {
        lines << (awaited == CmdWriteFile ? QStringLiteral("Остальные файлы не переданы:")
                  : awaited == CmdDeleteFile ? QStringLiteral("Остальные файлы не удалены:")
                                             : QStringLiteral("Остальные файлы не получены:"));
        for (const int index : rest)
            lines << quoted(items.at(index).argument);
    }
    err.writeLines(lines.join(QLatin1Char('\n')));
}

void FsClient::connectionLost(const QString &linkText)
{
    err.writeLines(connectionText(linkText));
    if (batchStarted)
        reportBreak(QString());
    if (options.command == Command::Get)
        saveReceived();
    endRun(kUnreachable);
}

QString FsClient::boardAddress() const
{
    return QStringLiteral("%1:%2").arg(link->getPcbIp().toString()).arg(link->getPcbPort());
}

QString FsClient::connectionText(const QString &linkText) const
{
    // The link passes the socket's own text on, which is the system's English: told here in
    // words of the kind of failure instead.
    const QString address = boardAddress();
    const QAbstractSocket::SocketError error = link->lastSocketError();
    const bool noAnswer = error == QAbstractSocket::SocketTimeoutError ||
                          (error == QAbstractSocket::UnknownSocketError && linkText == kTimeLimitText);
    if (!everConnected) {
        QString reason;
        if (noAnswer)
            reason = QStringLiteral("нет ответа в отведённое время");
        else if (error == QAbstractSocket::ConnectionRefusedError)
            reason = QStringLiteral("в соединении отказано");
        else if (error == QAbstractSocket::NetworkError)
            reason = QStringLiteral("сеть недоступна");
        const QString text = QStringLiteral("не удалось подключиться к %1").arg(address);
        return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
    }
    if (noAnswer)
        return QStringLiteral("соединение с %1 разорвано: плата не ответила в отведённое время").arg(address);
    if (error == QAbstractSocket::RemoteHostClosedError)
        return QStringLiteral("соединение с %1 потеряно: плата закрыла соединение").arg(address);
    // The link's own words (a reply too long to take) are Russian already.
    if (error == QAbstractSocket::UnknownSocketError && !linkText.isEmpty())
        return address + QStringLiteral(": ") + linkText;
    return QStringLiteral("соединение с %1 потеряно").arg(address);
}

void FsClient::saveReceived()
{
    if (received.isEmpty())
        return;
    const QString folder = options.outputFolder.isEmpty() ? QDir::currentPath() : options.outputFolder;
    // A board's own folder of a run on several is made once it has something to hold; should that
    // fail, the files are told as not written.
    if (options.oneOfMany)
        QDir().mkpath(folder);
    const ReceivedFiles::SaveResult saved = ReceivedFiles::save(folder, received);
    received.clear();
    const QStringList notSaved = saved.badNames + saved.linksOut + saved.failed;
    for (Item &item : items) {
        if (item.outcome == Outcome::Done && notSaved.contains(item.receivedAs))
            item.outcome = Outcome::NotSaved;
    }
    const QString unsaved = ReceivedFiles::messageText(saved);
    if (!unsaved.isEmpty())
        err.writeLines(unsaved);
}

void FsClient::printTable()
{
    const bool withFiles = options.command == Command::List;
    if (options.json) {
        QJsonObject document = totalsJson(totals);
        if (withFiles) {
            QJsonArray files;
            for (const FileTable::Row &row : rows) {
                files.append(QJsonObject{{QStringLiteral("name"), row.name},
                                         {QStringLiteral("date"), row.modified.toUTC().toString(Qt::ISODate)},
                                         {QStringLiteral("size"), qint64(row.size)},
                                         {QStringLiteral("address"), qint64(row.address)},
                                         {QStringLiteral("block"), int(row.block)}});
            }
            document.insert(QStringLiteral("files"), files);
        }
        emitDocument(document);
        return;
    }
    QString text;
    if (withFiles) {
        QList<QStringList> lines{FileTable::columnTitles()};
        for (const FileTable::Row &row : rows) {
            lines << QStringList{row.name, FileTable::dateText(row.modified), FileTable::sizeText(row.size),
                                 QString::number(row.address), QString::number(row.block)};
        }
        text = alignedTable(lines, {false, false, true, true, true}) + QLatin1Char('\n');
    }
    text += totalsText(totals);
    out.write(text);
}

void FsClient::commandStarted(const QString &description)
{
    if (tableRead && awaited != 0)
        batchStarted = true;
    progressLabel = description;
    shownPercent = -1;
}

void FsClient::progressMoved(uint percent)
{
    const int shown = static_cast<int>(qMin(percent, 100u));
    // The link reports every piece of an upload; the line changes only with the figure.
    if (done || !showProgress || progressLabel.isEmpty() || shown == shownPercent)
        return;
    shownPercent = shown;
    err.rewriteLine(QStringLiteral("%1 %2%").arg(progressLabel).arg(shown, 3));
}

void FsClient::linkWentOffline()
{
    // Every way offline but the client's own ends with a result; should one ever come without,
    // the run must not wait for ever.
    QTimer::singleShot(0, this, [this] {
        if (!done)
            connectionLost(QString());
    });
}

QString FsClient::outcomeWord(Outcome outcome) const
{
    const bool put = options.command == Command::Put;
    const bool get = options.command == Command::Get;
    switch (outcome) {
    case Outcome::NotDone:
        return put   ? QStringLiteral("не передан")
               : get ? QStringLiteral("не получен")
                     : QStringLiteral("не удалён");
    case Outcome::Done:
        return put ? QStringLiteral("передан") : get ? QStringLiteral("получен") : QStringLiteral("удалён");
    case Outcome::Missing:
        return QStringLiteral("нет на плате");
    case Outcome::Refused:
        return QStringLiteral("отказ");
    case Outcome::Interrupted:
        return QStringLiteral("прерван");
    case Outcome::NotSaved:
        return QStringLiteral("не сохранён");
    }
    return QString();
}

void FsClient::fail(const QString &message, int exitCode)
{
    err.writeLines(message);
    endRun(exitCode);
}

void FsClient::endRun(int exitCode)
{
    if (done)
        return;
    done = true;
    err.endLine();
    if (options.command == Command::Sync) {
        // Nothing to tell of a folder that could not be read.
        if (exitCode != kUsage)
            printSync();
        if (exitCode == kSuccess && !boardMatches())
            exitCode = kFailure;
        emit finished(exitCode);
        return;
    }
    bool allDone = true;
    QString lines;
    for (const Item &item : qAsConst(items)) {
        allDone = allDone && item.outcome == Outcome::Done;
        lines += outcomeWord(item.outcome) + QLatin1Char('\t') + item.argument + QLatin1Char('\n');
    }
    if (options.verbose)
        out.write(lines);
    if (exitCode == kSuccess && !allDone)
        exitCode = kFailure;
    emit finished(exitCode);
}

} // namespace fsclient
