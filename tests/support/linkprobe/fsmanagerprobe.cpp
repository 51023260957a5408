#include "fsmanagerprobe.h"

#include "fsmanager.h"
#include "pcbprotocol.h"

#include <QBuffer>

namespace {

constexpr int kProbeFileSize = 1024;

QString probeName(int index)
{
    return QStringLiteral("probe%1.bin").arg(index);
}

} // namespace

void FsManagerProbe::startCommand(PcbCommand command, int pending)
{
    using namespace PcbProtocol;
    link.resetState();
    pending = qMax(pending, 0);
    switch (command) {
    case CmdWriteFile:
        for (int i = 0; i <= pending; ++i) {
            QByteArray record(uploadHeaderSize(link.bigMode) + kProbeFileSize, '\0');
            writeUploadHeader(record.data(), probeName(i), kProbeFileSize, link.bigMode);
            link.uploadQueue.append(record);
            link.uploadTotal += static_cast<uint32_t>(record.size());
            link.uploadPending += record.size();
        }
        link.uploadOffset = link.uploadQueue.first().size();
        link.uploadPending -= link.uploadOffset;
        break;
    case CmdDeleteFile:
        for (int i = 1; i <= pending; ++i)
            link.deleteQueue.append(boardFileName(probeName(i)));
        link.deleteTotal = static_cast<uint32_t>(pending + 1);
        break;
    case CmdGetFile:
        for (int i = 1; i <= pending; ++i)
            link.downloadQueue.insert(boardFileName(probeName(i)), kProbeFileSize);
        link.downloadTotal = static_cast<uint32_t>((pending + 1) * kProbeFileSize);
        break;
    case CmdListFiles:
    case CmdKeepAlive:
        break;
    }
    link.commandRunning = true;
    link.currentCommand = command;
    link.startResponseTimer(FsManager::responseTimeout(command));
}

void FsManagerProbe::receive(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer source(&copy);
    source.open(QIODevice::ReadOnly);
    link.feedReplies(source);
    link.dispatchReplies(link.socket);
}
