// Saving and loading configurations: the save-variants dialog, the per-tab file of the tab on top,
// the model-id file with every tab, and loading any mix of them back into the tabs.
#include "configscreator.h"
#include "datablocks.h"
#include "modalseam.h"
#include "modelidfile.h"
#include "tab.h"
#include "ui_configscreator.h"
#include "wholefile.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <optional>

namespace {
void showError(QWidget *window, const QString &text)
{
    ModalSeam::critical(window, ConfigsCreator::tr("Ошибка!"), text);
}

// The folder a save goes into, asked for from the folder last used (the working folder at first),
// which it then becomes; empty when the user cancels.
QString chooseFolder(QWidget *window, QString &lastDirectory)
{
    if (lastDirectory.isEmpty())
        lastDirectory = QDir::currentPath();
    const QString folder =
        ModalSeam::getExistingDirectory(window, ConfigsCreator::tr("Сохранить в..."), lastDirectory,
                                        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!folder.isEmpty())
        lastDirectory = folder;
    return folder;
}

bool mayWrite(QWidget *window, const QString &path, const QString &fileName)
{
    if (!QFileInfo::exists(path))
        return true;
    return ModalSeam::question(window, ConfigsCreator::tr("?"),
                               ConfigsCreator::tr("Файл %1 уже существует, заменить?").arg(fileName),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// A file's bytes up to one more than the limit, so that a larger file is told without reading it
// whole; nothing at all of a file whose size already says so.
QByteArray readUpTo(QFile &file, qint64 limit)
{
    return file.size() > limit ? QByteArray() : file.read(limit + 1);
}

// False, with the system's error shown, when the file could not be written.
bool writeFile(QWidget *window, const QString &path, const QByteArray &bytes)
{
    const QString error = writeWholeFile(path, bytes);
    if (!error.isEmpty())
        showError(window, error);
    return error.isEmpty();
}

void reportWritten(QWidget *window, const QString &fileName)
{
    ModalSeam::information(window, ConfigsCreator::tr("Ok!"),
                           ConfigsCreator::tr(" Файл %1 успешно создан ").arg(fileName));
}
} // namespace

void ConfigsCreator::on_saveConfigs_clicked()
{
    auto *dialog = new QDialog(this);
    dialog->setWindowTitle(tr("Варианты сохранения конфигураций"));
    auto *grid = new QGridLayout(dialog);
    auto *modelIdRow = new QHBoxLayout;
    grid->addLayout(modelIdRow, 0, 0);

    auto *modelIdButton = new QPushButton(tr(" Создать model id файл "), dialog);
    connect(modelIdButton, &QPushButton::clicked, this, &ConfigsCreator::saveToModelIdFile);
    modelIdRow->addWidget(modelIdButton);
    auto *modelIdSpin = new QSpinBox(dialog);
    modelIdSpin->setRange(0, 255);
    modelIdSpin->setAccelerated(true);
    modelIdSpin->setAlignment(Qt::AlignHCenter);
    modelIdSpin->setMaximumWidth(50);
    modelIdSpin->setValue(modelId);
    modelIdSpin->setAccessibleName(tr("Номер model id"));
    modelIdSpin->setAccessibleDescription(tr("Номер в имени файла model id, от 0 до 255"));
    connect(modelIdSpin, qOverload<int>(&QSpinBox::valueChanged), this, &ConfigsCreator::modelIdChanged);
    modelIdRow->addWidget(modelIdSpin);

    const QString tabTitle = ui->tabsConfuration->tabText(ui->tabsConfuration->currentIndex());
    auto *tabButton = new QPushButton(tr(" Сохранить текущие настройки (%1) ").arg(tabTitle), dialog);
    connect(tabButton, &QPushButton::clicked, this, &ConfigsCreator::saveCurrentTabConfigs);
    grid->addWidget(tabButton, 1, 0);

    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->setModal(true);
    dialog->show();
}

void ConfigsCreator::saveCurrentTabConfigs()
{
    const QString folder = chooseFolder(this, lastDirectory);
    if (folder.isEmpty())
        return;
    const QWidget *page = ui->tabsConfuration->currentWidget();
    const auto row = std::find_if(tabs.cbegin(), tabs.cend(),
                                  [page](const TabRow &tabRow) { return tabRow.page == page; });
    if (row == tabs.cend()) {
        showError(this, ConfigsCreator::tr("Неизвестное имя текущей вкладки"));
        return;
    }
    const QString fileName = Blocks::sectionInfo(row->section).fileName;
    const QString path = folder + QLatin1Char('/') + fileName;
    if (!mayWrite(this, path, fileName) || !writeFile(this, path, row->tab->serialize()))
        return;
    // Before the box, which runs events: the section is saved work from now on.
    markStored({row->section});
    reportWritten(this, fileName);
}

void ConfigsCreator::saveToModelIdFile()
{
    const QString fileName = ModelIdFile::fileName(modelId);
    const QString folder = chooseFolder(this, lastDirectory);
    if (folder.isEmpty())
        return;
    const QString path = folder + QLatin1Char('/') + fileName;
    if (!mayWrite(this, path, fileName))
        return;
    const ModelIdFile::SectionBlocks blocks = this->blocks();
    const std::optional<QByteArray> file = ModelIdFile::encode(blocks);
    if (!file) {
        // Only rows loaded from files made elsewhere can get here; a file whose header cannot
        // describe its sections would load as something else.
        int bodySize = 0;
        for (const QByteArray &block : blocks)
            bodySize += block.size();
        showError(this,
                  tr("Конфигурация слишком велика для model id файла: %1 байт данных, допустимо не более "
                     "%2. Файл не записан.")
                      .arg(bodySize)
                      .arg(ModelIdFile::kMaxBodySize));
        return;
    }
    if (!writeFile(this, path, *file))
        return;
    QVector<Blocks::Section> all;
    for (const TabRow &row : tabs)
        all << row.section;
    markStored(all);
    reportWritten(this, fileName);
}

void ConfigsCreator::on_loadConfigs_clicked()
{
    if (lastDirectory.isEmpty())
        lastDirectory = QDir::currentPath();
    const QStringList paths =
        ModalSeam::getOpenFileNames(this, ConfigsCreator::tr("Выбрать файлы конфигураций"), lastDirectory,
                                    QStringLiteral("*.vmc"), nullptr, QFileDialog::DontResolveSymlinks);

    ModelIdFile::SectionBlocks pending;
    QString modelIdName;
    QByteArray modelIdContents;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        lastDirectory = info.absolutePath();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            showError(this, file.errorString());
            continue;
        }
        const QString name = info.fileName();
        if (ModelIdFile::isModelIdFileName(name)) {
            // The whole configuration: files chosen before it are dropped, files after it are
            // not even opened. Bytes beyond what its header can name are not read.
            modelIdName = name;
            modelIdContents = file.read(ModelIdFile::kMaxReadableSize);
            break;
        }
        const Blocks::SectionInfo *section = Blocks::sectionOfFile(name);
        if (!section) {
            showError(this, ConfigsCreator::tr("Неизвестный файл %1!").arg(path));
            continue;
        }
        // No window writes a block this large, and tens of thousands of rows would hold the
        // window up for minutes: such a file is refused before it changes anything.
        const QByteArray block = readUpTo(file, Blocks::kMaxBlockSize);
        const qint64 size = qMax(file.size(), qint64(block.size()));
        if (size > Blocks::kMaxBlockSize) {
            showError(this, tr("Файл %1 слишком велик: %2 байт, допустимо не более %3. Файл не загружен.")
                                .arg(path)
                                .arg(size)
                                .arg(Blocks::kMaxBlockSize));
            continue;
        }
        pending[std::size_t(section->section)] = block;
    }

    QVector<Blocks::Section> loaded;
    if (!modelIdName.isEmpty()) {
        if (loadModelIdFile(modelIdName, modelIdContents)) {
            for (const TabRow &row : tabs)
                loaded << row.section;
        }
    } else {
        for (const TabRow &row : tabs) {
            const QByteArray &block = pending[std::size_t(row.section)];
            if (block.isEmpty())
                continue;
            row.tab->fill(block);
            if (Blocks::isReadable(row.section, block))
                loaded << row.section;
        }
    }
    markStored(loaded);
}

bool ConfigsCreator::loadModelIdFile(const QString &name, const QByteArray &bytes)
{
    modelId = ModelIdFile::modelIdOf(name);
    const std::optional<ModelIdFile::SectionBlocks> sections = ModelIdFile::decode(bytes);
    if (!sections)
        return false;
    // The whole configuration is replaced: a tab whose section is missing stays empty.
    for (const TabRow &row : tabs)
        row.tab->clear();
    for (const TabRow &row : tabs) {
        const QByteArray &block = (*sections)[std::size_t(row.section)];
        if (!block.isEmpty())
            row.tab->fill(block);
    }
    return true;
}
