// The rules that decide whether a local file can be sent, on plain values, and their texts.
#include "uploadrules.h"

#include <QTest>

using namespace UploadRules;
using Changes = QList<Change>;
using Sizes = QHash<QString, qint64>;

Q_DECLARE_METATYPE(Changes)
Q_DECLARE_METATYPE(Sizes)
Q_DECLARE_METATYPE(UploadRules::Refusal)

class TestUploadRules : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void sizes_data();
    void sizes();
    void room_data();
    void room();
    void texts_data();
    void texts();
};

void TestUploadRules::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Refusal>("shortened"); // under NamePolicy::Shorten
    QTest::addColumn<Refusal>("refused");   // under NamePolicy::Refuse
    QTest::addColumn<QString>("storedAs");

    const QString longest(51, QLatin1Char('n'));
    QTest::newRow("Latin-1") << QString::fromLatin1("caf\xE9.vmc") << Refusal::None << Refusal::None
                             << QString::fromLatin1("caf\xE9.vmc");
    QTest::newRow("51 characters") << longest << Refusal::None << Refusal::None << longest;
    QTest::newRow("52 characters") << longest + 'x' << Refusal::None << Refusal::NameTooLong << longest;
    QTest::newRow("Cyrillic") << QStringLiteral("отчёт.vmc") << Refusal::NameNotLatin1
                              << Refusal::NameNotLatin1 << QStringLiteral("отчёт.vmc");
    QTest::newRow("empty") << QString() << Refusal::None << Refusal::NameEmpty << QString();
}

void TestUploadRules::names()
{
    QFETCH(QString, name);
    QTEST(checkName(name, NamePolicy::Shorten), "shortened");
    QTEST(checkName(name, NamePolicy::Refuse), "refused");
    QTEST(storedName(name), "storedAs");
}

void TestUploadRules::sizes_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("big");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("small form's largest") << qint64(65532) << false << Refusal::None;
    QTest::newRow("padded to 65536, small") << qint64(65533) << false << Refusal::TooBig;
    QTest::newRow("big form's largest") << qint64(1073741760) << true << Refusal::None;
    QTest::newRow("padded past it, big") << qint64(1073741761) << true << Refusal::TooBig;
}

void TestUploadRules::sizes()
{
    QFETCH(qint64, size);
    QFETCH(bool, big);
    QTEST(checkSize(size, big), "refusal");
}

void TestUploadRules::room_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<Sizes>("board"); // bytes each board file takes
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<qint64>("missing");      // at any step, in the order given
    QTest::addColumn<qint64>("missingAtEnd"); // of the end state

    const auto put = [](const char *name, qint64 size) {
        return Change{QString::fromLatin1(name), size, false};
    };
    const Change removeOld{QStringLiteral("old"), 0, true};
    QTest::newRow("five bytes take two words")
        << qint64(7) << Sizes() << Changes{put("a", 5)} << qint64(1) << qint64(1);
    QTest::newRow("a replaced file frees its room")
        << qint64(10) << Sizes{{"a", 100}} << Changes{put("a", 108)} << qint64(0) << qint64(0);
    QTest::newRow("one name twice") << qint64(100) << Sizes() << Changes{put("a", 80), put("a", 80)}
                                    << qint64(0) << qint64(0);
    QTest::newRow("grows before it shrinks")
        << qint64(0) << Sizes{{"a", 40}, {"b", 40}} << Changes{put("a", 60), put("b", 20)} << qint64(20)
        << qint64(0);
    QTest::newRow("deleted last") << qint64(0) << Sizes{{"old", 64}} << Changes{put("new", 64), removeOld}
                                  << qint64(64) << qint64(0);
}

void TestUploadRules::room()
{
    QFETCH(qint64, freeBytes);
    QFETCH(Sizes, board);
    QFETCH(Changes, changes);
    QTEST(missingRoom(freeBytes, board, changes), "missing");
    QTEST(missingRoomAtEnd(freeBytes, board, changes), "missingAtEnd");
}

void TestUploadRules::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString path = QStringLiteral("100%2.vmc"); // put in as it is, marker and all
    const auto file = [&](const char *rest) {
        return QStringLiteral("Файл: 100%2.vmc ") + QString::fromUtf8(rest);
    };
    // The window's texts (cannot open, not Latin-1, too big) are checked through its upload.
    QTest::newRow("not a file") << refusalText(Refusal::NotAFile, path)
                                << file("не найден или не является обычным файлом.");
    QTest::newRow("no name") << refusalText(Refusal::NameEmpty, path)
                             << file("не удалось передать: у файла нет имени.");
    QTest::newRow("too long") << refusalText(Refusal::NameTooLong, path)
                              << file("не удалось передать: имя файла длиннее 51 символа.");
    QTest::newRow("room") << roomText(62996)
                          << QStringLiteral(
                                 "Файлы не помещаются в свободную память платы, не хватает байт: 62996.");
    QTest::newRow("room at the end") << endRoomText(62996)
                                     << QStringLiteral(
                                            "Файлы не поместятся в память платы, не хватает байт: 62996.");
}

void TestUploadRules::texts()
{
    QFETCH(QString, text);
    QTEST(text, "expected");
}

QTEST_APPLESS_MAIN(TestUploadRules)
#include "tst_uploadrules.moc"
