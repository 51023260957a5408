#pragma once

#include "datablocks.h"
#include "modelidfile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

class QLockFile;

// A configuration another builder window left on disk when its program ended without closing it,
// locked by this program while it decides what becomes of it.
class OrphanedWork
{
    Q_DECLARE_TR_FUNCTIONS(OrphanedWork)

public:
    struct Contents
    {
        QString name; // ModelId_<id>.vmc: the model id is in the name
        QByteArray bytes;
    };

    OrphanedWork(const QString &instanceFolder, const QString &path, std::unique_ptr<QLockFile> lock);
    // Releases the lock and leaves the file to a later opening.
    ~OrphanedWork();
    OrphanedWork(const OrphanedWork &) = delete;
    OrphanedWork &operator=(const OrphanedWork &) = delete;

    QString path() const { return filePath; }
    QDateTime lastModified() const;

    // The file as the window loads a model-id file; none when it cannot be read, is shorter than
    // its header, lacks a section or holds one the tab would not read, with the reason.
    std::optional<Contents> read(QString *reason) const;
    // Removes the file with its folder, then the lock.
    void remove();

private:
    QString folder;
    QString filePath;
    std::unique_ptr<QLockFile> lock;
};

// A builder window's unsaved configuration on disk, so that a crash does not lose it. Every window
// has a folder of its own, named by a random id, and a lock file beside it held while it lives:
//
//   FOLDER/ID.lock              the live window's lock, stale only once its owner is dead
//   FOLDER/ID/ModelId_<id>.vmc  the configuration in the model-id format, named by its model id
//
// The lock is taken before the instance folder is made and released after it is removed, so an
// instance folder whose lock can be taken belongs to no running window.
class RecoveryStore
{
public:
    enum class Kept
    {
        Nothing,  // nothing unsaved: no file
        Written,  // the file holds the configuration
        TooLarge, // the model-id format cannot hold it: the last file stays
        Failed,   // the file could not be written
    };

    // "recovery" in the user's data location.
    static QString defaultFolder();

    explicit RecoveryStore(const QString &folder);
    // Removes the file unless close() said to keep it.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    // Takes this window's lock; false when the folder cannot hold it, and nothing is ever written.
    bool open();

    // What the window holds as saved (or loaded): each section equal to it is not unsaved work.
    void setBaseline(const ModelIdFile::SectionBlocks &blocks);
    void setBaseline(Blocks::Section section, const QByteArray &block);

    // Writes the configuration when a section differs from its baseline, or removes the file when
    // none does.
    Kept keep(const ModelIdFile::SectionBlocks &blocks, quint8 modelId);
    // The file last written, empty when there is none.
    QString filePath() const { return written; }

    // Releases the lock; the file goes too unless it is to be kept for the next start.
    void close(bool keepFile);

    // The newest file whose window is gone, locked; older ones stay for later openings. Folders of
    // dead windows that hold no file and their locks are removed on the way.
    std::unique_ptr<OrphanedWork> takeNewestOrphan() const;

private:
    QString lockPath(const QString &instance) const;
    QString instanceFolder() const;
    void removeFile();

    const QString folder;
    const QString id;
    std::unique_ptr<QLockFile> lock;
    ModelIdFile::SectionBlocks baseline;
    QString written;
    QByteArray writtenBytes;
};
