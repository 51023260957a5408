#include "receivedfiles.h"

#include "wholefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

SaveResult save(const QString &Folder, const QMap<QString, QByteArray> &Files)
{
    SaveResult result;
    const QDir folder(Folder);
    for (auto it = Files.cbegin(); it != Files.cend(); ++it) {
        if (!isPlainFileName(it.key())) {
            result.badNames << it.key();
            continue;
        }
        // A plain name is always directly inside; only a link of that name can lead elsewhere.
        const QString path = folder.filePath(it.key());
        if (!landsInside(Folder, path)) {
            result.linksOut << it.key();
            continue;
        }
        if (!writeWholeFile(path, it.value()).isEmpty())
            result.failed << it.key();
    }
    return result;
}

namespace {

QString listed(QString text, const QStringList &names)
{
    for (const QString &name : names)
        text += QStringLiteral("\n«") + name + QStringLiteral("»");
    return text;
}

} // namespace

QString messageText(const SaveResult &Result)
{
    QStringList paragraphs;
    if (!Result.badNames.isEmpty())
        paragraphs << listed(QCoreApplication::translate(
                                 "ReceivedFiles", "Следующие файлы не сохранены: недопустимое имя файла:"),
                             Result.badNames);
    if (!Result.linksOut.isEmpty())
        paragraphs << listed(QCoreApplication::translate(
                                 "ReceivedFiles", "Следующие файлы не сохранены: в папке под этим именем "
                                                  "лежит символическая ссылка, ведущая за её пределы:"),
                             Result.linksOut);
    if (!Result.failed.isEmpty())
        paragraphs << listed(QCoreApplication::translate(
                                 "ReceivedFiles", "Следующие файлы не сохранены: не удалось записать файл:"),
                             Result.failed);
    return paragraphs.join(QLatin1Char('\n'));
}

} // namespace ReceivedFiles
