#pragma once

#include <QList>
#include <QMetaType>
#include <cstdint>

// Board commands; the value is also the command byte on the wire.
enum PcbCommand : int
{
    CmdListFiles = 1,
    CmdWriteFile = 2,
    CmdDeleteFile = 3,
    CmdKeepAlive = 4,
    CmdGetFile = 5,
};

// How a request ended, so that a caller can act on it without reading the text that comes with it.
enum PcbResult : int
{
    ResultOk = 0,
    ResultNetworkError = 1,   // the board reported a network error, or its reply was unusable
    ResultNoMemory = 2,       // an upload did not fit the board's memory
    ResultNoSuchFile = 3,     // a delete or download named a file the board does not have
    ResultFileRefused = 4,    // a local file of an upload could not be sent; nothing of that call went out
    ResultConnectionLost = 5, // refused, broken, timed out or cut for an oversized reply: the link is
                              // offline; FsManager::connectionEnd() tells which
};

// How the link's last connection ended (FsManager::connectionEnd()), so that a caller can tell a board
// that did not answer from one that went away without reading the text that came with it.
enum PcbConnectionEnd : int
{
    ConnectionNotEnded = 0, // none has ended since connectToPcb (or the link never connected)
    ConnectionTimedOut = 1, // no connection, or no reply, within the time limit: "Ошибка подключения"
    ConnectionBroken = 2,       // the socket failed (refused, unreachable, closed by the board, ...):
                                // FsManager::lastSocketError() tells how; the text is the system's
    ConnectionReplyTooLong = 3, // a reply announced more than the link takes in, and the link dropped it
    ConnectionClosed = 4,       // closed from this side (disconnectFromPcb), with no error
};

// One file of the board's file table, small form (16-bit sizes).
// Packed so that a record is copied from the wire byte for byte; only ever filled by
// memcpy from a length-checked buffer.
#pragma pack(push, 1)
struct FstEntry
{
    char name[52];
    uint32_t modifyTime;
    uint32_t address;
    uint16_t size;
    uint16_t blockNumber;
};

// One file of the board's file table, big form (32-bit sizes).
struct FstEntry_big
{
    char name[52];
    uint32_t modifyTime;
    uint32_t address;
    uint32_t size;
    uint16_t blockNumber;
};
#pragma pack(pop)

static_assert(sizeof(FstEntry) == 64, "FstEntry must be 64 bytes on the wire");
static_assert(sizeof(FstEntry_big) == 66, "FstEntry_big must be 66 bytes on the wire");

Q_DECLARE_METATYPE(FstEntry)
Q_DECLARE_METATYPE(FstEntry_big)
Q_DECLARE_METATYPE(QList<FstEntry>)
Q_DECLARE_METATYPE(QList<FstEntry_big>)
