#include "report.h"

#include "checker.h"
#include "derivations.h"
#include "pinmap.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace Report {

namespace {
// The texts of this file, translated in the Report context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Report)
};

using Blocks::Section;
using Checks::Finding;
using Checks::Place;
using Checks::Severity;
using Configuration::BlockView;
using Configuration::ConfigFile;
using Configuration::FieldText;
using Configuration::Record;
using Functions::FunctionList;

// --- What a pin is: its place, its function and the group the function belongs to ---

enum class Group
{
    Do,
    Di,
    Spi,
    Adc,
    Pwm,
    Common,
    Reset,
    Free,
    Unavailable,
    Unknown // no pin block the window would read
};
constexpr std::size_t kGroupCount = 10;

// How a group is drawn: a colour of the Okabe–Ito palette, which stays apart for the common
// colour-vision deficiencies, and two cues that survive greyscale print: a pattern over the colour
// and a letter code on every pin.
struct GroupStyle
{
    const char *key; // data-group, for scripts
    const char *letters;
    const char *colour;
    const char *marks;     // drawn over the colour in a tile of 2 by 2
    const char *transform; // of the tile
};

const std::array<GroupStyle, kGroupCount> &styles()
{
    static const std::array<GroupStyle, kGroupCount> table = {{
        {"do", "DO", "#d55e00", R"(<path d="M1 0V2" stroke="#fff" stroke-width=".7"/>)", "rotate(45)"},
        {"di", "DI", "#0072b2", R"(<path d="M1 0V2" stroke="#fff" stroke-width=".7"/>)", "rotate(-45)"},
        {"spi", "SPI", "#cc79a7", R"(<path d="M0 1H2M1 0V2" stroke="#000" stroke-width=".3"/>)",
         "rotate(45)"},
        {"adc", "ADC", "#009e73", R"(<circle cx="1" cy="1" r=".45" fill="#fff"/>)", nullptr},
        {"pwm", "PWM", "#e69f00", R"(<path d="M0 1H2" stroke="#000" stroke-width=".35"/>)", nullptr},
        {"common", "COM", "#56b4e9", R"(<path d="M1 0V2" stroke="#000" stroke-width=".35"/>)", nullptr},
        {"reset", "RST", "#f0e442", R"(<path d="M0 .5H2M.5 0V2" stroke="#000" stroke-width=".25"/>)",
         nullptr},
        {"free", "–", "#fff", "", nullptr},
        {"unavailable", "×", "#999", "", nullptr},
        {"unknown", "?", "#fff", R"(<circle cx="1" cy="1" r=".3" fill="#777"/>)", nullptr},
    }};
    return table;
}

const GroupStyle &styleOf(Group group)
{
    return styles()[std::size_t(group)];
}

QString groupName(Group group)
{
    switch (group) {
    case Group::Do:
        return Texts::tr("Дискретные выходы");
    case Group::Di:
        return Texts::tr("Дискретные входы");
    case Group::Spi:
        return Texts::tr("Линии цепочек SPI DO, SPI DI, SPI ADC");
    case Group::Adc:
        return Texts::tr("Аналоговые входы (TI ADC)");
    case Group::Pwm:
        return Texts::tr("Аналоговые (PWM) выходы");
    case Group::Common:
        return Texts::tr("Общие функции");
    case Group::Reset:
        return Texts::tr("Сброс настроек");
    case Group::Free:
        return Functions::fallbackToolTip();
    case Group::Unavailable:
        return Functions::notAvailableToolTip();
    case Group::Unknown:
        break;
    }
    return Texts::tr("Функция неизвестна: блок выводов не прочитан");
}

Group groupOfList(FunctionList list)
{
    switch (list) {
    case FunctionList::DiscreteInput:
        return Group::Di;
    case FunctionList::DiscreteOutput:
        return Group::Do;
    case FunctionList::SpiDo:
    case FunctionList::SpiDi:
    case FunctionList::SpiAdc:
        return Group::Spi;
    case FunctionList::Reset:
        return Group::Reset;
    case FunctionList::Common:
    case FunctionList::DoReg:
    case FunctionList::DiReg:
        break;
    }
    return Group::Common;
}

// The group of a pin as the window shows it. The common list also holds "unused" and the functions
// that give the TI ADC and PWM tabs their rows: those have groups of their own.
Group groupOf(const Functions::Appearance &look)
{
    if (!look.available)
        return Group::Unavailable;
    switch (look.storedCode) {
    case Functions::kFallbackCode:
        return Group::Free;
    case Derivations::kAnalogInputCode:
        return Group::Adc;
    case Derivations::kPwmOutputCode:
        return Group::Pwm;
    default:
        break;
    }
    for (FunctionList list : Functions::gpioGroups()) {
        if (Functions::codesOf(list).contains(look.storedCode))
            return groupOfList(list);
    }
    return Group::Free;
}

// The register chain whose line a pin code carries.
std::optional<Section> chainOf(int code)
{
    static const std::array<std::pair<FunctionList, Section>, 3> lines = {{
        {FunctionList::SpiDo, Section::RegDo},
        {FunctionList::SpiDi, Section::RegDi},
        {FunctionList::SpiAdc, Section::RegAdc},
    }};
    for (const auto &line : lines) {
        if (Functions::codesOf(line.first).contains(code))
            return line.second;
    }
    return std::nullopt;
}

// Every tab of a configuration as the window reads it.
class Tabs
{
public:
    explicit Tabs(const ConfigFile &config) : config(config)
    {
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            if (present(section.section))
                views[std::size_t(section.section)] =
                    Configuration::viewOf(section.section, block(section.section));
        }
        for (Section section : {Section::TiAdc, Section::PwmPorts}) {
            for (const Record &record : view(section).records)
                rowPins[rowPinsOf(section)].insert(
                    Configuration::fieldOf(record, QStringLiteral("pin")).toUInt());
        }
    }

    const ConfigFile &file() const { return config; }
    bool present(Section section) const { return config.present[std::size_t(section)]; }
    const QByteArray &block(Section section) const { return config.blocks[std::size_t(section)]; }
    const BlockView &view(Section section) const { return views[std::size_t(section)]; }
    bool hasRows(Section section) const { return present(section) && !view(section).records.isEmpty(); }
    // Whether the TI ADC or PWM tab has a row of this pin.
    bool hasPinRow(Section section, quint32 pin) const { return rowPins[rowPinsOf(section)].contains(pin); }

private:
    static std::size_t rowPinsOf(Section section) { return section == Section::TiAdc ? 0 : 1; }

    const ConfigFile &config;
    std::array<BlockView, Blocks::kSectionCount> views;
    std::array<QSet<uint>, 2> rowPins;
};

struct Pin
{
    quint32 number = 0;
    QString header;   // "X6" to "X9", or "No X"
    QString position; // "01" to "20"; empty off the headers
    QString port;
    std::optional<int> code; // as the window shows it; none without a pin block it reads
    QString function;
    std::optional<int> index;
    Group group = Group::Unknown;
    QStringList tabs;
};

// A tab uses a pin when its rows come from the pin or rely on it: the TI ADC or PWM row of the pin,
// the link tab whose kind the pin's function makes a link of, and the register chain whose line the
// pin carries; the last two only when that tab has rows, as a tab without rows uses nothing.
bool usesPin(const Tabs &tabs, const Pin &pin, Section section)
{
    if (section == Section::TiAdc || section == Section::PwmPorts)
        return tabs.hasPinRow(section, pin.number);
    if (section == Section::Gpio || !pin.code || !tabs.hasRows(section))
        return false;
    if (chainOf(*pin.code) == section)
        return true;
    for (const Derivations::LinkSource &source : Derivations::linkSources()) {
        if (source.links == section)
            return Derivations::pinMakesLink(source.kind, *pin.code);
    }
    return false;
}

// The pins in header order: X6 to X9 by position, then the pins off the headers by number.
QVector<Pin> pinsOf(const Tabs &tabs)
{
    // A pin on a header is named "PK 5 (X7-05)": its port, header and position.
    static const QRegularExpression onHeader(QStringLiteral("^(.*) \\((X\\d)-(\\d\\d)\\)$"));
    std::optional<GpioBlock> stored;
    if (tabs.present(Section::Gpio))
        stored = Blocks::decodeGpioBlock(tabs.block(Section::Gpio));
    const GpioBlock shown = Blocks::withUnavailablePinsMarked(stored ? *stored : GpioBlock());
    QVector<Pin> pins;
    pins.reserve(Pins::kPinCount);
    for (PinGroup group : Pins::kConnectorOrder) {
        const int first = pins.size();
        const PinMap map = Pins::buildPinMap(group);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            Pin pin;
            pin.number = it.key().number;
            const QRegularExpressionMatch match = onHeader.match(it.value());
            pin.port = match.hasMatch() ? match.captured(1) : it.value();
            pin.header = match.hasMatch() ? match.captured(2) : QStringLiteral("No X");
            pin.position = match.captured(3);
            // The window marks the pins that cannot be used whatever it reads.
            if (stored || Pins::isUnavailable(pin.number)) {
                const Functions::Appearance look =
                    Functions::appearanceOf(Functions::Context::GpioPin, shown.code[pin.number]);
                pin.code = look.storedCode;
                pin.function = look.toolTip;
                pin.group = groupOf(look);
            }
            if (stored)
                pin.index = stored->index[pin.number];
            for (const Blocks::SectionInfo &section : Blocks::sections()) {
                if (usesPin(tabs, pin, section.section))
                    pin.tabs << section.name;
            }
            pins.append(pin);
        }
        // A page lists the left column first; a header reads by position.
        std::stable_sort(pins.begin() + first, pins.end(),
                         [](const Pin &a, const Pin &b) { return a.position < b.position; });
    }
    return pins;
}

// --- HTML ---

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString dateText(const QDateTime &when)
{
    if (!when.isValid())
        return QStringLiteral("—");
    const int offset = when.offsetFromUtc();
    QString zone = QStringLiteral("UTC");
    if (offset != 0)
        zone += QStringLiteral("%1%2:%3")
                    .arg(offset < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                    .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                    .arg(std::abs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));
    // The same digits whatever the system's locale, so that the same input gives the same page.
    return QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + zone;
}

QString severityWord(Severity severity)
{
    return severity == Severity::Error ? Texts::tr("ошибка") : Texts::tr("предупреждение");
}

QString severityKey(Severity severity)
{
    return severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

// Millimetres on the page: the drawings are 180 wide.
const char *const kStyle = R"(@page{size:A4 portrait;margin:12mm}
body{font:10pt/1.35 "DejaVu Sans","Liberation Sans",Arial,sans-serif;color:#000;background:#fff;max-width:186mm;margin:0 auto;padding:4mm}
h1{font-size:16pt;margin:0 0 3mm}
h2{font-size:13pt;margin:7mm 0 2mm;border-bottom:.4mm solid #000;break-after:avoid}
h3,figcaption{font-size:11pt;font-weight:bold;margin:4mm 0 1.5mm;break-after:avoid}
.sub{font-weight:normal;font-size:9pt;color:#333}
table{border-collapse:collapse;margin:1mm 0 3mm;font-size:9pt}
th,td{border:.25mm solid #777;padding:.4mm 1.6mm;text-align:left;vertical-align:top}
thead th{background:#e8e8e8}
thead{display:table-header-group}
tr{break-inside:avoid}
.meta>tbody>tr>th{background:#f2f2f2}
.num{text-align:right}
.hash{font:8pt monospace;word-break:break-all}
.note{margin:0 0 3mm;font-size:9pt}
figure{margin:0 0 5mm}
.connector,.legend{break-inside:avoid}
.connector>svg{display:block;width:100%;max-width:180mm;height:auto}
.body{fill:#eee;stroke:#000;stroke-width:.35}
.pad{stroke:#000;stroke-width:.25}
.c{font:bold 2.8px sans-serif;text-anchor:middle;paint-order:stroke;stroke:#fff;stroke-width:.6px}
.t{font:3px sans-serif}.t .n{font-weight:bold}
.f{font:2.6px sans-serif}
.e{text-anchor:end}
.me{fill:#c00000}.mw{fill:#f0b000;stroke:#000;stroke-width:.2}
svg.sw{width:8mm;height:6mm;vertical-align:middle}
svg.m{width:4.5mm;height:4.5mm;vertical-align:middle}
.legend ul,.nox{list-style:none;padding:0;margin:0;columns:2;column-gap:6mm}
.legend li,.nox li{break-inside:avoid;margin:0 0 1mm}
.finding{margin:0 0 1mm}
.defs{position:absolute;width:0;height:0}
:target>td,li:target{background:#ffef9f}
@media print{body{max-width:none;padding:0}a{color:inherit;text-decoration:none}}
)";

// The findings a pin's picture carries: the worst severity, every text, the first finding to link to.
struct PinMark
{
    Severity worst = Severity::Warning;
    QStringList texts;
    int first = 0;
};

class Page
{
public:
    Page(const Tabs &tabs, const Meta &meta)
        : tabs(tabs), meta(meta), pins(pinsOf(tabs)), findings(Checks::check(tabs.file()))
    {
        for (int f = 0; f < findings.size(); ++f) {
            const Finding &finding = findings.at(f);
            if (finding.place.kind != Place::Kind::Pin)
                continue;
            PinMark &mark = marks[quint32(finding.place.index)];
            if (mark.texts.isEmpty())
                mark.first = f + 1;
            if (finding.severity == Severity::Error)
                mark.worst = Severity::Error;
            mark.texts << severityWord(finding.severity) + QStringLiteral(": ") + finding.text;
        }
    }

    QString document()
    {
        out.reserve(1 << 20);
        const QString name = tabs.file().name;
        out += QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
                              "<meta name=\"viewport\" content=\"width=device-width\">\n<title>%2")
                   .arg(Texts::tr("ru", "the language tag of the report's texts"),
                        Texts::tr("Отчёт о конфигурации"));
        if (!name.isEmpty())
            out += QStringLiteral(" — ") + escaped(name);
        out += QStringLiteral("</title>\n<style>\n") + QLatin1String(kStyle) +
               QStringLiteral("</style>\n</head>\n<body>\n");
        patterns();
        header();
        pinSection();
        findingSection();
        tabSection();
        out += QStringLiteral("</body>\n</html>\n");
        return out;
    }

private:
    // The groups' fills, once for every drawing of the page.
    void patterns()
    {
        out += QStringLiteral("<svg class=\"defs\" aria-hidden=\"true\"><defs>\n");
        for (const GroupStyle &style : styles()) {
            out += QStringLiteral(
                       "<pattern id=\"p-%1\" width=\"2\" height=\"2\" patternUnits=\"userSpaceOnUse\"")
                       .arg(QLatin1String(style.key));
            if (style.transform)
                out += QStringLiteral(" patternTransform=\"%1\"").arg(QLatin1String(style.transform));
            out += QStringLiteral("><rect width=\"2\" height=\"2\" fill=\"%1\"/>%2</pattern>\n")
                       .arg(QLatin1String(style.colour), QLatin1String(style.marks));
        }
        out += QStringLiteral("</defs></svg>\n");
    }

    int count(Severity severity) const
    {
        return int(std::count_if(findings.cbegin(), findings.cend(), [severity](const Finding &finding) {
            return finding.severity == severity;
        }));
    }

    QString summary() const
    {
        if (findings.isEmpty())
            return Texts::tr("Ошибок нет");
        return Texts::tr("Ошибок: %1, предупреждений: %2")
            .arg(count(Severity::Error))
            .arg(count(Severity::Warning));
    }

    QString kindText() const
    {
        if (meta.sources.isEmpty())
            return Texts::tr("текущее состояние окна создания конфигураций, не файл");
        switch (tabs.file().kind) {
        case Configuration::FileKind::ModelId:
            return Texts::tr("model id файл");
        case Configuration::FileKind::PerTab:
            return Texts::tr("файл вкладки");
        case Configuration::FileKind::Folder:
            break;
        }
        return Texts::tr("папка файлов вкладок");
    }

    void row(const QString &heading, const QString &cell)
    {
        out += QStringLiteral("<tr><th>%1<td>%2</tr>\n").arg(heading, cell);
    }

    void header()
    {
        out += QStringLiteral("<header id=\"source\">\n<h1>%1</h1>\n<table class=\"meta\"><tbody>\n")
                   .arg(Texts::tr("Отчёт о конфигурации"));
        if (meta.modelId)
            row(QStringLiteral("Model id"), QString::number(*meta.modelId));
        row(Texts::tr("Источник"), escaped(kindText()));
        if (!meta.sources.isEmpty()) {
            QString files =
                QStringLiteral(
                    "<table class=\"files\"><thead><tr><th>%1<th>%2<th>SHA-256</tr></thead><tbody>\n")
                    .arg(Texts::tr("Файл"), Texts::tr("Размер, байт"));
            for (const SourceFile &source : meta.sources)
                files += QStringLiteral("<tr><td>%1<td class=\"num\">%2<td class=\"hash\">%3</tr>\n")
                             .arg(escaped(source.name), QString::number(source.size),
                                  source.sha256.isEmpty() ? QStringLiteral("—") : escaped(source.sha256));
            row(Texts::tr("Файлы"), files + QStringLiteral("</tbody></table>"));
        }
        row(Texts::tr("Программа"), escaped(meta.tool));
        row(Texts::tr("Создан"), dateText(meta.generated));
        row(Texts::tr("Проверка"), QStringLiteral("<a href=\"#findings\">%1</a>").arg(summary()));
        out += QStringLiteral("</tbody></table>\n</header>\n");
    }

    // --- The pins ---

    static QString swatch(Group group)
    {
        const GroupStyle &style = styleOf(group);
        return QStringLiteral(
                   "<svg class=\"sw\" viewBox=\"0 0 8 6\" aria-hidden=\"true\"><rect class=\"pad\" "
                   "x=\".15\" y=\".15\" width=\"7.7\" height=\"5.7\" fill=\"url(#p-%1)\"/><text "
                   "class=\"c\" x=\"4\" y=\"3.9\">%2</text></svg>")
            .arg(QLatin1String(style.key), QString::fromUtf8(style.letters));
    }

    // The shape of a severity: a red circle for an error, an amber triangle for a warning, each with
    // an exclamation mark drawn, not written, so that the page's text holds only words.
    static QString markShape(Severity severity, double x, double y)
    {
        const QString exclamation = QStringLiteral(
            "<path d=\"M%1 %2v1.5m0 1v.1\" stroke=\"%3\" stroke-width=\".7\" stroke-linecap=\"round\"/>");
        if (severity == Severity::Error)
            return QStringLiteral("<circle class=\"me\" cx=\"%1\" cy=\"%2\" r=\"2.1\"/>").arg(x).arg(y) +
                   exclamation.arg(x).arg(y - 1.2).arg(QStringLiteral("#fff"));
        return QStringLiteral("<path class=\"mw\" d=\"M%1 %2L%3 %4H%5Z\"/>")
                   .arg(x)
                   .arg(y - 2.4)
                   .arg(x + 2.4)
                   .arg(y + 1.8)
                   .arg(x - 2.4) +
               exclamation.arg(x).arg(y - 0.9).arg(QStringLiteral("#000"));
    }

    static QString markIcon(Severity severity)
    {
        return QStringLiteral("<svg class=\"m\" viewBox=\"-2.5 -2.6 5 5\" aria-hidden=\"true\">%1</svg>")
            .arg(markShape(severity, 0, 0));
    }

    // The mark of a pin's findings, which leads to the first of them.
    QString mark(quint32 pin, double x, double y) const
    {
        const auto it = marks.constFind(pin);
        if (it == marks.cend())
            return QString();
        return QStringLiteral("<a href=\"#finding-%1\" data-mark=\"%2\"><title>%3</title>%4</a>")
            .arg(it->first)
            .arg(severityKey(it->worst), escaped(it->texts.join(QLatin1Char('\n'))),
                 markShape(it->worst, x, y));
    }

    static QString functionText(const Pin &pin)
    {
        if (!pin.code)
            return Texts::tr("функция неизвестна");
        return QStringLiteral("%1 (%2)").arg(pin.function).arg(*pin.code);
    }

    // The pin as a tooltip names it: its place, code, function and index.
    static QString pinTitle(const Pin &pin)
    {
        QString text = Configuration::pinPlace(pin.number);
        if (pin.code)
            text += Texts::tr(": код %1 «%2»").arg(*pin.code).arg(pin.function);
        if (pin.index)
            text += Texts::tr(", индекс %1").arg(*pin.index);
        if (!pin.tabs.isEmpty())
            text += Texts::tr("; вкладки: ") + pin.tabs.join(QStringLiteral(", "));
        return text;
    }

    static QString pinAttributes(const Pin &pin)
    {
        return QStringLiteral("class=\"pin\" id=\"pin-%1\" data-pin=\"%1\" data-group=\"%2\"")
            .arg(pin.number)
            .arg(QLatin1String(styleOf(pin.group).key));
    }

    void legend()
    {
        std::array<int, kGroupCount> counts{};
        for (const Pin &pin : pins)
            ++counts[std::size_t(pin.group)];
        out += QStringLiteral("<figure class=\"legend\"><figcaption>%1</figcaption><ul>\n")
                   .arg(Texts::tr("Условные обозначения"));
        for (std::size_t g = 0; g < kGroupCount; ++g) {
            const auto group = Group(g);
            if (group == Group::Unknown && counts[g] == 0)
                continue;
            out +=
                QStringLiteral("<li>%1 <b>%2</b> %3: %4</li>\n")
                    .arg(swatch(group), QString::fromUtf8(styleOf(group).letters), escaped(groupName(group)))
                    .arg(counts[g]);
        }
        out += QStringLiteral("<li>%1 %2</li>\n<li>%3 %4</li>\n</ul></figure>\n")
                   .arg(markIcon(Severity::Error), severityWord(Severity::Error), markIcon(Severity::Warning),
                        severityWord(Severity::Warning));
    }

    // A 2×10 header as it sits on the board: odd positions in the left column, even ones in the
    // right, 01 and 02 on the first row; labels outside, the letter code on the pad.
    void connector(const QString &header)
    {
        constexpr int kRowPitch = 8;
        out +=
            QStringLiteral("<figure class=\"connector\" id=\"connector-%1\"><figcaption>%2 "
                           "<span class=\"sub\">%3</span></figcaption>\n"
                           "<svg viewBox=\"0 0 180 85\" role=\"img\" aria-label=\"%2\">\n"
                           "<rect class=\"body\" x=\"79\" y=\".5\" width=\"22\" height=\"84\" rx=\"1.2\"/>\n")
                .arg(header, Texts::tr("Разъём %1").arg(header), Texts::tr("2 × 10 позиций"));
        for (const Pin &pin : pins) {
            if (pin.header != header)
                continue;
            const int position = pin.position.toInt();
            const bool right = position % 2 == 0;
            const int y = 2 + (position - 1) / 2 * kRowPitch;
            const double pad = right ? 91.5 : 80.5;
            const double label = right ? 107.5 : 72.5;
            const QString end = right ? QString() : QStringLiteral(" e");
            const QString place =
                right
                    ? QStringLiteral("<tspan class=\"n\">%1</tspan> %2").arg(pin.position, escaped(pin.port))
                    : QStringLiteral("%2 <tspan class=\"n\">%1</tspan>").arg(pin.position, escaped(pin.port));
            out += QStringLiteral("<g %1 transform=\"translate(0 %2)\"><title>%3</title>")
                       .arg(pinAttributes(pin))
                       .arg(y)
                       .arg(escaped(pinTitle(pin)));
            out += QStringLiteral(
                       "<rect class=\"pad\" x=\"%1\" y=\".5\" width=\"8\" height=\"6\" fill=\"url(#p-%2)\"/>"
                       "<text class=\"c\" x=\"%3\" y=\"4.5\">%4</text>")
                       .arg(pad)
                       .arg(QLatin1String(styleOf(pin.group).key))
                       .arg(pad + 4)
                       .arg(QString::fromUtf8(styleOf(pin.group).letters));
            out +=
                QStringLiteral("<text class=\"t%1\" x=\"%2\" y=\"3\">%3</text><text class=\"f%1\" x=\"%2\" "
                               "y=\"6.4\">%4</text>")
                    .arg(end)
                    .arg(label)
                    .arg(place, escaped(functionText(pin)));
            out += mark(pin.number, right ? 104 : 76, 3.5);
            out += QStringLiteral("</g>\n");
        }
        out += QStringLiteral("</svg></figure>\n");
    }

    void offHeaders()
    {
        out += QStringLiteral("<figure class=\"connector\" id=\"connector-NoX\"><figcaption>%1</figcaption>\n"
                              "<ul class=\"nox\">\n")
                   .arg(Texts::tr("Выводы вне разъёмов (No X)"));
        for (const Pin &pin : pins) {
            if (!pin.position.isEmpty())
                continue;
            out += QStringLiteral("<li %1 title=\"%2\">%3 <b>%4</b> %5")
                       .arg(pinAttributes(pin), escaped(pinTitle(pin)), swatch(pin.group), escaped(pin.port),
                            Texts::tr("вывод %1: %2").arg(pin.number).arg(escaped(functionText(pin))));
            const QString shown = mark(pin.number, 0, 0);
            if (!shown.isEmpty())
                out += QStringLiteral(" <svg class=\"m\" viewBox=\"-2.5 -2.6 5 5\">%1</svg>").arg(shown);
            out += QStringLiteral("</li>\n");
        }
        out += QStringLiteral("</ul></figure>\n");
    }

    void pinSection()
    {
        out += QStringLiteral("<section id=\"pins\">\n<h2>%1</h2>\n").arg(Texts::tr("Выводы"));
        if (std::any_of(pins.cbegin(), pins.cend(),
                        [](const Pin &pin) { return pin.group == Group::Unknown; }))
            out += QStringLiteral("<p class=\"note\">%1</p>\n")
                       .arg(Texts::tr(
                           "Блока выводов (Gpio) нет или окно его не читает: функции выводов неизвестны."));
        legend();
        for (const char *header : {"X6", "X7", "X8", "X9"})
            connector(QLatin1String(header));
        offHeaders();
        out += QStringLiteral("</section>\n");
    }

    // --- The findings ---

    // Whether the report shows the section's tab.
    bool shown(Section section) const { return tabs.present(section) && tabs.view(section).size > 0; }

    // Where a finding's place is in the report, or empty where it has none of its own.
    QString anchorOf(const Place &place) const
    {
        const QString section = Blocks::sectionInfo(place.section).name;
        switch (place.kind) {
        case Place::Kind::Pin:
            return place.index >= 0 && place.index <= int(Pins::kLastPin)
                       ? QStringLiteral("pin-%1").arg(place.index)
                       : QString();
        case Place::Kind::Record:
            if (shown(place.section) && place.index < tabs.view(place.section).records.size())
                return QStringLiteral("%1-%2").arg(section).arg(place.index + 1);
            break;
        case Place::Kind::Block:
        case Place::Kind::Chain:
            break;
        case Place::Kind::File:
        case Place::Kind::Header:
        case Place::Kind::HeaderEntry:
            return QString();
        }
        return shown(place.section) ? QStringLiteral("tab-") + section : QString();
    }

    void findingSection()
    {
        out += QStringLiteral("<section id=\"findings\">\n<h2>%1</h2>\n<p>%2</p>\n")
                   .arg(Texts::tr("Проверка"), summary());
        if (!findings.isEmpty())
            out += QStringLiteral("<ol>\n");
        for (int f = 0; f < findings.size(); ++f) {
            const Finding &finding = findings.at(f);
            const QString place = escaped(Checks::placeText(finding.place));
            const QString anchor = anchorOf(finding.place);
            out += QStringLiteral(
                       "<li class=\"finding\" id=\"finding-%1\" data-severity=\"%2\">%3 %4: <b>%5</b>: "
                       "%6</li>\n")
                       .arg(f + 1)
                       .arg(severityKey(finding.severity), markIcon(finding.severity),
                            anchor.isEmpty() ? place
                                             : QStringLiteral("<a href=\"#%1\">%2</a>").arg(anchor, place),
                            severityWord(finding.severity), escaped(finding.text));
        }
        if (!findings.isEmpty())
            out += QStringLiteral("</ol>\n");
        out += QStringLiteral("</section>\n");
    }

    // --- The tabs ---

    void notes(const BlockView &view)
    {
        QStringList lines;
        if (view.ignored)
            lines << Texts::tr("%1 байт: окно не читает такой блок").arg(view.size);
        else if (view.records.isEmpty())
            lines << Texts::tr("записей нет");
        if (view.endMarker >= 0)
            lines << Texts::tr("маркер конца в записи %1; целых записей после него: %2, не читаются")
                         .arg(view.endMarker + 1)
                         .arg(view.recordsAfterMarker);
        if (!view.ignored && view.trailingBytes > 0)
            lines << Texts::tr("байт после последней целой записи: %1, не читаются").arg(view.trailingBytes);
        for (const QString &line : lines)
            out += QStringLiteral("<p class=\"note\">%1</p>\n").arg(line);
    }

    // The rows as vmc dump words them, a column per field; pins lead to their drawing.
    void table(const BlockView &view)
    {
        const bool pinTab = view.section == Section::Gpio;
        const QString name = Blocks::sectionInfo(view.section).name;
        const Record &first = view.records.first();
        out += QStringLiteral("<table><thead><tr>");
        if (!pinTab)
            out += QStringLiteral("<th>") + Texts::tr("Запись");
        for (const FieldText &column : Configuration::fieldTexts(first))
            out += QStringLiteral("<th>") + escaped(column.label);
        // The column of the pin's number, if the rows have one.
        int pinColumn = -1;
        int column = 0;
        for (const Configuration::Field &field : first) {
            if (field.name == QLatin1String("function") || field.name == QLatin1String("name"))
                continue;
            if (field.name == QLatin1String("pin"))
                pinColumn = column;
            ++column;
        }
        out += QStringLiteral("</tr></thead><tbody>\n");
        for (int r = 0; r < view.records.size(); ++r) {
            const Record &record = view.records.at(r);
            if (pinTab)
                out += QStringLiteral("<tr>");
            else
                out += QStringLiteral("<tr id=\"%1-%2\"><td>%2").arg(name).arg(r + 1);
            const QVector<FieldText> cells = Configuration::fieldTexts(record);
            for (int c = 0; c < cells.size(); ++c) {
                const QString text = escaped(cells.at(c).text);
                const uint pin =
                    c == pinColumn ? Configuration::fieldOf(record, QStringLiteral("pin")).toUInt() : 0;
                if (c == pinColumn && pin <= Pins::kLastPin)
                    out += QStringLiteral("<td><a href=\"#pin-%1\">%2</a>").arg(pin).arg(text);
                else
                    out += QStringLiteral("<td>") + text;
            }
            out += QStringLiteral("</tr>\n");
        }
        out += QStringLiteral("</tbody></table>\n");
    }

    void tabSection()
    {
        out += QStringLiteral("<section id=\"tabs\">\n<h2>%1</h2>\n").arg(Texts::tr("Вкладки"));
        bool any = false;
        for (const Blocks::SectionInfo &section : Blocks::sections()) {
            if (!shown(section.section))
                continue;
            any = true;
            const BlockView &view = tabs.view(section.section);
            out +=
                QStringLiteral("<section class=\"tab\" id=\"tab-%1\"><h3>%2 <span class=\"sub\">%1, %3: %4")
                    .arg(section.name, Blocks::tabTitle(section.section), section.fileName,
                         Texts::tr("%1 байт").arg(view.size));
            if (!view.ignored)
                out += Texts::tr(", записей %1").arg(view.records.size());
            out += QStringLiteral("</span></h3>\n");
            notes(view);
            if (!view.records.isEmpty())
                table(view);
            out += QStringLiteral("</section>\n");
        }
        if (!any)
            out += QStringLiteral("<p>%1</p>\n").arg(Texts::tr("Ни одной заполненной вкладки."));
        out += QStringLiteral("</section>\n");
    }

    const Tabs &tabs;
    const Meta &meta;
    const QVector<Pin> pins;
    const QVector<Finding> findings;
    QHash<quint32, PinMark> marks;
    QString out;
};

// --- CSV ---

// RFC 4180: a field with a comma, a quote or a line end is quoted, its quotes doubled.
QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

void appendCsvLine(QString &text, const QStringList &fields)
{
    for (int f = 0; f < fields.size(); ++f) {
        if (f > 0)
            text += QLatin1Char(',');
        text += csvField(fields.at(f));
    }
    text += QStringLiteral("\r\n");
}

QString optionalNumber(const std::optional<int> &value)
{
    return value ? QString::number(*value) : QString();
}
} // namespace

QByteArray html(const ConfigFile &config, const Meta &meta)
{
    const Tabs tabs(config);
    return Page(tabs, meta).document().toUtf8();
}

QByteArray csv(const ConfigFile &config)
{
    const Tabs tabs(config);
    QString text;
    appendCsvLine(text, {Texts::tr("Разъём"), Texts::tr("Позиция"), Texts::tr("Вывод"), Texts::tr("Порт"),
                         Texts::tr("Код"), Texts::tr("Функция"), Texts::tr("Индекс"), Texts::tr("Вкладки")});
    for (const Pin &pin : pinsOf(tabs))
        appendCsvLine(text, {pin.header, pin.position, QString::number(pin.number), pin.port,
                             optionalNumber(pin.code), pin.function, optionalNumber(pin.index),
                             pin.tabs.join(QStringLiteral(", "))});
    return text.toUtf8();
}

} // namespace Report
