#include "pcbprotocol.h"

#include <QtEndian>
#include <cstring>

namespace PcbProtocol {

QByteArray requestHeader(bool big, PcbCommand command)
{
    QByteArray header;
    // Room for a name as well (its length byte, the name, its zero): a request that names a file
    // is then made in one allocation.
    header.reserve(kRequestHeaderSize + 1 + kNameFieldSize);
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

namespace {

// The file table record of each form, which is also the header of an upload record in that form:
// where the two forms differ, and nothing else.
template <typename Entry> struct EntryLayout;
template <> struct EntryLayout<FstEntry>
{
    static constexpr int kSize = kSmallEntrySize;
    static constexpr int kBlockOffset = kSmallEntryBlockOffset;
    using SizeField = quint16;
    // A list in the small form may end with a byte that asks for the big form.
    static constexpr bool kCanAskForBigForm = true;
};
template <> struct EntryLayout<FstEntry_big>
{
    static constexpr int kSize = kBigEntrySize;
    static constexpr int kBlockOffset = kBigEntryBlockOffset;
    using SizeField = quint32;
    static constexpr bool kCanAskForBigForm = false;
};

template <typename Entry> void writeHeader(char *header, const QString &fileName, quint32 contentSize)
{
    using Layout = EntryLayout<Entry>;
    using SizeField = typename Layout::SizeField;
    std::memset(header, 0, static_cast<size_t>(Layout::kSize));
    const QByteArray name = fileName.left(kMaxNameLength).toLatin1();
    std::memcpy(header, name.constData(), static_cast<size_t>(name.size()));
    // The name's length sits where the file table keeps the block number.
    const quint16 nameLength = static_cast<quint16>(qMin(fileName.size() + 1, kNameFieldSize));
    qToLittleEndian<SizeField>(static_cast<SizeField>(contentSize), header + kEntrySizeOffset);
    qToLittleEndian<quint16>(nameLength, header + Layout::kBlockOffset);
}

} // namespace

void writeUploadHeader(char *header, const QString &fileName, quint32 contentSize, bool big)
{
    if (big)
        writeHeader<FstEntry_big>(header, fileName, contentSize);
    else
        writeHeader<FstEntry>(header, fileName, contentSize);
}

namespace {

// Callers pass a pointer with at least EntryLayout<Entry>::kSize bytes behind it.
template <typename Entry> Entry decodeEntry(const uint8_t *record)
{
    using Layout = EntryLayout<Entry>;
    Entry entry;
    std::memcpy(entry.name, record, sizeof entry.name);
    entry.modifyTime = qFromLittleEndian<quint32>(record + kEntryTimeOffset);
    entry.address = qFromLittleEndian<quint32>(record + kEntryAddressOffset);
    entry.size = qFromLittleEndian<typename Layout::SizeField>(record + kEntrySizeOffset);
    entry.blockNumber = qFromLittleEndian<quint16>(record + Layout::kBlockOffset);
    return entry;
}

template <typename Entry> ListReply<Entry> decodeList(const uint8_t *data, uint size)
{
    constexpr uint entrySize = EntryLayout<Entry>::kSize;
    ListReply<Entry> reply;
    if (size < kListHeaderSize)
        return reply;
    reply.valid = true;
    reply.allMemory = qFromLittleEndian<quint32>(data);
    const uint count = qFromLittleEndian<quint16>(data + kListCountOffset);
    uint offset = kListHeaderSize;
    while (uint(reply.entries.size()) < count && size - offset >= entrySize) {
        const Entry entry = decodeEntry<Entry>(data + offset);
        reply.memoryUsed += entry.size;
        reply.entries.append(entry);
        offset += entrySize;
    }
    // The board may ask for the big form with one byte after the records; an empty table
    // carries no such request.
    if (EntryLayout<Entry>::kCanAskForBigForm && !reply.entries.isEmpty() && offset < size &&
        data[offset] == 1)
        reply.asksForBigForm = true;
    return reply;
}

} // namespace

ListReply<FstEntry> decodeSmallList(const uint8_t *data, uint size)
{
    return decodeList<FstEntry>(data, size);
}

ListReply<FstEntry_big> decodeBigList(const uint8_t *data, uint size)
{
    return decodeList<FstEntry_big>(data, size);
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
    if (status == kStatusNoSuchFile) {
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
