#include "recoverystore.h"

#include "wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUuid>
#include <array>

namespace {
const QString kLockSuffix = QStringLiteral(".lock");

// A lock of another window, or of this one: only a dead owner makes it stale, however long a
// window stays open.
std::unique_ptr<QLockFile> lockFile(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    return lock;
}

// Every section named once, within the file, in a form its tab reads: the file is whole. The
// window's own writer gives no other; a file cut short or overwritten does.
bool isWhole(const QByteArray &file)
{
    const std::optional<ModelIdFile::SectionBlocks> blocks = ModelIdFile::decode(file);
    if (!blocks)
        return false;
    std::array<bool, Blocks::kSectionCount> named{};
    for (const ModelIdFile::SectionEntry &entry : ModelIdFile::readEntries(file)) {
        const Blocks::SectionInfo *section = Blocks::sectionNamed(entry.name);
        if (!section || ModelIdFile::kHeaderSize + entry.offset + entry.size > file.size() ||
            named[std::size_t(section->section)])
            return false;
        named[std::size_t(section->section)] = true;
    }
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const QByteArray &block = (*blocks)[std::size_t(section.section)];
        if (!named[std::size_t(section.section)] ||
            (!block.isEmpty() && !Blocks::isReadable(section.section, block)))
            return false;
    }
    return true;
}

// The newest model-id entry of an instance folder (normally its only one: a crash between writing
// a file under a new model id and removing the old one leaves two).
QFileInfo newestModelIdFile(const QString &instanceFolder)
{
    QFileInfo newest;
    const QFileInfoList entries =
        QDir(instanceFolder)
            .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (ModelIdFile::isModelIdFileName(entry.fileName()) &&
            (newest.filePath().isEmpty() || entry.lastModified() > newest.lastModified()))
            newest = entry;
    }
    return newest;
}
} // namespace

OrphanedWork::OrphanedWork(const QString &instanceFolder, const QString &path,
                           std::unique_ptr<QLockFile> lock)
    : folder(instanceFolder), filePath(path), lock(std::move(lock))
{}

OrphanedWork::~OrphanedWork() = default;

QDateTime OrphanedWork::lastModified() const
{
    return QFileInfo(filePath).lastModified();
}

std::optional<OrphanedWork::Contents> OrphanedWork::read(QString *reason) const
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return std::nullopt;
    }
    // As the window loads a model-id file: bytes beyond what a header can name are not read.
    QByteArray bytes = file.read(ModelIdFile::kMaxReadableSize);
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return std::nullopt;
    }
    if (!isWhole(bytes)) {
        *reason = tr("файл повреждён");
        return std::nullopt;
    }
    return Contents{QFileInfo(filePath).fileName(), bytes};
}

void OrphanedWork::remove()
{
    QDir(folder).removeRecursively();
    lock.reset();
}

QString RecoveryStore::defaultFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/recovery");
}

RecoveryStore::RecoveryStore(const QString &folder)
    : folder(folder), id(QUuid::createUuid().toString(QUuid::WithoutBraces))
{}

RecoveryStore::~RecoveryStore()
{
    if (lock)
        close(false);
}

bool RecoveryStore::open()
{
    if (lock)
        return true;
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    std::unique_ptr<QLockFile> own = lockFile(lockPath(id));
    if (!own->tryLock(0))
        return false;
    lock = std::move(own);
    return true;
}

void RecoveryStore::setBaseline(const ModelIdFile::SectionBlocks &blocks)
{
    baseline = blocks;
}

void RecoveryStore::setBaseline(Blocks::Section section, const QByteArray &block)
{
    baseline[std::size_t(section)] = block;
}

RecoveryStore::Kept RecoveryStore::keep(const ModelIdFile::SectionBlocks &blocks, quint8 modelId)
{
    if (!lock)
        return Kept::Failed;
    if (blocks == baseline) {
        removeFile();
        return Kept::Nothing;
    }
    const std::optional<QByteArray> file = ModelIdFile::encode(blocks);
    if (!file)
        return Kept::TooLarge;
    const QString path = instanceFolder() + QLatin1Char('/') + ModelIdFile::fileName(modelId);
    if (path == written && *file == writtenBytes && QFileInfo::exists(path))
        return Kept::Written;
    if (!QDir().mkpath(instanceFolder()) || !writeWholeFile(path, *file).isEmpty())
        return Kept::Failed;
    // The model id is in the name: a file under the previous one goes once the new one is there.
    if (!written.isEmpty() && written != path)
        QFile::remove(written);
    written = path;
    writtenBytes = *file;
    return Kept::Written;
}

void RecoveryStore::close(bool keepFile)
{
    if (!lock)
        return;
    if (!keepFile)
        removeFile();
    lock.reset();
}

std::unique_ptr<OrphanedWork> RecoveryStore::takeNewestOrphan() const
{
    const QDir dir(folder);
    // Locks of windows that died before they wrote anything.
    const QStringList locks = dir.entryList({QLatin1Char('*') + kLockSuffix}, QDir::Files | QDir::Hidden);
    for (const QString &name : locks) {
        const QString instance = name.left(name.size() - kLockSuffix.size());
        if (instance == id || dir.exists(instance))
            continue;
        std::unique_ptr<QLockFile> stale = lockFile(dir.filePath(name));
        stale->tryLock(0); // taken or not: released below, which removes it when taken
    }

    std::unique_ptr<OrphanedWork> newest;
    QDateTime newestTime;
    const QStringList instances = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &instance : instances) {
        if (instance == id)
            continue;
        std::unique_ptr<QLockFile> owner = lockFile(lockPath(instance));
        if (!owner->tryLock(0))
            continue; // its window is running
        const QString instanceFolder = dir.filePath(instance);
        const QFileInfo file = newestModelIdFile(instanceFolder);
        if (file.filePath().isEmpty()) {
            QDir(instanceFolder).removeRecursively();
            continue;
        }
        if (!newest || file.lastModified() > newestTime) {
            newestTime = file.lastModified();
            newest = std::make_unique<OrphanedWork>(instanceFolder, file.filePath(), std::move(owner));
        }
    }
    return newest;
}

QString RecoveryStore::lockPath(const QString &instance) const
{
    return folder + QLatin1Char('/') + instance + kLockSuffix;
}

QString RecoveryStore::instanceFolder() const
{
    return folder + QLatin1Char('/') + id;
}

void RecoveryStore::removeFile()
{
    QDir(instanceFolder()).removeRecursively();
    written.clear();
    writtenBytes.clear();
}
