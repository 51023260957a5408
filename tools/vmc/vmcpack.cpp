#include "vmcpack.h"

#include "wholefile.h"

#include <QDir>

namespace Vmc {

QByteArray tabBlock(Blocks::Section section, const QByteArray &block)
{
    if (section == Blocks::Section::Gpio && block.isEmpty())
        return Blocks::encodeGpioBlock(GpioBlock());
    return block;
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
        *error = QStringLiteral(
                     "Конфигурация слишком велика для model id файла: %1 байт данных, допустимо не более %2.")
                     .arg(bodySize)
                     .arg(ModelIdFile::kMaxBodySize);
    return file;
}

bool unpack(const ConfigFile &config, const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("%1: папку не удалось создать").arg(folder);
        return false;
    }
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const QByteArray block = tabBlock(section.section, config.blocks[std::size_t(section.section)]);
        if (!writeFileAtomically(QDir(folder).filePath(section.fileName), block, error))
            return false;
    }
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString failure = writeWholeFile(path, bytes);
    if (!failure.isEmpty())
        *error = QStringLiteral("%1: %2").arg(path, failure);
    return failure.isEmpty();
}

} // namespace Vmc
