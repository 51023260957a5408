#include "fsclient.h"

#include "clikit.h"
#include "fscommands.h"
#include "fsmanager.h"
#include "fsrunner.h"
#include "fstexts.h"

#include <QJsonDocument>
#include <QMap>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iterator>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fsclient {

using clikit::kFailure;
using clikit::kSuccess;
using clikit::kUnreachable;

namespace {

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

} // namespace

QString quoted(const QString &name)
{
    return Texts::tr("«%1»", "a file's name in a message").arg(name);
}

FsClient::FsClient(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent)
    : QObject(parent), runOptions(options), row(commandRow(options.command)), output(out), errors(err),
      runner(row.makeRunner(*this))
{}

FsClient::~FsClient()
{
    // The link goes with this object's children; it must not call back into a half-destroyed run.
    if (link)
        disconnect(link, nullptr, this, nullptr);
}

void FsClient::start()
{
    if (!runner->prepare())
        return;
    // Several boards' progress would overwrite each other on one line.
    showProgress = stderrIsTerminal() && !runOptions.oneOfMany;
    // Reads the address stored in the current folder; --host replaces it for this run only.
    link = new FsManager(this);
    if (runOptions.hostGiven)
        link->usePcbIp(runOptions.host);
    if (runOptions.portGiven)
        link->setPcbPort(runOptions.port);
    connect(link, &FsManager::listfilesReady, this,
            [this](const QList<FstEntry> &files, uint32_t all, uint32_t used) {
                bigFormTable = false;
                tableArrived(FileTable::rows(files), all, used);
            });
    connect(link, &FsManager::listfilesReady_big, this,
            [this](const QList<FstEntry_big> &files, uint32_t all, uint32_t used) {
                bigFormTable = true;
                tableArrived(FileTable::rows(files), all, used);
            });
    connect(link, &FsManager::batchItemDone, this, &FsClient::itemDone);
    connect(link, &FsManager::requestFinished, this, &FsClient::requestEnded);
    connect(link, &FsManager::startedRunCommand, this, &FsClient::commandStarted);
    connect(link, &FsManager::progressUpdated, this, &FsClient::progressMoved);
    connect(link, &FsManager::connectionStateIsUpdated, this, [this](int state) {
        if (state == 1) {
            everConnected = true;
            // The table is queued right after this signal.
            sendQueued();
        } else
            linkWentOffline();
    });
    link->connectToPcb();
}

void FsClient::tableArrived(const QList<FileTable::Row> &list, uint32_t allMemory, uint32_t memoryUsed)
{
    tableRows = list;
    // In the order the window first shows them: by name, as its list compares texts.
    std::stable_sort(tableRows.begin(), tableRows.end(),
                     [](const FileTable::Row &a, const FileTable::Row &b) {
                         return a.name.localeAwareCompare(b.name) < 0;
                     });
    tableTotals = FileTable::totals(list.size(), allMemory, memoryUsed);
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
            fail(Texts::tr("таблица файлов платы не прочитана: %1").arg(text), kFailure);
            return;
        }
        tableRead = true;
        runner->run();
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
    runner->itemDone(batch.at(itemsDone++), name, content);
}

QHash<QString, qint64> FsClient::boardSizes() const
{
    QHash<QString, qint64> sizes;
    for (const FileTable::Row &row : tableRows)
        sizes.insert(row.name, row.size);
    return sizes;
}

const FsClient::BatchKind &FsClient::batchKind(int command)
{
    static const BatchKind kinds[] = {
        {CmdWriteFile, true, &FsClient::sendFiles,
         QT_TRANSLATE_NOOP("VelmoraFs", "передача прервана; сохранила ли его плата, неизвестно"),
         QT_TRANSLATE_NOOP("VelmoraFs", "Остальные файлы не переданы:")},
        {CmdDeleteFile, true, &FsClient::deleteFiles,
         QT_TRANSLATE_NOOP("VelmoraFs", "удаление прервано; удалила ли его плата, неизвестно"),
         QT_TRANSLATE_NOOP("VelmoraFs", "Остальные файлы не удалены:")},
        {CmdGetFile, false, &FsClient::getFiles, QT_TRANSLATE_NOOP("VelmoraFs", "получение прервано"),
         QT_TRANSLATE_NOOP("VelmoraFs", "Остальные файлы не получены:")},
    };
    const auto kind = std::find_if(std::cbegin(kinds), std::cend(kinds),
                                   [command](const BatchKind &k) { return k.command == command; });
    Q_ASSERT(kind != std::cend(kinds));
    return kind != std::cend(kinds) ? *kind : kinds[std::size(kinds) - 1];
}

void FsClient::startBatch(int command, const QList<int> &items)
{
    batch = items;
    itemsDone = 0;
    batchStarted = false;
    awaited = command;
    awaitedKind = &batchKind(command);
    changedBoard = changedBoard || awaitedKind->changesBoard;
    (this->*awaitedKind->handOver)();
    sendQueued();
}

void FsClient::listAgain()
{
    batch.clear();
    itemsDone = 0;
    batchStarted = false;
    awaited = CmdListFiles;
    awaitedKind = nullptr;
    // The link lists the board after each batch by itself: this asks for that listing, or for one
    // if none is queued.
    link->getListFiles();
    sendQueued();
}

void FsClient::sendQueued()
{
    // Queued: the link may be inside the signal that led here.
    QMetaObject::invokeMethod(link, &FsManager::runQueuedCommand, Qt::QueuedConnection);
}

// Uploads read local paths; the board's commands take its names.
void FsClient::sendFiles()
{
    QStringList paths;
    for (const int index : qAsConst(batch))
        paths << files.at(index).argument;
    link->writeFiles(paths);
}

void FsClient::deleteFiles()
{
    QStringList names;
    for (const int index : qAsConst(batch))
        names << files.at(index).name;
    link->deleteFiles(names);
}

void FsClient::getFiles()
{
    // The link asks for the names in ascending byte order.
    std::sort(batch.begin(), batch.end(),
              [this](int a, int b) { return files.at(a).name.toLatin1() < files.at(b).name.toLatin1(); });
    // The sizes only weigh the progress figure.
    const QHash<QString, qint64> tableSizes = boardSizes();
    QMap<QString, uint> sizes;
    for (const int index : qAsConst(batch))
        sizes.insert(files.at(index).name, static_cast<uint>(tableSizes.value(files.at(index).name)));
    link->getFiles(sizes);
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
    runner->batchEnded(result == ResultOk);
}

void FsClient::reportBreak(const QString &reason)
{
    if (!awaitedKind || itemsDone >= batch.size())
        return;
    const Outcome outcome = reason.isEmpty() ? Outcome::Interrupted : Outcome::Refused;
    FileItem &current = files[batch.at(itemsDone)];
    current.outcome = outcome;
    QStringList lines{quoted(current.argument) + QStringLiteral(": ") +
                      (outcome == Outcome::Refused ? reason : Texts::tr(awaitedKind->interrupted))};
    const QList<int> rest = batch.mid(itemsDone + 1);
    if (!rest.isEmpty()) {
        lines << Texts::tr(awaitedKind->rest);
        for (const int index : rest)
            lines << quoted(files.at(index).argument);
    }
    errors.writeLines(lines.join(QLatin1Char('\n')));
}

void FsClient::connectionLost(const QString &linkText)
{
    errors.writeLines(connectionText(linkText));
    if (batchStarted)
        reportBreak(QString());
    runner->connectionLost();
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
    const PcbConnectionEnd end = link->connectionEnd();
    const bool noAnswer = error == QAbstractSocket::SocketTimeoutError || end == ConnectionTimedOut;
    if (!everConnected) {
        QString reason;
        if (noAnswer)
            reason = Texts::tr("нет ответа в отведённое время");
        else if (error == QAbstractSocket::ConnectionRefusedError)
            reason = Texts::tr("в соединении отказано");
        else if (error == QAbstractSocket::NetworkError)
            reason = Texts::tr("сеть недоступна");
        return reason.isEmpty() ? Texts::tr("не удалось подключиться к %1").arg(address)
                                : Texts::tr("не удалось подключиться к %1: %2").arg(address, reason);
    }
    if (noAnswer)
        return Texts::tr("соединение с %1 разорвано: плата не ответила в отведённое время").arg(address);
    if (error == QAbstractSocket::RemoteHostClosedError)
        return Texts::tr("соединение с %1 потеряно: плата закрыла соединение").arg(address);
    // The link's own words (a reply too long to take) are in the program's language already.
    if (end == ConnectionReplyTooLong && !linkText.isEmpty())
        return address + QStringLiteral(": ") + linkText;
    return Texts::tr("соединение с %1 потеряно").arg(address);
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
    errors.rewriteLine(QStringLiteral("%1 %2%").arg(progressLabel).arg(shown, 3));
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

void FsClient::emitDocument(const QJsonObject &document)
{
    QJsonObject told = document;
    if (runOptions.earlierTryChanged)
        told.insert(QStringLiteral("changedByEarlierTry"), true);
    if (runOptions.oneOfMany)
        json = told;
    else
        output.write(QString::fromUtf8(QJsonDocument(told).toJson(QJsonDocument::Indented)));
}

QString FsClient::outcomeWord(Outcome outcome) const
{
    switch (outcome) {
    case Outcome::NotDone:
        return row.texts.notDone ? Texts::tr(row.texts.notDone) : QString();
    case Outcome::Done:
        return row.texts.done ? Texts::tr(row.texts.done) : QString();
    case Outcome::Missing:
        return Texts::tr("нет на плате");
    case Outcome::Refused:
        return Texts::tr("отказ");
    case Outcome::Interrupted:
        return Texts::tr("прерван");
    case Outcome::NotSaved:
        return Texts::tr("не сохранён");
    }
    return QString();
}

int FsClient::reportOutcomes(int exitCode)
{
    bool allDone = true;
    QString lines;
    for (const FileItem &item : qAsConst(files)) {
        allDone = allDone && item.outcome == Outcome::Done;
        lines += outcomeWord(item.outcome) + QLatin1Char('\t') + item.argument + QLatin1Char('\n');
    }
    if (runOptions.verbose)
        output.write(lines);
    return exitCode == kSuccess && !allDone ? kFailure : exitCode;
}

void FsClient::fail(const QString &message, int exitCode)
{
    errors.writeLines(message);
    endRun(exitCode);
}

void FsClient::endRun(int exitCode)
{
    if (done)
        return;
    done = true;
    errors.endLine();
    emit finished(runner->finish(exitCode));
}

} // namespace fsclient
