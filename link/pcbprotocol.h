#pragma once

#include "pcbtypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdint>

// Byte layouts of the board's file protocol and pure codecs for them. Nothing here touches a
// socket, so tests and the fuzzer can exercise every decoder with plain byte arrays.
namespace PcbProtocol {

constexpr char kStartByte = 0x0B;
constexpr char kSmallForm = 0x0C;
constexpr char kBigForm = 0x0D;

constexpr int kRequestHeaderSize = 3;
constexpr int kReplyHeaderSize = 5;    // uint16 length, start, form, command
constexpr int kBigFileHeaderSize = 10; // ... plus one spare byte and a uint32 length
constexpr int kReplyLengthOffset = 0;
constexpr int kReplyStartOffset = 2;
constexpr int kReplyFormOffset = 3;
constexpr int kReplyCommandOffset = 4;
constexpr int kBigFileLengthOffset = 6;

// Longest reply frame the link takes in. A download brings its whole file in one frame, held in
// memory until it is complete, so this also bounds what a hostile or broken length field can make
// the link allocate.
constexpr qint64 kMaxReplyLength = qint64(1) << 30;

// Upload data leaves in pieces of at most this size; the board reads it in such portions.
constexpr int kUploadPieceSize = 1380;

// File table record and upload header.
constexpr int kNameFieldSize = 52;
constexpr int kMaxNameLength = kNameFieldSize - 1; // the field always keeps a terminating zero
constexpr int kEntryTimeOffset = 52;
constexpr int kEntryAddressOffset = 56;
constexpr int kEntrySizeOffset = 60;
constexpr int kSmallEntryBlockOffset = 62;
constexpr int kBigEntryBlockOffset = 64;
constexpr int kSmallEntrySize = 64;
constexpr int kBigEntrySize = 66;
// The small form describes a record's content with 16 bits; padding to 4 bytes makes 65532
// the largest content that form can announce correctly.
constexpr quint32 kSmallFormMaxContent = 0xFFFF & ~quint32(3);
// Most a get reply adds around a file's content: the big header, the status and name length bytes,
// and the longest name with its zero byte.
constexpr int kMaxFileReplyOverhead = kBigFileHeaderSize + 2 + kNameFieldSize;
// Largest content (padded) of an upload in the big form: the reply that brings the file back must
// still fit kMaxReplyLength, or a file the link stored could never be downloaded.
constexpr qint64 kBigFormMaxContent = (kMaxReplyLength - kMaxFileReplyOverhead) & ~qint64(3);

// List reply payload: uint32 total memory, uint16 record count, the records.
constexpr int kListCountOffset = 4;
constexpr int kListHeaderSize = 6;

// Status bytes of the write, delete and get replies. The board refuses an item with the same byte
// 2 for the reason of its command: the command table (commandtable.h) names it for each.
constexpr quint8 kStatusOk = 0;
constexpr quint8 kStatusNetworkError = 1;
constexpr quint8 kStatusNoMemory = 2;   // write: not enough memory on the board
constexpr quint8 kStatusNoSuchFile = 2; // delete, get: the board holds no file of that name

// The 3-byte start of every request: start byte, form byte, command code.
QByteArray requestHeader(bool big, PcbCommand command);

// A board file name as sent in delete and get requests: Latin-1 bytes plus one zero byte.
// Empty when the name does not have 1 to kMaxNameLength characters.
QByteArray boardFileName(const QString &name);

// True when every character of the text has a Latin-1 byte of its own.
bool isLatin1(const QString &text);

// Content length after padding with zero bytes to a multiple of 4.
qint64 paddedLength(qint64 length);

// Fills the header of an upload record (kSmallEntrySize or kBigEntrySize bytes at Header) for a
// file called FileName whose padded content is ContentSize bytes long.
void writeUploadHeader(char *header, const QString &fileName, quint32 contentSize, bool big);
int uploadHeaderSize(bool big);

template <typename Entry> struct ListReply
{
    bool valid = false; // false when the payload is too short to hold the list header
    quint32 allMemory = 0;
    quint32 memoryUsed = 0;
    QList<Entry> entries;
    bool asksForBigForm = false; // small form only: a byte 1 after the last record taken
};

// The list reply's payload in the small and in the big form.
ListReply<FstEntry> decodeSmallList(const uint8_t *data, uint size);
ListReply<FstEntry_big> decodeBigList(const uint8_t *data, uint size);

// Payload of a get reply: a status byte, a byte counting the name and its zero byte, the name,
// then the file's content.
constexpr int kFileStatusOffset = 0;
constexpr int kFileNameLengthOffset = 1;
constexpr int kFileNameOffset = 2;

// Reply to a get request.
struct FileReply
{
    enum Kind
    {
        Unusable,
        File,
        NetworkError,
        NoSuchFile,
        OtherStatus
    };
    Kind kind = Unusable;
    QString name;           // empty when the reply names no file
    uint contentOffset = 0; // payload offset of the content
    uint contentSize = 0;
};

FileReply decodeFileReply(const uint8_t *data, uint size);

} // namespace PcbProtocol
