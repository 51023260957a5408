#pragma once

#include "datablocks.h"
#include "functioncatalogue.h"
#include "modelidfile.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <optional>

// Configuration files as the builder window reads them, and their blocks as named records: what
// every vmc command works on. The byte layouts and rules are the configuration core's; nothing
// here reads a field of its own.
namespace Vmc {

enum class FileKind
{
    PerTab,
    ModelId,
    Folder
};

// A file (or a folder of per-tab files) as read.
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

// How a file's name is taken.
enum class Naming
{
    AsWindow,    // exactly as the window's loading takes it
    GitTemporary // as the window would, or behind the "XXXXXX_" that git puts before the copies it
                 // hands a diff converter
};

// Reads a per-tab file, a model-id file, or a folder of per-tab files (missing ones count as
// empty tabs). A name that is neither, or a file that cannot be read, gives an error text. A file
// given a type is read under that name (no directory) whatever it is called.
std::optional<ConfigFile> readConfig(const QString &path, QString *error, Naming naming = Naming::AsWindow,
                                     const QString &type = QString());

// Whether the window reads files of this name (no directory): a per-tab or a model-id file's.
bool isConfigFileName(const QString &fileName);

// A file's contents as the window would read them under this file name (no directory), or none
// for a name that is neither a per-tab nor a model-id file's.
std::optional<ConfigFile> configOf(const QString &fileName, const QByteArray &bytes);

// A field of a record by the name of its block table's column, in lower camel case.
struct Field
{
    QString name;
    QVariant value;
};
using Record = QVector<Field>;

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
// The function text a context shows for a code.
QString functionText(Functions::Context context, int code);

} // namespace Vmc
