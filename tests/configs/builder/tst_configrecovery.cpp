#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"
#include "modalseam.h"
#include "modelidfile.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

using namespace BuilderKit;

namespace {} // namespace

// What a window with recovery counts as saved work: what it saved or loaded, section by section.
class TestConfigRecovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void savedAndLoadedWorkIsNotKept_data();
    void savedAndLoadedWorkIsNotKept();

private:
    // The recovery files in the data location, wherever they are.
    QStringList recoveryFiles() const;

    std::unique_ptr<QTemporaryDir> temporary;
    QByteArray dataHome;
    QStringList chosenFiles;
};

void TestConfigRecovery::init()
{
    temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(temporary->isValid());
    // The data location is this test's own.
    dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(temporary->filePath(QStringLiteral("data"))));
    QVERIFY(QDir().mkpath(temporary->filePath(QStringLiteral("files"))));
    chosenFiles.clear();
    ModalSeam::setHandler([this](const ModalSeam::Request &) {
        ModalSeam::Answer answer;
        answer.path = temporary->filePath(QStringLiteral("files"));
        answer.paths = chosenFiles;
        answer.button = QMessageBox::Yes;
        return answer;
    });
}

void TestConfigRecovery::cleanup()
{
    ModalSeam::setHandler({});
    qputenv("XDG_DATA_HOME", dataHome);
}

QStringList TestConfigRecovery::recoveryFiles() const
{
    QStringList files;
    QDirIterator it(temporary->filePath(QStringLiteral("data")), {QStringLiteral("*.vmc")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

void TestConfigRecovery::savedAndLoadedWorkIsNotKept_data()
{
    QTest::addColumn<QStringList>("edited"); // sections given rows
    QTest::addColumn<QString>("then");       // save: a page's tab or "model id"; load: a file
    QTest::addColumn<bool>("kept");

    const QStringList pwm{QStringLiteral("PwmPorts")};
    const QStringList pwmAndRegisters{QStringLiteral("PwmPorts"), QStringLiteral("RegDo")};
    QTest::newRow("model-id file saved") << pwmAndRegisters << "save model id" << false;
    QTest::newRow("the edited tab saved") << pwm << "save pwmConfig" << false;
    QTest::newRow("one of two edited tabs saved") << pwmAndRegisters << "save pwmConfig" << true;
    QTest::newRow("model-id file loaded") << pwmAndRegisters << "load ModelId_4.vmc" << false;
    QTest::newRow("the edited tab's file loaded") << pwm << "load pwmPortsSettings.vmc" << false;
    QTest::newRow("another tab's file loaded") << pwm << "load doRegPortsSettings.vmc" << true;
    QTest::newRow("pins the tab does not read")
        << QStringList{QStringLiteral("Gpio")} << "load GpioPortsSettings.vmc" << true;
}

void TestConfigRecovery::savedAndLoadedWorkIsNotKept()
{
    QFETCH(QStringList, edited);
    QFETCH(QString, then);
    QFETCH(bool, kept);

    const QString files = temporary->filePath(QStringLiteral("files"));
    QVERIFY(writeFile(files + QStringLiteral("/ModelId_4.vmc"),
                      *ModelIdFile::encode(ModelIdFile::SectionBlocks())));
    QVERIFY(writeFile(files + QStringLiteral("/pwmPortsSettings.vmc"),
                      Blocks::encodeRecords(QVector<PwmPortRecord>{{2, 35, 100}})));
    QVERIFY(writeFile(files + QStringLiteral("/doRegPortsSettings.vmc"),
                      Blocks::encodeRecords(QVector<RegPortRecord>{{1, 4}})));
    QVERIFY(writeFile(files + QStringLiteral("/GpioPortsSettings.vmc"),
                      QByteArray(Blocks::kGpioBlockSize - 1, '\7')));

    ConfigsCreator window;
    window.fillAllTabs();
    window.startRecovery();
    for (const QString &section : edited) {
        if (section == QLatin1String("PwmPorts"))
            window.fillPwmTab(Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 36, 500}}));
        else if (section == QLatin1String("RegDo"))
            window.fillDoRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{3, 5}}));
        else
            window.fillGpioTab(gpioBlock({{42, {3, 7}}}));
    }
    QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles().size(), 1, 10000);

    const QString name = then.section(QLatin1Char(' '), 1);
    if (then == QLatin1String("save model id")) {
        window.saveToModelIdFile();
    } else if (then.startsWith(QLatin1String("save "))) {
        showTab(window, name);
        window.saveCurrentTabConfigs();
    } else {
        chosenFiles = QStringList{files + QLatin1Char('/') + name};
        window.on_loadConfigs_clicked();
    }
    // At once, without waiting for edits to settle.
    const QStringList left = recoveryFiles();
    QCOMPARE(left.size(), kept ? 1 : 0);
    if (kept)
        QCOMPARE(readAll(left.first()), *ModelIdFile::encode(window.blocks()));
    window.close();
}

QTEST_MAIN(TestConfigRecovery)
#include "tst_configrecovery.moc"
