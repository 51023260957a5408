// Replays the fuzzer's seed inputs through the same check the fuzzer runs, so the normal suite
// exercises it without libFuzzer.
#include "replystreamcheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestReplyStreamSeeds : public QObject
{
    Q_OBJECT

private slots:
    void seedHolds_data();
    void seedHolds();
};

void TestReplyStreamSeeds::seedHolds_data()
{
    QTest::addColumn<QByteArray>("input");
    const QDir corpus(QStringLiteral(VELMORA_FUZZ_CORPUS));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 5, qPrintable(corpus.path()));
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        QTest::newRow(qPrintable(name)) << input;
        // The same stream again, split at every piece size the steering byte allows.
        for (int steer = 0; steer < 64; steer += 9) {
            QByteArray variant = input;
            variant[0] = static_cast<char>(steer);
            QTest::newRow(qPrintable(QStringLiteral("%1, pieces of %2").arg(name).arg(steer + 1))) << variant;
        }
    }
}

void TestReplyStreamSeeds::seedHolds()
{
    QFETCH(QByteArray, input);
    QVERIFY(checkReplyStream(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())));
}

QTEST_APPLESS_MAIN(TestReplyStreamSeeds)
#include "tst_replystream_seeds.moc"
