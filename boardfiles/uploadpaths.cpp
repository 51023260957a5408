#include "uploadpaths.h"

#include <QFileInfo>

namespace UploadPaths {

bool isUploadable(const QString &path)
{
    // isFile() is false for anything missing, so no separate existence check.
    return QFileInfo(path).isFile();
}

} // namespace UploadPaths
