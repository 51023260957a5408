#include "uploadrecord.h"

#include "pcbprotocol.h"

#include <QFile>
#include <QFileInfo>

using namespace PcbProtocol;
using UploadRules::Refusal;

Refusal UploadRecord::read(const QString &path, bool big, QByteArray &record)
{
    const QString fileName = QFileInfo(path).fileName();
    const Refusal nameRefusal = UploadRules::checkName(fileName, UploadRules::NamePolicy::Shorten);
    if (nameRefusal != Refusal::None)
        return nameRefusal;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refusal::CannotOpen;

    const int headerSize = uploadHeaderSize(big);
    record = QByteArray(headerSize, '\0');
    if (!file.isSequential()) {
        // A regular file is judged by its size before anything is read.
        const qint64 size = file.size();
        if (UploadRules::checkSize(size, big) != Refusal::None)
            return Refusal::TooBig;
        record.reserve(static_cast<int>(headerSize + UploadRules::storedSize(size)));
        record.resize(static_cast<int>(headerSize + size));
        const qint64 got = file.read(record.data() + headerSize, size);
        if (got < 0)
            return Refusal::CannotOpen;
        record.resize(static_cast<int>(headerSize + got));
    }
    // Picks up the content of a sequential file, or what a regular one grew by meanwhile.
    const QByteArray rest = file.readAll();
    if (UploadRules::checkSize(qint64(record.size()) + rest.size() - headerSize, big) != Refusal::None)
        return Refusal::TooBig;
    record.append(rest);

    const qint64 contentSize = record.size() - headerSize;
    const qint64 padded = UploadRules::storedSize(contentSize);
    record.append(static_cast<int>(padded - contentSize), '\0');
    writeUploadHeader(record.data(), UploadRules::storedName(fileName), static_cast<quint32>(padded), big);
    return Refusal::None;
}
