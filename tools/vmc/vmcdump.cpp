#include "vmcdump.h"

#include "pinmap.h"
#include "vmctexts.h"

#include <QJsonArray>
#include <QStringList>

namespace Vmc {

namespace {
using Blocks::Section;

QString kindOfFile(FileKind kind)
{
    switch (kind) {
    case FileKind::PerTab:
        return Texts::tr("файл вкладки");
    case FileKind::ModelId:
        return Texts::tr("model id файл");
    case FileKind::Folder:
        break;
    }
    return Texts::tr("папка файлов вкладок");
}

bool entryInFile(const ConfigFile &config, const ModelIdFile::SectionEntry &entry)
{
    return ModelIdFile::kHeaderSize + entry.offset + entry.size <= config.bytes.size();
}

// Where the bytes of a block that the window reads no further start: at an end mark or after the
// last whole record. They are shown so that a diff shows them change.
int unreadFrom(const BlockView &view)
{
    if (view.section == Section::Gpio)
        return view.size;
    return (view.endMarker >= 0 ? view.endMarker : view.records.size()) * recordSize(view.section);
}

void appendBlockText(QStringList &lines, const BlockView &view, const QByteArray &block)
{
    const QString name = Blocks::sectionInfo(view.section).name;
    if (view.size == 0) {
        lines << Texts::tr("[%1] пусто").arg(name);
        return;
    }
    const QString indent = QStringLiteral("    ");
    if (view.ignored) {
        lines << Texts::tr("[%1] %2 байт: окно не читает такой блок").arg(name).arg(view.size);
        lines << hexLines(block, 0, indent);
        return;
    }
    if (view.section == Section::Gpio) {
        lines << Texts::tr("[%1] %2 байт").arg(name).arg(view.size);
        PinGroup group = PinGroup::NoX;
        bool first = true;
        for (const Record &pin : view.records) {
            const quint32 number = pin.at(0).value.toUInt();
            if (first || Pins::groupOf(number) != group) {
                group = Pins::groupOf(number);
                const int page =
                    int(std::find(Pins::kConnectorOrder.begin(), Pins::kConnectorOrder.end(), group) -
                        Pins::kConnectorOrder.begin());
                static const char *const titles[] = {"X6", "X7", "X8", "X9", "No X"};
                lines << QStringLiteral("  %1:").arg(QLatin1String(titles[page]));
                first = false;
            }
            lines << Texts::tr("    %1 %2: код %3 «%4», индекс %5")
                         .arg(pin.at(0).value.toString(), pin.at(1).value.toString(),
                              pin.at(2).value.toString(), Functions::translated(pin.at(3).value.toString()),
                              pin.at(4).value.toString());
        }
        return;
    }
    lines << Texts::tr("[%1] %2 байт, записей %3").arg(name).arg(view.size).arg(view.records.size());
    for (int r = 0; r < view.records.size(); ++r)
        lines << QStringLiteral("  %1: %2").arg(r + 1).arg(recordText(view.records.at(r)));
    if (view.endMarker >= 0)
        lines << Texts::tr("  маркер конца в записи %1; целых записей после него: %2, не читаются")
                     .arg(view.endMarker + 1)
                     .arg(view.recordsAfterMarker);
    if (view.trailingBytes > 0)
        lines << Texts::tr("  байт после последней целой записи: %1, не читаются").arg(view.trailingBytes);
    const int unread = unreadFrom(view);
    if (unread < view.size)
        lines << hexLines(block.mid(unread), unread, indent);
}

QJsonValue jsonValue(const QVariant &value)
{
    switch (value.type()) {
    case QVariant::Double:
        return value.toDouble();
    case QVariant::String:
        return value.toString();
    default:
        return value.toLongLong();
    }
}

QJsonObject blockJson(const BlockView &view)
{
    QJsonArray records;
    for (const Record &record : view.records) {
        QJsonObject fields;
        for (const Field &field : record)
            fields.insert(field.name, jsonValue(field.value));
        records.append(fields);
    }
    QJsonObject block;
    block.insert(QStringLiteral("size"), view.size);
    block.insert(QStringLiteral("ignored"), view.ignored);
    block.insert(QStringLiteral("records"), records);
    block.insert(QStringLiteral("endMarker"),
                 view.endMarker >= 0 ? QJsonValue(view.endMarker + 1) : QJsonValue());
    block.insert(QStringLiteral("recordsAfterMarker"), view.recordsAfterMarker);
    block.insert(QStringLiteral("trailingBytes"), view.trailingBytes);
    return block;
}
} // namespace

QStringList hexLines(const QByteArray &bytes, int firstOffset, const QString &indent)
{
    constexpr int kPerLine = 16;
    QStringList lines;
    for (int start = 0; start < bytes.size(); start += kPerLine) {
        QString hex;
        QString characters;
        for (int i = 0; i < kPerLine; ++i) {
            if (i == kPerLine / 2)
                hex += QLatin1Char(' ');
            if (start + i >= bytes.size()) {
                hex += QStringLiteral("   ");
                continue;
            }
            const auto byte = uchar(bytes.at(start + i));
            hex += QStringLiteral(" %1").arg(byte, 2, 16, QLatin1Char('0'));
            characters += byte >= 0x20 && byte < 0x7F ? QChar(byte) : QLatin1Char('.');
        }
        lines << QStringLiteral("%1%2 %3  |%4|")
                     .arg(indent)
                     .arg(firstOffset + start, 8, 16, QLatin1Char('0'))
                     .arg(hex, characters);
    }
    return lines;
}

QString dumpBytes(const QByteArray &bytes)
{
    QStringList lines;
    lines << Texts::tr("Не файл конфигурации: окно не загрузит файл с таким именем. %1 байт:")
                 .arg(bytes.size());
    lines << hexLines(bytes);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString dumpText(const ConfigFile &config, bool nameOnly)
{
    QStringList lines;
    lines << Texts::tr("Файл: %1 (%2)").arg(nameOnly ? config.name : config.path, kindOfFile(config.kind));
    if (config.kind == FileKind::ModelId) {
        lines << QStringLiteral("Model id: %1").arg(config.modelId);
        if (config.bytes.size() < ModelIdFile::kHeaderSize) {
            lines << Texts::tr("Файл короче заголовка: %1 байт из %2; окно возьмёт только model id")
                         .arg(config.bytes.size())
                         .arg(ModelIdFile::kHeaderSize);
            lines << hexLines(config.bytes, 0, QStringLiteral("  "));
        } else {
            lines << Texts::tr("Заголовок:");
            for (int e = 0; e < config.entries.size(); ++e) {
                const ModelIdFile::SectionEntry &entry = config.entries.at(e);
                lines << Texts::tr("  %1 %2 смещение %3 размер %4 %5")
                             .arg(e)
                             .arg(entry.name, -10)
                             .arg(entry.offset, -6)
                             .arg(entry.size, -6)
                             .arg(entryInFile(config, entry) ? Texts::tr("в файле")
                                                             : Texts::tr("за концом файла"));
            }
            const int stray = config.bytes.size() - config.sectionsEnd;
            if (stray > 0) {
                lines << Texts::tr("Байт после последней секции: %1 (смещение %2), не читаются")
                             .arg(stray)
                             .arg(config.sectionsEnd);
                lines << hexLines(config.bytes.mid(config.sectionsEnd), config.sectionsEnd,
                                  QStringLiteral("  "));
            }
        }
    }
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const QByteArray &block = config.blocks[std::size_t(section.section)];
        if (config.present[std::size_t(section.section)])
            appendBlockText(lines, viewOf(section.section, block), block);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject dumpJson(const ConfigFile &config)
{
    QJsonObject document;
    document.insert(QStringLiteral("file"), config.path);
    if (config.kind == FileKind::ModelId) {
        document.insert(QStringLiteral("modelId"), config.modelId);
        QJsonArray entries;
        for (const ModelIdFile::SectionEntry &entry : config.entries) {
            entries.append(QJsonObject{{QStringLiteral("name"), entry.name},
                                       {QStringLiteral("offset"), entry.offset},
                                       {QStringLiteral("size"), entry.size},
                                       {QStringLiteral("inFile"), entryInFile(config, entry)}});
        }
        document.insert(QStringLiteral("entries"), entries);
        document.insert(QStringLiteral("strayBytes"),
                        QJsonObject{{QStringLiteral("offset"), config.sectionsEnd},
                                    {QStringLiteral("count"), config.bytes.size() - config.sectionsEnd}});
    }
    QJsonObject sections;
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        if (config.present[std::size_t(section.section)])
            sections.insert(section.name,
                            blockJson(viewOf(section.section, config.blocks[std::size_t(section.section)])));
    }
    document.insert(QStringLiteral("sections"), sections);
    return document;
}

} // namespace Vmc
