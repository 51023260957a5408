#include "uploadchecks.h"

#include "uploadpaths.h"
#include "uploadrules.h"

namespace fsclient::uploadchecks {

QStringList localRefusals(const QList<FileItem> &files)
{
    QStringList refusals;
    for (const FileItem &item : files) {
        const UploadRules::Refusal refusal =
            UploadPaths::isUploadable(item.argument)
                ? UploadRules::checkName(item.name, UploadRules::NamePolicy::Refuse)
                : UploadRules::Refusal::NotAFile;
        if (refusal != UploadRules::Refusal::None)
            refusals << UploadRules::refusalText(refusal, item.argument);
    }
    return refusals;
}

QStringList roomRefusals(FsClient &client, const QList<UploadRules::Change> &changes, RoomCheck check)
{
    QStringList refusals;
    for (int i = 0; i < changes.size(); ++i) {
        const UploadRules::Refusal refusal = UploadRules::checkSize(changes.at(i).size, client.bigForm());
        if (!changes.at(i).removes && refusal != UploadRules::Refusal::None)
            refusals << UploadRules::refusalText(refusal, client.items().at(i).argument, client.bigForm());
    }
    const FileTable::Totals &totals = client.totals();
    const qint64 free = qint64(totals.total) - qint64(totals.used);
    const qint64 missing = check == RoomCheck::EndState
                               ? UploadRules::missingRoomAtEnd(free, client.boardSizes(), changes)
                               : UploadRules::missingRoom(free, client.boardSizes(), changes);
    if (missing > 0)
        refusals << (check == RoomCheck::EndState ? UploadRules::endRoomText(missing)
                                                  : UploadRules::roomText(missing));
    return refusals;
}

} // namespace fsclient::uploadchecks
