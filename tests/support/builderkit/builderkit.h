#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

class ConfigsCreator;
class QAction;
class QMenu;
class QObject;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// What tests and benchmarks of the configuration builder share: finding a tab's widgets, reading
// and setting rows, and making pin blocks.
namespace BuilderKit {

// A named child of the window; a missing one is reported and gives none.
template <typename T> T *child(const QObject &window, const QString &name);
QTreeWidget *tree(const QObject &window, const QString &name);

// Column texts of one row, and of every top-level row of a tree.
QStringList rowTexts(const QTreeWidgetItem *item);
QList<QStringList> rows(const QTreeWidget *tree);
// One column of every row.
QStringList column(const QTreeWidget *tree, int column);

// The pin trees in page order, each page's left tree first.
QList<QTreeWidget *> gpioTrees(const ConfigsCreator &window);
// Every pin row's texts, tree by tree, to tell whether something changed.
QStringList allPinTexts(const ConfigsCreator &window);
// The row of a pin, wherever its connector puts it.
QTreeWidgetItem *pinRow(const ConfigsCreator &window, int pin, QTreeWidget **tree = nullptr);

// A pin block: the given pins with (index, code), every other pin index 0 and code 0.
QByteArray gpioBlock(const QMap<int, QPair<int, int>> &pins);

// Brings a tab page to the top, as a click on its tab would.
void showTab(ConfigsCreator &window, const QString &page);
// Clicks a push button of the window by its name.
void press(ConfigsCreator &window, const QString &button);
// Sets a register-count spin box and presses its "Применить".
void applyRegisters(ConfigsCreator &window, const QString &tab, int registers);
// The action of a menu or of its submenus with this text, or none.
QAction *actionNamed(QMenu *menu, const QString &text);
// Gives a pin a function from its button's menu, by the function's text.
void chooseFunction(ConfigsCreator &window, int pin, const QString &function);

} // namespace BuilderKit

#include <QDebug>
#include <QObject>
#include <QTest>

// Lets QCOMPARE print the rows of a tree when two differ.
inline char *toString(const QStringList &row)
{
    return QTest::toString(row.join(QLatin1Char('|')));
}

template <typename T> T *BuilderKit::child(const QObject &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (!found)
        qWarning() << "missing child" << name;
    return found;
}
