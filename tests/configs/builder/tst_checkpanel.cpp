#include "builderkit.h"
#include "checkpanel.h"
#include "configscreator.h"
#include "datablocks.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using namespace BuilderKit;
using Edit = std::function<void(ConfigsCreator &)>;
Q_DECLARE_METATYPE(Edit)

namespace {
const QString kUnused = QStringLiteral("Порт не используется");
const QString kAnalogueInput = QStringLiteral("Аналоговый вход");
const QString kOutput = QStringLiteral("Моностабильный выход");

QString summary(const ConfigsCreator &window)
{
    return child<QLabel>(window, QStringLiteral("checkSummary"))->text();
}

Edit edits(const QVector<Edit> &steps)
{
    return [steps](ConfigsCreator &window) {
        for (const Edit &step : steps)
            step(window);
    };
}

Edit choose(int pin, const QString &function)
{
    return [pin, function](ConfigsCreator &window) { chooseFunction(window, pin, function); };
}

// Takes Ctrl+E as the end of the line, as line edits do under X11's key bindings.
class EndOfLineKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (event->type() == QEvent::ShortcutOverride && key->key() == Qt::Key_E &&
            key->modifiers() == Qt::ControlModifier)
            event->accept();
        return false;
    }
};

Edit pressing(const char *button)
{
    return [button](ConfigsCreator &window) { press(window, QLatin1String(button)); };
}
} // namespace

class TestCheckPanel : public QObject
{
    Q_OBJECT

private slots:
    void summaryFollowsEdits_data();
    void summaryFollowsEdits();
    void rowsCarryTheirFindings();
    void findingLeadsToItsRow_data();
    void findingLeadsToItsRow();
    void shortcutFromAnEditor();
};

void TestCheckPanel::summaryFollowsEdits_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("summary");
    const QString sound = QStringLiteral("Ошибок нет");

    QTest::newRow("opened") << edits({}) << sound;
    // No row on the TI ADC tab, and no AI link.
    QTest::newRow("analogue input") << choose(48, kAnalogueInput) << "Ошибок: 0, предупреждений: 2";
    QTest::newRow("analogue input undone")
        << edits({choose(48, kAnalogueInput), choose(48, kUnused)}) << sound;
    QTest::newRow("analogue input derived")
        << edits({choose(48, kAnalogueInput), pressing("AcceptNumAdcTiInputs"), pressing("AcceptLinksAi")})
        << sound;
    // MOSI, CLK and CS of the chain on no pin.
    QTest::newRow("a DO register") << Edit([](ConfigsCreator &window) { applyRegisters(window, "Do", 1); })
                                   << "Ошибок: 0, предупреждений: 3";
    QTest::newRow("DO pin after the links")
        << edits({choose(48, kOutput), pressing("AcceptLinksDo"), choose(49, kOutput)})
        << "Ошибок: 0, предупреждений: 1";
    QTest::newRow("DO links derived again") << edits({choose(48, kOutput), pressing("AcceptLinksDo"),
                                                      choose(49, kOutput), pressing("AcceptLinksDo")})
                                            << sound;
    QTest::newRow("links loaded from a file") << Edit([](ConfigsCreator &window) {
        window.fillDiLinksTab(Blocks::encodeRecords(QVector<DigitalLinkRecord>{{1, 1, 0}}));
    }) << "Ошибок: 0, предупреждений: 1";
}

void TestCheckPanel::summaryFollowsEdits()
{
    QFETCH(Edit, edit);
    QFETCH(QString, summary);
    ConfigsCreator window;
    window.fillAllTabs();
    edit(window);
    QTRY_COMPARE(::summary(window), summary);
}

void TestCheckPanel::rowsCarryTheirFindings()
{
    ConfigsCreator window;
    window.fillAllTabs();
    chooseFunction(window, 48, kAnalogueInput);
    window.checkPanel().checkNow();
    QTreeWidgetItem *pin = pinRow(window, 48);
    QVERIFY(!pin->icon(0).isNull());
    QCOMPARE(pin->toolTip(0), QStringLiteral("аналоговый вход без строки в TiAdc"));
    const QStringList texts = rowTexts(pin);

    press(window, "AcceptNumAdcTiInputs");
    window.checkPanel().checkNow();
    QVERIFY(pin->icon(0).isNull());
    QCOMPARE(pin->toolTip(0), QString());
    QCOMPARE(rowTexts(pin), texts);
}

void TestCheckPanel::findingLeadsToItsRow_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("page");    // on top of the window's tabs
    QTest::addColumn<QString>("tree");    // holding the current row (none: a pin's)
    QTest::addColumn<int>("row");         // the row made current: a pin, or a row of the tree
    QTest::addColumn<int>("editor");      // the column whose editor takes the focus
    QTest::addColumn<QString>("pinPage"); // the connector page on top, for a pin

    // X7-03, on a connector page that is not on top.
    QTest::newRow("pin") << choose(79, kAnalogueInput) << "gpioConfig" << QString() << 79 << 2 << "gpioX7";
    QTest::newRow("record") << Edit([](ConfigsCreator &window) {
        window.fillPwmTab(Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 79, 100}}));
    }) << "pwmConfig"
                            << "portsPwm" << 0 << 2 << QString();
}

void TestCheckPanel::findingLeadsToItsRow()
{
    QFETCH(Edit, edit);
    QFETCH(QString, page);
    QFETCH(QString, tree);
    QFETCH(int, row);
    QFETCH(int, editor);
    QFETCH(QString, pinPage);
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit(window);
    window.checkPanel().checkNow();

    // Ctrl+E opens the findings with the first one current; Enter goes to it.
    QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
    auto *list = child<QTreeWidget>(window, QStringLiteral("findings"));
    QVERIFY(child<QDockWidget>(window, QStringLiteral("checkDock"))->isVisible());
    QTRY_VERIFY(list->hasFocus());
    QVERIFY(list->currentItem());
    QTest::keyClick(list, Qt::Key_Return);

    QCOMPARE(child<QTabWidget>(window, QStringLiteral("tabsConfuration"))->currentWidget()->objectName(),
             page);
    if (!pinPage.isEmpty())
        QCOMPARE(child<QTabWidget>(window, QStringLiteral("boosterPacks"))->currentWidget()->objectName(),
                 pinPage);
    QTreeWidget *rows = nullptr;
    QTreeWidgetItem *expected = nullptr;
    if (tree.isEmpty()) {
        expected = pinRow(window, row, &rows);
    } else {
        rows = BuilderKit::tree(window, tree);
        expected = rows->topLevelItem(row);
    }
    QCOMPARE(rows->currentItem(), expected);
    QVERIFY(expected->isSelected());
    QTRY_COMPARE(QApplication::focusWidget(), rows->itemWidget(expected, editor));
}

// Typing in a row's editor, Ctrl+E still opens the findings.
void TestCheckPanel::shortcutFromAnEditor()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTreeWidget *tree = nullptr;
    QTreeWidgetItem *row = pinRow(window, 43, &tree);
    auto *spin = qobject_cast<QSpinBox *>(tree->itemWidget(row, 3));
    QVERIFY(spin);
    auto *line = spin->findChild<QLineEdit *>();
    EndOfLineKeys keys(line);
    line->installEventFilter(&keys);
    spin->setFocus();
    QTRY_VERIFY(line->hasFocus());

    QTest::keyClick(line, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(child<QDockWidget>(window, QStringLiteral("checkDock"))->isVisible());
}

QTEST_MAIN(TestCheckPanel)
#include "tst_checkpanel.moc"
