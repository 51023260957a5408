#pragma once

#include "functioncatalogue.h"

#include <QFont>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <QVector>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <type_traits>

class QAbstractSpinBox;
class QLabel;
class QObject;
class QShowEvent;
class QToolButton;
class QWidget;

// Builds the rows of the builder's trees. Every tab keeps its data as the texts of its items and
// embeds editors that mirror them; this is the one place that creates and wires those editors.
// A tab is one file with its column table (EditorSpecs) and one function that appends a row.
namespace TreeRows {

class EditorMaker;

constexpr int kRowPointSize = 11;
constexpr int kFunctionIconSize = 24;

// The default font at the row point size, used on every column of a row and on its editors.
QFont rowFont();

// An embedded spin box: the column it writes (stored as its what's-this string), its range and
// its object name. Decimals 0 make an integer spin box, more a decimal one. The same table gives
// the editor its range and a writer its clamp.
struct EditorSpec
{
    int column = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    int decimals = 0;
    QString objectName;

    // A value held inside the range; a value that is not a number becomes the minimum.
    double clamp(double value) const;
    // The integer value of a text held inside the range.
    int valueOf(const QString &text) const;
};

// One edited cell: the text the row keeps and the value its editor starts with. They may differ
// (an index text "0" shows as 1), and the text is what gets saved.
struct Cell
{
    double value = 0.0;
    QString text;
};

// A tree that shows the embedded editors of the rows in view only. Qt keeps every embedded widget
// visible wherever its row lies, and each one it repaints walks all its siblings, so that showing a
// tab of thousands of rows took minutes. Editors embedded by RowBuilder start hidden; the tree
// shows them as their rows come into view and hides them again as they leave, unless they hold the
// focus. Rows and editors are the same as in any tree; only what is on screen differs.
//
// Making an editor costs far more than a row (its line edit alone connects a dozen signals by
// name), so a long tree gets the editors of its first rows as they are appended and those of later
// rows when each row first comes into view (itemWidget has none for them before); the texts, which
// are the data, are there from the start either way.
class EditorTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit EditorTree(QWidget *parent = nullptr);
    ~EditorTree() override;
    EditorTree(const EditorTree &) = delete;
    EditorTree &operator=(const EditorTree &) = delete;

    // Scrolls a row into view and places the editors in view now, so that one of them can take
    // the focus at once.
    void revealRow(QTreeWidgetItem *item);
    // The model index of a row's cell, for marks that must survive other rows coming and going.
    QModelIndex indexOfItem(QTreeWidgetItem *item, int column = 0) const
    {
        return indexFromItem(item, column);
    }
    // How many rows from the top get their editors at once: as many as the header measures to fit
    // a column to its contents (1000 unless set otherwise), so that the rows a fit measures after a
    // fill have their editors and the widths are what they would be if every row had one. No tab
    // makes that many rows by itself; only a file made elsewhere holds more.
    int rowsWithEditorsAtOnce() const;

protected:
    int sizeHintForColumn(int column) const override;
    void updateEditorGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class EditorMaker;
    friend class RowBuilder;
    friend void removeRows(QTreeWidget *tree, int first);

    // The editors of removed rows, kept for the rows of the fill that replaces them.
    void keepEditor(QWidget *editor);
    QWidget *takeKeptEditor(const QMetaObject *kind);
    void deleteKeptEditors();

    QVector<QPointer<QWidget>> shown; // the editors the last placing showed
    bool placing = false;
    QHash<const QMetaObject *, std::deque<QPointer<QWidget>>> kept; // by class, as removed
    bool dropPosted = false;
    bool closing = false;
};

// Hides a visible tree while rows are added or removed, so that embedding widgets costs the same
// per row however many rows are there already (on a visible tree each embed lays out the tree).
class FillGuard
{
public:
    explicit FillGuard(QTreeWidget *tree);
    ~FillGuard();
    FillGuard(const FillGuard &) = delete;
    FillGuard &operator=(const FillGuard &) = delete;

private:
    QTreeWidget *tree;
    bool wasVisible;
};

struct EditorPlan;

class RowBuilder
{
public:
    // The receiver gets the editors' signals: it must have the slots indexValueChanged(QString)
    // and createTypeMenu(bool).
    RowBuilder(QTreeWidget *tree, QObject *receiver);
    ~RowBuilder();
    RowBuilder(const RowBuilder &) = delete;
    RowBuilder &operator=(const RowBuilder &) = delete;

    // Appends a top-level item with these leading column texts.
    QTreeWidgetItem *appendRow(const QStringList &texts);

    // Appends a row of leading texts followed by an editor for each entry of the column table,
    // then gives every column the row font.
    QTreeWidgetItem *appendEditedRow(const QStringList &texts, const QVector<EditorSpec> &editors,
                                     const QVector<Cell> &cells);

    // Sets the column text and embeds a spin box: font, acceleration, range, alignment, the value
    // held in range, object name, what's-this, connected to the receiver when the row is editable
    // (after the value, so setting it does not write into the row). A read-only row gets a
    // disabled editor. A row of an editor tree past its rows with editors at once gets the editor
    // when it first comes into view: then there is none yet to return.
    QAbstractSpinBox *addSpinEditor(QTreeWidgetItem *item, const EditorSpec &spec, const Cell &cell,
                                    bool editable = true);

    // Embeds a function button that shows a stored code as its context shows it and keeps the
    // code as the column text. A button of a pin that cannot be used is disabled and opens no menu.
    // Made when the row first comes into view, as a spin box is.
    QToolButton *addFunctionButton(QTreeWidgetItem *item, int column, Functions::Context context, int code);
    // The same for a shown appearance: the row is editable when the appearance is available.
    QToolButton *addFunctionButton(QTreeWidgetItem *item, int column, const Functions::Appearance &look);

    // Gives every column of the row the row font.
    static void finishRow(QTreeWidgetItem *item);

private:
    // The editor made, or none for a row that waits for its editors.
    QWidget *add(QTreeWidgetItem *item, const EditorPlan &plan);

    QTreeWidget *tree;
    int rowsAtOnce; // rows from the top whose editors are made as they are added
    std::shared_ptr<EditorMaker> maker;
};

// Removes the rows from the given one to the end, with their editors. The editors are deleted here,
// in the order they were embedded: Qt would leave each to deferred deletion in no particular order,
// and a widget leaving its parent searches the parent's children for itself. An editor tree emptied
// keeps them instead, hidden and unhooked, for the fill that follows; it deletes those the fill does
// not take, and all of them once control returns to the event loop without a fill.
void removeRows(QTreeWidget *tree, int first = 0);

// Replaces all rows of a tree by the rows the function appends, the tree hidden meanwhile.
void replaceRows(QTreeWidget *tree, QObject *receiver, const std::function<void(RowBuilder &)> &appendRows);

// A gain or offset as its row keeps it: the shorter of plain or exponent notation with six
// significant digits ("1", "0.5", "1e-06").
QString decimalText(double value);

// What a screen reader calls the editor in a row's column: the row's label and the column's
// header, such as "PP 0 (X6-05), Тип" or "Порт 3, Индекс". A pin's row is labelled by the pin's
// name, any other row by its first column's header and text. An editor tree gives its editors
// their names as it shows them, any other tree as they are embedded.
QString editorName(const QTreeWidget *tree, QTreeWidgetItem *item, int column);
// Names every editor of the tree again, as its headers change with the language.
void nameEditors(QTreeWidget *tree);

// Resizes every column of a tree that has rows to its contents.
void resizeColumnsToContents(QTreeWidget *tree);

// After a tab's rows are replaced: a tree with rows gets its columns fitted and the label shows
// the row count; an empty tree shows "0".
void showRowCount(QTreeWidget *tree, QLabel *label);

// The tree and item an embedded editor belongs to, or none. The editor's position is tried first
// and checked against the cell the editor sits in (its geometry is stale while its tree has not
// been laid out), then the rows are searched.
QTreeWidgetItem *itemOfEditor(const QWidget *editor, int column, QTreeWidget **tree = nullptr);

// The whole number a text says (decimal, blanks around it allowed); a number beyond 64 bits gives
// the nearer end of that range, and a text that is no whole number gives 0.
qint64 integerValue(const QString &text);

// The number a text says held in the range of a record field: a number beyond it, however long,
// gives the nearer end of the range, never its low bits or 0.
template <typename Field> Field fieldValue(const QString &text)
{
    static_assert(std::is_integral<Field>::value && sizeof(Field) <= sizeof(qint32), "a record field");
    return Field(qBound<qint64>(std::numeric_limits<Field>::min(), integerValue(text),
                                std::numeric_limits<Field>::max()));
}
template <typename Field> Field fieldValue(const QTreeWidgetItem *item, int column)
{
    return fieldValue<Field>(item->text(column));
}

// What a writer reads from an edited column: the integer value of its text held inside the
// editor's range, so that the editor and the file can never disagree on the limits.
int clampedValue(const QTreeWidgetItem *item, const EditorSpec &spec);

// The float value of a text (decimal point): a number beyond a float's range gives the nearer end
// of it; a text that is no number gives 0.
float floatValue(const QString &text);
float floatValue(const QTreeWidgetItem *item, int column);

// The rows that make a tab's records, in ascending order of their column 0 numbers (taken as
// unsigned); a later row with the same number replaces an earlier one.
QVector<QTreeWidgetItem *> rowsByRowNumber(const QTreeWidget *tree);

// A tab's records in the order of rowsByRowNumber.
template <typename Record, typename MakeRecord>
QVector<Record> recordsByRowNumber(const QTreeWidget *tree, MakeRecord makeRecord)
{
    const QVector<QTreeWidgetItem *> rows = rowsByRowNumber(tree);
    QVector<Record> records;
    records.reserve(rows.size());
    for (const QTreeWidgetItem *item : rows)
        records.append(makeRecord(item));
    return records;
}

} // namespace TreeRows
