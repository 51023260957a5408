// velmora-fs get and rm: board files named on the command line, downloaded into a folder or
// deleted. Names the board's table lacks are told at once; the other files go ahead.
#include "fsrunner.h"

#include "clikit.h"
#include "fsclient.h"
#include "fstexts.h"
#include "pcbtypes.h"
#include "receivedfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>

namespace fsclient {

namespace {

// The named files as one batch of the link's Command.
class NamedFilesRunner : public Runner
{
public:
    NamedFilesRunner(FsClient &client, int command) : Runner(client), command(command) {}

    bool prepare() override
    {
        // A name given twice is one file.
        QSet<QString> named;
        for (const QString &name : client.options().arguments) {
            if (named.contains(name))
                continue;
            named.insert(name);
            client.items().append({name, name});
        }
        return true;
    }

    void run() override
    {
        const QHash<QString, qint64> sizes = client.boardSizes();
        QList<FileItem> &items = client.items();
        QList<int> batch;
        QStringList missing;
        for (int i = 0; i < items.size(); ++i) {
            if (sizes.contains(items.at(i).name)) {
                batch << i;
            } else {
                items[i].outcome = Outcome::Missing;
                missing << Texts::tr("%1: Файл не существует!").arg(quoted(items.at(i).name));
            }
        }
        if (!missing.isEmpty())
            client.err().writeLines(missing.join(QLatin1Char('\n')));
        if (batch.isEmpty()) {
            client.endRun(clikit::kFailure);
            return;
        }
        client.startBatch(command, batch);
    }

private:
    const int command;
};

// get: each file that arrives is kept until the batch ends, then written into the folder; the
// files that arrived whole are written also when the batch breaks off.
class GetRunner final : public NamedFilesRunner
{
public:
    explicit GetRunner(FsClient &client) : NamedFilesRunner(client, CmdGetFile) {}

    bool prepare() override
    {
        // A run on several boards checked the folder once and makes one inside it for each board.
        const QString refusal =
            client.options().oneOfMany ? QString() : outputFolderRefusal(client.options());
        if (!refusal.isEmpty()) {
            client.fail(refusal, clikit::kUsage);
            return false;
        }
        return NamedFilesRunner::prepare();
    }

    void itemDone(int index, const QString &name, const QByteArray &content) override
    {
        receivedAs.insert(index, name);
        received.insert(name, content);
        Runner::itemDone(index, name, content);
    }

    void batchEnded(bool completed) override
    {
        save();
        Runner::batchEnded(completed);
    }

    void connectionLost() override { save(); }

private:
    void save()
    {
        if (received.isEmpty())
            return;
        const ClientOptions &options = client.options();
        const QString folder = options.outputFolder.isEmpty() ? QDir::currentPath() : options.outputFolder;
        // A board's own folder of a run on several is made once it has something to hold; should
        // that fail, the files are told as not written.
        if (options.oneOfMany)
            QDir().mkpath(folder);
        const ReceivedFiles::SaveResult saved = ReceivedFiles::save(folder, received);
        received.clear();
        const QStringList notSaved = saved.badNames + saved.linksOut + saved.failed;
        QList<FileItem> &items = client.items();
        for (auto arrived = receivedAs.cbegin(); arrived != receivedAs.cend(); ++arrived) {
            FileItem &item = items[arrived.key()];
            if (item.outcome == Outcome::Done && notSaved.contains(arrived.value()))
                item.outcome = Outcome::NotSaved;
        }
        const QString unsaved = ReceivedFiles::messageText(saved);
        if (!unsaved.isEmpty())
            client.err().writeLines(unsaved);
    }

    QMap<QString, QByteArray> received; // by the name the board's reply carried
    QHash<int, QString> receivedAs;     // each item received, with the name its reply carried
};

} // namespace

QString outputFolderRefusal(const ClientOptions &options)
{
    if (options.outputFolder.isEmpty() || QFileInfo(options.outputFolder).isDir())
        return QString();
    return Texts::tr("-o: не папка: %1").arg(options.outputFolder);
}

std::unique_ptr<Runner> makeGetRunner(FsClient &client)
{
    return std::make_unique<GetRunner>(client);
}

std::unique_ptr<Runner> makeRemoveRunner(FsClient &client)
{
    return std::make_unique<NamedFilesRunner>(client, CmdDeleteFile);
}

} // namespace fsclient
