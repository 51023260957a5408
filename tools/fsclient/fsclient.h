#pragma once

#include "filetable.h"
#include "options.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class FsManager;

namespace fsclient {

// One run of the client: connects the link, waits for the board's file table, carries out the
// command and reports its exit status through finished(). Every board exchange goes through the
// link; what is shown and how files are written follows the window's shared rules.
class FsClient final : public QObject
{
    Q_OBJECT

public:
    explicit FsClient(const ClientOptions &options, QObject *parent = nullptr);
    ~FsClient() override;
    FsClient(const FsClient &) = delete;
    FsClient &operator=(const FsClient &) = delete;

    // Starts the run; finished() follows exactly once, possibly before this returns.
    void start();

    // Exit statuses.
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsageError = 2;

signals:
    void finished(int ExitCode);

private:
    void tableArrived(const QList<FileTable::Row> &rows, uint32_t allMemory, uint32_t memoryUsed);
    void requestEnded(int command, int result, const QString &text);
    void filesArrived(const QMap<QString, QByteArray> &files);
    void commandStarted(const QString &description);
    void progressMoved(uint percent);
    void linkWentOffline();
    void runCommand();
    void printTable() const;
    void saveFiles();
    void fail(const QString &message);
    void finish(int exitCode);
    void endProgressLine();

    ClientOptions options;
    FsManager *link = nullptr;
    bool showProgress = false;
    bool progressShown = false;
    QString progressLabel;
    int shownPercent = -1;
    bool tableRead = false;
    int awaited = 0; // the command whose result ends the run once the table was read
    bool done = false;
    QList<FileTable::Row> rows;
    FileTable::Totals totals;
    QMap<QString, QByteArray> received;
};

} // namespace fsclient
