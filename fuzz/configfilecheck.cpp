#include "configfilecheck.h"

#include "modelidfile.h"
#include "pinmap.h"
#include "report.h"
#include "vmccheck.h"
#include "vmcdiff.h"
#include "vmcdump.h"
#include "vmcfile.h"

namespace {
bool checkModelIdReader(const QByteArray &file)
{
    const QVector<ModelIdFile::SectionEntry> entries = ModelIdFile::readEntries(file);
    const std::optional<ModelIdFile::SectionBlocks> blocks = ModelIdFile::decode(file);
    if (bool(blocks) != (file.size() >= ModelIdFile::kHeaderSize) || entries.size() > Blocks::kSectionCount)
        return false;
    if (!blocks)
        return entries.isEmpty();
    // Each section holds exactly the bytes of its entries that lie in the file.
    std::array<int, Blocks::kSectionCount> sizes{};
    for (const ModelIdFile::SectionEntry &entry : entries) {
        if (entry.name.isEmpty() || entry.name.size() > ModelIdFile::kSectionNameSize)
            return false;
        const Blocks::SectionInfo *section = Blocks::sectionNamed(entry.name);
        if (section && ModelIdFile::kHeaderSize + entry.offset + entry.size <= file.size())
            sizes[std::size_t(section->section)] += entry.size;
    }
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        if ((*blocks)[s].size() != sizes[s])
            return false;
    }
    // Written again, read again: the same sections.
    const std::optional<QByteArray> again = ModelIdFile::encode(*blocks);
    return !again || ModelIdFile::decode(*again) == blocks;
}
} // namespace

bool checkConfigFile(const uint8_t *data, size_t size)
{
    if (size < 1)
        return true;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), int(size - 1));
    const int pick = data[0] % (Blocks::kSectionCount + 1);
    const QString name = pick == Blocks::kSectionCount ? ModelIdFile::fileName(data[0])
                                                       : Blocks::sections()[std::size_t(pick)].fileName;
    if (pick == Blocks::kSectionCount && !checkModelIdReader(bytes))
        return false;
    const std::optional<Vmc::ConfigFile> config = Vmc::configOf(name, bytes);
    if (!config)
        return false;
    for (const Vmc::Finding &finding : Vmc::check(*config)) {
        if (Checks::placeText(finding.place).isEmpty() || finding.text.isEmpty())
            return false;
    }
    if (Vmc::dumpText(*config).isEmpty() || Vmc::dumpJson(*config).isEmpty())
        return false;
    // Whatever the file holds, its report draws every pin once and lists every pin in its CSV.
    if (Report::html(*config, Report::Meta()).count("class=\"pin\"") != Pins::kPinCount ||
        Report::csv(*config).count("\r\n") != Pins::kPinCount + 1)
        return false;
    // A configuration does not differ from itself.
    return Vmc::diff(*config, *config).isEmpty();
}
