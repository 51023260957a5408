#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace BuilderKit;

namespace {
struct RegisterTab
{
    QString prefix; // "Do", "Di", "Adc"
    QString tree;
    QString label;
};

RegisterTab registerTab(const QString &prefix)
{
    const QMap<QString, RegisterTab> tabs = {
        {"Do", {"Do", "portsDoReg", "NumDigOutputs"}},
        {"Di", {"Di", "portsDiReg", "NumDigInputs"}},
        {"Adc", {"Adc", "portsAdcReg", "NumAdcInputs"}},
    };
    return tabs.value(prefix);
}

void fill(ConfigsCreator &window, const QString &prefix, const QByteArray &block)
{
    if (prefix == QLatin1String("Do"))
        window.fillDoRegTab(block);
    else if (prefix == QLatin1String("Di"))
        window.fillDiRegTab(block);
    else
        window.fillAdcRegTab(block);
}

QByteArray regRecords(int count, quint16 code = 4, int markAt = -1)
{
    QVector<RegPortRecord> records;
    for (int r = 0; r < count; ++r)
        records.append({quint16(r + 1), r == markAt ? Blocks::kRegPortEndMarker : code});
    return Blocks::encodeRecords(records);
}

QByteArray adcRecords(const QVector<AdcInputRecord> &records, int extraBytes = 0)
{
    return Blocks::encodeRecords(records) + QByteArray(extraBytes, '\x7f');
}

const float kAdcMark = 25555.0f;
} // namespace

class TestRegisterTabs : public QObject
{
    Q_OBJECT

private slots:
    void fills_data();
    void fills();
    void rowsShowTheirRecords();
    void applyGrowsAndCutsAtTheEnd();
    void applyChangesOnlyItsTab_data();
    void applyChangesOnlyItsTab();
    void editorsMeasureAsTheirOwn_data();
    void editorsMeasureAsTheirOwn();
};

void TestRegisterTabs::fills_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("rows"); // -1: the two rows filled before stay
    QTest::addColumn<int>("registers");

    QTest::newRow("DO: fourth of 12 marks the end") << "Do" << regRecords(12, 4, 3) << 3 << 1;
    QTest::newRow("DO: 9 without mark") << "Do" << regRecords(9) << 9 << 2;
    QTest::newRow("DO: only the mark") << "Do" << regRecords(1, 4, 0) << 0 << 0;
    QTest::newRow("DO: 3 bytes") << "Do" << regRecords(1).left(3) << -1 << 5;
    QTest::newRow("DO: 7 bytes") << "Do" << regRecords(2).left(7) << 1 << 1;
    QTest::newRow("DO: 800 records") << "Do" << regRecords(800) << 800 << 99;
    QTest::newRow("DI: 17 records") << "Di" << regRecords(17, 1) << 17 << 3;
    QTest::newRow("DI: empty") << "Di" << QByteArray() << -1 << 5;
    QTest::newRow("ADC: 30 bytes") << "Adc" << adcRecords({{1, 0, 1, 1}, {2, 0, 2, 2}}, 6) << 2 << 1;
    QTest::newRow("ADC: second gain marks the end")
        << "Adc" << adcRecords({{1, 0, 1, 1}, {kAdcMark, 0, 2, 2}}, 6) << 1 << 1;
    QTest::newRow("ADC: NaN gain is no mark") << "Adc" << adcRecords({{std::nanf(""), 0, 1, 1}}) << 1 << 1;
    QTest::newRow("ADC: 11 bytes") << "Adc" << adcRecords({{1, 0, 1, 1}}).left(11) << -1 << 5;
}

void TestRegisterTabs::fills()
{
    QFETCH(QString, tab);
    QFETCH(QByteArray, block);
    QFETCH(int, rows);
    QFETCH(int, registers);

    const RegisterTab names = registerTab(tab);
    ConfigsCreator window;
    window.fillAllTabs();
    // Two rows from an earlier file; the spin box then set by hand, as a user may leave it.
    fill(window, tab, tab == QLatin1String("Adc") ? adcRecords({{3, 0, 1, 1}, {3, 0, 1, 1}}) : regRecords(2));
    child<QSpinBox>(window, QStringLiteral("Num%1Registers").arg(tab))->setValue(5);

    fill(window, tab, block);
    QTreeWidget *tree = BuilderKit::tree(window, names.tree);
    const int shown = rows < 0 ? 2 : rows;
    QCOMPARE(tree->topLevelItemCount(), shown);
    QCOMPARE(child<QLabel>(window, names.label)->text(), QString::number(rows < 0 ? 2 : rows));
    QCOMPARE(child<QSpinBox>(window, QStringLiteral("Num%1Registers").arg(tab))->value(), registers);
    QStringList positions;
    for (int p = 1; p <= shown; ++p)
        positions << QString::number(p);
    QCOMPARE(column(tree, 0), positions);
}

void TestRegisterTabs::rowsShowTheirRecords()
{
    ConfigsCreator window;
    window.fillDoRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{0, 24}, {7, 1}}));
    window.fillDiRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{9, 24}, {65535, 23}}));
    window.fillAdcRegTab(
        adcRecords({{1, 0, 0, 9}, {0.5f, -2, 7, 9}, {0.000001f, 300, 1, 9}, {300, 0, 1, 9}}));

    QTreeWidget *doTree = tree(window, "portsDoReg");
    QTreeWidget *diTree = tree(window, "portsDiReg");
    QTreeWidget *adcTree = tree(window, "portsAdcReg");
    // The status LED is a DO function only; codes a chain does not offer are kept as 0.
    QCOMPARE(rows(doTree), (QList<QStringList>{{"1", "24", "0"}, {"2", "0", "7"}}));
    QCOMPARE(rows(diTree), (QList<QStringList>{{"1", "0", "9"}, {"2", "23", "65535"}}));
    QCOMPARE(qobject_cast<QToolButton *>(doTree->itemWidget(doTree->topLevelItem(0), 1))->toolTip(),
             QStringLiteral("Светодиод индикации состояния"));
    auto *diButton = qobject_cast<QToolButton *>(diTree->itemWidget(diTree->topLevelItem(0), 1));
    QCOMPARE(diButton->toolTip(), QStringLiteral("Порт не используется"));
    QCOMPARE(diButton->icon().pixmap(24).toImage(), QIcon(":/icons/images/Ok.png").pixmap(24).toImage());
    auto *doIndex = qobject_cast<QSpinBox *>(doTree->itemWidget(doTree->topLevelItem(0), 2));
    QCOMPARE(doIndex->value(), 1); // a stored 0 shows as the minimum, the row keeps "0"

    // Gains and offsets in the shorter notation; values beyond the editors stay in the text.
    QCOMPARE(rows(adcTree), (QList<QStringList>{{"1", "0", "1", "0"},
                                                {"2", "7", "0.5", "-2"},
                                                {"3", "1", "1e-06", "300"},
                                                {"4", "1", "300", "0"}}));
    auto *gain = qobject_cast<QDoubleSpinBox *>(adcTree->itemWidget(adcTree->topLevelItem(3), 2));
    auto *offset = qobject_cast<QDoubleSpinBox *>(adcTree->itemWidget(adcTree->topLevelItem(2), 3));
    QCOMPARE(gain->value(), 127.0);
    QCOMPARE(offset->value(), 127.0);
    QCOMPARE(adcTree->topLevelItem(3)->text(2), QStringLiteral("300")); // setting the editor wrote nothing
}

void TestRegisterTabs::applyGrowsAndCutsAtTheEnd()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    showTab(window, "doRegConfig");
    QTreeWidget *doTree = tree(window, "portsDoReg");
    auto *label = child<QLabel>(window, "NumDigOutputs");

    applyRegisters(window, "Do", 2);
    QCOMPARE(doTree->topLevelItemCount(), 16);
    QCOMPARE(label->text(), QStringLiteral("16"));
    QCOMPARE(rows(doTree).at(15), (QStringList{"16", "0", "1"}));
    auto *index = qobject_cast<QSpinBox *>(doTree->itemWidget(doTree->topLevelItem(0), 2));
    QVERIFY(index->objectName().isEmpty()); // rows added by hand are not named like rows from a file
    index->setValue(5);

    applyRegisters(window, "Do", 1);
    QCOMPARE(doTree->topLevelItemCount(), 8);
    QCOMPARE(label->text(), QStringLiteral("8"));
    QTreeWidgetItem *first = doTree->topLevelItem(0);
    applyRegisters(window, "Do", 1);
    QCOMPARE(doTree->topLevelItem(0), first); // nothing rebuilt
    QCOMPARE(rows(doTree).first(), (QStringList{"1", "0", "5"}));
    QVERIFY(doTree->isVisible());

    applyRegisters(window, "Adc", 1);
    QList<QStringList> adcDefaults;
    for (int p = 1; p <= 8; ++p)
        adcDefaults << QStringList{QString::number(p), "1", "1.0", "0"};
    QCOMPARE(rows(tree(window, "portsAdcReg")), adcDefaults);

    // A loaded list longer than the spin box can say is cut to 99 registers by the next press.
    window.fillDiRegTab(regRecords(800, 1));
    QCOMPARE(child<QSpinBox>(window, "NumDiRegisters")->value(), 99);
    press(window, "AcceptNumDiRegisters");
    QTreeWidget *diTree = tree(window, "portsDiReg");
    QCOMPARE(diTree->topLevelItemCount(), 792);
    QCOMPARE(child<QLabel>(window, "NumDigInputs")->text(), QStringLiteral("792"));
    QCOMPARE(rows(diTree).last(), (QStringList{"792", "1", "792"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(diTree->viewport()->findChildren<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly).size(), 792);
}

void TestRegisterTabs::applyChangesOnlyItsTab_data()
{
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<bool>("throughSlot"); // the button connected to changeNumRegisters alone
    for (const char *prefix : {"Do", "Di", "Adc"}) {
        QTest::newRow(prefix) << prefix << false;
        QTest::newRow(qPrintable(QStringLiteral("%1 through the slot").arg(prefix))) << prefix << true;
    }
}

void TestRegisterTabs::applyChangesOnlyItsTab()
{
    QFETCH(QString, pressed);
    QFETCH(bool, throughSlot);

    ConfigsCreator window;
    window.fillAllTabs();
    // Every tab's count is set; only the pressed button's tab takes it.
    for (const char *prefix : {"Do", "Di", "Adc"}) {
        child<QSpinBox>(window, QStringLiteral("Num%1Registers").arg(QLatin1String(prefix)))->setValue(1);
        if (throughSlot) {
            auto *button = child<QPushButton>(window, QStringLiteral("AcceptNum%1Registers").arg(prefix));
            QObject::disconnect(button, &QPushButton::clicked, &window, nullptr);
            QObject::connect(button, &QPushButton::clicked, &window, &ConfigsCreator::changeNumRegisters);
        }
    }
    press(window, QStringLiteral("AcceptNum%1Registers").arg(pressed));
    for (const char *prefix : {"Do", "Di", "Adc"}) {
        const RegisterTab tab = registerTab(QLatin1String(prefix));
        const int rows = tab.prefix == pressed ? 8 : 0;
        QCOMPARE(tree(window, tab.tree)->topLevelItemCount(), rows);
        QCOMPARE(child<QLabel>(window, tab.label)->text(), QString::number(rows));
    }
}

void TestRegisterTabs::editorsMeasureAsTheirOwn_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("maximum"); // given to the editor before it is measured; 0: as made

    QTest::newRow("DO index, first row") << "Do" << 2 << 0 << 0.0;
    QTest::newRow("DO index, later row") << "Do" << 2 << 500 << 0.0;
    QTest::newRow("DO index, later row, range changed") << "Do" << 2 << 500 << 9.0;
    QTest::newRow("ADC gain, later row") << "Adc" << 2 << 500 << 0.0;
    QTest::newRow("ADC gain, later row, range changed") << "Adc" << 2 << 500 << 1.5;
    QTest::newRow("ADC offset, later row") << "Adc" << 3 << 500 << 0.0;
}

void TestRegisterTabs::editorsMeasureAsTheirOwn()
{
    // Fitting a column measures the editors of its rows: each measures as a spin box of its own
    // with the same range, decimals and font would, even after its range has changed.
    QFETCH(QString, tab);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(double, maximum);
    ConfigsCreator window;
    fill(window, tab,
         tab == QLatin1String("Adc") ? adcRecords(QVector<AdcInputRecord>(800, {1, 0, 1, 1}))
                                     : regRecords(800));
    QTreeWidget *tree = BuilderKit::tree(window, registerTab(tab).tree);
    auto *editor = qobject_cast<QAbstractSpinBox *>(tree->itemWidget(tree->topLevelItem(row), column));
    QVERIFY(editor);

    std::unique_ptr<QAbstractSpinBox> own;
    if (auto *decimal = qobject_cast<QDoubleSpinBox *>(editor)) {
        if (maximum > 0)
            decimal->setMaximum(maximum);
        auto *spin = new QDoubleSpinBox(tree->viewport());
        spin->setDecimals(decimal->decimals());
        spin->setRange(decimal->minimum(), decimal->maximum());
        own.reset(spin);
    } else {
        auto *integer = qobject_cast<QSpinBox *>(editor);
        if (maximum > 0)
            integer->setMaximum(int(maximum));
        auto *spin = new QSpinBox(tree->viewport());
        spin->setRange(integer->minimum(), integer->maximum());
        own.reset(spin);
    }
    own->setFont(editor->font());
    QCOMPARE(editor->sizeHint(), own->sizeHint());
}

QTEST_MAIN(TestRegisterTabs)
#include "tst_registertabs.moc"
