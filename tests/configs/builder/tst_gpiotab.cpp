#include "builderkit.h"
#include "configscreator.h"
#include "modalseam.h"
#include "treerows.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
using namespace BuilderKit;

struct PinWidgets
{
    QTreeWidgetItem *item = nullptr;
    QToolButton *button = nullptr;
    QSpinBox *spin = nullptr;
};

PinWidgets pinWidgets(ConfigsCreator &window, int pin)
{
    PinWidgets widgets;
    QTreeWidget *tree = nullptr;
    widgets.item = pinRow(window, pin, &tree);
    if (widgets.item) {
        widgets.button = qobject_cast<QToolButton *>(tree->itemWidget(widgets.item, 2));
        widgets.spin = qobject_cast<QSpinBox *>(tree->itemWidget(widgets.item, 3));
    }
    return widgets;
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(24, 24)).toImage();
}

QImage resourceImage(const QString &path)
{
    return iconImage(QIcon(path));
}

QAction *findActionByText(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->menu()) {
            if (QAction *found = findActionByText(action->menu(), text))
                return found;
        } else if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}
} // namespace

class TestGpioTab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void freshTab();
    void pagesHoldTheirPins_data();
    void pagesHoldTheirPins();
    void blockCodesAndIndexes();
    void onlyWholeBlocksAreRead();
    void refillReplacesRowsAndWidgets();
    void menuChoosesFunction();
    void menuGroupsTheFunctions_data();
    void menuGroupsTheFunctions();
    void menuDismissed();
    void menuForRegisterRows();
    void unavailableRowsHaveNoMenu();
    void spinBoxWritesItsRow();
    void decimalSpinBoxStoresPoint();
    void editorsFindTheirRowsBeforeLayout();
    void strangersAreIgnored();
    void fillingAVisibleTreeKeepsItVisible();

private:
    QLocale defaultLocale;
};

void TestGpioTab::initTestCase()
{
    defaultLocale = QLocale();
}

void TestGpioTab::cleanup()
{
    ModalSeam::setHandler({});
    QLocale::setDefault(defaultLocale);
}

void TestGpioTab::freshTab()
{
    ConfigsCreator window;
    window.fillAllTabs();
    const QImage unused = resourceImage(QStringLiteral(":/icons/images/Num_0.png"));
    QVERIFY(!unused.isNull());
    int available = 0;
    int unavailable = 0;
    for (QTreeWidget *tree : gpioTrees(window)) {
        for (int row = 0; row < tree->topLevelItemCount(); ++row) {
            QTreeWidgetItem *item = tree->topLevelItem(row);
            auto *button = qobject_cast<QToolButton *>(tree->itemWidget(item, 2));
            auto *spin = qobject_cast<QSpinBox *>(tree->itemWidget(item, 3));
            QVERIFY(button && spin);
            // The row keeps the stored index 0, which the editor can only show as 1.
            QCOMPARE(item->text(3), QStringLiteral("0"));
            QCOMPARE(spin->value(), 1);
            if (item->text(2) == QLatin1String("240")) {
                ++unavailable;
                QVERIFY(item->text(1).startsWith(QLatin1String("NOT AVAI")));
                QVERIFY(!button->isEnabled());
                QVERIFY(!spin->isEnabled());
                QVERIFY(button->icon().isNull());
                QCOMPARE(button->toolTip(), QStringLiteral("Порт не доступен для использования"));
            } else {
                ++available;
                QCOMPARE(item->text(2), QStringLiteral("0"));
                QVERIFY(button->isEnabled());
                QVERIFY(spin->isEnabled());
                QCOMPARE(button->toolTip(), QStringLiteral("Порт не используется"));
                QCOMPARE(iconImage(button->icon()), unused);
            }
        }
    }
    QCOMPARE(available, 82);
    QCOMPARE(unavailable, 14);
}

void TestGpioTab::pagesHoldTheirPins_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QStringList>("pins");
    QTest::addColumn<QString>("firstName");

    const auto numbers = [](std::initializer_list<int> list) {
        QStringList texts;
        for (int n : list)
            texts << QString::number(n);
        return texts;
    };
    QTest::newRow("X6 left") << "portsLeftGpio" << numbers({41, 42, 43, 44, 45, 46, 47, 48, 49, 50})
                             << "NOT AVAI (X6-01)";
    QTest::newRow("X6 right") << "portsRightGpio" << numbers({61, 62, 63, 64, 65, 66, 67, 68, 69, 70})
                              << "NOT AVAI (X6-02)";
    QTest::newRow("X7 left") << "portsLeftGpio_2" << numbers({80, 79, 78, 77, 76, 75, 74, 73, 72, 71})
                             << "PG 1 (X7-01)";
    QTest::newRow("X7 right") << "portsRightGpio_2" << numbers({60, 59, 58, 57, 56, 55, 54, 53, 52, 51})
                              << "NOT AVAI (X7-02)";
    QTest::newRow("X8 left") << "portsLeftGpio_3" << numbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
                             << "NOT AVAI (X8-01)";
    QTest::newRow("X8 right") << "portsRightGpio_3" << numbers({21, 22, 23, 24, 25, 26, 27, 28, 29, 30})
                              << "NOT AVAI (X8-02)";
    QTest::newRow("X9 left") << "portsLeftGpio_4" << numbers({40, 39, 38, 37, 36, 35, 34, 33, 32, 31})
                             << "PF 1 (X9-01)";
    QTest::newRow("X9 right") << "portsRightGpio_4" << numbers({20, 19, 18, 17, 16, 15, 14, 13, 12, 11})
                              << "NOT AVAI (X9-02)";
    QTest::newRow("No X left") << "portsLeftGpio_5" << numbers({0, 81, 82, 83, 84, 85, 86, 87, 88, 89})
                               << "NOT AVAI";
    QTest::newRow("No X right") << "portsRightGpio_5" << numbers({90, 91, 92, 93, 94, 95}) << "PA 2";
}

void TestGpioTab::pagesHoldTheirPins()
{
    QFETCH(QString, tree);
    QFETCH(QStringList, pins);
    QFETCH(QString, firstName);

    ConfigsCreator window;
    window.fillAllTabs();
    auto *widget = window.findChild<QTreeWidget *>(tree);
    QVERIFY(widget);
    QStringList shown;
    for (int row = 0; row < widget->topLevelItemCount(); ++row)
        shown << widget->topLevelItem(row)->text(0);
    QCOMPARE(shown, pins);
    QCOMPARE(widget->topLevelItem(0)->text(1), firstName);
    // The name column is measured, then given some room.
    int widest = 0;
    for (int row = 0; row < widget->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = widget->topLevelItem(row);
        widest = qMax(widest, QFontMetrics(item->font(1)).horizontalAdvance(item->text(1)));
    }
    QVERIFY2(widget->columnWidth(1) >= widest + 10, qPrintable(QString::number(widget->columnWidth(1))));
}

void TestGpioTab::blockCodesAndIndexes()
{
    ConfigsCreator window;
    window.fillAllTabs();

    // Pin 2 with the status LED code, which no pin offers: shown unused, stored as 0.
    window.fillGpioTab(gpioBlock({{2, {5, 24}}}));
    PinWidgets pin2 = pinWidgets(window, 2);
    QCOMPARE(pin2.item->text(2), QStringLiteral("0"));
    QCOMPARE(pin2.button->toolTip(), QStringLiteral("Порт не используется"));
    QCOMPARE(iconImage(pin2.button->icon()), resourceImage(QStringLiteral(":/icons/images/Ok.png")));
    QVERIFY(pin2.button->isEnabled());
    QCOMPARE(pin2.item->text(3), QStringLiteral("5"));
    QCOMPARE(pin2.spin->value(), 5);

    // 240 on an ordinary pin: not available, like the named ones.
    window.fillGpioTab(gpioBlock({{2, {5, 240}}}));
    pin2 = pinWidgets(window, 2);
    QCOMPARE(pin2.item->text(2), QStringLiteral("240"));
    QVERIFY(!pin2.button->isEnabled());
    QVERIFY(!pin2.spin->isEnabled());
    QCOMPARE(pin2.button->toolTip(), QStringLiteral("Порт не доступен для использования"));

    // An unavailable pin stays unavailable whatever the block says; an ordinary pin takes its code.
    window.fillGpioTab(
        gpioBlock({{1, {3, 7}}, {3, {1234, 7}}, {95, {65535, 21}}, {94, {0, 20}}, {93, {1, 0}}}));
    const PinWidgets pin1 = pinWidgets(window, 1);
    QCOMPARE(pin1.item->text(2), QStringLiteral("240"));
    QVERIFY(!pin1.button->isEnabled());
    const PinWidgets pin3 = pinWidgets(window, 3);
    QCOMPARE(pin3.item->text(2), QStringLiteral("7"));
    QCOMPARE(pin3.button->toolTip(), QStringLiteral("Аналоговый вход"));
    QCOMPARE(iconImage(pin3.button->icon()), resourceImage(QStringLiteral(":/icons/images/Num_7.png")));
    QCOMPARE(pin3.item->text(3), QStringLiteral("1234"));
    QCOMPARE(pin3.spin->value(), 1234);
    const PinWidgets pin95 = pinWidgets(window, 95);
    QCOMPARE(pin95.item->text(2), QStringLiteral("21"));
    QCOMPARE(pin95.button->toolTip(), QStringLiteral("SPI CS для внешних ADC"));
    QCOMPARE(pin95.item->text(3), QStringLiteral("65535"));
    QCOMPARE(pinWidgets(window, 94).item->text(2), QStringLiteral("0"));
    QCOMPARE(pinWidgets(window, 93).item->text(2), QStringLiteral("240"));
    QCOMPARE(pinWidgets(window, 2).item->text(2), QStringLiteral("0"));
}

void TestGpioTab::onlyWholeBlocksAreRead()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillGpioTab(gpioBlock({{5, {9, 8}}}));
    const QStringList before = allPinTexts(window);
    QTreeWidgetItem *pin5 = pinRow(window, 5);
    QCOMPARE(pin5->text(2), QStringLiteral("8"));

    for (int size : {0, 1, 295, 297, 592}) {
        window.fillGpioTab(QByteArray(size, '\0'));
        QCOMPARE(allPinTexts(window), before);
        QCOMPARE(pinRow(window, 5), pin5); // the very same row, not a rebuilt one
    }
}

void TestGpioTab::refillReplacesRowsAndWidgets()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillGpioTab(QByteArray(296, '\0'));
    window.fillGpioTab(QByteArray(296, '\0'));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int rows = 0;
    int spinBoxes = 0;
    int buttons = 0;
    for (QTreeWidget *tree : gpioTrees(window)) {
        rows += tree->topLevelItemCount();
        spinBoxes += tree->viewport()->findChildren<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly).size();
        buttons +=
            tree->viewport()->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly).size();
    }
    QCOMPARE(rows, 96);
    QCOMPARE(spinBoxes, 96);
    QCOMPARE(buttons, 96);
}

void TestGpioTab::menuChoosesFunction()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QList<ModalSeam::Request> requests;
    QStringList topLevel;
    QString choice = QStringLiteral("Аналоговый вход");
    ModalSeam::setHandler([&](const ModalSeam::Request &request) {
        requests << request;
        topLevel.clear();
        for (QAction *action : request.menu->actions())
            topLevel << action->text();
        ModalSeam::Answer answer;
        answer.action = findActionByText(request.menu, choice);
        return answer;
    });

    PinWidgets pin = pinWidgets(window, 43); // X6, the page on top
    pin.button->click();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().kind, ModalSeam::Kind::Menu);
    // Popped up below the button's lower left corner.
    QCOMPARE(requests.first().position, pin.button->mapToGlobal(QPoint(0, pin.button->height() - 1)));
    QCOMPARE(topLevel,
             (QStringList{"Порт не используется", "Аналоговый вход", "Аналоговый (PWM) выход", "порт UART",
                          "Model id платы", "Дискретный вход", "Дискретный выход", "SPI Di регистров",
                          "SPI DO регистров", "SPI внешних ADC", "Сброс в дефолт"}));
    QCOMPARE(pin.item->text(2), QStringLiteral("7"));
    QCOMPARE(pin.button->toolTip(), QStringLiteral("Аналоговый вход"));
    QCOMPARE(iconImage(pin.button->icon()), resourceImage(QStringLiteral(":/icons/images/Num_7.png")));

    // A function from a submenu, on a pin of a page that is not on top.
    choice = QStringLiteral("SPI CS для внешних ADC");
    PinWidgets far = pinWidgets(window, 13);
    far.button->click();
    QCOMPARE(far.item->text(2), QStringLiteral("21"));
    QCOMPARE(far.button->toolTip(), choice);
    QCOMPARE(pin.item->text(2), QStringLiteral("7"));

    // Every menu is released once the event loop gets to it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
}

void TestGpioTab::menuGroupsTheFunctions_data()
{
    QTest::addColumn<QString>("submenu"); // empty: the menu's own functions
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("top level") << QString() << QStringList{"0", "7", "8", "22", "23"};
    QTest::newRow("discrete input") << "Дискретный вход" << QStringList{"1", "2", "3"};
    QTest::newRow("discrete output") << "Дискретный выход" << QStringList{"4", "25", "5", "6", "26", "27"};
    QTest::newRow("SPI DI") << "SPI Di регистров" << QStringList{"13", "14", "15", "16"};
    QTest::newRow("SPI DO") << "SPI DO регистров" << QStringList{"9", "10", "11", "12"};
    QTest::newRow("SPI ADC") << "SPI внешних ADC" << QStringList{"17", "18", "19", "21"};
    QTest::newRow("reset") << "Сброс в дефолт" << QStringList{"28", "29", "30", "31"};
}

void TestGpioTab::menuGroupsTheFunctions()
{
    QFETCH(QString, submenu);
    QFETCH(QStringList, codes);

    ConfigsCreator window;
    window.fillAllTabs();
    QStringList offered;
    int found = 0;
    ModalSeam::setHandler([&](const ModalSeam::Request &request) {
        for (QAction *action : request.menu->actions()) {
            if (submenu.isEmpty() && !action->menu())
                offered << action->whatsThis();
            if (action->menu() && action->text() == submenu) {
                ++found;
                for (QAction *function : action->menu()->actions())
                    offered << function->whatsThis();
            }
        }
        return ModalSeam::Answer();
    });
    pinWidgets(window, 83).button->click(); // a pin on no header
    QCOMPARE(found, submenu.isEmpty() ? 0 : 1);
    QCOMPARE(offered, codes);
}

void TestGpioTab::menuDismissed()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillGpioTab(gpioBlock({{44, {2, 22}}}));
    int asked = 0;
    ModalSeam::setHandler([&](const ModalSeam::Request &) {
        ++asked;
        return ModalSeam::Answer();
    });
    PinWidgets pin = pinWidgets(window, 44);
    const QImage before = iconImage(pin.button->icon());
    pin.button->click();
    QCOMPARE(asked, 1);
    QCOMPARE(pin.item->text(2), QStringLiteral("22"));
    QCOMPARE(pin.button->toolTip(), QStringLiteral("порт UART"));
    QCOMPARE(iconImage(pin.button->icon()), before);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
}

void TestGpioTab::menuForRegisterRows()
{
    ConfigsCreator window;
    QStringList offered;
    QString choice;
    bool flat = true;
    ModalSeam::setHandler([&](const ModalSeam::Request &request) {
        offered.clear();
        for (QAction *action : request.menu->actions()) {
            flat = flat && !action->menu();
            offered << action->whatsThis();
        }
        ModalSeam::Answer answer;
        answer.action = findActionByText(request.menu, choice);
        return answer;
    });

    struct Case
    {
        const char *tab;
        const char *tree;
        QStringList codes;
        const char *choice;
        const char *stored;
    };
    const Case cases[] = {
        {"Do",
         "portsDoReg",
         {"0", "4", "25", "5", "6", "26", "27", "21", "24"},
         "Светодиод индикации состояния",
         "24"},
        {"Di", "portsDiReg", {"0", "23", "1", "2", "3", "28", "29", "30", "31"}, "Model id платы", "23"},
    };
    for (const Case &c : cases) {
        QTreeWidget *tree = BuilderKit::tree(window, QLatin1String(c.tree));
        applyRegisters(window, QLatin1String(c.tab), 1);
        QTreeWidgetItem *item = tree->topLevelItem(0);
        auto *button = qobject_cast<QToolButton *>(tree->itemWidget(item, 1));
        QVERIFY(button);
        choice = QString::fromUtf8(c.choice);
        button->click();
        QCOMPARE(offered, c.codes);
        QVERIFY(flat);
        QCOMPARE(item->text(1), QLatin1String(c.stored));
        QCOMPARE(button->toolTip(), choice);
    }

    // A button in a tree of any other tab shows nothing.
    offered.clear();
    QTreeWidget *pwm = BuilderKit::tree(window, QStringLiteral("portsPwm"));
    TreeRows::RowBuilder rows(pwm, &window);
    QTreeWidgetItem *item = rows.appendRow({QStringLiteral("1")});
    int asked = 0;
    ModalSeam::setHandler([&](const ModalSeam::Request &) {
        ++asked;
        return ModalSeam::Answer();
    });
    rows.addFunctionButton(item, 1, Functions::Context::DoRegister, 0)->click();
    QCOMPARE(asked, 0);
    QCOMPARE(item->text(1), QStringLiteral("0"));
}

void TestGpioTab::unavailableRowsHaveNoMenu()
{
    ConfigsCreator window;
    window.fillAllTabs();
    int asked = 0;
    ModalSeam::setHandler([&](const ModalSeam::Request &) {
        ++asked;
        return ModalSeam::Answer();
    });
    PinWidgets pin = pinWidgets(window, 41);
    QCOMPARE(pin.item->text(2), QStringLiteral("240"));
    // Even a signal forced past the disabled state reaches nothing.
    emit pin.button->clicked(false);
    emit pin.spin->textChanged(QStringLiteral("9"));
    QCOMPARE(asked, 0);
    QCOMPARE(pin.item->text(2), QStringLiteral("240"));
    QCOMPARE(pin.item->text(3), QStringLiteral("0"));
}

void TestGpioTab::spinBoxWritesItsRow()
{
    ConfigsCreator window;
    window.fillAllTabs();
    const auto changeOnly = [&window](int pinNumber, int value) {
        PinWidgets pin = pinWidgets(window, pinNumber);
        const QStringList before = allPinTexts(window);
        pin.spin->setValue(value);
        const QStringList after = allPinTexts(window);
        int changed = 0;
        for (int i = 0; i < after.size(); ++i)
            changed += after.at(i) == before.at(i) ? 0 : 1;
        return pin.item->text(3) == QString::number(value) && changed == 1;
    };
    // Straight after the fill no layout has run yet, so the editors' positions say nothing about
    // their rows; each edit must still land in its own row.
    QVERIFY(changeOnly(14, 12));
    QVERIFY(changeOnly(89, 3));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(changeOnly(14, 13)); // a page that is not on top

    // Typed into the editor on the page on top.
    PinWidgets typed = pinWidgets(window, 45);
    typed.spin->selectAll();
    QTest::keyClicks(typed.spin, QStringLiteral("305"));
    QTRY_COMPARE(typed.item->text(3), QStringLiteral("305"));
    QCOMPARE(typed.item->text(2), QStringLiteral("0"));
}

void TestGpioTab::decimalSpinBoxStoresPoint()
{
    // A locale that writes a decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ConfigsCreator window;
    window.fillGpioTab(gpioBlock({{12, {3, 7}}}));
    press(window, QStringLiteral("AcceptNumAdcTiInputs"));
    QTreeWidget *tree = BuilderKit::tree(window, QStringLiteral("portsAdcTi"));
    QTreeWidgetItem *item = tree->topLevelItem(0);
    auto *spin = qobject_cast<QDoubleSpinBox *>(tree->itemWidget(item, 3));
    QVERIFY(spin);
    QCOMPARE(item->text(3), QStringLiteral("1.0")); // setting the initial value wrote nothing
    spin->setValue(2.5);
    QVERIFY(spin->text().contains(QLatin1Char(',')));
    QCOMPARE(item->text(3), QStringLiteral("2.500000"));
    emit spin->textChanged(QStringLiteral("0,5"));
    QCOMPARE(item->text(3), QStringLiteral("0.5"));
}

void TestGpioTab::editorsFindTheirRowsBeforeLayout()
{
    ConfigsCreator window;
    window.fillGpioTab(gpioBlock({{42, {1, 8}}, {43, {1, 8}}, {44, {1, 8}}, {45, {1, 8}}}));
    press(window, QStringLiteral("AcceptNumPwmOutputs"));
    QTreeWidget *tree = BuilderKit::tree(window, QStringLiteral("portsPwm"));
    QCOMPARE(tree->topLevelItemCount(), 4);
    // No layout has run: the editors' positions do not tell their rows apart.
    qobject_cast<QSpinBox *>(tree->itemWidget(tree->topLevelItem(2), 3))->setValue(250);
    qobject_cast<QSpinBox *>(tree->itemWidget(tree->topLevelItem(3), 3))->setValue(300);
    QCOMPARE(BuilderKit::column(tree, 3), (QStringList{"100", "100", "250", "300"}));
}

void TestGpioTab::strangersAreIgnored()
{
    ConfigsCreator window;
    window.fillAllTabs();
    int asked = 0;
    ModalSeam::setHandler([&](const ModalSeam::Request &) {
        ++asked;
        return ModalSeam::Answer();
    });
    const QStringList before = allPinTexts(window);

    // Called without a sender, or from widgets that are no tree editors.
    window.createTypeMenu(false);
    window.indexValueChanged(QStringLiteral("7"));
    QToolButton loose;
    connect(&loose, &QToolButton::clicked, &window, &ConfigsCreator::createTypeMenu);
    loose.click();
    QSpinBox looseSpin;
    looseSpin.setWhatsThis(QStringLiteral("3"));
    connect(&looseSpin, &QSpinBox::textChanged, &window, &ConfigsCreator::indexValueChanged);
    looseSpin.setValue(5);

    // An editor whose column is not a number, or not a column of its tree.
    PinWidgets pin = pinWidgets(window, 50);
    pin.spin->setWhatsThis(QStringLiteral("x"));
    pin.spin->setValue(8);
    pin.spin->setWhatsThis(QStringLiteral("9"));
    pin.spin->setValue(9);

    QCOMPARE(asked, 0);
    QCOMPARE(allPinTexts(window), before);
    QCOMPARE(pin.item->columnCount(), 4);
}

void TestGpioTab::fillingAVisibleTreeKeepsItVisible()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("portsLeftGpio"));
    QVERIFY(tree->isVisible());
    window.fillGpioTab(gpioBlock({{42, {4, 7}}}));
    QVERIFY(tree->isVisible());
    QVERIFY(!window.findChild<QTreeWidget *>(QStringLiteral("portsLeftGpio_4"))->isVisible());
    QCOMPARE(tree->topLevelItem(1)->text(2), QStringLiteral("7"));
    // After the fill the editors sit in their cells.
    QTRY_VERIFY(tree->visualItemRect(tree->topLevelItem(1))
                    .contains(pinWidgets(window, 42).spin->geometry().center()));
}

QTEST_MAIN(TestGpioTab)
#include "tst_gpiotab.moc"
