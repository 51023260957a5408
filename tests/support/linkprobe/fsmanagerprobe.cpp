#include "fsmanagerprobe.h"

#include "fsmanager.h"
#include "pcbprotocol.h"

#include <QBuffer>
#include <QMap>
#include <QStringList>

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
    // Queued as the link's own calls would, the first item then sent as the command would send it.
    switch (command) {
    case CmdWriteFile: {
        QList<QByteArray> records;
        qint64 bytes = 0;
        for (int i = 0; i <= pending; ++i) {
            QByteArray record(uploadHeaderSize(link.bigMode) + kProbeFileSize, '\0');
            writeUploadHeader(record.data(), probeName(i), kProbeFileSize, link.bigMode);
            records.append(record);
            bytes += record.size();
        }
        link.batches.addRecords(records, bytes);
        link.batches.pieceWritten(records.first().size());
        break;
    }
    case CmdDeleteFile:
    case CmdGetFile: {
        QStringList names;
        QMap<QString, uint> sizes;
        for (int i = 0; i <= pending; ++i) {
            names << probeName(i);
            sizes.insert(probeName(i), kProbeFileSize);
        }
        if (command == CmdDeleteFile)
            link.batches.addDeletions(names);
        else
            link.batches.addDownloads(sizes);
        link.batches.takeName(command); // probe0.bin, the first in either order
        break;
    }
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
