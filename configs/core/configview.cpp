#include "configview.h"

#include "pinmap.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace Configuration {

namespace {
// The texts of this file, translated in the Configuration context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Configuration)
};
} // namespace

bool isConfigFileName(const QString &fileName)
{
    return Blocks::sectionOfFile(fileName) || ModelIdFile::isModelIdFileName(fileName);
}

std::optional<ConfigFile> configOf(const QString &fileName, const QByteArray &bytes)
{
    ConfigFile config;
    config.path = fileName;
    config.name = fileName;
    config.bytes = bytes;
    if (const Blocks::SectionInfo *section = Blocks::sectionOfFile(fileName)) {
        config.kind = FileKind::PerTab;
        config.blocks[std::size_t(section->section)] = bytes;
        config.present[std::size_t(section->section)] = true;
        return config;
    }
    if (!ModelIdFile::isModelIdFileName(fileName))
        return std::nullopt;
    config.kind = FileKind::ModelId;
    config.modelId = ModelIdFile::modelIdOf(fileName);
    config.entries = ModelIdFile::readEntries(bytes);
    config.sectionsEnd = std::min(int(bytes.size()), ModelIdFile::kHeaderSize);
    for (const ModelIdFile::SectionEntry &entry : config.entries) {
        const int end = ModelIdFile::kHeaderSize + entry.offset + entry.size;
        if (end <= bytes.size())
            config.sectionsEnd = std::max(config.sectionsEnd, end);
    }
    // A file long enough for its header replaces every tab; a shorter one changes none.
    if (const auto blocks = ModelIdFile::decode(bytes)) {
        config.blocks = *blocks;
        config.present.fill(true);
    }
    return config;
}

ConfigFile configOfBlocks(const ModelIdFile::SectionBlocks &blocks)
{
    ConfigFile config;
    config.kind = FileKind::Folder;
    config.blocks = blocks;
    config.present.fill(true);
    return config;
}

QVariant fieldOf(const Record &record, const QString &name)
{
    for (const Field &field : record) {
        if (field.name == name)
            return field.value;
    }
    return QVariant();
}

QString floatText(double value)
{
    // Six significant digits say most gains exactly; more only where the stored float needs them.
    for (int digits = 6; digits < 9; ++digits) {
        const QString text = QString::number(value, 'g', digits);
        if (float(text.toDouble()) == float(value))
            return text;
    }
    return QString::number(value, 'g', 9);
}

QString fieldLabel(const QString &name)
{
    static const QHash<QString, const char *> labels = {
        {QStringLiteral("index"), QT_TRANSLATE_NOOP("Configuration", "индекс")},
        {QStringLiteral("code"), QT_TRANSLATE_NOOP("Configuration", "код")},
        {QStringLiteral("gain"), QT_TRANSLATE_NOOP("Configuration", "усиление")},
        {QStringLiteral("offset"), QT_TRANSLATE_NOOP("Configuration", "смещение")},
        {QStringLiteral("port"), QT_TRANSLATE_NOOP("Configuration", "порт")},
        {QStringLiteral("pin"), QT_TRANSLATE_NOOP("Configuration", "вывод")},
        {QStringLiteral("frequency"), QT_TRANSLATE_NOOP("Configuration", "частота")},
        {QStringLiteral("type"), QT_TRANSLATE_NOOP("Configuration", "тип")},
    };
    const char *label = labels.value(name);
    return label ? Texts::tr(label) : name;
}

QString valueText(const QVariant &value)
{
    return value.type() == QVariant::Double ? floatText(value.toDouble()) : value.toString();
}

QVector<FieldText> fieldTexts(const Record &record)
{
    const QString pinName = fieldOf(record, QStringLiteral("name")).toString();
    QVector<FieldText> fields;
    for (const Field &field : record) {
        if (field.name == QLatin1String("name"))
            continue;
        // A function says what the code before it means.
        if (field.name == QLatin1String("function")) {
            if (!fields.isEmpty())
                fields.last().text +=
                    QStringLiteral(" «%1»").arg(Functions::translated(field.value.toString()));
            continue;
        }
        fields.append({fieldLabel(field.name), valueText(field.value)});
        if (field.name == QLatin1String("pin") && !pinName.isEmpty())
            fields.last().text += QLatin1Char(' ') + pinName;
    }
    return fields;
}

QString recordText(const Record &record)
{
    // A function or a name follows the field before it: a PWM row's name comes after its frequency.
    QStringList parts;
    for (const Field &field : record) {
        if (field.name == QLatin1String("function") || field.name == QLatin1String("name")) {
            const QString text = field.name == QLatin1String("function")
                                     ? Functions::translated(field.value.toString())
                                     : field.value.toString();
            if (!parts.isEmpty())
                parts.last() += field.name == QLatin1String("function") ? QStringLiteral(" «%1»").arg(text)
                                                                        : QLatin1Char(' ') + text;
            continue;
        }
        parts << fieldLabel(field.name) + QLatin1Char(' ') + valueText(field.value);
    }
    return parts.join(QStringLiteral(", "));
}

QString pinPlace(quint32 pin)
{
    // "PK 4 (X7-03)" is named by its header position first.
    static const QRegularExpression header(QStringLiteral("^(.*) \\((X\\d-\\d\\d)\\)$"));
    const QString name = Pins::pinName(pin);
    const QRegularExpressionMatch match = header.match(name);
    if (match.hasMatch())
        return match.captured(2) + QLatin1Char(' ') + match.captured(1);
    return QStringLiteral("No X %1 %2").arg(pin).arg(name);
}

BlockView viewOf(Blocks::Section section, const QByteArray &block)
{
    const Blocks::SectionInfo &info = Blocks::sectionInfo(section);
    BlockView view;
    view.section = section;
    view.size = block.size();
    std::optional<QVector<Record>> records = info.read(block);
    view.ignored = !records;
    if (records)
        view.records = std::move(*records);
    // The pin block is read whole or not at all.
    if (info.format == Blocks::BlockFormat::Gpio)
        return view;

    view.trailingBytes = block.size() % info.recordSize;
    // Records stop early only at an end mark.
    const int whole = block.size() / info.recordSize;
    if (!view.ignored && view.records.size() < whole) {
        view.endMarker = view.records.size();
        view.recordsAfterMarker = whole - view.records.size() - 1;
    }
    return view;
}

} // namespace Configuration
