#include "vmcfile.h"

#include "vmctexts.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace Vmc {

namespace {
bool readWhole(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Texts::tr("не удалось прочитать %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}
} // namespace

std::optional<ConfigFile> readConfig(const QString &path, QString *error, Naming naming, const QString &type)
{
    const QFileInfo info(path);
    ConfigFile config;
    config.path = path;
    config.name = type.isEmpty() ? info.fileName() : type;
    if (info.isDir()) {
        if (!type.isEmpty()) {
            *error = Texts::tr("%1 — папка, а --type задаёт тип файла").arg(path);
            return std::nullopt;
        }
        // The tabs of a folder: each from its own file, an absent file an empty tab.
        config.kind = FileKind::Folder;
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            const QString file = QDir(path).filePath(section.fileName);
            const auto index = std::size_t(section.section);
            config.present[index] = true;
            if (QFileInfo::exists(file) && !readWhole(file, &config.blocks[index], error))
                return std::nullopt;
        }
        return config;
    }

    if (naming == Naming::GitTemporary && !isConfigFileName(config.name)) {
        static const QRegularExpression temporary(QStringLiteral("^[^_]{6}_(.+)$"));
        const QRegularExpressionMatch match = temporary.match(config.name);
        if (match.hasMatch() && isConfigFileName(match.captured(1)))
            config.name = match.captured(1);
    }
    QByteArray bytes;
    if (!isConfigFileName(config.name)) {
        *error = Texts::tr("Неизвестный файл %1! Прочитать его как файл конфигурации: --type ИМЯ").arg(path);
        return std::nullopt;
    }
    if (!readWhole(path, &bytes, error))
        return std::nullopt;
    std::optional<ConfigFile> contents = configOf(config.name, bytes);
    contents->path = path;
    return contents;
}

} // namespace Vmc
