#include "treerows.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace TreeRows {

namespace {
// setItemWidget shows the widget it embeds, which polishes it and fits it to its size hint at once:
// on a tree of hundreds of rows most of what an editor costs, for editors an editor tree would hide
// again right away. Such editors come embedded hidden and let that show pass; the tree shows them
// as their rows come into view.
template <typename Widget> class RowEditor final : public Widget
{
public:
    void setVisible(bool visible) override
    {
        if (!visible || !embedding)
            Widget::setVisible(visible);
    }

    bool embedding = false;
};

template <typename Widget>
void embed(QTreeWidget *tree, QTreeWidgetItem *item, int column, RowEditor<Widget> *editor)
{
    if (qobject_cast<EditorTree *>(tree)) {
        // Hidden by hand, or showing the tree would show it along with it.
        editor->hide();
        editor->embedding = true;
    }
    tree->setItemWidget(item, column, editor);
    editor->embedding = false;
}

QMetaMethod slotOf(const QObject *receiver, const char *signature)
{
    const QMetaObject *meta = receiver->metaObject();
    const int index = meta->indexOfSlot(QMetaObject::normalizedSignature(signature).constData());
    Q_ASSERT_X(index >= 0, "RowBuilder", signature);
    return index >= 0 ? meta->method(index) : QMetaMethod();
}
} // namespace

QFont rowFont()
{
    QFont font;
    font.setPointSize(kRowPointSize);
    return font;
}

double EditorSpec::clamp(double value) const
{
    if (std::isnan(value))
        return minimum;
    return qBound(minimum, value, maximum);
}

int EditorSpec::valueOf(const QString &text) const
{
    return int(clamp(double(integerValue(text))));
}

EditorTree::EditorTree(QWidget *parent) : QTreeWidget(parent) {}

EditorTree::~EditorTree()
{
    // The window's close deletes its trees: the editors go the same way as on any removal.
    removeRows(this);
}

void EditorTree::updateEditorGeometries()
{
    // Finding the rows in view runs a pending layout, which calls back here. A hidden tree places
    // nothing: every layout of a tab not on top would place editors no one sees, and showing the
    // tree places those of the rows then in view.
    if (placing || !isVisible())
        return;
    const QScopedValueRollback<bool> guard(placing, true);
    executeDelayedItemsLayout();

    QVector<QPointer<QWidget>> inView;
    const QModelIndex top = indexAt(QPoint(0, 0));
    if (top.isValid()) {
        const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
        const int last = bottom.isValid() ? bottom.row() : topLevelItemCount() - 1;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        QStyleOptionViewItem option = viewOptions();
#else
        QStyleOptionViewItem option;
        initViewItemOption(&option);
#endif
        for (int row = top.row(); row <= last; ++row) {
            QTreeWidgetItem *item = topLevelItem(row);
            for (int column = 0; column < columnCount(); ++column) {
                QWidget *editor = itemWidget(item, column);
                if (!editor)
                    continue;
                const QModelIndex index = indexFromItem(item, column);
                option.rect = visualRect(index);
                itemDelegate(index)->updateEditorGeometry(editor, option, index);
                editor->show();
                inView.append(editor);
            }
        }
    }
    for (const QPointer<QWidget> &editor : qAsConst(shown)) {
        if (!editor || inView.contains(editor))
            continue;
        // An editor holding the focus stays: hiding it would send the user's typing elsewhere.
        if (editor->hasFocus() || editor->isAncestorOf(QApplication::focusWidget()))
            inView.append(editor);
        else
            editor->hide();
    }
    shown = inView;
}

void EditorTree::scrollContentsBy(int dx, int dy)
{
    QTreeWidget::scrollContentsBy(dx, dy);
    updateEditorGeometries();
}

void EditorTree::showEvent(QShowEvent *event)
{
    QTreeWidget::showEvent(event);
    updateEditorGeometries();
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

RowBuilder::RowBuilder(QTreeWidget *tree, QObject *receiver)
    : tree(tree), receiver(receiver), valueSlot(slotOf(receiver, "indexValueChanged(QString)")),
      menuSlot(slotOf(receiver, "createTypeMenu(bool)")), font(rowFont())
{}

QTreeWidgetItem *RowBuilder::appendRow(const QStringList &texts)
{
    // The tree takes ownership when the item is added.
    auto *item = new QTreeWidgetItem(texts);
    tree->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem *RowBuilder::appendEditedRow(const QStringList &texts, const QVector<EditorSpec> &editors,
                                             const QVector<Cell> &cells)
{
    Q_ASSERT(editors.size() == cells.size());
    QTreeWidgetItem *item = appendRow(texts);
    for (int i = 0; i < editors.size(); ++i)
        addSpinEditor(item, editors.at(i), cells.at(i));
    finishRow(item);
    return item;
}

QAbstractSpinBox *RowBuilder::addSpinEditor(QTreeWidgetItem *item, const EditorSpec &spec, const Cell &cell,
                                            bool editable)
{
    item->setText(spec.column, cell.text);
    if (spec.decimals > 0) {
        auto *spin = new RowEditor<QDoubleSpinBox>;
        setUpSpinEditor<QDoubleSpinBox>(spin, spec, cell, editable);
        embed(tree, item, spec.column, spin);
        return spin;
    }
    auto *spin = new RowEditor<QSpinBox>;
    setUpSpinEditor<QSpinBox>(spin, spec, cell, editable);
    embed(tree, item, spec.column, spin);
    return spin;
}

template <typename Spin>
void RowBuilder::setUpSpinEditor(Spin *spin, const EditorSpec &spec, const Cell &cell, bool editable)
{
    // Parentless until setItemWidget hands it to the tree's viewport. A stored value outside the
    // range is held inside it here: the editor could not show it, and an integer editor given a
    // 32-bit frequency must not see it wrap.
    using Value = decltype(spin->value());
    if constexpr (std::is_same<Spin, QDoubleSpinBox>::value)
        spin->setDecimals(spec.decimals); // before the range, which it would round otherwise
    spin->setFont(font);
    spin->setAccelerated(true);
    spin->setRange(Value(spec.minimum), Value(spec.maximum));
    spin->setAlignment(Qt::AlignHCenter);
    spin->setValue(Value(spec.clamp(cell.value)));
    spin->setObjectName(spec.objectName);
    spin->setWhatsThis(QString::number(spec.column));
    // After the value, so that setting it does not write into the row.
    if (editable)
        QObject::connect(spin, QMetaMethod::fromSignal(&Spin::textChanged), receiver, valueSlot);
    else
        spin->setEnabled(false);
}

QToolButton *RowBuilder::addFunctionButton(QTreeWidgetItem *item, int column, Functions::Context context,
                                           int code)
{
    return addFunctionButton(item, column, Functions::appearanceOf(context, code));
}

QToolButton *RowBuilder::addFunctionButton(QTreeWidgetItem *item, int column,
                                           const Functions::Appearance &look)
{
    auto *button = new RowEditor<QToolButton>; // parented by setItemWidget
    button->setIconSize(QSize(kFunctionIconSize, kFunctionIconSize));
    button->setPopupMode(QToolButton::MenuButtonPopup);
    if (!look.iconPath.isEmpty())
        button->setIcon(icon(look.iconPath));
    button->setToolTip(look.toolTip);
    if (look.available)
        QObject::connect(button, QMetaMethod::fromSignal(&QToolButton::clicked), receiver, menuSlot);
    else
        button->setEnabled(false);
    item->setText(column, QString::number(look.storedCode));
    embed(tree, item, column, button);
    return button;
}

QIcon RowBuilder::icon(const QString &path)
{
    // Loading an icon reads its file; a fill shows a handful of icons on hundreds of rows.
    auto it = icons.find(path);
    if (it == icons.end())
        it = icons.insert(path, QIcon(path));
    return it.value();
}

void RowBuilder::finishRow(QTreeWidgetItem *item)
{
    const QFont font = rowFont();
    for (int column = 0; column < item->columnCount(); ++column)
        item->setFont(column, font);
}

void removeRows(QTreeWidget *tree, int first)
{
    const int rows = tree->topLevelItemCount();
    if (first >= rows)
        return;
    // Front to back, as they were added: each editor then finds itself near the front of the
    // viewport's children.
    for (int row = first; row < rows; ++row) {
        QTreeWidgetItem *item = tree->topLevelItem(row);
        for (int column = 0; column < tree->columnCount(); ++column)
            delete tree->itemWidget(item, column);
    }
    if (first == 0)
        tree->clear();
    else // one removal for the whole tail: row by row, the view would search all editors each time
        tree->model()->removeRows(first, rows - first);
}

void replaceRows(QTreeWidget *tree, QObject *receiver, const std::function<void(RowBuilder &)> &appendRows)
{
    FillGuard guard(tree);
    removeRows(tree);
    RowBuilder rows(tree, receiver);
    appendRows(rows);
}

QString decimalText(double value)
{
    return QString::number(value, 'g', 6);
}

void resizeColumnsToContents(QTreeWidget *tree)
{
    if (tree->topLevelItemCount() == 0)
        return;
    for (int column = 0; column < tree->columnCount(); ++column)
        tree->resizeColumnToContents(column);
}

void showRowCount(QTreeWidget *tree, QLabel *label)
{
    const int rows = tree->topLevelItemCount();
    resizeColumnsToContents(tree);
    label->setText(QString::number(rows));
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

qint64 integerValue(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (ok)
        return value;
    // Only a whole number too long for 64 bits is left to tell from a text that is no number.
    QStringView digits = QStringView(text).trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative || digits.startsWith(QLatin1Char('+')))
        digits = digits.mid(1);
    const bool whole = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (!whole)
        return 0;
    return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

int clampedValue(const QTreeWidgetItem *item, const EditorSpec &spec)
{
    return spec.valueOf(item->text(spec.column));
}

float floatValue(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok && !std::isinf(value))
        return 0.0f; // no number, or one too small for a float
    if (ok && !std::isfinite(value))
        return float(value); // the texts "inf" and "nan"
    // A number too large even for a double reads as an infinity that is not ok.
    constexpr double largest = std::numeric_limits<float>::max();
    return float(qBound(-largest, value, largest));
}

float floatValue(const QTreeWidgetItem *item, int column)
{
    return floatValue(item->text(column));
}

} // namespace TreeRows
