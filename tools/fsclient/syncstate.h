#pragma once

#include "filetable.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>

// What velmora-fs sync remembers of a board it left matching a folder, so that the next sync can
// take a board file as equal without downloading it: each file's entry in the board's table and
// the local file it was made equal to. One JSON file per board in the user's cache folder, written
// whole; of several processes writing it at once the last one wins.
namespace fsclient::syncstate {

// A file as the board's table lists it, in either form of the table.
struct BoardEntry
{
    QString name;
    qint64 size = 0;
    qint64 modified = 0; // the board's time stamp: whole seconds since 1970
    qint64 address = 0;
    qint64 block = 0;

    bool operator==(const BoardEntry &other) const;
    bool operator!=(const BoardEntry &other) const { return !(*this == other); }
};

BoardEntry entryOf(const FileTable::Row &row);

// A local file as it was seen.
struct LocalFile
{
    QString path;         // absolute
    qint64 size = -1;     // -1: it could not be read
    qint64 modified = -1; // milliseconds since 1970, UTC
    QByteArray sha256;    // the raw digest; empty until computed
};

// The file at Path as it is now, without its digest.
LocalFile localFile(const QString &path);
// The SHA-256 of the file at Path, empty when it cannot be read. A run on many boards asks for the
// same files once per board: the digest is kept for the process, keyed by path, size and time.
QByteArray sha256Of(const LocalFile &file);

struct Record
{
    BoardEntry board;
    LocalFile local;
};

// The record of one board, "ADDR:PORT", and its files by their board names.
struct State
{
    QString board;
    QHash<QString, Record> files;
};

// The state of Board after a sync that left it matching the folder: each of Files (by board name,
// as the run found it before connecting, with its digest when known) with its entry in Rows. A file
// that changed since is left out: the board may hold what it was before.
State stateAfter(const QString &board, const QList<FileTable::Row> &rows,
                 const QHash<QString, LocalFile> &files);

QByteArray encode(const State &state);
// The state in Bytes, when it is a well-formed state of Board; otherwise Why says what is wrong.
bool decode(const QByteArray &bytes, const QString &board, State *state, QString *why);

// Whether the file at Path holds Stored, a board file's content: the same bytes, then up to three
// zero bytes to the whole word, as the board keeps it. What a sync compares when the record cannot
// tell. When they are the same, Sha256 (if given) takes the file's digest, made on the way, so
// that recording the file needs no second reading.
bool sameBytes(const QString &path, const QByteArray &stored, QByteArray *sha256 = nullptr);

// What the record says of a board file whose stored size fits the local file's.
enum class Verdict
{
    Compare, // no usable record: compare the bytes
    Equal,   // the board still holds the recorded bytes, and the local file has them too
    Changed, // the board still holds the recorded bytes, and the local file has others
};

// Record is the file's record, or null; Listed its entry as the board lists it now; Now the local
// file as it is now. Digest is asked for the local file's SHA-256 only when its size or time
// differs from the record's.
Verdict judge(const Record *record, const BoardEntry &listed, const LocalFile &now,
              const std::function<QByteArray()> &digest);

// The state file of Board in the user's cache folder (…/velmora/ADDR_PORT.json); empty when the
// system names no cache folder.
QString pathFor(const QString &board);
// Reads the state of Board at Path. No file is an empty state; a file that cannot be read or
// trusted is false, with Why.
bool load(const QString &path, const QString &board, State *state, QString *why);
// Writes the state whole, unless the file holds it already; the error text, or empty.
QString save(const QString &path, const State &state);

} // namespace fsclient::syncstate
