#pragma once

#include "pcbtypes.h"
#include "uploadpaths.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class FsManager;
class ProgressBarWindow;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QLabel;

namespace Ui {
class MainWindow;
}
// The generated form; its texts are translated in the window's own context.
using MainWindowForm = Ui::MainWindow;

// The file manager of the board: the file list with its memory figures, the connection state,
// the progress of the running command and the transfer actions. All board traffic goes through
// the one FsManager that the window owns.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;

    // Drops beyond this many paths are ignored.
    static constexpr int kMaxDroppedFiles = UploadPaths::kMaxPerDrop;

signals:
    void updateStatusCountFiles(QString Count);
    void updateStatusAllMemory(QString MemSize);
    void updateStatusMemoryUsed(QString MemUsed);
    void updateStatusMemoryRemain(QString MemRemain);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The file list's keys: Delete, Enter, F5 and the context menu's keys.
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_connectToPcb_triggered();
    void on_disconnectFromPcb_triggered();
    void updateListFiles(QList<FstEntry> FilesList, uint32_t AllMemory, uint32_t MemoryUsed);
    void updateListFiles_big(QList<FstEntry_big> FilesList, uint32_t AllMemory, uint32_t MemoryUsed);
    void createListFilesContextMenu(QPoint Point);
    void updateConnectionState(int State);
    void updatePcbIp();
    void startProgres(QString CommDesc);
    void progressError(QString ErrorDesc);
    void progressResult(QString CodeDesc);
    void saveRecievedsFiles(QMap<QString, QByteArray> FilesList, QString CodeDesc);
    void on_refreshListFiles_triggered();
    void on_connectionSettings_triggered();
    void on_configCreate_triggered();

private:
    template <typename Entry>
    void fillListFiles(const QList<Entry> &FilesList, uint32_t AllMemory, uint32_t MemoryUsed);
    void fitNameColumn();
    void sizeValueColumns();
    void closeProgressWindow();
    void askAndDelete();
    void askFolderAndDownload();
    // Acts on a key pressed in the file list; false for a key the list handles itself.
    bool fileListKey(const QKeyEvent &key);
    // Where the keyboard opens the context menu: on the current row, in the list's viewport.
    QPoint currentRowPoint() const;
    // Names and descriptions of the window's controls for screen readers.
    void describeControls(QLabel *count, QLabel *total, QLabel *used, QLabel *free);

    std::unique_ptr<MainWindowForm> ui;
    FsManager *fsManager = nullptr;
    QPointer<ProgressBarWindow> progressWindow;
    QString saveFolder;
};
