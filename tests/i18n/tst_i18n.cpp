// The choice of language: from VELMORA_LANG and the user's languages, and as a program makes it
// from its environment (vmc's --help under each locale).
#include "i18n.h"
#include "localeenvironment.h"
#include "toolrun.h"

#include <QDir>
#include <QtTest>

Q_DECLARE_METATYPE(I18n::Language)

namespace {
const QString kRussianHelp = QStringLiteral("Использование: vmc КОМАНДА [ПАРАМЕТРЫ] ...");
const QString kEnglishHelp = QStringLiteral("Usage: vmc COMMAND [OPTIONS] ...");
} // namespace

class TestI18n : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
    void programFollowsTheLocale_data();
    void programFollowsTheLocale();
};

void TestI18n::choose_data()
{
    QTest::addColumn<QString>("override");
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<I18n::Language>("expected");
    using L = I18n::Language;
    const QStringList english = {QStringLiteral("en-US"), QStringLiteral("en")};
    const QStringList russian = {QStringLiteral("ru-RU"), QStringLiteral("ru")};
    QTest::newRow("English locale") << QString() << english << L::English;
    QTest::newRow("Russian locale") << QString() << russian << L::Russian;
    QTest::newRow("C locale") << QString() << QStringList{QStringLiteral("C")} << L::Russian;
    QTest::newRow("POSIX locale") << QString() << QStringList{QStringLiteral("POSIX")} << L::Russian;
    QTest::newRow("no language at all") << QString() << QStringList() << L::Russian;
    QTest::newRow("German: English") << QString() << QStringList{QStringLiteral("de-DE")} << L::English;
    QTest::newRow("German, then Russian")
        << QString() << QStringList{QStringLiteral("de"), QStringLiteral("ru")} << L::Russian;
    QTest::newRow("Russian prefix of another tag")
        << QString() << QStringList{QStringLiteral("rue")} << L::English;
    QTest::newRow("override ru") << QStringLiteral("ru") << english << L::Russian;
    QTest::newRow("override en") << QStringLiteral("en") << russian << L::English;
    QTest::newRow("override EN over C")
        << QStringLiteral(" EN ") << QStringList{QStringLiteral("C")} << L::English;
    QTest::newRow("unknown override: the locale") << QStringLiteral("fr") << russian << L::Russian;
}

void TestI18n::choose()
{
    QFETCH(QString, override);
    QFETCH(QStringList, uiLanguages);
    QFETCH(I18n::Language, expected);
    QCOMPARE(I18n::choose(override, uiLanguages), expected);
}

void TestI18n::programFollowsTheLocale_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("LANG=en_US.UTF-8") << QStringList{"LANG=en_US.UTF-8"} << kEnglishHelp;
    QTest::newRow("LANG=de_DE.UTF-8") << QStringList{"LANG=de_DE.UTF-8"} << kEnglishHelp;
    QTest::newRow("LANG=ru_RU.UTF-8") << QStringList{"LANG=ru_RU.UTF-8"} << kRussianHelp;
    QTest::newRow("LANG=C") << QStringList{"LANG=C"} << kRussianHelp;
    QTest::newRow("no locale") << QStringList() << kRussianHelp;
    QTest::newRow("LANGUAGE=ru over English")
        << QStringList{"LANG=en_US.UTF-8", "LANGUAGE=ru"} << kRussianHelp;
    QTest::newRow("LANGUAGE under C does not count") << QStringList{"LANG=C", "LANGUAGE=en"} << kRussianHelp;
    QTest::newRow("LC_ALL=C over English") << QStringList{"LANG=en_US.UTF-8", "LC_ALL=C"} << kRussianHelp;
    QTest::newRow("VELMORA_LANG=ru over English")
        << QStringList{"LANG=en_US.UTF-8", "VELMORA_LANG=ru"} << kRussianHelp;
    QTest::newRow("VELMORA_LANG=en over Russian")
        << QStringList{"LANG=ru_RU.UTF-8", "VELMORA_LANG=en"} << kEnglishHelp;
    QTest::newRow("VELMORA_LANG=en over C") << QStringList{"LANG=C", "VELMORA_LANG=en"} << kEnglishHelp;
}

void TestI18n::programFollowsTheLocale()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, firstLine);
    const ToolRun run = runTool(qEnvironmentVariable("VELMORA_VMC"), QDir::currentPath(),
                                {QStringLiteral("--help")}, localeEnvironment(environment));
    EXPECT_EXIT(run, 0);
    QCOMPARE(run.outText().section(QLatin1Char('\n'), 0, 0), firstLine);
}

QTEST_GUILESS_MAIN(TestI18n)
#include "tst_i18n.moc"
