// The window against the board simulator process on 127.0.0.1: listing, upload by drop,
// download, delete, and a hostile name in the board's table.
#include "boardsimprocess.h"
#include "seamscript.h"
#include "testfiles.h"
#include "windowharness.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
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

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
