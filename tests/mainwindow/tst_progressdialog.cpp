// The progress dialog of a running command: creation, progress, replacement, cancel, and its
// removal before any result is shown.
#include "progressbarwindow.h"
#include "seamscript.h"
#include "windowharness.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {

QList<ProgressBarWindow *> dialogs(const MainWindow &window)
{
    return window.findChildren<ProgressBarWindow *>();
}

QString description(const ProgressBarWindow *dialog)
{
    return dialog->findChild<QLabel *>(QStringLiteral("progressName"))->text();
}

int barValue(const ProgressBarWindow *dialog)
{
    return dialog->findChild<QProgressBar *>(QStringLiteral("progressBar"))->value();
}

} // namespace

class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void startShowsDescriptionAndMovesBar();
    void twoCommandsLeaveOneDialog();
    void closingCancelsTheCommand_data();
    void closingCancelsTheCommand();
    void endOfCommandRemovesDialogBeforeMessage_data();
    void endOfCommandRemovesDialogBeforeMessage();
    void windowTakesOpenDialogAlong();
};

void TestProgressDialog::startShowsDescriptionAndMovesBar()
{
    WindowHarness h;
    emit h.link->progressUpdated(30); // before the dialog exists: reaches nothing
    emit h.link->startedRunCommand(QStringLiteral("Получение файлов..."));
    QVERIFY(dialogs(h.window).isEmpty()); // opened from the event loop
    QTRY_COMPARE(dialogs(h.window).size(), 1);

    ProgressBarWindow *dialog = dialogs(h.window).first();
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->parentWidget(), &h.window);
    QCOMPARE(description(dialog), QStringLiteral("Получение файлов..."));
    QCOMPARE(barValue(dialog), 0);

    emit h.link->progressUpdated(40);
    QCOMPARE(barValue(dialog), 40);
    emit h.link->progressUpdated(100);
    QCOMPARE(barValue(dialog), 100);
    emit h.link->progressUpdated(150);
    QCOMPARE(barValue(dialog), 100);
    emit h.link->progressUpdated(0xFFFFFFFFu);
    QCOMPARE(barValue(dialog), 100);
}

void TestProgressDialog::twoCommandsLeaveOneDialog()
{
    WindowHarness h;
    emit h.link->startedRunCommand(QStringLiteral("Отправка файлов..."));
    emit h.link->startedRunCommand(QStringLiteral("Удаление файла..."));
    QTRY_VERIFY(!dialogs(h.window).isEmpty());
    QCoreApplication::processEvents();
    flushDeferredDeletes();
    QCOMPARE(dialogs(h.window).size(), 1);
    ProgressBarWindow *dialog = dialogs(h.window).first();
    QCOMPARE(description(dialog), QStringLiteral("Удаление файла..."));
    emit h.link->progressUpdated(55);
    QCOMPARE(barValue(dialog), 55);
}

void TestProgressDialog::closingCancelsTheCommand_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("close button") << false;
    QTest::newRow("escape key") << true;
}

void TestProgressDialog::closingCancelsTheCommand()
{
    QFETCH(bool, escape);
    WindowHarness h;
    QVERIFY(h.connectToBoard());
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));

    emit h.link->startedRunCommand(QStringLiteral("Получение файлов..."));
    QTRY_COMPARE(dialogs(h.window).size(), 1);
    QPointer<ProgressBarWindow> cancelled = dialogs(h.window).first();
    if (escape)
        QTest::keyClick(cancelled.data(), Qt::Key_Escape);
    else
        cancelled->close();

    QVERIFY(!h.link->isConnected()); // dropped at once
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
    QTRY_VERIFY(!h.board.hasPeer());
    flushDeferredDeletes();
    QVERIFY(cancelled.isNull());
    QVERIFY(dialogs(h.window).isEmpty());

    // The next command opens a fresh dialog; the window's old reference reads empty, so the
    // cancelled dialog is never touched again.
    emit h.link->startedRunCommand(QStringLiteral("Отправка файлов..."));
    QTRY_COMPARE(dialogs(h.window).size(), 1);
    QCOMPARE(description(dialogs(h.window).first()), QStringLiteral("Отправка файлов..."));
    emit h.link->filesSendingIsFinished(QStringLiteral("Ok"));
    const auto gone = [&] {
        flushDeferredDeletes();
        return dialogs(h.window).isEmpty();
    };
    QTRY_VERIFY(gone());
}

void TestProgressDialog::endOfCommandRemovesDialogBeforeMessage_data()
{
    QTest::addColumn<int>("ending");
    QTest::addColumn<bool>("message");
    QTest::newRow("error") << 0 << true;
    QTest::newRow("upload ok") << 1 << false;
    QTest::newRow("upload failed") << 1 << true;
    QTest::newRow("delete ok") << 2 << false;
    QTest::newRow("delete failed") << 2 << true;
    QTest::newRow("download ok") << 3 << false;
    QTest::newRow("download failed") << 3 << true;
}

void TestProgressDialog::endOfCommandRemovesDialogBeforeMessage()
{
    QFETCH(int, ending);
    QFETCH(bool, message);
    WindowHarness h;
    SeamScript seam;
    int dialogsWhenShown = -1;
    seam.responder = [&](const ModalSeam::Request &) {
        // Whatever was scheduled for deletion goes now; a dialog still alive was not removed.
        flushDeferredDeletes();
        dialogsWhenShown = dialogs(h.window).size();
        return SeamScript::button(QMessageBox::Ok);
    };

    emit h.link->startedRunCommand(QStringLiteral("..."));
    QTRY_COMPARE(dialogs(h.window).size(), 1);
    const QString result = message ? QStringLiteral("Ошибка сети!") : QStringLiteral("Ok");
    switch (ending) {
    case 0:
        emit h.link->errorOccured(result);
        break;
    case 1:
        emit h.link->filesSendingIsFinished(result);
        break;
    case 2:
        emit h.link->fileDeletingIsFinished(result);
        break;
    default:
        emit h.link->filesRecievingIsFinished(QMap<QString, QByteArray>(), result);
        break;
    }
    if (message) {
        QTRY_COMPARE(seam.calls.size(), 1);
        QCOMPARE(seam.calls.first().request.text, result);
        QCOMPARE(dialogsWhenShown, 0);
    } else {
        QCoreApplication::processEvents();
        flushDeferredDeletes();
        QVERIFY(seam.calls.isEmpty());
        QVERIFY(dialogs(h.window).isEmpty());
    }
}

void TestProgressDialog::windowTakesOpenDialogAlong()
{
    QPointer<ProgressBarWindow> dialog;
    {
        WindowHarness h;
        emit h.link->startedRunCommand(QStringLiteral("..."));
        QTRY_COMPARE(dialogs(h.window).size(), 1);
        dialog = dialogs(h.window).first();
    }
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
