// A local file read into the record the window's upload sends: the header of the form, the content
// padded to whole words, and the files it refuses.
#include "tempcwd.h"
#include "uploadrecord.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

using UploadRules::Refusal;

Q_DECLARE_METATYPE(UploadRules::Refusal)

class TestUploadRecord : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

void TestUploadRecord::read_data()
{
    QTest::addColumn<QString>("name"); // empty: a file that is not there
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("big");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<QByteArray>("header"); // name field, time and address, size, name length

    const auto header = [](const QByteArray &name, quint32 size, quint16 nameLength, bool big) {
        uchar tail[6] = {};
        const int sizeBytes = big ? 4 : 2;
        big ? qToLittleEndian<quint32>(size, tail) : qToLittleEndian<quint16>(quint16(size), tail);
        qToLittleEndian<quint16>(nameLength, tail + sizeBytes);
        return name.leftJustified(60, '\0') + QByteArray(reinterpret_cast<const char *>(tail), sizeBytes + 2);
    };
    QTest::newRow("small form") << "abc" << 5 << false << Refusal::None << header("abc", 8, 4, false);
    QTest::newRow("big form") << "abc" << 70001 << true << Refusal::None << header("abc", 70004, 4, true);
    QTest::newRow("empty file") << "e" << 0 << false << Refusal::None << header("e", 0, 2, false);
    // The window's drop shortens a long name; the length field stops at 52.
    QTest::newRow("60 characters") << QString(60, 'L') << 4 << false << Refusal::None
                                   << header(QByteArray(51, 'L'), 4, 52, false);
    QTest::newRow("beyond the small form") << "huge.bin" << 65533 << false << Refusal::TooBig << QByteArray();
    QTest::newRow("not Latin-1") << "отчёт.vmc" << 4 << false << Refusal::NameNotLatin1 << QByteArray();
    QTest::newRow("missing") << QString() << 0 << false << Refusal::CannotOpen << QByteArray();
}

void TestUploadRecord::read()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(bool, big);
    QFETCH(QByteArray, header);
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    QByteArray content(size, '\0');
    for (int i = 0; i < size; ++i)
        content[i] = char(i * 7 + 1);
    const QString path = cwd.filePath(name.isEmpty() ? QStringLiteral("missing.bin") : name);
    if (!name.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == size);
    }
    QByteArray record;
    QTEST(UploadRecord::read(path, big, record), "refusal");
    if (!header.isEmpty())
        QCOMPARE(record, header + content + QByteArray((4 - size % 4) % 4, '\0'));
}

QTEST_GUILESS_MAIN(TestUploadRecord)
#include "tst_uploadrecord.moc"
