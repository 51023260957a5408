#pragma once

#include "checker.h"
#include "modelidfile.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QVector>
#include <functional>

class EditWatcher;
class QAction;
class QDockWidget;
class QLabel;
class QMainWindow;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class SettleTimer;

// Where a finding leads in the builder: the tab page, the tree and the row it names. A finding
// about a whole tab has no row.
struct FindingTarget
{
    QWidget *page = nullptr;
    QTreeWidget *tree = nullptr;
    QTreeWidgetItem *row = nullptr;
};

// The builder's check of its own tabs while they are edited: the checker's findings on the blocks
// the tabs would write, counted in the status bar, listed in a dock and marked on the rows they
// name; a finding leads to its row. It checks once the edits have paused, never while typing.
class CheckPanel final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kQuietMs = 250;

    using TabBlocks = std::function<ModelIdFile::SectionBlocks()>;
    using Locate = std::function<QVector<FindingTarget>(const QVector<Checks::Place> &)>;

    CheckPanel(QMainWindow *window, EditWatcher &edits, TabBlocks blocks, Locate locate);
    ~CheckPanel() override;
    CheckPanel(const CheckPanel &) = delete;
    CheckPanel &operator=(const CheckPanel &) = delete;

    // Checks at once instead of when the edits have paused.
    void checkNow();
    const QVector<Checks::Finding> &findings() const { return current; }

    // The dock with the list, the keyboard focus on its first row.
    void showFindings();
    // The finding's tab (and connector page) on top, its row selected and in view, the keyboard
    // focus on the row's first editor that takes it.
    void goTo(const Checks::Finding &finding);

    void retranslate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showCount();
    void showList();
    void markRows();
    void unmarkRows();

    QMainWindow *const window;
    const TabBlocks blocks;
    const Locate locate;
    SettleTimer *settle = nullptr;
    QLabel *count = nullptr;
    QDockWidget *dock = nullptr;
    QTreeWidget *list = nullptr;
    QMenu *menu = nullptr;
    QAction *showAction = nullptr;
    QVector<Checks::Finding> current;
    bool checked = false;
    QVector<QPersistentModelIndex> marked;
    // Trees whose first column was widened for the marks: the width it had and the one it got.
    struct Widened
    {
        QPointer<QTreeWidget> tree;
        int before;
        int after;
    };
    QVector<Widened> widened;
};
