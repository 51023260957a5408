#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"
#include "modalseam.h"
#include "modelidfile.h"
#include "vmccli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using namespace BuilderKit;
using Mutation = std::function<QByteArray(const QByteArray &)>;
Q_DECLARE_METATYPE(Mutation)

namespace {
struct Result
{
    int status = 0;
    QString out;
    QString err;
};

Result vmc(const QStringList &arguments)
{
    Result result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = Vmc::run(QStringList{"vmc"} + arguments, out, err);
    return result;
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
    void checkFindsEachFault_data();
    void checkFindsEachFault();
    void diffSaysWhatChanged();
    void packAndUnpackAsTheWindowWrites();
    void usage_data();
    void usage();

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

void TestVmc::checkFindsEachFault_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<Mutation>("mutation");
    QTest::addColumn<QString>("finding"); // empty: a sound file

    const Mutation none = [](const QByteArray &file) { return file; };
    const auto regs = [](QVector<RegPortRecord> records, int extra = 0) {
        return Blocks::encodeRecords(records) + QByteArray(extra, '\0');
    };
    const QString modelId = "ModelId_3.vmc";
    QTest::newRow("sound") << modelId << none << QString();
    QTest::newRow("pin block size") << "GpioPortsSettings.vmc"
                                    << Mutation([](const QByteArray &) { return QByteArray(295, '\0'); })
                                    << "Gpio: 295 байт вместо 296: окно не прочтёт выводы";
    QTest::newRow("short block") << "doRegPortsSettings.vmc"
                                 << Mutation([](const QByteArray &) { return QByteArray(3, '\1'); })
                                 << "RegDo: 3 байт — меньше одной записи (4)";
    QTest::newRow("partial record") << modelId << section(1, regs({{1, 4}}, 2))
                                    << "RegDo: 2 байт после последней целой записи";
    QTest::newRow("after the end mark") << modelId << section(1, regs({{1, 4}, {1, 25555}, {1, 4}}))
                                        << "RegDo, запись 2: маркер конца: записей после него 1";
    QTest::newRow("unknown entry") << modelId << headerName(9, "Foo")
                                   << "заголовок, запись 9: неизвестная секция «Foo»";
    QTest::newRow("entry twice") << modelId << headerName(9, "Gpio")
                                 << "заголовок, запись 9: секция Gpio уже была в записи 0";
    QTest::newRow("empty entry") << modelId << headerName(5, "") << "заголовок, запись 5: пустое имя";
    QTest::newRow("entry out of range") << modelId << Mutation([](QByteArray file) {
        file[14 + 16] = char(0xFF); // RegDo's size
        return file;
    }) << "заголовок, запись 1: секция RegDo (смещение 296, размер 255) выходит за конец файла";
    QTest::newRow("body too large") << modelId << Mutation([](const QByteArray &file) {
        return file + QByteArray(65536, '\0');
    }) << "файл: данных";
    QTest::newRow("code no pin offers")
        << modelId << pinCode(50, 24) << "Gpio, X6-19 PN 4: код 24 не предлагается выводу";
    QTest::newRow("unavailable pin with a code")
        << modelId << pinCode(41, 7) << "Gpio, X6-01 NOT AVAI: вывод недоступен, а код 7";
    QTest::newRow("available pin with 240")
        << modelId << pinCode(50, 240) << "Gpio, X6-19 PN 4: код 240 у доступного вывода";
    QTest::newRow("register code") << modelId << section(1, regs({{1, 1}}))
                                   << "RegDo, запись 1: код 1 не предлагается";
    QTest::newRow("chain line missing")
        << modelId << pinCode(45, 0)
        << "цепочка SPI DO: нет вывода с функцией «SPI CLK для DO регистров» (10)";
    QTest::newRow("chain line twice")
        << modelId << pinCode(50, 9)
        << "цепочка SPI DO: «SPI MOSI для DO регистров» (9) у нескольких выводов";
    QTest::newRow("ADC chain without chip select")
        << modelId << section(3, Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 1, 1}}))
        << "цепочка SPI ADC: нет ни вывода, ни выхода SPI DO";
    QTest::newRow("ADC row on a digital pin")
        << modelId << pinCode(42, 0) << "TiAdc, запись 1: вывод X6-03 PD 2 в Gpio не аналоговый вход";
    QTest::newRow("analogue pin without row")
        << modelId << pinCode(48, 7) << "Gpio, X6-15 PP 4: аналоговый вход без строки в TiAdc";
    QTest::newRow("links the pins do not give")
        << modelId << pinCode(48, 4) << "DoLinks: привязок 1, а из настроек окно получило бы 2";
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
    QCOMPARE(result.status, 1);
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

void TestVmc::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("nothing") << QStringList() << 2 << "Использование: vmc КОМАНДА";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "unpack ФАЙЛ -o ПАПКА";
    QTest::newRow("command help") << QStringList{"diff", "--help"} << 0 << "Использование: vmc diff A B";
    QTest::newRow("unknown command") << QStringList{"show", "x"} << 2 << "неизвестная команда «show»";
    QTest::newRow("unknown option") << QStringList{"check", "--fast", "a.vmc"} << 2
                                    << "неизвестный параметр «fast»";
    QTest::newRow("unknown file") << QStringList{"check", "gpioportssettings.vmc"} << 2
                                  << "Неизвестный файл gpioportssettings.vmc!";
    QTest::newRow("pack without a target") << QStringList{"pack", "."} << 2 << "не указан -o";
    QTest::newRow("pack under another model id")
        << QStringList{"pack", ".", "--model-id", "3", "-o", "ModelId_4.vmc"} << 2
        << "окно назвало бы файл ModelId_3.vmc";
}

void TestVmc::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    const Result result = vmc(arguments);
    QCOMPARE(result.status, status);
    QVERIFY2((result.out + result.err).contains(says), qPrintable(result.out + result.err));
}

QTEST_MAIN(TestVmc)
#include "test_vmc.moc"
