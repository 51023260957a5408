#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"
#include "filesizecap.h"
#include "modalseam.h"
#include "modelidfile.h"
#include "pinmap.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace BuilderKit;

namespace {
// Answers the builder's questions as a user would, and remembers what was asked.
struct User
{
    QString folder;    // the directory chooser's answer
    QStringList files; // the file chooser's answer
    QMessageBox::StandardButton replace = QMessageBox::Yes;
    QList<ModalSeam::Request> asked;

    QStringList boxes() const // "title|text" of every message box
    {
        QStringList texts;
        for (const ModalSeam::Request &request : asked) {
            if (request.kind == ModalSeam::Kind::MessageBox)
                texts << request.title + QLatin1Char('|') + request.text;
        }
        return texts;
    }
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Every tab given something: pins, registers, derived rows, links.
void buildConfiguration(ConfigsCreator &window)
{
    window.fillAllTabs();
    window.fillGpioTab(gpioBlock({{42, {3, 7}}, {12, {9, 7}}, {43, {1, 8}}, {44, {2, 4}}, {45, {5, 1}}}));
    window.fillDoRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{1, 5}, {2, 24}, {0, 6}}));
    window.fillDiRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{7, 2}, {8, 23}}));
    window.fillAdcRegTab(
        Blocks::encodeRecords(QVector<AdcInputRecord>{{0.5f, -1.25f, 4, 1}, {1e-6f, 3, 5, 2}}));
    for (const char *button : {"AcceptNumAdcTiInputs", "AcceptNumPwmOutputs", "AcceptLinksDo",
                               "AcceptLinksDi", "AcceptLinksAi", "AcceptLinksAo"})
        press(window, button);
    tree(window, "portsPwm")->topLevelItem(0)->setText(3, "250000");
    tree(window, "linksDo")->topLevelItem(1)->setText(1, "300");
    tree(window, "linksAi")->topLevelItem(0)->setText(2, "1000");
}

QByteArray sectionOf(const QByteArray &modelIdFile, int section)
{
    return (*ModelIdFile::decode(modelIdFile))[std::size_t(section)];
}
} // namespace

class TestConfigFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writersReadTheRows();
    void savingTheTabOnTop();
    void saveVariantsDialog();
    void failedWriteKeepsTheOldFile();
    void tooLargeModelIdFileIsRefused();
    void loadingPerTabFiles();
    void perTabFileAboveTheLimitIsRefused();
    void loadingAModelIdFile();
    void roundTrip();

private:
    User user;
    std::unique_ptr<QTemporaryDir> folder;
};

void TestConfigFiles::init()
{
    user = User();
    folder = std::make_unique<QTemporaryDir>();
    user.folder = folder->path();
    ModalSeam::setHandler([this](const ModalSeam::Request &request) {
        user.asked << request;
        ModalSeam::Answer answer;
        answer.path = user.folder;
        answer.paths = user.files;
        answer.button = request.icon == QMessageBox::Question ? user.replace : QMessageBox::Ok;
        return answer;
    });
}

void TestConfigFiles::cleanup()
{
    ModalSeam::setHandler({});
}

void TestConfigFiles::writersReadTheRows()
{
    ConfigsCreator window;
    window.fillAllTabs();
    QCOMPARE(window.serializeDoRegTab(), QByteArray());

    // A fresh pin tab: index texts "0" go out as 1; pins that cannot be used keep 240.
    GpioBlock fresh;
    for (quint32 pin = 0; pin < 96; ++pin) {
        fresh.index[pin] = 1;
        fresh.code[pin] = Pins::isUnavailable(pin) ? 240 : 0;
    }
    QCOMPARE(window.serializeGpioTab(), Blocks::encodeGpioBlock(fresh));

    // Pin 44 comes first on screen (page X6), pin 12 first in the file.
    window.fillGpioTab(gpioBlock({{44, {2, 7}}, {12, {9, 7}}}));
    press(window, "AcceptNumAdcTiInputs");
    QCOMPARE(column(tree(window, "portsAdcTi"), 0), (QStringList{"44", "12"}));
    tree(window, "portsAdcTi")->topLevelItem(0)->setText(3, "no number");
    QCOMPARE(window.serializeAdcTiTab(),
             Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 9, 12}, {0, 0, 2, 44}}));

    // Texts beyond the editors' ranges are held inside them on the way out, also beyond int.
    window.fillPwmTab(Blocks::encodeRecords(QVector<PwmPortRecord>{{0, 35, 3000000000u}, {3, 36, 100}}));
    tree(window, "portsPwm")->topLevelItem(1)->setText(3, "0");
    QCOMPARE(window.serializePwmTab(),
             Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 35, 100000}, {3, 36, 1}}));
    window.fillDoRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{0, 4}, {70, 26}}));
    tree(window, "portsDoReg")->topLevelItem(1)->setText(2, "70000");
    QCOMPARE(window.serializeDoRegTab(), Blocks::encodeRecords(QVector<RegPortRecord>{{1, 4}, {65535, 26}}));
    window.fillAdcRegTab(Blocks::encodeRecords(QVector<AdcInputRecord>{{300, -500, 0, 9}}));
    QCOMPARE(window.serializeAdcRegTab(), Blocks::encodeRecords(QVector<AdcInputRecord>{{300, -500, 1, 1}}));
    window.fillDoLinksTab(Blocks::encodeRecords(QVector<DigitalLinkRecord>{{7, 1, 0}}));
    tree(window, "linksDo")->topLevelItem(0)->setText(1, "300");
    QCOMPARE(window.serializeDoLinksTab(), Blocks::encodeRecords(QVector<DigitalLinkRecord>{{7, 255, 0}}));
    window.fillAiLinksTab(Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 7, 1}}));
    tree(window, "linksAi")->topLevelItem(0)->setText(2, "1000");
    QCOMPARE(window.serializeAiLinksTab(), Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 255, 1}}));

    // Rows go out by their number; a later row of the same number replaces an earlier one.
    tree(window, "linksAi")->addTopLevelItem(new QTreeWidgetItem(QStringList{"1", "2", "3"}));
    tree(window, "linksAi")->insertTopLevelItem(0, new QTreeWidgetItem(QStringList{"9", "4", "4"}));
    QCOMPARE(window.serializeAiLinksTab(),
             Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 3, 2}, {0, 4, 4}}));
}

void TestConfigFiles::savingTheTabOnTop()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillPwmTab(Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 35, 100}}));
    showTab(window, "pwmConfig");
    const QString path = folder->filePath("pwmPortsSettings.vmc");

    window.saveCurrentTabConfigs();
    QCOMPARE(readFile(path), window.serializePwmTab());
    QCOMPARE(user.asked.first().kind, ModalSeam::Kind::ExistingDirectory);
    QCOMPARE(user.asked.first().title, QStringLiteral("Сохранить в..."));
    QCOMPARE(user.asked.first().directory, QDir::currentPath());
    QCOMPARE(user.asked.first().options, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    QCOMPARE(user.boxes(), QStringList{"Ok!| Файл pwmPortsSettings.vmc успешно создан "});

    // An existing file is replaced only when the user says so; the folder is remembered anyway.
    tree(window, "portsPwm")->topLevelItem(0)->setText(3, "200");
    user.asked.clear();
    user.replace = QMessageBox::No;
    window.saveCurrentTabConfigs();
    QCOMPARE(user.boxes(), QStringList{"?|Файл pwmPortsSettings.vmc уже существует, заменить?"});
    QVERIFY(readFile(path) != window.serializePwmTab());
    QCOMPARE(user.asked.first().directory, folder->path());
    user.replace = QMessageBox::Yes;
    window.saveCurrentTabConfigs();
    QCOMPARE(readFile(path), window.serializePwmTab());

    // Cancelling the chooser does nothing more.
    user.asked.clear();
    user.folder.clear();
    window.saveCurrentTabConfigs();
    QCOMPARE(user.asked.size(), 1);

    // An empty tab makes an empty file.
    user.folder = folder->path();
    showTab(window, "doRegConfig");
    window.saveCurrentTabConfigs();
    QCOMPARE(readFile(folder->filePath("doRegPortsSettings.vmc")), QByteArray());
}

void TestConfigFiles::saveVariantsDialog()
{
    ConfigsCreator window;
    buildConfiguration(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    showTab(window, "pwmConfig");
    press(window, "saveConfigs");

    auto *dialog = window.findChild<QDialog *>();
    QVERIFY(dialog && dialog->isModal() && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Варианты сохранения конфигураций"));
    const QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(buttons.at(0)->text(), QStringLiteral(" Создать model id файл "));
    QCOMPARE(buttons.at(1)->text(), QStringLiteral(" Сохранить текущие настройки (PWM) "));
    auto *modelId = dialog->findChild<QSpinBox *>();
    QCOMPARE(modelId->maximum(), 255);
    modelId->setValue(17);

    buttons.at(0)->click();
    buttons.at(1)->click();
    const QByteArray modelIdFile = readFile(folder->filePath("ModelId_17.vmc"));
    QCOMPARE(user.boxes(), (QStringList{"Ok!| Файл ModelId_17.vmc успешно создан ",
                                        "Ok!| Файл pwmPortsSettings.vmc успешно создан "}));
    // Each section is the tab's own file.
    QCOMPARE(sectionOf(modelIdFile, 5), readFile(folder->filePath("pwmPortsSettings.vmc")));
    QCOMPARE(sectionOf(modelIdFile, 0), window.serializeGpioTab());
    QCOMPARE(sectionOf(modelIdFile, 3), window.serializeAdcRegTab());

    dialog->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window.findChild<QDialog *>());
    press(window, "saveConfigs"); // the model id stays
    QCOMPARE(window.findChild<QDialog *>()->findChild<QSpinBox *>()->value(), 17);
}

void TestConfigFiles::failedWriteKeepsTheOldFile()
{
#ifdef VELMORA_HAS_FILE_SIZE_CAP
    // A full disk, as the process sees it: files cannot grow beyond 100 bytes.
    ConfigsCreator window;
    window.fillAllTabs();
    const QString path = folder->filePath("GpioPortsSettings.vmc");
    writeFile(path, "the previous file");
    {
        FileSizeCap cap(100);
        QVERIFY(cap.active);
        window.saveCurrentTabConfigs();
    }

    QCOMPARE(readFile(path), QByteArray("the previous file"));
    QCOMPARE(user.boxes().size(), 2); // the replace question, then the error
    QVERIFY(user.boxes().last().startsWith(QStringLiteral("Ошибка!|")));
    QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{"GpioPortsSettings.vmc"});
#else
    QSKIP("needs a way to make writes fail");
#endif
}

void TestConfigFiles::tooLargeModelIdFileIsRefused()
{
    // Only rows read from a file made elsewhere can be this many.
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillAdcRegTab(Blocks::encodeRecords(QVector<AdcInputRecord>(65536 / 12, {1, 0, 1, 1})));
    window.saveToModelIdFile();
    QCOMPARE(user.boxes().size(), 1);
    QVERIFY(user.boxes().first().startsWith(QStringLiteral("Ошибка!|")));
    QVERIFY(user.boxes().first().contains(QLatin1String("65535")));
    QVERIFY(QDir(folder->path()).isEmpty());
    // Thousands of new editors wait for their first events; deleting them first would search
    // that queue once per editor.
    QCoreApplication::sendPostedEvents();
}

void TestConfigFiles::loadingPerTabFiles()
{
    ConfigsCreator window;
    window.fillAllTabs();
    window.fillDoRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{5, 4}}));
    writeFile(folder->filePath("GpioPortsSettings.vmc"), gpioBlock({{42, {3, 7}}}));
    writeFile(folder->filePath("analogTiInputs.vmc"),
              Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 3, 42}}));
    writeFile(folder->filePath("gpioportssettings.vmc"), gpioBlock({{43, {3, 8}}}));
    user.files =
        QStringList{folder->filePath("GpioPortsSettings.vmc"), folder->filePath("gpioportssettings.vmc"),
                    folder->filePath("analogTiInputs.vmc")};
    const QList<QStringList> doRegisters = rows(tree(window, "portsDoReg"));

    window.on_loadConfigs_clicked();
    QCOMPARE(user.asked.first().kind, ModalSeam::Kind::OpenFileNames);
    QCOMPARE(user.asked.first().title, QStringLiteral("Выбрать файлы конфигураций"));
    QCOMPARE(user.asked.first().filter, QStringLiteral("*.vmc"));
    QCOMPARE(user.boxes(), QStringList{"Ошибка!|Неизвестный файл " + user.files.at(1) + "!"});
    QCOMPARE(pinRow(window, 42)->text(2), QStringLiteral("7"));
    QCOMPARE(pinRow(window, 43)->text(2), QStringLiteral("0"));
    QCOMPARE(rows(tree(window, "portsAdcTi")), (QList<QStringList>{{"42", "PD 2 (X6-03)", "3", "1", "0"}}));
    QCOMPARE(rows(tree(window, "portsDoReg")), doRegisters);

    // A pin block of the wrong size changes nothing; cancelling changes nothing either.
    const QStringList pins = allPinTexts(window);
    writeFile(folder->filePath("GpioPortsSettings.vmc"), QByteArray(295, '\7'));
    user.files = QStringList{folder->filePath("GpioPortsSettings.vmc")};
    window.on_loadConfigs_clicked();
    user.files.clear();
    window.on_loadConfigs_clicked();
    QCOMPARE(allPinTexts(window), pins);
    QCOMPARE(user.boxes().size(), 1);
    QCOMPARE(user.asked.last().directory, folder->path());
}

void TestConfigFiles::perTabFileAboveTheLimitIsRefused()
{
    // One byte more than a model-id section can hold is refused; the next file still loads, and
    // one of exactly that size too (one link, then end marks).
    ConfigsCreator window;
    window.fillAllTabs();
    writeFile(folder->filePath("digitalInputs.vmc"), QByteArray(65536, '\1'));
    writeFile(folder->filePath("analogOutputs.vmc"),
              Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 5, 2}}) + QByteArray(65531, '\xF1'));
    user.files = QStringList{folder->filePath("digitalInputs.vmc"), folder->filePath("analogOutputs.vmc")};

    window.on_loadConfigs_clicked();
    QCOMPARE(user.boxes(),
             QStringList{"Ошибка!|Файл " + user.files.at(0) +
                         " слишком велик: 65536 байт, допустимо не более 65535. Файл не загружен."});
    QCOMPARE(tree(window, "linksDi")->topLevelItemCount(), 0);
    QCOMPARE(rows(tree(window, "linksAo")), (QList<QStringList>{{"1", "2", "5"}}));
}

void TestConfigFiles::loadingAModelIdFile()
{
    ConfigsCreator source;
    buildConfiguration(source);
    source.saveToModelIdFile(); // ModelId_0.vmc
    QFile::rename(folder->filePath("ModelId_0.vmc"), folder->filePath("ModelId_300.vmc"));
    writeFile(folder->filePath("digitalOutputs.vmc"), QByteArray(8, '\2'));
    writeFile(folder->filePath("ModelId_5.vmc"), QByteArray(100, '\0'));

    // Files before the model-id file are dropped, files after it are not even opened.
    ConfigsCreator window;
    window.fillAllTabs();
    user.files = QStringList{folder->filePath("digitalOutputs.vmc"), folder->filePath("ModelId_300.vmc"),
                             folder->filePath("no such file.vmc")};
    user.asked.clear();
    window.on_loadConfigs_clicked();
    QCOMPARE(user.boxes(), QStringList());
    for (const char *name : {"portsDiReg", "portsAdcReg", "linksDi", "linksAo"})
        QCOMPARE(rows(tree(window, name)), rows(tree(source, name)));
    QCOMPARE(window.serializeGpioTab(), source.serializeGpioTab());
    // Rows that go out by pin come back in pin order.
    QCOMPARE(column(tree(source, "portsAdcTi"), 0), (QStringList{"42", "12"}));
    QCOMPARE(column(tree(window, "portsAdcTi"), 0), (QStringList{"12", "42"}));
    window.saveToModelIdFile();
    QVERIFY(QFileInfo::exists(folder->filePath("ModelId_44.vmc")));

    // Too short to hold a header: the model id is taken, no tab changes.
    const QStringList pins = allPinTexts(window);
    user.files = QStringList{folder->filePath("ModelId_5.vmc")};
    window.on_loadConfigs_clicked();
    QCOMPARE(allPinTexts(window), pins);
    window.saveToModelIdFile();
    QVERIFY(QFileInfo::exists(folder->filePath("ModelId_5.vmc")));
    QCOMPARE(readFile(folder->filePath("ModelId_5.vmc")), readFile(folder->filePath("ModelId_44.vmc")));

    // A file without a pin section leaves the pin tab empty and every other tab cleared.
    ModelIdFile::SectionBlocks onlyLinks;
    onlyLinks[8] = Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 1, 2}});
    writeFile(folder->filePath("ModelId_9.vmc"), *ModelIdFile::encode(onlyLinks));
    user.files = QStringList{folder->filePath("ModelId_9.vmc")};
    window.on_loadConfigs_clicked();
    QVERIFY(allPinTexts(window).isEmpty());
    QCOMPARE(tree(window, "portsDoReg")->topLevelItemCount(), 0);
    QCOMPARE(child<QSpinBox>(window, "NumDoRegisters")->value(), 0);
    QCOMPARE(child<QLabel>(window, "NumLinksDo")->text(), QStringLiteral("0"));
    QCOMPARE(rows(tree(window, "linksAi")), (QList<QStringList>{{"1", "2", "1"}}));
}

void TestConfigFiles::roundTrip()
{
    // Saved, loaded into a new window and saved again: the same bytes, every section.
    ConfigsCreator source;
    buildConfiguration(source);
    source.saveToModelIdFile();
    const QByteArray saved = readFile(folder->filePath("ModelId_0.vmc"));
    QCOMPARE(ModelIdFile::readEntries(saved).size(), 10);

    ConfigsCreator copy;
    copy.fillAllTabs();
    user.files = QStringList{folder->filePath("ModelId_0.vmc")};
    copy.on_loadConfigs_clicked();
    QFile::remove(folder->filePath("ModelId_0.vmc"));
    copy.saveToModelIdFile();
    QCOMPARE(readFile(folder->filePath("ModelId_0.vmc")), saved);
    // The writers' clamps show in the loaded rows.
    QCOMPARE(tree(copy, "portsPwm")->topLevelItem(0)->text(3), QStringLiteral("100000"));
    QCOMPARE(tree(copy, "linksDo")->topLevelItem(1)->text(1), QStringLiteral("255"));
    QCOMPARE(tree(copy, "linksAi")->topLevelItem(0)->text(2), QStringLiteral("255"));
}

QTEST_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
