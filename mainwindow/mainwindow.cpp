#include "mainwindow.h"

#include "configscreator.h"
#include "connectionsettings.h"
#include "filetable.h"
#include "fsmanager.h"
#include "modalseam.h"
#include "myqtreewidgetitem.h"
#include "progressbarwindow.h"
#include "receivedfiles.h"
#include "ui_mainwindow.h"
#include "uploadpaths.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QStyle>
#include <QUrl>
#include <iterator>

namespace {

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour); // all colour groups
    label->setPalette(palette);
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<MainWindowForm>())
{
    ui->setupUi(this);

    fitNameColumn();
    ui->listFiles->header()->setSortIndicator(0, Qt::AscendingOrder);
    sizeValueColumns();

    auto *countLabel = new QLabel(tr("Количество файлов:  0  "), this);
    auto *allMemoryLabel = new QLabel(tr("Общий объем памяти:  0 Байт  "), this);
    auto *usedLabel = new QLabel(tr("Занято:  0 Байт  "), this);
    auto *remainLabel = new QLabel(tr("Свободно:  0 Байт  "), this);
    connect(this, &MainWindow::updateStatusCountFiles, countLabel, &QLabel::setText);
    connect(this, &MainWindow::updateStatusAllMemory, allMemoryLabel, &QLabel::setText);
    connect(this, &MainWindow::updateStatusMemoryUsed, usedLabel, &QLabel::setText);
    connect(this, &MainWindow::updateStatusMemoryRemain, remainLabel, &QLabel::setText);
    ui->statusBar->addWidget(countLabel);
    ui->statusBar->addWidget(usedLabel);
    ui->statusBar->addWidget(remainLabel);
    ui->statusBar->addPermanentWidget(allMemoryLabel);
    describeControls(countLabel, allMemoryLabel, usedLabel, remainLabel);

    connect(ui->listFiles, &QWidget::customContextMenuRequested, this,
            &MainWindow::createListFilesContextMenu);
    ui->listFiles->installEventFilter(this);

    fsManager = new FsManager(this);
    // File lists and download results are used during the emission; everything that may
    // open a window or a box waits for the event loop, in emission order.
    connect(fsManager, &FsManager::listfilesReady, this, &MainWindow::updateListFiles, Qt::DirectConnection);
    connect(fsManager, &FsManager::listfilesReady_big, this, &MainWindow::updateListFiles_big,
            Qt::DirectConnection);
    connect(fsManager, &FsManager::connectionStateIsUpdated, this, &MainWindow::updateConnectionState,
            Qt::QueuedConnection);
    connect(fsManager, &FsManager::startedRunCommand, this, &MainWindow::startProgres, Qt::QueuedConnection);
    connect(fsManager, &FsManager::errorOccured, this, &MainWindow::progressError, Qt::QueuedConnection);
    connect(fsManager, &FsManager::filesSendingIsFinished, this, &MainWindow::progressResult,
            Qt::QueuedConnection);
    connect(fsManager, &FsManager::fileDeletingIsFinished, this, &MainWindow::progressResult,
            Qt::QueuedConnection);
    connect(fsManager, &FsManager::filesRecievingIsFinished, this, &MainWindow::saveRecievedsFiles,
            Qt::DirectConnection);

    updateConnectionState(0);
}

MainWindow::~MainWindow()
{
    // The link goes down with the window's children, after this body; it must not call back
    // into a window that is half destroyed.
    disconnect(fsManager, nullptr, this, nullptr);
}

void MainWindow::on_connectToPcb_triggered()
{
    fsManager->connectToPcb();
}

void MainWindow::on_disconnectFromPcb_triggered()
{
    fsManager->disconnectFromPcb();
}

void MainWindow::on_refreshListFiles_triggered()
{
    fsManager->getListFiles();
}

void MainWindow::updateListFiles(QList<FstEntry> FilesList, uint32_t AllMemory, uint32_t MemoryUsed)
{
    fillListFiles(FilesList, AllMemory, MemoryUsed);
}

void MainWindow::updateListFiles_big(QList<FstEntry_big> FilesList, uint32_t AllMemory, uint32_t MemoryUsed)
{
    fillListFiles(FilesList, AllMemory, MemoryUsed);
}

template <typename Entry>
void MainWindow::fillListFiles(const QList<Entry> &FilesList, uint32_t AllMemory, uint32_t MemoryUsed)
{
    ui->listFiles->clear();
    const QIcon icon(QStringLiteral(":/icons/images/bin.png"));
    QList<QTreeWidgetItem *> items;
    items.reserve(FilesList.size());
    for (const Entry &entry : FilesList) {
        const FileTable::Row row = FileTable::row(entry);
        auto *item = new MyQTreeWidgetItem();
        item->setIcon(0, icon);
        item->setData(0, Qt::DisplayRole, row.name);
        item->setData(1, Qt::DisplayRole, row.modified);
        item->setData(2, Qt::DisplayRole, FileTable::sizeText(row.size));
        item->setData(3, Qt::DisplayRole, static_cast<uint>(row.address));
        item->setData(4, Qt::DisplayRole, static_cast<int>(row.block));
        items << item;
    }
    // The tree takes ownership and orders the rows by the user's sort column.
    ui->listFiles->insertTopLevelItems(0, items);

    const FileTable::StatusTexts texts =
        FileTable::statusTexts(FileTable::totals(FilesList.size(), AllMemory, MemoryUsed));
    emit updateStatusCountFiles(texts.count);
    emit updateStatusAllMemory(texts.total);
    emit updateStatusMemoryUsed(texts.used);
    emit updateStatusMemoryRemain(texts.free);

    fitNameColumn();
}

void MainWindow::sizeValueColumns()
{
    // Wide enough for the header and a typical value, so that a date or an address is not
    // elided; the widest of each kind stands for the rest.
    const QFontMetrics metrics(ui->listFiles->font());
    const QString samples[] = {
        QString(),
        locale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59, 59)), QLocale::ShortFormat),
        FileTable::sizeText(4294967295U),
        QStringLiteral("4294967295"),
        QStringLiteral("65535"),
    };
    QHeaderView *header = ui->listFiles->header();
    const int padding =
        2 * ui->listFiles->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ui->listFiles) + 16;
    for (int column = 1; column < ui->listFiles->columnCount() && column < 5; ++column) {
        const int wanted =
            qMax(header->sectionSizeHint(column), metrics.horizontalAdvance(samples[column]) + padding);
        ui->listFiles->setColumnWidth(column, wanted);
    }
}

void MainWindow::fitNameColumn()
{
    ui->listFiles->resizeColumnToContents(0);
    ui->listFiles->setColumnWidth(0, ui->listFiles->columnWidth(0) + 10);
}

void MainWindow::updateConnectionState(int State)
{
    updatePcbIp();
    const bool online = State != 0;
    const QString state = online ? QStringLiteral("Online") : QStringLiteral("Offline");
    ui->connectionState->setText(state);
    setTextColour(ui->connectionState, online ? Qt::green : Qt::red);
    // The state in words as well as in colour, for those who hear the window.
    ui->connectionState->setAccessibleName(tr("Состояние подключения: %1").arg(state));
    ui->connectionState->setAccessibleDescription(online ? tr("Плата подключена")
                                                         : tr("Плата не подключена"));
}

void MainWindow::updatePcbIp()
{
    const QString address = fsManager->getPcbIp().toString();
    ui->pcbIp->setText(address);
    ui->pcbIp->setAccessibleName(tr("Адрес платы: %1").arg(address));
}

void MainWindow::describeControls(QLabel *count, QLabel *total, QLabel *used, QLabel *free)
{
    // The status labels are named by their texts, which carry the figures; a description says
    // what each figure is.
    count->setAccessibleDescription(tr("Число файлов на плате"));
    total->setAccessibleDescription(tr("Объём памяти платы"));
    used->setAccessibleDescription(tr("Память платы, занятая файлами"));
    free->setAccessibleDescription(tr("Свободная память платы"));

    QTreeWidget *list = ui->listFiles;
    list->setAccessibleName(tr("Файлы на плате"));
    list->setAccessibleDescription(
        tr("Delete удаляет выделенные файлы, Enter скачивает их в папку, F5 "
           "обновляет список. Чтобы отправить файлы на плату, перетащите их сюда."));
    // The columns are named by their headers; these say what the less obvious ones hold.
    const QString columns[] = {
        tr("Имя файла на плате"),
        tr("Когда файл изменён в последний раз"),
        tr("Размер файла в байтах"),
        tr("Адрес начала файла в памяти платы"),
        tr("Номер блока памяти, в котором начинается файл"),
    };
    QTreeWidgetItem *header = list->headerItem();
    for (int column = 0; column < int(std::size(columns)); ++column)
        header->setData(column, Qt::AccessibleDescriptionRole, columns[column]);
}

void MainWindow::closeProgressWindow()
{
    if (progressWindow) {
        // Stop feeding it; it goes away when control is back in the event loop.
        disconnect(fsManager, nullptr, progressWindow, nullptr);
        progressWindow->deleteLater();
        progressWindow.clear();
    }
}

void MainWindow::startProgres(QString CommDesc)
{
    closeProgressWindow();

    progressWindow = new ProgressBarWindow(this);
    progressWindow->setDescriptor(CommDesc);
    progressWindow->updateProgress(0);
    connect(fsManager, &FsManager::progressUpdated, progressWindow.data(),
            &ProgressBarWindow::updateProgress);
    connect(progressWindow.data(), &QDialog::rejected, fsManager, &FsManager::disconnectFromPcb);
    connect(progressWindow.data(), &QDialog::rejected, progressWindow.data(), &QObject::deleteLater);
    progressWindow->show();
}

void MainWindow::progressError(QString ErrorDesc)
{
    closeProgressWindow();
    ModalSeam::critical(this, tr("Ошибка!"), ErrorDesc);
}

void MainWindow::progressResult(QString CodeDesc)
{
    closeProgressWindow();
    if (CodeDesc == QLatin1String("Ok"))
        return;
    progressError(CodeDesc);
}

void MainWindow::saveRecievedsFiles(QMap<QString, QByteArray> FilesList, QString CodeDesc)
{
    closeProgressWindow();
    if (CodeDesc != QLatin1String("Ok")) {
        progressError(CodeDesc);
        return;
    }
    if (saveFolder.isEmpty())
        return;

    // The files that can be written are; every other one is named with its reason.
    const QString unsaved = ReceivedFiles::messageText(ReceivedFiles::save(saveFolder, FilesList));
    if (!unsaved.isEmpty())
        ModalSeam::critical(this, tr("Ошибка!"), unsaved);
}

void MainWindow::createListFilesContextMenu(QPoint Point)
{
    auto *menu = new QMenu(this);
    const QAction *refresh = nullptr;
    const QAction *remove = nullptr;
    const QAction *download = nullptr;
    // Each entry shows its key; the keys work in the list itself (eventFilter), as the entries of
    // a popup menu take no keys of their own.
    if (ui->listFiles->selectedItems().isEmpty()) {
        QAction *entry = menu->addAction(QIcon(QStringLiteral(":/icons/images/refresh.png")), tr("Обновить"));
        entry->setShortcut(QKeySequence(Qt::Key_F5));
        refresh = entry;
    } else {
        QAction *entry = menu->addAction(QIcon(QStringLiteral(":/icons/images/delete.png")), tr("Удалить"));
        entry->setShortcut(QKeySequence(Qt::Key_Delete));
        remove = entry;
        entry = menu->addAction(QIcon(QStringLiteral(":/icons/images/download.png")), tr("Скачать"));
        entry->setShortcut(QKeySequence(Qt::Key_Enter));
        download = entry;
    }

    // The list reports the point in its viewport's coordinates; mapping it from the list itself
    // would open the menu one header height above the cursor.
    const QAction *chosen = ModalSeam::execMenu(menu, ui->listFiles->viewport()->mapToGlobal(Point));
    // The entries not offered are null, so only a chosen entry can match.
    if (chosen) {
        if (chosen == remove)
            askAndDelete();
        else if (chosen == download)
            askFolderAndDownload();
        else if (chosen == refresh)
            fsManager->getListFiles();
    }
    menu->deleteLater();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->listFiles) {
        if (event->type() == QEvent::KeyPress)
            return fileListKey(*static_cast<QKeyEvent *>(event));
        // The menu key also comes as a context menu event on some desktops; its key press
        // opened the menu already.
        if (event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::fileListKey(const QKeyEvent &key)
{
    // The keypad's keys count as the main ones.
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool selected = !ui->listFiles->selectedItems().isEmpty();
    if (modifiers == Qt::NoModifier) {
        switch (key.key()) {
        case Qt::Key_Delete:
            if (selected)
                askAndDelete();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (selected)
                askFolderAndDownload();
            return true;
        case Qt::Key_F5:
            fsManager->getListFiles();
            return true;
        case Qt::Key_Menu:
            createListFilesContextMenu(currentRowPoint());
            return true;
        default:
            return false;
        }
    }
    if (modifiers == Qt::ShiftModifier && key.key() == Qt::Key_F10) {
        createListFilesContextMenu(currentRowPoint());
        return true;
    }
    return false;
}

QPoint MainWindow::currentRowPoint() const
{
    const QTreeWidget *list = ui->listFiles;
    const QRect view = list->viewport()->rect();
    const QTreeWidgetItem *current = list->currentItem();
    const QRect cell = current ? list->visualRect(list->currentIndex().siblingAtColumn(0)) : QRect();
    // A row scrolled out of view opens the menu at the top of the list instead.
    return cell.intersects(view) ? cell.intersected(view).center() : view.topLeft();
}

void MainWindow::askAndDelete()
{
    QStringList names;
    const QList<QTreeWidgetItem *> selected = ui->listFiles->selectedItems();
    for (const QTreeWidgetItem *item : selected)
        names << item->text(0);

    const QString question = names.size() == 1
                                 ? tr("Вы действительно хотите удалить %1?").arg(names.first())
                                 : tr("Вы действительно хотите удалить %1 файлов?").arg(names.size());
    if (ModalSeam::question(this, tr("Удаление"), question, QMessageBox::Yes | QMessageBox::No) ==
        QMessageBox::Yes)
        fsManager->deleteFiles(names);
}

void MainWindow::askFolderAndDownload()
{
    // A second request while a download runs would only merge into it; the user waits instead.
    if (fsManager->isCommandRunning() && fsManager->getCurrentCommand() == CmdGetFile)
        return;

    QMap<QString, uint> files;
    const QList<QTreeWidgetItem *> selected = ui->listFiles->selectedItems();
    for (const QTreeWidgetItem *item : selected)
        files.insert(item->text(0), static_cast<uint>(MyQTreeWidgetItem::sizeFromText(item->text(2))));

    const QString folder =
        ModalSeam::getExistingDirectory(this, tr("Сохранить в..."), QDir::currentPath(),
                                        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty())
        return;
    saveFolder = folder;
    fsManager->getFiles(files);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (!data || !data->hasUrls()) {
        event->ignore();
        return;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty()) {
        event->ignore();
        return;
    }
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || !UploadPaths::isUploadable(url.toLocalFile())) {
            event->ignore();
            return;
        }
    }
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (!data || !data->hasUrls())
        return;
    const QList<QUrl> urls = data->urls();
    QStringList paths;
    const int count = qMin(urls.size(), kMaxDroppedFiles);
    for (int i = 0; i < count; ++i)
        paths << urls.at(i).toLocalFile();
    fsManager->writeFiles(paths);
}

void MainWindow::on_connectionSettings_triggered()
{
    auto *dialog = new ConnectionSettings(this, fsManager);
    connect(dialog, &ConnectionSettings::pcbIpChanged, this, &MainWindow::updatePcbIp);
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}

void MainWindow::on_configCreate_triggered()
{
    // A top-level window of its own that outlives nothing but itself: it deletes itself when
    // closed.
    auto *creator = new ConfigsCreator();
    connect(creator, &ConfigsCreator::finished, creator, &QObject::deleteLater);
    creator->fillAllTabs();
    creator->show();
    creator->startRecovery();
}
