#pragma once

#include <QByteArray>
#include <QString>

// One local file as the board stores it: the header of the current form, then the content padded
// with zero bytes to a multiple of 4.
class UploadRecord
{
public:
    // Reads the file at Path whole into Record. Empty on success; else the text that follows the
    // path in the message telling why nothing of the upload goes out.
    static QString read(const QString &path, bool big, QByteArray &record);
};
