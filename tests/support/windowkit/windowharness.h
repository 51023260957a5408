#pragma once

#include "fakeboard.h"
#include "fsmanager.h"
#include "mainwindow.h"
#include "progressbarwindow.h"
#include "seamscript.h"
#include "tempcwd.h"

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <cstring>

// Everything a window test needs, built in the order that keeps it safe: the temporary working
// directory first (the link reads its settings file from there), then the in-test board, then
// the window with its link.
struct WindowHarness
{
    TempCwd cwd;
    FakeBoard board;
    MainWindow window;
    FsManager *link = window.findChild<FsManager *>();

    WindowHarness() { registerLinkTypes(); }

    // QSignalSpy and queued deliveries look the link's argument types up by name.
    static void registerLinkTypes()
    {
        qRegisterMetaType<FstEntry>();
        qRegisterMetaType<FstEntry_big>();
        qRegisterMetaType<QList<FstEntry>>();
        qRegisterMetaType<QList<FstEntry_big>>();
        qRegisterMetaType<uint32_t>("uint32_t");
        qRegisterMetaType<QMap<QString, QByteArray>>();
    }

    QTreeWidget *tree() const { return window.findChild<QTreeWidget *>(QStringLiteral("listFiles")); }
    QLabel *label(const char *name) const { return window.findChild<QLabel *>(QLatin1String(name)); }
    QAction *action(const char *name) const { return window.findChild<QAction *>(QLatin1String(name)); }

    // The status bar's labels ordered by where they are drawn, left to right.
    QList<QLabel *> statusLabels() const
    {
        QList<QLabel *> labels = window.statusBar()->findChildren<QLabel *>();
        std::sort(labels.begin(), labels.end(), [](const QLabel *a, const QLabel *b) {
            return a->mapToGlobal(QPoint(0, 0)).x() < b->mapToGlobal(QPoint(0, 0)).x();
        });
        return labels;
    }
    QStringList statusTexts() const
    {
        QStringList texts;
        for (const QLabel *l : statusLabels())
            texts << l->text();
        return texts;
    }

    // Connects the window's link to the in-test board through the window's own action and
    // waits until the first file list has been shown.
    bool connectToBoard()
    {
        return board.listen() && connectTo(QHostAddress(QHostAddress::LocalHost), board.port());
    }

    // The same for any board on 127.0.0.1, whichever form its list comes in.
    bool connectTo(const QHostAddress &host, quint16 port)
    {
        link->setPcbIp(host);
        link->setPcbPort(port);
        QSignalSpy lists(link, &FsManager::listfilesReady);
        QSignalSpy bigLists(link, &FsManager::listfilesReady_big);
        action("connectToPcb")->trigger();
        return QTest::qWaitFor([&] { return !lists.isEmpty() || !bigLists.isEmpty(); }, 15000);
    }

    // As the list does on a right click; the point is in the list's viewport.
    void openContextMenu(const QPoint &at = QPoint(5, 5)) { emit tree()->customContextMenuRequested(at); }

    // True when the window accepts a drag of this data.
    bool dragEnter(const QMimeData *data)
    {
        QDragEnterEvent event(QPoint(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
        return event.isAccepted() && event.dropAction() == Qt::CopyAction;
    }

    // As in a real drag, the drop reaches the window only once it accepted the drag; returns
    // whether it did, and in DropAccepted whether the window marked the drop as accepted.
    bool dropFiles(const QList<QUrl> &urls, bool *dropAccepted = nullptr)
    {
        QMimeData data;
        data.setUrls(urls);
        if (!dragEnter(&data))
            return false;
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        if (dropAccepted)
            *dropAccepted = drop.isAccepted();
        return true;
    }

    QList<ProgressBarWindow *> progressDialogs() const { return window.findChildren<ProgressBarWindow *>(); }
    static QString description(const ProgressBarWindow *dialog)
    {
        return dialog->findChild<QLabel *>(QStringLiteral("progressName"))->text();
    }
};

// Selects exactly the rows whose name is in Names.
inline void selectRows(QTreeWidget *tree, const QStringList &names)
{
    tree->clearSelection();
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        tree->topLevelItem(i)->setSelected(names.contains(tree->topLevelItem(i)->text(0)));
}

// Selects the named rows and picks MenuText from the list's menu; the seam answers message boxes
// with Button and the folder chooser with Folder.
inline void chooseFromMenu(WindowHarness &h, SeamScript &seam, const QStringList &rows,
                           const QString &menuText, int button = QMessageBox::Yes,
                           const QString &folder = QString())
{
    selectRows(h.tree(), rows);
    seam.responder = SeamScript::answering(menuText, button, folder);
    h.openContextMenu();
}

inline void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <typename Entry>
Entry makeEntry(const QByteArray &name, quint32 size, quint32 address = 0, quint16 block = 0,
                quint32 time = 0)
{
    Entry entry;
    std::memset(static_cast<void *>(&entry), 0, sizeof entry);
    std::memcpy(entry.name, name.constData(),
                static_cast<size_t>(std::min<int>(name.size(), sizeof entry.name)));
    entry.modifyTime = time;
    entry.address = address;
    entry.size = static_cast<decltype(entry.size)>(size);
    entry.blockNumber = block;
    return entry;
}
