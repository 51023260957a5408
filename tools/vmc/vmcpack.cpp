#include "vmcpack.h"

#include "vmctexts.h"
#include "wholefile.h"

#include <QDir>
#include <QStringList>

namespace Vmc {

QByteArray tabBlock(Blocks::Section section, const QByteArray &block)
{
    return block.isEmpty() ? Blocks::emptyBlock(section) : block;
}

std::optional<QByteArray> pack(const ConfigFile &config, QString *error)
{
    ModelIdFile::SectionBlocks blocks;
    int bodySize = 0;
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const auto index = std::size_t(section.section);
        blocks[index] = tabBlock(section.section, config.blocks[index]);
        bodySize += blocks[index].size();
    }
    const std::optional<QByteArray> file = ModelIdFile::encode(blocks);
    if (!file)
        *error = Texts::tr(
                     "Конфигурация слишком велика для model id файла: %1 байт данных, допустимо не более %2.")
                     .arg(bodySize)
                     .arg(ModelIdFile::kMaxBodySize);
    return file;
}

bool unpack(const ConfigFile &config, const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = Texts::tr("не удалось создать папку %1").arg(folder);
        return false;
    }
    const auto &sections = Blocks::sections();
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const QByteArray block = tabBlock(sections[s].section, config.blocks[s]);
        if (!writeFileAtomically(QDir(folder).filePath(sections[s].fileName), block, error)) {
            QStringList notWritten;
            for (std::size_t rest = s + 1; rest < sections.size(); ++rest)
                notWritten << sections[rest].fileName;
            if (!notWritten.isEmpty())
                *error += Texts::tr("; не записаны также: %1").arg(notWritten.join(QStringLiteral(", ")));
            return false;
        }
    }
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString failure = writeWholeFile(path, bytes);
    if (!failure.isEmpty())
        *error = Texts::tr("не удалось записать файл %1: %2").arg(path, failure);
    return failure.isEmpty();
}

} // namespace Vmc
