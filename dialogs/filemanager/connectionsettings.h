#pragma once

#include <QDialog>
#include <memory>

class FsManager;

namespace Ui {
class ConnectionSettings;
}
// The generated form; its texts are translated in the dialog's own context.
using ConnectionSettingsForm = Ui::ConnectionSettings;

// Edits the board's IPv4 address and TCP port held by the link. A changed address is stored by
// the link; a live connection is then dropped, otherwise pcbIpChanged() tells the window.
class ConnectionSettings final : public QDialog
{
    Q_OBJECT

public:
    ConnectionSettings(QWidget *parent, FsManager *link);
    ~ConnectionSettings() override;
    ConnectionSettings(const ConnectionSettings &) = delete;
    ConnectionSettings &operator=(const ConnectionSettings &) = delete;

signals:
    void pcbIpChanged();

private slots:
    void on_Ok_clicked();
    void on_Cancel_clicked();

private:
    FsManager *fsManager;
    std::unique_ptr<ConnectionSettingsForm> ui;
};
