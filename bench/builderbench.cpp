// Times the builder window: opening it (construct, fill, show) with and without the widgets
// embedded in its pin trees, and filling a visible tree with the largest register list the
// window can build, with and without hiding the tree while it fills.
#include "configscreator.h"
#include "pinmap.h"
#include "treerows.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kLargestRegisterRows = 99 * 8;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Construct, fill and show, as the main window opens the builder.
double openBuilder()
{
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<ConfigsCreator>();
    window->fillAllTabs();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "window not exposed\n");
    QCoreApplication::processEvents();
    const double ms = elapsedMs(timer);
    window.reset();
    settle();
    return ms;
}

// The same window with the same pin rows, but text only: the cost of everything but the editors.
double openBuilderWithoutEditors()
{
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<ConfigsCreator>();
    const QList<PinMap> maps = {Pins::buildPinMap(PinGroup::X6), Pins::buildPinMap(PinGroup::X7),
                                Pins::buildPinMap(PinGroup::X8), Pins::buildPinMap(PinGroup::X9),
                                Pins::buildPinMap(PinGroup::NoX)};
    const QStringList suffixes = {"", "_2", "_3", "_4", "_5"};
    for (int page = 0; page < maps.size(); ++page) {
        for (bool left : {true, false}) {
            auto *tree = window->findChild<QTreeWidget *>(
                (left ? QStringLiteral("portsLeftGpio") : QStringLiteral("portsRightGpio")) +
                suffixes.at(page));
            TreeRows::RowBuilder rows(tree, window.get());
            int position = 0;
            for (auto it = maps.at(page).cbegin(); it != maps.at(page).cend(); ++it, ++position) {
                if (left != (position < Pins::kLeftColumnRows))
                    continue;
                TreeRows::RowBuilder::finishRow(rows.appendRow({QString::number(it.key().number), it.value(),
                                                                QStringLiteral("0"), QStringLiteral("0")}));
            }
            TreeRows::resizeColumnsToContents(tree);
        }
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "window not exposed\n");
    QCoreApplication::processEvents();
    const double ms = elapsedMs(timer);
    window.reset();
    settle();
    return ms;
}

// Rows of three spin boxes (index, gain, offset) on the external ADC tree while it is on screen.
double fillVisibleRegisterTree(int rows, bool hideWhileFilling)
{
    ConfigsCreator window;
    window.fillAllTabs();
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabsConfuration"));
    tabs->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("adcRegConfig")));
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("portsAdcReg"));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !tree->isVisible())
        std::fprintf(stderr, "tree not visible\n");
    QCoreApplication::processEvents();

    const TreeRows::EditorSpec index{1, 1, 65535, 0, QStringLiteral("adcReg")};
    const TreeRows::EditorSpec gain{2, 0.000001, 127, 6, QStringLiteral("adcReg")};
    const TreeRows::EditorSpec offset{3, -127, 127, 6, QStringLiteral("adcReg")};
    QElapsedTimer timer;
    timer.start();
    {
        std::unique_ptr<TreeRows::FillGuard> guard;
        if (hideWhileFilling)
            guard = std::make_unique<TreeRows::FillGuard>(tree);
        TreeRows::RowBuilder builder(tree, &window);
        for (int row = 0; row < rows; ++row) {
            QTreeWidgetItem *item = builder.appendRow({QString::number(row + 1)});
            builder.addSpinEditor(item, index, {1, QStringLiteral("1")});
            builder.addSpinEditor(item, gain, {1, QStringLiteral("1.0")});
            builder.addSpinEditor(item, offset, {0, QStringLiteral("0")});
            TreeRows::RowBuilder::finishRow(item);
        }
        TreeRows::resizeColumnsToContents(tree);
    }
    QCoreApplication::processEvents();
    const double ms = elapsedMs(timer);
    if (tree->topLevelItemCount() != rows || !tree->isVisible())
        std::fprintf(stderr, "unexpected tree state\n");
    return ms;
}

std::vector<double> repeat(int runs, const std::function<double()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(run());
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    openBuilder(); // warm-up: icons, fonts, style
    const std::vector<double> withEditors = repeat(kRuns, openBuilder);
    const std::vector<double> withoutEditors = repeat(kRuns, openBuilderWithoutEditors);

    std::printf("Builder window: construct + fillAllTabs + show (median of %d runs, ms)\n", kRuns);
    std::printf("  %-34s %10s %10s\n", "variant", "median", "min");
    std::printf("  %-34s %10.1f %10.1f\n", "96 pin rows with editors", median(withEditors),
                *std::min_element(withEditors.begin(), withEditors.end()));
    std::printf("  %-34s %10.1f %10.1f\n", "96 pin rows, text only", median(withoutEditors),
                *std::min_element(withoutEditors.begin(), withoutEditors.end()));
    std::printf("  goal: under 300 ms -> %s\n\n", median(withEditors) < 300.0 ? "met" : "NOT MET");

    std::printf("Filling a visible tree, three spin boxes per row (ms)\n");
    std::printf("  %8s %16s %16s\n", "rows", "tree visible", "tree hidden");
    for (int rows : {100, 200, 400, kLargestRegisterRows}) {
        const double visible = fillVisibleRegisterTree(rows, false);
        const double hidden = median(repeat(3, [rows] { return fillVisibleRegisterTree(rows, true); }));
        std::printf("  %8d %16.1f %16.1f\n", rows, visible, hidden);
        std::fflush(stdout);
    }
    return 0;
}
