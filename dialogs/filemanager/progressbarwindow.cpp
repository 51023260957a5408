#include "progressbarwindow.h"

#include "ui_progressbarwindow.h"

#include <climits>

ProgressBarWindow::ProgressBarWindow(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<ProgressBarWindowForm>())
{
    ui->setupUi(this);
    ui->progressBar->setAccessibleName(tr("Ход выполнения"));
}

ProgressBarWindow::~ProgressBarWindow() = default;

void ProgressBarWindow::setDescriptor(QString Descr)
{
    ui->progressName->setText(Descr);
    // A screen reader tells what the bar measures along with its value.
    ui->progressBar->setAccessibleDescription(Descr);
}

void ProgressBarWindow::updateProgress(uint Progress)
{
    // Values beyond int would wrap into the range when converted; they are out of range anyway.
    if (Progress > static_cast<uint>(INT_MAX))
        return;
    // QProgressBar ignores a value outside its range, which keeps the bar as it was.
    ui->progressBar->setValue(static_cast<int>(Progress));
}
