#include "checker.h"

#include "derivations.h"
#include "pinmap.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QStringList>

namespace Checks {

namespace {
// The texts of this file, translated in the Checks context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Checks)
};
} // namespace

using Blocks::Section;
using Configuration::BlockView;
using Configuration::ConfigFile;
using Configuration::fieldOf;
using Configuration::pinPlace;
using Configuration::Record;

bool operator==(const Place &a, const Place &b)
{
    return a.kind == b.kind && a.section == b.section && a.index == b.index;
}

QString placeText(const Place &place)
{
    const QString section = Blocks::sectionInfo(place.section).name;
    switch (place.kind) {
    case Place::Kind::File:
        return Texts::tr("файл");
    case Place::Kind::Header:
        return Texts::tr("заголовок");
    case Place::Kind::HeaderEntry:
        return Texts::tr("заголовок, запись %1").arg(place.index);
    case Place::Kind::Block:
        return section;
    case Place::Kind::Record:
        return Texts::tr("%1, запись %2").arg(section).arg(place.index + 1);
    case Place::Kind::Pin:
        return Blocks::sectionInfo(Section::Gpio).name + QStringLiteral(", ") +
               pinPlace(quint32(place.index));
    case Place::Kind::Chain:
        break;
    }
    switch (place.section) {
    case Section::RegDo:
        return Texts::tr("цепочка SPI DO");
    case Section::RegDi:
        return Texts::tr("цепочка SPI DI");
    default:
        return Texts::tr("цепочка SPI ADC");
    }
}

namespace {
using Derivations::LinkKind;

class Checker
{
public:
    explicit Checker(const ConfigFile &config) : config(config)
    {
        for (const Blocks::SectionInfo &section : Blocks::sections())
            views[std::size_t(section.section)] =
                Configuration::viewOf(section.section, block(section.section));
    }

    QVector<Finding> run(bool damageOnly)
    {
        if (config.kind == Configuration::FileKind::ModelId)
            checkHeader();
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            if (present(section.section))
                checkBlock(view(section.section));
        }
        if (damageOnly)
            return findings;
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            if (present(section.section)) {
                checkRecordCodes(view(section.section));
                checkRecordPins(view(section.section));
            }
        }
        if (present(Section::Gpio) && !view(Section::Gpio).ignored) {
            pins = Derivations::scanGpioBlock(*Blocks::decodeGpioBlock(block(Section::Gpio)));
            checkPins();
            checkChains();
            checkPinTabs();
            checkLinks();
        }
        return findings;
    }

private:
    const QByteArray &block(Section section) const { return config.blocks[std::size_t(section)]; }
    bool present(Section section) const { return config.present[std::size_t(section)]; }
    const BlockView &view(Section section) const { return views[std::size_t(section)]; }
    static QString name(Section section) { return Blocks::sectionInfo(section).name; }

    void add(const Place &place, const QString &text) { findings.append({Severity::Error, place, text}); }
    void warn(const Place &place, const QString &text) { findings.append({Severity::Warning, place, text}); }

    void checkHeader()
    {
        const int size = config.bytes.size();
        if (size < ModelIdFile::kHeaderSize) {
            add(Place::file(), Texts::tr("%1 байт — короче заголовка (%2): окно возьмёт только model id")
                                   .arg(size)
                                   .arg(ModelIdFile::kHeaderSize));
            return;
        }
        if (size - ModelIdFile::kHeaderSize > ModelIdFile::kMaxBodySize)
            add(Place::file(), Texts::tr("данных %1 байт — больше %2, которые может описать заголовок")
                                   .arg(size - ModelIdFile::kHeaderSize)
                                   .arg(ModelIdFile::kMaxBodySize));
        QHash<QString, int> seen;
        for (int e = 0; e < config.entries.size(); ++e) {
            const ModelIdFile::SectionEntry &entry = config.entries.at(e);
            const Place place = Place::headerEntry(e);
            if (!Blocks::sectionNamed(entry.name))
                add(place, Texts::tr("неизвестная секция «%1»: окно её пропустит").arg(entry.name));
            else if (seen.contains(entry.name))
                add(place, Texts::tr("секция %1 уже была в записи %2: окно сложит их блоки")
                               .arg(entry.name)
                               .arg(seen.value(entry.name)));
            seen.insert(entry.name, e);
            if (ModelIdFile::kHeaderSize + entry.offset + entry.size > size)
                add(place,
                    Texts::tr("секция %1 (смещение %2, размер %3) выходит за конец файла: окно её пропустит")
                        .arg(entry.name)
                        .arg(entry.offset)
                        .arg(entry.size));
        }
        if (config.sectionsEnd < size)
            add(Place::file(), Texts::tr("%1 байт после последней секции (смещение %2): окно их не прочтёт")
                                   .arg(size - config.sectionsEnd)
                                   .arg(config.sectionsEnd));
        if (config.entries.size() < Blocks::kSectionCount)
            add(Place::headerEntry(config.entries.size()),
                Texts::tr("пустое имя: дальше окно заголовок не читает"));
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            if (!seen.contains(section.name))
                add(Place::header(), Texts::tr("нет секции %1: вкладка останется пустой").arg(section.name));
        }
    }

    void checkBlock(const BlockView &block)
    {
        const Place place = Place::block(block.section);
        if (block.section == Section::Gpio) {
            if (block.ignored)
                add(place, Texts::tr("%1 байт вместо %2: окно не прочтёт выводы")
                               .arg(block.size)
                               .arg(Blocks::kGpioBlockSize));
            return;
        }
        if (block.ignored && block.size > 0)
            add(place, Texts::tr("%1 байт — меньше одной записи (%2): окно не прочтёт блок")
                           .arg(block.size)
                           .arg(recordSize(block.section)));
        if (block.endMarker >= 0 && block.recordsAfterMarker > 0)
            add(Place::record(block.section, block.endMarker),
                Texts::tr("маркер конца: записей после него %1, окно их не прочтёт")
                    .arg(block.recordsAfterMarker));
        if (!block.ignored && block.trailingBytes > 0)
            add(place, Texts::tr("%1 байт после последней целой записи: окно их не прочтёт")
                           .arg(block.trailingBytes));
    }

    // Register rows keep only codes their chain offers.
    void checkRecordCodes(const BlockView &block)
    {
        const std::optional<Functions::Context> context = Functions::contextOf(block.section);
        if (!context || block.section == Section::Gpio)
            return;
        for (int r = 0; r < block.records.size(); ++r) {
            const int code = fieldOf(block.records.at(r), QStringLiteral("code")).toInt();
            if (Functions::appearanceOf(*context, code).storedCode != code)
                add(Place::record(block.section, r),
                    Texts::tr("код %1 не предлагается в %2: окно покажет «%3» и запишет 0")
                        .arg(code)
                        .arg(name(block.section), Functions::fallbackToolTip()));
        }
    }

    // The on-chip ADC and PWM rows are one per pin.
    void checkRecordPins(const BlockView &block)
    {
        if (block.section != Section::TiAdc && block.section != Section::PwmPorts)
            return;
        QHash<uint, int> seen;
        for (int r = 0; r < block.records.size(); ++r) {
            const uint pin = fieldOf(block.records.at(r), QStringLiteral("pin")).toUInt();
            if (Pins::pinName(pin).isEmpty())
                add(Place::record(block.section, r),
                    Texts::tr("вывода %1 нет: окно пропустит запись").arg(pin));
            else if (seen.contains(pin))
                add(Place::record(block.section, r),
                    Texts::tr("вывод %1 уже был в записи %2: при сохранении останется одна")
                        .arg(pinPlace(pin))
                        .arg(seen.value(pin) + 1));
            seen.insert(pin, r);
        }
    }

    void checkPins()
    {
        const GpioBlock stored = *Blocks::decodeGpioBlock(block(Section::Gpio));
        for (quint32 pin = 0; pin <= Pins::kLastPin; ++pin) {
            const int code = stored.code[pin];
            const Place place = Place::pin(pin);
            if (Pins::isUnavailable(pin)) {
                if (code != Functions::kNotAvailableCode)
                    add(place, Texts::tr("вывод недоступен, а код %1: окно запишет 240").arg(code));
            } else if (code == Functions::kNotAvailableCode) {
                add(place, Texts::tr("код 240 у доступного вывода: окно покажет его недоступным"));
            } else if (Functions::appearanceOf(Functions::Context::GpioPin, code).storedCode != code) {
                add(place, Texts::tr("код %1 не предлагается выводу: окно покажет «%2» и запишет 0")
                               .arg(code)
                               .arg(Functions::fallbackToolTip()));
            }
        }
    }

    QStringList pinsWithCode(int code) const
    {
        QStringList places;
        for (const PinSetting &pin : pins) {
            if (pin.code == code)
                places << pinPlace(pin.pin);
        }
        return places;
    }

    void requireOneLine(Section chain, int code)
    {
        const QStringList places = pinsWithCode(code);
        const QString line = Functions::displayText(*Functions::findFunction(code));
        if (places.isEmpty())
            warn(Place::chain(chain), Texts::tr("нет вывода с функцией «%1» (%2)").arg(line).arg(code));
        else if (places.size() > 1)
            warn(Place::chain(chain), Texts::tr("«%1» (%2) у нескольких выводов: %3")
                                          .arg(line)
                                          .arg(code)
                                          .arg(places.join(QStringLiteral(", "))));
    }

    bool hasRows(Section section) const { return present(section) && !view(section).records.isEmpty(); }

    // A chain with rows needs each of its lines on exactly one pin.
    void checkChains()
    {
        if (hasRows(Section::RegDo)) {
            for (int code : {9, 10, 12})
                requireOneLine(Section::RegDo, code);
        }
        if (hasRows(Section::RegDi)) {
            for (int code : {13, 14, 16})
                requireOneLine(Section::RegDi, code);
        }
        if (hasRows(Section::RegAdc)) {
            for (int code : {17, 18, 19})
                requireOneLine(Section::RegAdc, code);
            // A chip select may come from a pin or from an output of the DO chain.
            bool chipSelect = !pinsWithCode(21).isEmpty();
            for (const Record &record : view(Section::RegDo).records)
                chipSelect = chipSelect || fieldOf(record, QStringLiteral("code")).toInt() == 21;
            if (!chipSelect)
                warn(Place::chain(Section::RegAdc),
                     Texts::tr("нет ни вывода, ни выхода SPI DO с функцией «%1» (21)")
                         .arg(Functions::displayText(*Functions::findFunction(21))));
        }
    }

    void checkPinTab(Section section, const QVector<PinSetting> &expected, const QString &what)
    {
        if (!present(section))
            return;
        QSet<uint> rows;
        const QVector<Record> &records = view(section).records;
        QSet<uint> wanted;
        for (const PinSetting &pin : expected)
            wanted.insert(pin.pin);
        for (int r = 0; r < records.size(); ++r) {
            const uint pin = fieldOf(records.at(r), QStringLiteral("pin")).toUInt();
            rows.insert(pin);
            if (!Pins::pinName(pin).isEmpty() && !wanted.contains(pin))
                warn(Place::record(section, r), Texts::tr("вывод %1 в Gpio не %2").arg(pinPlace(pin), what));
        }
        for (const PinSetting &pin : expected) {
            if (!rows.contains(pin.pin))
                warn(Place::pin(pin.pin), Texts::tr("%1 без строки в %2").arg(what, name(section)));
        }
    }

    void checkPinTabs()
    {
        checkPinTab(Section::TiAdc, Derivations::adcTiInputs(pins), Texts::tr("аналоговый вход"));
        checkPinTab(Section::PwmPorts, Derivations::pwmOutputs(pins), Texts::tr("аналоговый (PWM) выход"));
    }

    void checkLinks()
    {
        for (const Derivations::LinkSource &source : Derivations::linkSources()) {
            if (!present(source.links))
                continue;
            // External ADC rows carry no code; every one of them makes a link.
            QVector<int> codes;
            if (source.registers) {
                for (const Record &record : view(*source.registers).records)
                    codes.append(fieldOf(record, QStringLiteral("code")).toInt());
            }
            const int expected = Derivations::linkCount(source.kind, pins, codes);
            const int rows = view(source.links).records.size();
            if (rows != expected)
                warn(Place::block(source.links),
                     Texts::tr("привязок %1, а из настроек окно получило бы %2").arg(rows).arg(expected));
        }
    }

    const ConfigFile &config;
    std::array<BlockView, Blocks::kSectionCount> views;
    QVector<PinSetting> pins;
    QVector<Finding> findings;
};
} // namespace

QVector<Finding> check(const ConfigFile &config)
{
    return Checker(config).run(false);
}

QVector<Finding> damage(const ConfigFile &config)
{
    return Checker(config).run(true);
}

} // namespace Checks
