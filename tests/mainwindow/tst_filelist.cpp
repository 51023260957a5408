// Filling the file list from the link's tables, the ordering of its rows and the memory texts.
#include "myqtreewidgetitem.h"
#include "windowharness.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>
#include <QTranslator>

namespace {

QStringList column(const QTreeWidget *tree, int c)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(c);
    return texts;
}

// Translates one text of the window's context, as a loaded catalogue would.
class OneWordTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "MainWindow") == 0 && QString::fromUtf8(sourceText) == QStringLiteral("Размер"))
            return QStringLiteral("Size");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void smallTableFillsRows();
    void bigTableFillsRows();
    void namesStopAtNulAndField();
    void statusTexts_data();
    void statusTexts();
    void sizeSortsNumerically();
    void addressAndBlockSortNumerically();
    void sortChoiceSurvivesNewList();
    void sizeColumnFoundByTranslatedHeader();
    void columnsFitTheirValues();
};

void TestFileList::smallTableFillsRows()
{
    WindowHarness h;
    const quint32 when = 1700000000;
    QList<FstEntry> table = {makeEntry<FstEntry>("alpha.vmc", 512, 4096, 3, when)};
    emit h.link->listfilesReady(table, 100000, 512);
    // Delivered during the emission.
    QCOMPARE(h.tree()->topLevelItemCount(), 1);
    const QTreeWidgetItem *row = h.tree()->topLevelItem(0);
    QVERIFY(dynamic_cast<const MyQTreeWidgetItem *>(row));
    QCOMPARE(row->text(0), QStringLiteral("alpha.vmc"));
    QVERIFY(!row->icon(0).isNull());
    QCOMPARE(row->data(1, Qt::DisplayRole).toDateTime(),
             QDateTime::fromSecsSinceEpoch(when, Qt::UTC).toLocalTime());
    QCOMPARE(row->text(2), QStringLiteral("512 Байт"));
    QCOMPARE(row->text(3), QStringLiteral("4096"));
    QCOMPARE(row->text(4), QStringLiteral("3"));

    // A new list replaces the old one whole, ordered by name until the user sorts otherwise; an
    // empty one clears the tree.
    table = {makeEntry<FstEntry>("c", 1), makeEntry<FstEntry>("b", 2)};
    emit h.link->listfilesReady(table, 100000, 3);
    QCOMPARE(column(h.tree(), 0), QStringList({"b", "c"}));
    emit h.link->listfilesReady(QList<FstEntry>(), 100000, 0);
    QCOMPARE(h.tree()->topLevelItemCount(), 0);
}

void TestFileList::bigTableFillsRows()
{
    WindowHarness h;
    const QList<FstEntry_big> table = {makeEntry<FstEntry_big>("huge.bin", 3000000000u, 4000000000u, 65535)};
    emit h.link->listfilesReady_big(table, 4000000000u, 3000000000u);
    QCOMPARE(h.tree()->topLevelItemCount(), 1);
    const QTreeWidgetItem *row = h.tree()->topLevelItem(0);
    QCOMPARE(row->text(0), QStringLiteral("huge.bin"));
    QCOMPARE(row->text(2), QStringLiteral("3000000000 Байт"));
    QCOMPARE(row->text(3), QStringLiteral("4000000000"));
    QCOMPARE(row->text(4), QStringLiteral("65535"));
    QVERIFY(h.statusTexts().contains(QStringLiteral("Свободно:  1000000000 Байт  ")));
}

void TestFileList::namesStopAtNulAndField()
{
    WindowHarness h;
    // 52 name bytes without any NUL: the field's end is the end of the name, the time field
    // right behind it is never read as text.
    const QByteArray full(52, 'n');
    FstEntry unterminated = makeEntry<FstEntry>(full, 1, 0, 0, 0x41414141);
    // Bytes after the first NUL are not part of the name; the name is Latin-1.
    FstEntry embedded = makeEntry<FstEntry>(QByteArray("caf\xE9\0junk", 9), 1);
    emit h.link->listfilesReady({unterminated, embedded}, 10, 2);
    QStringList names = column(h.tree(), 0);
    names.sort();
    QCOMPARE(names, QStringList({QStringLiteral("café"), QString(52, QLatin1Char('n'))}));
}

void TestFileList::statusTexts_data()
{
    QTest::addColumn<quint32>("all");
    QTest::addColumn<quint32>("used");
    QTest::addColumn<int>("files"); // -1: no list yet
    QTest::addColumn<QStringList>("texts");
    // left to right: count, used, free; then the total on the right
    QTest::newRow("before any list") << 0u << 0u << -1
                                     << QStringList({"Количество файлов:  0  ", "Занято:  0 Байт  ",
                                                     "Свободно:  0 Байт  ", "Общий объем памяти:  0 Байт  "});
    QTest::newRow("empty table") << 4096u << 0u << 0
                                 << QStringList({"Количество файлов:  0  ", "Занято:  0 Байт  ",
                                                 "Свободно:  4096 Байт  ",
                                                 "Общий объем памяти:  4096 Байт  "});
    QTest::newRow("three files") << 100000u << 1234u << 3
                                 << QStringList({"Количество файлов:  3  ", "Занято:  1234 Байт  ",
                                                 "Свободно:  98766 Байт  ",
                                                 "Общий объем памяти:  100000 Байт  "});
    // More used than the total: the difference wraps as an unsigned 32-bit number.
    QTest::newRow("used above total")
        << 1000u << 1500u << 1
        << QStringList({"Количество файлов:  1  ", "Занято:  1500 Байт  ", "Свободно:  4294966796 Байт  ",
                        "Общий объем памяти:  1000 Байт  "});
    QTest::newRow("full range") << 4294967295u << 0u << 2
                                << QStringList({"Количество файлов:  2  ", "Занято:  0 Байт  ",
                                                "Свободно:  4294967295 Байт  ",
                                                "Общий объем памяти:  4294967295 Байт  "});
}

void TestFileList::statusTexts()
{
    QFETCH(quint32, all);
    QFETCH(quint32, used);
    QFETCH(int, files);
    QFETCH(QStringList, texts);
    WindowHarness h;
    h.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QList<FstEntry> table;
    for (int i = 0; i < files; ++i)
        table << makeEntry<FstEntry>("f" + QByteArray::number(i), 1);
    if (files >= 0)
        emit h.link->listfilesReady(table, all, used);
    QCOMPARE(h.statusTexts(), texts);
    // The total sits at the far end of the bar.
    const QLabel *total = h.statusLabels().last();
    QVERIFY(h.window.statusBar()->width() -
                total->mapTo(h.window.statusBar(), QPoint(total->width(), 0)).x() <
            40);
}

void TestFileList::sizeSortsNumerically()
{
    WindowHarness h;
    emit h.link->listfilesReady(
        {makeEntry<FstEntry>("ten", 10), makeEntry<FstEntry>("nine", 9), makeEntry<FstEntry>("hundred", 100)},
        1000, 119);
    h.tree()->sortItems(2, Qt::AscendingOrder);
    QCOMPARE(column(h.tree(), 2), QStringList({"9 Байт", "10 Байт", "100 Байт"}));
    h.tree()->sortItems(2, Qt::DescendingOrder);
    QCOMPARE(column(h.tree(), 2), QStringList({"100 Байт", "10 Байт", "9 Байт"}));

    // Big-form sizes use all 32 bits; those above 2^31 still sort above the small ones.
    emit h.link->listfilesReady_big({makeEntry<FstEntry_big>("big", 3000000000u),
                                     makeEntry<FstEntry_big>("small", 5),
                                     makeEntry<FstEntry_big>("mid", 2147483647u)},
                                    0, 0);
    h.tree()->sortItems(2, Qt::AscendingOrder);
    QCOMPARE(column(h.tree(), 0), QStringList({"small", "mid", "big"}));
}

void TestFileList::addressAndBlockSortNumerically()
{
    WindowHarness h;
    emit h.link->listfilesReady({makeEntry<FstEntry>("a", 1, 1000, 10), makeEntry<FstEntry>("b", 1, 200, 9),
                                 makeEntry<FstEntry>("c", 1, 30000000, 100)},
                                1000, 3);
    h.tree()->sortItems(3, Qt::AscendingOrder);
    QCOMPARE(column(h.tree(), 3), QStringList({"200", "1000", "30000000"}));
    h.tree()->sortItems(4, Qt::AscendingOrder);
    QCOMPARE(column(h.tree(), 4), QStringList({"9", "10", "100"}));
    h.tree()->sortItems(0, Qt::DescendingOrder);
    QCOMPARE(column(h.tree(), 0), QStringList({"c", "b", "a"}));
}

void TestFileList::sortChoiceSurvivesNewList()
{
    WindowHarness h;
    // The user clicks the address header twice: descending by address.
    h.tree()->header()->setSortIndicator(3, Qt::DescendingOrder);
    emit h.link->listfilesReady(
        {makeEntry<FstEntry>("x", 1, 5), makeEntry<FstEntry>("y", 1, 700), makeEntry<FstEntry>("z", 1, 60)},
        1000, 3);
    QCOMPARE(column(h.tree(), 3), QStringList({"700", "60", "5"}));
    emit h.link->listfilesReady({makeEntry<FstEntry>("p", 1, 8), makeEntry<FstEntry>("q", 1, 90)}, 1000, 2);
    QCOMPARE(h.tree()->header()->sortIndicatorSection(), 3);
    QCOMPARE(h.tree()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(column(h.tree(), 3), QStringList({"90", "8"}));
}

void TestFileList::sizeColumnFoundByTranslatedHeader()
{
    OneWordTranslator translator;
    QCoreApplication::installTranslator(&translator);
    {
        WindowHarness h;
        QCOMPARE(h.tree()->headerItem()->text(2), QStringLiteral("Size"));
        emit h.link->listfilesReady({makeEntry<FstEntry>("ten", 10), makeEntry<FstEntry>("nine", 9)}, 100,
                                    19);
        h.tree()->sortItems(2, Qt::AscendingOrder);
        QCOMPARE(column(h.tree(), 0), QStringList({"nine", "ten"}));
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestFileList::columnsFitTheirValues()
{
    WindowHarness h;
    h.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QTreeWidget *tree = h.tree();
    // A date-time and a full 32-bit address are not elided.
    const QFontMetrics metrics(tree->font());
    const QDateTime late(QDate(2000, 12, 28), QTime(23, 59, 59));
    QVERIFY(tree->columnWidth(1) >
            metrics.horizontalAdvance(tree->locale().toString(late, QLocale::ShortFormat)));
    QVERIFY(tree->columnWidth(3) > metrics.horizontalAdvance(QStringLiteral("4294967295")));

    // The name column fits the longest name, the others keep their widths.
    const int narrow = tree->columnWidth(0);
    const int otherWidth = tree->columnWidth(3);
    emit h.link->listfilesReady({makeEntry<FstEntry>(QByteArray(51, 'W'), 1)}, 100, 1);
    const int wanted = qMax(tree->header()->sectionSizeHint(0),
                            static_cast<const QAbstractItemView *>(tree)->sizeHintForColumn(0)) +
                       10;
    QCOMPARE(tree->columnWidth(0), wanted);
    QVERIFY(tree->columnWidth(0) > narrow);
    QCOMPARE(tree->columnWidth(3), otherWidth);
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
