#include "flashstore.h"

#include "wholefile.h"
#include "wire.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace boardsim {

FlashStore::FlashStore(quint32 totalMemory, Logger logger) : memory(totalMemory), logger(std::move(logger)) {}

void FlashStore::log(const QString &text) const
{
    if (logger)
        logger(text);
}

std::vector<StoredFile>::iterator FlashStore::entryOf(const QByteArray &name)
{
    return std::find_if(table.begin(), table.end(),
                        [&](const StoredFile &entry) { return entry.name == name; });
}

const StoredFile *FlashStore::find(const QByteArray &name) const
{
    for (const StoredFile &file : table) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

bool FlashStore::isSafeFileName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > wire::kMaxNameLength || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        // Separators, characters some desktop file systems refuse, and control bytes.
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr)
            return false;
    }
    // Trailing dots and spaces are silently dropped by some file systems, so two names could meet.
    return !name.endsWith('.') && !name.endsWith(' ');
}

QString FlashStore::pathOf(const QByteArray &name) const
{
    return QDir(folderPath).filePath(QString::fromLatin1(name));
}

qint64 FlashStore::findRoom(quint32 size, const QByteArray &ignored) const
{
    if (size > memory)
        return -1;
    std::vector<std::pair<quint64, quint64>> used; // [start, end)
    used.reserve(table.size());
    for (const StoredFile &file : table) {
        if (file.name != ignored)
            used.emplace_back(file.address, quint64(file.address) + file.size);
    }
    std::sort(used.begin(), used.end());
    quint64 candidate = 0;
    for (const auto &range : used) {
        if (range.first >= candidate + size)
            break;
        candidate = std::max(candidate, range.second);
    }
    return candidate + size <= memory ? qint64(candidate) : -1;
}

quint16 FlashStore::freeBlockNumber(const QByteArray &ignored) const
{
    std::vector<quint16> taken;
    taken.reserve(table.size());
    for (const StoredFile &file : table) {
        if (file.name != ignored)
            taken.push_back(file.blockNumber);
    }
    std::sort(taken.begin(), taken.end());
    quint16 candidate = 1;
    for (const quint16 number : taken) {
        if (number == candidate)
            ++candidate;
        else if (number > candidate)
            break;
    }
    return candidate;
}

bool FlashStore::fits(const QByteArray &name, quint32 size) const
{
    return findRoom(size, name) >= 0;
}

FlashStore::StoreResult FlashStore::insert(StoredFile file)
{
    const qint64 address = findRoom(file.size, file.name);
    if (address < 0)
        return StoreResult::NoSpace;
    file.address = quint32(address);
    file.blockNumber = freeBlockNumber(file.name);
    const auto old = entryOf(file.name);
    if (old != table.end())
        *old = std::move(file);
    else
        table.push_back(std::move(file));
    ++changeCount;
    return StoreResult::Stored;
}

FlashStore::StoreResult FlashStore::store(const QByteArray &name, const QByteArray &content,
                                          quint32 modifyTime)
{
    if (name.isEmpty() || name.size() > wire::kMaxNameLength || name.contains('\0'))
        return StoreResult::BadName;
    if (hasFolder() && !isSafeFileName(name))
        return StoreResult::BadName;
    if (content.size() < 0 || quint64(content.size()) > memory || !fits(name, quint32(content.size())))
        return StoreResult::NoSpace;

    StoredFile file;
    file.name = name;
    file.modifyTime = modifyTime;
    file.size = quint32(content.size());
    if (hasFolder()) {
        // Written whole or not at all, so a folder never holds half an upload.
        const QString error = writeWholeFile(pathOf(name), content);
        if (!error.isEmpty()) {
            log(QStringLiteral("cannot write %1: %2").arg(pathOf(name), error));
            return StoreResult::IoError;
        }
        file.onDisk = true;
        file.diskStampMs = QFileInfo(pathOf(name)).lastModified().toMSecsSinceEpoch();
    } else {
        file.content = content;
    }
    return insert(std::move(file));
}

FlashStore::StoreResult FlashStore::addMemoryOnly(const QByteArray &name, const QByteArray &content,
                                                  quint32 modifyTime)
{
    if (name.isEmpty() || name.size() > wire::kMaxNameLength || name.contains('\0'))
        return StoreResult::BadName;
    StoredFile file;
    file.name = name;
    file.modifyTime = modifyTime;
    file.size = quint32(content.size());
    file.content = content;
    return insert(std::move(file));
}

FlashStore::RemoveResult FlashStore::remove(const QByteArray &name)
{
    const auto it = entryOf(name);
    if (it == table.end())
        return RemoveResult::Missing;
    if (it->onDisk) {
        QFile file(pathOf(name));
        if (file.exists() && !file.remove()) {
            log(QStringLiteral("cannot remove %1: %2").arg(file.fileName(), file.errorString()));
            return RemoveResult::IoError;
        }
    }
    table.erase(it);
    ++changeCount;
    return RemoveResult::Removed;
}

void FlashStore::forget(const QByteArray &name)
{
    const auto it = entryOf(name);
    if (it != table.end()) {
        table.erase(it);
        ++changeCount;
    }
}

bool FlashStore::readContent(const QByteArray &name, QByteArray *content) const
{
    const StoredFile *file = find(name);
    if (!file)
        return false;
    if (!file->onDisk) {
        *content = file->content;
        return true;
    }
    QFile in(pathOf(name));
    if (!in.open(QIODevice::ReadOnly))
        return false;
    *content = in.readAll();
    return in.error() == QFileDevice::NoError;
}

bool FlashStore::setFolder(const QString &folder, QString *error)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        *error = QStringLiteral("not a folder: %1").arg(folder);
        return false;
    }
    folderPath = info.absoluteFilePath();
    rescan();
    return true;
}

bool FlashStore::rescan()
{
    if (!hasFolder())
        return false;
    const QFileInfoList entries =
        QDir(folderPath)
            .entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    struct Seen
    {
        QByteArray name;
        qint64 size;
        qint64 stamp;
    };
    std::vector<Seen> seen;
    seen.reserve(size_t(entries.size()));
    for (const QFileInfo &entry : entries) {
        const QString fileName = entry.fileName();
        const QByteArray name = fileName.toLatin1();
        if (QString::fromLatin1(name) != fileName || !isSafeFileName(name)) {
            if (std::find(refusedOnDisk.begin(), refusedOnDisk.end(), name) == refusedOnDisk.end()) {
                refusedOnDisk.push_back(name);
                log(QStringLiteral("skipping %1: not usable as a board file name").arg(fileName));
            }
            continue;
        }
        seen.push_back({name, entry.size(), entry.lastModified().toMSecsSinceEpoch()});
    }

    const quint64 before = changeCount;
    // Files gone from the folder.
    for (auto it = table.begin(); it != table.end();) {
        const bool present =
            std::any_of(seen.begin(), seen.end(), [&](const Seen &s) { return s.name == it->name; });
        if (it->onDisk && !present) {
            it = table.erase(it);
            ++changeCount;
        } else {
            ++it;
        }
    }
    // New or changed files.
    for (const Seen &s : seen) {
        const StoredFile *current = find(s.name);
        if (current &&
            (!current->onDisk || (current->size == quint64(s.size) && current->diskStampMs == s.stamp)))
            continue;
        const bool known =
            std::find(refusedOnDisk.begin(), refusedOnDisk.end(), s.name) != refusedOnDisk.end();
        StoredFile file;
        file.name = s.name;
        file.size = quint32(qMin<qint64>(s.size, 0xFFFFFFFF));
        file.modifyTime = quint32(qBound<qint64>(0, s.stamp / 1000, 0xFFFFFFFF));
        file.onDisk = true;
        file.diskStampMs = s.stamp;
        if (s.size > qint64(memory) || insert(std::move(file)) != StoreResult::Stored) {
            if (current)
                forget(s.name); // it grew beyond the free memory: the board lost it
            if (!known) {
                refusedOnDisk.push_back(s.name);
                log(QStringLiteral("skipping %1: %2 bytes do not fit the free memory")
                        .arg(QString::fromLatin1(s.name))
                        .arg(s.size));
            }
        }
    }
    return changeCount != before;
}

} // namespace boardsim
