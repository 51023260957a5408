#include "fsmanagerprobe.h"

#include "pcbprotocol.h"
#include "replydriver.h"

#include <QBuffer>
#include <QMap>
#include <QStringList>
#include <functional>

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
    FsManager::ReplyDriver driver(link);
    driver.reset();
    BatchBook &batches = driver.batches();
    QList<QByteArray> records;
    qint64 bytes = 0;
    QStringList names;
    QMap<QString, uint> sizes;
    for (int i = 0; i <= qMax(pending, 0); ++i) {
        QByteArray record(uploadHeaderSize(driver.bigForm()) + kProbeFileSize, '\0');
        writeUploadHeader(record.data(), probeName(i), kProbeFileSize, driver.bigForm());
        records.append(record);
        bytes += record.size();
        names << probeName(i);
        sizes.insert(probeName(i), kProbeFileSize);
    }
    // Queued as the link's own calls would, the first item then sent as the command would send it:
    // the first record written whole, or probe0.bin (the first in either order) taken off its queue.
    const QMap<int, std::function<void()>> queue{
        {CmdWriteFile,
         [&] {
             batches.uploads().add(records, bytes);
             batches.uploads().pieceWritten(records.first().size());
         }},
        {CmdDeleteFile, [&] { batches.deletions().add(names); }},
        {CmdGetFile, [&] { batches.downloads().add(sizes); }},
    };
    if (queue.contains(command)) {
        queue.value(command)();
        batches.of(command)->takeName();
    }
    driver.run(command);
}

void FsManagerProbe::receive(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer source(&copy);
    source.open(QIODevice::ReadOnly);
    FsManager::ReplyDriver(link).receive(source);
}
