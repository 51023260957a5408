#include "receivedfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace ReceivedFiles {

bool isPlainFileName(const QString &Name)
{
    if (Name.isEmpty())
        return false;
    bool onlyDotsAndSpaces = true;
    for (const QChar c : Name) {
        const ushort code = c.unicode();
        if (code < 0x20 || code == 0x7F)
            return false;
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
        if (c != QLatin1Char('.') && c != QLatin1Char(' '))
            onlyDotsAndSpaces = false;
    }
    // Covers "." and ".."; Windows also drops trailing dots and spaces, so "..." would be the
    // folder itself.
    return !onlyDotsAndSpaces;
}

namespace {

// True when Path, once symbolic links are followed, is a file directly inside Folder.
bool landsInside(const QString &Folder, const QString &Path)
{
    const QString folder = QDir::cleanPath(QDir(Folder).absolutePath());
    const QFileInfo target(Path);
    if (QDir::cleanPath(target.absolutePath()) != folder)
        return false;
    if (!target.isSymLink())
        return true;
    // An existing link would be written through; allow it only when it stays in the folder.
    const QString resolved = target.canonicalFilePath();
    return !resolved.isEmpty() && QFileInfo(resolved).absolutePath() == QDir(Folder).canonicalPath();
}

} // namespace

QStringList save(const QString &Folder, const QMap<QString, QByteArray> &Files)
{
    QStringList refused;
    const QDir folder(Folder);
    for (auto it = Files.cbegin(); it != Files.cend(); ++it) {
        const QString path = folder.filePath(it.key());
        if (!isPlainFileName(it.key()) || !landsInside(Folder, path)) {
            refused << it.key();
            continue;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            continue;
        if (file.write(it.value()) != it.value().size()) {
            file.cancelWriting();
            continue;
        }
        // commit() drops the temporary file when the data could not be flushed whole.
        file.commit();
    }
    return refused;
}

} // namespace ReceivedFiles
