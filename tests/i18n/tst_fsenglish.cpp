// velmora-fs in English, as a separate process under an English locale: its help, usage errors,
// messages and -v words are translated, while its exit statuses and JSON stay what they are in
// Russian.
#include "boardsimprocess.h"
#include "localeenvironment.h"
#include "loopback.h"
#include "testfiles.h"
#include "toolrun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kRussian{QStringLiteral("LANG=ru_RU.UTF-8")};

// One run of velmora-fs in Folder under the locale settings.
ToolRun velmoraFs(const QStringList &settings, const QString &folder, const QStringList &arguments)
{
    return runTool(qEnvironmentVariable("VELMORA_FS"), folder, arguments, localeEnvironment(settings));
}
} // namespace

class TestFsEnglish : public QObject
{
    Q_OBJECT

private slots:
    void output_data();
    void output();
};

void TestFsEnglish::output_data()
{
    QTest::addColumn<QStringList>("locale"); // the English locale's settings
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("where"); // out or err: what it starts with
    QTest::addColumn<QString>("russian");
    QTest::addColumn<QString>("english");
    const QStringList en{QStringLiteral("LANG=en_US.UTF-8")};
    // PORT: the board simulator's port; CLOSED: a port nothing listens on; FOLDER: a folder that
    // holds what the board holds.
    const QStringList board{"--host", "127.0.0.1", "--port", "PORT"};
    QTest::newRow("usage error") << en << QStringList{"--bogus"} << "err"
                                 << "velmora-fs: неизвестный параметр «bogus»\n"
                                 << "velmora-fs: unknown option \"bogus\"\n";
    QTest::newRow("VELMORA_LANG=en over a Russian locale")
        << QStringList{"LANG=ru_RU.UTF-8", "VELMORA_LANG=en"} << QStringList{"frobnicate"} << "err"
        << "velmora-fs: неизвестная команда «frobnicate»\n"
        << "velmora-fs: unknown command \"frobnicate\"\n";
    QTest::newRow("help") << en << QStringList{"--help"} << "out"
                          << "Показывает, передаёт, получает и удаляет файлы платы контроллера"
                          << "Lists, uploads, downloads and deletes the files of the controller board";
    QTest::newRow("refused connection")
        << en << QStringList{"--host", "127.0.0.1", "--port", "CLOSED", "ls"} << "err"
        << "velmora-fs: не удалось подключиться к 127.0.0.1:CLOSED: в "
           "соединении отказано\n"
        << "velmora-fs: could not connect to 127.0.0.1:CLOSED: connection refused\n";
    QTest::newRow("ls --json") << en
                               << (QStringList(board) << "ls"
                                                      << "--json")
                               << "out"
                               << "{"
                               << "{";
    QTest::newRow("sync -v") << en
                             << (QStringList(board) << "sync"
                                                    << "-v"
                                                    << "--no-state"
                                                    << "FOLDER")
                             << "out"
                             << "= a.bin\tпо содержимому\n"
                             << "= a.bin\tby content\n";
}

void TestFsEnglish::output()
{
    QFETCH(QStringList, locale);
    QFETCH(QStringList, arguments);
    QFETCH(QString, where);
    QFETCH(QString, russian);
    QFETCH(QString, english);
    // The board and the folder hold the same file.
    QTemporaryDir boardFolder;
    QTemporaryDir folder;
    QVERIFY(boardFolder.isValid() && folder.isValid());
    const QByteArray content("eight by");
    QVERIFY(writeFile(boardFolder.filePath(QStringLiteral("a.bin")), content));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("a.bin")), content));
    BoardSimProcess sim({QStringLiteral("--dir"), boardFolder.path()});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    const QString closed = QString::number(closedLoopbackPort());
    const auto placed = [&](QString text) {
        return text.replace(QLatin1String("CLOSED"), closed)
            .replace(QLatin1String("PORT"), QString::number(sim.port()))
            .replace(QLatin1String("FOLDER"), folder.path());
    };
    for (QString &argument : arguments)
        argument = placed(argument);
    // The run's own working folder, with no settings file: every run names its board.
    QTemporaryDir workingFolder;
    QVERIFY(workingFolder.isValid());
    const ToolRun inRussian = velmoraFs(kRussian, workingFolder.path(), arguments);
    const ToolRun inEnglish = velmoraFs(locale, workingFolder.path(), arguments);
    QCOMPARE(inEnglish.exitCode, inRussian.exitCode);
    const auto text = [&where](const ToolRun &result) {
        return where == QLatin1String("out") ? result.outText() : result.err;
    };
    QVERIFY2(text(inRussian).startsWith(placed(russian)), qPrintable(inRussian.outText() + inRussian.err));
    QVERIFY2(text(inEnglish).startsWith(placed(english)), qPrintable(inEnglish.outText() + inEnglish.err));
    if (arguments.contains(QStringLiteral("--json")))
        QCOMPARE(inEnglish.out, inRussian.out);
}

QTEST_GUILESS_MAIN(TestFsEnglish)
#include "tst_fsenglish.moc"
