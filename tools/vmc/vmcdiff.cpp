#include "vmcdiff.h"

#include "vmcdump.h"
#include "vmctexts.h"

#include "pinmap.h"

#include <QMap>

namespace Vmc {

namespace {
using Blocks::Section;

QString fieldText(const Record &record, const QString &name)
{
    for (int f = 0; f < record.size(); ++f) {
        if (record.at(f).name != name)
            continue;
        QString text = valueText(record.at(f).value);
        // A code is said with its function.
        if (f + 1 < record.size() && record.at(f + 1).name == QLatin1String("function"))
            text += QStringLiteral(" «%1»").arg(Functions::translated(record.at(f + 1).value.toString()));
        return text;
    }
    return QString();
}

// Rows of the pin-keyed tabs go by pin, all others by position.
QMap<quint32, Record> keyed(const BlockView &view)
{
    const bool byPin = view.section == Section::TiAdc || view.section == Section::PwmPorts;
    QMap<quint32, Record> rows;
    for (int r = 0; r < view.records.size(); ++r) {
        const Record &record = view.records.at(r);
        quint32 key = quint32(r + 1);
        if (byPin) {
            for (const Field &field : record) {
                if (field.name == QLatin1String("pin"))
                    key = field.value.toUInt();
            }
        }
        rows.insert(key, record);
    }
    return rows;
}

QString rowPlace(Section section, quint32 key)
{
    const QString name = Blocks::sectionInfo(section).name;
    if (section == Section::TiAdc || section == Section::PwmPorts)
        return QStringLiteral("%1, %2").arg(name, pinPlace(key));
    return Texts::tr("%1, запись %2").arg(name).arg(key);
}

void diffPins(QStringList &lines, const BlockView &from, const BlockView &to)
{
    QMap<uint, Record> before;
    for (const Record &pin : from.records)
        before.insert(pin.at(0).value.toUInt(), pin);
    for (const Record &pin : to.records) {
        const uint number = pin.at(0).value.toUInt();
        const Record &old = before[number];
        const QString place = pinPlace(number);
        // The function as the window shows it; the bare code where two codes look alike.
        if (old.at(3).value != pin.at(3).value)
            lines << QStringLiteral("%1: %2 -> %3")
                         .arg(place, Functions::translated(old.at(3).value.toString()),
                              Functions::translated(pin.at(3).value.toString()));
        else if (old.at(2).value != pin.at(2).value)
            lines << Texts::tr("%1: код %2 -> %3")
                         .arg(place, old.at(2).value.toString(), pin.at(2).value.toString());
        if (old.at(4).value != pin.at(4).value)
            lines << Texts::tr("%1: индекс %2 -> %3")
                         .arg(place, old.at(4).value.toString(), pin.at(4).value.toString());
    }
}

void diffRecords(QStringList &lines, const BlockView &from, const BlockView &to)
{
    const QMap<quint32, Record> before = keyed(from);
    const QMap<quint32, Record> after = keyed(to);
    QMap<quint32, bool> keys;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        keys.insert(it.key(), true);
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        keys.insert(it.key(), true);
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const QString place = rowPlace(from.section, it.key());
        if (!after.contains(it.key())) {
            lines << Texts::tr("%1: удалена (%2)").arg(place, recordText(before.value(it.key())));
            continue;
        }
        if (!before.contains(it.key())) {
            lines << Texts::tr("%1: добавлена (%2)").arg(place, recordText(after.value(it.key())));
            continue;
        }
        const Record &old = before.value(it.key());
        const Record &now = after.value(it.key());
        for (const Field &field : now) {
            if (field.name == QLatin1String("function") || field.name == QLatin1String("name"))
                continue;
            const QString was = fieldText(old, field.name);
            const QString is = fieldText(now, field.name);
            if (was != is)
                lines << QStringLiteral("%1: %2 %3 -> %4").arg(place, fieldLabel(field.name), was, is);
        }
    }
}

void diffSection(QStringList &lines, Section section, const QByteArray &from, const QByteArray &to)
{
    if (from == to)
        return;
    const BlockView before = viewOf(section, from);
    const BlockView after = viewOf(section, to);
    const QString name = Blocks::sectionInfo(section).name;
    if (before.ignored != after.ignored && (before.ignored || after.ignored)) {
        lines << Texts::tr("%1: %2 байт -> %3 байт").arg(name).arg(before.size).arg(after.size);
        return;
    }
    const int first = lines.size();
    if (section == Section::Gpio)
        diffPins(lines, before, after);
    else
        diffRecords(lines, before, after);
    // Bytes the window does not read may differ too.
    if (lines.size() == first)
        lines << Texts::tr("%1: различаются только байты, которые окно не читает").arg(name);
}
} // namespace

QStringList diff(const ConfigFile &from, const ConfigFile &to)
{
    QStringList lines;
    if (from.kind == FileKind::ModelId && to.kind == FileKind::ModelId && from.modelId != to.modelId)
        lines << QStringLiteral("model id: %1 -> %2").arg(from.modelId).arg(to.modelId);
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const auto index = std::size_t(section.section);
        if (from.present[index] && to.present[index])
            diffSection(lines, section.section, from.blocks[index], to.blocks[index]);
    }
    return lines;
}

} // namespace Vmc
