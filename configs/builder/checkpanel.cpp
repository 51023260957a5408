#include "checkpanel.h"

#include "editwatcher.h"
#include "treerows.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeWidget>

namespace {
using Checks::Finding;
using Checks::Severity;

enum Column
{
    kPlaceColumn,
    kTextColumn
};

// Readable on the status bar's light grey, and told apart by their words as well.
const QColor kSoundColor(0x1b, 0x7f, 0x3b);
const QColor kErrorColor(0xc6, 0x28, 0x28);
const QColor kWarningColor(0xa8, 0x5a, 0x00);

QIcon severityIcon(const QWidget *widget, Severity severity)
{
    return widget->style()->standardIcon(severity == Severity::Error ? QStyle::SP_MessageBoxCritical
                                                                     : QStyle::SP_MessageBoxWarning);
}

// Brings every tab page that holds the widget to the top of its tab widget.
void raisePagesOf(QWidget *widget)
{
    for (QWidget *child = widget; child; child = child->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(child->parentWidget());
        if (auto *tabs = qobject_cast<QTabWidget *>(stack ? stack->parentWidget() : nullptr))
            tabs->setCurrentWidget(child);
    }
}

// The width a marked first cell needs: its icon beside its text, as the tree's delegate lays it out.
int markedCellWidth(QTreeWidget *tree, const QModelIndex &cell)
{
    QStyleOptionViewItem option;
    option.initFrom(tree->viewport());
    option.font = cell.data(Qt::FontRole).value<QFont>();
    option.decorationSize = tree->iconSize();
    option.showDecorationSelected = true;
    return tree->itemDelegate()->sizeHint(option, cell).width();
}

QModelIndex firstCellOf(QTreeWidget *tree, QTreeWidgetItem *row)
{
    if (auto *editorTree = qobject_cast<TreeRows::EditorTree *>(tree))
        return editorTree->indexOfItem(row);
    return tree->model()->index(tree->indexOfTopLevelItem(row), 0);
}
} // namespace

CheckPanel::CheckPanel(QMainWindow *window, EditWatcher &edits, TabBlocks blocks, Locate locate)
    : QObject(window), window(window), blocks(std::move(blocks)), locate(std::move(locate)),
      settle(new SettleTimer(kQuietMs, this))
{
    connect(&edits, &EditWatcher::edited, settle, &SettleTimer::poke);
    connect(settle, &SettleTimer::settled, this, &CheckPanel::checkNow);

    count = new QLabel(window);
    count->setObjectName(QStringLiteral("checkSummary"));
    count->setCursor(Qt::PointingHandCursor);
    count->installEventFilter(this);
    window->statusBar()->addPermanentWidget(count);

    dock = new QDockWidget(window);
    dock->setObjectName(QStringLiteral("checkDock"));
    list = new QTreeWidget(dock);
    list->setObjectName(QStringLiteral("findings"));
    list->setColumnCount(2);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    // Enter and a double click both activate a row.
    connect(list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const int finding = item->data(kPlaceColumn, Qt::UserRole).toInt();
        if (finding >= 0 && finding < current.size())
            goTo(current.at(finding));
    });
    dock->setWidget(list);
    window->addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide();

    menu = window->menuBar()->addMenu(QString());
    menu->setObjectName(QStringLiteral("checkMenu"));
    showAction = menu->addAction(QString());
    showAction->setObjectName(QStringLiteral("showFindings"));
    showAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(showAction, &QAction::triggered, this, &CheckPanel::showFindings);
    // The row editors' line edits take Ctrl+E for the end of the line on X11 desktops; in this
    // window it opens the findings wherever the focus is.
    qApp->installEventFilter(this);
    retranslate();
}

CheckPanel::~CheckPanel() = default;

void CheckPanel::retranslate()
{
    dock->setWindowTitle(tr("Проверка"));
    list->setHeaderLabels({tr("Место"), tr("Описание")});
    list->setAccessibleName(tr("Ошибки и предупреждения проверки"));
    list->setAccessibleDescription(tr("Enter открывает место, о котором строка"));
    count->setAccessibleDescription(tr("Итог проверки; щелчок или Ctrl+E показывает ошибки"));
    menu->setTitle(tr("Проверка"));
    showAction->setText(tr("Показать ошибки"));
    if (checked) {
        showCount();
        showList();
    }
}

bool CheckPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == window) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (showAction->shortcut().matches(QKeySequence(int(key->modifiers()) | key->key())) ==
            QKeySequence::ExactMatch) {
            event->ignore();
            return true;
        }
    }
    if (watched == count && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        showFindings();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CheckPanel::checkNow()
{
    settle->cancel();
    current = Checks::check(Configuration::configOfBlocks(blocks()));
    checked = true;
    showCount();
    showList();
    markRows();
}

void CheckPanel::showCount()
{
    int errors = 0;
    for (const Finding &finding : qAsConst(current))
        errors += finding.severity == Severity::Error ? 1 : 0;
    const int warnings = current.size() - errors;
    QColor colour = kSoundColor;
    if (current.isEmpty()) {
        count->setText(tr("Ошибок нет"));
    } else {
        count->setText(tr("Ошибок: %1, предупреждений: %2").arg(errors).arg(warnings));
        colour = errors > 0 ? kErrorColor : kWarningColor;
    }
    QPalette palette = count->palette();
    palette.setColor(QPalette::WindowText, colour);
    count->setPalette(palette);
}

void CheckPanel::showList()
{
    const QString selected = list->currentItem() ? list->currentItem()->text(kPlaceColumn) : QString();
    list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(current.size());
    for (int f = 0; f < current.size(); ++f) {
        const Finding &finding = current.at(f);
        auto *row = new QTreeWidgetItem({Checks::placeText(finding.place), finding.text});
        row->setIcon(kPlaceColumn, severityIcon(list, finding.severity));
        row->setToolTip(kPlaceColumn,
                        finding.severity == Severity::Error ? tr("ошибка") : tr("предупреждение"));
        row->setData(kPlaceColumn, Qt::UserRole, f);
        rows.append(row);
    }
    list->addTopLevelItems(rows);
    list->resizeColumnToContents(kPlaceColumn);
    // The row the user was on stays current while its finding is there.
    for (QTreeWidgetItem *row : qAsConst(rows)) {
        if (!selected.isEmpty() && row->text(kPlaceColumn) == selected) {
            list->setCurrentItem(row);
            break;
        }
    }
}

void CheckPanel::unmarkRows()
{
    for (const QPersistentModelIndex &cell : qAsConst(marked)) {
        if (!cell.isValid())
            continue;
        auto *model = const_cast<QAbstractItemModel *>(cell.model());
        model->setData(cell, QVariant(), Qt::DecorationRole);
        model->setData(cell, QVariant(), Qt::ToolTipRole);
    }
    marked.clear();
    // A width the tree has set anew since, for rows of its own, stays.
    for (const Widened &column : qAsConst(widened)) {
        if (column.tree && column.tree->columnWidth(0) == column.after)
            column.tree->setColumnWidth(0, column.before);
    }
    widened.clear();
}

void CheckPanel::markRows()
{
    unmarkRows();
    QVector<Checks::Place> places;
    places.reserve(current.size());
    for (const Finding &finding : qAsConst(current))
        places.append(finding.place);
    const QVector<FindingTarget> targets = locate(places);

    // A row named by several findings shows the worst and every text.
    struct Mark
    {
        QTreeWidget *tree;
        Severity severity;
        QStringList texts;
    };
    QHash<QTreeWidgetItem *, Mark> marks;
    QVector<QTreeWidgetItem *> order;
    for (int f = 0; f < current.size() && f < targets.size(); ++f) {
        QTreeWidgetItem *row = targets.at(f).row;
        if (!row)
            continue;
        auto it = marks.find(row);
        if (it == marks.end()) {
            it = marks.insert(row, Mark{targets.at(f).tree, current.at(f).severity, {}});
            order.append(row);
        }
        if (current.at(f).severity == Severity::Error)
            it->severity = Severity::Error;
        it->texts.append(current.at(f).text);
    }
    for (QTreeWidgetItem *row : qAsConst(order)) {
        const Mark &mark = marks[row];
        row->setIcon(0, severityIcon(mark.tree, mark.severity));
        row->setToolTip(0, mark.texts.join(QLatin1Char('\n')));
        marked.append(firstCellOf(mark.tree, row));
    }
    // The icon must not hide the row's first text: the column grows to hold both.
    QHash<QTreeWidget *, int> widths;
    for (QTreeWidgetItem *row : qAsConst(order)) {
        QTreeWidget *tree = marks[row].tree;
        const int width = markedCellWidth(tree, firstCellOf(tree, row));
        widths[tree] = qMax(widths.value(tree), width);
    }
    for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
        const int before = it.key()->columnWidth(0);
        if (it.value() <= before)
            continue;
        it.key()->setColumnWidth(0, it.value());
        widened.append({it.key(), before, it.value()});
    }
}

void CheckPanel::showFindings()
{
    dock->show();
    dock->raise();
    if (!list->currentItem() && list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    list->setFocus(Qt::ShortcutFocusReason);
}

void CheckPanel::goTo(const Finding &finding)
{
    const FindingTarget target = locate({finding.place}).value(0);
    QWidget *shown = target.tree ? static_cast<QWidget *>(target.tree) : target.page;
    if (!shown)
        return;
    raisePagesOf(shown);
    if (!target.row) {
        shown->setFocus(Qt::OtherFocusReason);
        return;
    }
    QTreeWidget *tree = target.tree;
    tree->setCurrentItem(target.row);
    if (auto *editorTree = qobject_cast<TreeRows::EditorTree *>(tree))
        editorTree->revealRow(target.row);
    else
        tree->scrollToItem(target.row);
    for (int column = 0; column < tree->columnCount(); ++column) {
        QWidget *editor = tree->itemWidget(target.row, column);
        if (editor && editor->isEnabled() && editor->focusPolicy() != Qt::NoFocus) {
            editor->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    tree->setFocus(Qt::OtherFocusReason);
}
