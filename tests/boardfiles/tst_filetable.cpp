// The file table as the window and the client show it: rows read from both record forms, and the
// memory figures.
#include "filetable.h"

#include <QTest>
#include <cstring>

namespace {

template <typename Entry> Entry makeEntry(const QByteArray &name, quint32 size)
{
    Entry entry;
    std::memset(&entry, 0, sizeof entry);
    std::memcpy(entry.name, name.constData(), static_cast<size_t>(qMin<int>(name.size(), sizeof entry.name)));
    entry.modifyTime = 1700000000;
    entry.address = 4000000000u;
    entry.size = static_cast<decltype(entry.size)>(size);
    entry.blockNumber = 65535;
    return entry;
}

} // namespace

class TestFileTable : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfBothForms_data();
    void rowsOfBothForms();
    void totals_data();
    void totals();
};

void TestFileTable::rowsOfBothForms_data()
{
    QTest::addColumn<bool>("big");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<quint32>("size");
    QTest::addColumn<QString>("name");
    QTest::newRow("small") << false << QByteArray("a.bin") << 512u << QStringLiteral("a.bin");
    QTest::newRow("latin-1 byte") << false << QByteArray("caf\xE9") << 0u << QStringLiteral("café");
    // A field without a zero byte ends at its last byte, never beyond.
    QTest::newRow("full field") << false << QByteArray(60, 'n') << 1u << QString(52, QLatin1Char('n'));
    QTest::newRow("big beyond 16 bits")
        << true << QByteArray("b.vmc") << 3000000000u << QStringLiteral("b.vmc");
}

void TestFileTable::rowsOfBothForms()
{
    QFETCH(bool, big);
    QFETCH(QByteArray, field);
    QFETCH(quint32, size);
    QFETCH(QString, name);
    const QList<FileTable::Row> rows =
        big ? FileTable::rows(QList<FstEntry_big>{makeEntry<FstEntry_big>(field, size)})
            : FileTable::rows(QList<FstEntry>{makeEntry<FstEntry>(field, size)});
    QCOMPARE(rows.size(), 1);
    const FileTable::Row &row = rows.first();
    QCOMPARE(row.name, name);
    QCOMPARE(row.size, size);
    QCOMPARE(row.address, 4000000000u);
    QCOMPARE(row.block, quint16(65535));
    QCOMPARE(row.modified.timeSpec(), Qt::LocalTime);
    QCOMPARE(row.modified.toSecsSinceEpoch(), qint64(1700000000));
    QCOMPARE(FileTable::sizeText(row.size), QString::number(size) + QStringLiteral(" Байт"));
}

void TestFileTable::totals_data()
{
    QTest::addColumn<quint32>("all");
    QTest::addColumn<quint32>("used");
    QTest::addColumn<quint32>("free");
    QTest::newRow("room left") << 100000u << 1234u << 98766u;
    QTest::newRow("full") << 4096u << 4096u << 0u;
    // A board that reports more in use than it has: the figure wraps as the board's own would.
    QTest::newRow("overcommitted") << 1000u << 1500u << 4294966796u;
}

void TestFileTable::totals()
{
    QFETCH(quint32, all);
    QFETCH(quint32, used);
    QFETCH(quint32, free);
    const FileTable::Totals totals = FileTable::totals(3, all, used);
    QCOMPARE(totals.count, 3);
    QCOMPARE(totals.total, all);
    QCOMPARE(totals.used, used);
    QCOMPARE(totals.free, free);
    const FileTable::StatusTexts texts = FileTable::statusTexts(totals);
    QCOMPARE(texts.count, QStringLiteral("Количество файлов:  3  "));
    QCOMPARE(texts.free, QStringLiteral("Свободно:  %1 Байт  ").arg(free));
}

QTEST_APPLESS_MAIN(TestFileTable)
#include "tst_filetable.moc"
