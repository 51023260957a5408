#include "treerows.h"

#include <QtTest>
#include <limits>

namespace {
// The ways a writer reads a row's text into a record field.
enum class Reader
{
    FrequencyEditor, // a PWM frequency, held in its editor's range 1..100000
    PinField,        // a 16-bit field without an editor
    RowNumber,       // the 32-bit key that orders a tab's records
    Gain,            // a float field
};

double read(Reader reader, const QString &text)
{
    switch (reader) {
    case Reader::FrequencyEditor:
        return TreeRows::EditorSpec{3, 1, 100000, 0, QStringLiteral("pwm")}.valueOf(text);
    case Reader::PinField:
        return TreeRows::fieldValue<quint16>(text);
    case Reader::RowNumber:
        return TreeRows::fieldValue<quint32>(text);
    case Reader::Gain:
        break;
    }
    return double(TreeRows::floatValue(text));
}
} // namespace

Q_DECLARE_METATYPE(Reader)

class TestTreeRows : public QObject
{
    Q_OBJECT

private slots:
    void writersReadTexts_data();
    void writersReadTexts();
};

void TestTreeRows::writersReadTexts_data()
{
    QTest::addColumn<Reader>("reader");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("written");
    const double largestFloat = std::numeric_limits<float>::max();

    // A number beyond the range gives its nearer end, however many digits it has.
    QTest::newRow("frequency above int") << Reader::FrequencyEditor << "3000000000" << 100000.0;
    QTest::newRow("frequency above 64 bits")
        << Reader::FrequencyEditor << "99999999999999999999999" << 100000.0;
    QTest::newRow("frequency above range") << Reader::FrequencyEditor << "250000" << 100000.0;
    QTest::newRow("frequency in range") << Reader::FrequencyEditor << " +42 " << 42.0;
    QTest::newRow("frequency 0") << Reader::FrequencyEditor << "0" << 1.0;
    QTest::newRow("frequency below int") << Reader::FrequencyEditor << "-3000000000" << 1.0;
    QTest::newRow("frequency below 64 bits") << Reader::FrequencyEditor << "-99999999999999999999999" << 1.0;
    // A text that is no whole number reads as 0, held in the range.
    QTest::newRow("frequency no number") << Reader::FrequencyEditor << "100 Hz" << 1.0;
    QTest::newRow("frequency exponent") << Reader::FrequencyEditor << "1e5" << 1.0;
    QTest::newRow("frequency empty") << Reader::FrequencyEditor << "" << 1.0;
    QTest::newRow("pin field above 16 bits") << Reader::PinField << "70000" << 65535.0;
    QTest::newRow("pin field negative") << Reader::PinField << "-1" << 0.0;
    QTest::newRow("row number above int") << Reader::RowNumber << "3000000000" << 3000000000.0;
    QTest::newRow("row number above 32 bits") << Reader::RowNumber << "5000000000" << 4294967295.0;
    QTest::newRow("gain") << Reader::Gain << "0.000001" << double(1e-6f);
    QTest::newRow("gain above float") << Reader::Gain << "1e39" << largestFloat;
    QTest::newRow("gain above double") << Reader::Gain << "-1e400" << -largestFloat;
    QTest::newRow("gain below float") << Reader::Gain << "1e-50" << 0.0;
    QTest::newRow("gain decimal comma") << Reader::Gain << "1,5" << 0.0;
}

void TestTreeRows::writersReadTexts()
{
    QFETCH(Reader, reader);
    QFETCH(QString, text);
    QFETCH(double, written);
    QCOMPARE(read(reader, text), written);
}

QTEST_GUILESS_MAIN(TestTreeRows)
#include "tst_treerows.moc"
