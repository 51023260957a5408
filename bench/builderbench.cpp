// Times the builder window as its user waits for it: opening the window, the register tabs'
// "Применить" at growing register counts, the buttons that derive a tab from the pin and register
// tabs, saving and loading the largest configuration, and the largest per-tab file. Every
// operation runs on a shown window with its tab on top and is timed up to the end of the events it
// leaves behind, so layout, painting and the deletion of dropped editors count. The configuration
// report of the largest configuration is timed on the window's blocks alone.
#include "builderkit.h"
#include "checker.h"
#include "checkpanel.h"
#include "configscreator.h"
#include "datablocks.h"
#include "gpiotab.h"
#include "modalseam.h"
#include "pinmap.h"
#include "report.h"
#include "treerows.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kOpenRuns = 5;
constexpr int kRuns = 5;
constexpr int kRowsPerRegister = 8;
constexpr int kMaxRegisters = 99;
constexpr int kFillRecords = 800;
constexpr int kAvailablePins = 82;
constexpr double kGoalMs = 500.0;
// Per-row time counts as flat while the largest size costs less than this many times per row as
// the smallest. A press has a fixed cost too, so small sizes cost more per row: what must not
// happen is per-row time growing with the rows.
constexpr double kFlatRatio = 2.0;

// --- Timing ---

void settle()
{
    // Inside the event loop, editors dropped by a click are deleted on the loop's next pass;
    // outside it they wait until asked for.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

double timedMs(const std::function<void()> &operation)
{
    QElapsedTimer timer;
    timer.start();
    operation();
    settle();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each run starts from the state prepare leaves, which is not timed.
double medianMs(const std::function<void()> &prepare, const std::function<void()> &operation)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        settle();
        times.push_back(timedMs(operation));
    }
    return median(times);
}

double usPerRow(double ms, int rows)
{
    return rows > 0 ? ms * 1000.0 / rows : 0.0;
}

// Per-row time at the largest size over per-row time at the smallest.
double growth(double smallestUsPerRow, double largestUsPerRow)
{
    return smallestUsPerRow > 0.0 ? largestUsPerRow / smallestUsPerRow : 0.0;
}

const char *flatVerdict(double ratio)
{
    return ratio < kFlatRatio ? "flat" : "NOT flat";
}

// The slowest operation of a section, against the goal.
class Goal
{
public:
    void add(double ms, const QString &what)
    {
        if (ms > worstMs) {
            worstMs = ms;
            worstWhat = what;
        }
    }

    void print() const
    {
        std::printf("  goal: every operation under %.0f ms -> %s (slowest: %s, %.1f ms)\n", kGoalMs,
                    worstMs < kGoalMs ? "met" : "NOT MET", qPrintable(worstWhat), worstMs);
    }

private:
    double worstMs = 0.0;
    QString worstWhat;
};

// --- Checks: a figure is only worth something if the operation did what it should ---

void warn(const QString &message)
{
    std::printf("  WARNING: %s\n", qPrintable(message));
}

void expectRows(const QTreeWidget *tree, int expected, const QString &what)
{
    const int rows = tree ? tree->topLevelItemCount() : -1;
    if (rows != expected)
        warn(QStringLiteral("%1 left %2 rows, expected %3").arg(what).arg(rows).arg(expected));
}

void showExposed(QWidget &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        warn(QStringLiteral("window not exposed"));
}

// The window as it opens: every tab with its initial content, on screen.
void openFilled(ConfigsCreator &window)
{
    window.fillAllTabs();
    showExposed(window);
    settle();
}

QTreeWidget *tabOnTop(ConfigsCreator &window, const QString &page, const QString &treeName)
{
    BuilderKit::showTab(window, page);
    settle();
    QTreeWidget *tree = BuilderKit::tree(window, treeName);
    if (!tree || !tree->isVisible())
        warn(QStringLiteral("%1 is not on screen").arg(treeName));
    return tree;
}

// --- Sources ---

// The first `count` pins that can be used, each with the code and its number plus one as index.
QByteArray pinBlock(int code, int count)
{
    QMap<int, QPair<int, int>> pins;
    for (int pin = 0; pin < Pins::kPinCount && pins.size() < count; ++pin) {
        if (!Pins::isUnavailable(quint32(pin)))
            pins.insert(pin, {pin + 1, code});
    }
    if (pins.size() != count)
        warn(QStringLiteral("only %1 usable pins, wanted %2").arg(pins.size()).arg(count));
    return BuilderKit::gpioBlock(pins);
}

struct RegisterTab
{
    const char *label;
    const char *page;
    const char *name; // as in NumDoRegisters
    const char *tree;
    bool adc;     // its rows carry gain and offset, no code
    int linkCode; // the code that makes a row a link; every ADC row makes one
    void (ConfigsCreator::*fill)(const QByteArray &);
};

const std::array<RegisterTab, 3> kRegisterTabs = {{
    {"SPI DO", "doRegConfig", "Do", "portsDoReg", false, 4, &ConfigsCreator::fillDoRegTab},
    {"SPI DI", "diRegConfig", "Di", "portsDiReg", false, 1, &ConfigsCreator::fillDiRegTab},
    {"SPI ADC", "adcRegConfig", "Adc", "portsAdcReg", true, 0, &ConfigsCreator::fillAdcRegTab},
}};

// Rows that each make a link.
QByteArray registerBlock(const RegisterTab &tab, int rows)
{
    if (tab.adc) {
        QVector<AdcInputRecord> records;
        for (int row = 0; row < rows; ++row)
            records.append({1.0f, 0.0f, quint16(row + 1), quint16(row + 1)});
        return Blocks::encodeRecords(records);
    }
    QVector<RegPortRecord> records;
    for (int row = 0; row < rows; ++row)
        records.append({quint16(row + 1), quint16(tab.linkCode)});
    return Blocks::encodeRecords(records);
}

void fillRegisterTab(ConfigsCreator &window, const RegisterTab &tab, int rows)
{
    (window.*tab.fill)(registerBlock(tab, rows));
}

// --- Opening the window ---

double openBuilder()
{
    std::unique_ptr<ConfigsCreator> window;
    const double ms = timedMs([&window] {
        window = std::make_unique<ConfigsCreator>();
        window->fillAllTabs();
        showExposed(*window);
    });
    window.reset();
    settle();
    return ms;
}

// The same pin rows as text only: the cost of everything but the editors.
void fillPinTreesWithText(ConfigsCreator &window)
{
    const auto *boosterPacks = BuilderKit::child<QTabWidget>(window, QStringLiteral("boosterPacks"));
    for (const GpioTab::PageTree &pageTree : GpioTab::pageTrees(boosterPacks)) {
        const PinMap pins = Pins::buildPinMap(GpioTab::groupOfPage(pageTree.page->objectName()));
        TreeRows::RowBuilder rows(pageTree.tree, &window);
        int position = 0;
        for (auto it = pins.cbegin(); it != pins.cend(); ++it, ++position) {
            if (pageTree.left != (position < Pins::kLeftColumnRows))
                continue;
            TreeRows::RowBuilder::finishRow(rows.appendRow(
                {QString::number(it.key().number), it.value(), QStringLiteral("0"), QStringLiteral("0")}));
        }
        TreeRows::resizeColumnsToContents(pageTree.tree);
    }
}

double openBuilderWithoutEditors()
{
    std::unique_ptr<ConfigsCreator> window;
    const double ms = timedMs([&window] {
        window = std::make_unique<ConfigsCreator>();
        fillPinTreesWithText(*window);
        showExposed(*window);
    });
    window.reset();
    settle();
    return ms;
}

void benchOpening()
{
    openBuilder(); // warm-up: icons, fonts, style
    std::vector<double> withEditors;
    std::vector<double> withoutEditors;
    for (int run = 0; run < kOpenRuns; ++run) {
        withEditors.push_back(openBuilder());
        withoutEditors.push_back(openBuilderWithoutEditors());
    }
    std::printf("Builder window: construct + fillAllTabs + show (median of %d runs, ms)\n", kOpenRuns);
    std::printf("  %-34s %10s %10s\n", "variant", "median", "min");
    std::printf("  %-34s %10.1f %10.1f\n", "96 pin rows with editors", median(withEditors),
                *std::min_element(withEditors.begin(), withEditors.end()));
    std::printf("  %-34s %10.1f %10.1f\n", "96 pin rows, text only", median(withoutEditors),
                *std::min_element(withoutEditors.begin(), withoutEditors.end()));
    std::printf("  goal: under 300 ms -> %s\n\n", median(withEditors) < 300.0 ? "met" : "NOT MET");
}

// --- Register tabs ---

// marginalUs: the cost of each row beyond the previous size, which leaves out what a press costs
// whatever its size; none (negative) where there is no previous size.
void printOperation(const RegisterTab &tab, const QString &operation, int rows, double ms, double marginalUs)
{
    std::printf("  %-8s %-28s %6d %10.1f %10.1f", tab.label, qPrintable(operation), rows, ms,
                usPerRow(ms, rows));
    if (marginalUs >= 0.0)
        std::printf(" %12.1f", marginalUs);
    std::printf("\n");
    std::fflush(stdout);
}

void benchRegisterTab(ConfigsCreator &window, const RegisterTab &tab, Goal &goal,
                      std::vector<double> &growths)
{
    QTreeWidget *tree = tabOnTop(window, tab.page, tab.tree);
    const auto apply = [&window, &tab](int registers) {
        BuilderKit::applyRegisters(window, tab.name, registers);
    };
    // Rows changed: added or removed, whichever the operation does; rows left: what the tab must show after.
    const auto record = [&](const QString &operation, int rowsChanged, int rowsLeft, double ms,
                            double marginalUs) {
        expectRows(tree, rowsLeft, QStringLiteral("%1 %2").arg(tab.label, operation));
        printOperation(tab, operation, rowsChanged, ms, marginalUs);
        goal.add(ms, QStringLiteral("%1 %2").arg(tab.label, operation));
    };

    std::vector<double> perRow;
    int previousRows = 0;
    double previousMs = 0.0;
    for (int registers : {1, 2, 5, 10, 25, 50, kMaxRegisters}) {
        const int rows = registers * kRowsPerRegister;
        const double ms = medianMs([&apply] { apply(0); }, [&apply, registers] { apply(registers); });
        const double marginalUs = previousRows > 0 ? usPerRow(ms - previousMs, rows - previousRows) : -1.0;
        record(QStringLiteral("add: registers 0 -> %1").arg(registers), rows, rows, ms, marginalUs);
        perRow.push_back(usPerRow(ms, rows));
        previousRows = rows;
        previousMs = ms;
    }
    record(QStringLiteral("remove: registers %1 -> 1").arg(kMaxRegisters),
           (kMaxRegisters - 1) * kRowsPerRegister, kRowsPerRegister,
           medianMs([&apply] { apply(kMaxRegisters); }, [&apply] { apply(1); }), -1.0);
    record(QStringLiteral("fill from %1 records").arg(kFillRecords), kFillRecords, kFillRecords,
           medianMs([&apply] { apply(0); }, [&window, &tab] { fillRegisterTab(window, tab, kFillRecords); }),
           -1.0);

    growths.push_back(growth(perRow.front(), perRow.back()));
    std::printf("  %-8s us/row at %d registers over us/row at 1: %.2f -> %s\n\n", tab.label, kMaxRegisters,
                growths.back(), flatVerdict(growths.back()));
    apply(0);
}

void benchRegisterTabs()
{
    ConfigsCreator window;
    openFilled(window);

    std::printf("Register tabs: the register count's \"Применить\", tab on screen (median of %d runs)\n",
                kRuns);
    std::printf("  %-8s %-28s %6s %10s %10s %12s\n", "tab", "operation", "rows", "ms", "us/row", "marginal");
    std::printf(
        "  (rows: rows added or removed; us/row: per such row; marginal: us per row added beyond the\n"
        "   previous size)\n");
    Goal goal;
    std::vector<double> growths;
    for (const RegisterTab &tab : kRegisterTabs)
        benchRegisterTab(window, tab, goal, growths);
    goal.print();
    const double worst = *std::max_element(growths.begin(), growths.end());
    std::printf(
        "  goal: us/row flat as the tab grows (99 registers over 1 under %.0f) -> %s (worst ratio %.2f)\n\n",
        kFlatRatio, worst < kFlatRatio ? "met" : "NOT MET", worst);
}

// --- Tabs derived from the pin and register tabs ---

struct DerivedTab
{
    const char *label;
    const char *page;
    const char *button;
    const char *tree;
    int pinCode;        // the pin code that makes a row
    bool fromRegisters; // register rows make rows too
};

const std::array<DerivedTab, 4> kLinkTabs = {{
    {"DO links", "doLinksConfigs", "AcceptLinksDo", "linksDo", 4, true},
    {"DI links", "diLinksConfigs", "AcceptLinksDi", "linksDi", 1, true},
    {"AI links", "aiLinksConfigs", "AcceptLinksAi", "linksAi", 7, true},
    {"AO links", "aoLinksConfigs", "AcceptLinksAo", "linksAo", 8, false},
}};

const std::array<DerivedTab, 2> kPinTabs = {{
    {"ADC", "adcTiConfig", "AcceptNumAdcTiInputs", "portsAdcTi", 7, false},
    {"PWM", "pwmConfig", "AcceptNumPwmOutputs", "portsPwm", 8, false},
}};

// Pins given the tab's code, and registers on every register tab whose rows all make links.
struct Source
{
    int pins;
    int registers;
};

constexpr Source kFullSource{kAvailablePins, kMaxRegisters};
constexpr Source kSmallSource{10, 1};

int expectedRows(const DerivedTab &tab, const Source &source)
{
    return source.pins + (tab.fromRegisters ? source.registers * kRowsPerRegister : 0);
}

struct Derivation
{
    int rows;
    double ms;
};

Derivation timeDerivation(ConfigsCreator &window, const DerivedTab &tab, const Source &source)
{
    window.fillGpioTab(pinBlock(tab.pinCode, source.pins));
    for (const RegisterTab &registerTab : kRegisterTabs)
        fillRegisterTab(window, registerTab, source.registers * kRowsPerRegister);
    QTreeWidget *tree = tabOnTop(window, tab.page, tab.tree);
    // From an empty tab, as on the first press.
    const double ms = medianMs([tree] { TreeRows::removeRows(tree); },
                               [&window, &tab] { BuilderKit::press(window, tab.button); });
    const int rows = expectedRows(tab, source);
    expectRows(tree, rows,
               QStringLiteral("%1 from %2 pins, %3 registers")
                   .arg(tab.label)
                   .arg(source.pins)
                   .arg(source.registers));
    return {rows, ms};
}

template <std::size_t N> void benchDerivedTabs(const char *title, const std::array<DerivedTab, N> &tabs)
{
    ConfigsCreator window;
    openFilled(window);

    std::printf("%s: pressing the tab's button, tab on screen (median of %d runs)\n", title, kRuns);
    std::printf("  source: every usable pin (%d) given the code, %d registers (%d rows) per register tab;\n",
                kFullSource.pins, kFullSource.registers, kFullSource.registers * kRowsPerRegister);
    std::printf("  small: %d pins, %d register (%d rows) per register tab\n", kSmallSource.pins,
                kSmallSource.registers, kSmallSource.registers * kRowsPerRegister);
    std::printf("  %-9s %4s | %6s %9s %9s | %6s %9s %9s | %s\n", "tab", "code", "rows", "ms", "us/row",
                "small", "ms", "us/row", "us/row full/small");
    Goal goal;
    bool flat = true;
    for (const DerivedTab &tab : tabs) {
        const Derivation full = timeDerivation(window, tab, kFullSource);
        const Derivation small = timeDerivation(window, tab, kSmallSource);
        const double ratio = growth(usPerRow(small.ms, small.rows), usPerRow(full.ms, full.rows));
        flat = flat && ratio < kFlatRatio;
        goal.add(full.ms, QString::fromLatin1(tab.label));
        std::printf("  %-9s %4d | %6d %9.1f %9.1f | %6d %9.1f %9.1f | %.2f %s\n", tab.label, tab.pinCode,
                    full.rows, full.ms, usPerRow(full.ms, full.rows), small.rows, small.ms,
                    usPerRow(small.ms, small.rows), ratio, flatVerdict(ratio));
        std::fflush(stdout);
    }
    goal.print();
    std::printf(
        "  goal: us/row flat from the small to the full source (full over small under %.0f) -> %s\n\n",
        kFlatRatio, flat ? "met" : "NOT MET");
}

// --- Saving and loading the largest configuration ---

constexpr double kSaveGoalMs = 100.0;
constexpr double kLoadGoalMs = 250.0;
constexpr double kReloadGoalMs = 350.0;

// Every usable pin given a function that yields rows elsewhere, 99 registers on each register tab
// whose rows all make links, and every derived tab made from them.
void buildLargestConfiguration(ConfigsCreator &window)
{
    const QVector<int> codes = {7, 8, 4, 1}; // on-chip ADC, PWM, DO link, DI link
    QMap<int, QPair<int, int>> pins;
    for (int pin = 0; pin < Pins::kPinCount; ++pin) {
        if (!Pins::isUnavailable(quint32(pin)))
            pins.insert(pin, {pin + 1, codes.at(pins.size() % codes.size())});
    }
    window.fillGpioTab(BuilderKit::gpioBlock(pins));
    for (const RegisterTab &tab : kRegisterTabs)
        fillRegisterTab(window, tab, kMaxRegisters * kRowsPerRegister);
    for (const char *button : {"AcceptNumAdcTiInputs", "AcceptNumPwmOutputs", "AcceptLinksDo",
                               "AcceptLinksDi", "AcceptLinksAi", "AcceptLinksAo"})
        BuilderKit::press(window, QLatin1String(button));
}

int rowsOfAllTabs(const ConfigsCreator &window)
{
    int rows = 0;
    for (const QTreeWidget *tree : window.findChildren<QTreeWidget *>())
        rows += tree->topLevelItemCount();
    return rows;
}

void benchSaveAndLoad()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ModelId_0.vmc"));
    // Every question answered at once: this folder, replace, Ok.
    ModalSeam::setHandler([&folder, &path](const ModalSeam::Request &request) {
        ModalSeam::Answer answer;
        answer.path = folder.path();
        answer.paths = QStringList{path};
        answer.button = request.icon == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok;
        return answer;
    });

    ConfigsCreator source;
    openFilled(source);
    buildLargestConfiguration(source);
    settle();
    const int rows = rowsOfAllTabs(source);
    const double saveMs = medianMs([] {}, [&source] { source.saveToModelIdFile(); });
    const qint64 fileSize = QFileInfo(path).size();

    // Into a window just opened, as after closing the builder and opening a new one; then over
    // the same configuration already loaded, which first drops every row.
    const auto checkRows = [rows](const ConfigsCreator &target) {
        if (rowsOfAllTabs(target) != rows)
            warn(QStringLiteral("the load made %1 rows, the saved window had %2")
                     .arg(rowsOfAllTabs(target))
                     .arg(rows));
    };
    std::vector<double> freshLoads;
    for (int run = 0; run < kRuns; ++run) {
        ConfigsCreator target;
        openFilled(target);
        freshLoads.push_back(timedMs([&target] { target.on_loadConfigs_clicked(); }));
        checkRows(target);
    }
    const double loadMs = median(freshLoads);
    ConfigsCreator target;
    openFilled(target);
    target.on_loadConfigs_clicked();
    settle();
    const double reloadMs = medianMs([] {}, [&target] { target.on_loadConfigs_clicked(); });
    checkRows(target);
    ModalSeam::setHandler({});

    std::printf(
        "The largest configuration: model-id file of %lld bytes, %d rows in all tabs (median of %d runs)\n",
        fileSize, rows, kRuns);
    std::printf("  save (every writer, one file)          %8.1f ms   goal: under %.0f ms -> %s\n", saveMs,
                kSaveGoalMs, saveMs < kSaveGoalMs ? "met" : "NOT MET");
    std::printf("  load into a window just opened         %8.1f ms   goal: under %.0f ms -> %s\n", loadMs,
                kLoadGoalMs, loadMs < kLoadGoalMs ? "met" : "NOT MET");
    std::printf("  load again over the loaded rows        %8.1f ms   goal: under %.0f ms -> %s\n\n", reloadMs,
                kReloadGoalMs, reloadMs < kReloadGoalMs ? "met" : "NOT MET");
}

// --- The window's own check while it is edited ---

constexpr double kCheckGoalMs = 20.0;
constexpr double kCurrentGoalMs = 500.0;
constexpr int kCheckRuns = 15;

// From an edit to the status bar saying what the edit brought, on a shown window: the pause the
// check waits for, the check, and the label's update.
double msUntilSummaryChanges(ConfigsCreator &window, const std::function<void()> &edit)
{
    const auto *summary = BuilderKit::child<QLabel>(window, QStringLiteral("checkSummary"));
    const QString before = summary->text();
    QElapsedTimer timer;
    timer.start();
    edit();
    while (summary->text() == before && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    if (summary->text() == before)
        warn(QStringLiteral("the summary still says \"%1\"").arg(before));
    return double(timer.nsecsElapsed()) / 1e6;
}

void benchCheck()
{
    ConfigsCreator window;
    openFilled(window);
    buildLargestConfiguration(window);
    settle();
    const int rows = rowsOfAllTabs(window);
    CheckPanel &panel = window.checkPanel();

    std::vector<double> blocks;
    std::vector<double> rules;
    std::vector<double> whole;
    for (int run = 0; run < kCheckRuns; ++run) {
        ModelIdFile::SectionBlocks tabs;
        blocks.push_back(timedMs([&window, &tabs] { tabs = window.blocks(); }));
        rules.push_back(timedMs([&tabs] { Checks::check(Configuration::configOfBlocks(tabs)); }));
        whole.push_back(timedMs([&panel] { panel.checkNow(); }));
    }
    const int findings = panel.findings().size();

    // A pin given the function it has, then another: each edit changes what the check says.
    QTreeWidgetItem *pin = BuilderKit::pinRow(window, 48);
    std::vector<double> current;
    for (int run = 0; run < 5; ++run) {
        current.push_back(msUntilSummaryChanges(window, [pin] { pin->setText(GpioTab::kCodeColumn, "0"); }));
        current.push_back(msUntilSummaryChanges(window, [pin] { pin->setText(GpioTab::kCodeColumn, "7"); }));
    }

    std::printf(
        "The window's own check: the largest configuration, %d rows, %d findings (median of %d runs)\n", rows,
        findings, kCheckRuns);
    std::printf("  the tabs' blocks                     %8.2f ms\n", median(blocks));
    std::printf("  the checker on them                  %8.2f ms\n", median(rules));
    std::printf("  check, list and marks                %8.2f ms   goal: under %.0f ms -> %s\n",
                median(whole), kCheckGoalMs, median(whole) < kCheckGoalMs ? "met" : "NOT MET");
    const double slowest = *std::max_element(current.begin(), current.end());
    std::printf(
        "  edit to a current status bar         %8.1f ms   (slowest of %zu: %.1f ms; the check waits %d ms "
        "for the edits to pause)\n",
        median(current), current.size(), slowest, CheckPanel::kQuietMs);
    std::printf("  goal: current within %.0f ms -> %s\n\n", kCurrentGoalMs,
                slowest < kCurrentGoalMs ? "met" : "NOT MET");
}

// --- The configuration report of the largest configuration ---

constexpr double kReportGoalMs = 200.0;
constexpr int kReportGoalBytes = 1000 * 1000;

// A pure function of the blocks: timed without the event loop.
double pureMs(const std::function<void()> &operation)
{
    QElapsedTimer timer;
    timer.start();
    operation();
    return double(timer.nsecsElapsed()) / 1e6;
}

void benchReport()
{
    ConfigsCreator window;
    openFilled(window);
    buildLargestConfiguration(window);
    settle();
    const int rows = rowsOfAllTabs(window);
    // As the builder's own report takes the window's state.
    const Configuration::ConfigFile config = Configuration::configOfBlocks(window.blocks());
    Report::Meta meta;
    meta.tool = QStringLiteral("velmora-builderbench");
    meta.generated = QDateTime::currentDateTime();
    meta.modelId = 0;

    QByteArray html;
    QByteArray csv;
    std::vector<double> htmlTimes;
    std::vector<double> csvTimes;
    for (int run = 0; run < kCheckRuns; ++run) {
        htmlTimes.push_back(pureMs([&] { html = Report::html(config, meta); }));
        csvTimes.push_back(pureMs([&] { csv = Report::csv(config); }));
    }
    if (html.count("class=\"pin\"") != Pins::kPinCount)
        warn(QStringLiteral("the report draws %1 pins").arg(html.count("class=\"pin\"")));
    // Every row of the tabs but the pins' is a table row with an anchor; the pins' rows have none.
    const int tableRows = html.count("<tr id=\"") + Pins::kPinCount;
    if (tableRows != rows)
        warn(QStringLiteral("the report's tables hold %1 rows, the window %2").arg(tableRows).arg(rows));
    if (csv.count("\r\n") != Pins::kPinCount + 1)
        warn(QStringLiteral("the CSV has %1 lines").arg(csv.count("\r\n")));

    const double htmlMs = median(htmlTimes);
    const double csvMs = median(csvTimes);
    std::printf("The configuration report: the largest configuration's blocks, %d rows (median of %d runs)\n",
                rows, kCheckRuns);
    std::printf("  html()                               %8.2f ms  %8d bytes\n", htmlMs, int(html.size()));
    std::printf("  csv()                                %8.2f ms  %8d bytes\n", csvMs, int(csv.size()));
    const bool met = htmlMs < kReportGoalMs && html.size() < kReportGoalBytes && csvMs < kReportGoalMs &&
                     csv.size() < kReportGoalBytes;
    std::printf("  goal: each under %.0f ms and %d bytes -> %s\n\n", kReportGoalMs, kReportGoalBytes,
                met ? "met" : "NOT MET");
}

// --- A large per-tab file: its rows loaded, replaced and dropped with the window ---

// The most link records a per-tab file may hold.
constexpr int kLargeFileRows = Blocks::kMaxBlockSize / Blocks::kDigitalLinkRecordSize;
constexpr int kSmallFileRows = 800;
constexpr int kLargeFileRuns = 5;
constexpr double kLargeFileLoadGoalMs = 500.0;
// Far above the limit: as large as the file that once froze the window.
constexpr int kRefusedFileRows = 80000;

void writeLinkFile(const QString &path, int rows)
{
    QVector<DigitalLinkRecord> records;
    for (int row = 0; row < rows; ++row)
        records.append({quint16(row + 1), quint8(row % 3 + 1), 0});
    QFile file(path);
    const QByteArray bytes = Blocks::encodeRecords(records);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        warn(QStringLiteral("cannot write %1").arg(path));
}

struct LargeFileTimes
{
    std::vector<double> load;
    std::vector<double> reload;
    std::vector<double> close;
};

// One window as its user goes through it: opened, the file loaded, loaded again over its own rows,
// closed. Only the last three are timed.
void runLargeFile(int rows, LargeFileTimes &times)
{
    auto *window = new ConfigsCreator;
    // As the main window opens it: closing deletes it.
    QObject::connect(window, &ConfigsCreator::finished, window, &QObject::deleteLater);
    openFilled(*window);
    QTreeWidget *tree = tabOnTop(*window, QStringLiteral("diLinksConfigs"), QStringLiteral("linksDi"));
    times.load.push_back(timedMs([window] { window->on_loadConfigs_clicked(); }));
    expectRows(tree, rows, QStringLiteral("load of %1 link records").arg(rows));
    times.reload.push_back(timedMs([window] { window->on_loadConfigs_clicked(); }));
    expectRows(tree, rows, QStringLiteral("second load of %1 link records").arg(rows));
    const QPointer<ConfigsCreator> alive(window);
    times.close.push_back(timedMs([window] { window->close(); }));
    if (alive)
        warn(QStringLiteral("the closed window was not deleted"));
}

double refuseMs(const QString &path)
{
    ConfigsCreator window;
    openFilled(window);
    QTreeWidget *tree = tabOnTop(window, QStringLiteral("diLinksConfigs"), QStringLiteral("linksDi"));
    writeLinkFile(path, kRefusedFileRows);
    const double ms = timedMs([&window] { window.on_loadConfigs_clicked(); });
    expectRows(tree, 0, QStringLiteral("a file of %1 link records").arg(kRefusedFileRows));
    return ms;
}

void benchLargeFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("digitalInputs.vmc"));
    int boxes = 0;
    ModalSeam::setHandler([&path, &boxes](const ModalSeam::Request &request) {
        if (request.kind == ModalSeam::Kind::MessageBox)
            ++boxes;
        ModalSeam::Answer answer;
        answer.paths = QStringList{path};
        answer.button = QMessageBox::Ok;
        return answer;
    });

    std::printf("A large per-tab file: \"digitalInputs.vmc\" loaded into a window just opened, loaded again\n"
                "over its rows, then the window closed (tab on screen, median of %d runs)\n",
                kLargeFileRuns);
    std::printf("  %-12s | %6s %9s %9s | %6s %9s %9s | %s\n", "operation", "rows", "ms", "us/row", "rows",
                "ms", "us/row", "us/row large/small");
    LargeFileTimes small;
    LargeFileTimes large;
    for (int run = 0; run < kLargeFileRuns; ++run) {
        writeLinkFile(path, kSmallFileRows);
        runLargeFile(kSmallFileRows, small);
        writeLinkFile(path, kLargeFileRows);
        runLargeFile(kLargeFileRows, large);
    }
    if (boxes != 0)
        warn(QStringLiteral("%1 message boxes while loading files within the limit").arg(boxes));
    bool flat = true;
    const auto print = [&flat](const char *operation, const std::vector<double> &smallMs,
                               const std::vector<double> &largeMs) {
        const double smallUs = usPerRow(median(smallMs), kSmallFileRows);
        const double largeUs = usPerRow(median(largeMs), kLargeFileRows);
        const double ratio = growth(smallUs, largeUs);
        flat = flat && ratio < kFlatRatio;
        std::printf("  %-12s | %6d %9.1f %9.1f | %6d %9.1f %9.1f | %.2f %s\n", operation, kSmallFileRows,
                    median(smallMs), smallUs, kLargeFileRows, median(largeMs), largeUs, ratio,
                    flatVerdict(ratio));
        std::fflush(stdout);
    };
    print("load", small.load, large.load);
    print("load again", small.reload, large.reload);
    print("close", small.close, large.close);
    std::printf("  goal: us/row at %d rows within %.0fx that at %d rows -> %s\n", kLargeFileRows, kFlatRatio,
                kSmallFileRows, flat ? "met" : "NOT MET");
    const double largeLoadMs = median(large.load);
    std::printf("  goal: %d rows loaded into a window just opened under %.0f ms -> %s (%.1f ms)\n",
                kLargeFileRows, kLargeFileLoadGoalMs, largeLoadMs < kLargeFileLoadGoalMs ? "met" : "NOT MET",
                largeLoadMs);

    boxes = 0;
    const double refused = refuseMs(path);
    if (boxes != 1)
        warn(QStringLiteral("%1 message boxes for a file above the limit, expected 1").arg(boxes));
    std::printf("  a file of %d link records (%d bytes) refused in %.1f ms\n\n", kRefusedFileRows,
                kRefusedFileRows * Blocks::kDigitalLinkRecordSize, refused);
    ModalSeam::setHandler({});
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // Sections by name, all of them when none is named.
    const QStringList only = QCoreApplication::arguments().mid(1);
    const auto wanted = [&only](const char *section) {
        return only.isEmpty() || only.contains(QLatin1String(section));
    };
    if (wanted("open"))
        benchOpening();
    if (wanted("registers"))
        benchRegisterTabs();
    if (wanted("links"))
        benchDerivedTabs("Link tabs", kLinkTabs);
    if (wanted("pins"))
        benchDerivedTabs("On-chip ADC and PWM tabs", kPinTabs);
    if (wanted("files"))
        benchSaveAndLoad();
    if (wanted("large"))
        benchLargeFile();
    if (wanted("check"))
        benchCheck();
    if (wanted("report"))
        benchReport();
    return 0;
}
