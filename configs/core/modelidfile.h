#pragma once

#include "datablocks.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <array>
#include <optional>

// The model-id file: the whole configuration in one file named after the board's model id. A
// header of ten section entries (name, offset from the end of the header, size), then the ten
// blocks back to back in entry order. Little-endian, no gaps.
namespace ModelIdFile {

constexpr int kSectionNameSize = 12; // Latin-1, zero padded; the last byte is always 0
constexpr int kSectionEntrySize = kSectionNameSize + 2 + 2;
constexpr int kHeaderSize = Blocks::kSectionCount * kSectionEntrySize;
static_assert(kHeaderSize == 160, "model-id header layout");
// Offsets and sizes are 16-bit fields: a larger body cannot be described.
constexpr int kMaxBodySize = 0xFFFF;
// No entry can name a byte beyond this size: the largest offset plus the largest size.
constexpr int kMaxReadableSize = kHeaderSize + 0xFFFF + 0xFFFF;

struct SectionEntry
{
    QString name;
    quint16 offset = 0;
    quint16 size = 0;
};

// One block per section, in section order.
using SectionBlocks = std::array<QByteArray, Blocks::kSectionCount>;

// "ModelId_" + the model id in decimal + ".vmc".
QString fileName(quint8 modelId);
// Whether a file name (no directory) names a model-id file: "ModelId_", digits, any one
// character, "vmc", as a whole.
bool isModelIdFileName(const QString &fileName);
// The model id a file name gives: the low 8 bits of its first run of decimal digits (0 without
// digits).
quint8 modelIdOf(const QString &fileName);

// The whole file, or none when the body is too large for the header's 16-bit fields.
std::optional<QByteArray> encode(const SectionBlocks &blocks);

// The header's entries up to the first one with an empty name; none for a file shorter than the
// header.
QVector<SectionEntry> readEntries(const QByteArray &file);
// The blocks a file holds, or none for a file shorter than the header. Sections are found by
// name: entries of unknown names and entries that reach past the end of the file are ignored,
// and two entries of the same name give their bytes one after the other.
std::optional<SectionBlocks> decode(const QByteArray &file);

} // namespace ModelIdFile
