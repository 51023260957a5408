// The transfer actions of the file list: context menu, delete, download and writing the received
// files, and uploads by drag and drop.
#include "filesizecap.h"
#include "seamscript.h"
#include "testfiles.h"
#include "windowharness.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

namespace {

// The names of the selected rows, in the order the list returns them, as the board sees them.
QList<QByteArray> selectedNames(const QTreeWidget *tree)
{
    QList<QByteArray> names;
    const QList<QTreeWidgetItem *> selected = tree->selectedItems();
    for (const QTreeWidgetItem *item : selected)
        names << item->text(0).toLatin1();
    return names;
}

// Waits until the board has seen a list request issued after everything the window did before:
// the link sends its commands in order, so whatever was not sent by then was never queued.
bool settle(WindowHarness &h)
{
    const int before = h.board.count(1);
    h.action("refreshListFiles")->trigger();
    return QTest::qWaitFor([&] { return h.board.count(1) > before; }, 10000);
}

std::unique_ptr<QMimeData> urlData(const QList<QUrl> &urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

} // namespace

class TestTransfers : public QObject
{
    Q_OBJECT

private slots:
    void menuOffersRefreshWithoutSelection();
    void menuOffersDeleteAndDownloadForSelection();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void downloadRequestsEachNameOnce();
    void cancelledChooserKeepsFolder();
    void downloadIgnoredOnlyWhileDownloading();
    void failedOrUnaddressedDownloadWritesNothing();
    void receivedFileReplacesExisting_data();
    void receivedFileReplacesExisting();
    void hostileNameFromTheBoard();
    void dragEnterAcceptsOnlyRegularFiles();
    void dropSendsAtMost256Files();
};

void TestTransfers::menuOffersRefreshWithoutSelection()
{
    WindowHarness h;
    h.board.files = {{"a.bin", "1"}};
    QVERIFY(h.connectToBoard());
    SeamScript seam;
    QPointer<QMenu> menu;
    seam.responder = [&](const ModalSeam::Request &request) {
        menu = request.menu;
        return SeamScript::menuChoice(request, QStringLiteral("Обновить"));
    };

    const int lists = h.board.count(1);
    const QPoint click(12, 8);
    h.openContextMenu(click);
    QCOMPARE(seam.calls.size(), 1);
    const SeamScript::Call &call = seam.calls.first();
    QCOMPARE(call.request.kind, ModalSeam::Kind::Menu);
    QCOMPARE(call.request.parent, &h.window);
    // At the cursor: the point is in viewport coordinates, below the header.
    QCOMPARE(call.request.position, h.tree()->viewport()->mapToGlobal(click));
    QVERIFY(call.request.position != h.tree()->mapToGlobal(click));
    QCOMPARE(call.menuTexts, QStringList({"Обновить"}));
    QCOMPARE(call.menuIconSet, QList<bool>({true}));
    // The menu is released from the event loop once the choice has been handled.
    QVERIFY(!menu.isNull());
    flushDeferredDeletes();
    QVERIFY(menu.isNull());
    QTRY_VERIFY(h.board.count(1) > lists); // "Обновить" asked for the list

    // Dismissing the menu does nothing at all.
    seam.responder = [](const ModalSeam::Request &) { return ModalSeam::Answer(); };
    h.openContextMenu();
    QVERIFY(settle(h));
    QCOMPARE(h.board.count(3) + h.board.count(5), 0);
}

void TestTransfers::menuOffersDeleteAndDownloadForSelection()
{
    WindowHarness h;
    emit h.link->listfilesReady({makeEntry<FstEntry>("a.bin", 1)}, 100, 1);
    selectRows(h.tree(), {"a.bin"});
    SeamScript seam;
    h.openContextMenu();
    QCOMPARE(seam.calls.size(), 1);
    QCOMPARE(seam.calls.first().menuTexts, QStringList({"Удалить", "Скачать"}));
    QCOMPARE(seam.calls.first().menuIconSet, QList<bool>({true, true}));
    flushDeferredDeletes();
}

void TestTransfers::deleteAsksFirst_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("question");
    QTest::newRow("one file") << QStringList({"b.bin"})
                              << QStringLiteral("Вы действительно хотите удалить b.bin?");
    QTest::newRow("three files") << QStringList({"a.bin", "b.bin", "c.bin"})
                                 << QStringLiteral("Вы действительно хотите удалить 3 файлов?");
}

void TestTransfers::deleteAsksFirst()
{
    QFETCH(QStringList, selected);
    QFETCH(QString, question);
    WindowHarness h;
    h.board.files = {{"a.bin", "1"}, {"b.bin", "22"}, {"c.bin", "333"}, {"d.bin", "4"}};
    QVERIFY(h.connectToBoard());
    SeamScript seam;

    // "No" sends nothing.
    chooseFromMenu(h, seam, selected, QStringLiteral("Удалить"), QMessageBox::No);
    const QList<SeamScript::Call> asked = seam.of(ModalSeam::Kind::MessageBox);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().request.icon, QMessageBox::Question);
    QCOMPARE(asked.first().request.parent, &h.window);
    QCOMPARE(asked.first().request.title, QStringLiteral("Удаление"));
    QCOMPARE(asked.first().request.text, question);
    QCOMPARE(asked.first().request.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(asked.first().request.defaultButton, QMessageBox::NoButton);
    QVERIFY(settle(h));
    QCOMPARE(h.board.count(3), 0);

    // "Yes" deletes the selected names, in the order the list returns them.
    chooseFromMenu(h, seam, selected, QStringLiteral("Удалить"));
    const QList<QByteArray> expected = selectedNames(h.tree()); // still selected: no list came yet
    QCOMPARE(expected.size(), selected.size());
    QTRY_COMPARE(h.board.names(3), expected);
    // After the batch the link reads the list again and the rows are gone.
    QTRY_COMPARE(h.tree()->topLevelItemCount(), 4 - selected.size());
    flushDeferredDeletes();
}

void TestTransfers::downloadRequestsEachNameOnce()
{
    WindowHarness h;
    h.board.files = {{"a.bin", "alpha"}, {"b.bin", "bravo!"}};
    QVERIFY(h.connectToBoard());
    // Two rows carry the same name (the table holds it twice).
    emit h.link->listfilesReady(
        {makeEntry<FstEntry>("a.bin", 5), makeEntry<FstEntry>("b.bin", 6), makeEntry<FstEntry>("a.bin", 5)},
        100, 16);
    QTemporaryDir folder;
    SeamScript seam;
    chooseFromMenu(h, seam, {"a.bin", "b.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder.path());

    const QList<SeamScript::Call> choosers = seam.of(ModalSeam::Kind::ExistingDirectory);
    QCOMPARE(choosers.size(), 1);
    QCOMPARE(choosers.first().request.parent, &h.window);
    QCOMPARE(choosers.first().request.title, QStringLiteral("Сохранить в..."));
    QCOMPARE(choosers.first().request.directory, QDir::currentPath());
    QCOMPARE(choosers.first().request.options,
             QFileDialog::Options(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks));

    QTRY_COMPARE(readAll(folder.filePath("b.bin")), QByteArray("bravo!"));
    QCOMPARE(readAll(folder.filePath("a.bin")), QByteArray("alpha"));
    QCOMPARE(h.board.names(5), QList<QByteArray>({"a.bin", "b.bin"}));
    QVERIFY(seam.of(ModalSeam::Kind::MessageBox).isEmpty());
    flushDeferredDeletes();
}

void TestTransfers::cancelledChooserKeepsFolder()
{
    WindowHarness h;
    h.board.files = {{"a.bin", "alpha"}};
    QVERIFY(h.connectToBoard());
    QTemporaryDir folder;
    SeamScript seam;
    chooseFromMenu(h, seam, {"a.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder.path());
    QTRY_VERIFY(QFile::exists(folder.filePath("a.bin")));

    // Cancelled: nothing is requested and the folder of the last download stays.
    chooseFromMenu(h, seam, {"a.bin"}, QStringLiteral("Скачать"));
    QCOMPARE(seam.of(ModalSeam::Kind::ExistingDirectory).size(), 2);
    QVERIFY(settle(h));
    QCOMPARE(h.board.count(5), 1);
    emit h.link->filesRecievingIsFinished({{QStringLiteral("late.bin"), QByteArray("late")}},
                                          QStringLiteral("Ok"));
    QCOMPARE(readAll(folder.filePath("late.bin")), QByteArray("late"));
    flushDeferredDeletes();
}

void TestTransfers::downloadIgnoredOnlyWhileDownloading()
{
    QTemporaryDir folder;
    {
        WindowHarness h;
        h.board.files = {{"a.bin", "alpha"}};
        h.board.holdReplies.insert(5); // the download stays under way
        QVERIFY(h.connectToBoard());
        SeamScript seam;
        chooseFromMenu(h, seam, {"a.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder.path());
        QTRY_COMPARE(h.board.count(5), 1);
        QVERIFY(h.link->isCommandRunning());

        h.openContextMenu();
        QCOMPARE(seam.of(ModalSeam::Kind::Menu).size(), 2);
        QCOMPARE(seam.of(ModalSeam::Kind::ExistingDirectory).size(), 1); // second choice ignored
        QVERIFY(seam.of(ModalSeam::Kind::MessageBox).isEmpty());
        flushDeferredDeletes();
    }
    {
        WindowHarness h;
        h.board.files = {{"a.bin", "alpha"}, {"b.bin", "bravo"}};
        h.board.holdReplies.insert(3); // another command runs
        QVERIFY(h.connectToBoard());
        SeamScript seam;
        chooseFromMenu(h, seam, {"b.bin"}, QStringLiteral("Удалить"));
        QTRY_COMPARE(h.board.count(3), 1);
        QVERIFY(h.link->isCommandRunning());

        chooseFromMenu(h, seam, {"a.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder.path());
        QCOMPARE(seam.of(ModalSeam::Kind::ExistingDirectory).size(), 1);
        flushDeferredDeletes();
    }
}

void TestTransfers::failedOrUnaddressedDownloadWritesNothing()
{
    const QMap<QString, QByteArray> files = {{QStringLiteral("a.bin"), QByteArray("alpha")}};
    {
        // No folder was ever chosen: the result is dropped without a word.
        WindowHarness h;
        SeamScript seam;
        const QStringList before = entriesOf(h.cwd.path());
        emit h.link->filesRecievingIsFinished(files, QStringLiteral("Ok"));
        QCoreApplication::processEvents();
        QCOMPARE(entriesOf(h.cwd.path()), before);
        QVERIFY(seam.calls.isEmpty());
    }
    {
        // A failed batch writes none of the files that did arrive and shows the text.
        WindowHarness h;
        h.board.files = {{"a.bin", "alpha"}};
        QVERIFY(h.connectToBoard());
        QTemporaryDir folder;
        SeamScript seam;
        chooseFromMenu(h, seam, {"a.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder.path());
        QTRY_VERIFY(QFile::exists(folder.filePath("a.bin")));
        QVERIFY(QFile::remove(folder.filePath("a.bin")));

        emit h.link->filesRecievingIsFinished(files, QStringLiteral("Файл не существует!"));
        QCOMPARE(seam.of(ModalSeam::Kind::MessageBox).size(), 1);
        QVERIFY(entriesOf(folder.path()).isEmpty());
        flushDeferredDeletes();
    }
}

void TestTransfers::receivedFileReplacesExisting_data()
{
    QTest::addColumn<int>("cap"); // the most a file may hold, as on a full disk; 0: no limit
    QTest::addColumn<bool>("replaced");
    QTest::newRow("replaced") << 0 << true;
    QTest::newRow("full disk keeps the old file") << 2048 << false;
}

void TestTransfers::receivedFileReplacesExisting()
{
    QFETCH(int, cap);
    QFETCH(bool, replaced);
    WindowHarness h;
    const QByteArray content(5000, 'n');
    h.board.files = {{"a.bin", content}};
    QVERIFY(h.connectToBoard());
    QTemporaryDir folder;
    const QByteArray old(4000, 'o');
    QVERIFY(writeFile(folder.filePath("a.bin"), old));
    SeamScript seam;
#ifdef VELMORA_HAS_FILE_SIZE_CAP
    std::unique_ptr<FileSizeCap> limit;
    if (cap > 0) {
        limit = std::make_unique<FileSizeCap>(rlim_t(cap));
        QVERIFY(limit->active);
    }
#else
    if (cap > 0)
        QSKIP("needs a per-process file size limit");
#endif
    chooseFromMenu(h, seam, {"a.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder.path());
    if (replaced) {
        QTRY_COMPARE(readAll(folder.filePath("a.bin")), content);
        QVERIFY(seam.of(ModalSeam::Kind::MessageBox).isEmpty());
    } else {
        QTRY_COMPARE(seam.of(ModalSeam::Kind::MessageBox).size(), 1);
        QCOMPARE(seam.of(ModalSeam::Kind::MessageBox).first().request.text,
                 QStringLiteral("Следующие файлы не сохранены: не удалось записать файл:\n«a.bin»"));
        QCOMPARE(readAll(folder.filePath("a.bin")), old);
    }
    QCOMPARE(entriesOf(folder.path()), QStringList({"a.bin"})); // no temporary file left behind
    flushDeferredDeletes();
}

// Which names may be written is decided, and tested, in the board-file rules; here the window
// writes the plain names of a batch and names the others in one box.
void TestTransfers::hostileNameFromTheBoard()
{
    WindowHarness h;
    h.board.files = {{"x.bin", "payload"}, {"plain.bin", "plain"}};
    h.board.replyNameFor.insert("x.bin", "../x.bin");
    QVERIFY(h.connectToBoard());
    QTemporaryDir root;
    const QString folder = root.filePath("save");
    QVERIFY(QDir().mkpath(folder));
    SeamScript seam;
    chooseFromMenu(h, seam, {"x.bin", "plain.bin"}, QStringLiteral("Скачать"), QMessageBox::Ok, folder);
    QTRY_COMPARE(seam.of(ModalSeam::Kind::MessageBox).size(), 1);
    const ModalSeam::Request box = seam.of(ModalSeam::Kind::MessageBox).first().request;
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.parent, &h.window);
    QCOMPARE(box.title, QStringLiteral("Ошибка!"));
    QVERIFY(box.text.contains(QStringLiteral("«../x.bin»")));
    QVERIFY(!box.text.contains(QStringLiteral("plain.bin")));
    QCOMPARE(entriesOf(root.path()), QStringList({"save"}));
    QCOMPARE(entriesOf(folder), QStringList({"plain.bin"}));
    flushDeferredDeletes();
}

void TestTransfers::dragEnterAcceptsOnlyRegularFiles()
{
    WindowHarness h;
    QTemporaryDir dir;
    for (const char *name : {"one.bin", "two.bin"})
        QVERIFY(writeFile(dir.filePath(name), "x"));
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QUrl one = QUrl::fromLocalFile(dir.filePath("one.bin"));
    const QUrl two = QUrl::fromLocalFile(dir.filePath("two.bin"));
    const QUrl folder = QUrl::fromLocalFile(dir.filePath("folder"));
    const QUrl missing = QUrl::fromLocalFile(dir.filePath("missing.bin"));
    const QUrl remote(QStringLiteral("http://127.0.0.1/one.bin"));

    QVERIFY(h.dragEnter(urlData({one}).get()));
    QVERIFY(h.dragEnter(urlData({one, two}).get()));
    QVERIFY(!h.dragEnter(urlData({folder}).get()));
    QVERIFY(!h.dragEnter(urlData({one, folder, two}).get()));
    QVERIFY(!h.dragEnter(urlData({one, missing}).get()));
    QVERIFY(!h.dragEnter(urlData({remote}).get()));
    QVERIFY(!h.dragEnter(urlData({}).get()));
    QMimeData text;
    text.setText(dir.filePath("one.bin"));
    QVERIFY(!h.dragEnter(&text));
}

void TestTransfers::dropSendsAtMost256Files()
{
    WindowHarness h;
    QVERIFY(h.connectToBoard());
    QTemporaryDir dir;
    QList<QUrl> urls;
    QList<QByteArray> names;
    for (int i = 0; i < 300; ++i) {
        const QString name = QStringLiteral("f%1.bin").arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY(writeFile(dir.filePath(name), name.toLatin1()));
        urls << QUrl::fromLocalFile(dir.filePath(name));
        names << name.toLatin1();
    }
    QSignalSpy finished(h.link, &FsManager::filesSendingIsFinished);
    bool dropAccepted = true;
    QVERIFY(h.dropFiles(urls, &dropAccepted));
    QVERIFY(!dropAccepted);

    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toString(), QStringLiteral("Ok"));
    QCOMPARE(h.board.names(2), names.mid(0, 256));
    // The list read after the batch shows what arrived.
    QTRY_COMPARE(h.tree()->topLevelItemCount(), 256);
    flushDeferredDeletes();
}

QTEST_MAIN(TestTransfers)
#include "tst_transfers.moc"
