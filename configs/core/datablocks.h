#pragma once

#include "fields.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <array>
#include <optional>

// The binary blocks the builder stores per tab. The same bytes are a per-tab file, a section of
// the model-id file and the input of a tab's fill. Little-endian, packed, no header.
namespace Blocks {

constexpr int kGpioPinCount = 96;
constexpr int kGpioIndexOffset = 0;                                   // uint16 per pin
constexpr int kGpioCodeOffset = kGpioIndexOffset + 2 * kGpioPinCount; // 192, uint8 per pin
constexpr int kGpioReservedOffset = kGpioCodeOffset + kGpioPinCount;  // 288
constexpr int kGpioReservedSize = 8;
constexpr int kGpioBlockSize = kGpioReservedOffset + kGpioReservedSize; // 296
static_assert(kGpioBlockSize == 296, "pin block layout");

constexpr int kRegPortRecordSize = 4;
constexpr int kAdcInputRecordSize = 12;
constexpr int kPwmPortRecordSize = 8;
constexpr int kDigitalLinkRecordSize = 4;
constexpr int kAnalogLinkRecordSize = 4;

// The most bytes a block may hold: a model-id section gives its size in 16 bits, and a per-tab
// file holds the same bytes.
constexpr int kMaxBlockSize = 0xFFFF;

// A reader stops before the first record whose marker field holds its end marker.
constexpr quint16 kRegPortEndMarker = 25555;           // in the code field
constexpr quint32 kAdcInputEndMarkerBits = 0x46C7A600; // 25555.0f, in the gain field
constexpr quint16 kPwmPortEndMarker = 25555;           // in the pin field
constexpr quint8 kLinkEndMarker = 241;                 // in the type field of both link records

} // namespace Blocks

struct GpioBlock
{
    std::array<quint16, Blocks::kGpioPinCount> index{};
    std::array<quint8, Blocks::kGpioPinCount> code{};
};

struct RegPortRecord
{
    quint16 index = 0;
    quint16 code = 0;
};

struct AdcInputRecord
{
    float gain = 0.0f;
    float offset = 0.0f;
    quint16 index = 0;
    quint16 port = 0; // SPI ADC: the row's position; on-chip ADC: the pin number
};

struct PwmPortRecord
{
    quint16 index = 0;
    quint16 pin = 0;
    quint32 frequency = 0;
};

struct DigitalLinkRecord
{
    quint16 index = 0;
    quint8 type = 0;
    quint8 reserved = 0;
};

// Laid out differently from DigitalLinkRecord: reserved word first, 8-bit index.
struct AnalogLinkRecord
{
    quint16 reserved = 0;
    quint8 index = 0;
    quint8 type = 0;
};

// Two records are equal when they encode to the same bytes: floats compare by bit pattern and
// reserved fields, never written, do not count.
bool operator==(const GpioBlock &a, const GpioBlock &b);
bool operator==(const RegPortRecord &a, const RegPortRecord &b);
bool operator==(const AdcInputRecord &a, const AdcInputRecord &b);
bool operator==(const PwmPortRecord &a, const PwmPortRecord &b);
bool operator==(const DigitalLinkRecord &a, const DigitalLinkRecord &b);
bool operator==(const AnalogLinkRecord &a, const AnalogLinkRecord &b);

namespace Blocks {

// A pin block is read only when it is exactly kGpioBlockSize bytes; the reserved bytes are ignored.
std::optional<GpioBlock> decodeGpioBlock(const QByteArray &bytes);
QByteArray encodeGpioBlock(const GpioBlock &block);
// Gives every pin that cannot be used the not-available code, whatever the block held.
GpioBlock withUnavailablePinsMarked(GpioBlock block);

// Record decoders: no value when the block is shorter than one record (the tab keeps its rows);
// otherwise the whole records up to the first end marker, possibly none. A trailing partial
// record is ignored.
std::optional<QVector<RegPortRecord>> decodeRegPortRecords(const QByteArray &bytes);
std::optional<QVector<AdcInputRecord>> decodeAdcInputRecords(const QByteArray &bytes);
std::optional<QVector<PwmPortRecord>> decodePwmPortRecords(const QByteArray &bytes);
std::optional<QVector<DigitalLinkRecord>> decodeDigitalLinkRecords(const QByteArray &bytes);
std::optional<QVector<AnalogLinkRecord>> decodeAnalogLinkRecords(const QByteArray &bytes);

// Encoders write the records back to back; they never append an end marker. Reserved fields are
// written as 0 whatever the record holds, so bytes read from a file are never carried back out.
QByteArray encodeRecords(const QVector<RegPortRecord> &records);
QByteArray encodeRecords(const QVector<AdcInputRecord> &records);
QByteArray encodeRecords(const QVector<PwmPortRecord> &records);
QByteArray encodeRecords(const QVector<DigitalLinkRecord> &records);
QByteArray encodeRecords(const QVector<AnalogLinkRecord> &records);

// The ten blocks of a configuration, one per tab, in the order they are filled and stored in a
// model-id file.
enum class Section
{
    Gpio,
    RegDo,
    RegDi,
    RegAdc,
    TiAdc,
    PwmPorts,
    DoLinks,
    DiLinks,
    AiLinks,
    AoLinks,
};
constexpr int kSectionCount = 10;

enum class BlockFormat
{
    Gpio,
    RegPort,
    AdcInput,
    PwmPort,
    DigitalLink,
    AnalogLink,
};

// Reads a block as the window does: its records as named fields, in file order (the pin block's
// pins in page order), or none when the tab would leave its rows as they were.
using RecordReader = std::optional<QVector<Configuration::Record>> (*)(const QByteArray &block);

// A section: its name in a model-id file, the per-tab file that holds the same bytes, the title
// of its tab, its block format with the size of one record (the whole block for the pin block),
// and how its records read.
struct SectionInfo
{
    Section section;
    QString name;
    QString fileName;
    const char *title; // in Russian: tabTitle() gives it in the user's language
    BlockFormat format;
    int recordSize;
    RecordReader read;
};

// The ten sections in order.
const std::array<SectionInfo, kSectionCount> &sections();
const SectionInfo &sectionInfo(Section section);
// The title of the section's tab in the user's language.
QString tabTitle(Section section);
// The size of one record of a section's block (the whole block for the pin section).
int recordSize(Section section);
// Whether a tab fills from this block, as its decoder reads it: a pin block of exactly its size,
// a record block of at least one record. A tab leaves its rows as they were for any other block.
bool isReadable(Section section, const QByteArray &block);
// The block of an empty tab: every pin unused (a pin block of zeros), no records.
QByteArray emptyBlock(Section section);
// The section of this name, or none (names compare exactly).
const SectionInfo *sectionNamed(const QString &name);
// The section whose per-tab file has exactly this name (no directory), or none.
const SectionInfo *sectionOfFile(const QString &fileName);

} // namespace Blocks
