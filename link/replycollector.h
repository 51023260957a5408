#pragma once

#include "pcbprotocol.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Cuts the board's reply stream into frames. Fed with byte pieces as they arrive; yields each
// complete frame (header included) and, while a frame is incomplete, how much of it has come.
//
//   WaitingForHeader --(length known)--> CollectingBody --(all bytes)--> WaitingForHeader
//                    --(too long to hold)--> SkippingBody --(all bytes)--> WaitingForHeader
//   CollectingBody --(file content sets out, content apart)--> CollectingContent --(all bytes)-->
//   WaitingForHeader
//
// The header is only looked at once more than 5 bytes are buffered; the big get-file header is
// only read once all its 10 bytes are there. Bytes after a complete frame start the next one.
//
// With the content apart (setContentApart), a big get-file reply that brings a file and has not
// come whole by the time its name has collects the file's content in a buffer of its own, so
// that the content is handed over as it is, never moved to drop the bytes before it.
class ReplyCollector
{
public:
    enum class State
    {
        WaitingForHeader,
        CollectingBody,
        CollectingContent,
        SkippingBody
    };

    struct Frame
    {
        QByteArray bytes;      // the whole frame, header included; up to the content if it is apart
        int payloadOffset = 0; // 5, or 10 for the big get-file reply
        QByteArray content;    // the rest of the frame when it was collected apart; else empty
    };

    // Frames longer than this are refused: never held in memory, their bytes are counted and
    // dropped. It bounds what a hostile or broken length field can make the link allocate.
    static constexpr qint64 kMaxFrameLength = PcbProtocol::kMaxReplyLength;

    explicit ReplyCollector(qint64 maxLength = kMaxFrameLength) : maxFrameLength(maxLength) {}

    // Whether a file's content is collected apart from the bytes before it (off at first; kept
    // through reset()).
    void setContentApart(bool apart) { contentApart = apart; }

    // Reserved at once when a frame's length becomes known (less if the frame is shorter):
    // most files fit, so their bytes land in one buffer, while a hostile length buys no more.
    // A content collected apart is reserved whole once it sets out, within the same limit.
    static constexpr qint64 kUpfrontReserve = qint64(64) << 20;

    // Input is taken in slices of at most this size, which bounds the buffer to one frame plus
    // one slice and keeps every size within what a QByteArray can hold.
    static constexpr qint64 kFeedSlice = qint64(16) << 20;

    void feed(const char *data, qint64 size);
    void feed(const QByteArray &bytes) { feed(bytes.constData(), bytes.size()); }

    // Feeding without an intermediate copy, for a caller that reads from a device: room for
    // up to Size bytes (at most kFeedSlice) is handed out, then the count written there is
    // committed. Each reserveFeed must be followed by one commitFeed before anything else.
    char *reserveFeed(qint64 size);
    void commitFeed(qint64 count);
    // How many of Wanted bytes the next reserveFeed should ask for: with the content apart, no
    // more than the longest lead of a file (header, status, name) while a header is awaited, so
    // that a file's content is then read straight into its own buffer. Lead holds the first of
    // the waiting bytes where the caller can see them without taking them: a get-file frame of at
    // most kWholeFileFrame bytes that waits whole is then read at once and handed over whole, one
    // read instead of two and one buffer instead of three for the many small files of a batch.
    qint64 feedRoom(qint64 wanted, const char *lead = nullptr, qint64 leadSize = 0) const;
    static constexpr qint64 kLongestFileLead =
        PcbProtocol::kBigFileHeaderSize + PcbProtocol::kFileNameOffset + 0xFF;
    static constexpr qint64 kWholeFileFrame = qint64(16) << 10;

    // Moves the oldest complete frame into Frame; false when there is none.
    bool takeFrame(Frame &frame);

    // While a frame's length is known and the frame is incomplete: its share received so far,
    // in percent of the announced length (truncated). False otherwise.
    bool progress(uint &percent) const;

    State state() const { return currentState; }
    qint64 expectedLength() const { return expected; }
    qint64 receivedLength() const; // bytes of the frame under way, header included
    qint64 bufferedBytes() const { return buffer.size() - head + content.size(); }
    qint64 droppedBytes() const { return dropped; }
    // Frames refused for their length since the last reset, and the length the last one announced.
    int refusedFrames() const { return refused; }
    qint64 refusedLength() const { return lastRefusedLength; }

    void reset();

private:
    void append(const char *data, qint64 size);
    void grow(qint64 extra);
    void advance();
    // False when more bytes are needed (or the frame is being skipped); true when it moved on.
    bool readHeader();
    // Moves a get-file reply's content, as far as it has come, into a buffer of its own when
    // it is to be collected apart; false when it stays in the frame's buffer for now.
    bool startContent();
    void compact();

    qint64 maxFrameLength;
    State currentState = State::WaitingForHeader;
    QByteArray buffer; // unconsumed bytes start at head
    int head = 0;
    qint64 expected = 0;
    int payloadOffset = 0;
    qint64 skipRemaining = 0;
    qint64 dropped = 0;
    int refused = 0;
    qint64 lastRefusedLength = 0;
    QList<Frame> completed;
    bool contentApart = false;
    QByteArray content;               // the content collected apart: the frame's bytes after the name
    qint64 contentLength = 0;         // its length once it sets out
    QByteArray scratch;               // reserved room that no buffer can hand out at one place
    QByteArray *reservedIn = nullptr; // buffer or content holding the reserved room; null: scratch
    int reservedAt = -1;              // its size before reserveFeed
};
