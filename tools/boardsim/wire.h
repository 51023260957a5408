#pragma once

#include <QByteArray>
#include <cstdint>

// The board's side of the wire format, written independently of the link so that each checks
// the other. All numbers are little-endian, records packed.
namespace boardsim::wire {

constexpr char kStartByte = 0x0B;
constexpr char kFormSmall = 0x0C;
constexpr char kFormBig = 0x0D;

constexpr int kCmdList = 1;
constexpr int kCmdWrite = 2;
constexpr int kCmdDelete = 3;
constexpr int kCmdKeepAlive = 4;
constexpr int kCmdGet = 5;

// Request: start byte, form byte, command byte, payload.
constexpr int kRequestHeaderSize = 3;

// Reply: uint16 total length, start byte, form byte, command byte, payload.
constexpr int kReplyHeaderSize = 5;
constexpr int kMaxSmallFrame = 0xFFFF;
// Big download reply: 2 bytes not read by the link, start, form 0x0D, command 5, 1 spare byte,
// uint32 total length.
constexpr int kBigReplyHeaderSize = 10;
constexpr int kBigLengthOffset = 6;

// File table record, also the header of an upload record.
constexpr int kNameFieldSize = 52;
constexpr int kMaxNameLength = kNameFieldSize - 1;
constexpr int kTimeOffset = 52;
constexpr int kAddressOffset = 56;
constexpr int kSizeOffset = 60;
constexpr int kSmallBlockOffset = 62;
constexpr int kBigBlockOffset = 64;
constexpr int kSmallRecordSize = 64;
constexpr int kBigRecordSize = 66;

// List reply payload: uint32 total memory, uint16 record count, records, optional form request.
constexpr int kListPrefixSize = 6;

inline int recordSize(bool big)
{
    return big ? kBigRecordSize : kSmallRecordSize;
}

void putU16(char *at, quint16 value);
void putU32(char *at, quint32 value);
quint16 getU16(const char *at);
quint32 getU32(const char *at);

struct Record
{
    QByteArray name; // without the zero byte
    quint32 modifyTime = 0;
    quint32 address = 0;
    quint32 size = 0;
    quint16 blockNumber = 0;
};

// One file table record. In the small form a size above 65535 is reported as 65535.
QByteArray encodeRecord(const Record &record, bool big);

// Upload record header: the name up to its first zero byte (empty if the field has none within
// 52 bytes, which no sender may produce) and the size field. `header` must hold recordSize(big) bytes.
struct UploadHeader
{
    QByteArray name;
    quint32 size = 0;
    bool nameTerminated = false;
};
UploadHeader decodeUploadHeader(const char *header, bool big);

// A whole reply frame with the 16-bit length header; `startByte` lets a test fault corrupt it.
// The payload must leave the frame within 65535 bytes.
QByteArray replyFrame(char form, int command, const QByteArray &payload, char startByte = kStartByte);

// The 10-byte header of a big download reply announcing `totalLength` bytes (header included).
QByteArray bigDownloadHeader(quint32 totalLength, char startByte = kStartByte);

} // namespace boardsim::wire
