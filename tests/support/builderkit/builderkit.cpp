#include "builderkit.h"

#include "configscreator.h"
#include "datablocks.h"
#include "gpiotab.h"
#include "modalseam.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace BuilderKit {

QTreeWidget *tree(const QObject &window, const QString &name)
{
    return child<QTreeWidget>(window, name);
}

QStringList rowTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int c = 0; c < item->columnCount(); ++c)
        texts << item->text(c);
    return texts;
}

QList<QStringList> rows(const QTreeWidget *tree)
{
    QList<QStringList> all;
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
        all << rowTexts(tree->topLevelItem(row));
    return all;
}

QStringList column(const QTreeWidget *tree, int column)
{
    QStringList texts;
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
        texts << tree->topLevelItem(row)->text(column);
    return texts;
}

QList<QTreeWidget *> gpioTrees(const ConfigsCreator &window)
{
    QList<QTreeWidget *> trees;
    for (const GpioTab::PageTree &pageTree : GpioTab::pageTrees(child<QTabWidget>(window, "boosterPacks")))
        trees << pageTree.tree;
    return trees;
}

QStringList allPinTexts(const ConfigsCreator &window)
{
    QStringList texts;
    for (QTreeWidget *tree : gpioTrees(window)) {
        for (const QStringList &row : rows(tree))
            texts << tree->objectName() + QLatin1Char('|') + row.join(QLatin1Char('|'));
    }
    return texts;
}

QTreeWidgetItem *pinRow(const ConfigsCreator &window, int pin, QTreeWidget **treeOut)
{
    for (QTreeWidget *tree : gpioTrees(window)) {
        for (int row = 0; row < tree->topLevelItemCount(); ++row) {
            if (tree->topLevelItem(row)->text(GpioTab::kNumberColumn) == QString::number(pin)) {
                if (treeOut)
                    *treeOut = tree;
                return tree->topLevelItem(row);
            }
        }
    }
    return nullptr;
}

QByteArray gpioBlock(const QMap<int, QPair<int, int>> &pins)
{
    GpioBlock block;
    for (auto it = pins.cbegin(); it != pins.cend(); ++it) {
        block.index[it.key()] = quint16(it.value().first);
        block.code[it.key()] = quint8(it.value().second);
    }
    return Blocks::encodeGpioBlock(block);
}

void showTab(ConfigsCreator &window, const QString &page)
{
    child<QTabWidget>(window, QStringLiteral("tabsConfuration"))
        ->setCurrentWidget(child<QWidget>(window, page));
}

void press(ConfigsCreator &window, const QString &button)
{
    child<QPushButton>(window, button)->click();
}

void applyRegisters(ConfigsCreator &window, const QString &tab, int registers)
{
    child<QSpinBox>(window, QStringLiteral("Num%1Registers").arg(tab))->setValue(registers);
    press(window, QStringLiteral("AcceptNum%1Registers").arg(tab));
}

QAction *actionNamed(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        QAction *found = action->menu() ? actionNamed(action->menu(), text) : nullptr;
        if (found || (!action->menu() && action->text() == text))
            return found ? found : action;
    }
    return nullptr;
}

void chooseFunction(ConfigsCreator &window, int pin, const QString &function)
{
    QTreeWidget *tree = nullptr;
    QTreeWidgetItem *row = pinRow(window, pin, &tree);
    auto *button = row ? qobject_cast<QToolButton *>(tree->itemWidget(row, GpioTab::kCodeColumn)) : nullptr;
    if (!button) {
        qWarning() << "no function button for pin" << pin;
        return;
    }
    ModalSeam::setHandler([&function](const ModalSeam::Request &request) {
        ModalSeam::Answer answer;
        answer.action = request.menu ? actionNamed(request.menu, function) : nullptr;
        return answer;
    });
    button->click();
    ModalSeam::setHandler({});
}

} // namespace BuilderKit
