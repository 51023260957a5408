#include "linkrepliescheck.h"

#include "fsmanager.h"
#include "fsmanagerprobe.h"

#include <QCoreApplication>

bool checkLinkReplies(const uint8_t *data, size_t size)
{
    if (size < 2 || !QCoreApplication::instance())
        return size < 2;
    const auto command = PcbCommand(data[0] % 5 + 1);
    const int pending = data[0] / 5 % 4;
    const int piece = data[1] % 97 + 1;
    const QByteArray stream(reinterpret_cast<const char *>(data + 2), int(size - 2));

    bool holds = true;
    {
        FsManager link;
        QObject::connect(&link, &FsManager::progressUpdated,
                         [&holds](uint percent) { holds = holds && percent <= 100; });
        QObject::connect(&link, &FsManager::errorOccured,
                         [&holds](const QString &text) { holds = holds && !text.isEmpty(); });
        QObject::connect(
            &link, &FsManager::requestFinished, [&holds](int answered, int result, const QString &text) {
                holds = holds && answered >= 0 && answered <= 5 && result >= 0 && !text.isEmpty();
            });
        FsManagerProbe probe(link);
        probe.startCommand(command, pending);
        for (int offset = 0; offset < stream.size(); offset += piece)
            probe.receive(stream.mid(offset, piece));
    }
    // What the link left for the event loop goes now, so that nothing piles up between runs.
    QCoreApplication::sendPostedEvents();
    return holds;
}
