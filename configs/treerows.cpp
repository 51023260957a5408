#include "treerows.h"

#include "configscreator.h"

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

namespace TreeRows {

QFont rowFont()
{
    QFont font;
    font.setPointSize(kRowPointSize);
    return font;
}

FillGuard::FillGuard(QTreeWidget *tree) : tree(tree), wasVisible(tree->isVisible())
{
    if (wasVisible)
        tree->hide();
}

FillGuard::~FillGuard()
{
    if (wasVisible)
        tree->show();
}

RowBuilder::RowBuilder(QTreeWidget *tree, ConfigsCreator *window)
    : tree(tree), window(window), font(rowFont())
{}

QTreeWidgetItem *RowBuilder::appendRow(const QStringList &texts)
{
    // The tree takes ownership when the item is added.
    auto *item = new QTreeWidgetItem(texts);
    tree->addTopLevelItem(item);
    return item;
}

QAbstractSpinBox *RowBuilder::addSpinEditor(QTreeWidgetItem *item, const EditorSpec &spec, double value,
                                            const QString &text, bool editable)
{
    // Parentless until setItemWidget hands it to the tree's viewport.
    QAbstractSpinBox *editor = nullptr;
    if (spec.decimals > 0) {
        auto *spin = new QDoubleSpinBox;
        spin->setDecimals(spec.decimals);
        spin->setRange(spec.minimum, spec.maximum);
        spin->setValue(value);
        if (editable)
            QObject::connect(spin, &QDoubleSpinBox::textChanged, window, &ConfigsCreator::indexValueChanged);
        editor = spin;
    } else {
        auto *spin = new QSpinBox;
        spin->setRange(int(spec.minimum), int(spec.maximum));
        spin->setValue(int(value));
        if (editable)
            QObject::connect(spin, &QSpinBox::textChanged, window, &ConfigsCreator::indexValueChanged);
        editor = spin;
    }
    editor->setFont(font);
    editor->setAccelerated(true);
    editor->setAlignment(Qt::AlignHCenter);
    editor->setObjectName(spec.objectName);
    editor->setWhatsThis(QString::number(spec.column));
    if (!editable)
        editor->setEnabled(false);
    item->setText(spec.column, text);
    tree->setItemWidget(item, spec.column, editor);
    return editor;
}

QToolButton *RowBuilder::addFunctionButton(QTreeWidgetItem *item, int column, const QIcon &icon,
                                           const QString &toolTip, const QString &code, bool editable)
{
    auto *button = new QToolButton; // parented by setItemWidget
    button->setIconSize(QSize(kFunctionIconSize, kFunctionIconSize));
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setIcon(icon);
    button->setToolTip(toolTip);
    if (editable)
        QObject::connect(button, &QToolButton::clicked, window, &ConfigsCreator::createTypeMenu);
    else
        button->setEnabled(false);
    item->setText(column, code);
    tree->setItemWidget(item, column, button);
    return button;
}

void RowBuilder::finishRow(QTreeWidgetItem *item)
{
    const QFont font = rowFont();
    for (int column = 0; column < item->columnCount(); ++column)
        item->setFont(column, font);
}

void resizeColumnsToContents(QTreeWidget *tree)
{
    if (tree->topLevelItemCount() == 0)
        return;
    for (int column = 0; column < tree->columnCount(); ++column)
        tree->resizeColumnToContents(column);
}

QTreeWidgetItem *itemOfEditor(const QWidget *editor, int column, QTreeWidget **treeOut)
{
    if (treeOut)
        *treeOut = nullptr;
    if (!editor || !editor->parentWidget())
        return nullptr;
    auto *tree = qobject_cast<QTreeWidget *>(editor->parentWidget()->parentWidget());
    if (!tree || tree->viewport() != editor->parentWidget())
        return nullptr;
    if (treeOut)
        *treeOut = tree;
    QTreeWidgetItem *item = tree->itemAt(editor->pos());
    if (item && tree->itemWidget(item, column) == editor)
        return item;
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem *candidate = tree->topLevelItem(row);
        if (tree->itemWidget(candidate, column) == editor)
            return candidate;
    }
    return nullptr;
}

} // namespace TreeRows
