#pragma once

#include "batchbook.h"
#include "fsmanager.h"
#include "pcbtypes.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <cstdint>

// The one description of each board command: its time limits, its texts, the batch that carries its
// items, what the board's replies mean for it, how its request is written, which handler takes its
// reply and the signal that tells the window how its batch ended. The link and its batch book look a
// command up here instead of branching on its kind.
struct CommandRow
{
    // How a request ends for a reply: its result, its text and whether the window hears of it
    // through the command's finish signal.
    struct Ending
    {
        bool told;
        PcbResult result;
        QString text;
    };
    // What the status byte the board refuses an item with means for this command.
    struct Refusal
    {
        quint8 status;
        PcbResult result;
        const char *text; // translated in FsManager's context
    };
    using ReplyHandler = void (FsManager::*)(PcbCommand command, uint8_t *payload, uint size);
    using FinishSignal = void (*)(FsManager &link, const QString &text,
                                  const QMap<QString, QByteArray> &files);
    enum Trait : unsigned
    {
        NoTraits = 0,
        // Its "Ok" is looked up in the link's translations; the others' go out as they are.
        OkTranslated = 1,
        // While its reply arrives, the share received is told through progressUpdated (a
        // download's file comes in one long frame).
        ShowsArrival = 2,
        // A connection that breaks while it is the last command taken goes offline without a
        // message: an idle link polls every 3 s, so a break a poll finds is no news.
        QuietBreak = 4,
        // Its request goes out in pieces, the next one as the socket reports the one before written
        // (an upload record).
        SentInPieces = 8,
    };

    PcbCommand command;
    // Time limit of the reply to the request that starts the command.
    int limitMs;
    // Time limit counted again from each further request of its batch (and, for an upload, from each
    // piece sent); 0 for a command without a batch.
    int continueLimitMs;
    // Text of startedRunCommand when the command starts (translated in FsManager's context); null
    // when its start is not told.
    const char *startedText;
    // The batch that carries its items in the link's batch book.
    BatchBook::Kind batch;
    // Meaningful only with a batch.
    Refusal refusal;
    // What sets the command apart, as Trait flags.
    unsigned traits;
    // Writes the request: Header (start, form and command bytes) and the payload of the next item.
    void (FsManager::*send)(PcbCommand command, QByteArray header);
    // Handler of its reply, in either form (the link has taken the reply's form before it runs).
    ReplyHandler reply;
    // Tells the window how the batch ended: Text, and for a download the files received; null for
    // a command without a batch.
    FinishSignal finish;

    // The row of Command, a PcbCommand or a reply's command byte; null for any other value.
    static const CommandRow *find(int command);
    // The row of a command the link queues: one of the five.
    static const CommandRow &of(PcbCommand command);

    bool has(Trait trait) const { return (traits & trait) != 0; }
    // Text of startedRunCommand; empty when the start is not told.
    QString started() const;
    // Text of a batch that ended well.
    QString okText() const;
    // How a batch ends for a reply that is not Done.
    Ending ending(ItemReply reply) const;
    // What the status byte of a write or delete reply means.
    ItemReply statusReply(const uint8_t *payload, uint size) const;

    // Text of a network error, of a reply too short to tell and of a status the link does not know.
    static QString networkErrorText();
};
