#pragma once

#include "datablocks.h"
#include "functioncatalogue.h"
#include "treerows.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QObject;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Where the rows of a tree keep the code their function button shows, and which functions the
// button's menu offers.
struct FunctionColumn
{
    int column = 0;
    Functions::Context context = Functions::Context::GpioPin;
};

// One tab of the builder window, given only its own widgets. The window keeps its tabs in one
// table keyed by section; loading, saving and clearing are loops over that table.
class Tab
{
public:
    Tab() = default;
    virtual ~Tab();
    Tab(const Tab &) = delete;
    Tab &operator=(const Tab &) = delete;

    // Replaces the rows by those of a block; a block the tab cannot use leaves the tab as it was.
    virtual void fill(const QByteArray &block) = 0;
    // The tab's block, as its own file and its section of the model-id file hold it.
    virtual QByteArray serialize() const = 0;
    // Empties the tab, as the load of a model-id file starts.
    virtual void clear() = 0;

    // The button below the tab's tree, if it has one, and what it does: make the rows from the
    // other tabs, or from the register count.
    virtual QAbstractButton *button() const;
    virtual void derive();

    // The function column of this tree's rows, when the tree is the tab's and its rows have
    // function buttons.
    virtual std::optional<FunctionColumn> functionColumn(const QTreeWidget *tree) const;

    // What a finding about the tab names: the rows that make its block's records, in record
    // order; the row of a pin (the pin tab's); the tree a finding about the whole tab shows.
    virtual QVector<QTreeWidgetItem *> recordRows() const;
    virtual QTreeWidgetItem *pinRow(quint32 pin) const;
    virtual QTreeWidget *tree() const;
};

// A tab of one tree with a count label and a button below it: every tab but the pin tab.
class ListTab : public Tab
{
public:
    struct Widgets
    {
        QTreeWidget *tree = nullptr;
        QLabel *count = nullptr;
        QPushButton *button = nullptr;
    };

    // The receiver gets the signals of the editors in the rows: the window.
    ListTab(QObject *receiver, const Widgets &widgets);

    void clear() override;
    QAbstractButton *button() const override;
    QVector<QTreeWidgetItem *> recordRows() const override;
    QTreeWidget *tree() const override;

protected:
    // Replaces every row by the rows appendRows adds, then shows the count.
    void replaceRows(const std::function<void(TreeRows::RowBuilder &)> &appendRows);
    // After the rows are replaced: the columns fitted to a tree with rows, the label the row count.
    virtual void showCount();

    const Widgets widgets;
    QObject *const receiver;
};

// The index, gain and offset of an ADC input, in three columns side by side: the SPI ADC and the
// on-chip ADC rows show and write them alike, behind the columns that name the input.
class AdcInputColumns
{
public:
    AdcInputColumns(int indexColumn, const QString &editorName);

    const QVector<TreeRows::EditorSpec> &editors() const { return specs; }

    // A record read from a file: gain and offset in their shorter notation.
    static QVector<TreeRows::Cell> cellsOf(const AdcInputRecord &record);
    // A new input with this index: gain 1, written "1.0", and offset 0.
    static QVector<TreeRows::Cell> newInput(const TreeRows::Cell &index);

    // The tree's records by row number: gains and offsets as their texts say, also beyond the
    // editors' ranges; the index held in its editor's range; column 0 (the SPI ADC row's
    // position, the on-chip input's pin) as the port.
    QByteArray serialize(const QTreeWidget *tree) const;

private:
    QVector<TreeRows::EditorSpec> specs; // index, gain, offset
};
