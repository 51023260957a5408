#include "builderkit.h"
#include "configscreator.h"
#include "modalseam.h"
#include "testfiles.h"

#include <QAction>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace BuilderKit;

namespace {
// The opening tag of a pin's element in a report.
QString pinElement(const QString &report, int pin)
{
    const QRegularExpression element(QStringLiteral("<[a-z]+ class=\"pin\" id=\"pin-%1\"[^>]*>").arg(pin));
    return element.match(report).captured(0);
}
} // namespace

class TestConfigReport : public QObject
{
    Q_OBJECT

private slots:
    void reportOfTheWindow_data();
    void reportOfTheWindow();
};

void TestConfigReport::reportOfTheWindow_data()
{
    QTest::addColumn<QString>("chosen");  // the save chooser's answer, in the test's folder; empty: cancelled
    QTest::addColumn<QString>("written"); // the file expected, in the test's folder; empty: none
    QTest::addColumn<bool>("browser");    // whether the desktop takes the page
    QTest::addColumn<QString>("box");     // "icon|title" of the box shown, if any

    QTest::newRow("chosen") << "pins.html"
                            << "pins.html" << true << QString();
    QTest::newRow("suffix added") << "pins"
                                  << "pins.html" << true << QString();
    QTest::newRow("cancelled") << QString() << QString() << false << QString();
    QTest::newRow("no browser") << "pins.html"
                                << "pins.html" << false
                                << QString::number(QMessageBox::Information) + "|Отчёт";
    QTest::newRow("folder missing") << "gone/pins.html" << QString() << false
                                    << QString::number(QMessageBox::Critical) + "|Ошибка!";
}

// "Отчёт…" writes the report of what the window holds, unsaved, and hands it to the browser.
void TestConfigReport::reportOfTheWindow()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(bool, browser);
    QFETCH(QString, box);
    QTemporaryDir folder;
    ConfigsCreator window;
    window.fillAllTabs();
    chooseFunction(window, 48, QStringLiteral("Аналоговый вход"));

    QStringList boxes;
    QList<QUrl> opened;
    ModalSeam::setHandler([&](const ModalSeam::Request &request) {
        ModalSeam::Answer answer;
        if (request.kind == ModalSeam::Kind::SaveFileName && !chosen.isEmpty())
            answer.path = folder.filePath(chosen);
        if (request.kind == ModalSeam::Kind::OpenUrl) {
            opened << request.url;
            answer.opened = browser;
        }
        if (request.kind == ModalSeam::Kind::MessageBox)
            boxes << QString::number(request.icon) + QLatin1Char('|') + request.title;
        answer.button = QMessageBox::Ok;
        return answer;
    });
    window.findChild<QAction *>(QStringLiteral("writeReport"))->trigger();
    ModalSeam::setHandler({});

    QCOMPARE(boxes, box.isEmpty() ? QStringList() : QStringList{box});
    QCOMPARE(entriesOf(folder.path()), written.isEmpty() ? QStringList() : QStringList{written});
    if (written.isEmpty()) {
        QVERIFY(opened.isEmpty());
        return;
    }
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(folder.filePath(written))});
    const QString report = QString::fromUtf8(readAll(folder.filePath(written)));
    QVERIFY2(pinElement(report, 48).contains(QLatin1String("data-group=\"adc\"")),
             qPrintable(pinElement(report, 48)));
    QVERIFY(pinElement(report, 49).contains(QLatin1String("data-group=\"free\"")));
}

QTEST_MAIN(TestConfigReport)
#include "tst_configreport.moc"
