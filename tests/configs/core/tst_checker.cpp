#include "checker.h"
#include "datablocks.h"
#include "modelidfile.h"

#include <QtTest>
#include <functional>

using Blocks::Section;
using Checks::Place;
using Checks::Severity;
using Change = std::function<void(ModelIdFile::SectionBlocks &)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Checks::Place)

namespace {
// A finding as a test names it: the place and its severity.
struct Expected
{
    Place place;
    Severity severity;
};
} // namespace
Q_DECLARE_METATYPE(QVector<Expected>)

namespace {
// A window's tabs as they open: every pin unused, the unavailable ones marked, no rows.
ModelIdFile::SectionBlocks openedWindow()
{
    ModelIdFile::SectionBlocks blocks;
    blocks[0] = Blocks::encodeGpioBlock(Blocks::withUnavailablePinsMarked(GpioBlock()));
    return blocks;
}

Change pinCode(quint32 pin, int code)
{
    return [pin, code](ModelIdFile::SectionBlocks &blocks) {
        GpioBlock gpio = *Blocks::decodeGpioBlock(blocks[0]);
        gpio.code[pin] = quint8(code);
        blocks[0] = Blocks::encodeGpioBlock(gpio);
    };
}

Change both(const Change &first, const Change &second)
{
    return [first, second](ModelIdFile::SectionBlocks &blocks) {
        first(blocks);
        second(blocks);
    };
}

template <typename Record> Change records(Section section, const QVector<Record> &records)
{
    return [section, records](ModelIdFile::SectionBlocks &blocks) {
        blocks[std::size_t(section)] = Blocks::encodeRecords(records);
    };
}
} // namespace

class TestChecker : public QObject
{
    Q_OBJECT

private slots:
    void findingsOfATabsState_data();
    void findingsOfATabsState();
    void placeTexts_data();
    void placeTexts();
    void modelIdHeaderPlaces();
};

void TestChecker::findingsOfATabsState_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QVector<Expected>>("expected");
    const Change none = [](ModelIdFile::SectionBlocks &) {};
    const Severity warning = Severity::Warning;

    QTest::newRow("opened window") << none << QVector<Expected>();
    // Pin 48 is X6-15: an analogue input without its row on the TI ADC tab, and without its link.
    QTest::newRow("analogue input without row")
        << pinCode(48, 7)
        << QVector<Expected>{{Place::pin(48), warning}, {Place::block(Section::AiLinks), warning}};
    QTest::newRow("DO registers without chain lines")
        << records(Section::RegDo, QVector<RegPortRecord>{{1, 0}})
        << QVector<Expected>{{Place::chain(Section::RegDo), warning},
                             {Place::chain(Section::RegDo), warning},
                             {Place::chain(Section::RegDo), warning}};
    QTest::newRow("DO pin without derived links")
        << pinCode(48, 4) << QVector<Expected>{{Place::block(Section::DoLinks), warning}};
    QTest::newRow("TI ADC row of a digital pin")
        << records(Section::TiAdc, QVector<AdcInputRecord>{{1, 0, 1, 48}})
        << QVector<Expected>{{Place::record(Section::TiAdc, 0), warning}};
    QTest::newRow("second PWM row of a pin")
        << both(pinCode(48, 8),
                records(Section::PwmPorts, QVector<PwmPortRecord>{{1, 48, 100}, {1, 48, 100}}))
        << QVector<Expected>{{Place::record(Section::PwmPorts, 1), Severity::Error},
                             {Place::block(Section::AoLinks), warning}};
    QTest::newRow("register code no menu offers")
        << records(Section::RegDi, QVector<RegPortRecord>{{1, 4}})
        << QVector<Expected>{{Place::record(Section::RegDi, 0), Severity::Error},
                             {Place::chain(Section::RegDi), warning},
                             {Place::chain(Section::RegDi), warning},
                             {Place::chain(Section::RegDi), warning}};
    QTest::newRow("unavailable pin given a code")
        << pinCode(41, 0) << QVector<Expected>{{Place::pin(41), Severity::Error}};
}

void TestChecker::findingsOfATabsState()
{
    QFETCH(Change, change);
    QFETCH(QVector<Expected>, expected);
    ModelIdFile::SectionBlocks blocks = openedWindow();
    change(blocks);

    const QVector<Checks::Finding> findings = Checks::check(Configuration::configOfBlocks(blocks));
    QStringList shown;
    for (const Checks::Finding &finding : findings)
        shown << Checks::placeText(finding.place) + QStringLiteral(": ") + finding.text;
    QCOMPARE(findings.size(), expected.size());
    for (int f = 0; f < findings.size(); ++f) {
        QVERIFY2(findings.at(f).place == expected.at(f).place, qPrintable(shown.join('\n')));
        QCOMPARE(findings.at(f).severity, expected.at(f).severity);
    }
}

void TestChecker::placeTexts_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QString>("text");
    QTest::newRow("file") << Place::file() << "файл";
    QTest::newRow("header") << Place::header() << "заголовок";
    QTest::newRow("header entry from 0") << Place::headerEntry(0) << "заголовок, запись 0";
    QTest::newRow("block") << Place::block(Section::DoLinks) << "DoLinks";
    QTest::newRow("record from 1") << Place::record(Section::DoLinks, 2) << "DoLinks, запись 3";
    QTest::newRow("pin on a header") << Place::pin(48) << "Gpio, X6-15 PP 4";
    QTest::newRow("pin on no header") << Place::pin(88) << "Gpio, No X 88 PA 0";
    QTest::newRow("DO chain") << Place::chain(Section::RegDo) << "цепочка SPI DO";
    QTest::newRow("DI chain") << Place::chain(Section::RegDi) << "цепочка SPI DI";
    QTest::newRow("ADC chain") << Place::chain(Section::RegAdc) << "цепочка SPI ADC";
}

void TestChecker::placeTexts()
{
    QFETCH(Place, place);
    QFETCH(QString, text);
    QCOMPARE(Checks::placeText(place), text);
}

// A window's tabs have no header to check; the same blocks in a model-id file do.
void TestChecker::modelIdHeaderPlaces()
{
    QByteArray file = *ModelIdFile::encode(openedWindow());
    file.replace(5 * ModelIdFile::kSectionEntrySize, ModelIdFile::kSectionNameSize,
                 QByteArray(ModelIdFile::kSectionNameSize, '\0'));
    const QVector<Checks::Finding> findings =
        Checks::check(*Configuration::configOf(QStringLiteral("ModelId_1.vmc"), file));
    QVector<Place> places;
    for (const Checks::Finding &finding : findings)
        places << finding.place;
    QVERIFY(places.contains(Place::headerEntry(5)));
    QVERIFY(places.contains(Place::header()));
    QCOMPARE(Checks::damage(*Configuration::configOf(QStringLiteral("ModelId_1.vmc"), file)).size(),
             findings.size());
}

QTEST_GUILESS_MAIN(TestChecker)
#include "tst_checker.moc"
