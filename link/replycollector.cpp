#include "replycollector.h"

#include "pcbprotocol.h"
#include "pcbtypes.h"

#include <QtEndian>
#include <utility>

namespace {

const uchar *bytesAt(const QByteArray &array, int offset)
{
    return reinterpret_cast<const uchar *>(array.constData()) + offset;
}

// Room for Extra more bytes in Bytes, grown geometrically but never past End, where what is under
// way ends (0: exactly what is needed): the length field decides how much is kept, not how much is
// reserved up front.
void reserveRoom(QByteArray &bytes, qint64 extra, qint64 end)
{
    const qint64 needed = qint64(bytes.size()) + extra;
    if (needed <= bytes.capacity())
        return;
    const qint64 target = qMin(qMax(needed, 2 * qint64(bytes.capacity())), qMax(needed, end));
    bytes.reserve(static_cast<int>(target));
}

// Whether Header, of more than kReplyHeaderSize bytes, starts a big get-file reply, whose length
// is in a header of its own.
bool startsBigFile(const uchar *header)
{
    using namespace PcbProtocol;
    return header[kReplyStartOffset] == uchar(kStartByte) && header[kReplyFormOffset] == uchar(kBigForm) &&
           header[kReplyCommandOffset] == uchar(CmdGetFile);
}

} // namespace

void ReplyCollector::feed(const char *data, qint64 size)
{
    while (size > 0) {
        if (currentState == State::SkippingBody) {
            const qint64 count = qMin(size, skipRemaining);
            skipRemaining -= count;
            dropped += count;
            data += count;
            size -= count;
            if (skipRemaining == 0) {
                currentState = State::WaitingForHeader;
                expected = 0;
            }
            continue;
        }
        const qint64 count = qMin(size, kFeedSlice);
        append(data, count);
        data += count;
        size -= count;
        advance();
        compact();
    }
}

char *ReplyCollector::reserveFeed(qint64 size)
{
    size = qBound<qint64>(0, size, kFeedSlice);
    const bool inContent = currentState == State::CollectingContent;
    if (currentState == State::SkippingBody || (inContent && size > contentLength - content.size())) {
        // Skipped bytes are never kept, and bytes that would run past a content's end belong
        // partly to the next frame: they pass through a scratch area.
        scratch.resize(static_cast<int>(size));
        reservedIn = nullptr;
        return scratch.data();
    }
    if (inContent)
        reserveRoom(content, size, contentLength);
    else
        grow(size);
    reservedIn = inContent ? &content : &buffer;
    reservedAt = reservedIn->size();
    reservedIn->resize(static_cast<int>(reservedAt + size));
    return reservedIn->data() + reservedAt;
}

void ReplyCollector::commitFeed(qint64 count)
{
    count = qMax<qint64>(count, 0);
    if (!reservedIn) {
        feed(scratch.constData(), qMin<qint64>(count, scratch.size()));
        scratch.clear();
        return;
    }
    reservedIn->resize(static_cast<int>(reservedAt + qMin<qint64>(count, reservedIn->size() - reservedAt)));
    reservedIn = nullptr;
    reservedAt = -1;
    advance();
    compact();
}

qint64 ReplyCollector::feedRoom(qint64 wanted, const char *lead, qint64 leadSize) const
{
    using namespace PcbProtocol;
    if (!contentApart || currentState != State::WaitingForHeader)
        return wanted;
    // Lead shows a frame's header only when nothing of that frame is buffered yet.
    if (lead && leadSize >= kBigFileHeaderSize && bufferedBytes() == 0) {
        const uchar *const header = reinterpret_cast<const uchar *>(lead);
        const qint64 length = qFromLittleEndian<quint32>(header + kBigFileLengthOffset);
        // Moving a small file down in the frame's buffer costs less than a second read and
        // buffers of its own.
        if (startsBigFile(header) && length >= kBigFileHeaderSize && length <= kWholeFileFrame &&
            length <= wanted)
            return length;
    }
    return qMin(wanted, kLongestFileLead);
}

bool ReplyCollector::takeFrame(Frame &frame)
{
    if (completed.isEmpty())
        return false;
    frame = completed.takeFirst();
    return true;
}

qint64 ReplyCollector::receivedLength() const
{
    switch (currentState) {
    case State::CollectingBody:
    case State::CollectingContent:
        return bufferedBytes();
    case State::SkippingBody:
        return expected - skipRemaining;
    case State::WaitingForHeader:
        break;
    }
    return 0;
}

bool ReplyCollector::progress(uint &percent) const
{
    if (currentState == State::WaitingForHeader || expected <= 0)
        return false;
    percent = static_cast<uint>(receivedLength() * 100 / expected);
    return true;
}

void ReplyCollector::reset()
{
    currentState = State::WaitingForHeader;
    buffer = QByteArray();
    head = 0;
    expected = 0;
    payloadOffset = 0;
    skipRemaining = 0;
    dropped = 0;
    refused = 0;
    lastRefusedLength = 0;
    completed.clear();
    content = QByteArray();
    contentLength = 0;
    scratch = QByteArray();
    reservedIn = nullptr;
    reservedAt = -1;
}

void ReplyCollector::append(const char *data, qint64 size)
{
    if (currentState == State::CollectingContent) {
        // The content takes what it still lacks; any bytes after it start the next frame.
        const qint64 count = qMin(size, contentLength - content.size());
        reserveRoom(content, count, contentLength);
        content.append(data, static_cast<int>(count));
        data += count;
        size -= count;
    }
    grow(size);
    buffer.append(data, static_cast<int>(size));
}

void ReplyCollector::grow(qint64 extra)
{
    reserveRoom(buffer, extra, currentState == State::CollectingBody ? qint64(head) + expected : 0);
}

bool ReplyCollector::readHeader()
{
    using namespace PcbProtocol;
    const qint64 available = bufferedBytes();
    if (available <= kReplyHeaderSize)
        return false;
    const uchar *header = bytesAt(buffer, head);
    const bool bigFile = startsBigFile(header);
    qint64 length = 0;
    int headerSize = kReplyHeaderSize;
    if (bigFile) {
        if (available < kBigFileHeaderSize)
            return false;
        headerSize = kBigFileHeaderSize;
        length = qFromLittleEndian<quint32>(header + kBigFileLengthOffset);
    } else {
        length = qFromLittleEndian<quint16>(header + kReplyLengthOffset);
    }
    if (length < headerSize) {
        // A frame shorter than its own header has no usable end, so the start of the next frame
        // cannot be found either: drop what is buffered and start again with the next bytes.
        dropped += available;
        head = buffer.size();
        return false;
    }
    expected = length;
    payloadOffset = headerSize;
    if (length > maxFrameLength) {
        // Guard against a hostile length: count the frame's bytes away instead of holding them.
        ++refused;
        lastRefusedLength = length;
        const qint64 buffered = qMin(available, length);
        dropped += buffered;
        head += static_cast<int>(buffered);
        skipRemaining = length - buffered;
        if (skipRemaining == 0) {
            expected = 0;
            return true; // the next frame may already be buffered
        }
        currentState = State::SkippingBody;
        return false;
    }
    currentState = State::CollectingBody;
    // A file's content collected apart reserves its own room; the frame's buffer then keeps only
    // the bytes before it.
    if (contentApart && bigFile)
        return true;
    const qint64 frameEnd = qint64(head) + qMin(length, qMax(available, kUpfrontReserve));
    if (frameEnd > buffer.capacity())
        buffer.reserve(static_cast<int>(frameEnd));
    return true;
}

bool ReplyCollector::startContent()
{
    using namespace PcbProtocol;
    // Only a big get-file reply that brings a file, and only while it is incomplete: a whole frame
    // is handed over in one piece anyway.
    if (!contentApart || payloadOffset != kBigFileHeaderSize || bufferedBytes() >= expected)
        return false;
    const qint64 available = bufferedBytes();
    if (available < kBigFileHeaderSize + kFileNameOffset)
        return false;
    const uchar *payload = bytesAt(buffer, head + kBigFileHeaderSize);
    if (payload[kFileStatusOffset] != kStatusOk)
        return false;
    const qint64 contentOffset = kBigFileHeaderSize + kFileNameOffset + payload[kFileNameLengthOffset];
    if (contentOffset >= expected || available < contentOffset)
        return false; // no content, or the name has not come whole yet
    contentLength = expected - contentOffset;
    content = QByteArray();
    content.reserve(static_cast<int>(qMin(contentLength, qMax(available - contentOffset, kUpfrontReserve))));
    content.append(buffer.constData() + head + contentOffset, static_cast<int>(available - contentOffset));
    buffer.resize(static_cast<int>(head + contentOffset));
    currentState = State::CollectingContent;
    return true;
}

void ReplyCollector::advance()
{
    for (;;) {
        if (currentState == State::WaitingForHeader) {
            if (!readHeader())
                return;
            continue;
        }
        if (currentState == State::CollectingBody && startContent())
            continue;
        if (currentState == State::SkippingBody || bufferedBytes() < expected)
            return;
        Frame frame;
        frame.payloadOffset = payloadOffset;
        if (currentState == State::CollectingContent) {
            // The bytes before the content are copied out; the content is handed over as it is.
            const qint64 before = expected - contentLength;
            frame.bytes = QByteArray(buffer.constData() + head, static_cast<int>(before));
            head += static_cast<int>(before);
            frame.content = std::move(content);
            content = QByteArray();
            contentLength = 0;
            completed.append(std::move(frame));
            currentState = State::WaitingForHeader;
            expected = 0;
            payloadOffset = 0;
            continue;
        }
        const qint64 surplus = bufferedBytes() - expected;
        if (head == 0 && surplus <= expected) {
            // Hand the buffer itself over (a whole download stays one allocation) and keep
            // only the shorter surplus, if any.
            QByteArray rest;
            if (surplus > 0)
                rest = QByteArray(buffer.constData() + expected, static_cast<int>(surplus));
            frame.bytes = std::move(buffer);
            frame.bytes.resize(static_cast<int>(expected));
            buffer = std::move(rest);
        } else {
            frame.bytes = QByteArray(buffer.constData() + head, static_cast<int>(expected));
            head += static_cast<int>(expected);
        }
        completed.append(std::move(frame));
        currentState = State::WaitingForHeader;
        expected = 0;
        payloadOffset = 0;
    }
}

void ReplyCollector::compact()
{
    if (head == 0)
        return;
    if (head >= buffer.size())
        buffer = QByteArray();
    else
        buffer = QByteArray(buffer.constData() + head, buffer.size() - head);
    head = 0;
}
