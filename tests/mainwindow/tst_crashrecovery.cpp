// Unsaved work in the builder as a user meets it after a crash: the program runs as a process of its
// own (the recovery driver), is killed with its work unsaved and started again; the data location
// is the test's own folder.
#include "configscreator.h"
#include "modelidfile.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// One run of the program, in a working folder of its own, answering the builder's question as
// told. Its lines on stdout: ASKED, FILE and READY (see recoverydriver.cpp).
class Run
{
public:
    Run(const QString &dataHome, const QString &folder, const QStringList &arguments)
        : blocksPath(folder + QStringLiteral("/blocks.vmc"))
    {
        QDir().mkpath(folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            output += process.readAllStandardOutput();
            int end;
            while ((end = output.indexOf('\n')) >= 0) {
                lines << QString::fromUtf8(output.left(end));
                output.remove(0, end + 1);
            }
        });
        process.start(QString::fromLocal8Bit(qgetenv("VELMORA_RECOVERYDRIVER")),
                      arguments + QStringList{blocksPath});
    }
    ~Run()
    {
        if (process.state() != QProcess::NotRunning)
            close();
    }
    Run(const Run &) = delete;
    Run &operator=(const Run &) = delete;

    // Until the READY line; false when the program ended or took too long.
    bool waitForReady()
    {
        return QTest::qWaitFor(
                   [this] {
                       return !value(QStringLiteral("READY")).isNull() ||
                              process.state() == QProcess::NotRunning;
                   },
                   120000) &&
               !value(QStringLiteral("READY")).isNull();
    }
    // The message boxes shown, as "icon buttons title|text".
    QStringList asked() const
    {
        QStringList boxes;
        for (const QString &line : lines)
            if (line.startsWith(QLatin1String("ASKED ")))
                boxes << line.mid(6);
        return boxes;
    }
    QString recoveryFile() const { return value(QStringLiteral("FILE")); }
    int modelId() const { return value(QStringLiteral("READY")).toInt(); }
    QByteArray blocks() const { return readAll(blocksPath); }

    // A crash: nothing of the program runs any more.
    void kill()
    {
        process.kill();
        process.waitForFinished(30000);
    }
    // The user ends the program normally; true when it exited cleanly.
    bool close()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(60000)) {
            kill();
            return false;
        }
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

private:
    QString value(const QString &key) const
    {
        for (const QString &line : lines)
            if (line.startsWith(key + QLatin1Char(' ')))
                return line.mid(key.size() + 1);
        return QString();
    }

    QProcess process;
    QByteArray output;
    QStringList lines;
    const QString blocksPath;
};

QString box(QMessageBox::Icon icon, QMessageBox::StandardButtons buttons, const QString &titleAndText)
{
    return QStringLiteral("%1 %2 %3").arg(int(icon)).arg(int(buttons)).arg(titleAndText);
}

} // namespace

class TestCrashRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void offeredAfterACrash_data();
    void offeredAfterACrash();
    void damagedFileIsRemovedWithAWarning();
    void runningProgramsFileIsNotOffered();
    void normalEndRemovesTheFile_data();
    void normalEndRemovesTheFile();

private:
    // The configuration files in the data location, wherever they are.
    QStringList recoveryFiles() const;
    QString folder(const QString &name) const { return temporary->filePath(name); }

    std::unique_ptr<QTemporaryDir> temporary;
    QString dataHome;
    QByteArray fresh; // the blocks of a builder just opened
};

void TestCrashRecovery::initTestCase()
{
    QVERIFY(QFileInfo(QString::fromLocal8Bit(qgetenv("VELMORA_RECOVERYDRIVER"))).isExecutable());
    ConfigsCreator window;
    window.fillAllTabs();
    fresh = *ModelIdFile::encode(window.blocks());
}

void TestCrashRecovery::init()
{
    temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(temporary->isValid());
    dataHome = folder(QStringLiteral("data"));
}

QStringList TestCrashRecovery::recoveryFiles() const
{
    QStringList files;
    QDirIterator it(dataHome, {QStringLiteral("*.vmc")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

void TestCrashRecovery::offeredAfterACrash_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("restored");

    QTest::newRow("yes") << "yes" << true;
    QTest::newRow("no") << "no" << false;
}

void TestCrashRecovery::offeredAfterACrash()
{
    QFETCH(QString, answer);
    QFETCH(bool, restored);

    Run crashed(dataHome, folder(QStringLiteral("first")), {QStringLiteral("edit")});
    QVERIFY(crashed.waitForReady());
    QVERIFY(crashed.blocks() != fresh);
    QVERIFY(crashed.modelId() != 0);
    crashed.kill();
    const QString left = crashed.recoveryFile();
    QCOMPARE(recoveryFiles(), QStringList{left});
    const QString time = QFileInfo(left).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));

    Run again(dataHome, folder(QStringLiteral("again")), {QStringLiteral("restore"), answer});
    QVERIFY(again.waitForReady());
    QCOMPARE(again.asked(), QStringList{box(QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                            "?|Восстановить несохранённую конфигурацию от " + time + "?")});
    QCOMPARE(again.blocks(), restored ? crashed.blocks() : fresh);
    QCOMPARE(again.modelId(), restored ? crashed.modelId() : 0);
    // Restored work is the new window's unsaved work, in its own file at once; the old file is gone.
    const QStringList files = recoveryFiles();
    QCOMPARE(files.size(), restored ? 1 : 0);
    if (restored) {
        QVERIFY(files.first() != left);
        QCOMPARE(QFileInfo(files.first()).fileName(), QFileInfo(left).fileName());
        QCOMPARE(readAll(files.first()), crashed.blocks());
    }
    QVERIFY(again.close());
}

void TestCrashRecovery::damagedFileIsRemovedWithAWarning()
{
    Run crashed(dataHome, folder(QStringLiteral("first")), {QStringLiteral("edit")});
    QVERIFY(crashed.waitForReady());
    crashed.kill();
    QFile damaged(crashed.recoveryFile());
    QVERIFY(damaged.resize(ModelIdFile::kHeaderSize - 1));

    Run again(dataHome, folder(QStringLiteral("again")), {QStringLiteral("restore"), QStringLiteral("yes")});
    QVERIFY(again.waitForReady());
    QCOMPARE(again.asked().size(), 1);
    const QString warning = again.asked().first();
    QVERIFY2(warning.startsWith(box(QMessageBox::Warning, QMessageBox::Ok, "Внимание!|")),
             qPrintable(warning));
    QVERIFY2(warning.contains(QDir::toNativeSeparators(damaged.fileName())), qPrintable(warning));
    QCOMPARE(again.blocks(), fresh);
    QCOMPARE(recoveryFiles(), QStringList());
    QVERIFY(again.close());
}

void TestCrashRecovery::runningProgramsFileIsNotOffered()
{
    Run running(dataHome, folder(QStringLiteral("first")), {QStringLiteral("edit")});
    QVERIFY(running.waitForReady());

    Run another(dataHome, folder(QStringLiteral("another")),
                {QStringLiteral("restore"), QStringLiteral("yes")});
    QVERIFY(another.waitForReady());
    QCOMPARE(another.asked(), QStringList());
    QCOMPARE(another.blocks(), fresh);
    QCOMPARE(recoveryFiles(), QStringList{running.recoveryFile()});
    QCOMPARE(readAll(running.recoveryFile()), running.blocks());
    QVERIFY(another.close());
    QVERIFY(running.close());
}

void TestCrashRecovery::normalEndRemovesTheFile_data()
{
    QTest::addColumn<QStringList>("ending");

    QTest::newRow("builder closed") << QStringList();
    QTest::newRow("program quits with the builder open") << QStringList{QStringLiteral("--quit")};
}

void TestCrashRecovery::normalEndRemovesTheFile()
{
    QFETCH(QStringList, ending);

    Run run(dataHome, folder(QStringLiteral("first")), QStringList{QStringLiteral("edit")} + ending);
    QVERIFY(run.waitForReady());
    QVERIFY(QFileInfo::exists(run.recoveryFile()));
    QVERIFY(run.close());
    // Not even a lock is left.
    QDirIterator it(dataHome, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
}

QTEST_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
