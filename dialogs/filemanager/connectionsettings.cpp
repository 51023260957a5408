#include "connectionsettings.h"

#include "fsmanager.h"
#include "modalseam.h"
#include "pcbaddress.h"
#include "ui_connectionsettings.h"

#include <QHostAddress>
#include <QPushButton>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QRegExp>
#include <QRegExpValidator>
#else
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#endif

namespace {
// An IPv4 address that may still be incomplete: empty octets are accepted, so that an address can
// be typed from left to right. The final check (PcbAddress::fromText) needs all four octets.
const char *const kInputOctet = "(([0-1]?[0-9]?[0-9]|2[0-4][0-9]|25[0-5])?)";

// Four octets separated by single dots, unanchored: each engine below anchors it its own way.
QString fourOctets()
{
    const QString octet = QLatin1String(kInputOctet);
    return octet + QStringLiteral("\\.") + octet + QStringLiteral("\\.") + octet + QStringLiteral("\\.") +
           octet;
}

// Qt 6 has no classic regular expressions. Its validator anchors the pattern to the whole text
// itself; a "$" there would also let the text end in a newline.
QValidator *newInputValidator(QObject *parent)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return new QRegExpValidator(
        QRegExp(QStringLiteral("^") + fourOctets() + QStringLiteral("$"), Qt::CaseSensitive, QRegExp::RegExp),
        parent);
#else
    return new QRegularExpressionValidator(QRegularExpression(fourOctets()), parent);
#endif
}
} // namespace

ConnectionSettings::ConnectionSettings(QWidget *parent, FsManager *link)
    : QDialog(parent), fsManager(link), ui(std::make_unique<ConnectionSettingsForm>())
{
    ui->setupUi(this);

    ui->targetIp->setValidator(newInputValidator(this));
    ui->targetIp->setText(fsManager->getPcbIp().toString());
    ui->targetIp->setCursorPosition(0);
    ui->targetPort->setValue(fsManager->getPcbPort());

    // For screen readers: the fields by what they hold, the buttons by what they do.
    ui->targetIp->setAccessibleName(tr("Ip адрес платы"));
    ui->targetIp->setAccessibleDescription(tr("Четыре числа от 0 до 255 через точку"));
    ui->targetPort->setAccessibleName(tr("Порт платы"));
    ui->targetPort->setAccessibleDescription(tr("Номер TCP-порта платы, от 1 до 65535"));
    ui->Ok->setAccessibleDescription(tr("Запомнить адрес и порт платы"));
    ui->Cancel->setAccessibleDescription(tr("Закрыть, ничего не меняя"));
}

ConnectionSettings::~ConnectionSettings() = default;

void ConnectionSettings::on_Ok_clicked()
{
    QHostAddress typedAddress;
    if (!PcbAddress::fromText(ui->targetIp->text(), &typedAddress)) {
        auto *box = new QMessageBox(QMessageBox::Critical, tr("Ошибка!"), tr("Неверно задан Ip адрес!"),
                                    QMessageBox::Yes | QMessageBox::Cancel, this);
        box->button(QMessageBox::Yes)->setText(tr(" Закрыть без сохранения "));
        box->button(QMessageBox::Cancel)->setText(tr("Отмена"));
        const int answer = ModalSeam::execMessageBox(box);
        box->deleteLater();
        if (answer == QMessageBox::Yes)
            reject();
        return;
    }

    fsManager->setPcbPort(static_cast<uint16_t>(ui->targetPort->value()));

    if (typedAddress != fsManager->getPcbIp()) {
        fsManager->setPcbIp(typedAddress);
        if (fsManager->isConnected())
            fsManager->disconnectFromPcb();
        else
            emit pcbIpChanged();
    }
    accept();
}

void ConnectionSettings::on_Cancel_clicked()
{
    reject();
}
