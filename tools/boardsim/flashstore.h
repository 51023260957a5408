#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace boardsim {

// One file of the simulated flash.
struct StoredFile
{
    QByteArray name; // Latin-1, 1..51 bytes, no zero byte
    quint32 modifyTime = 0;
    quint32 address = 0;
    quint32 size = 0;
    quint16 blockNumber = 0;
    bool onDisk = false;     // content lives in the folder, not in `content`
    QByteArray content;      // memory-held content (demo files, hostile entries, no folder)
    qint64 diskStampMs = -1; // last-modified time seen on disk, to notice changes made by hand
};

// The board's file table and memory: files get contiguous ranges of the modelled flash, first
// fit by address. With a folder, uploads are written there and the table follows the folder's
// files (rescan); entries added in memory (demo and hostile ones) stay memory-only.
// Every change bumps version(), which the sessions compare for the keep-alive flag.
class FlashStore
{
public:
    using Logger = std::function<void(const QString &)>;

    explicit FlashStore(quint32 totalMemory, Logger logger = {});

    quint32 totalMemory() const { return memory; }
    quint64 version() const { return changeCount; }
    const std::vector<StoredFile> &files() const { return table; }
    const StoredFile *find(const QByteArray &name) const;

    // Uses `folder` for persistence and loads the files it holds. False if it is no folder.
    bool setFolder(const QString &folder, QString *error);
    bool hasFolder() const { return !folderPath.isEmpty(); }

    // A name that may be used as one path element inside the folder on any desktop system.
    static bool isSafeFileName(const QByteArray &name);

    // Whether a file of `size` bytes named `name` would find room (an old file of that name
    // is replaced, so its room counts as free).
    bool fits(const QByteArray &name, quint32 size) const;

    enum class StoreResult
    {
        Stored,
        NoSpace,
        BadName,
        IoError
    };
    // Stores or replaces a file; modifyTime is the time of the store.
    StoreResult store(const QByteArray &name, const QByteArray &content, quint32 modifyTime);
    // A memory-only entry whose name is taken as is (for hostile-name fixtures).
    StoreResult addMemoryOnly(const QByteArray &name, const QByteArray &content, quint32 modifyTime);

    enum class RemoveResult
    {
        Removed,
        Missing,
        IoError
    };
    RemoveResult remove(const QByteArray &name);

    // Content of a file; false if it is gone (e.g. removed from the folder by hand).
    bool readContent(const QByteArray &name, QByteArray *content) const;

    // Brings the table in line with the folder; true if anything changed.
    bool rescan();

private:
    // First free address with `size` bytes of room, ignoring the file named `ignored`; -1 if none.
    qint64 findRoom(quint32 size, const QByteArray &ignored) const;
    quint16 freeBlockNumber(const QByteArray &ignored) const;
    StoreResult insert(StoredFile file);
    std::vector<StoredFile>::iterator entryOf(const QByteArray &name);
    // Drops a table entry without touching the folder.
    void forget(const QByteArray &name);
    void log(const QString &text) const;
    QString pathOf(const QByteArray &name) const;

    quint32 memory;
    Logger logger;
    QString folderPath;
    std::vector<StoredFile> table;
    quint64 changeCount = 0;
    std::vector<QByteArray> refusedOnDisk; // folder files already reported as unusable
};

} // namespace boardsim
