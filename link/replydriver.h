#pragma once

#include "batchbook.h"
#include "commandtable.h"
#include "fsmanager.h"

#include <QIODevice>

// Drives a link's command and reply path from bytes, without a socket: a command made the one in
// flight, then replies handed in as if a socket read had brought them. The link's signals follow as
// they would. Without a socket, every request the link sends counts as sent whole and goes nowhere.
class FsManager::ReplyDriver
{
public:
    explicit ReplyDriver(FsManager &link) : link(link) {}

    // Drops whatever the link held queued or half-received.
    void reset() { link.resetState(); }
    // The form the link speaks now (the big one after a reply in it).
    bool bigForm() const { return link.bigMode; }
    // The link's batches, to queue items as its own calls would.
    BatchBook &batches() { return link.batches; }
    // Makes Command the one in flight, as the command queue does when it runs it, its time limit
    // included.
    void run(PcbCommand command)
    {
        link.commandRunning = true;
        link.currentCommand = command;
        link.startResponseTimer(CommandRow::of(command).limitMs);
    }
    // Source's bytes as one read from the socket: into the reply collector, then every complete frame
    // to the handler its command byte names.
    void receive(QIODevice &source)
    {
        link.feedReplies(source);
        link.dispatchReplies(link.socket);
    }

private:
    FsManager &link;
};
