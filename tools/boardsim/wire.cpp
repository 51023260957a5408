#include "wire.h"

#include "pcbtypes.h"

#include <QtEndian>
#include <cstring>

namespace boardsim::wire {

// The simulator's own layout must agree with the record types the program shares.
static_assert(sizeof(FstEntry) == kSmallRecordSize, "small record size");
static_assert(sizeof(FstEntry_big) == kBigRecordSize, "big record size");
static_assert(CmdListFiles == kCmdList && CmdWriteFile == kCmdWrite && CmdDeleteFile == kCmdDelete &&
                  CmdKeepAlive == kCmdKeepAlive && CmdGetFile == kCmdGet,
              "command codes");

void putU16(char *at, quint16 value)
{
    qToLittleEndian(value, at);
}
void putU32(char *at, quint32 value)
{
    qToLittleEndian(value, at);
}
quint16 getU16(const char *at)
{
    return qFromLittleEndian<quint16>(at);
}
quint32 getU32(const char *at)
{
    return qFromLittleEndian<quint32>(at);
}

QByteArray encodeRecord(const Record &record, bool big)
{
    QByteArray out(recordSize(big), '\0');
    char *p = out.data();
    std::memcpy(p, record.name.constData(), size_t(qMin(record.name.size(), kMaxNameLength)));
    putU32(p + kTimeOffset, record.modifyTime);
    putU32(p + kAddressOffset, record.address);
    if (big) {
        putU32(p + kSizeOffset, record.size);
        putU16(p + kBigBlockOffset, record.blockNumber);
    } else {
        putU16(p + kSizeOffset, quint16(qMin<quint32>(record.size, 0xFFFF)));
        putU16(p + kSmallBlockOffset, record.blockNumber);
    }
    return out;
}

UploadHeader decodeUploadHeader(const char *header, bool big)
{
    UploadHeader result;
    const void *zero = std::memchr(header, 0, kNameFieldSize);
    if (zero) {
        result.nameTerminated = true;
        result.name = QByteArray(header, int(static_cast<const char *>(zero) - header));
    }
    result.size = big ? getU32(header + kSizeOffset) : getU16(header + kSizeOffset);
    return result;
}

QByteArray replyFrame(char form, int command, const QByteArray &payload, char startByte)
{
    const int total = kReplyHeaderSize + payload.size();
    Q_ASSERT(total <= kMaxSmallFrame);
    QByteArray frame(kReplyHeaderSize, '\0');
    char *p = frame.data();
    putU16(p, quint16(total));
    p[2] = startByte;
    p[3] = form;
    p[4] = char(command);
    frame.append(payload);
    return frame;
}

QByteArray bigDownloadHeader(quint32 totalLength, char startByte)
{
    QByteArray header(kBigReplyHeaderSize, '\0');
    char *p = header.data();
    // The first two bytes are not read for this frame; give the short length where it fits.
    putU16(p, quint16(totalLength <= quint32(kMaxSmallFrame) ? totalLength : quint32(kMaxSmallFrame)));
    p[2] = startByte;
    p[3] = kFormBig;
    p[4] = char(kCmdGet);
    putU32(p + kBigLengthOffset, totalLength);
    return header;
}

} // namespace boardsim::wire
