#pragma once

#include "pcbtypes.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>

// The bookkeeping of the link's three kinds of batch, each named by its command: uploads
// (CmdWriteFile), deletions (CmdDeleteFile) and downloads (CmdGetFile). It holds what is still to
// send, each batch's total for its progress, the files received so far, and the texts a batch
// starts and ends with. It neither sends nor emits anything: the link does, in one order for all
// three kinds.
class BatchBook
{
public:
    // How the board's reply to one item of a batch came out.
    enum Outcome
    {
        ItemDone,
        NetworkError, // status 1, or a reply too short to tell
        SecondError,  // status 2: no memory for an upload, no such file otherwise
        OtherStatus,  // a status the window is told nothing of
    };
    struct Failure
    {
        bool told; // the window hears of it through the batch's finish signal
        PcbResult result;
        QString text;
    };

    // Outcome of a reply whose payload starts with a status byte.
    static Outcome statusOutcome(const uint8_t *payload, uint size);
    // Text of the progress dialog when a batch's command starts; empty for other commands.
    static QString startedText(int command);
    // Text of a batch that ended well, and of one that ended with Outcome.
    static QString okText(int command);
    static Failure failure(int command, Outcome outcome);

    // Adds to the batch of its kind; the running one, if any, picks them up.
    void addRecords(const QList<QByteArray> &records, qint64 bytes);
    // Names of 1 to 51 characters as board file names, in list order; false if none was.
    bool addDeletions(const QStringList &names);
    // Each name once, with its size; false if none was.
    bool addDownloads(const QMap<QString, uint> &names);

    // Items of that kind still to send.
    bool hasQueued(int command) const;
    // Percent of the batch done; false while it counts nothing.
    bool progress(int command, uint &percent) const;

    // The next piece of the first upload record, at most one piece long and not copied: valid
    // until the book changes. EndsRecord tells whether it is the record's last.
    QByteArray nextPiece(bool &endsRecord) const;
    void pieceWritten(qint64 bytes);
    // The first record has been written whole: the board's reply follows.
    bool recordSent() const;

    // Takes the next name of a deletion or download off its queue (a download's every entry of
    // that name: one reply serves them all); empty when none is left.
    QByteArray takeName(int command);

    // Books an item the board carried out; false for an upload acknowledged before it was sent
    // whole, whose rest then goes out again. A downloaded file (Name not empty) is kept, replacing
    // one of the same name.
    bool itemDone(int command, const QString &name, QByteArray content);
    QMap<QString, QByteArray> receivedFiles() const { return received; }
    QByteArray receivedFile(const QString &name) const { return received.value(name); }

    // Ends the batch of that kind, dropping what was left of it.
    void clear(int command);
    void clearAll();

private:
    QList<QByteArray> uploadQueue;
    // Bytes of the first record already on the wire; records are never shrunk from the front.
    int uploadOffset = 0;
    qint64 uploadPending = 0; // bytes of uploadQueue not yet written
    uint32_t uploadTotal = 0;
    QList<QByteArray> deleteQueue;
    uint32_t deleteTotal = 0;
    // The same name may be queued by several calls; one request then serves all its entries.
    QMultiMap<QByteArray, uint> downloadQueue;
    qint64 downloadLeft = 0; // the sizes in downloadQueue, summed as it changes
    uint32_t downloadTotal = 0;
    QMap<QString, QByteArray> received;
};
