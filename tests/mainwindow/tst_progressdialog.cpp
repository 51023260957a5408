// The progress dialog of a running command: what it shows, how the bar moves, and how closing it
// cancels the command. When it opens and goes, against every signal of the link, is tested with
// the window's frame.
#include "windowharness.h"

#include <QProgressBar>
#include <QTest>

namespace {

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
    void closingCancelsTheCommand_data();
    void closingCancelsTheCommand();
    void windowTakesOpenDialogAlong();
};

void TestProgressDialog::startShowsDescriptionAndMovesBar()
{
    WindowHarness h;
    emit h.link->progressUpdated(30); // before the dialog exists: reaches nothing
    emit h.link->startedRunCommand(QStringLiteral("Получение файлов..."));
    QTRY_COMPARE(h.progressDialogs().size(), 1);

    ProgressBarWindow *dialog = h.progressDialogs().first();
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->parentWidget(), &h.window);
    QCOMPARE(WindowHarness::description(dialog), QStringLiteral("Получение файлов..."));
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
    QTRY_COMPARE(h.progressDialogs().size(), 1);
    QPointer<ProgressBarWindow> cancelled = h.progressDialogs().first();
    if (escape)
        QTest::keyClick(cancelled.data(), Qt::Key_Escape);
    else
        cancelled->close();

    QVERIFY(!h.link->isConnected()); // dropped at once
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
    QTRY_VERIFY(!h.board.hasPeer());
    flushDeferredDeletes();
    QVERIFY(cancelled.isNull());
    QVERIFY(h.progressDialogs().isEmpty());

    // The next command opens a fresh dialog; the window's old reference reads empty, so the
    // cancelled dialog is never touched again.
    emit h.link->startedRunCommand(QStringLiteral("Отправка файлов..."));
    QTRY_COMPARE(h.progressDialogs().size(), 1);
    QCOMPARE(WindowHarness::description(h.progressDialogs().first()), QStringLiteral("Отправка файлов..."));
    emit h.link->filesSendingIsFinished(QStringLiteral("Ok"));
    const auto gone = [&] {
        flushDeferredDeletes();
        return h.progressDialogs().isEmpty();
    };
    QTRY_VERIFY(gone());
}

void TestProgressDialog::windowTakesOpenDialogAlong()
{
    QPointer<ProgressBarWindow> dialog;
    {
        WindowHarness h;
        emit h.link->startedRunCommand(QStringLiteral("..."));
        QTRY_COMPARE(h.progressDialogs().size(), 1);
        dialog = h.progressDialogs().first();
    }
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
