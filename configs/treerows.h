#pragma once

#include <QFont>
#include <QString>

class ConfigsCreator;
class QAbstractSpinBox;
class QIcon;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Builds the rows of the builder's trees. Every tab keeps its data as the texts of its items and
// embeds editors that mirror them; this is the one place that creates and wires those editors.
namespace TreeRows {

constexpr int kRowPointSize = 11;
constexpr int kFunctionIconSize = 24;

// The default font at the row point size, used on every column of a row and on its editors.
QFont rowFont();

// An embedded spin box: the column it writes (stored as its what's-this string), its range,
// and its object name. Decimals 0 make an integer spin box, more a decimal one.
struct EditorSpec
{
    int column = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    int decimals = 0;
    QString objectName;
};

// Hides a visible tree while rows are added, so that embedding widgets costs the same per row
// however many rows are there already (on a visible tree each embed lays out the whole tree).
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

class RowBuilder
{
public:
    RowBuilder(QTreeWidget *tree, ConfigsCreator *window);

    // Appends a top-level item with these leading column texts.
    QTreeWidgetItem *appendRow(const QStringList &texts);

    // Creates the editor with its value, connects it to the window when the row is editable
    // (after the value, so setting it does not write into the row), sets the column text and
    // embeds the editor. A read-only row gets a disabled editor.
    QAbstractSpinBox *addSpinEditor(QTreeWidgetItem *item, const EditorSpec &spec, double value,
                                    const QString &text, bool editable = true);

    // Embeds a function button showing this icon and tool tip and stores the code as the column
    // text. A button of an editable row opens the function menu.
    QToolButton *addFunctionButton(QTreeWidgetItem *item, int column, const QIcon &icon,
                                   const QString &toolTip, const QString &code, bool editable = true);

    // Gives every column of the row the row font.
    static void finishRow(QTreeWidgetItem *item);

private:
    QTreeWidget *tree;
    ConfigsCreator *window;
    QFont font;
};

// Resizes every column of a tree that has rows to its contents.
void resizeColumnsToContents(QTreeWidget *tree);

// The tree and item an embedded editor belongs to, or none. The editor's position is tried first
// and checked against the cell the editor sits in (its geometry is stale while its tree has not
// been laid out), then the rows are searched.
QTreeWidgetItem *itemOfEditor(const QWidget *editor, int column, QTreeWidget **tree = nullptr);

} // namespace TreeRows
