#include "treerows.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMetaMethod>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace TreeRows {

namespace {
// setItemWidget shows the widget it embeds, which polishes it and fits it to its size hint at once,
// a quarter of what an editor costs, and an editor tree hid it again right away. Its editors come
// embedded hidden and let that show pass; the tree shows them as their rows come into view.
//
// A tree keeps the editors of the rows a fill replaces for the new rows, as making an editor costs
// several times what setting one up again does, and deleting one costs as much again.
class RowEditorBase
{
public:
    RowEditorBase() = default;
    virtual ~RowEditorBase() = default;
    RowEditorBase(const RowEditorBase &) = delete;
    RowEditorBase &operator=(const RowEditorBase &) = delete;

    // Unhooks the editor from its row as the row goes: from the receiver of its signal and from
    // the focus, which a deleted editor would also give up.
    virtual void release() = 0;

    bool released = false; // kept by its tree, in no row
};

template <typename Widget> class RowEditor : public Widget, public RowEditorBase
{
public:
    void setVisible(bool visible) override
    {
        if (!visible || !embedding)
            Widget::setVisible(visible);
    }

    void release() override
    {
        if constexpr (std::is_base_of<QAbstractSpinBox, Widget>::value)
            QObject::disconnect(this, QMetaMethod::fromSignal(&Widget::textChanged), nullptr, QMetaMethod());
        else
            QObject::disconnect(this, QMetaMethod::fromSignal(&QAbstractButton::clicked), nullptr,
                                QMetaMethod());
        this->clearFocus();
        released = true;
    }

    bool embedding = false;
};

// A spin box's size hint lays out the texts of its whole range, and fitting a column asks every
// row's editor for it. The editors made from one column of a table differ only in their values,
// so the first one measures and the others take its hint, for as long as they keep the range
// and decimals it was measured with and no change of font, style or locale makes the spin box
// measure again.
template <typename Spin> class SpinEditor final : public RowEditor<Spin>
{
public:
    void shareSizeHint(const QSize &hint)
    {
        shared = hint;
        sharedRange = range();
    }

    // Back to a spin box just made, as far as the rows can tell: enabled, with no text, undo
    // history or size hint of its own left over from its last row.
    void reset()
    {
        this->setEnabled(true);
        this->clear();
        shared = QSize();
    }

    QSize sizeHint() const override
    {
        if (shared.isValid() && range() == sharedRange)
            return shared;
        return Spin::sizeHint();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::FontChange || type == QEvent::StyleChange || type == QEvent::LocaleChange)
            shared = QSize();
        Spin::changeEvent(event);
    }

private:
    // Minimum, maximum and decimals.
    std::tuple<double, double, int> range() const
    {
        if constexpr (std::is_same<Spin, QDoubleSpinBox>::value)
            return {this->minimum(), this->maximum(), this->decimals()};
        else
            return {this->minimum(), this->maximum(), 0};
    }

    QSize shared;
    std::tuple<double, double, int> sharedRange;
};

template <typename Widget>
Widget *embed(QTreeWidget *tree, QTreeWidgetItem *item, int column, RowEditor<Widget> *editor)
{
    if (qobject_cast<EditorTree *>(tree)) {
        // Hidden by hand, or showing the tree would show it along with it.
        editor->hide();
        editor->embedding = true;
    }
    tree->setItemWidget(item, column, editor);
    editor->embedding = false;
    // An editor tree names its editors as they come into view.
    if (!qobject_cast<EditorTree *>(tree))
        editor->setAccessibleName(editorName(tree, item, column));
    return editor;
}

QMetaMethod slotOf(const QObject *receiver, const char *signature)
{
    const QMetaObject *meta = receiver->metaObject();
    const int index = meta->indexOfSlot(QMetaObject::normalizedSignature(signature).constData());
    Q_ASSERT_X(index >= 0, "RowBuilder", signature);
    return index >= 0 ? meta->method(index) : QMetaMethod();
}
} // namespace

// One editor of a row, as the row's builder describes it: a function button with its appearance,
// or else a spin box for a column of a table with the value it starts with.
struct EditorPlan
{
    int column = 0;
    std::optional<Functions::Appearance> button;
    EditorSpec spec;
    double value = 0.0;
    bool editable = true;
};

// Makes the editors a builder describes, connected to the receiver, and embeds them. Rows waiting
// for their editors keep it for as long as they wait.
class EditorMaker
{
public:
    explicit EditorMaker(QObject *receiver)
        : receiver(receiver), valueSlot(slotOf(receiver, "indexValueChanged(QString)")),
          menuSlot(slotOf(receiver, "createTypeMenu(bool)")), font(rowFont())
    {}

    QWidget *embedEditor(QTreeWidget *tree, QTreeWidgetItem *item, const EditorPlan &plan) const
    {
        if (plan.button)
            return embed(tree, item, plan.column, functionButton(tree, *plan.button));
        if (plan.spec.decimals > 0)
            return embedSpinEditor<QDoubleSpinBox>(tree, item, plan);
        return embedSpinEditor<QSpinBox>(tree, item, plan);
    }

private:
    // A size hint measured on the first editor of a column, in its tree.
    struct MeasuredEditor
    {
        double minimum;
        double maximum;
        int decimals;
        bool enabled;
        QFont font;
        const QStyle *style;
        QSize sizeHint;
    };

    template <typename Spin>
    Spin *embedSpinEditor(QTreeWidget *tree, QTreeWidgetItem *item, const EditorPlan &plan) const
    {
        // The first editor of a column is made anew and measured where setItemWidget would have
        // shown it, sized it and so measured it; the others take its hint, made anew or kept.
        const EditorSpec &spec = plan.spec;
        const auto measured = std::find_if(
            measuredEditors.cbegin(), measuredEditors.cend(), [&spec, &plan](const MeasuredEditor &editor) {
                return editor.minimum == spec.minimum && editor.maximum == spec.maximum &&
                       editor.decimals == spec.decimals && editor.enabled == plan.editable;
            });
        auto *kept = measured == measuredEditors.cend() ? nullptr : keptEditor<SpinEditor<Spin>>(tree);
        if (kept)
            kept->reset();
        SpinEditor<Spin> *spin = setUpSpinEditor<Spin>(kept ? kept : new SpinEditor<Spin>, plan);
        embed(tree, item, plan.column, spin);
        if (measured != measuredEditors.cend() && measured->style == spin->style() &&
            measured->font == spin->font())
            spin->shareSizeHint(measured->sizeHint);
        else if (measured == measuredEditors.cend())
            measuredEditors.append({spec.minimum, spec.maximum, spec.decimals, plan.editable, spin->font(),
                                    spin->style(), spin->sizeHint()});
        return spin;
    }

    // An editor of this class the tree kept from a removed row, or none.
    template <typename Editor> static Editor *keptEditor(QTreeWidget *tree)
    {
        auto *editorTree = qobject_cast<EditorTree *>(tree);
        return editorTree ? dynamic_cast<Editor *>(editorTree->takeKeptEditor(&Editor::staticMetaObject))
                          : nullptr;
    }

    template <typename Spin>
    SpinEditor<Spin> *setUpSpinEditor(SpinEditor<Spin> *spin, const EditorPlan &plan) const
    {
        // Parentless until setItemWidget hands it to the tree's viewport, unless kept there. A
        // stored value outside the range is held inside it here: the editor could not show it,
        // and an integer editor given a 32-bit frequency must not see it wrap.
        using Value = decltype(std::declval<Spin>().value());
        const EditorSpec &spec = plan.spec;
        spin->setFont(font); // while it has no text yet to lay out again
        if constexpr (std::is_same<Spin, QDoubleSpinBox>::value)
            spin->setDecimals(spec.decimals); // before the range, which it would round otherwise
        spin->setAccelerated(true);
        spin->setAlignment(Qt::AlignHCenter);
        // Each change of the text lays it out again. The value goes in within a range that also
        // holds the 0 a spin box starts at, which no range then clamps to a text of its own, and
        // only then does the range narrow to the table's.
        const Value minimum = Value(spec.minimum);
        const Value maximum = Value(spec.maximum);
        spin->setRange(std::min(minimum, Value(0)), std::max(maximum, Value(0)));
        spin->setValue(Value(spec.clamp(plan.value)));
        spin->setRange(minimum, maximum);
        spin->setObjectName(spec.objectName);
        spin->setWhatsThis(QString::number(spec.column));
        // After the value, so that setting it does not write into the row.
        if (plan.editable)
            QObject::connect(spin, QMetaMethod::fromSignal(&Spin::textChanged), receiver, valueSlot);
        else
            spin->setEnabled(false);
        return spin;
    }

    RowEditor<QToolButton> *functionButton(QTreeWidget *tree, const Functions::Appearance &look) const
    {
        auto *button = keptEditor<RowEditor<QToolButton>>(tree);
        const bool kept = button != nullptr;
        if (kept)
            button->setEnabled(true);
        else
            button = new RowEditor<QToolButton>; // parented by setItemWidget
        button->setIconSize(QSize(kFunctionIconSize, kFunctionIconSize));
        button->setPopupMode(QToolButton::MenuButtonPopup);
        if (!look.iconPath.isEmpty())
            button->setIcon(functionIcon(look.iconPath));
        else if (kept)
            button->setIcon(QIcon());
        button->setToolTip(look.toolTip);
        if (look.available)
            QObject::connect(button, QMetaMethod::fromSignal(&QToolButton::clicked), receiver, menuSlot);
        else
            button->setEnabled(false);
        return button;
    }

    // Loading an icon reads and decodes its file; the rows of every tree and every window show the
    // same handful, so they share them for as long as the application runs.
    static QIcon functionIcon(const QString &path)
    {
        static QHash<QString, QIcon> *icons = nullptr;
        if (!icons) {
            icons = new QHash<QString, QIcon>;
            // Freed as the application closes, while it can still free pixmaps.
            qAddPostRoutine([] {
                delete icons;
                icons = nullptr;
            });
        }
        auto it = icons->find(path);
        if (it == icons->end())
            it = icons->insert(path, QIcon(path));
        return it.value();
    }

    QObject *const receiver;
    const QMetaMethod valueSlot;
    const QMetaMethod menuSlot;
    const QFont font;
    mutable QVector<MeasuredEditor> measuredEditors;
};

namespace {
// A row past those whose editors are made at once: it keeps their plans until it first comes into
// view, and gets any editor added after that at once.
class WaitingRow final : public QTreeWidgetItem
{
public:
    WaitingRow(const QStringList &texts, std::shared_ptr<const EditorMaker> maker)
        : QTreeWidgetItem(texts), maker(std::move(maker))
    {}

    // The editor, when the row has already come into view; none while it waits.
    QWidget *add(const EditorPlan &plan)
    {
        if (madeEditors)
            return maker->embedEditor(treeWidget(), this, plan);
        plans.append(plan);
        return nullptr;
    }

    void makeEditors()
    {
        if (madeEditors)
            return;
        madeEditors = true;
        for (const EditorPlan &plan : qAsConst(plans))
            maker->embedEditor(treeWidget(), this, plan);
        plans.clear();
    }

private:
    std::shared_ptr<const EditorMaker> maker;
    QVector<EditorPlan> plans;
    bool madeEditors = false;
};

// Fitting a column asks the delegate for the size of every row's cell, and each answer lays the
// cell's text out anew, though the cells of an editor column share a handful of texts. A fit
// measures all its rows with one view option, so while it runs a cell of nothing but a text in a
// font measured already gets the same answer.
class RowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Answers are kept from here to the end of the fit.
    void beginFit() { fitting = true; }
    void endFit()
    {
        fitting = false;
        measured.clear();
    }

    // Qt lets go of the editors of removed rows here; those the tree keeps stay.
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        const auto *rowEditor = dynamic_cast<const RowEditorBase *>(editor);
        if (!rowEditor || !rowEditor->released)
            QStyledItemDelegate::destroyEditor(editor, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (!fitting)
            return QStyledItemDelegate::sizeHint(option, index);
        const QVariant text = index.data(Qt::DisplayRole);
        const QVariant font = index.data(Qt::FontRole);
        const bool textAndFontOnly =
            text.userType() == QMetaType::QString && font.userType() == QMetaType::QFont &&
            !index.data(Qt::SizeHintRole).isValid() && !index.data(Qt::TextAlignmentRole).isValid() &&
            !index.data(Qt::CheckStateRole).isValid() && !index.data(Qt::DecorationRole).isValid();
        if (!textAndFontOnly)
            return QStyledItemDelegate::sizeHint(option, index);
        const auto it = measured.constFind(text.toString());
        if (it != measured.constEnd() && it->font == font.value<QFont>())
            return it->size;
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (it == measured.constEnd())
            measured.insert(text.toString(), {font.value<QFont>(), size});
        return size;
    }

private:
    struct Measured
    {
        QFont font;
        QSize size;
    };

    bool fitting = false;
    mutable QHash<QString, Measured> measured;
};
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

EditorTree::EditorTree(QWidget *parent) : QTreeWidget(parent)
{
    setItemDelegate(new RowDelegate(this));
}

EditorTree::~EditorTree()
{
    // The window's close deletes its trees: the editors go the same way as on any removal, and
    // none is kept.
    closing = true;
    removeRows(this);
    deleteKeptEditors();
}

void EditorTree::keepEditor(QWidget *editor)
{
    kept[editor->metaObject()].push_back(editor);
    if (!dropPosted) {
        // Those no fill takes before control returns to the event loop go then.
        dropPosted = true;
        QMetaObject::invokeMethod(
            this, [this] { deleteKeptEditors(); }, Qt::QueuedConnection);
    }
}

QWidget *EditorTree::takeKeptEditor(const QMetaObject *kind)
{
    const auto queue = kept.find(kind);
    while (queue != kept.end() && !queue->empty()) {
        const QPointer<QWidget> editor = queue->front();
        queue->pop_front();
        if (auto *rowEditor = dynamic_cast<RowEditorBase *>(editor.data())) {
            rowEditor->released = false;
            return editor;
        }
    }
    return nullptr;
}

void EditorTree::deleteKeptEditors()
{
    dropPosted = false;
    // Front to back, as they were kept, for the same reason as removeRows.
    for (auto &queue : kept) {
        for (const QPointer<QWidget> &editor : queue)
            delete editor.data();
    }
    kept.clear();
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
        // Rows coming into view for the first time get their editors before any editor is placed:
        // each embed asks for a layout, which placing then runs once for all of them.
        for (int row = top.row(); row <= last; ++row) {
            if (auto *waiting = dynamic_cast<WaitingRow *>(topLevelItem(row)))
                waiting->makeEditors();
        }
        for (int row = top.row(); row <= last; ++row) {
            QTreeWidgetItem *item = topLevelItem(row);
            for (int column = 0; column < columnCount(); ++column) {
                QWidget *editor = itemWidget(item, column);
                if (!editor)
                    continue;
                const QModelIndex index = indexFromItem(item, column);
                option.rect = visualRect(index);
                itemDelegate(index)->updateEditorGeometry(editor, option, index);
                // Named as it is first shown: a screen reader reaches the editors on screen only,
                // and naming every editor as a long tree fills would cost the fill. A row keeps its
                // label while its editors live; a language change names them all again.
                if (editor->accessibleName().isEmpty())
                    editor->setAccessibleName(editorName(this, item, column));
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

void EditorTree::revealRow(QTreeWidgetItem *item)
{
    scrollToItem(item);
    updateEditorGeometries();
}

int EditorTree::sizeHintForColumn(int column) const
{
    auto *rows = dynamic_cast<RowDelegate *>(itemDelegate());
    if (!rows)
        return QTreeWidget::sizeHintForColumn(column);
    rows->beginFit();
    const int hint = QTreeWidget::sizeHintForColumn(column);
    rows->endFit();
    return hint;
}

int EditorTree::rowsWithEditorsAtOnce() const
{
    const int measured = header()->resizeContentsPrecision();
    return measured < 0 ? std::numeric_limits<int>::max() : measured;
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
    : tree(tree), rowsAtOnce(std::numeric_limits<int>::max()), maker(std::make_shared<EditorMaker>(receiver))
{
    if (const auto *editorTree = qobject_cast<const EditorTree *>(tree))
        rowsAtOnce = editorTree->rowsWithEditorsAtOnce();
}

RowBuilder::~RowBuilder()
{
    // The editors of the rows this fill replaced that it did not take.
    if (auto *editorTree = qobject_cast<EditorTree *>(tree))
        editorTree->deleteKeptEditors();
}

QTreeWidgetItem *RowBuilder::appendRow(const QStringList &texts)
{
    // The tree takes ownership when the item is added.
    QTreeWidgetItem *item =
        tree->topLevelItemCount() < rowsAtOnce ? new QTreeWidgetItem(texts) : new WaitingRow(texts, maker);
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
    return static_cast<QAbstractSpinBox *>(
        add(item, EditorPlan{spec.column, std::nullopt, spec, cell.value, editable}));
}

QToolButton *RowBuilder::addFunctionButton(QTreeWidgetItem *item, int column, Functions::Context context,
                                           int code)
{
    return addFunctionButton(item, column, Functions::appearanceOf(context, code));
}

QToolButton *RowBuilder::addFunctionButton(QTreeWidgetItem *item, int column,
                                           const Functions::Appearance &look)
{
    item->setText(column, QString::number(look.storedCode));
    return static_cast<QToolButton *>(add(item, EditorPlan{column, look, EditorSpec(), 0.0, true}));
}

QWidget *RowBuilder::add(QTreeWidgetItem *item, const EditorPlan &plan)
{
    if (auto *waiting = dynamic_cast<WaitingRow *>(item))
        return waiting->add(plan);
    return maker->embedEditor(tree, item, plan);
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
    // A tree emptied is about to be filled again, as a whole tab is; a cut tail is not, nor is a
    // tree being deleted. Only the tree's own delegate lets it keep the editors of removed rows.
    auto *editorTree = first == 0 ? qobject_cast<EditorTree *>(tree) : nullptr;
    if (editorTree && (editorTree->closing || !dynamic_cast<RowDelegate *>(editorTree->itemDelegate())))
        editorTree = nullptr;
    // Front to back, as they were added: each editor then finds itself near the front of the
    // viewport's children.
    for (int row = first; row < rows; ++row) {
        QTreeWidgetItem *item = tree->topLevelItem(row);
        for (int column = 0; column < tree->columnCount(); ++column) {
            QWidget *editor = tree->itemWidget(item, column);
            const bool ownDelegate = !tree->itemDelegateForColumn(column) && !tree->itemDelegateForRow(row);
            auto *rowEditor = editorTree && ownDelegate ? dynamic_cast<RowEditorBase *>(editor) : nullptr;
            if (rowEditor) {
                rowEditor->release();
                editorTree->keepEditor(editor);
            } else {
                delete editor;
            }
        }
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

QString editorName(const QTreeWidget *tree, QTreeWidgetItem *item, int column)
{
    // The columns before a row's first editor label the row: a number alone, or a pin's number
    // and then its name.
    int labels = 0;
    while (labels < column && !tree->itemWidget(item, labels))
        ++labels;
    const QTreeWidgetItem *header = tree->headerItem();
    const QString row =
        labels >= 2 ? item->text(labels - 1)
                    : QCoreApplication::translate("TreeRows", "%1 %2").arg(header->text(0), item->text(0));
    return QCoreApplication::translate("TreeRows", "%1, %2").arg(row, header->text(column));
}

void nameEditors(QTreeWidget *tree)
{
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = tree->topLevelItem(row);
        for (int column = 0; column < tree->columnCount(); ++column) {
            if (QWidget *editor = tree->itemWidget(item, column))
                editor->setAccessibleName(editorName(tree, item, column));
        }
    }
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

QVector<QTreeWidgetItem *> rowsByRowNumber(const QTreeWidget *tree)
{
    QMap<quint32, QTreeWidgetItem *> rows;
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = tree->topLevelItem(row);
        rows.insert(fieldValue<quint32>(item, 0), item);
    }
    return rows.values().toVector();
}

} // namespace TreeRows
