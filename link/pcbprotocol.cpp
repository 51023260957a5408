#include "pcbprotocol.h"

#include <QtEndian>
#include <cstring>

namespace PcbProtocol {

QByteArray requestHeader(bool big, PcbCommand command)
{
    QByteArray header;
    header.reserve(kRequestHeaderSize);
    header.append(kStartByte);
    header.append(big ? kBigForm : kSmallForm);
    header.append(static_cast<char>(command));
    return header;
}

QByteArray boardFileName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return QByteArray();
    QByteArray bytes = name.toLatin1();
    bytes.append('\0');
    return bytes;
}

bool isLatin1(const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() > 0xFF)
            return false;
    }
    return true;
}

qint64 paddedLength(qint64 length)
{
    return (length + 3) & ~qint64(3);
}

int uploadHeaderSize(bool big)
{
    return big ? kBigEntrySize : kSmallEntrySize;
}

void writeUploadHeader(char *header, const QString &fileName, quint32 contentSize, bool big)
{
    std::memset(header, 0, static_cast<size_t>(uploadHeaderSize(big)));
    const QByteArray name = fileName.left(kMaxNameLength).toLatin1();
    std::memcpy(header, name.constData(), static_cast<size_t>(name.size()));
    const quint16 nameLength = static_cast<quint16>(qMin(fileName.size() + 1, kNameFieldSize));
    if (big) {
        qToLittleEndian<quint32>(contentSize, header + kEntrySizeOffset);
        qToLittleEndian<quint16>(nameLength, header + kBigEntryBlockOffset);
    } else {
        qToLittleEndian<quint16>(static_cast<quint16>(contentSize), header + kEntrySizeOffset);
        qToLittleEndian<quint16>(nameLength, header + kSmallEntryBlockOffset);
    }
}

// Callers pass a pointer with at least kSmallEntrySize / kBigEntrySize bytes behind it.
FstEntry decodeEntry(const uint8_t *record)
{
    FstEntry entry;
    std::memcpy(entry.name, record, sizeof entry.name);
    entry.modifyTime = qFromLittleEndian<quint32>(record + kEntryTimeOffset);
    entry.address = qFromLittleEndian<quint32>(record + kEntryAddressOffset);
    entry.size = qFromLittleEndian<quint16>(record + kEntrySizeOffset);
    entry.blockNumber = qFromLittleEndian<quint16>(record + kSmallEntryBlockOffset);
    return entry;
}

FstEntry_big decodeEntryBig(const uint8_t *record)
{
    FstEntry_big entry;
    std::memcpy(entry.name, record, sizeof entry.name);
    entry.modifyTime = qFromLittleEndian<quint32>(record + kEntryTimeOffset);
    entry.address = qFromLittleEndian<quint32>(record + kEntryAddressOffset);
    entry.size = qFromLittleEndian<quint32>(record + kEntrySizeOffset);
    entry.blockNumber = qFromLittleEndian<quint16>(record + kBigEntryBlockOffset);
    return entry;
}

namespace {

template <typename Entry, typename Decode>
ListReply<Entry> decodeList(const uint8_t *data, uint size, uint entrySize, Decode decode)
{
    ListReply<Entry> reply;
    if (size < kListHeaderSize)
        return reply;
    reply.valid = true;
    reply.allMemory = qFromLittleEndian<quint32>(data);
    const uint count = qFromLittleEndian<quint16>(data + kListCountOffset);
    uint offset = kListHeaderSize;
    while (uint(reply.entries.size()) < count && size - offset >= entrySize) {
        const Entry entry = decode(data + offset);
        reply.memoryUsed += entry.size;
        reply.entries.append(entry);
        offset += entrySize;
    }
    // The board may ask for the big form with one byte after the records; an empty table
    // carries no such request.
    if (!reply.entries.isEmpty() && offset < size && data[offset] == 1)
        reply.asksForBigForm = true;
    return reply;
}

} // namespace

ListReply<FstEntry> decodeSmallList(const uint8_t *data, uint size)
{
    return decodeList<FstEntry>(data, size, kSmallEntrySize, decodeEntry);
}

ListReply<FstEntry_big> decodeBigList(const uint8_t *data, uint size)
{
    ListReply<FstEntry_big> reply = decodeList<FstEntry_big>(data, size, kBigEntrySize, decodeEntryBig);
    reply.asksForBigForm = false;
    return reply;
}

FileReply decodeFileReply(const uint8_t *data, uint size)
{
    FileReply reply;
    if (size == 0)
        return reply;
    const quint8 status = data[kFileStatusOffset];
    if (status == kStatusNetworkError) {
        reply.kind = FileReply::NetworkError;
        return reply;
    }
    if (status == kStatusSecondError) {
        reply.kind = FileReply::NoSuchFile;
        return reply;
    }
    // A bare status byte is only meaningful for the two error statuses above.
    if (size < 2)
        return reply;
    if (status != kStatusOk) {
        reply.kind = FileReply::OtherStatus;
        return reply;
    }
    reply.kind = FileReply::File;
    // The name length counts the name and its terminating zero; a name reaching past the payload
    // is cut.
    const uint nameLength = data[kFileNameLengthOffset];
    if (nameLength >= 2 && size > kFileNameOffset) {
        const uint nameEnd = qMin(nameLength + kFileNameOffset - 1, size);
        reply.name = QString::fromLatin1(reinterpret_cast<const char *>(data + kFileNameOffset),
                                         int(nameEnd - kFileNameOffset));
    }
    reply.contentOffset = qMin(nameLength + kFileNameOffset, size);
    reply.contentSize = size - reply.contentOffset;
    return reply;
}

} // namespace PcbProtocol
