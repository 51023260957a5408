#pragma once

#include <QString>

// Which local files may be sent to the board in one go, as one drop onto the window.
namespace UploadPaths {

// A drop sends at most this many files.
constexpr int kMaxPerDrop = 256;

// True for an existing regular file (or a link to one); folders, missing paths, devices and
// pipes are refused.
bool isUploadable(const QString &path);

} // namespace UploadPaths
