// The link's batches on plain values: what they hand out, in which order, and their progress.
#include "batchbook.h"

#include <QTest>

using Call = QList<QPair<QString, uint>>; // names in the order given, with their sizes
using Calls = QList<Call>;

Q_DECLARE_METATYPE(Calls)

namespace {

int percentOf(const Batch &batch)
{
    uint percent = 0;
    return batch.progress(percent) ? int(percent) : -1; // -1: the batch counts nothing
}

} // namespace

class TestBatchBook : public QObject
{
    Q_OBJECT

private slots:
    void namesGoOut_data();
    void namesGoOut();
    void uploadPieces_data();
    void uploadPieces();
    void downloadKeepsTheLastFileOfAName();
};

void TestBatchBook::namesGoOut_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<QStringList>("sent"); // each followed by its zero byte on the wire
    QTest::addColumn<QList<int>>("progress");

    const QString longest(51, QLatin1Char('n'));
    QTest::newRow("delete: in the order given") << false << Calls{{{"b", 0}, {"a", 0}}, {{"c", 0}}}
                                                << QStringList{"b", "a", "c"} << QList<int>{33, 66, 100};
    QTest::newRow("delete: unusable names skipped")
        << false << Calls{{{QString(52, 'n'), 0}, {longest, 0}, {QString(), 0}}} << QStringList{longest}
        << QList<int>{100};
    QTest::newRow("download: by sizes expected")
        << true << Calls{{{"abcde", 10}, {"b", 30}}} << QStringList{"abcde", "b"} << QList<int>{25, 100};
    // Asked for again while queued: one request serves both, and the progress still ends at 100.
    QTest::newRow("download: a name twice") << true << Calls{{{"abcde", 10}, {"b", 30}}, {{"b", 30}}}
                                            << QStringList{"abcde", "b"} << QList<int>{14, 100};
    QTest::newRow("download: byte order") << true << Calls{{{"b", 1}}, {{"B", 1}}, {{"a", 2}}}
                                          << QStringList{"B", "a", "b"} << QList<int>{25, 75, 100};
    QTest::newRow("download: empty files") << true << Calls{{{"x", 0}}} << QStringList{"x"} << QList<int>{-1};
    QTest::newRow("download: nothing usable")
        << true << Calls{{{QString(), 5}}} << QStringList() << QList<int>();
}

void TestBatchBook::namesGoOut()
{
    QFETCH(bool, download);
    QFETCH(Calls, calls);
    QFETCH(QStringList, sent);
    QFETCH(QList<int>, progress);
    DeleteBatch deletions;
    DownloadBatch downloads;
    Batch &batch = download ? static_cast<Batch &>(downloads) : deletions;
    for (const Call &call : qAsConst(calls)) {
        QStringList names;
        QMap<QString, uint> sizes;
        for (const auto &item : call) {
            names << item.first;
            sizes.insert(item.first, item.second);
        }
        QCOMPARE(download ? downloads.add(sizes) : deletions.add(names), !sent.isEmpty());
    }
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(batch.takeName(), sent.at(i).toLatin1() + '\0');
        QCOMPARE(percentOf(batch), progress.at(i));
    }
    QVERIFY(!batch.hasQueued());
    QVERIFY(batch.takeName().isEmpty());
    batch.clear();
    QCOMPARE(percentOf(batch), -1);
}

void TestBatchBook::uploadPieces_data()
{
    QTest::addColumn<QList<int>>("records");    // their lengths
    QTest::addColumn<int>("acknowledgedAfter"); // pieces of the first record before an early reply
    QTest::addColumn<QList<int>>("pieces");     // negative: the piece that ends its record
    QTest::addColumn<QList<int>>("progress");   // after each piece

    QTest::newRow("one piece exactly") << QList<int>{1380} << -1 << QList<int>{-1380} << QList<int>{100};
    QTest::newRow("a byte more") << QList<int>{1381} << -1 << QList<int>{1380, -1} << QList<int>{99, 100};
    QTest::newRow("two records") << QList<int>{100, 2000} << -1 << QList<int>{-100, 1380, -620}
                                 << QList<int>{4, 70, 100};
    // The board answered before the record was whole: it stays, and its rest goes out.
    QTest::newRow("acknowledged early")
        << QList<int>{3000} << 1 << QList<int>{1380, 1380, -240} << QList<int>{46, 92, 100};
}

void TestBatchBook::uploadPieces()
{
    QFETCH(QList<int>, records);
    QFETCH(int, acknowledgedAfter);
    UploadBatch batch;
    QVERIFY(!batch.itemDone(QString(), QByteArray())); // nothing sent: no item to report
    QList<QByteArray> added;
    qint64 bytes = 0;
    for (const int length : qAsConst(records)) {
        added << QByteArray(length, char('a' + added.size()));
        bytes += length;
    }
    batch.add(added, bytes);
    QCOMPARE(percentOf(batch), 0);
    QList<int> pieces;
    QList<int> progress;
    QByteArray wire;
    while (batch.hasQueued()) {
        bool endsRecord = false;
        const QByteArray piece = batch.nextPiece(endsRecord);
        wire += piece;
        pieces << (endsRecord ? -piece.size() : piece.size());
        batch.pieceWritten(piece.size());
        progress << percentOf(batch);
        QCOMPARE(batch.recordSent(), endsRecord);
        if (pieces.size() == acknowledgedAfter)
            QVERIFY(!batch.itemDone(QString(), QByteArray()));
        if (endsRecord)
            QVERIFY(batch.itemDone(QString(), QByteArray()));
    }
    QTEST(pieces, "pieces");
    QTEST(progress, "progress");
    QCOMPARE(wire, added.join());
}

void TestBatchBook::downloadKeepsTheLastFileOfAName()
{
    DownloadBatch batch;
    QVERIFY(batch.itemDone(QStringLiteral("a"), "first"));
    QVERIFY(batch.itemDone(QStringLiteral("a"), "2nd"));
    QVERIFY(batch.itemDone(QString(), "no name to keep it under"));
    QCOMPARE(batch.files(), (QMap<QString, QByteArray>{{QStringLiteral("a"), "2nd"}}));
}

QTEST_APPLESS_MAIN(TestBatchBook)
#include "tst_batchbook.moc"
