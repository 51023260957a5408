// The connection settings dialog: its texts, what it stores in the link, when it drops the
// connection, and how it treats a malformed address.
#include "connectionsettings.h"
#include "fsmanager.h"
#include "seamscript.h"
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

// Keeps the context each text was translated in; translates nothing, as no catalogue is loaded.
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

// The dialog with its link, inside a temporary working directory (constructed first, since the
// link reads its settings file from there).
struct Fixture
{
    Fixture() { QCoreApplication::installTranslator(&translations); }
    ~Fixture() { QCoreApplication::removeTranslator(&translations); }

    ContextRecorder translations;
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

} // namespace

class TestConnectionSettings : public QObject
{
    Q_OBJECT

private slots:
    void formTexts_data();
    void formTexts();
    void opensWithTheLinksValues();
    void okStoresWhatChanged_data();
    void okStoresWhatChanged();
    void newAddressWhileOnlineDropsConnection();
    void malformedAddress_data();
    void malformedAddress();
    void cancelAndCloseStoreNothing_data();
    void cancelAndCloseStoreNothing();
    void portRange();
    void validatorStates_data();
    void validatorStates();
    void validatorRefusesWhatCannotBecomeAnAddress();
};

// Each text as shown, translated in the dialog's own context.
void TestConnectionSettings::formTexts_data()
{
    QTest::addColumn<QString>("object"); // empty: the dialog
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::newRow("title") << "" << QByteArray("windowTitle") << "Настройки подключения";
    QTest::newRow("address") << "targetIpLabel" << QByteArray("text") << "Ip адрес";
    QTest::newRow("port") << "targetPortLabel" << QByteArray("text") << "Порт";
    QTest::newRow("ok") << "Ok" << QByteArray("text") << "Ok";
    QTest::newRow("cancel") << "Cancel" << QByteArray("text") << "Отмена";
}

void TestConnectionSettings::formTexts()
{
    QFETCH(QString, object);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    Fixture f;
    f.open();
    const QObject *found = object.isEmpty() ? f.dialog.get() : f.dialog->findChild<QObject *>(object);
    QVERIFY(found);
    QCOMPARE(found->property(property.constData()).toString(), text);
    QCOMPARE(f.translations.seen.value(text), QStringLiteral("ConnectionSettings"));
}

void TestConnectionSettings::opensWithTheLinksValues()
{
    Fixture f;
    f.link.setPcbIp(QHostAddress(QStringLiteral("127.0.0.7")));
    f.link.setPcbPort(3456);
    f.open();
    QCOMPARE(f.ip()->text(), QStringLiteral("127.0.0.7"));
    QCOMPARE(f.ip()->cursorPosition(), 0);
    QCOMPARE(f.port()->value(), 3456);
    const QImage connectIcon = QIcon(QStringLiteral(":/icons/images/connect.png")).pixmap(32, 32).toImage();
    QVERIFY(!connectIcon.isNull());
    QCOMPARE(f.dialog->windowIcon().pixmap(32, 32).toImage(), connectIcon);
}

// The port is always taken; the address only when it differs from the link's, compared as
// written in decimal, and then it is stored and announced.
void TestConnectionSettings::okStoresWhatChanged_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("changed");
    QTest::newRow("port only") << "127.0.0.1"
                               << "127.0.0.1" << false;
    QTest::newRow("new address") << "127.0.0.8"
                                 << "127.0.0.8" << true;
    QTest::newRow("leading zeros") << "127.000.000.010"
                                   << "127.0.0.10" << true;
    QTest::newRow("zero before eight") << "127.0.0.08"
                                       << "127.0.0.8" << true;
    QTest::newRow("zeros everywhere") << "001.002.003.009"
                                      << "1.2.3.9" << true;
    QTest::newRow("same address written longer") << "127.000.000.001"
                                                 << "127.0.0.1" << false;
}

void TestConnectionSettings::okStoresWhatChanged()
{
    QFETCH(QString, typed);
    QFETCH(QString, address);
    QFETCH(bool, changed);
    Fixture f;
    f.link.setPcbIp(QHostAddress(QStringLiteral("127.0.0.1")));
    QVERIFY(QFile::remove(f.settingsFile())); // only what the dialog stores counts
    f.open();
    QSignalSpy ipChanged(f.dialog.get(), &ConnectionSettings::pcbIpChanged);
    QSignalSpy accepted(f.dialog.get(), &QDialog::accepted);
    f.port()->setValue(4000);
    f.ip()->setText(typed);
    f.press("Ok");
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(f.link.getPcbPort(), quint16(4000));
    QCOMPARE(f.link.getPcbIp(), QHostAddress(address));
    QCOMPARE(ipChanged.count(), changed ? 1 : 0);
    QCOMPARE(f.storedAddress(), changed ? address : QString());
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
    SeamScript seam;
    seam.responder = [answer](const ModalSeam::Request &) { return SeamScript::button(answer); };
    f.press("Ok");

    QCOMPARE(seam.calls.size(), 1);
    const SeamScript::Call &box = seam.calls.first();
    QCOMPARE(box.request.kind, ModalSeam::Kind::BuiltMessageBox);
    QCOMPARE(box.request.icon, QMessageBox::Critical);
    QCOMPARE(box.request.parent, f.dialog.get());
    QCOMPARE(box.request.title, QStringLiteral("Ошибка!"));
    QCOMPARE(box.request.text, QStringLiteral("Неверно задан Ip адрес!"));
    QCOMPARE(box.boxButtons,
             (QMap<int, QString>{{QMessageBox::Yes, QStringLiteral(" Закрыть без сохранения ")},
                                 {QMessageBox::Cancel, QStringLiteral("Отмена")}}));
    for (const QString &text : {box.request.title, box.request.text, box.boxButtons.value(QMessageBox::Yes)})
        QCOMPARE(f.translations.seen.value(text), QStringLiteral("ConnectionSettings"));
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
    QTest::newRow("address") << "203.0.113.20" << ok;
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
    QCOMPARE(ip->text(), QStringLiteral("127.100.200.250")); // no four-digit octet
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("127.0.0.1.5"));
    QCOMPARE(ip->text(), QStringLiteral("127.0.0.15")); // no fifth octet
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("256"));
    QCOMPARE(ip->text(), QStringLiteral("25"));
}

QTEST_MAIN(TestConnectionSettings)
#include "tst_connectionsettings.moc"
