// velmora-fs put: local files uploaded as one drop onto the window. Everything that can be checked
// first is checked, and if anything fails nothing is sent.
#include "fsrunner.h"

#include "clikit.h"
#include "fsclient.h"
#include "fstexts.h"
#include "pcbtypes.h"
#include "uploadchecks.h"
#include "uploadrules.h"

#include <QFileInfo>

namespace fsclient {

namespace {

class PutRunner final : public Runner
{
public:
    using Runner::Runner;

    // The files, their names and kinds: told before connecting.
    bool prepare() override
    {
        QList<FileItem> &items = client.items();
        // Two paths may carry the same name: each is sent, the later one replacing the earlier.
        for (const QString &path : client.options().arguments)
            items.append({path, QFileInfo(path).fileName()});
        return refuseAny(uploadchecks::localRefusals(items));
    }

    // Their sizes and the room on the board: told once the table was read.
    void run() override
    {
        if (!refuseAny(roomRefusals()))
            return;
        QList<int> batch;
        for (int i = 0; i < client.items().size(); ++i)
            batch << i;
        client.startBatch(CmdWriteFile, batch);
    }

private:
    bool refuseAny(const QStringList &refusals)
    {
        return Runner::refuseAny(refusals, Texts::tr("Передача отменена: ничего не передано."));
    }

    QStringList roomRefusals() const
    {
        QStringList paths;
        QList<UploadRules::Change> changes;
        for (const FileItem &item : client.items()) {
            paths << item.argument;
            changes.append({item.name, QFileInfo(item.argument).size()});
        }
        QStringList refusals = uploadchecks::sizeRefusals(paths, client.bigForm());
        // The files go one after the other, so the room must last at every step, not only at the end.
        const FileTable::Totals &totals = client.totals();
        const qint64 missing = UploadRules::missingRoom(qint64(totals.total) - qint64(totals.used),
                                                        client.boardSizes(), changes);
        if (missing > 0)
            refusals << UploadRules::roomText(missing);
        return refusals;
    }
};

} // namespace

std::unique_ptr<Runner> makePutRunner(FsClient &client)
{
    return std::make_unique<PutRunner>(client);
}

} // namespace fsclient
