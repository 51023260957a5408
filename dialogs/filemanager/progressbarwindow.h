#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class ProgressBarWindow;
}
// The generated form; its texts are translated in the dialog's own context.
using ProgressBarWindowForm = Ui::ProgressBarWindow;

// Shows the description and the percentage of the board command that runs now. Closing it
// (close button or Escape) emits the inherited rejected(), which the main window turns into a
// cancel of the command.
class ProgressBarWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressBarWindow(QWidget *parent = nullptr);
    ~ProgressBarWindow() override;
    ProgressBarWindow(const ProgressBarWindow &) = delete;
    ProgressBarWindow &operator=(const ProgressBarWindow &) = delete;

public slots:
    void setDescriptor(QString Descr);
    // A value outside 0..100 leaves the bar as it was.
    void updateProgress(uint Progress);

private:
    std::unique_ptr<ProgressBarWindowForm> ui;
};
