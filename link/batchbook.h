#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>

// How the board answered one item of a batch.
enum class ItemReply
{
    Done,          // status 0: the record stored, the file deleted, or the file follows
    NetworkError,  // status 1, or a reply too short to tell
    Refused,       // status 2: refused for the reason its command's row names (no memory, no such file)
    UnknownStatus, // any other status: it ends the batch, and the window is told nothing of it
};

// One batch of the link: what is still to send, the total its progress counts against, and what the
// board sent back. One small type per kind: uploads, deletions, downloads. A batch neither sends nor
// emits anything: the link does, in one order for all three kinds.
class Batch
{
public:
    virtual ~Batch() = default;

    // Items still to send.
    virtual bool hasQueued() const = 0;
    // Percent of the batch done; false while it counts nothing.
    bool progress(uint &percent) const;

    // Takes the next name to ask the board about off the queue; empty when none is left, and for a
    // batch that sends no names.
    virtual QByteArray takeName() { return QByteArray(); }
    // Books an item the board carried out; false when it is not one of this batch's items to report.
    // Name and Content are a downloaded file's, empty for the other kinds.
    virtual bool itemDone(const QString &name, QByteArray content);
    // The files received so far, by name; empty for a batch that receives none.
    virtual QMap<QString, QByteArray> files() const { return QMap<QString, QByteArray>(); }

    // Ends the batch, dropping what was left of it.
    virtual void clear() = 0;

protected:
    // What is left of the total: bytes, names or expected sizes, as the kind counts it.
    virtual qint64 left() const = 0;

    // Counted since the batch began, in 32 bits.
    uint32_t total = 0;
};

// Upload records, sent in pieces: the first piece in the request frame, the others as
// the socket reports the previous one written.
class UploadBatch final : public Batch
{
public:
    // Adds Records, of Bytes in all; the running batch, if any, picks them up.
    void add(const QList<QByteArray> &records, qint64 bytes);
    bool hasQueued() const override { return !records.isEmpty(); }

    // The next piece of the first record, at most one piece long and not copied: valid until the
    // batch changes. EndsRecord tells whether it is the record's last.
    QByteArray nextPiece(bool &endsRecord) const;
    void pieceWritten(qint64 bytes);
    // The first record has been written whole: the board's reply follows.
    bool recordSent() const;

    // False for a record acknowledged before it was sent whole, whose rest then goes out again.
    bool itemDone(const QString &name, QByteArray content) override;
    void clear() override;

private:
    qint64 left() const override { return pending; }

    QList<QByteArray> records;
    // Bytes of the first record already on the wire; records are never shrunk from the front.
    int offset = 0;
    qint64 pending = 0; // bytes of the records not yet written
};

// Board file names to delete, in the order given; progress counts names.
class DeleteBatch final : public Batch
{
public:
    // Names of 1 to 51 characters as board file names, in list order; false if none was.
    bool add(const QStringList &names);
    bool hasQueued() const override { return !names.isEmpty(); }
    QByteArray takeName() override;
    void clear() override;

private:
    qint64 left() const override { return names.size(); }

    QList<QByteArray> names;
};

// Board file names to fetch, smallest name first; progress counts the sizes expected.
class DownloadBatch final : public Batch
{
public:
    // Each name of 1 to 51 characters once, with its size; false if none was.
    bool add(const QMap<QString, uint> &sizes);
    bool hasQueued() const override { return !names.isEmpty(); }
    // Every entry of that name goes: one reply serves them all.
    QByteArray takeName() override;
    // Keeps a file the board sent under a name, replacing one of the same name.
    bool itemDone(const QString &name, QByteArray content) override;
    QMap<QString, QByteArray> files() const override { return received; }
    void clear() override;

private:
    qint64 left() const override;

    // The same name may be queued by several calls; one request then serves all its entries.
    QMultiMap<QByteArray, uint> names;
    // The sizes in names, summed as it changes: a batch of many files would otherwise add them all
    // up again for every progress figure.
    qint64 sizesLeft = 0;
    QMap<QString, QByteArray> received;
};

// The link's three batches, one of each kind. The command table (commandtable.h) says which
// command's items each one carries.
class BatchBook
{
public:
    enum Kind
    {
        NoBatch = -1,
        Uploads,
        Deletions,
        Downloads,
    };

    // The batch that carries the items of Command; null for a command without one.
    Batch *of(int command);

    UploadBatch &uploads() { return upload; }
    DeleteBatch &deletions() { return deletion; }
    DownloadBatch &downloads() { return download; }

    // Ends every batch.
    void clearAll();

private:
    UploadBatch upload;
    DeleteBatch deletion;
    DownloadBatch download;
};
