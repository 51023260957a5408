#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"
#include "derivations.h"
#include "functioncatalogue.h"
#include "gpiotab.h"
#include "treerows.h"

#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace BuilderKit;
using Rows = QList<QStringList>;

namespace {
using PinCodes = QMap<int, QPair<int, int>>; // pin -> (index, code)

// The derived tabs: their button, tree and count label.
struct DerivedTab
{
    QString button;
    QString tree;
    QString label;
};

DerivedTab derivedTab(const QString &name)
{
    const QMap<QString, DerivedTab> tabs = {
        {"TI ADC", {"AcceptNumAdcTiInputs", "portsAdcTi", "NumAdcTiInputs"}},
        {"PWM", {"AcceptNumPwmOutputs", "portsPwm", "NumPwmOutputs"}},
        {"DO", {"AcceptLinksDo", "linksDo", "NumLinksDo"}},
        {"DI", {"AcceptLinksDi", "linksDi", "NumLinksDi"}},
        {"AI", {"AcceptLinksAi", "linksAi", "NumLinksAi"}},
        {"AO", {"AcceptLinksAo", "linksAo", "NumLinksAo"}},
    };
    return tabs.value(name);
}

Rows unsetLinks(int count)
{
    Rows rows;
    for (int number = 1; number <= count; ++number)
        rows << QStringList{QString::number(number), "0", "0"};
    return rows;
}

QByteArray regCodes(const QVector<quint16> &codes)
{
    QVector<RegPortRecord> records;
    for (quint16 code : codes)
        records.append({1, code});
    return Blocks::encodeRecords(records);
}

template <typename Record> QByteArray records(const QVector<Record> &list, int extraBytes = 0)
{
    return Blocks::encodeRecords(list) + QByteArray(extraBytes, '\x11');
}

void fill(ConfigsCreator &window, const QString &tab, const QByteArray &block)
{
    const QMap<QString, void (ConfigsCreator::*)(const QByteArray &)> fills = {
        {"TI ADC", &ConfigsCreator::fillAdcTiTab}, {"PWM", &ConfigsCreator::fillPwmTab},
        {"DO", &ConfigsCreator::fillDoLinksTab},   {"DI", &ConfigsCreator::fillDiLinksTab},
        {"AI", &ConfigsCreator::fillAiLinksTab},   {"AO", &ConfigsCreator::fillAoLinksTab},
    };
    (window.*fills.value(tab))(block);
}
} // namespace

class TestDerivedTabs : public QObject
{
    Q_OBJECT

private slots:
    void derivations_data();
    void derivations();
    void scanMatchesTheCoreScan();
    void fills_data();
    void fills();
    void editorsMirrorTheirCells();
    void editorsShownForRowsInView();
    void laterRowsGetEditorsInView_data();
    void laterRowsGetEditorsInView();
    void fittedColumnsAreAsQtFitsThem_data();
    void fittedColumnsAreAsQtFitsThem();
    void refilledRowsGetEditorsAsNew_data();
    void refilledRowsGetEditorsAsNew();
    void editorsNoRowTakesAreDeleted();
};

void TestDerivedTabs::derivations_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<PinCodes>("pins");
    QTest::addColumn<QByteArray>("doRegisters");
    QTest::addColumn<int>("adcRegisters");
    QTest::addColumn<Rows>("rows");

    // Pin 2 lies on X8, pin 42 on X6: the X6 page comes first.
    QTest::newRow("TI ADC") << "TI ADC" << PinCodes{{2, {5, 7}}, {42, {0, 7}}, {43, {1, 8}}} << QByteArray()
                            << 0
                            << Rows{{"42", "PD 2 (X6-03)", "0", "1.0", "0"},
                                    {"2", "PE 4 (X8-03)", "5", "1.0", "0"}};
    QTest::newRow("TI ADC: none") << "TI ADC" << PinCodes{{43, {1, 8}}} << QByteArray() << 0 << Rows();
    QTest::newRow("PWM") << "PWM" << PinCodes{{95, {65535, 8}}, {1, {3, 8}}, {43, {1, 7}}} << QByteArray()
                         << 0 << Rows{{"95", "PB 1", "65535", "100"}};
    QTest::newRow("DO: pins, then outputs")
        << "DO" << PinCodes{{42, {1, 4}}, {2, {1, 25}}, {3, {1, 6}}, {4, {1, 27}}}
        << regCodes({5, 6, 5, 24, 5}) << 1 << unsetLinks(5);
    QTest::newRow("DI: 24 is no DI function") << "DI" << PinCodes{{42, {1, 1}}, {2, {1, 3}}, {3, {1, 4}}}
                                              << regCodes({2, 24}) << 1 << unsetLinks(3);
    QTest::newRow("AI: every ADC row")
        << "AI" << PinCodes{{42, {1, 7}}} << QByteArray() << 2 << unsetLinks(17);
    QTest::newRow("AO: pins only") << "AO" << PinCodes{{42, {1, 8}}, {2, {1, 7}}} << regCodes({4}) << 1
                                   << unsetLinks(1);
}

void TestDerivedTabs::derivations()
{
    QFETCH(QString, tab);
    QFETCH(PinCodes, pins);
    QFETCH(QByteArray, doRegisters);
    QFETCH(int, adcRegisters);
    QFETCH(Rows, rows);

    const DerivedTab names = derivedTab(tab);
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillGpioTab(gpioBlock(pins));
    window.fillDoRegTab(doRegisters);
    window.fillDiRegTab(doRegisters);
    applyRegisters(window, "Adc", adcRegisters);
    // A second press replaces what the first made, also edits.
    press(window, names.button);
    QTreeWidget *tree = BuilderKit::tree(window, names.tree);
    if (tree->topLevelItemCount() > 0)
        qobject_cast<QSpinBox *>(tree->itemWidget(tree->topLevelItem(0), 2))->setValue(9);
    press(window, names.button);

    QCOMPARE(BuilderKit::rows(tree), rows);
    QCOMPARE(child<QLabel>(window, names.label)->text(), QString::number(rows.size()));
}

void TestDerivedTabs::scanMatchesTheCoreScan()
{
    // The window's walk over its pin trees and the core's walk over a block agree pin by pin,
    // so a tool that checks files derives what the window derives.
    QRandomGenerator random(7);
    GpioBlock block;
    for (int pin = 0; pin < 96; ++pin) {
        block.index[pin] = quint16(random.bounded(65536));
        block.code[pin] = quint8(random.bounded(34));
    }
    ConfigsCreator window;
    window.fillGpioTab(Blocks::encodeGpioBlock(block));
    auto *connectors = child<QTabWidget>(window, "boosterPacks");
    QCOMPARE(GpioTab::scan(connectors), Derivations::scanGpioBlock(block));
    // Looking at other connector pages changes nothing.
    connectors->setCurrentIndex(3);
    connectors->setCurrentIndex(1);
    QCOMPARE(GpioTab::scan(connectors), Derivations::scanGpioBlock(block));
}

void TestDerivedTabs::fills_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<Rows>("rows"); // the row filled before stays when the block is too short

    const Rows before = {{"before"}};
    const float mark = 25555.0f;
    QTest::newRow("TI ADC: 11 bytes")
        << "TI ADC" << records<AdcInputRecord>({{1, 0, 1, 2}}).left(11) << before;
    QTest::newRow("TI ADC: mark first") << "TI ADC" << records<AdcInputRecord>({{mark, 0, 1, 2}}) << Rows();
    QTest::newRow("TI ADC: 20 bytes") << "TI ADC" << records<AdcInputRecord>({{0.5f, 1, 3, 12}}, 8)
                                      << Rows{{"12", "PN 3 (X9-18)", "3", "0.5", "1"}};
    QTest::newRow("TI ADC: no pin 200")
        << "TI ADC" << records<AdcInputRecord>({{1, 0, 1, 200}, {1, -0.25f, 4, 81}})
        << Rows{{"81", "PN 1", "4", "1", "-0.25"}};
    QTest::newRow("PWM: 7 bytes") << "PWM" << records<PwmPortRecord>({{1, 35, 100}}).left(7) << before;
    QTest::newRow("PWM: beyond the editor")
        << "PWM" << records<PwmPortRecord>({{1, 35, 250000}, {2, 25555, 1}})
        << Rows{{"35", "PL 5 (X9-11)", "1", "250000"}};
    QTest::newRow("DO: mark second") << "DO"
                                     << records<DigitalLinkRecord>({{258, 3, 0}, {1, 241, 0}, {2, 2, 0}})
                                     << Rows{{"1", "3", "258"}};
    QTest::newRow("DO: mark first") << "DO" << records<DigitalLinkRecord>({{1, 241, 0}}) << Rows();
    QTest::newRow("DO: 3 bytes") << "DO" << QByteArray(3, '\0') << before;
    QTest::newRow("DI: 6 bytes") << "DI" << records<DigitalLinkRecord>({{65535, 255, 0}}, 2)
                                 << Rows{{"1", "255", "65535"}};
    QTest::newRow("AI") << "AI" << records<AnalogLinkRecord>({{0, 5, 7}, {0, 255, 0}})
                        << Rows{{"1", "7", "5"}, {"2", "0", "255"}};
    QTest::newRow("AO: mark second") << "AO" << records<AnalogLinkRecord>({{0, 5, 7}, {0, 1, 241}})
                                     << Rows{{"1", "7", "5"}};
}

void TestDerivedTabs::fills()
{
    QFETCH(QString, tab);
    QFETCH(QByteArray, block);
    QFETCH(Rows, rows);

    const DerivedTab names = derivedTab(tab);
    ConfigsCreator window;
    window.fillAllTabs();
    QTreeWidget *tree = BuilderKit::tree(window, names.tree);
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList{"before"}));
    child<QLabel>(window, names.label)->setText("1");

    fill(window, tab, block);
    QCOMPARE(BuilderKit::rows(tree), rows);
    QCOMPARE(child<QLabel>(window, names.label)->text(), QString::number(rows.size()));
}

void TestDerivedTabs::editorsMirrorTheirCells()
{
    ConfigsCreator window;
    window.fillPwmTab(records<PwmPortRecord>({{0, 35, 250000}}));
    window.fillDoLinksTab(records<DigitalLinkRecord>({{65535, 255, 0}}));
    window.fillAoLinksTab(records<AnalogLinkRecord>({{0, 255, 255}}));
    window.fillAdcTiTab(records<AdcInputRecord>({{200, -300, 0, 12}}));

    const auto editor = [&window](const char *tree, int column) {
        QTreeWidget *widget = BuilderKit::tree(window, tree);
        return qobject_cast<QAbstractSpinBox *>(widget->itemWidget(widget->topLevelItem(0), column));
    };
    // Stored values outside an editor's range are held inside it; the row keeps them.
    QCOMPARE(qobject_cast<QSpinBox *>(editor("portsPwm", 3))->value(), 100000);
    QCOMPARE(qobject_cast<QSpinBox *>(editor("portsPwm", 2))->value(), 1);
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(editor("portsAdcTi", 3))->value(), 127.0);
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(editor("portsAdcTi", 4))->value(), -127.0);
    QCOMPARE(rows(tree(window, "portsAdcTi")), (Rows{{"12", "PN 3 (X9-18)", "0", "200", "-300"}}));
    QCOMPARE(rows(tree(window, "portsPwm")), (Rows{{"35", "PL 5 (X9-11)", "0", "250000"}}));

    // Digital link indexes are 16 bits wide, analogue ones 8.
    auto *doIndex = qobject_cast<QSpinBox *>(editor("linksDo", 2));
    auto *aoIndex = qobject_cast<QSpinBox *>(editor("linksAo", 2));
    QCOMPARE(doIndex->value(), 65535);
    aoIndex->setValue(300);
    QCOMPARE(tree(window, "linksAo")->topLevelItem(0)->text(2), QStringLiteral("255"));
    qobject_cast<QSpinBox *>(editor("linksDo", 1))->setValue(17);
    QCOMPARE(rows(tree(window, "linksDo")), (Rows{{"1", "17", "65535"}}));
}

void TestDerivedTabs::editorsShownForRowsInView()
{
    // Only the rows in view show their editors, in their cells; scrolling brings the others, and
    // an editor that holds the focus stays.
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    showTab(window, "diLinksConfigs");
    fill(window, "DI", records<DigitalLinkRecord>(QVector<DigitalLinkRecord>(500, {1, 1, 0})));
    QTreeWidget *links = tree(window, "linksDi");
    const auto type = [links](int row) { return links->itemWidget(links->topLevelItem(row), 1); };
    const auto inItsCell = [links, &type](int row) {
        return type(row)->isVisible() &&
               links->visualItemRect(links->topLevelItem(row)).contains(type(row)->geometry().center());
    };
    QTRY_VERIFY(inItsCell(0));
    QVERIFY(!type(499)->isVisible());

    type(0)->setFocus();
    QVERIFY(type(0)->hasFocus());
    links->scrollToBottom();
    QTRY_VERIFY(inItsCell(499));
    QVERIFY(!type(250)->isVisible());
    QVERIFY(type(0)->isVisible());
}

void TestDerivedTabs::laterRowsGetEditorsInView_data()
{
    // The header measures 1000 rows to fit a column; those rows get their editors at once.
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("first row") << 0 << true;
    QTest::newRow("last row with editors at once") << 999 << true;
    QTest::newRow("first later row") << 1000 << false;
    QTest::newRow("last row") << 1199 << false;
}

void TestDerivedTabs::laterRowsGetEditorsInView()
{
    // A later row has its texts from the start and gets its editors when it first comes into
    // view: in their cells, the same as any other row's, and writing into the row.
    QFETCH(int, row);
    QFETCH(bool, atOnce);
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    showTab(window, "diLinksConfigs");
    QVector<DigitalLinkRecord> links;
    for (int link = 0; link < 1200; ++link)
        links.append({quint16(link + 1), quint8(link % 200), 0});
    fill(window, "DI", records<DigitalLinkRecord>(links));
    QTreeWidget *tree = BuilderKit::tree(window, "linksDi");
    QTreeWidgetItem *item = tree->topLevelItem(row);
    const QString type = QString::number(row % 200);
    QCOMPARE(rowTexts(item), (QStringList{QString::number(row + 1), type, QString::number(row + 1)}));
    const auto editor = [tree, item](int column) {
        return qobject_cast<QSpinBox *>(tree->itemWidget(item, column));
    };
    QCOMPARE(editor(1) != nullptr, atOnce);

    tree->scrollToItem(item);
    QTRY_VERIFY(editor(1) && editor(1)->isVisible() &&
                tree->visualItemRect(item).contains(editor(1)->geometry().center()));
    QCOMPARE(editor(1)->value(), row % 200);
    QCOMPARE(editor(1)->maximum(), 255);
    QCOMPARE(editor(2)->value(), row + 1);
    QCOMPARE(editor(2)->maximum(), 65535);
    QCOMPARE(editor(2)->objectName(), QStringLiteral("DiLink"));
    editor(2)->setValue(7);
    QCOMPARE(rowTexts(item), (QStringList{QString::number(row + 1), type, "7"}));
}

void TestDerivedTabs::fittedColumnsAreAsQtFitsThem_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("boldRow"); // whose second column is bold; -1: none

    const QString wide = QStringLiteral("WWWWWWWWWWWW");
    const auto rows = [](int count, const QString &text, int odd = -1, const QString &oddText = QString()) {
        Rows list;
        for (int row = 0; row < count; ++row)
            list << QStringList{QString::number(row + 1), row == odd ? oddText : text};
        return list;
    };
    QTest::newRow("alike") << rows(300, "WWWWWW") << -1;
    QTest::newRow("one wide text late") << rows(800, "0", 700, wide) << -1;
    QTest::newRow("the same text bold late") << rows(800, "WWWWWW") << 700;
    QTest::newRow("wide text past the measured rows") << rows(1200, "0", 1100, wide) << -1;
}

void TestDerivedTabs::fittedColumnsAreAsQtFitsThem()
{
    // An editor tree fits its columns as a plain tree with the same rows does.
    QFETCH(Rows, rows);
    QFETCH(int, boldRow);
    ConfigsCreator window; // gets the signals of the rows' editors, of which there are none
    TreeRows::EditorTree editorTree;
    QTreeWidget plain;
    for (QTreeWidget *tree : {static_cast<QTreeWidget *>(&editorTree), &plain}) {
        tree->setHeaderLabels({"№", "Тип"});
        tree->setRootIsDecorated(false);
        tree->header()->setStretchLastSection(false);
        TreeRows::RowBuilder builder(tree, &window);
        for (const QStringList &texts : qAsConst(rows))
            TreeRows::RowBuilder::finishRow(builder.appendRow(texts));
        if (boldRow >= 0) {
            QFont bold = TreeRows::rowFont();
            bold.setBold(true);
            tree->topLevelItem(boldRow)->setFont(1, bold);
        }
        TreeRows::resizeColumnsToContents(tree);
    }
    for (int column = 0; column < plain.columnCount(); ++column)
        QCOMPARE(editorTree.columnWidth(column), plain.columnWidth(column));
}

void TestDerivedTabs::refilledRowsGetEditorsAsNew_data()
{
    QTest::addColumn<bool>("editableBefore");
    QTest::addColumn<bool>("editableAfter");
    QTest::newRow("editable, then editable") << true << true;
    QTest::newRow("read-only, then editable") << false << true;
    QTest::newRow("editable, then read-only") << true << false;
}

void TestDerivedTabs::refilledRowsGetEditorsAsNew()
{
    // A fill's rows get editors set up as if just made, whatever the editors of the rows it
    // replaced went through: a user's typing, the focus, a disabled state, an icon.
    QFETCH(bool, editableBefore);
    QFETCH(bool, editableAfter);
    ConfigsCreator window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    showTab(window, "pwmConfig");
    QTreeWidget *tree = BuilderKit::tree(window, "portsPwm");
    const TreeRows::EditorSpec spec{2, 1, 65535, 0, "pwm"};
    const auto fill = [&](bool editable, int index) {
        const Functions::Appearance look =
            editable ? Functions::appearanceOf(Functions::Context::GpioPin, 1)
                     : Functions::appearanceOf(Functions::Context::GpioPin, Functions::kNotAvailableCode);
        TreeRows::replaceRows(tree, &window, [&](TreeRows::RowBuilder &rows) {
            for (int row = 0; row < 3; ++row) {
                QTreeWidgetItem *item = rows.appendRow({QString::number(row)});
                rows.addFunctionButton(item, 1, look);
                rows.addSpinEditor(item, spec, {double(index), QString::number(index)}, editable);
            }
        });
    };
    const auto spin = [tree](int row) {
        return qobject_cast<QSpinBox *>(tree->itemWidget(tree->topLevelItem(row), 2));
    };
    const auto button = [tree](int row) {
        return qobject_cast<QToolButton *>(tree->itemWidget(tree->topLevelItem(row), 1));
    };

    fill(editableBefore, 5);
    QTRY_VERIFY(spin(0)->isVisible());
    if (editableBefore) {
        spin(0)->setFocus();
        QTest::keyClicks(spin(0), "7");
        spin(0)->findChild<QLineEdit *>()->setSelection(0, 1);
    }
    fill(editableAfter, 9);

    const QString code = editableAfter ? QStringLiteral("1") : QStringLiteral("240");
    const QString toolTip = editableAfter ? Functions::appearanceOf(Functions::Context::GpioPin, 1).toolTip
                                          : Functions::notAvailableToolTip();
    for (int row = 0; row < 3; ++row) {
        QLineEdit *line = spin(row)->findChild<QLineEdit *>();
        QCOMPARE(spin(row)->value(), 9);
        QCOMPARE(spin(row)->text(), QStringLiteral("9"));
        QCOMPARE(spin(row)->minimum(), 1);
        QCOMPARE(spin(row)->maximum(), 65535);
        QCOMPARE(spin(row)->objectName(), QStringLiteral("pwm"));
        QCOMPARE(spin(row)->whatsThis(), QStringLiteral("2"));
        QCOMPARE(spin(row)->isEnabled(), editableAfter);
        QVERIFY(!spin(row)->hasFocus());
        QVERIFY(!line->isUndoAvailable());
        QVERIFY(!line->isModified());
        QVERIFY(!line->hasSelectedText());
        QCOMPARE(line->cursorPosition(), 0);
        QCOMPARE(button(row)->isEnabled(), editableAfter);
        QCOMPARE(button(row)->toolTip(), toolTip);
        QCOMPARE(button(row)->icon().isNull(), !editableAfter);

        // It writes into its own row only, and only when the row is editable.
        emit spin(row)->textChanged(QStringLiteral("11"));
        QCOMPARE(rowTexts(tree->topLevelItem(row)),
                 (QStringList{QString::number(row), code, editableAfter ? "11" : "9"}));
        tree->topLevelItem(row)->setText(2, QStringLiteral("9"));
    }
}

void TestDerivedTabs::editorsNoRowTakesAreDeleted()
{
    // Emptying a tab keeps its editors for a fill to come; those no fill takes go once control
    // returns to the event loop, and a shorter fill leaves none over.
    ConfigsCreator window;
    QTreeWidget *tree = BuilderKit::tree(window, "linksDo");
    const auto spinBoxes = [tree] {
        return tree->viewport()->findChildren<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly).size();
    };
    fill(window, "DO", records<DigitalLinkRecord>(QVector<DigitalLinkRecord>(5, {1, 1, 0})));
    QCOMPARE(spinBoxes(), 10);
    fill(window, "DO", records<DigitalLinkRecord>(QVector<DigitalLinkRecord>(2, {1, 1, 0})));
    QCOMPARE(spinBoxes(), 4);
    TreeRows::removeRows(tree);
    QTRY_COMPARE(spinBoxes(), 0);
}

QTEST_MAIN(TestDerivedTabs)
#include "tst_derivedtabs.moc"
