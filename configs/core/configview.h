#pragma once

#include "datablocks.h"
#include "fields.h"
#include "functioncatalogue.h"
#include "modelidfile.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <optional>

// A configuration as the builder window reads it, and its blocks as named records: what the
// checker, the tools and the window's own check work on.
namespace Configuration {

enum class FileKind
{
    PerTab,
    ModelId,
    // Every tab at once without a header: a folder of per-tab files, or a window's own tabs.
    Folder
};

// A file, a folder of per-tab files or a window's tabs, as read.
struct ConfigFile
{
    QString path;
    QString name; // the file name the file is read as
    FileKind kind = FileKind::PerTab;
    quint8 modelId = 0; // model-id files: as the file name gives it
    QByteArray bytes;   // the whole file; empty for a folder
    // Model-id files: the header's entries up to the first empty name.
    QVector<ModelIdFile::SectionEntry> entries;
    // Model-id files: where the last section that lies in the file ends (a file offset); the
    // window reads nothing after it.
    int sectionsEnd = 0;
    // The block of each section the file gives, as the window would fill it.
    ModelIdFile::SectionBlocks blocks;
    std::array<bool, Blocks::kSectionCount> present{};
};

// Whether the window reads files of this name (no directory): a per-tab or a model-id file's.
bool isConfigFileName(const QString &fileName);

// A file's contents as the window would read them under this file name (no directory), or none
// for a name that is neither a per-tab nor a model-id file's.
std::optional<ConfigFile> configOf(const QString &fileName, const QByteArray &bytes);

// Every tab's block, as a window holds them or a folder of per-tab files gives them.
ConfigFile configOfBlocks(const ModelIdFile::SectionBlocks &blocks);

// A record's field of this name, or an invalid value.
QVariant fieldOf(const Record &record, const QString &name);

// A float as written in the file: the shortest decimal that reads back to the same value.
QString floatText(double value);
// A field's name in words ("индекс").
QString fieldLabel(const QString &name);
// A field's value in words: a float as floatText() writes it.
QString valueText(const QVariant &value);

// A field of a record in words: its label and its value, a code with its function
// ("код", "4 «Моностабильный выход»") and a pin with its name ("вывод", "42 PD 2 (X6-03)").
struct FieldText
{
    QString label;
    QString text;
};
QVector<FieldText> fieldTexts(const Record &record);
// One record in words ("индекс 1, код 4 «Моностабильный выход»").
QString recordText(const Record &record);

// A block as the window reads it.
struct BlockView
{
    Blocks::Section section = Blocks::Section::Gpio;
    int size = 0;
    // Too short for one record, or a pin block of any other size than its own: the window leaves
    // the tab as it was.
    bool ignored = false;
    QVector<Record> records; // what the window reads, in file order (pins in page order)
    int endMarker = -1;      // the record that carries the end mark, or -1
    int recordsAfterMarker = 0;
    int trailingBytes = 0; // after the last whole record
};

BlockView viewOf(Blocks::Section section, const QByteArray &block);

// Where a pin sits, as an engineer names it: "X7-03 PK 4", or "No X PN 1" off the headers.
QString pinPlace(quint32 pin);

} // namespace Configuration
