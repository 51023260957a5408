// The window's frame: form, status bar, connection display, result and error boxes, and the
// actions that open the settings dialog and the builder window.
#include "configscreator.h"
#include "connectionsettings.h"
#include "seamscript.h"
#include "windowharness.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

namespace {

QColor textColour(const QLabel *label, QPalette::ColorGroup group)
{
    return label->palette().color(group, QPalette::WindowText);
}

bool colouredInAllGroups(const QLabel *label, const QColor &colour)
{
    return textColour(label, QPalette::Active) == colour && textColour(label, QPalette::Inactive) == colour &&
           textColour(label, QPalette::Disabled) == colour;
}

} // namespace

class TestMainWindowFrame : public QObject
{
    Q_OBJECT

private slots:
    void frameAtStart();
    void listBehaviour();
    void connectionStateDisplay();
    void resultsAndErrorsAreShownQueued();
    void actionsDriveTheLink();
    void timeoutShowsErrorAfterOffline();
    void settingsDialogFromTheWindow();
    void builderWindowsOwnThemselves();
};

void TestMainWindowFrame::frameAtStart()
{
    WindowHarness h;
    h.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));

    QCOMPARE(h.window.windowTitle(), QStringLiteral("Velmora file manager v2.0.7"));
    QVERIFY(h.link);
    QCOMPARE(h.link->parent(), &h.window);
    QCOMPARE(h.window.findChildren<FsManager *>().size(), 1);

    // The address label shows the link's address, not the form's placeholder.
    QCOMPARE(h.label("pcbIp")->text(), h.link->getPcbIp().toString());
    QVERIFY(!h.link->getPcbIp().isNull());
    QCOMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
    QVERIFY(colouredInAllGroups(h.label("connectionState"), Qt::red));

    // Left: count, used, free; total on the right, at the far end of the bar.
    QCOMPARE(h.statusTexts(),
             QStringList({QStringLiteral("Количество файлов:  0  "), QStringLiteral("Занято:  0 Байт  "),
                          QStringLiteral("Свободно:  0 Байт  "),
                          QStringLiteral("Общий объем памяти:  0 Байт  ")}));
    const QList<QLabel *> labels = h.statusLabels();
    const int barRight = h.window.statusBar()->width();
    const int totalRight = labels.last()->mapTo(h.window.statusBar(), QPoint(labels.last()->width(), 0)).x();
    QVERIFY2(barRight - totalRight < 40,
             qPrintable(QStringLiteral("total ends at %1 of %2").arg(totalRight).arg(barRight)));
    // Each label is driven by its own signal.
    emit h.window.updateStatusMemoryUsed(QStringLiteral("used"));
    emit h.window.updateStatusAllMemory(QStringLiteral("total"));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("used"));
    QCOMPARE(labels.at(3)->text(), QStringLiteral("total"));
}

void TestMainWindowFrame::listBehaviour()
{
    WindowHarness h;
    QTreeWidget *tree = h.tree();
    // Drops land on the window, never on the list; rows are picked, not edited.
    QVERIFY(h.window.acceptDrops());
    QVERIFY(!tree->acceptDrops());
    QCOMPARE(tree->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(tree->contextMenuPolicy(), Qt::CustomContextMenu);
    QVERIFY(tree->isSortingEnabled());
    QCOMPARE(tree->header()->sortIndicatorSection(), 0);
    QCOMPARE(tree->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    QStringList headers;
    for (int c = 0; c < tree->columnCount(); ++c)
        headers << tree->headerItem()->text(c);
    QCOMPARE(headers, QStringList({"Имя", "Дата изменения", "Размер", "Адрес в памяти", "Номер блока"}));
    QVERIFY(Qt::mightBeRichText(tree->toolTip()));
    QVERIFY(tree->toolTip().contains(QStringLiteral("Для отправки файлов перетащите их в эту область")));

    // A date-time and a full 32-bit address fit their columns without being elided.
    const QFontMetrics metrics(tree->font());
    const QString date =
        tree->locale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59, 59)), QLocale::ShortFormat);
    QVERIFY(tree->columnWidth(1) > metrics.horizontalAdvance(date));
    QVERIFY(tree->columnWidth(3) > metrics.horizontalAdvance(QStringLiteral("4294967295")));
}

void TestMainWindowFrame::connectionStateDisplay()
{
    WindowHarness h;
    QLabel *state = h.label("connectionState");

    // The address label is refreshed from the link on every state change.
    h.link->setPcbIp(QHostAddress(QStringLiteral("127.0.0.3")));
    emit h.link->connectionStateIsUpdated(1);
    QCOMPARE(state->text(), QStringLiteral("Offline")); // queued: not applied inside the emission
    QTRY_COMPARE(state->text(), QStringLiteral("Online"));
    QVERIFY(colouredInAllGroups(state, Qt::green));
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.3"));

    emit h.link->connectionStateIsUpdated(0);
    QTRY_COMPARE(state->text(), QStringLiteral("Offline"));
    QVERIFY(colouredInAllGroups(state, Qt::red));

    // Any non-zero state reads as connected.
    emit h.link->connectionStateIsUpdated(7);
    QTRY_COMPARE(state->text(), QStringLiteral("Online"));
    QVERIFY(colouredInAllGroups(state, Qt::green));
}

void TestMainWindowFrame::resultsAndErrorsAreShownQueued()
{
    WindowHarness h;
    SeamScript seam;

    emit h.link->filesSendingIsFinished(QStringLiteral("Ok"));
    emit h.link->fileDeletingIsFinished(QStringLiteral("Ok"));
    emit h.link->filesSendingIsFinished(QStringLiteral("Ошибка сети!"));
    emit h.link->fileDeletingIsFinished(QStringLiteral("ok"));
    emit h.link->errorOccured(QStringLiteral("Connection refused"));
    QVERIFY(seam.calls.isEmpty()); // all of them wait for the event loop
    QTRY_COMPARE(seam.calls.size(), 3);

    const QStringList expected = {QStringLiteral("Ошибка сети!"), QStringLiteral("ok"),
                                  QStringLiteral("Connection refused")};
    for (int i = 0; i < 3; ++i) {
        const ModalSeam::Request &r = seam.calls.at(i).request;
        QCOMPARE(r.kind, ModalSeam::Kind::MessageBox);
        QCOMPARE(r.icon, QMessageBox::Critical);
        QCOMPARE(r.parent, &h.window);
        QCOMPARE(r.title, QStringLiteral("Ошибка!"));
        QCOMPARE(r.text, expected.at(i));
        QCOMPARE(r.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(r.defaultButton, QMessageBox::NoButton);
    }
}

void TestMainWindowFrame::actionsDriveTheLink()
{
    WindowHarness h;
    QVERIFY(h.connectToBoard());
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.1"));

    const int listsBefore = h.board.count(1);
    h.action("refreshListFiles")->trigger();
    QTRY_VERIFY(h.board.count(1) > listsBefore);

    h.action("disconnectFromPcb")->trigger();
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
    QVERIFY(colouredInAllGroups(h.label("connectionState"), Qt::red));
    QTRY_VERIFY(!h.board.hasPeer());
}

void TestMainWindowFrame::timeoutShowsErrorAfterOffline()
{
    WindowHarness h;
    SeamScript seam;
    QString stateWhenShown;
    seam.responder = [&](const ModalSeam::Request &) {
        stateWhenShown = h.label("connectionState")->text();
        return SeamScript::button(QMessageBox::Ok);
    };
    // The board takes the connection but never answers the file list request.
    h.board.holdReplies.insert(1);
    h.link->setTimeScale(0.05);
    QVERIFY(h.board.listen());
    h.link->setPcbIp(QHostAddress(QHostAddress::LocalHost));
    h.link->setPcbPort(h.board.port());
    h.action("connectToPcb")->trigger();

    QTRY_COMPARE_WITH_TIMEOUT(seam.calls.size(), 1, 10000);
    QCOMPARE(seam.calls.first().request.title, QStringLiteral("Ошибка!"));
    QCOMPARE(seam.calls.first().request.text, QStringLiteral("Ошибка подключения"));
    QCOMPARE(stateWhenShown, QStringLiteral("Offline"));
    QVERIFY(colouredInAllGroups(h.label("connectionState"), Qt::red));
}

void TestMainWindowFrame::settingsDialogFromTheWindow()
{
    WindowHarness h;

    // Offline: a new address shows at once through pcbIpChanged.
    h.action("connectionSettings")->trigger();
    QPointer<ConnectionSettings> dialog = h.window.findChild<ConnectionSettings *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog->parentWidget(), &h.window);
    dialog->findChild<QLineEdit *>(QStringLiteral("targetIp"))->setText(QStringLiteral("127.0.0.5"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Ok")), Qt::LeftButton);
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.5"));
    QVERIFY(!dialog->isVisible());
    flushDeferredDeletes();
    QVERIFY(dialog.isNull());

    // Cancel leaves everything as it was and still releases the dialog.
    h.action("connectionSettings")->trigger();
    dialog = h.window.findChild<ConnectionSettings *>();
    QVERIFY(dialog);
    dialog->findChild<QLineEdit *>(QStringLiteral("targetIp"))->setText(QStringLiteral("127.0.0.9"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Cancel")), Qt::LeftButton);
    flushDeferredDeletes();
    QVERIFY(dialog.isNull());
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.5"));
    QCOMPARE(h.link->getPcbIp(), QHostAddress(QStringLiteral("127.0.0.5")));

    // Online: the connection is dropped and the new address arrives with the state change.
    QVERIFY(h.connectToBoard());
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.1"));
    h.action("connectionSettings")->trigger();
    dialog = h.window.findChild<ConnectionSettings *>();
    QVERIFY(dialog);
    QSignalSpy changed(dialog.data(), &ConnectionSettings::pcbIpChanged);
    dialog->findChild<QLineEdit *>(QStringLiteral("targetIp"))->setText(QStringLiteral("127.0.0.6"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Ok")), Qt::LeftButton);
    QCOMPARE(changed.count(), 0);
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.6"));
    QTRY_VERIFY(!h.board.hasPeer());
}

void TestMainWindowFrame::builderWindowsOwnThemselves()
{
    WindowHarness h;
    const auto builders = [] {
        QList<ConfigsCreator *> found;
        const QWidgetList tops = QApplication::topLevelWidgets();
        for (QWidget *w : tops)
            if (auto *c = qobject_cast<ConfigsCreator *>(w))
                found << c;
        return found;
    };
    flushDeferredDeletes();
    QCOMPARE(builders().size(), 0);

    h.action("configCreate")->trigger();
    h.action("configCreate")->trigger();
    const QList<ConfigsCreator *> opened = builders();
    QCOMPARE(opened.size(), 2); // each use opens an independent window
    QPointer<ConfigsCreator> first = opened.at(0);
    QPointer<ConfigsCreator> second = opened.at(1);
    QVERIFY(first->isVisible() && second->isVisible());
    QVERIFY(!first->parent() && !second->parent());

    emit first->finished();
    flushDeferredDeletes();
    QVERIFY(first.isNull());
    QVERIFY(!second.isNull());
    emit second->finished();
    flushDeferredDeletes();
    QVERIFY(second.isNull());
}

QTEST_MAIN(TestMainWindowFrame)
#include "tst_mainwindowframe.moc"
