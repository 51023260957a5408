#include "vmccheck.h"

#include "derivations.h"
#include "pinmap.h"

#include <QSet>
#include <QStringList>

namespace Vmc {

namespace {
using Blocks::Section;
using Derivations::LinkKind;

class Checker
{
public:
    explicit Checker(const ConfigFile &config) : config(config)
    {
        for (const Blocks::SectionInfo &section : Blocks::sections())
            views[std::size_t(section.section)] = viewOf(section.section, block(section.section));
    }

    QVector<Finding> run(bool damageOnly)
    {
        if (config.kind == FileKind::ModelId)
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
    static QString recordPlace(Section section, int record)
    {
        return QStringLiteral("%1, запись %2").arg(name(section)).arg(record + 1);
    }

    void add(const QString &place, const QString &text) { findings.append({Severity::Error, place, text}); }
    void warn(const QString &place, const QString &text)
    {
        findings.append({Severity::Warning, place, text});
    }

    void checkHeader()
    {
        const int size = config.bytes.size();
        if (size < ModelIdFile::kHeaderSize) {
            add(QStringLiteral("файл"),
                QStringLiteral("%1 байт — короче заголовка (%2): окно возьмёт только model id")
                    .arg(size)
                    .arg(ModelIdFile::kHeaderSize));
            return;
        }
        if (size - ModelIdFile::kHeaderSize > ModelIdFile::kMaxBodySize)
            add(QStringLiteral("файл"),
                QStringLiteral("данных %1 байт — больше %2, которые может описать заголовок")
                    .arg(size - ModelIdFile::kHeaderSize)
                    .arg(ModelIdFile::kMaxBodySize));
        QHash<QString, int> seen;
        for (int e = 0; e < config.entries.size(); ++e) {
            const ModelIdFile::SectionEntry &entry = config.entries.at(e);
            const QString place = QStringLiteral("заголовок, запись %1").arg(e);
            if (!Blocks::sectionNamed(entry.name))
                add(place, QStringLiteral("неизвестная секция «%1»: окно её пропустит").arg(entry.name));
            else if (seen.contains(entry.name))
                add(place, QStringLiteral("секция %1 уже была в записи %2: окно сложит их блоки")
                               .arg(entry.name)
                               .arg(seen.value(entry.name)));
            seen.insert(entry.name, e);
            if (ModelIdFile::kHeaderSize + entry.offset + entry.size > size)
                add(place, QStringLiteral(
                               "секция %1 (смещение %2, размер %3) выходит за конец файла: окно её пропустит")
                               .arg(entry.name)
                               .arg(entry.offset)
                               .arg(entry.size));
        }
        if (config.sectionsEnd < size)
            add(QStringLiteral("файл"),
                QStringLiteral("%1 байт после последней секции (смещение %2): окно их не прочтёт")
                    .arg(size - config.sectionsEnd)
                    .arg(config.sectionsEnd));
        if (config.entries.size() < Blocks::kSectionCount)
            add(QStringLiteral("заголовок, запись %1").arg(config.entries.size()),
                QStringLiteral("пустое имя: дальше окно заголовок не читает"));
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            if (!seen.contains(section.name))
                add(QStringLiteral("заголовок"),
                    QStringLiteral("нет секции %1: вкладка останется пустой").arg(section.name));
        }
    }

    void checkBlock(const BlockView &block)
    {
        const QString place = name(block.section);
        if (block.section == Section::Gpio) {
            if (block.ignored)
                add(place, QStringLiteral("%1 байт вместо %2: окно не прочтёт выводы")
                               .arg(block.size)
                               .arg(Blocks::kGpioBlockSize));
            return;
        }
        if (block.ignored && block.size > 0)
            add(place, QStringLiteral("%1 байт — меньше одной записи (%2): окно не прочтёт блок")
                           .arg(block.size)
                           .arg(recordSize(block.section)));
        if (block.endMarker >= 0 && block.recordsAfterMarker > 0)
            add(recordPlace(block.section, block.endMarker),
                QStringLiteral("маркер конца: записей после него %1, окно их не прочтёт")
                    .arg(block.recordsAfterMarker));
        if (!block.ignored && block.trailingBytes > 0)
            add(place, QStringLiteral("%1 байт после последней целой записи: окно их не прочтёт")
                           .arg(block.trailingBytes));
    }

    // Register rows keep only codes their chain offers.
    void checkRecordCodes(const BlockView &block)
    {
        if (block.section != Section::RegDo && block.section != Section::RegDi)
            return;
        const auto context =
            block.section == Section::RegDo ? Functions::Context::DoRegister : Functions::Context::DiRegister;
        for (int r = 0; r < block.records.size(); ++r) {
            const int code = block.records.at(r).at(1).value.toInt();
            if (Functions::appearanceOf(context, code).storedCode != code)
                add(recordPlace(block.section, r),
                    QStringLiteral("код %1 не предлагается в %2: окно покажет «%3» и запишет 0")
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
                add(recordPlace(block.section, r),
                    QStringLiteral("вывода %1 нет: окно пропустит запись").arg(pin));
            else if (seen.contains(pin))
                add(recordPlace(block.section, r),
                    QStringLiteral("вывод %1 уже был в записи %2: при сохранении останется одна")
                        .arg(pinPlace(pin))
                        .arg(seen.value(pin) + 1));
            seen.insert(pin, r);
        }
    }

    static QVariant fieldOf(const Record &record, const QString &field)
    {
        for (const Field &f : record) {
            if (f.name == field)
                return f.value;
        }
        return QVariant();
    }

    void checkPins()
    {
        const GpioBlock stored = *Blocks::decodeGpioBlock(block(Section::Gpio));
        for (quint32 pin = 0; pin <= Pins::kLastPin; ++pin) {
            const int code = stored.code[pin];
            const QString place = name(Section::Gpio) + QStringLiteral(", ") + pinPlace(pin);
            if (Pins::isUnavailable(pin)) {
                if (code != Functions::kNotAvailableCode)
                    add(place, QStringLiteral("вывод недоступен, а код %1: окно запишет 240").arg(code));
            } else if (code == Functions::kNotAvailableCode) {
                add(place, QStringLiteral("код 240 у доступного вывода: окно покажет его недоступным"));
            } else if (Functions::appearanceOf(Functions::Context::GpioPin, code).storedCode != code) {
                add(place, QStringLiteral("код %1 не предлагается выводу: окно покажет «%2» и запишет 0")
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

    void requireOneLine(const QString &chain, int code)
    {
        const QStringList places = pinsWithCode(code);
        const QString line = Functions::findFunction(code)->text;
        if (places.isEmpty())
            warn(chain, QStringLiteral("нет вывода с функцией «%1» (%2)").arg(line).arg(code));
        else if (places.size() > 1)
            warn(chain, QStringLiteral("«%1» (%2) у нескольких выводов: %3")
                            .arg(line)
                            .arg(code)
                            .arg(places.join(QStringLiteral(", "))));
    }

    // A chain with rows needs each of its lines on exactly one pin.
    void checkChains()
    {
        if (present(Section::RegDo) && !view(Section::RegDo).records.isEmpty()) {
            for (int code : {9, 10, 12})
                requireOneLine(QStringLiteral("цепочка SPI DO"), code);
        }
        if (present(Section::RegDi) && !view(Section::RegDi).records.isEmpty()) {
            for (int code : {13, 14, 16})
                requireOneLine(QStringLiteral("цепочка SPI DI"), code);
        }
        if (present(Section::RegAdc) && !view(Section::RegAdc).records.isEmpty()) {
            const QString chain = QStringLiteral("цепочка SPI ADC");
            for (int code : {17, 18, 19})
                requireOneLine(chain, code);
            // A chip select may come from a pin or from an output of the DO chain.
            bool chipSelect = !pinsWithCode(21).isEmpty();
            for (const Record &record : view(Section::RegDo).records)
                chipSelect = chipSelect || record.at(1).value.toInt() == 21;
            if (!chipSelect)
                warn(chain, QStringLiteral("нет ни вывода, ни выхода SPI DO с функцией «%1» (21)")
                                .arg(Functions::findFunction(21)->text));
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
                warn(recordPlace(section, r),
                     QStringLiteral("вывод %1 в Gpio не %2").arg(pinPlace(pin), what));
        }
        for (const PinSetting &pin : expected) {
            if (!rows.contains(pin.pin))
                warn(name(Section::Gpio) + QStringLiteral(", ") + pinPlace(pin.pin),
                     QStringLiteral("%1 без строки в %2").arg(what, name(section)));
        }
    }

    void checkPinTabs()
    {
        checkPinTab(Section::TiAdc, Derivations::adcTiInputs(pins), QStringLiteral("аналоговый вход"));
        checkPinTab(Section::PwmPorts, Derivations::pwmOutputs(pins),
                    QStringLiteral("аналоговый (PWM) выход"));
    }

    void checkLinks()
    {
        const struct
        {
            Section links;
            LinkKind kind;
            Section registers;
        } tabs[] = {
            {Section::DoLinks, LinkKind::Do, Section::RegDo},
            {Section::DiLinks, LinkKind::Di, Section::RegDi},
            {Section::AiLinks, LinkKind::Ai, Section::RegAdc},
            {Section::AoLinks, LinkKind::Ao, Section::RegAdc},
        };
        for (const auto &tab : tabs) {
            if (!present(tab.links))
                continue;
            QVector<int> codes;
            if (tab.kind != LinkKind::Ao) {
                for (const Record &record : view(tab.registers).records)
                    codes.append(tab.kind == LinkKind::Ai ? 0 : record.at(1).value.toInt());
            }
            const int expected = Derivations::linkCount(tab.kind, pins, codes);
            const int rows = view(tab.links).records.size();
            if (rows != expected)
                warn(
                    name(tab.links),
                    QStringLiteral("привязок %1, а из настроек окно получило бы %2").arg(rows).arg(expected));
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

QString findingLine(const QString &file, const Finding &finding)
{
    return QStringLiteral("%1: %2: %3: %4")
        .arg(file, finding.place,
             finding.severity == Severity::Error ? QStringLiteral("ошибка")
                                                 : QStringLiteral("предупреждение"),
             finding.text);
}

} // namespace Vmc
