#pragma once

#include "pcbtypes.h"

#include <QByteArray>

class FsManager;

// Test and fuzzing entry into a link's reply path, without a socket. The program never uses it.
//
//   FsManagerProbe probe(link);
//   probe.startCommand(CmdGetFile, 2); // a get in flight, two more names queued behind it
//   probe.receive(bytes);              // as if one socket read had brought them
//
// receive() runs what a socket's readyRead runs: the bytes go through the link's reply collector,
// every complete frame to the handler its command byte names, and the link's signals follow as
// they would. Needs a QCoreApplication, as the link starts its response timers. Without a socket
// every request the link sends next counts as sent whole and goes nowhere.
class FsManagerProbe
{
public:
    explicit FsManagerProbe(FsManager &link) : link(link) {}

    // Makes Command the one in flight, as the command queue does when it runs it (response time
    // limit included). Whatever the link held queued or half-received is dropped first. Pending
    // more items of its kind wait behind it: uploads, names to delete or files to get
    // ("probe1.bin", ... of 1024 bytes). An upload in flight counts as sent whole, so that an
    // acknowledgement moves on to the next one.
    void startCommand(PcbCommand command, int pending = 0);

    // Hands Bytes to the link as one read from the socket.
    void receive(const QByteArray &bytes);

private:
    FsManager &link;
};
