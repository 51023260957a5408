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

    // The files go one after the other, so the room must last at every step, not only at the end.
    QStringList roomRefusals()
    {
        QList<UploadRules::Change> changes;
        for (const FileItem &item : client.items())
            changes.append({item.name, QFileInfo(item.argument).size()});
        return uploadchecks::roomRefusals(client, changes, uploadchecks::RoomCheck::EveryStep);
    }
};

} // namespace

std::unique_ptr<Runner> makePutRunner(FsClient &client)
{
    return std::make_unique<PutRunner>(client);
}

} // namespace fsclient
