#include "replystreamcheck.h"

#include "pcbprotocol.h"
#include "replycollector.h"

#include <QtEndian>
#include <cstring>

namespace {

// A small limit lets short inputs reach the skipping state too.
constexpr qint64 kSmallFrameLimit = 4096;

bool checkFrame(const ReplyCollector::Frame &frame)
{
    using namespace PcbProtocol;
    // A content collected apart is the end of the frame; only a big get reply has one.
    const QByteArray bytes = frame.bytes + frame.content;
    if (frame.payloadOffset != kReplyHeaderSize && frame.payloadOffset != kBigFileHeaderSize)
        return false;
    if (!frame.content.isEmpty() && frame.payloadOffset != kBigFileHeaderSize)
        return false;
    if (bytes.size() < frame.payloadOffset)
        return false;
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    const bool bigFile = frame.payloadOffset == kBigFileHeaderSize;
    const qint64 announced = bigFile ? qint64(qFromLittleEndian<quint32>(data + kBigFileLengthOffset))
                                     : qint64(qFromLittleEndian<quint16>(data));
    if (announced != bytes.size())
        return false;

    const uint8_t *payload = data + frame.payloadOffset;
    const uint size = static_cast<uint>(bytes.size() - frame.payloadOffset);
    const ListReply<FstEntry> small = decodeSmallList(payload, size);
    if (small.valid && 6u + uint(small.entries.size()) * kSmallEntrySize > size)
        return false;
    const ListReply<FstEntry_big> big = decodeBigList(payload, size);
    if (big.valid && 6u + uint(big.entries.size()) * kBigEntrySize > size)
        return false;
    const FileReply file = decodeFileReply(payload, size);
    if (file.contentOffset + file.contentSize > size || file.name.size() > 255)
        return false;
    return true;
}

} // namespace

bool checkReplyStream(const uint8_t *data, size_t size)
{
    if (size < 2)
        return true;
    const qint64 piece = data[0] % 64 + 1;
    ReplyCollector collector(data[1] & 1 ? kSmallFrameLimit : ReplyCollector::kMaxFrameLength);
    collector.setContentApart(data[1] & 4);
    const char *stream = reinterpret_cast<const char *>(data + 2);
    const qint64 length = static_cast<qint64>(size - 2);

    const bool direct = data[1] & 2; // fill handed-out room, more than is used, as a socket read does
    qint64 framed = 0;
    for (qint64 offset = 0; offset < length; offset += piece) {
        const qint64 count = qMin(piece, length - offset);
        if (direct) {
            std::memcpy(collector.reserveFeed(count + 7), stream + offset, static_cast<size_t>(count));
            collector.commitFeed(count);
        } else {
            collector.feed(stream + offset, count);
        }
        ReplyCollector::Frame frame;
        while (collector.takeFrame(frame)) {
            if (!checkFrame(frame))
                return false;
            framed += frame.bytes.size() + frame.content.size();
        }
        // Every byte fed is in a frame, dropped, or held for the frame under way.
        const qint64 fed = qMin(offset + piece, length);
        if (framed + collector.droppedBytes() + collector.bufferedBytes() != fed)
            return false;
        uint percent = 0;
        if (collector.progress(percent) && percent >= 100)
            return false;
    }
    return true;
}
