// The report of the window's configuration: the headers drawn with the functions on their pins, the
// tabs' rows and the check's findings, as one web page the user keeps and opens in a browser.
#include "configscreator.h"
#include "configview.h"
#include "modalseam.h"
#include "report.h"
#include "wholefile.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QUrl>

void ConfigsCreator::buildReportMenu()
{
    // The menu bar's first menu, before the check's.
    fileMenu = menuBar()->addMenu(QString());
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    reportAction = fileMenu->addAction(QString());
    reportAction->setObjectName(QStringLiteral("writeReport"));
    connect(reportAction, &QAction::triggered, this, [this] { writeReport(); });
    retranslateReportMenu();
}

void ConfigsCreator::retranslateReportMenu()
{
    fileMenu->setTitle(tr("Файл"));
    reportAction->setText(tr("Отчёт…"));
}

void ConfigsCreator::writeReport()
{
    if (lastDirectory.isEmpty())
        lastDirectory = QDir::currentPath();
    const QString suggested = QDir(lastDirectory).filePath(QStringLiteral("ModelId_%1.html").arg(modelId));
    QString path =
        ModalSeam::getSaveFileName(this, tr("Сохранить отчёт"), suggested, tr("Веб-страницы (*.html *.htm)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".html");
    lastDirectory = QFileInfo(path).absolutePath();

    Report::Meta meta;
    meta.tool = QStringLiteral("Velmora %1").arg(QStringLiteral(VELMORA_VERSION));
    meta.generated = QDateTime::currentDateTime();
    meta.modelId = modelId;
    const QString error = writeWholeFile(path, Report::html(Configuration::configOfBlocks(blocks()), meta));
    if (!error.isEmpty()) {
        ModalSeam::critical(this, tr("Ошибка!"), error);
        return;
    }
    if (!ModalSeam::openUrl(QUrl::fromLocalFile(path)))
        ModalSeam::information(this, tr("Отчёт"),
                               tr("Отчёт записан в %1, но открыть его в браузере не удалось.")
                                   .arg(QDir::toNativeSeparators(path)));
}
