#pragma once

#include "uploadrules.h"

#include <QByteArray>
#include <QString>

// One local file as the board stores it: the header of the current form, then the content padded
// with zero bytes to a multiple of 4. The window's upload: a long name is shortened
// (UploadRules::NamePolicy::Shorten).
class UploadRecord
{
public:
    // Reads the file at Path whole into Record, in the big form or the small one. Refusal::None on
    // success; else why nothing of the upload goes out (UploadRules::refusalText tells it).
    static UploadRules::Refusal read(const QString &path, bool big, QByteArray &record);
};
