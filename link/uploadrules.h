#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

// The rules that decide whether a local file can be sent to the board, for the window's upload
// (through the link's UploadRecord) and velmora-fs alike, with the one set of texts that tell why a
// file is refused. Pure functions on plain values: the callers look at the files themselves.
namespace UploadRules {

// Why a local file cannot be sent.
enum class Refusal
{
    None,
    NotAFile,      // missing, or not a regular file (the caller looks: UploadPaths::isUploadable)
    CannotOpen,    // could not be opened or read (the caller tries)
    NameEmpty,     // no name at all (NamePolicy::Refuse)
    NameNotLatin1, // a character the board cannot store: it would come back as '?', and two such names
                   // could overwrite each other there
    NameTooLong,   // more than kMaxNameLength characters (NamePolicy::Refuse)
    TooBig,        // more content than the board's form can announce
};

// What becomes of a name longer than the board's name field holds. The window's upload shortens it
// to its first kMaxNameLength characters: the user dropped the file and sees the board's list at once.
// velmora-fs refuses the file instead: a script expects the file under the name it gave (to fetch, compare or
// delete it later), and two long names that begin alike would overwrite each other on the board without a
// word.
enum class NamePolicy
{
    Shorten,
    Refuse,
};

// Most characters of a name the board stores (its 52-byte field keeps a terminating zero).
int maxNameLength();

// The most content a file may have, once padded to whole 4-byte words: 65,532 bytes in the small
// form (its 16-bit size field), 1,073,741,760 in the big one (the largest file that still comes back
// in the largest reply the link takes in).
qint64 maxContent(bool bigForm);

// Bytes the board takes for Size bytes of content: whole 4-byte words, padded with zeros.
qint64 storedSize(qint64 size);

// The rule on a file's name (the last element of its path): 1 to maxNameLength() Latin-1
// characters. Under NamePolicy::Shorten only the characters are checked.
Refusal checkName(const QString &name, NamePolicy policy);

// The name under which the board stores a file of that name: its first maxNameLength() characters.
QString storedName(const QString &name);

// The rule on a file's size in bytes for the board's form: at most maxContent() once padded.
Refusal checkSize(qint64 size, bool bigForm);

// One change to the board's files: a file stored under Name with Size bytes of content, or, with
// Removes, the board's file of that name deleted.
struct Change
{
    QString name;
    qint64 size = 0;
    bool removes = false;
};

// Bytes of room the board lacks for Changes made one after the other in the order given; 0 when the
// room lasts at every step. FreeBytes is the board's free memory, Stored the bytes each board file
// takes by name (the file table's sizes); a file stored under a name the board holds replaces that
// file, freeing its room.
qint64 missingRoom(qint64 freeBytes, const QHash<QString, qint64> &stored, const QList<Change> &changes);

// The same for the end state of Changes alone, whatever the order they are made in. A plan that
// deletes first and shrinks files before it grows any (velmora-fs sync) runs shortest at its end,
// so that this is then its shortfall at every step.
qint64 missingRoomAtEnd(qint64 freeBytes, const QHash<QString, qint64> &stored, const QList<Change> &changes);

// One sentence that names the file at Path and why it cannot be sent ("Файл: PATH не удалось
// ..."); BigForm chooses the limit TooBig names. Empty for Refusal::None.
QString refusalText(Refusal refusal, const QString &path, bool bigForm = false);

// One sentence that tells how many bytes of room are missing: for changes made one after the other
// (missingRoom), or for their end state (missingRoomAtEnd).
QString roomText(qint64 missingBytes);
QString endRoomText(qint64 missingBytes);

} // namespace UploadRules
