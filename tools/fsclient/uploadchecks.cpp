#include "uploadchecks.h"

#include "uploadpaths.h"
#include "uploadrules.h"

#include <QFileInfo>

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

QStringList sizeRefusals(const QStringList &paths, bool bigForm)
{
    QStringList refusals;
    for (const QString &path : paths) {
        const UploadRules::Refusal refusal = UploadRules::checkSize(QFileInfo(path).size(), bigForm);
        if (refusal != UploadRules::Refusal::None)
            refusals << UploadRules::refusalText(refusal, path, bigForm);
    }
    return refusals;
}

} // namespace fsclient::uploadchecks
