#include "connectionsettings.h"

#include "fsmanager.h"
#include "modalseam.h"
#include "ui_connectionsettings.h"

#include <QHostAddress>
#include <QPushButton>
#include <QRegExp>
#include <QRegExpValidator>

namespace {
const char *const kInputOctet = "(([0-1]?[0-9]?[0-9]|2[0-4][0-9]|25[0-5])?)";
const char *const kFinalOctet = "([0-1]?[0-9]?[0-9]|2[0-4][0-9]|25[0-5])";

QString fullPattern(const QString &octet)
{
    return QStringLiteral("^") + octet + QStringLiteral("\\.") + octet + QStringLiteral("\\.") + octet +
           QStringLiteral("\\.") + octet + QStringLiteral("$");
}

// Full patterns of an IPv4 address: the input filter also accepts empty octets, so that an
// address can be typed from left to right; the final check needs all four octets.
QString inputPattern()
{
    return fullPattern(QLatin1String(kInputOctet));
}

QString finalPattern()
{
    return fullPattern(QLatin1String(kFinalOctet));
}
} // namespace

ConnectionSettings::ConnectionSettings(QWidget *parent, FsManager *link)
    : QDialog(parent), fsManager(link), ui(std::make_unique<ConnectionSettingsForm>())
{
    ui->setupUi(this);

    ui->targetIp->setValidator(
        new QRegExpValidator(QRegExp(inputPattern(), Qt::CaseSensitive, QRegExp::RegExp), this));
    ui->targetIp->setText(fsManager->getPcbIp().toString());
    ui->targetIp->setCursorPosition(0);
    ui->targetPort->setValue(fsManager->getPcbPort());
}

ConnectionSettings::~ConnectionSettings() = default;

void ConnectionSettings::on_Ok_clicked()
{
    const QString typed = ui->targetIp->text();
    QRegExp check(finalPattern(), Qt::CaseSensitive, QRegExp::RegExp);
    if (check.indexIn(typed) < 0) {
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

    // The octets are read as decimal numbers here: the address parser would take a leading
    // zero as an octal prefix ("010" as 8) or refuse the text ("08"), storing a wrong address.
    quint32 ip4 = 0;
    for (int i = 1; i <= 4; ++i)
        ip4 = (ip4 << 8) | check.cap(i).toUInt();
    const QHostAddress typedAddress(ip4);

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
