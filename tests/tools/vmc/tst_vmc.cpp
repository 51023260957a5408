#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"
#include "modalseam.h"
#include "modelidfile.h"
#include "vmccli.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using namespace BuilderKit;
using Mutation = std::function<QByteArray(const QByteArray &)>;
Q_DECLARE_METATYPE(Mutation)
using Edit = std::function<void(ConfigsCreator &)>;
Q_DECLARE_METATYPE(Edit)

namespace {
struct Result
{
    int status = 0;
    QString out;
    QString err;
};

Result vmc(const QStringList &arguments, QByteArray input = QByteArray())
{
    Result result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    QBuffer standardInput(&input);
    standardInput.open(QIODevice::ReadOnly);
    result.status = Vmc::run(QStringList{"vmc"} + arguments, out, err, &standardInput);
    for (const QString &line : result.err.split('\n', Qt::SkipEmptyParts))
        QTest::qVerify(line.startsWith("vmc: "), "stderr line", qPrintable(line), __FILE__, __LINE__);
    return result;
}

// Every pin unused, the unavailable ones marked, every other tab empty: a sound file.
QByteArray plainModelIdFile()
{
    ModelIdFile::SectionBlocks sections;
    sections[0] = Blocks::encodeGpioBlock(Blocks::withUnavailablePinsMarked(GpioBlock()));
    return *ModelIdFile::encode(sections);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Saves the window's configuration the way its user would: the model-id file, or the tab on top.
void saveAs(ConfigsCreator &window, const QString &folder, bool modelIdFile = true)
{
    ModalSeam::setHandler([&folder](const ModalSeam::Request &request) {
        ModalSeam::Answer answer;
        answer.path = folder;
        answer.button = request.icon == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok;
        return answer;
    });
    if (modelIdFile)
        window.saveToModelIdFile();
    else
        window.saveCurrentTabConfigs();
    ModalSeam::setHandler({});
}

// A sound configuration: an analogue input, a PWM output, a complete SPI DO chain with one
// register of outputs, and the tabs derived from them.
void buildSound(ConfigsCreator &window, int extraPin = -1, int extraCode = 0)
{
    QMap<int, QPair<int, int>> pins = {
        {42, {1, 7}}, {43, {2, 8}}, {44, {1, 9}}, {45, {1, 10}}, {46, {1, 12}}};
    if (extraPin >= 0)
        pins.insert(extraPin, {1, extraCode});
    window.fillAllTabs();
    window.fillGpioTab(gpioBlock(pins));
    applyRegisters(window, "Do", 1);
    tree(window, "portsDoReg")->topLevelItem(0)->setText(1, "4");
    for (const char *button : {"AcceptNumAdcTiInputs", "AcceptNumPwmOutputs", "AcceptLinksDo",
                               "AcceptLinksDi", "AcceptLinksAi", "AcceptLinksAo"})
        press(window, button);
}

// Changes the blocks of a model-id file and writes it anew.
Mutation blocks(const std::function<void(ModelIdFile::SectionBlocks &)> &change)
{
    return [change](const QByteArray &file) {
        ModelIdFile::SectionBlocks sections = *ModelIdFile::decode(file);
        change(sections);
        return *ModelIdFile::encode(sections);
    };
}

Mutation pinCode(int pin, int code)
{
    return blocks([pin, code](ModelIdFile::SectionBlocks &sections) {
        GpioBlock gpio = *Blocks::decodeGpioBlock(sections[0]);
        gpio.code[std::size_t(pin)] = quint8(code);
        sections[0] = Blocks::encodeGpioBlock(gpio);
    });
}

Mutation section(int index, const QByteArray &block)
{
    return blocks(
        [index, block](ModelIdFile::SectionBlocks &sections) { sections[std::size_t(index)] = block; });
}

Mutation headerName(int entry, const QByteArray &name)
{
    return [entry, name](QByteArray file) {
        file.replace(entry * 16, 12, name.leftJustified(12, '\0'));
        return file;
    };
}
} // namespace

class TestVmc : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void dumpOfAFreshConfiguration();
    void dumpShowsWhatTheWindowDoesNotRead_data();
    void dumpShowsWhatTheWindowDoesNotRead();
    void checkFindsEachFault_data();
    void checkFindsEachFault();
    void windowSavesPassTheCheckWithWarnings_data();
    void windowSavesPassTheCheckWithWarnings();
    void diffSaysWhatChanged();
    void packAndUnpackAsTheWindowWrites();
    void commandLine_data();
    void commandLine();
    void reportOfAFile_data();
    void reportOfAFile();
    void gitDiffAndPipesUnderACLocale();

private:
    std::unique_ptr<QTemporaryDir> folder;
};

void TestVmc::init()
{
    folder = std::make_unique<QTemporaryDir>();
}

void TestVmc::dumpOfAFreshConfiguration()
{
    ConfigsCreator window;
    window.fillAllTabs();
    saveAs(window, folder->path());
    const QString path = folder->filePath("ModelId_0.vmc");

    const Result text = vmc({"dump", path});
    QCOMPARE(text.status, 0);
    const QStringList lines = text.out.split('\n');
    QCOMPARE(lines.at(1), QStringLiteral("Model id: 0"));
    QVERIFY(lines.contains("  0 Gpio       смещение 0      размер 296    в файле"));
    QVERIFY(lines.contains("  9 AoLinks    смещение 296    размер 0      в файле"));
    QVERIFY(
        lines.contains("    41 NOT AVAI (X6-01): код 240 «Порт не доступен для использования», индекс 1"));
    QVERIFY(lines.contains("    95 PB 1: код 0 «Порт не используется», индекс 1"));
    QVERIFY(lines.contains("[RegDo] пусто"));

    // The copies git hands a diff converter have a prefix before the name; they are named without it.
    QFile::copy(path, folder->filePath("Ab12xY_ModelId_0.vmc"));
    const Result forGit = vmc({"dump", "--textconv", folder->filePath("Ab12xY_ModelId_0.vmc")});
    QCOMPARE(forGit.status, 0);
    QCOMPARE(forGit.out, QString(text.out).replace(path, QStringLiteral("ModelId_0.vmc")));
    QCOMPARE(vmc({"dump", folder->filePath("Ab12xY_ModelId_0.vmc")}).status, 2);

    const QJsonObject json = QJsonDocument::fromJson(vmc({"dump", "--json", path}).out.toUtf8()).object();
    QCOMPARE(json.value("modelId").toInt(), 0);
    QCOMPARE(json.value("entries").toArray().size(), 10);
    QCOMPARE(json.value("entries").toArray().at(0).toObject(),
             (QJsonObject{{"name", "Gpio"}, {"offset", 0}, {"size", 296}, {"inFile", true}}));
    QCOMPARE(json.value("strayBytes").toObject(), (QJsonObject{{"offset", 456}, {"count", 0}}));
    const QJsonArray both = QJsonDocument::fromJson(vmc({"dump", "--json", path, path}).out.toUtf8()).array();
    QCOMPARE(both, (QJsonArray{json, json}));
    const QJsonObject sections = json.value("sections").toObject();
    QCOMPARE(sections.keys().size(), 10);
    const QJsonArray pins = sections.value("Gpio").toObject().value("records").toArray();
    QCOMPARE(pins.size(), 96);
    QCOMPARE(pins.at(0).toObject(), (QJsonObject{{"pin", 41},
                                                 {"name", "NOT AVAI (X6-01)"},
                                                 {"code", 240},
                                                 {"function", "Порт не доступен для использования"},
                                                 {"index", 1}}));
}

void TestVmc::dumpShowsWhatTheWindowDoesNotRead_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes"); // null: no such file
    QTest::addColumn<QStringList>("lines");

    const QByteArray text = "hello, configuration";
    const QStringList hex = {"00000000  68 65 6c 6c 6f 2c 20 63  6f 6e 66 69 67 75 72 61  |hello, configura|",
                             "00000010  74 69 6f 6e" + QString(39, ' ') + "|tion|"};
    QTest::newRow("a name the window refuses")
        << "backup.vmc" << text
        << (QStringList{"Не файл конфигурации: окно не загрузит файл с таким именем. 20 байт:"} + hex);
    QTest::newRow("model-id file shorter than its header")
        << "ModelId_3.vmc" << QByteArray("\1\2garbage")
        << QStringList{"  00000000  01 02 67 61 72 62 61 67  65" + QString(23, ' ') + "|..garbage|"};
    QTest::newRow("bytes after the last section")
        << "ModelId_3.vmc" << plainModelIdFile() + "xyz"
        << QStringList{"Байт после последней секции: 3 (смещение 456), не читаются",
                       "  000001c8  78 79 7a" + QString(42, ' ') + "|xyz|"};
    QTest::newRow("pin block of another size")
        << "GpioPortsSettings.vmc" << QByteArray(2, '\xff')
        << QStringList{"[Gpio] 2 байт: окно не читает такой блок",
                       "    00000000  ff ff" + QString(45, ' ') + "|..|"};
    QTest::newRow("records after an end mark")
        << "digitalOutputs.vmc"
        << Blocks::encodeRecords(QVector<DigitalLinkRecord>{{1, 3, 0}, {2, 241, 0}, {3, 3, 0}}) + "\t"
        << QStringList{"  маркер конца в записи 2; целых записей после него: 1, не читаются",
                       "    00000004  02 00 f1 00 03 00 03 00  09" + QString(23, ' ') + "|.........|"};
    QTest::newRow("a file that is not there")
        << "ModelId_4.vmc" << QByteArray() << QStringList{"Файл не прочитан: не удалось прочитать"};
}

// A diff converter never fails, and every byte the window does not read shows in its text.
void TestVmc::dumpShowsWhatTheWindowDoesNotRead()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const QString path = folder->filePath(fileName);
    if (!bytes.isNull())
        writeFile(path, bytes);

    const Result result = vmc({"dump", "--textconv", path});
    QCOMPARE(result.status, 0);
    for (const QString &line : lines)
        QVERIFY2(result.out.contains(line), qPrintable(result.out));
}

void TestVmc::checkFindsEachFault_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<Mutation>("mutation");
    QTest::addColumn<QString>("finding"); // "PLACE: SEVERITY: TEXT"; empty: a sound file

    const Mutation none = [](const QByteArray &file) { return file; };
    const auto regs = [](QVector<RegPortRecord> records, int extra = 0) {
        return Blocks::encodeRecords(records) + QByteArray(extra, '\0');
    };
    const QString modelId = "ModelId_3.vmc";
    QTest::newRow("sound") << modelId << none << QString();
    QTest::newRow("pin block size") << "GpioPortsSettings.vmc"
                                    << Mutation([](const QByteArray &) { return QByteArray(295, '\0'); })
                                    << "Gpio: ошибка: 295 байт вместо 296: окно не прочтёт выводы";
    QTest::newRow("short block") << "doRegPortsSettings.vmc"
                                 << Mutation([](const QByteArray &) { return QByteArray(3, '\1'); })
                                 << "RegDo: ошибка: 3 байт — меньше одной записи (4)";
    QTest::newRow("partial record") << modelId << section(1, regs({{1, 4}}, 2))
                                    << "RegDo: ошибка: 2 байт после последней целой записи";
    QTest::newRow("after the end mark") << modelId << section(1, regs({{1, 4}, {1, 25555}, {1, 4}}))
                                        << "RegDo, запись 2: ошибка: маркер конца: записей после него 1";
    QTest::newRow("unknown entry") << modelId << headerName(9, "Foo")
                                   << "заголовок, запись 9: ошибка: неизвестная секция «Foo»";
    QTest::newRow("entry twice") << modelId << headerName(9, "Gpio")
                                 << "заголовок, запись 9: ошибка: секция Gpio уже была в записи 0";
    QTest::newRow("empty entry") << modelId << headerName(5, "") << "заголовок, запись 5: ошибка: пустое имя";
    QTest::newRow("entry out of range") << modelId << Mutation([](QByteArray file) {
        file[14 + 16] = char(0xFF); // RegDo's size
        return file;
    }) << "заголовок, запись 1: ошибка: секция RegDo (смещение 296, размер 255) выходит за конец файла";
    QTest::newRow("body too large") << modelId << Mutation([](const QByteArray &file) {
        return file + QByteArray(65536, '\0');
    }) << "файл: ошибка: данных";
    QTest::newRow("bytes after the last section")
        << modelId << Mutation([](const QByteArray &file) { return file + "xyz"; })
        << "файл: ошибка: 3 байт после последней секции (смещение";
    QTest::newRow("code no pin offers")
        << modelId << pinCode(50, 24) << "Gpio, X6-19 PN 4: ошибка: код 24 не предлагается выводу";
    QTest::newRow("unavailable pin with a code")
        << modelId << pinCode(41, 7) << "Gpio, X6-01 NOT AVAI: ошибка: вывод недоступен, а код 7";
    QTest::newRow("available pin with 240")
        << modelId << pinCode(50, 240) << "Gpio, X6-19 PN 4: ошибка: код 240 у доступного вывода";
    QTest::newRow("register code") << modelId << section(1, regs({{1, 1}}))
                                   << "RegDo, запись 1: ошибка: код 1 не предлагается";
    QTest::newRow("chain line missing")
        << modelId << pinCode(45, 0)
        << "цепочка SPI DO: предупреждение: нет вывода с функцией «SPI CLK для DO регистров» (10)";
    QTest::newRow("chain line twice")
        << modelId << pinCode(50, 9)
        << "цепочка SPI DO: предупреждение: «SPI MOSI для DO регистров» (9) у нескольких выводов";
    QTest::newRow("ADC chain without chip select")
        << modelId << section(3, Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 1, 1}}))
        << "цепочка SPI ADC: предупреждение: нет ни вывода, ни выхода SPI DO";
    QTest::newRow("ADC row on a digital pin")
        << modelId << pinCode(42, 0)
        << "TiAdc, запись 1: предупреждение: вывод X6-03 PD 2 в Gpio не аналоговый вход";
    QTest::newRow("analogue pin without row")
        << modelId << pinCode(48, 7)
        << "Gpio, X6-15 PP 4: предупреждение: аналоговый вход без строки в TiAdc";
    QTest::newRow("links the pins do not give")
        << modelId << pinCode(48, 4)
        << "DoLinks: предупреждение: привязок 1, а из настроек окно получило бы 2";
}

void TestVmc::checkFindsEachFault()
{
    QFETCH(QString, fileName);
    QFETCH(Mutation, mutation);
    QFETCH(QString, finding);

    ConfigsCreator window;
    buildSound(window);
    window.modelIdChanged(3);
    saveAs(window, folder->path());
    const QString path = folder->filePath(fileName);
    writeFile(path, mutation(readFile(folder->filePath("ModelId_3.vmc"))));

    const Result result = vmc({"check", path});
    if (finding.isEmpty()) {
        QCOMPARE(result.out, QString());
        QCOMPARE(result.status, 0);
        return;
    }
    QVERIFY2(result.out.contains(path + ": " + finding), qPrintable(result.out));
    // Warnings alone pass, unless the check is strict.
    QCOMPARE(result.status, finding.contains(": ошибка: ") ? 1 : 0);
    QCOMPARE(vmc({"check", "--strict", path}).status, 1);
}

void TestVmc::windowSavesPassTheCheckWithWarnings_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("warning");
    QTest::newRow("DO registers without their chain")
        << Edit([](ConfigsCreator &window) { applyRegisters(window, "Do", 1); })
        << "цепочка SPI DO: предупреждение: нет вывода с функцией «SPI MOSI для DO регистров» (9)";
    QTest::newRow("links not taken from the pins") << Edit([](ConfigsCreator &window) {
        window.fillGpioTab(gpioBlock({{48, {1, 4}}}));
    }) << "DoLinks: предупреждение: привязок 0, а из настроек окно получило бы 1";
}

// What the window saves is never an error, so a pre-commit check passes it.
void TestVmc::windowSavesPassTheCheckWithWarnings()
{
    QFETCH(Edit, edit);
    QFETCH(QString, warning);
    ConfigsCreator window;
    window.fillAllTabs();
    edit(window);
    saveAs(window, folder->path());
    const QString path = folder->filePath("ModelId_0.vmc");

    const Result result = vmc({"check", path});
    QVERIFY2(result.out.contains(path + ": " + warning), qPrintable(result.out));
    QVERIFY2(!result.out.contains(": ошибка: "), qPrintable(result.out));
    QCOMPARE(result.status, 0);
    QCOMPARE(vmc({"check", "--strict", path}).status, 1);
}

void TestVmc::diffSaysWhatChanged()
{
    ConfigsCreator window;
    buildSound(window);
    saveAs(window, folder->path());
    QDir().mkpath(folder->filePath("before"));
    QFile::rename(folder->filePath("ModelId_0.vmc"), folder->filePath("before/ModelId_0.vmc"));

    // One pin, one register row, one link.
    buildSound(window, 47, 22);
    tree(window, "portsDoReg")->topLevelItem(2)->setText(1, "25");
    tree(window, "linksAo")->topLevelItem(0)->setText(1, "3");
    saveAs(window, folder->path());

    const Result result =
        vmc({"diff", folder->filePath("before/ModelId_0.vmc"), folder->filePath("ModelId_0.vmc")});
    QCOMPARE(result.status, 1);
    QCOMPARE(
        result.out.split('\n', Qt::SkipEmptyParts),
        (QStringList{"X6-13 PQ 0: Порт не используется -> порт UART",
                     "RegDo, запись 3: код 0 «Порт не используется» -> 25 «Моностабильный инверсный выход»",
                     "AoLinks, запись 1: тип 0 -> 3"}));
    const Result same = vmc({"diff", folder->filePath("ModelId_0.vmc"), folder->filePath("ModelId_0.vmc")});
    QCOMPARE(same.status, 0);
    QCOMPARE(same.out, QString());
}

void TestVmc::packAndUnpackAsTheWindowWrites()
{
    ConfigsCreator window;
    buildSound(window);
    window.modelIdChanged(9);
    saveAs(window, folder->path());
    const QByteArray saved = readFile(folder->filePath("ModelId_9.vmc"));

    // Unpacked: the window's own per-tab files.
    QDir().mkpath(folder->filePath("window"));
    QCOMPARE(vmc({"unpack", folder->filePath("ModelId_9.vmc"), "-o", folder->filePath("tabs")}).status, 0);
    for (const char *page :
         {"gpioConfig", "doRegConfig", "adcTiConfig", "pwmConfig", "doLinksConfigs", "aoLinksConfigs"}) {
        showTab(window, page);
        saveAs(window, folder->filePath("window"), false);
    }
    const QStringList saves = QDir(folder->filePath("window")).entryList(QDir::Files);
    QCOMPARE(saves.size(), 6);
    for (const QString &file : saves)
        QCOMPARE(readFile(folder->filePath("tabs/" + file)), readFile(folder->filePath("window/" + file)));

    // Packed again: the same bytes, and again after another round.
    QDir().mkpath(folder->filePath("packed"));
    QCOMPARE(
        vmc({"pack", folder->filePath("tabs"), "--model-id", "9", "-o", folder->filePath("packed")}).status,
        0);
    QCOMPARE(readFile(folder->filePath("packed/ModelId_9.vmc")), saved);
    QCOMPARE(
        vmc({"unpack", folder->filePath("packed/ModelId_9.vmc"), "-o", folder->filePath("again")}).status, 0);
    QCOMPARE(vmc({"pack", folder->filePath("again"), "-o", folder->filePath("ModelId_10.vmc")}).status, 0);
    QCOMPARE(readFile(folder->filePath("ModelId_10.vmc")), saved);
}

void TestVmc::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // %1: the folder the test fills
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    const QByteArray none;
    QTest::newRow("nothing") << QStringList() << none << 2 << "vmc: Использование: vmc КОМАНДА";
    QTest::newRow("version") << QStringList{"--version"} << none << 0 << "vmc " VELMORA_VERSION "\n";
    QTest::newRow("help") << QStringList{"--help"} << none << 0 << "unpack ФАЙЛ -o ПАПКА";
    QTest::newRow("command help") << QStringList{"diff", "--help"} << none << 0
                                  << "Использование: vmc diff [--type ИМЯ] A B";
    QTest::newRow("unknown command") << QStringList{"show", "x"} << none << 2 << "неизвестная команда «show»";
    QTest::newRow("unknown option") << QStringList{"check", "--fast", "a.vmc"} << none << 2
                                    << "vmc: неизвестный параметр «fast»\nvmc: Использование: vmc check";
    QTest::newRow("unknown file") << QStringList{"check", "gpioportssettings.vmc"} << none << 2
                                  << "Неизвестный файл gpioportssettings.vmc!";
    QTest::newRow("pack without a target") << QStringList{"pack", "."} << none << 2 << "не указан -o";
    QTest::newRow("pack under another model id")
        << QStringList{"pack", ".", "--model-id", "3", "-o", "ModelId_4.vmc"} << none << 2
        << "окно назвало бы файл ModelId_3.vmc";

    // Names and standard input.
    QTest::newRow("a model-id file by another name")
        << QStringList{"dump", "--type", "ModelId_7.vmc", "%1/backup.vmc"} << none << 0 << "Model id: 7";
    QTest::newRow("standard input") << QStringList{"check", "--type", "GpioPortsSettings.vmc", "-"}
                                    << QByteArray(295, '\0') << 1 << "-: Gpio: ошибка: 295 байт вместо 296";
    QTest::newRow("a file and standard input")
        << QStringList{"diff", "--type", "ModelId_1.vmc", "%1/backup.vmc", "-"} << plainModelIdFile() << 0
        << "";
    QTest::newRow("unpack of standard input")
        << QStringList{"unpack", "--type", "ModelId_1.vmc", "-", "-o", "%1/tabs"} << plainModelIdFile() << 0
        << "";
    QTest::newRow("standard input without a type") << QStringList{"check", "-"} << plainModelIdFile() << 2
                                                   << "стандартный ввод (-) читается только с --type";
    QTest::newRow("a type no file has")
        << QStringList{"check", "--type", "backup.vmc", "%1/backup.vmc"} << none << 2
        << "--type backup.vmc: не имя файла вкладки и не ModelId_N.vmc";

    // Nothing written that the window would not read, and a failed write said as such.
    QTest::newRow("pack under a name the window refuses")
        << QStringList{"pack", "%1/tabs", "-o", "%1/backup.vmc"} << none << 2
        << "окно не загрузит %1/backup.vmc как model id файл";
    QTest::newRow("pack into a folder that is not there")
        << QStringList{"pack", "%1/tabs", "-o", "%1/none/ModelId_1.vmc"} << none << 2
        << "vmc: не удалось записать файл %1/none/ModelId_1.vmc";
    QTest::newRow("unpack of a file shorter than its header")
        << QStringList{"unpack", "%1/ModelId_1.vmc", "-o", "%1/out"} << none << 1
        << "vmc: %1/ModelId_1.vmc: файл: ошибка: 100 байт — короче заголовка";
    QTest::newRow("unpack of a file cut short")
        << QStringList{"unpack", "%1/ModelId_2.vmc", "-o", "%1/out"} << none << 1
        << "секция Gpio (смещение 0, размер 296) выходит за конец файла";
    QTest::newRow("report into a folder that is not there")
        << QStringList{"report", "--type", "ModelId_1.vmc", "%1/backup.vmc", "-o", "%1/none/report.html"}
        << none << 2 << "vmc: не удалось записать файл %1/none/report.html";
    QTest::newRow("report over its source")
        << QStringList{"report", "%1/ModelId_1.vmc", "-o", "%1/ModelId_1.vmc", "--csv", "%1/pins.csv"} << none
        << 2 << "vmc: %1/ModelId_1.vmc — источник отчёта";
}

void TestVmc::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, says);
    QDir(folder->path()).mkdir("tabs");
    writeFile(folder->filePath("backup.vmc"), plainModelIdFile());
    writeFile(folder->filePath("ModelId_1.vmc"), QByteArray(100, '\0'));
    writeFile(folder->filePath("ModelId_2.vmc"), plainModelIdFile().left(400));
    const auto files = [this] {
        QStringList names;
        for (QDirIterator it(folder->path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            names << it.next();
        return names;
    };
    const QStringList before = files();
    for (QString &argument : arguments)
        argument.replace("%1", folder->path());

    const Result result = vmc(arguments, input);
    QCOMPARE(result.status, status);
    QVERIFY2((result.out + result.err).contains(QString(says).replace("%1", folder->path())),
             qPrintable(result.out + result.err));
    if (status != 0)
        QCOMPARE(files(), before);
}

void TestVmc::reportOfAFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("epoch"); // SOURCE_DATE_EPOCH
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says"); // in the report; on stderr when none is written
    QTest::newRow("a sound file") << plainModelIdFile() << QByteArray("1700000000") << 0
                                  << "<tr><th>Создан<td>2023-11-14 22:13:20 UTC</tr>";
    QTest::newRow("a damaged file") << QByteArray(100, '\0') << QByteArray("1700000000") << 1
                                    << "100 байт — короче заголовка";
    QTest::newRow("a time that is no count of seconds")
        << plainModelIdFile() << QByteArray("soon") << 2 << "vmc: SOURCE_DATE_EPOCH=soon";
}

// Written for a damaged file too, named after what it was made from, and the same bytes again for
// the same file at the same SOURCE_DATE_EPOCH.
void TestVmc::reportOfAFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, epoch);
    QFETCH(int, status);
    QFETCH(QString, says);
    const QByteArray previous = qgetenv("SOURCE_DATE_EPOCH");
    const bool wasSet = qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH");
    const auto restore = qScopeGuard([&previous, wasSet] {
        if (wasSet)
            qputenv("SOURCE_DATE_EPOCH", previous);
        else
            qunsetenv("SOURCE_DATE_EPOCH");
    });
    qputenv("SOURCE_DATE_EPOCH", epoch);
    const QString source = folder->filePath("ModelId_3.vmc");
    const QString html = folder->filePath("report.html");
    const QString csv = folder->filePath("pins.csv");
    writeFile(source, bytes);

    const Result result = vmc({"report", source, "-o", html, "--csv", csv});
    QCOMPARE(result.status, status);
    if (status == 2) {
        QVERIFY2(result.err.contains(says), qPrintable(result.err));
        QVERIFY(!QFile::exists(html));
        QVERIFY(!QFile::exists(csv));
        return;
    }
    const QByteArray page = readFile(html);
    QVERIFY2(QString::fromUtf8(page).contains(says), page.constData());
    QVERIFY(page.contains("<tr><th>Model id<td>3</tr>"));
    QVERIFY(page.contains(
        QStringLiteral("<td>%1<td class=\"num\">%2<td class=\"hash\">%3</tr>")
            .arg(source)
            .arg(bytes.size())
            .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()))
            .toUtf8()));
    QVERIFY(page.contains("<tr><th>Программа<td>vmc " VELMORA_VERSION "</tr>"));
    QCOMPARE(readFile(csv).count("\r\n"), 97);
    QVERIFY(QFile::remove(html));
    QCOMPARE(vmc({"report", source, "-o", html}).status, status);
    QCOMPARE(readFile(html), page);
}

// The program itself, as git and a shell pipe run it, in a locale that is not UTF-8.
void TestVmc::gitDiffAndPipesUnderACLocale()
{
    const QString program = qEnvironmentVariable("VELMORA_VMC");
    const QString git = QStandardPaths::findExecutable("git");
    if (program.isEmpty() || git.isEmpty())
        QSKIP("needs the vmc program and git");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LC_ALL", "LANG"})
        environment.insert(name, "C");
    environment.insert("HOME", folder->path()); // no one's git settings
    environment.insert("GIT_CONFIG_NOSYSTEM", "1");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder->path());
    const auto run = [&process](const QString &command, const QStringList &arguments,
                                const QByteArray &input = QByteArray()) {
        process.start(command, arguments);
        process.write(input);
        process.closeWriteChannel();
        return process.waitForFinished() ? process.readAllStandardOutput() : QByteArray();
    };

    // The README's set-up, with a file of a name the window refuses tracked beside a model-id file.
    writeFile(folder->filePath(".gitattributes"), "*.vmc diff=vmc\n");
    writeFile(folder->filePath("ModelId_0.vmc"), plainModelIdFile());
    writeFile(folder->filePath("backup.vmc"), plainModelIdFile());
    run(git, {"init", "-q"});
    run(git, {"config", "diff.vmc.textconv", QStringLiteral("'%1' dump --textconv").arg(program)});
    run(git, {"add", "-A"});
    run(git, {"-c", "user.name=t", "-c", "user.email=t@t.invalid", "commit", "-qm", "0"});
    QCOMPARE(process.exitCode(), 0);
    GpioBlock pins = Blocks::withUnavailablePinsMarked(GpioBlock());
    pins.code[42] = 7;
    ModelIdFile::SectionBlocks sections;
    sections[0] = Blocks::encodeGpioBlock(pins);
    writeFile(folder->filePath("ModelId_0.vmc"), *ModelIdFile::encode(sections));
    writeFile(folder->filePath("backup.vmc"), *ModelIdFile::encode(sections));
    const QByteArray changes = run(git, {"diff"});
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(changes.contains(QStringLiteral("+    42 PD 2 (X6-03): код 7 «").toUtf8()), changes.constData());
    QVERIFY2(changes.contains("+00000180  "), changes.constData()); // pin 42's code at 0x18a

    // A pipe into check: the same lines, in UTF-8, as from the function the program runs.
    const QByteArray file = plainModelIdFile() + "xyz";
    const QByteArray lines = run(program, {"check", "--type", "ModelId_0.vmc", "-"}, file);
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(lines, vmc({"check", "--type", "ModelId_0.vmc", "-"}, file).out.toUtf8());
}

QTEST_MAIN(TestVmc)
#include "tst_vmc.moc"
