// The window against the board simulator process on 127.0.0.1: listing, upload by drop,
// download, delete, and a hostile name in the board's table.
#include "boardsimprocess.h"
#include "progressbarwindow.h"
#include "seamscript.h"
#include "testfiles.h"
#include "windowharness.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const quint32 kMemory = 1000000;

// What the simulator serves for a file it created itself (its documented demo content).
QByteArray demoContent(const QByteArray &name, int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>((7 * i + name.size()) % 251);
    return data;
}

QStringList simArguments(const QStringList &extra)
{
    return QStringList(
               {"--memory", QString::number(kMemory), "--file", "alpha.bin=100", "--file", "beta.bin=3000"}) +
           extra;
}

QMap<QString, QString> rows(const QTreeWidget *tree)
{
    QMap<QString, QString> result;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        result.insert(tree->topLevelItem(i)->text(0), tree->topLevelItem(i)->text(2));
    return result;
}

bool connectTo(WindowHarness &h, const BoardSimProcess &sim)
{
    h.link->setPcbIp(sim.host());
    h.link->setPcbPort(sim.port());
    h.action("connectToPcb")->trigger();
    return QTest::qWaitFor([&] { return h.tree()->topLevelItemCount() > 0; }, 15000);
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void listShowsTheBoard_data();
    void listShowsTheBoard();
    void uploadDownloadDelete();
    void hostileNameIsNotWrittenOutside();
    void connectAndCancelCycles();
};

void TestEndToEnd::listShowsTheBoard_data()
{
    QTest::addColumn<QStringList>("form");
    QTest::newRow("small form") << QStringList();
    QTest::newRow("big form") << QStringList({"--big"});
    QTest::newRow("asks for big form") << QStringList({"--ask-big"});
}

void TestEndToEnd::listShowsTheBoard()
{
    QFETCH(QStringList, form);
    BoardSimProcess sim(simArguments(form));
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    WindowHarness h;
    QVERIFY(connectTo(h, sim));
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));
    QTRY_COMPARE(rows(h.tree()),
                 (QMap<QString, QString>{{"alpha.bin", "100 Байт"}, {"beta.bin", "3000 Байт"}}));
    const quint32 used = 100 + 3000;
    QCOMPARE(h.statusTexts(), QStringList({QStringLiteral("Количество файлов:  2  "),
                                           QStringLiteral("Занято:  %1 Байт  ").arg(used),
                                           QStringLiteral("Свободно:  %1 Байт  ").arg(kMemory - used),
                                           QStringLiteral("Общий объем памяти:  %1 Байт  ").arg(kMemory)}));
}

void TestEndToEnd::uploadDownloadDelete()
{
    BoardSimProcess sim(simArguments({}));
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    WindowHarness h;
    QVERIFY(connectTo(h, sim));
    SeamScript seam;

    // Upload: a local file dropped on the window appears in the list.
    QTemporaryDir local;
    QByteArray gamma(1232, '\0');
    for (int i = 0; i < gamma.size(); ++i)
        gamma[i] = static_cast<char>((i * 131 + 17) & 0xFF);
    QVERIFY(writeFile(local.filePath("gamma.bin"), gamma));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(local.filePath("gamma.bin"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&h.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&h.window, &drop);
    QTRY_COMPARE_WITH_TIMEOUT(rows(h.tree()).value("gamma.bin"), QStringLiteral("1232 Байт"), 15000);

    // Download: byte-identical files in the chosen folder.
    QTemporaryDir folder;
    selectRows(h.tree(), {"alpha.bin", "gamma.bin"});
    seam.responder = SeamScript::answering(QStringLiteral("Скачать"), QMessageBox::Yes, folder.path());
    emit h.tree()->customContextMenuRequested(QPoint(5, 5));
    QTRY_COMPARE_WITH_TIMEOUT(entriesOf(folder.path()), QStringList({"alpha.bin", "gamma.bin"}), 15000);
    QCOMPARE(readAll(folder.filePath("alpha.bin")), demoContent("alpha.bin", 100));
    QCOMPARE(readAll(folder.filePath("gamma.bin")), gamma);

    // Delete after Yes: the file leaves the list.
    selectRows(h.tree(), {"beta.bin"});
    seam.responder = SeamScript::answering(QStringLiteral("Удалить"));
    emit h.tree()->customContextMenuRequested(QPoint(5, 5));
    QTRY_VERIFY_WITH_TIMEOUT(!rows(h.tree()).contains("beta.bin"), 15000);
    QCOMPARE(rows(h.tree()).keys(), QStringList({"alpha.bin", "gamma.bin"}));
    QVERIFY(seam.of(ModalSeam::Kind::MessageBox).size() == 1); // the delete question only
    flushDeferredDeletes();
}

void TestEndToEnd::hostileNameIsNotWrittenOutside()
{
    BoardSimProcess sim(simArguments({"--hostile-name", "../x"}));
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    WindowHarness h;
    QVERIFY(connectTo(h, sim));
    QTRY_VERIFY(rows(h.tree()).contains("../x"));

    QTemporaryDir root;
    const QString folder = root.filePath("save");
    QVERIFY(QDir().mkpath(folder));
    SeamScript seam;
    selectRows(h.tree(), {"../x", "alpha.bin"});
    seam.responder = SeamScript::answering(QStringLiteral("Скачать"), QMessageBox::Yes, folder);
    emit h.tree()->customContextMenuRequested(QPoint(5, 5));
    QTRY_COMPARE_WITH_TIMEOUT(seam.of(ModalSeam::Kind::MessageBox).size(), 1, 15000);
    const ModalSeam::Request box = seam.of(ModalSeam::Kind::MessageBox).first().request;
    QCOMPARE(box.title, QStringLiteral("Ошибка!"));
    QVERIFY(box.text.contains(QStringLiteral("«../x»")));
    QCOMPARE(entriesOf(root.path()), QStringList({"save"}));
    QCOMPARE(entriesOf(folder), QStringList({"alpha.bin"})); // the plain name is still written
    flushDeferredDeletes();
}

void TestEndToEnd::connectAndCancelCycles()
{
    // The board never answers a download, so each one waits in its dialog until the user closes it.
    BoardSimProcess sim(simArguments({"--ignore", "get"}));
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    WindowHarness h;
    h.link->setTimeScale(0.2); // a quicker queue; the download's limit is still 10 s
    h.link->setPcbIp(sim.host());
    h.link->setPcbPort(sim.port());
    QSignalSpy lists(h.link, &FsManager::listfilesReady);
    QTemporaryDir folder;
    SeamScript seam;
    seam.responder = SeamScript::answering(QStringLiteral("Скачать"), QMessageBox::Yes, folder.path());

    constexpr int kCycles = 50;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const int before = lists.count();
        h.action("connectToPcb")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(lists.count() > before, 15000);
        QCOMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));
        selectRows(h.tree(), {"alpha.bin"});
        emit h.tree()->customContextMenuRequested(QPoint(5, 5));
        QTRY_COMPARE(h.window.findChildren<ProgressBarWindow *>().size(), 1);
        QPointer<ProgressBarWindow> dialog = h.window.findChildren<ProgressBarWindow *>().first();
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("progressName"))->text(),
                 QStringLiteral("Получение файлов..."));

        dialog->close();
        QVERIFY(!h.link->isConnected());
        QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
        flushDeferredDeletes();
        QVERIFY2(dialog.isNull(), qPrintable(QStringLiteral("cycle %1").arg(cycle)));
    }
    // Every connection reached the board and was closed; nothing was shown, nothing written.
    QTRY_COMPARE(sim.log().count(QStringLiteral("] disconnected")), kCycles);
    QCOMPARE(sim.log().count(QStringLiteral("recv get ")), kCycles);
    QVERIFY(seam.of(ModalSeam::Kind::MessageBox).isEmpty());
    QCOMPARE(entriesOf(folder.path()), QStringList());
    QVERIFY(sim.isRunning());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
