// Replays every fuzz target's corpus and the inputs it once found faults with through the same
// checks the fuzzers run, so the normal suite keeps them without libFuzzer.
#include "configfilecheck.h"
#include "datablockscheck.h"
#include "linkrepliescheck.h"
#include "replystreamcheck.h"
#include "tempcwd.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
using Check = bool (*)(const uint8_t *, size_t);

struct Target
{
    const char *name;
    Check check;
    int minimumSeeds;
};

const Target kTargets[] = {
    {"replycollector", checkReplyStream, 5},
    {"datablocks", checkDataBlock, 10},
    {"configfile", checkConfigFile, 11},
    {"linkreplies", checkLinkReplies, 10},
};

void addInputs(const Target &target, const QString &folder, bool required)
{
    const QDir dir(QStringLiteral(VELMORA_FUZZ_DIR) + QLatin1Char('/') + folder + QLatin1Char('/') +
                   QLatin1String(target.name));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    if (required)
        QVERIFY2(names.size() >= target.minimumSeeds, qPrintable(dir.path()));
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        QTest::newRow(qPrintable(QStringLiteral("%1/%2/%3").arg(folder, QLatin1String(target.name), name)))
            << target.check << input;
        // The reply streams again, split at other piece sizes (the first byte steers them).
        if (target.check == checkReplyStream && !input.isEmpty()) {
            for (int steer = 0; steer < 64; steer += 9) {
                QByteArray variant = input;
                variant[0] = static_cast<char>(steer);
                QTest::newRow(qPrintable(QStringLiteral("%1/%2/%3, pieces of %4")
                                             .arg(folder, QLatin1String(target.name), name)
                                             .arg(steer + 1)))
                    << target.check << variant;
            }
        }
    }
}
} // namespace

Q_DECLARE_METATYPE(Check)

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void inputHolds_data();
    void inputHolds();

private:
    TempCwd cwd; // the link reads its settings file from the working folder
};

void TestFuzzCorpus::inputHolds_data()
{
    QTest::addColumn<Check>("check");
    QTest::addColumn<QByteArray>("input");
    for (const Target &target : kTargets) {
        addInputs(target, QStringLiteral("corpus"), true);
        addInputs(target, QStringLiteral("regressions"), false);
    }
}

void TestFuzzCorpus::inputHolds()
{
    QFETCH(Check, check);
    QFETCH(QByteArray, input);
    QVERIFY(check(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())));
}

QTEST_GUILESS_MAIN(TestFuzzCorpus) // the link needs an application object
#include "tst_fuzz_corpus.moc"
