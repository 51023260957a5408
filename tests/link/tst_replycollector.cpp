// The reply collector on its own: frames cut from a byte stream however it is split.
#include "replycollector.h"

#include <QTest>
#include <QtEndian>

namespace {

using State = ReplyCollector::State;

QByteArray smallFrame(int command, const QByteArray &payload, char form = 0x0C)
{
    QByteArray frame(5, '\0');
    qToLittleEndian<quint16>(static_cast<quint16>(payload.size() + 5), frame.data());
    frame[2] = 0x0B;
    frame[3] = form;
    frame[4] = static_cast<char>(command);
    return frame + payload;
}

// Length -1 announces the frame's true length.
QByteArray bigFileFrame(const QByteArray &payload, qint64 length = -1)
{
    QByteArray frame(10, '\0');
    frame[2] = 0x0B;
    frame[3] = 0x0D;
    frame[4] = 5;
    qToLittleEndian<quint32>(quint32(length < 0 ? payload.size() + 10 : length), frame.data() + 6);
    return frame + payload;
}

// The payload of a get reply: status, name length, the name and its zero byte, the content.
QByteArray filePayload(const QByteArray &name, const QByteArray &content, char status = 0)
{
    QByteArray payload;
    payload.append(status).append(char(name.size() + 1)).append(name).append('\0');
    return payload + content;
}

QList<ReplyCollector::Frame> drain(ReplyCollector &collector)
{
    QList<ReplyCollector::Frame> frames;
    ReplyCollector::Frame frame;
    while (collector.takeFrame(frame))
        frames.append(frame);
    return frames;
}

} // namespace

class TestReplyCollector : public QObject
{
    Q_OBJECT

private slots:
    void framesSurviveAnySplit_data();
    void framesSurviveAnySplit();
    void waitsForMoreThanFiveBytes();
    void bigHeaderWaitsForLength();
    void progressIsShareOfFrame();
    void gluedFramesAreKept();
    void shortLengthsAreDropped_data();
    void shortLengthsAreDropped();
    void hostileLengthIsNotHeld();
    void oversizedFramesAreSkipped();
    void lengthLimitTakesTheLargestUpload_data();
    void lengthLimitTakesTheLargestUpload();
    void directFeedingMatchesCopies();
    void contentApartKeepsFramesAndProgress_data();
    void contentApartKeepsFramesAndProgress();
    void feedRoomEndsBeforeAFilesContent_data();
    void feedRoomEndsBeforeAFilesContent();
    void feedRoomTakesASmallFileWhole_data();
    void feedRoomTakesASmallFileWhole();
    void resetForgetsEverything();
};

void TestReplyCollector::framesSurviveAnySplit_data()
{
    QTest::addColumn<int>("pieceSize");
    for (const int size : {1, 2, 5, 6, 7, 13, 64, 1000, 100000})
        QTest::newRow(qPrintable(QStringLiteral("pieces of %1").arg(size))) << size;
}

void TestReplyCollector::framesSurviveAnySplit()
{
    QFETCH(int, pieceSize);
    const QList<QByteArray> sent{smallFrame(4, QByteArray(1, '\0')), bigFileFrame(QByteArray(70000, 'x')),
                                 smallFrame(1, QByteArray(300, 'l'), 0x0D), smallFrame(2, QByteArray()),
                                 smallFrame(5, QByteArray(3, 's'))};
    QByteArray stream;
    for (const QByteArray &frame : sent)
        stream += frame;

    ReplyCollector collector;
    QList<ReplyCollector::Frame> frames;
    for (int offset = 0; offset < stream.size(); offset += pieceSize) {
        collector.feed(stream.mid(offset, pieceSize));
        frames += drain(collector);
    }
    QCOMPARE(frames.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(frames.at(i).bytes, sent.at(i));
    QCOMPARE(frames.at(1).payloadOffset, 10);
    QCOMPARE(frames.at(2).payloadOffset, 5);
    QCOMPARE(collector.state(), State::WaitingForHeader);
    QCOMPARE(collector.droppedBytes(), 0);
}

void TestReplyCollector::waitsForMoreThanFiveBytes()
{
    // A header-only reply is five bytes: it is only cut once a sixth byte has come.
    const QByteArray frame = smallFrame(2, QByteArray());
    ReplyCollector collector;
    collector.feed(frame);
    QCOMPARE(collector.state(), State::WaitingForHeader);
    QCOMPARE(collector.bufferedBytes(), 5);
    QVERIFY(drain(collector).isEmpty());
    uint percent = 0;
    QVERIFY(!collector.progress(percent));

    collector.feed(smallFrame(4, QByteArray(1, '\1')).left(1));
    const QList<ReplyCollector::Frame> frames = drain(collector);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().bytes, frame);
    QCOMPARE(collector.bufferedBytes(), 1);
}

void TestReplyCollector::bigHeaderWaitsForLength()
{
    const QByteArray frame = bigFileFrame(QByteArray(20, 'p'));
    ReplyCollector collector;
    for (int size = 6; size < 10; ++size) {
        ReplyCollector partial;
        partial.feed(frame.left(size));
        QCOMPARE(partial.state(), State::WaitingForHeader);
        QCOMPARE(partial.expectedLength(), 0);
    }
    collector.feed(frame.left(9));
    collector.feed(frame.mid(9, 1));
    QCOMPARE(collector.state(), State::CollectingBody);
    QCOMPARE(collector.expectedLength(), frame.size());
    collector.feed(frame.mid(10));
    QCOMPARE(drain(collector).first().bytes, frame);
}

void TestReplyCollector::progressIsShareOfFrame()
{
    const QByteArray frame = smallFrame(5, QByteArray(395, 'd')); // 400 bytes
    ReplyCollector collector;
    uint percent = 0;
    collector.feed(frame.left(100));
    QVERIFY(collector.progress(percent));
    QCOMPARE(percent, 25u);
    collector.feed(frame.mid(100, 199));
    QVERIFY(collector.progress(percent));
    QCOMPARE(percent, 74u); // truncated, never rounded up
    collector.feed(frame.mid(299));
    QVERIFY(!collector.progress(percent));
    QCOMPARE(drain(collector).size(), 1);
}

void TestReplyCollector::gluedFramesAreKept()
{
    const QByteArray first = smallFrame(3, QByteArray(1, '\0'));
    const QByteArray second = bigFileFrame(QByteArray(40, 'g'));
    ReplyCollector collector;
    // The first frame completes with the start of the second in the same piece.
    collector.feed(first + second.left(7));
    QList<ReplyCollector::Frame> frames = drain(collector);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().bytes, first);
    QCOMPARE(collector.bufferedBytes(), 7);
    collector.feed(second.mid(7) + first);
    frames = drain(collector);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.at(0).bytes, second);
    QCOMPARE(frames.at(1).bytes, first);
    QCOMPARE(collector.bufferedBytes(), 0);
}

void TestReplyCollector::shortLengthsAreDropped_data()
{
    QTest::addColumn<QByteArray>("frame");
    for (const quint16 length : {0, 1, 4}) {
        QByteArray frame = smallFrame(1, QByteArray(10, 'z'));
        qToLittleEndian<quint16>(length, frame.data());
        QTest::newRow(qPrintable(QStringLiteral("small length %1").arg(length))) << frame;
    }
    for (const qint64 length : {0, 5, 9})
        QTest::newRow(qPrintable(QStringLiteral("big length %1").arg(length)))
            << bigFileFrame(QByteArray(10, 'z'), length);
}

void TestReplyCollector::shortLengthsAreDropped()
{
    QFETCH(QByteArray, frame);
    ReplyCollector collector;
    collector.feed(frame);
    QVERIFY(drain(collector).isEmpty());
    QCOMPARE(collector.state(), State::WaitingForHeader);
    QCOMPARE(collector.droppedBytes(), frame.size());
    // The stream goes on with the next frame.
    const QByteArray good = smallFrame(4, QByteArray(1, '\0'));
    collector.feed(good);
    QCOMPARE(drain(collector).first().bytes, good);
}

void TestReplyCollector::hostileLengthIsNotHeld()
{
    ReplyCollector collector;
    collector.feed(bigFileFrame(QByteArray(), 0xFFFFFFFF));
    collector.feed(QByteArray(1 << 20, 'h'));
    QVERIFY(drain(collector).isEmpty());
    QCOMPARE(collector.state(), State::SkippingBody);
    QCOMPARE(collector.bufferedBytes(), 0);
    QCOMPARE(collector.receivedLength(), 10 + (1 << 20));
    uint percent = 100;
    QVERIFY(collector.progress(percent));
    QCOMPARE(percent, 0u);

    // Below the limit a long frame is collected, but memory follows the bytes that came.
    ReplyCollector honest;
    honest.feed(bigFileFrame(QByteArray(), qint64(900) << 20));
    honest.feed(QByteArray(1000, 'a'));
    QCOMPARE(honest.state(), State::CollectingBody);
    QCOMPARE(honest.receivedLength(), 1010);
}

void TestReplyCollector::oversizedFramesAreSkipped()
{
    ReplyCollector collector(100);
    const QByteArray oversized = smallFrame(1, QByteArray(200, 'o'));
    const QByteArray good = smallFrame(4, QByteArray(1, '\1'));
    // One oversized frame split, then one glued in the same piece as a good one.
    collector.feed(oversized.left(50));
    QCOMPARE(collector.state(), State::SkippingBody);
    collector.feed(oversized.mid(50) + good + oversized + good);
    const QList<ReplyCollector::Frame> frames = drain(collector);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.at(0).bytes, good);
    QCOMPARE(frames.at(1).bytes, good);
    QCOMPARE(collector.droppedBytes(), 2 * oversized.size());
    QCOMPARE(collector.state(), State::WaitingForHeader);
    QCOMPARE(collector.refusedFrames(), 2);
    QCOMPARE(collector.refusedLength(), oversized.size());
}

void TestReplyCollector::lengthLimitTakesTheLargestUpload_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("refused");
    // The largest file the link uploads in the big form, named with 51 characters, comes back in a
    // frame of exactly 1 GiB.
    QTest::newRow("largest upload coming back")
        << qint64(PcbProtocol::kMaxFileReplyOverhead + PcbProtocol::kBigFormMaxContent) << false;
    QTest::newRow("at the limit") << (qint64(1) << 30) << false;
    QTest::newRow("one byte over") << (qint64(1) << 30) + 1 << true;
    QTest::newRow("largest 32-bit length") << qint64(0xFFFFFFFF) << true;
}

void TestReplyCollector::lengthLimitTakesTheLargestUpload()
{
    QFETCH(qint64, length);
    QFETCH(bool, refused);
    ReplyCollector collector;
    collector.feed(bigFileFrame(QByteArray(2, '\0'), length));
    QCOMPARE(collector.state(), refused ? State::SkippingBody : State::CollectingBody);
    QCOMPARE(collector.refusedFrames(), refused ? 1 : 0);
    QCOMPARE(collector.refusedLength(), refused ? length : 0);
    QCOMPARE(collector.expectedLength(), length);
}

void TestReplyCollector::directFeedingMatchesCopies()
{
    // Room handed out is only partly filled, as a socket read may return less than asked.
    ReplyCollector direct(100);
    const QByteArray stream = smallFrame(4, QByteArray(1, '\0')) + smallFrame(1, QByteArray(300, 'o')) +
                              bigFileFrame(QByteArray(50, 'f')) + smallFrame(2, QByteArray(1, '\2'));
    QList<ReplyCollector::Frame> frames;
    for (int offset = 0; offset < stream.size();) {
        char *room = direct.reserveFeed(40);
        const int count = qMin(17, stream.size() - offset);
        memcpy(room, stream.constData() + offset, size_t(count));
        direct.commitFeed(count);
        offset += count;
        frames += drain(direct);
    }
    QCOMPARE(frames.size(), 3); // the 305-byte frame is above the limit and skipped
    QCOMPARE(frames.at(0).bytes, stream.left(6));
    QCOMPARE(frames.at(1).bytes, bigFileFrame(QByteArray(50, 'f')));
    QCOMPARE(frames.at(2).bytes, smallFrame(2, QByteArray(1, '\2')));
    QCOMPARE(direct.droppedBytes(), 305);
    direct.reserveFeed(10);
    direct.commitFeed(0);
    QCOMPARE(direct.bufferedBytes(), 0);
}

void TestReplyCollector::contentApartKeepsFramesAndProgress_data()
{
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<bool>("direct");
    for (const int size : {1, 7, 13, 64, 1000, 65536, 100000, 300000}) {
        for (const bool direct : {false, true})
            QTest::newRow(
                qPrintable(QStringLiteral("pieces of %1%2").arg(size).arg(direct ? ", direct" : "")))
                << size << direct;
    }
}

void TestReplyCollector::contentApartKeepsFramesAndProgress()
{
    QFETCH(int, pieceSize);
    QFETCH(bool, direct);
    const QByteArray file(70000, 'c');
    const QList<QByteArray> sent{smallFrame(4, QByteArray(1, '\0')),
                                 bigFileFrame(filePayload("file.bin", file)),
                                 bigFileFrame(filePayload("gone.bin", QByteArray(), 2)),
                                 bigFileFrame(filePayload("empty.bin", QByteArray())),
                                 smallFrame(1, QByteArray(300, 'l'), 0x0D),
                                 bigFileFrame(filePayload("file.bin", file))};
    QByteArray stream;
    for (const QByteArray &frame : sent)
        stream += frame;

    // Beside a collector that keeps every frame whole: the same frames, the same progress.
    ReplyCollector collector;
    collector.setContentApart(true);
    ReplyCollector whole;
    QList<ReplyCollector::Frame> frames;
    for (int offset = 0; offset < stream.size(); offset += pieceSize) {
        const QByteArray piece = stream.mid(offset, pieceSize);
        if (direct) {
            // Room for more than comes, as a socket read asks for what is available.
            memcpy(collector.reserveFeed(piece.size() + 100), piece.constData(), size_t(piece.size()));
            collector.commitFeed(piece.size());
        } else {
            collector.feed(piece);
        }
        whole.feed(piece);
        uint percent = 0, wholePercent = 0;
        QCOMPARE(collector.progress(percent), whole.progress(wholePercent));
        QCOMPARE(percent, wholePercent);
        QCOMPARE(collector.receivedLength(), whole.receivedLength());
        frames += drain(collector);
        drain(whole);
    }
    QCOMPARE(frames.size(), sent.size());
    int frameStart = 0;
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(frames.at(i).bytes + frames.at(i).content, sent.at(i));
        // A file comes apart when the piece that completes its name does not complete its frame.
        const int nameEnd = frameStart + 10 + int(filePayload("file.bin", QByteArray()).size());
        const int frameEnd = frameStart + sent.at(i).size();
        const bool apart = (i == 1 || i == 5) && (nameEnd - 1) / pieceSize != (frameEnd - 1) / pieceSize;
        QCOMPARE(frames.at(i).content, apart ? file : QByteArray());
        frameStart = frameEnd;
    }
    QCOMPARE(frames.at(1).payloadOffset, 10);
    QCOMPARE(collector.state(), State::WaitingForHeader);
    QCOMPARE(collector.bufferedBytes(), 0);
}

void TestReplyCollector::feedRoomEndsBeforeAFilesContent_data()
{
    QTest::addColumn<bool>("apart");
    QTest::newRow("content apart") << true;
    QTest::newRow("content in the frame") << false;
}

void TestReplyCollector::feedRoomEndsBeforeAFilesContent()
{
    QFETCH(bool, apart);
    const QByteArray file(5000, 'r');
    const QByteArray fileFrame = bigFileFrame(filePayload("read.bin", file));
    const QByteArray stream = fileFrame + smallFrame(4, QByteArray(1, '\0'));
    ReplyCollector collector;
    collector.setContentApart(apart);
    // Reads as the link makes them: all that is there, within the room the collector asks for.
    QList<qint64> rooms;
    QList<ReplyCollector::Frame> frames;
    for (int offset = 0; offset < stream.size();) {
        const qint64 room = collector.feedRoom(stream.size() - offset);
        rooms << room;
        memcpy(collector.reserveFeed(room), stream.constData() + offset, size_t(room));
        collector.commitFeed(room);
        offset += int(room);
        frames += drain(collector);
    }
    QCOMPARE(rooms.first(), apart ? ReplyCollector::kLongestFileLead : qint64(stream.size()));
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.at(0).content, apart ? file : QByteArray());
    QCOMPARE(frames.at(0).bytes + frames.at(0).content, fileFrame);
    QCOMPARE(frames.at(1).bytes, stream.mid(fileFrame.size()));
}

void TestReplyCollector::feedRoomTakesASmallFileWhole_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("missing"); // bytes of the frame not there yet
    QTest::addColumn<bool>("whole");
    const QByteArray small = bigFileFrame(filePayload("small.bin", QByteArray(4096, 's')));
    const QByteArray large =
        bigFileFrame(filePayload("large.bin", QByteArray(int(ReplyCollector::kWholeFileFrame), 'l')));
    QTest::newRow("small file waiting whole") << small << 0 << true;
    QTest::newRow("small file not all there") << small << 1 << false;
    QTest::newRow("file over the limit") << large << 0 << false;
    // Another reply whose bytes at a file header's length field read as its own length.
    QByteArray list(300, 'l');
    qToLittleEndian<quint32>(305, list.data() + 1);
    QTest::newRow("no file") << smallFrame(1, list, 0x0D) << 0 << false;
}

void TestReplyCollector::feedRoomTakesASmallFileWhole()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, missing);
    QFETCH(bool, whole);
    ReplyCollector collector;
    collector.setContentApart(true);
    const QByteArray waiting = frame.left(frame.size() - missing);
    const qint64 room = collector.feedRoom(waiting.size(), waiting.constData(), qMin(waiting.size(), 10));
    QCOMPARE(room,
             whole ? qint64(frame.size()) : qMin<qint64>(waiting.size(), ReplyCollector::kLongestFileLead));
    memcpy(collector.reserveFeed(room), waiting.constData(), size_t(room));
    collector.commitFeed(room);
    collector.feed(frame.mid(int(room)));
    const QList<ReplyCollector::Frame> frames = drain(collector);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().bytes + frames.first().content, frame);
    if (whole)
        QCOMPARE(frames.first().content, QByteArray());
}

void TestReplyCollector::resetForgetsEverything()
{
    ReplyCollector collector;
    collector.feed(bigFileFrame(QByteArray(), qint64(1) << 31));
    QCOMPARE(collector.refusedFrames(), 1);
    collector.reset();
    QCOMPARE(collector.refusedFrames(), 0);
    QCOMPARE(collector.refusedLength(), 0);
    collector.feed(smallFrame(2, QByteArray(1, '\0')) + smallFrame(1, QByteArray(50, 'r')).left(20));
    collector.reset();
    QVERIFY(drain(collector).isEmpty());
    QCOMPARE(collector.state(), State::WaitingForHeader);
    QCOMPARE(collector.bufferedBytes(), 0);
    const QByteArray next = smallFrame(4, QByteArray(1, '\0'));
    collector.feed(next);
    QCOMPARE(drain(collector).first().bytes, next);
}

QTEST_APPLESS_MAIN(TestReplyCollector)
#include "tst_replycollector.moc"
