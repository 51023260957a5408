#include "modelidfile.h"

#include <QRegularExpression>
#include <QtEndian>

namespace ModelIdFile {

namespace {
constexpr int kOffsetField = kSectionNameSize;
constexpr int kSizeField = kSectionNameSize + 2;

quint16 readU16(const QByteArray &bytes, int position)
{
    return qFromLittleEndian<quint16>(bytes.constData() + position);
}

void writeU16(QByteArray &bytes, int position, quint16 value)
{
    uchar field[2];
    qToLittleEndian<quint16>(value, field);
    bytes.replace(position, 2, reinterpret_cast<const char *>(field), 2);
}
} // namespace

QString fileName(quint8 modelId)
{
    return QStringLiteral("ModelId_%1.vmc").arg(modelId);
}

bool isModelIdFileName(const QString &fileName)
{
    // The point is not escaped: it matches any character, so "ModelId_7-vmc" is a model-id file name too.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("ModelId_[0-9]+.vmc")));
    return pattern.match(fileName).hasMatch();
}

quint8 modelIdOf(const QString &fileName)
{
    // Digit by digit, so that a run too long for any integer still gives its low 8 bits.
    unsigned value = 0;
    bool inDigits = false;
    for (const QChar c : fileName) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (digit) {
            value = (value * 10 + unsigned(c.unicode() - '0')) & 0xFF;
            inDigits = true;
        } else if (inDigits) {
            break;
        }
    }
    return quint8(value);
}

std::optional<QByteArray> encode(const SectionBlocks &blocks)
{
    int bodySize = 0;
    for (const QByteArray &block : blocks)
        bodySize += block.size();
    if (bodySize > kMaxBodySize)
        return std::nullopt;

    QByteArray file(kHeaderSize, '\0');
    file.reserve(kHeaderSize + bodySize);
    int offset = 0;
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const QByteArray &block = blocks[std::size_t(section.section)];
        const int entry = int(section.section) * kSectionEntrySize;
        const QByteArray name = section.name.toLatin1().left(kSectionNameSize - 1);
        file.replace(entry, name.size(), name);
        writeU16(file, entry + kOffsetField, quint16(offset));
        writeU16(file, entry + kSizeField, quint16(block.size()));
        offset += block.size();
    }
    for (const QByteArray &block : blocks)
        file.append(block);
    return file;
}

QVector<SectionEntry> readEntries(const QByteArray &file)
{
    QVector<SectionEntry> entries;
    if (file.size() < kHeaderSize)
        return entries;
    for (int entry = 0; entry < Blocks::kSectionCount; ++entry) {
        const int start = entry * kSectionEntrySize;
        const QByteArray field = file.mid(start, kSectionNameSize);
        const int end = field.indexOf('\0');
        const QString name = QString::fromLatin1(end < 0 ? field : field.left(end));
        if (name.isEmpty())
            break;
        entries.append({name, readU16(file, start + kOffsetField), readU16(file, start + kSizeField)});
    }
    return entries;
}

std::optional<SectionBlocks> decode(const QByteArray &file)
{
    if (file.size() < kHeaderSize)
        return std::nullopt;
    SectionBlocks blocks;
    for (const SectionEntry &entry : readEntries(file)) {
        const Blocks::SectionInfo *section = Blocks::sectionNamed(entry.name);
        const int start = kHeaderSize + entry.offset;
        if (!section || start + entry.size > file.size())
            continue;
        blocks[std::size_t(section->section)].append(file.mid(start, entry.size));
    }
    return blocks;
}

} // namespace ModelIdFile
