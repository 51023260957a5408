#include "checker.h"
#include "datablocks.h"
#include "modelidfile.h"
#include "report.h"

#include <QRegularExpression>
#include <QtTest>
#include <functional>

using Blocks::Section;
using Change = std::function<void(ModelIdFile::SectionBlocks &)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Report::Meta)

namespace {
// A window's tabs as they open: every pin unused, the unavailable ones marked, no rows.
ModelIdFile::SectionBlocks openedWindow()
{
    ModelIdFile::SectionBlocks blocks;
    blocks[0] = Blocks::encodeGpioBlock(Blocks::withUnavailablePinsMarked(GpioBlock()));
    return blocks;
}

Change pin(quint32 number, int code, quint16 index = 1)
{
    return [number, code, index](ModelIdFile::SectionBlocks &blocks) {
        GpioBlock gpio = *Blocks::decodeGpioBlock(blocks[0]);
        gpio.code[number] = quint8(code);
        gpio.index[number] = index;
        blocks[0] = Blocks::encodeGpioBlock(gpio);
    };
}

template <typename Record> Change records(Section section, const QVector<Record> &records)
{
    return [section, records](ModelIdFile::SectionBlocks &blocks) {
        blocks[std::size_t(section)] = Blocks::encodeRecords(records);
    };
}

Change block(Section section, const QByteArray &bytes)
{
    return [section, bytes](ModelIdFile::SectionBlocks &blocks) { blocks[std::size_t(section)] = bytes; };
}

Change all(const QVector<Change> &changes)
{
    return [changes](ModelIdFile::SectionBlocks &blocks) {
        for (const Change &change : changes)
            change(blocks);
    };
}

Configuration::ConfigFile windowWith(const Change &change)
{
    ModelIdFile::SectionBlocks blocks = openedWindow();
    change(blocks);
    return Configuration::configOfBlocks(blocks);
}

Report::Meta windowMeta()
{
    Report::Meta meta;
    meta.tool = QStringLiteral("velmora 2.0.7");
    meta.generated = QDateTime(QDate(2024, 3, 1), QTime(12, 30), Qt::UTC);
    return meta;
}

QString htmlOf(const Configuration::ConfigFile &config, const Report::Meta &meta = windowMeta())
{
    return QString::fromUtf8(Report::html(config, meta));
}

// The element that carries this id, from its start tag to its end tag; a pin's element holds no
// element of its own kind.
QString elementOf(const QString &html, const QString &id)
{
    const int at = html.indexOf(QStringLiteral(" id=\"%1\"").arg(id));
    if (at < 0)
        return QString();
    const int start = html.lastIndexOf(QLatin1Char('<'), at);
    const QString tag = html.mid(start + 1, html.indexOf(QLatin1Char(' '), start) - start - 1);
    const QString end = QStringLiteral("</%1>").arg(tag);
    return html.mid(start, html.indexOf(end, start) + end.size() - start);
}

QString attribute(const QString &element, const QString &name)
{
    const QRegularExpression pattern(QStringLiteral("^<[^>]* %1=\"([^\"]*)\"").arg(name));
    return pattern.match(element).captured(1);
}

// What a reader sees of an element: its text without tooltips and tags.
QString visibleText(QString element)
{
    element.remove(QRegularExpression(QStringLiteral("<title>[^<]*</title>")));
    element.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return element;
}

// The drawing a pin sits in: the last connector figure that starts before it.
QString connectorOf(const QString &html, const QString &element)
{
    const QString before = html.left(html.indexOf(element));
    const QRegularExpression figure(QStringLiteral("id=\"connector-([^\"]+)\""));
    QString last;
    for (auto it = figure.globalMatch(before); it.hasNext();)
        last = it.next().captured(1);
    return last;
}

QStringList csvLines(const Configuration::ConfigFile &config)
{
    const QString text = QString::fromUtf8(Report::csv(config));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void pinsAsDrawn_data();
    void pinsAsDrawn();
    void headersAsOnTheBoard();
    void csvOfChosenPins_data();
    void csvOfChosenPins();
    void csvShape();
    void tablesOfTheTabs_data();
    void tablesOfTheTabs();
    void damageIsListed_data();
    void damageIsListed();
    void findingsMarkAndLead_data();
    void findingsMarkAndLead();
    void whereItComesFrom_data();
    void whereItComesFrom();
    void selfContained();
};

void TestReport::pinsAsDrawn_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("pin");
    QTest::addColumn<QString>("connector");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("label");

    QTest::newRow("discrete output") << pin(78, 25) << 78 << "X7"
                                     << "do"
                                     << QStringList{"PK 5", "05", "Моностабильный инверсный выход (25)"};
    QTest::newRow("discrete input") << pin(48, 2) << 48 << "X6"
                                    << "di" << QStringList{"PP 4", "15", "Дискретный вход PULL_UP (2)"};
    QTest::newRow("SPI DI line") << pin(64, 13) << 64 << "X6"
                                 << "spi" << QStringList{"PB 5", "08", "SPI MISO для DI регистров (13)"};
    QTest::newRow("SPI ADC line") << pin(11, 21) << 11 << "X9"
                                  << "spi" << QStringList{"PP 2", "20", "SPI CS для внешних ADC (21)"};
    QTest::newRow("analogue input") << pin(42, 7) << 42 << "X6"
                                    << "adc" << QStringList{"PD 2", "03", "Аналоговый вход (7)"};
    QTest::newRow("PWM output") << pin(2, 8) << 2 << "X8"
                                << "pwm" << QStringList{"PE 4", "03", "Аналоговый (PWM) выход (8)"};
    QTest::newRow("UART") << pin(47, 22) << 47 << "X6"
                          << "common" << QStringList{"PQ 0", "13", "порт UART (22)"};
    QTest::newRow("reset") << pin(63, 31) << 63 << "X6"
                           << "reset"
                           << QStringList{"PB 4", "06", "Сброс всех настроек в дефолт. PullUp (31)"};
    QTest::newRow("unused") << pin(50, 0) << 50 << "X6"
                            << "free" << QStringList{"PN 4", "19", "Порт не используется (0)"};
    QTest::newRow("not available on the map")
        << pin(41, 240) << 41 << "X6"
        << "unavailable" << QStringList{"NOT AVAI", "01", "Порт не доступен для использования (240)"};
    // As the window shows them: a code no pin menu offers as unused, 240 as not available.
    QTest::newRow("code no menu offers") << pin(50, 24) << 50 << "X6"
                                         << "free" << QStringList{"Порт не используется (0)"};
    QTest::newRow("240 on an available pin")
        << pin(50, 240) << 50 << "X6"
        << "unavailable" << QStringList{"Порт не доступен для использования (240)"};
    QTest::newRow("off the headers") << pin(81, 7) << 81 << "NoX"
                                     << "adc" << QStringList{"PN 1", "вывод 81", "Аналоговый вход (7)"};
    QTest::newRow("no pin block") << block(Section::Gpio, QByteArray()) << 50 << "X6"
                                  << "unknown" << QStringList{"PN 4", "19", "функция неизвестна"};
    QTest::newRow("no pin block, a pin the map marks")
        << block(Section::Gpio, QByteArray(295, '\0')) << 56 << "X7"
        << "unavailable" << QStringList{"NOT AVAI", "10", "Порт не доступен для использования (240)"};
}

void TestReport::pinsAsDrawn()
{
    QFETCH(Change, change);
    QFETCH(int, pin);
    QFETCH(QString, connector);
    QFETCH(QString, group);
    QFETCH(QStringList, label);

    const QString html = htmlOf(windowWith(change));
    const QString element = elementOf(html, QStringLiteral("pin-%1").arg(pin));
    QVERIFY2(!element.isEmpty(), qPrintable(QStringLiteral("no pin-%1").arg(pin)));
    QCOMPARE(html.count(QStringLiteral(" id=\"pin-%1\"").arg(pin)), 1);
    QCOMPARE(attribute(element, QStringLiteral("class")), QStringLiteral("pin"));
    QCOMPARE(attribute(element, QStringLiteral("data-pin")), QString::number(pin));
    QCOMPARE(attribute(element, QStringLiteral("data-group")), group);
    QCOMPARE(connectorOf(html, element), connector);
    const QString text = visibleText(element);
    for (const QString &part : label)
        QVERIFY2(text.contains(part), qPrintable(text));
}

// Each header is 2×10: odd positions in one column, even ones in the other, 01 and 02 on the first
// row, every position once; every pin of the 96 drawn once.
void TestReport::headersAsOnTheBoard()
{
    const QString html = htmlOf(windowWith(pin(78, 25)));
    QCOMPARE(html.count(QStringLiteral("class=\"pin\"")), 96);
    const QRegularExpression pinStart(QStringLiteral(" id=\"pin-(\\d+)\""));
    const QRegularExpression position(QStringLiteral("<tspan class=\"n\">(\\d\\d)</tspan>"));
    const QRegularExpression pad(QStringLiteral("<rect class=\"pad\" x=\"([\\d.]+)\""));
    const QRegularExpression row(QStringLiteral("translate\\(0 ([\\d.]+)\\)"));
    QMap<QString, QMap<int, QPair<double, double>>> headers; // header -> position -> (x, y)
    QSet<int> pins;
    for (auto it = pinStart.globalMatch(html); it.hasNext();) {
        const int number = it.next().captured(1).toInt();
        pins.insert(number);
        const QString element = elementOf(html, QStringLiteral("pin-%1").arg(number));
        const QString header = connectorOf(html, element);
        if (header == QLatin1String("NoX"))
            continue;
        const int at = position.match(element).captured(1).toInt();
        QVERIFY2(!headers[header].contains(at), qPrintable(element));
        headers[header][at] = {pad.match(element).captured(1).toDouble(),
                               row.match(element).captured(1).toDouble()};
    }
    QCOMPARE(pins.size(), 96);
    QCOMPARE(QStringList(headers.keys()), (QStringList{"X6", "X7", "X8", "X9"}));
    for (auto header = headers.cbegin(); header != headers.cend(); ++header) {
        const QMap<int, QPair<double, double>> &places = header.value();
        QCOMPARE(places.firstKey(), 1);
        QCOMPARE(places.lastKey(), 20);
        QCOMPARE(places.size(), 20);
        for (int odd = 1; odd < 20; odd += 2) {
            const QPair<double, double> left = places.value(odd);
            const QPair<double, double> right = places.value(odd + 1);
            QCOMPARE(left.first, places.value(1).first);
            QCOMPARE(right.first, places.value(2).first);
            QVERIFY(left.first < right.first);
            QCOMPARE(left.second, right.second);
            if (odd > 1)
                QVERIFY(left.second > places.value(odd - 2).second);
        }
    }
}

void TestReport::csvOfChosenPins_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("lines");

    const auto tiAdcRow = [](quint16 number) {
        return records(Section::TiAdc, QVector<AdcInputRecord>{{1.0f, 0.0f, 1, number}});
    };
    QTest::newRow("analogue input with its row and link")
        << all({pin(42, 7, 4), tiAdcRow(42), records(Section::AiLinks, QVector<AnalogLinkRecord>{{0, 1, 1}})})
        << QStringList{"X6,03,42,PD 2,7,Аналоговый вход,4,\"TiAdc, AiLinks\""};
    QTest::newRow("a link tab without rows uses nothing")
        << all({pin(42, 7, 4), tiAdcRow(42)}) << QStringList{"X6,03,42,PD 2,7,Аналоговый вход,4,TiAdc"};
    QTest::newRow("a TI ADC row relies on its pin whatever the pin is")
        << all({pin(48, 1, 2), tiAdcRow(48),
                records(Section::DiLinks, QVector<DigitalLinkRecord>{{1, 1, 0}})})
        << QStringList{"X6,15,48,PP 4,1,Дискретный вход PULL_DOWN,2,\"TiAdc, DiLinks\""};
    QTest::newRow("PWM output") << all({pin(43, 8, 2),
                                        records(Section::PwmPorts, QVector<PwmPortRecord>{{1, 43, 50}}),
                                        records(Section::AoLinks, QVector<AnalogLinkRecord>{{0, 1, 1}})})
                                << QStringList{
                                       "X6,05,43,PP 0,8,Аналоговый (PWM) выход,2,\"PwmPorts, AoLinks\""};
    QTest::newRow("chain lines with registers")
        << all({pin(44, 9), pin(65, 11), records(Section::RegDo, QVector<RegPortRecord>{{1, 4}}),
                records(Section::DoLinks, QVector<DigitalLinkRecord>{{1, 1, 0}})})
        << QStringList{"X6,07,44,PP 1,9,SPI MOSI для DO регистров,1,RegDo",
                       "X6,10,65,PK 0,11,SPI DIAG для DO регистров,1,RegDo"};
    QTest::newRow("a chain line without registers")
        << pin(44, 9) << QStringList{"X6,07,44,PP 1,9,SPI MOSI для DO регистров,1,"};
    QTest::newRow("discrete output")
        << all({pin(78, 25, 3), records(Section::DoLinks, QVector<DigitalLinkRecord>{{1, 1, 0}})})
        << QStringList{"X7,05,78,PK 5,25,Моностабильный инверсный выход,3,DoLinks"};
    QTest::newRow("off the headers") << pin(88, 22, 7) << QStringList{"No X,,88,PA 0,22,порт UART,7,"};
    QTest::newRow("as the window shows codes")
        << all({pin(50, 24, 1), pin(41, 7, 1)})
        << QStringList{"X6,19,50,PN 4,0,Порт не используется,1,",
                       "X6,01,41,NOT AVAI,240,Порт не доступен для использования,1,"};
    QTest::newRow("no pin block") << block(Section::Gpio, QByteArray())
                                  << QStringList{
                                         "X6,19,50,PN 4,,,,",
                                         "X6,01,41,NOT AVAI,240,Порт не доступен для использования,,"};
}

void TestReport::csvOfChosenPins()
{
    QFETCH(Change, change);
    QFETCH(QStringList, lines);
    const QStringList csv = csvLines(windowWith(change));
    for (const QString &line : lines)
        QVERIFY2(csv.contains(line), qPrintable(csv.join('\n')));
}

// A header line and one line per pin, in header order: X6 to X9 by position, then the pins off the
// headers by number.
void TestReport::csvShape()
{
    const QByteArray bytes = Report::csv(windowWith(pin(42, 7)));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    const QStringList lines = csvLines(windowWith(pin(42, 7)));
    QCOMPARE(lines.size(), 97);
    QCOMPARE(lines.first(), QStringLiteral("Разъём,Позиция,Вывод,Порт,Код,Функция,Индекс,Вкладки"));
    QStringList places;
    for (const QString &line : lines.mid(1))
        places << line.section(QLatin1Char(','), 0, 2);
    QCOMPARE(places.mid(0, 3), (QStringList{"X6,01,41", "X6,02,61", "X6,03,42"}));
    QCOMPARE(places.mid(20, 2), (QStringList{"X7,01,80", "X7,02,60"}));
    QCOMPARE(places.at(79), QStringLiteral("X9,20,11"));
    QCOMPARE(places.mid(80, 3), (QStringList{"No X,,0", "No X,,81", "No X,,82"}));
    QCOMPARE(places.last(), QStringLiteral("No X,,95"));
}

void TestReport::tablesOfTheTabs_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("rows"); // whole rows as the page holds them
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("register rows with their functions")
        << records(Section::RegDo, QVector<RegPortRecord>{{1, 4}, {2, 0}})
        << QStringList{"<tr id=\"RegDo-1\"><td>1<td>1<td>4 «Моностабильный выход»</tr>",
                       "<tr id=\"RegDo-2\"><td>2<td>2<td>0 «Порт не используется»</tr>"}
        << QStringList{"id=\"tab-RegDi\"", "id=\"tab-PwmPorts\""};
    QTest::newRow("a PWM row names its pin beside the number")
        << records(Section::PwmPorts, QVector<PwmPortRecord>{{1, 43, 1000}})
        << QStringList{"<tr id=\"PwmPorts-1\"><td>1<td>1<td><a href=\"#pin-43\">43 PP 0 "
                       "(X6-05)</a><td>1000</tr>"}
        << QStringList{"id=\"tab-RegDo\""};
    QTest::newRow("floats as the file holds them")
        << records(Section::TiAdc, QVector<AdcInputRecord>{{0.1f, -2.5f, 3, 88}})
        << QStringList{"<tr id=\"TiAdc-1\"><td>1<td>0.1<td>-2.5<td>3<td><a href=\"#pin-88\">88 PA 0</a></tr>"}
        << QStringList();
    QTest::newRow("pins lead to their drawing")
        << pin(42, 7, 5)
        << QStringList{"<tr><td><a href=\"#pin-42\">42 PD 2 (X6-03)</a><td>7 «Аналоговый вход»<td>5</tr>"}
        << QStringList{"<table><thead><tr><th>Запись<th>вывод"};
    QTest::newRow("records after an end mark")
        << records(Section::DoLinks, QVector<DigitalLinkRecord>{{1, 3, 0}, {2, 241, 0}, {3, 3, 0}})
        << QStringList{"<tr id=\"DoLinks-1\"><td>1<td>1<td>3</tr>",
                       "маркер конца в записи 2; целых записей после него: 1, не читаются"}
        << QStringList{"id=\"DoLinks-2\""};
}

void TestReport::tablesOfTheTabs()
{
    QFETCH(Change, change);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, absent);
    const QString html = htmlOf(windowWith(change));
    for (const QString &row : rows)
        QVERIFY2(html.contains(row), qPrintable(row));
    for (const QString &text : absent)
        QVERIFY2(!html.contains(text), qPrintable(text));
}

void TestReport::damageIsListed_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says");

    const QByteArray sound = *ModelIdFile::encode(openedWindow());
    QTest::newRow("model-id file shorter than its header")
        << "ModelId_3.vmc" << QByteArray(100, '\0') << "короче заголовка";
    QTest::newRow("bytes after the last section") << "ModelId_3.vmc" << sound + "xyz"
                                                  << "байт после последней секции";
    QTest::newRow("a section cut off") << "ModelId_3.vmc" << sound.left(400) << "выходит за конец файла";
    QTest::newRow("pin block of another size")
        << "GpioPortsSettings.vmc" << QByteArray(295, '\0') << "295 байт вместо 296";
    QTest::newRow("partial record") << "doRegPortsSettings.vmc" << QByteArray(6, '\1')
                                    << "2 байт после последней целой записи";
}

// Every finding of the checker, with its place, severity and text as vmc check words them.
void TestReport::damageIsListed()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    const Configuration::ConfigFile config = *Configuration::configOf(fileName, bytes);
    const QString html = htmlOf(config);
    const QString list = elementOf(html, QStringLiteral("findings"));
    const QVector<Checks::Finding> findings = Checks::check(config);
    QVERIFY(!findings.isEmpty());
    QCOMPARE(list.count(QStringLiteral("class=\"finding\"")), findings.size());
    QVERIFY2(list.contains(says), qPrintable(list));
    for (int f = 0; f < findings.size(); ++f) {
        const Checks::Finding &finding = findings.at(f);
        const QString item = elementOf(list, QStringLiteral("finding-%1").arg(f + 1));
        QCOMPARE(attribute(item, QStringLiteral("data-severity")), finding.severity == Checks::Severity::Error
                                                                       ? QStringLiteral("error")
                                                                       : QStringLiteral("warning"));
        QCOMPARE(visibleText(item).trimmed(),
                 QStringLiteral("%1: %2: %3")
                     .arg(Checks::placeText(finding.place),
                          finding.severity == Checks::Severity::Error ? QStringLiteral("ошибка")
                                                                      : QStringLiteral("предупреждение"),
                          finding.text)
                     .toHtmlEscaped());
    }
    QCOMPARE(html.count(QStringLiteral("class=\"pin\"")), 96);
}

void TestReport::findingsMarkAndLead_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("target"); // the id the finding leads to
    QTest::addColumn<QString>("severity");
    QTest::addColumn<QString>("text");

    QTest::newRow("unavailable pin with a code") << pin(41, 7) << "pin-41"
                                                 << "error"
                                                 << "вывод недоступен, а код 7";
    QTest::newRow("code no pin offers") << pin(88, 24) << "pin-88"
                                        << "error"
                                        << "код 24 не предлагается выводу";
    QTest::newRow("analogue input without its row") << pin(48, 7) << "pin-48"
                                                    << "warning"
                                                    << "аналоговый вход без строки в TiAdc";
    QTest::newRow("TI ADC row of a digital pin")
        << records(Section::TiAdc, QVector<AdcInputRecord>{{1.0f, 0.0f, 1, 48}}) << "TiAdc-1"
        << "warning"
        << "вывод X6-15 PP 4 в Gpio не аналоговый вход";
    QTest::newRow("register code no menu offers")
        << records(Section::RegDi, QVector<RegPortRecord>{{1, 1}, {2, 4}}) << "RegDi-2"
        << "error"
        << "код 4 не предлагается в RegDi";
    QTest::newRow("chain without its lines")
        << records(Section::RegDo, QVector<RegPortRecord>{{1, 4}}) << "tab-RegDo"
        << "warning"
        << "нет вывода с функцией «SPI MOSI для DO регистров»";
}

// A finding leads to what it names; a pin's picture carries the mark of its findings, which leads back.
void TestReport::findingsMarkAndLead()
{
    QFETCH(Change, change);
    QFETCH(QString, target);
    QFETCH(QString, severity);
    QFETCH(QString, text);
    const QString html = htmlOf(windowWith(change));
    const QString list = elementOf(html, QStringLiteral("findings"));

    QString item;
    for (int f = 1; !elementOf(list, QStringLiteral("finding-%1").arg(f)).isEmpty(); ++f) {
        const QString candidate = elementOf(list, QStringLiteral("finding-%1").arg(f));
        if (candidate.contains(text))
            item = candidate;
    }
    QVERIFY2(!item.isEmpty(), qPrintable(list));
    QCOMPARE(attribute(item, QStringLiteral("data-severity")), severity);
    QVERIFY2(item.contains(QStringLiteral("<a href=\"#%1\">").arg(target)), qPrintable(item));
    QCOMPARE(html.count(QStringLiteral(" id=\"%1\"").arg(target)), 1);
    if (!target.startsWith(QLatin1String("pin-")))
        return;
    const QString element = elementOf(html, target);
    const QString findingId = attribute(item, QStringLiteral("id"));
    QVERIFY2(element.contains(QStringLiteral("<a href=\"#%1\" data-mark=\"%2\">").arg(findingId, severity)),
             qPrintable(element));
    const QString word =
        severity == QLatin1String("error") ? QStringLiteral("ошибка") : QStringLiteral("предупреждение");
    QVERIFY2(element.contains(QStringLiteral("<title>%1: %2").arg(word, text)), qPrintable(element));
    // The pins without findings carry no mark.
    QCOMPARE(html.count(QStringLiteral("data-mark=")), 1);
}

void TestReport::whereItComesFrom_data()
{
    QTest::addColumn<Report::Meta>("meta");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QStringList>("absent");

    Report::Meta file = windowMeta();
    file.modelId = 17;
    file.sources = {{QStringLiteral("conf/ModelId_17.vmc"), 456, QString(64, QLatin1Char('a'))}};
    file.generated = QDateTime(QDate(2023, 11, 14), QTime(19, 13, 20), Qt::UTC).toOffsetFromUtc(3 * 3600);
    QTest::newRow("a model-id file")
        << file
        << QStringList{"<tr><th>Model id<td>17</tr>",
                       "<td>conf/ModelId_17.vmc<td class=\"num\">456<td class=\"hash\">" + QString(64, 'a'),
                       "<tr><th>Программа<td>velmora 2.0.7</tr>",
                       "<tr><th>Создан<td>2023-11-14 22:13:20 UTC+03:00</tr>"}
        << QStringList{"текущее состояние окна"};
    QTest::newRow("a builder window's state") << windowMeta()
                                              << QStringList{"текущее состояние окна создания конфигураций",
                                                             "<tr><th>Создан<td>2024-03-01 12:30:00 UTC</tr>"}
                                              << QStringList{"Model id", "<table class=\"files\">"};
}

void TestReport::whereItComesFrom()
{
    QFETCH(Report::Meta, meta);
    QFETCH(QStringList, says);
    QFETCH(QStringList, absent);
    const QString header = elementOf(htmlOf(windowWith(pin(42, 7)), meta), QStringLiteral("source"));
    for (const QString &text : says)
        QVERIFY2(header.contains(text), qPrintable(header));
    for (const QString &text : absent)
        QVERIFY2(!header.contains(text), qPrintable(header));
}

// Nothing fetched, nothing run: every link leads within the page, every fill is the page's own.
void TestReport::selfContained()
{
    const QString html = htmlOf(windowWith(all(
        {pin(41, 7), pin(48, 7), records(Section::TiAdc, QVector<AdcInputRecord>{{1.0f, 0.0f, 1, 50}})})));
    QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(html.contains(QStringLiteral("@page{size:A4 portrait")));
    for (const char *outside : {"<script", " src=", "<link", "<img", "@import", "http:", "https:"})
        QVERIFY2(!html.contains(QLatin1String(outside)), outside);
    const QRegularExpression reference(QStringLiteral("(?:href=\"#|url\\(#)([^\")]+)"));
    int references = 0;
    for (auto it = reference.globalMatch(html); it.hasNext(); ++references) {
        const QString id = it.next().captured(1);
        QVERIFY2(html.count(QStringLiteral(" id=\"%1\"").arg(id)) == 1, qPrintable(id));
    }
    QVERIFY(references > 96);
    QCOMPARE(html.count(QStringLiteral("url(")), html.count(QStringLiteral("url(#")));
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
