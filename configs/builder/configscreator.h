#pragma once

#include "datablocks.h"
#include "functioncatalogue.h"
#include "modelidfile.h"
#include "pinmap.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QVector>
#include <array>
#include <memory>
#include <vector>

class QAction;
class QCloseEvent;
class QEvent;
class QMenu;
class CheckPanel;
class EditWatcher;
class RecoveryStore;
class SettleTimer;
class Tab;
struct FindingTarget;
namespace Checks {
struct Place;
}

namespace Ui {
class ConfigsCreatorForm;
}

// The configuration builder: ten tabs that give the board's pins and register channels their
// functions and parameters. Each tab's rows keep their data as item texts; the embedded editors
// write into them. The tabs sit in one table keyed by section; the named fills, writers and
// button slots below forward to them. The window deletes itself through finished() when closed.
class ConfigsCreator final : public QMainWindow
{
    Q_OBJECT

public:
    explicit ConfigsCreator(QWidget *parent = nullptr);
    ~ConfigsCreator() override;
    ConfigsCreator(const ConfigsCreator &) = delete;
    ConfigsCreator &operator=(const ConfigsCreator &) = delete;

    // Gives every tab its initial content: all pins unused, every other tab empty.
    void fillAllTabs();

    // Replaces the ten pin trees by the pins of a pin block; any other size than a whole pin
    // block is ignored.
    void fillGpioTab(const QByteArray &block);
    void fillDoRegTab(const QByteArray &block);
    void fillDiRegTab(const QByteArray &block);
    void fillAdcRegTab(const QByteArray &block);
    void fillAdcTiTab(const QByteArray &block);
    void fillPwmTab(const QByteArray &block);
    void fillDoLinksTab(const QByteArray &block);
    void fillDiLinksTab(const QByteArray &block);
    void fillAiLinksTab(const QByteArray &block);
    void fillAoLinksTab(const QByteArray &block);

    // Each tab's block, as its own file and its section of the model-id file hold it.
    QByteArray serializeGpioTab() const;
    QByteArray serializeDoRegTab() const;
    QByteArray serializeDiRegTab() const;
    QByteArray serializeAdcRegTab() const;
    QByteArray serializeAdcTiTab() const;
    QByteArray serializePwmTab() const;
    QByteArray serializeDoLinksTab() const;
    QByteArray serializeDiLinksTab() const;
    QByteArray serializeAiLinksTab() const;
    QByteArray serializeAoLinksTab() const;

    // The tab of a section: its fill, writer and derivation, which the named ones above forward to
    // and its buttons call.
    Tab &tab(Blocks::Section section) const;

    // Every tab's block, in section order: what a model-id file of the window would hold.
    ModelIdFile::SectionBlocks blocks() const;
    // Tells of every edit of the configuration: rows, their texts, the model id.
    EditWatcher &editWatcher() const { return *edits; }
    // The window's check of its own tabs.
    CheckPanel &checkPanel() const { return *checks; }

    // Keeps the window's unsaved work in a file of the user's data location, written once edits
    // settle, so that a crash does not lose it; first offers the work that a window of a program
    // which ended without closing it left there. The main window calls it for the builder it opens
    // from the menu; a window on which it is never called neither reads nor writes the data
    // location, so that a window built for any other purpose leaves the user's unsaved work alone.
    void startRecovery();

    // Writes the report of the window's configuration to a file the user chooses and opens it in
    // the desktop's browser ("Отчёт…" in the "Файл" menu).
    void writeReport();

    // The first action of the list whose what's-this string is this code, or none.
    static QAction *findFunction(const QList<QAction *> &list, int code);
    // The pin's name, or empty text when no connector group holds the number.
    QString pinName(quint32 number) const;

signals:
    void finished();

public slots:
    void indexValueChanged(const QString &NewValue);
    void createTypeMenu(bool checked);
    void on_saveConfigs_clicked();
    void on_loadConfigs_clicked();
    void saveCurrentTabConfigs();
    void saveToModelIdFile();
    void changeNumRegisters();
    void createAdcTiPortsFromGpioSettings();
    void createPwmPortsFromGpioSettings();
    void createDoLinksFromGpioAndRegs();
    void createDiLinksFromGpioAndRegs();
    void createAiLinksFromGpioAndRegs();
    void createAoLinksFromGpioAndRegs();
    void modelIdChanged(int value);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // A row of the tab table: the section the tab reads and writes, its page among the window's
    // tabs (the page on top is saved as that section's file) and the tab.
    struct TabRow
    {
        Blocks::Section section;
        QWidget *page;
        std::unique_ptr<Tab> tab;
    };

    void buildFunctionCatalogue();
    void buildTabs();
    // Ctrl+S and Ctrl+O press "Сохранить" and "Загрузить".
    void addShortcuts();
    // Names and descriptions of the window's controls for screen readers, in the current language.
    void describeControls();
    template <typename T, typename... Args> T &addTab(Blocks::Section section, QWidget *page, Args &&...args);
    // The window's actions of a list of the catalogue.
    const QList<QAction *> &functions(Functions::FunctionList list) const;
    // Where each place of a finding lies among the tabs.
    QVector<FindingTarget> locate(const QVector<Checks::Place> &places) const;

    // Replaces the whole configuration by a model-id file's and takes the model id its name gives;
    // false, with no tab changed, for a file too short to hold a header.
    bool loadModelIdFile(const QString &name, const QByteArray &bytes);

    // The window's side of its recovery file (configrecovery.cpp). Sections just saved or loaded, as
    // the tabs now hold them, are no longer unsaved work.
    void markStored(const QVector<Blocks::Section> &sections);
    // Writes the unsaved work now, or removes the file when there is none; false when the disk does
    // not hold the window's work.
    bool keepUnsavedWork();
    void offerOrphanedWork();
    void endRecovery();
    // The "Файл" menu with "Отчёт…" (configreport.cpp).
    void buildReportMenu();
    void retranslateReportMenu();

    std::unique_ptr<Ui::ConfigsCreatorForm> ui;
    QString lastDirectory;
    // The actions of each list, shared between the lists.
    std::array<QList<QAction *>, Functions::kFunctionListCount> functionLists;
    quint8 modelId = 0;
    std::vector<TabRow> tabs; // in section order
    EditWatcher *edits = nullptr;
    CheckPanel *checks = nullptr;
    std::unique_ptr<RecoveryStore> recovery; // only once startRecovery() has run
    SettleTimer *recoverySettle = nullptr;
    QMenu *fileMenu = nullptr;
    QAction *reportAction = nullptr;
};
