#include "configview.h"

#include "pinmap.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <functional>

namespace Configuration {

namespace {
using Blocks::Section;

template <typename Record>
void addRecords(BlockView &view, const std::optional<QVector<Record>> &records,
                const std::function<Configuration::Record(const Record &)> &fields)
{
    if (!records)
        return;
    view.records.reserve(records->size());
    for (const Record &record : *records)
        view.records.append(fields(record));
}

Record pinRecord(const Record &fields, quint32 pin)
{
    Record record = fields;
    record.append({QStringLiteral("name"), Pins::pinName(pin)});
    return record;
}
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
    static const QHash<QString, QString> labels = {
        {QStringLiteral("index"), QStringLiteral("индекс")},
        {QStringLiteral("code"), QStringLiteral("код")},
        {QStringLiteral("gain"), QStringLiteral("усиление")},
        {QStringLiteral("offset"), QStringLiteral("смещение")},
        {QStringLiteral("port"), QStringLiteral("порт")},
        {QStringLiteral("pin"), QStringLiteral("вывод")},
        {QStringLiteral("frequency"), QStringLiteral("частота")},
        {QStringLiteral("type"), QStringLiteral("тип")},
    };
    return labels.value(name, name);
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
                fields.last().text += QStringLiteral(" «%1»").arg(field.value.toString());
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
            const QString text = field.value.toString();
            if (!parts.isEmpty())
                parts.last() += field.name == QLatin1String("function") ? QStringLiteral(" «%1»").arg(text)
                                                                        : QLatin1Char(' ') + text;
            continue;
        }
        parts << fieldLabel(field.name) + QLatin1Char(' ') + valueText(field.value);
    }
    return parts.join(QStringLiteral(", "));
}

QString functionText(Functions::Context context, int code)
{
    return Functions::appearanceOf(context, code).toolTip;
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

BlockView viewOf(Section section, const QByteArray &block)
{
    BlockView view;
    view.section = section;
    view.size = block.size();
    const int size = recordSize(section);
    if (section == Section::Gpio) {
        const std::optional<GpioBlock> pins = Blocks::decodeGpioBlock(block);
        view.ignored = !pins;
        if (!pins)
            return view;
        const GpioBlock shown = Blocks::withUnavailablePinsMarked(*pins);
        for (PinGroup group : Pins::kConnectorOrder) {
            const PinMap map = Pins::buildPinMap(group);
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                const quint32 pin = it.key().number;
                view.records.append(
                    {{QStringLiteral("pin"), pin},
                     {QStringLiteral("name"), it.value()},
                     {QStringLiteral("code"), pins->code[pin]},
                     {QStringLiteral("function"), functionText(Functions::Context::GpioPin, shown.code[pin])},
                     {QStringLiteral("index"), pins->index[pin]}});
            }
        }
        return view;
    }

    view.ignored = block.size() < size;
    view.trailingBytes = block.size() % size;
    switch (Blocks::sectionInfo(section).format) {
    case Blocks::BlockFormat::RegPort: {
        const Functions::Context context = *Functions::contextOf(section);
        addRecords<RegPortRecord>(
            view, Blocks::decodeRegPortRecords(block), [context](const RegPortRecord &r) {
                return Record{{QStringLiteral("index"), r.index},
                              {QStringLiteral("code"), r.code},
                              {QStringLiteral("function"), functionText(context, r.code)}};
            });
        break;
    }
    case Blocks::BlockFormat::AdcInput: {
        const bool onChip = section == Section::TiAdc;
        addRecords<AdcInputRecord>(
            view, Blocks::decodeAdcInputRecords(block), [onChip](const AdcInputRecord &r) {
                const Record fields = {{QStringLiteral("gain"), double(r.gain)},
                                       {QStringLiteral("offset"), double(r.offset)},
                                       {QStringLiteral("index"), r.index},
                                       {onChip ? QStringLiteral("pin") : QStringLiteral("port"), r.port}};
                return onChip ? pinRecord(fields, r.port) : fields;
            });
        break;
    }
    case Blocks::BlockFormat::PwmPort:
        addRecords<PwmPortRecord>(view, Blocks::decodePwmPortRecords(block), [](const PwmPortRecord &r) {
            return pinRecord({{QStringLiteral("index"), r.index},
                              {QStringLiteral("pin"), r.pin},
                              {QStringLiteral("frequency"), r.frequency}},
                             r.pin);
        });
        break;
    case Blocks::BlockFormat::DigitalLink:
        addRecords<DigitalLinkRecord>(
            view, Blocks::decodeDigitalLinkRecords(block), [](const DigitalLinkRecord &r) {
                return Record{{QStringLiteral("index"), r.index}, {QStringLiteral("type"), r.type}};
            });
        break;
    case Blocks::BlockFormat::AnalogLink:
        addRecords<AnalogLinkRecord>(
            view, Blocks::decodeAnalogLinkRecords(block), [](const AnalogLinkRecord &r) {
                return Record{{QStringLiteral("index"), r.index}, {QStringLiteral("type"), r.type}};
            });
        break;
    case Blocks::BlockFormat::Gpio:
        break;
    }
    // Records stop early only at an end mark.
    const int whole = block.size() / size;
    if (!view.ignored && view.records.size() < whole) {
        view.endMarker = view.records.size();
        view.recordsAfterMarker = whole - view.records.size() - 1;
    }
    return view;
}

} // namespace Configuration
