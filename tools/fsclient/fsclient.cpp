#include "fsclient.h"

#include "fsmanager.h"
#include "receivedfiles.h"
#include "uploadpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fsclient {

namespace {

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void writeErr(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
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

FsClient::FsClient(const ClientOptions &options, QObject *parent) : QObject(parent), options(options) {}

FsClient::~FsClient()
{
    // The link goes with this object's children; it must not call back into a half-destroyed run.
    if (link)
        disconnect(link, nullptr, this, nullptr);
}

void FsClient::start()
{
    if (options.command == Command::Put) {
        // As a drop onto the window: anything but existing regular files refuses the whole lot.
        for (const QString &path : qAsConst(options.arguments)) {
            if (!UploadPaths::isUploadable(path)) {
                fail(tr("Файл: ") + path +
                     tr(" не найден или не является обычным файлом. Передача отменена!"));
                return;
            }
        }
    }
    if (options.command == Command::Get && !options.outputFolder.isEmpty() &&
        !QFileInfo(options.outputFolder).isDir()) {
        writeErr(QStringLiteral("velmora-fs: -o: не папка: %1\n").arg(options.outputFolder));
        finish(kUsageError);
        return;
    }

    showProgress = stderrIsTerminal();
    // Reads the address stored in the current folder; --host replaces it for this run only.
    link = new FsManager(this);
    if (options.hostGiven)
        link->usePcbIp(options.host);
    if (options.portGiven)
        link->setPcbPort(options.port);
    connect(link, &FsManager::listfilesReady, this,
            [this](const QList<FstEntry> &files, uint32_t all, uint32_t used) {
                tableArrived(FileTable::rows(files), all, used);
            });
    connect(link, &FsManager::listfilesReady_big, this,
            [this](const QList<FstEntry_big> &files, uint32_t all, uint32_t used) {
                tableArrived(FileTable::rows(files), all, used);
            });
    connect(link, &FsManager::filesRecievingIsFinished, this,
            [this](const QMap<QString, QByteArray> &files) { filesArrived(files); });
    connect(link, &FsManager::requestFinished, this, &FsClient::requestEnded);
    connect(link, &FsManager::startedRunCommand, this, &FsClient::commandStarted);
    connect(link, &FsManager::progressUpdated, this, &FsClient::progressMoved);
    connect(link, &FsManager::connectionStateIsUpdated, this, [this](int state) {
        if (state == 0)
            linkWentOffline();
    });
    link->connectToPcb();
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
        fail(text);
        return;
    }
    if (!tableRead) {
        if (command != CmdListFiles)
            return;
        if (result != ResultOk) {
            fail(text);
            return;
        }
        tableRead = true;
        runCommand();
        return;
    }
    // Lists the link reads by itself meanwhile end no part of the run.
    if (command != awaited)
        return;
    if (result != ResultOk) {
        fail(text);
        return;
    }
    if (command == CmdGetFile)
        saveFiles();
    else
        finish(kSuccess);
}

void FsClient::filesArrived(const QMap<QString, QByteArray> &files)
{
    received = files;
}

void FsClient::runCommand()
{
    switch (options.command) {
    case Command::List:
    case Command::Totals:
        printTable();
        finish(kSuccess);
        return;
    case Command::Put:
        awaited = CmdWriteFile;
        link->writeFiles(options.arguments);
        return;
    case Command::Remove:
        awaited = CmdDeleteFile;
        link->deleteFiles(options.arguments);
        return;
    case Command::Get: {
        // The sizes only weigh the progress figure; a name the table lacks is still asked for,
        // and the board's answer tells the rest.
        QMap<QString, uint> sizes;
        for (const QString &name : qAsConst(options.arguments))
            sizes.insert(name, 0);
        for (const FileTable::Row &row : qAsConst(rows)) {
            if (sizes.contains(row.name))
                sizes.insert(row.name, row.size);
        }
        awaited = CmdGetFile;
        link->getFiles(sizes);
        return;
    }
    }
}

void FsClient::printTable() const
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
        writeOut(QJsonDocument(document).toJson(QJsonDocument::Indented));
        return;
    }
    QString out;
    if (withFiles) {
        QList<QStringList> lines{FileTable::columnTitles()};
        for (const FileTable::Row &row : rows) {
            lines << QStringList{row.name, FileTable::dateText(row.modified), FileTable::sizeText(row.size),
                                 QString::number(row.address), QString::number(row.block)};
        }
        out = alignedTable(lines, {false, false, true, true, true}) + QLatin1Char('\n');
    }
    out += totalsText(totals);
    writeOut(out.toLocal8Bit());
}

void FsClient::saveFiles()
{
    const QString folder = options.outputFolder.isEmpty() ? QDir::currentPath() : options.outputFolder;
    const ReceivedFiles::SaveResult saved = ReceivedFiles::save(folder, received);
    received.clear();
    const QString unsaved = ReceivedFiles::messageText(saved);
    if (unsaved.isEmpty())
        finish(kSuccess);
    else
        fail(unsaved);
}

void FsClient::commandStarted(const QString &description)
{
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
    progressShown = true;
    writeErr(QStringLiteral("\r%1 %2%").arg(progressLabel).arg(shown, 3));
}

void FsClient::endProgressLine()
{
    if (progressShown) {
        writeErr(QStringLiteral("\n"));
        progressShown = false;
    }
}

void FsClient::linkWentOffline()
{
    // Every way offline but the client's own ends with a result; should one ever come without,
    // the run must not wait for ever.
    QTimer::singleShot(0, this, [this] {
        if (!done)
            fail(QStringLiteral("velmora-fs: соединение закрыто"));
    });
}

void FsClient::fail(const QString &message)
{
    endProgressLine();
    writeErr(message + QLatin1Char('\n'));
    finish(kFailure);
}

void FsClient::finish(int exitCode)
{
    if (done)
        return;
    done = true;
    endProgressLine();
    emit finished(exitCode);
}

} // namespace fsclient
