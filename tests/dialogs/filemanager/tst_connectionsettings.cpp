// The connection settings dialog: what it shows, what it stores in the link, when it drops the
// connection, and how it treats a malformed address.
#include "connectionsettings.h"
#include "fsmanager.h"
#include "modalseam.h"
#include "tempcwd.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTranslator>
#include <QValidator>
#include <memory>

namespace {

// The dialog with its link, inside a temporary working directory (constructed first, since the
// link reads its settings file from there).
struct Fixture
{
    TempCwd cwd;
    FsManager link;
    std::unique_ptr<ConnectionSettings> dialog;

    void open()
    {
        dialog = std::make_unique<ConnectionSettings>(nullptr, &link);
        dialog->show();
    }
    QLineEdit *ip() const { return dialog->findChild<QLineEdit *>(QStringLiteral("targetIp")); }
    QSpinBox *port() const { return dialog->findChild<QSpinBox *>(QStringLiteral("targetPort")); }
    void press(const char *button) const
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
    }
    QString settingsFile() const { return cwd.filePath(QStringLiteral("pcbSettings.ini")); }
    QString storedAddress() const
    {
        return QSettings(settingsFile(), QSettings::IniFormat).value(QStringLiteral("IP_ADDRESS")).toString();
    }
};

// Answers every modal request for one scope and keeps what was asked.
struct SeamAnswers
{
    struct Box
    {
        ModalSeam::Request request;
        QString yesText, cancelText;
        QPointer<QMessageBox> box;
    };
    explicit SeamAnswers(int answer)
    {
        ModalSeam::setHandler([this, answer](const ModalSeam::Request &request) {
            Box seen{request, QString(), QString(), request.box};
            if (request.box) {
                seen.yesText = request.box->button(QMessageBox::Yes)->text();
                seen.cancelText = request.box->button(QMessageBox::Cancel)->text();
            }
            boxes << seen;
            ModalSeam::Answer reply;
            reply.button = answer;
            return reply;
        });
    }
    ~SeamAnswers() { ModalSeam::setHandler(ModalSeam::Handler()); }
    SeamAnswers(const SeamAnswers &) = delete;
    SeamAnswers &operator=(const SeamAnswers &) = delete;
    QList<Box> boxes;
};

class ContextRecorder : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        seen.insert(QString::fromUtf8(sourceText), QString::fromUtf8(context));
        return QString();
    }
    bool isEmpty() const override { return false; }
    mutable QMap<QString, QString> seen;
};

} // namespace

class TestConnectionSettings : public QObject
{
    Q_OBJECT

private slots:
    void opensWithTheLinksValues();
    void formTextsInOwnContext();
    void unchangedAddressStoresOnlyPort();
    void newAddressWhileOffline();
    void newAddressWhileOnlineDropsConnection();
    void octetsAreDecimal_data();
    void octetsAreDecimal();
    void malformedAddress_data();
    void malformedAddress();
    void cancelAndCloseStoreNothing_data();
    void cancelAndCloseStoreNothing();
    void portRange();
    void validatorStates_data();
    void validatorStates();
    void validatorRefusesWhatCannotBecomeAnAddress();
};

void TestConnectionSettings::opensWithTheLinksValues()
{
    Fixture f;
    f.link.setPcbIp(QHostAddress(QStringLiteral("127.0.0.7")));
    f.link.setPcbPort(3456);
    ConnectionSettings unshown(nullptr, &f.link);
    QCOMPARE(unshown.size(), QSize(363, 103)); // the layout may grow it once shown, with larger fonts
    f.open();
    QCOMPARE(f.dialog->objectName(), QStringLiteral("ConnectionSettings"));
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Настройки подключения"));
    QVERIFY(!f.dialog->windowIcon().isNull());
    QCOMPARE(f.ip()->text(), QStringLiteral("127.0.0.7"));
    QCOMPARE(f.ip()->cursorPosition(), 0);
    QCOMPARE(f.ip()->maxLength(), 15);
    QCOMPARE(f.port()->value(), 3456);
}

void TestConnectionSettings::formTextsInOwnContext()
{
    ContextRecorder recorder;
    QCoreApplication::installTranslator(&recorder);
    {
        Fixture f;
        f.link.setPcbIp(QHostAddress(QStringLiteral("127.0.0.1")));
        f.open();
        SeamAnswers seam(QMessageBox::Cancel);
        f.ip()->setText(QStringLiteral("127.0.0"));
        f.press("Ok");
    }
    QCoreApplication::removeTranslator(&recorder);
    for (const char *text : {"Настройки подключения", "Ip адрес", "Порт", "Отмена", "Ошибка!",
                             "Неверно задан Ip адрес!", " Закрыть без сохранения "})
        QVERIFY2(recorder.seen.value(QString::fromUtf8(text)) == QStringLiteral("ConnectionSettings"), text);
}

void TestConnectionSettings::unchangedAddressStoresOnlyPort()
{
    Fixture f;
    const QHostAddress before = f.link.getPcbIp();
    f.open();
    QSignalSpy changed(f.dialog.get(), &ConnectionSettings::pcbIpChanged);
    QSignalSpy accepted(f.dialog.get(), &QDialog::accepted);
    f.port()->setValue(4000);
    f.press("Ok");
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(f.link.getPcbPort(), quint16(4000));
    QCOMPARE(f.link.getPcbIp(), before);
    QCOMPARE(changed.count(), 0);
    QVERIFY(!QFile::exists(f.settingsFile())); // nothing stored on disk
}

void TestConnectionSettings::newAddressWhileOffline()
{
    Fixture f;
    f.open();
    QSignalSpy changed(f.dialog.get(), &ConnectionSettings::pcbIpChanged);
    QSignalSpy accepted(f.dialog.get(), &QDialog::accepted);
    f.ip()->setText(QStringLiteral("127.0.0.8"));
    f.press("Ok");
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(f.link.getPcbIp(), QHostAddress(QStringLiteral("127.0.0.8")));
    QCOMPARE(f.storedAddress(), QStringLiteral("127.0.0.8"));
}

void TestConnectionSettings::newAddressWhileOnlineDropsConnection()
{
    Fixture f;
    QTcpServer board;
    QVERIFY(board.listen(QHostAddress::LocalHost, 0));
    f.link.setPcbIp(QHostAddress(QHostAddress::LocalHost));
    f.link.setPcbPort(board.serverPort());
    QSignalSpy online(&f.link, &FsManager::connectionStateIsUpdated);
    f.link.connectToPcb();
    QVERIFY(online.wait(5000));
    QCOMPARE(online.first().first().toInt(), 1);
    QVERIFY(board.hasPendingConnections());
    QTcpSocket *peer = board.nextPendingConnection();

    f.open();
    QSignalSpy changed(f.dialog.get(), &ConnectionSettings::pcbIpChanged);
    QSignalSpy state(&f.link, &FsManager::connectionStateIsUpdated);
    f.ip()->setText(QStringLiteral("127.0.0.9"));
    f.press("Ok");
    QVERIFY(!f.link.isConnected());
    QCOMPARE(changed.count(), 0);
    QTRY_VERIFY(!state.isEmpty());
    QCOMPARE(state.last().first().toInt(), 0);
    QCOMPARE(f.link.getPcbIp(), QHostAddress(QStringLiteral("127.0.0.9")));
    QCOMPARE(f.storedAddress(), QStringLiteral("127.0.0.9"));
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
}

void TestConnectionSettings::octetsAreDecimal_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("changed");
    QTest::newRow("leading zeros") << "127.000.000.010"
                                   << "127.0.0.10" << true;
    QTest::newRow("zero before eight") << "127.0.0.08"
                                       << "127.0.0.8" << true;
    QTest::newRow("zeros everywhere") << "001.002.003.009"
                                      << "1.2.3.9" << true;
    QTest::newRow("same address written longer") << "127.000.000.001"
                                                 << "127.0.0.1" << false;
}

void TestConnectionSettings::octetsAreDecimal()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(bool, changed);
    Fixture f;
    f.link.setPcbIp(QHostAddress(QStringLiteral("127.0.0.1")));
    f.open();
    QSignalSpy ipChanged(f.dialog.get(), &ConnectionSettings::pcbIpChanged);
    f.ip()->setText(typed);
    f.press("Ok");
    QCOMPARE(f.link.getPcbIp(), QHostAddress(stored));
    QCOMPARE(f.storedAddress(), stored);
    QCOMPARE(ipChanged.count(), changed ? 1 : 0);
}

void TestConnectionSettings::malformedAddress_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::newRow("three octets, cancel") << "127.0.0" << int(QMessageBox::Cancel);
    QTest::newRow("three octets, close without saving") << "127.0.0" << int(QMessageBox::Yes);
    QTest::newRow("empty octet, cancel") << "127..0.1" << int(QMessageBox::Cancel);
    QTest::newRow("octet too big, escape") << "127.0.0.256" << int(QMessageBox::NoButton);
}

void TestConnectionSettings::malformedAddress()
{
    QFETCH(QString, typed);
    QFETCH(int, answer);
    Fixture f;
    const QHostAddress before = f.link.getPcbIp();
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);
    QSignalSpy changed(f.dialog.get(), &ConnectionSettings::pcbIpChanged);
    f.port()->setValue(4321);
    f.ip()->setText(typed);
    SeamAnswers seam(answer);
    f.press("Ok");

    QCOMPARE(seam.boxes.size(), 1);
    const SeamAnswers::Box &box = seam.boxes.first();
    QCOMPARE(box.request.kind, ModalSeam::Kind::BuiltMessageBox);
    QCOMPARE(box.request.icon, QMessageBox::Critical);
    QCOMPARE(box.request.parent, f.dialog.get());
    QCOMPARE(box.request.title, QStringLiteral("Ошибка!"));
    QCOMPARE(box.request.text, QStringLiteral("Неверно задан Ip адрес!"));
    QCOMPARE(box.request.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::Cancel));
    QCOMPARE(box.yesText, QStringLiteral(" Закрыть без сохранения "));
    QCOMPARE(box.cancelText, QStringLiteral("Отмена"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box.box.isNull());

    // Nothing is stored either way.
    QCOMPARE(f.link.getPcbIp(), before);
    QCOMPARE(f.link.getPcbPort(), quint16(2502));
    QCOMPARE(changed.count(), 0);
    QVERIFY(!QFile::exists(f.settingsFile()));
    if (answer == QMessageBox::Yes) {
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
    } else {
        // Back in the dialog with the text as typed, ready to be corrected.
        QCOMPARE(finished.count(), 0);
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.ip()->text(), typed);
    }
}

void TestConnectionSettings::cancelAndCloseStoreNothing_data()
{
    QTest::addColumn<bool>("viaCloseButton");
    QTest::newRow("cancel button") << false;
    QTest::newRow("window close") << true;
}

void TestConnectionSettings::cancelAndCloseStoreNothing()
{
    QFETCH(bool, viaCloseButton);
    Fixture f;
    const QHostAddress before = f.link.getPcbIp();
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);
    f.ip()->setText(QStringLiteral("127.0.0.4"));
    f.port()->setValue(1234);
    if (viaCloseButton)
        f.dialog->close();
    else
        f.press("Cancel");
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
    QCOMPARE(f.link.getPcbIp(), before);
    QCOMPARE(f.link.getPcbPort(), quint16(2502));
    QVERIFY(!QFile::exists(f.settingsFile()));
}

void TestConnectionSettings::portRange()
{
    Fixture f;
    f.open();
    QSpinBox *port = f.port();
    QCOMPARE(port->minimum(), 1);
    QCOMPARE(port->maximum(), 65535);
    port->setValue(0);
    QCOMPARE(port->value(), 1);
    port->setValue(70000);
    QCOMPARE(port->value(), 65535);
    // Typing: the digit that would leave the range is refused.
    port->selectAll();
    QTest::keyClicks(port, QStringLiteral("65536"));
    QCOMPARE(port->value(), 6553);
    f.press("Ok");
    QCOMPARE(f.link.getPcbPort(), quint16(6553));
}

// The address filter is built differently on Qt 5 and Qt 6; this one table runs on both builds.
void TestConnectionSettings::validatorStates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    const int ok = QValidator::Acceptable, open = QValidator::Intermediate, refused = QValidator::Invalid;
    QTest::newRow("address") << "192.168.1.20" << ok;
    QTest::newRow("largest octets") << "255.255.255.255" << ok;
    QTest::newRow("leading zeros") << "001.020.003.000" << ok;
    QTest::newRow("empty octets") << "..." << ok;
    QTest::newRow("last octet missing") << "10.0.0." << ok;
    QTest::newRow("empty") << "" << open;
    QTest::newRow("one octet") << "127" << open;
    QTest::newRow("three octets") << "127.0.0" << open;
    QTest::newRow("trailing dot of the second") << "127.0." << open;
    QTest::newRow("octet 256") << "256" << refused;
    QTest::newRow("octet 260 last") << "1.2.3.260" << refused;
    QTest::newRow("four digits") << "1.2.3.0001" << refused;
    QTest::newRow("fifth octet") << "1.2.3.4.5" << refused;
    QTest::newRow("double dot past four") << "1..2..3" << refused;
    QTest::newRow("letter") << "12a" << refused;
    QTest::newRow("host name") << "localhost" << refused;
    QTest::newRow("space") << "1.2.3.4 " << refused;
    QTest::newRow("newline") << "1.2.3.4\n" << refused;
    QTest::newRow("minus") << "-1.2.3.4" << refused;
    QTest::newRow("other script digit") << QString::fromUtf8("1.2.3.\u0664") << refused;
    QTest::newRow("full-width digit") << QString::fromUtf8("1.2.3.\uff14") << refused;
    QTest::newRow("ipv6") << "::1" << refused;
}

void TestConnectionSettings::validatorStates()
{
    QFETCH(QString, text);
    QFETCH(int, state);
    Fixture f;
    f.open();
    const QValidator *validator = f.ip()->validator();
    QVERIFY(validator);
    int pos = 0;
    QCOMPARE(int(validator->validate(text, pos)), state);
}

void TestConnectionSettings::validatorRefusesWhatCannotBecomeAnAddress()
{
    Fixture f;
    f.open();
    QLineEdit *ip = f.ip();
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("12a7.x0.0.1"));
    QCOMPARE(ip->text(), QStringLiteral("127.0.0.1"));
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("127.100.200.2505"));
    QCOMPARE(ip->text(), QStringLiteral("127.100.200.250")); // 15 characters, the rest refused
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("127.0.0.1.5"));
    QCOMPARE(ip->text(), QStringLiteral("127.0.0.15")); // no fifth octet
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("256"));
    QCOMPARE(ip->text(), QStringLiteral("25"));
}

QTEST_MAIN(TestConnectionSettings)
#include "tst_connectionsettings.moc"
