// The window against the board simulator process on 127.0.0.1: listing in each form, upload by
// drop, download, delete, and cancelling a download again and again.
#include "boardsimprocess.h"
#include "options.h"
#include "testfiles.h"
#include "windowharness.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const quint32 kMemory = 1000000;

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

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void listShowsTheBoard_data();
    void listShowsTheBoard();
    void uploadDownloadDelete();
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
    QVERIFY(h.connectTo(sim.host(), sim.port()));
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
    QVERIFY(h.connectTo(sim.host(), sim.port()));
    SeamScript seam;

    // Upload: a local file dropped on the window appears in the list.
    QTemporaryDir local;
    QByteArray gamma(1232, '\0');
    for (int i = 0; i < gamma.size(); ++i)
        gamma[i] = static_cast<char>((i * 131 + 17) & 0xFF);
    QVERIFY(writeFile(local.filePath("gamma.bin"), gamma));
    QVERIFY(h.dropFiles({QUrl::fromLocalFile(local.filePath("gamma.bin"))}));
    QTRY_COMPARE_WITH_TIMEOUT(rows(h.tree()).value("gamma.bin"), QStringLiteral("1232 Байт"), 15000);

    // Download: byte-identical files in the chosen folder.
    QTemporaryDir folder;
    chooseFromMenu(h, seam, {"alpha.bin", "gamma.bin"}, QStringLiteral("Скачать"), QMessageBox::Yes,
                   folder.path());
    QTRY_COMPARE_WITH_TIMEOUT(entriesOf(folder.path()), QStringList({"alpha.bin", "gamma.bin"}), 15000);
    QCOMPARE(readAll(folder.filePath("alpha.bin")), boardsim::demoContent("alpha.bin", 100));
    QCOMPARE(readAll(folder.filePath("gamma.bin")), gamma);

    // Delete after Yes: the file leaves the list.
    chooseFromMenu(h, seam, {"beta.bin"}, QStringLiteral("Удалить"));
    QTRY_VERIFY_WITH_TIMEOUT(!rows(h.tree()).contains("beta.bin"), 15000);
    QCOMPARE(rows(h.tree()).keys(), QStringList({"alpha.bin", "gamma.bin"}));
    QVERIFY(seam.of(ModalSeam::Kind::MessageBox).size() == 1); // the delete question only
    flushDeferredDeletes();
}

void TestEndToEnd::connectAndCancelCycles()
{
    // The board never answers a download, so each one waits in its dialog until the user closes it.
    BoardSimProcess sim(simArguments({"--ignore", "get"}));
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    WindowHarness h;
    h.link->setTimeScale(0.2); // a quicker queue; the download's limit is still 10 s
    QTemporaryDir folder;
    SeamScript seam;

    constexpr int kCycles = 50;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        QVERIFY(h.connectTo(sim.host(), sim.port()));
        QCOMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));
        chooseFromMenu(h, seam, {"alpha.bin"}, QStringLiteral("Скачать"), QMessageBox::Yes, folder.path());
        QTRY_COMPARE(h.progressDialogs().size(), 1);
        QPointer<ProgressBarWindow> dialog = h.progressDialogs().first();
        QCOMPARE(WindowHarness::description(dialog), QStringLiteral("Получение файлов..."));

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
