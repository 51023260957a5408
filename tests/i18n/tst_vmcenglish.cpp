// vmc in English: its readable output, help and messages are translated, while its exit statuses
// and JSON stay what they are in Russian.
#include "datablocks.h"
#include "i18n.h"
#include "modelidfile.h"
#include "vmccli.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Result
{
    int status = 0;
    QString out;
    QString err;
    QString report;
};

// One run of vmc in the language, in the folder; "A" and "B" in the arguments name the folder's
// two sample files, "R" its report.
Result vmc(I18n::Language language, const QDir &folder, QStringList arguments)
{
    I18n::install(language);
    for (QString &argument : arguments)
        if (argument.size() == 1)
            argument = folder.filePath(argument == QLatin1String("R")   ? QStringLiteral("report.html")
                                       : argument == QLatin1String("A") ? QStringLiteral("a/ModelId_1.vmc")
                                                                        : QStringLiteral("b/ModelId_1.vmc"));
    Result result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = Vmc::run(QStringList{QStringLiteral("vmc")} + arguments, out, err);
    QFile report(folder.filePath(QStringLiteral("report.html")));
    if (report.open(QIODevice::ReadOnly))
        result.report = QString::fromUtf8(report.readAll());
    report.remove();
    return result;
}

// A model-id file whose pins all go unused but the ones given (pin, code).
void writeSample(const QString &path, const QMap<int, int> &codes)
{
    GpioBlock gpio = Blocks::withUnavailablePinsMarked(GpioBlock());
    for (auto it = codes.cbegin(); it != codes.cend(); ++it) {
        gpio.code[std::size_t(it.key())] = quint8(it.value());
        gpio.index[std::size_t(it.key())] = 1;
    }
    ModelIdFile::SectionBlocks sections;
    sections[0] = Blocks::encodeGpioBlock(gpio);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(*ModelIdFile::encode(sections));
}
} // namespace

class TestVmcEnglish : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { I18n::install(I18n::Language::Russian); }
    void output_data();
    void output();
};

void TestVmcEnglish::output_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("where"); // out, err or report
    QTest::addColumn<QString>("russian");
    QTest::addColumn<QString>("english");
    QTest::newRow("check") << QStringList{"check", "A"} << "out"
                           << ": ошибка: код 240 у доступного вывода"
                           << ": error: code 240 on an available pin";
    QTest::newRow("check: a code no menu offers") << QStringList{"check", "B"} << "out"
                                                  << "окно покажет «Порт не используется» и запишет 0"
                                                  << "the builder shows \"Pin not used\" and writes 0";
    QTest::newRow("dump") << QStringList{"dump", "A"} << "out"
                          << "код 7 «Аналоговый вход», индекс 1"
                          << "code 7 \"Analog input\", index 1";
    QTest::newRow("dump --json") << QStringList{"dump", "--json", "A"} << "out"
                                 << "\"function\": \"Аналоговый вход\""
                                 << "\"function\": \"Аналоговый вход\"";
    QTest::newRow("diff") << QStringList{"diff", "A", "B"} << "out"
                          << "Аналоговый вход -> Порт не используется"
                          << "Analog input -> Pin not used";
    QTest::newRow("report") << QStringList{"report", "A", "-o", "R"} << "report"
                            << "<title>Отчёт о конфигурации"
                            << "<title>Configuration report";
    QTest::newRow("report's language") << QStringList{"report", "A", "-o", "R"} << "report"
                                       << "lang=\"ru\""
                                       << "lang=\"en\"";
    QTest::newRow("help") << QStringList{"check", "--help"} << "out"
                          << "Использование: vmc check [--strict]"
                          << "Usage: vmc check [--strict]";
    QTest::newRow("usage error") << QStringList{"check"} << "err"
                                 << "vmc: не то число файлов"
                                 << "vmc: wrong number of files";
    QTest::newRow("unknown file") << QStringList{"dump", "report.txt"} << "err"
                                  << "vmc: Неизвестный файл"
                                  << "vmc: Unknown file";
}

void TestVmcEnglish::output()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, where);
    QFETCH(QString, russian);
    QFETCH(QString, english);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir dir(folder.path());
    // A: an analogue input and code 240 on an available pin; B: the input gone, a code no menu offers.
    writeSample(dir.filePath(QStringLiteral("a/ModelId_1.vmc")), {{47, 7}, {48, 240}});
    writeSample(dir.filePath(QStringLiteral("b/ModelId_1.vmc")), {{48, 20}});
    const Result inRussian = vmc(I18n::Language::Russian, dir, arguments);
    const Result inEnglish = vmc(I18n::Language::English, dir, arguments);
    QCOMPARE(inEnglish.status, inRussian.status);
    const auto text = [&where](const Result &result) {
        return where == QLatin1String("out")   ? result.out
               : where == QLatin1String("err") ? result.err
                                               : result.report;
    };
    QVERIFY2(text(inRussian).contains(russian), qPrintable(text(inRussian)));
    QVERIFY2(text(inEnglish).contains(english), qPrintable(text(inEnglish)));
    if (arguments.contains(QStringLiteral("--json")))
        QCOMPARE(inEnglish.out, inRussian.out);
}

QTEST_GUILESS_MAIN(TestVmcEnglish)
#include "tst_vmcenglish.moc"
