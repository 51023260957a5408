// What the command-line tools share, on the kit itself: the prefix on every stderr line, the shape
// and status of a usage error, --help, --version and the table of commands.
#include "clikit.h"

#include <QCommandLineParser>
#include <QTest>
#include <functional>

using Writes = std::function<void(clikit::Sink &)>;
Q_DECLARE_METATYPE(Writes)

namespace {

struct Demo
{
    const char *name;
    std::function<int(clikit::Tool &, const QStringList &)> run;
};

const Demo kDemoCommands[] = {
    {"echo",
     [](clikit::Tool &tool, const QStringList &arguments) {
         tool.out().writeLines(arguments.join(QLatin1Char(' ')));
         return clikit::kSuccess;
     }},
    {"fail",
     [](clikit::Tool &tool, const QStringList &) {
         return tool.usageError(QStringLiteral("плохо\nочень"), QStringLiteral("Использование: demo fail"));
     }},
    {"refuse",
     [](clikit::Tool &tool, const QStringList &) {
         tool.say(QStringLiteral("первая\nвторая"));
         return clikit::kFailure;
     }},
};

} // namespace

class TestCliKit : public QObject
{
    Q_OBJECT

private slots:
    void sinkPrefixesEveryLine_data();
    void sinkPrefixesEveryLine();
    void dispatch_data();
    void dispatch();
    void parserErrors_data();
    void parserErrors();
    void worstStatus_data();
    void worstStatus();
};

void TestCliKit::sinkPrefixesEveryLine_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<QString>("expected");
    const QString p = QStringLiteral("p: ");

    QTest::newRow("a line") << p << Writes([](clikit::Sink &s) { s.writeLines(QStringLiteral("a")); })
                            << "p: a\n";
    QTest::newRow("a message of several lines, a blank one too")
        << p << Writes([](clikit::Sink &s) { s.writeLines(QStringLiteral("a\n\nb")); })
        << "p: a\np: \np: b\n";
    QTest::newRow("a line written in pieces") << p << Writes([](clikit::Sink &s) {
        s.write(QStringLiteral("a"));
        s.write(QStringLiteral("b\nc"));
        s.write(QString());
        s.write(QStringLiteral("\n"));
    }) << "p: ab\np: c\n";
    QTest::newRow("no prefix: the text as it is") << QString() << Writes([](clikit::Sink &s) {
        s.write(QStringLiteral("a\n\nb"));
        s.writeLines(QStringLiteral("c"));
    }) << "a\n\nbc\n";
    QTest::newRow("a progress line ended by a message") << p << Writes([](clikit::Sink &s) {
        s.rewriteLine(QStringLiteral("10%"));
        s.rewriteLine(QStringLiteral("50%"));
        s.writeLines(QStringLiteral("x"));
    }) << "\rp: 10%\rp: 50%\np: x\n";
    QTest::newRow("endLine ends an open line only") << p << Writes([](clikit::Sink &s) {
        s.writeLines(QStringLiteral("a"));
        s.endLine();
        s.rewriteLine(QStringLiteral("1%"));
        s.endLine();
        s.endLine();
    }) << "p: a\n\rp: 1%\n";
    // As a run on one of several boards writes.
    QTest::newRow("a further prefix") << p << Writes([](clikit::Sink &s) {
        s.prefixed(QStringLiteral("127.0.0.1:2502: ")).writeLines(QStringLiteral("a\nb"));
        s.writeLines(QStringLiteral("c"));
    }) << "p: 127.0.0.1:2502: a\np: 127.0.0.1:2502: b\np: c\n";
}

void TestCliKit::sinkPrefixesEveryLine()
{
    QFETCH(QString, prefix);
    QFETCH(Writes, writes);
    QFETCH(QString, expected);
    QString text;
    QTextStream stream(&text);
    clikit::Sink sink(stream, prefix);
    writes(sink);
    QCOMPARE(text, expected);
}

void TestCliKit::dispatch_data()
{
    QTest::addColumn<QStringList>("arguments"); // without the program's name
    QTest::addColumn<bool>("pointToHelp");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString none;
    const QString usage = QStringLiteral("demo: Использование: demo КОМАНДА\n");
    const QString more = QStringLiteral("demo: Подробнее: demo --help\n");

    QTest::newRow("--help") << QStringList{"--help", "echo"} << true << 0 << "Справка.\n" << none;
    QTest::newRow("-h") << QStringList{"-h"} << true << 0 << "Справка.\n" << none;
    QTest::newRow("--version") << QStringList{"--version", "echo"} << true << 0
                               << "demo " VELMORA_VERSION "\n"
                               << none;
    QTest::newRow("no command") << QStringList() << false << 2 << none
                                << "demo: не указана команда\n" + usage;
    QTest::newRow("no command, pointing to --help")
        << QStringList() << true << 2 << none << "demo: не указана команда\n" + usage + more;
    QTest::newRow("unknown command") << QStringList{"nope", "echo"} << true << 2 << none
                                     << "demo: неизвестная команда «nope»\n" + usage + more;
    QTest::newRow("an option for a command")
        << QStringList{"--bogus"} << false << 2 << none << "demo: неизвестная команда «--bogus»\n" + usage;
    // What follows the command's name is the command's, --help too.
    QTest::newRow("a command and its arguments")
        << QStringList{"echo", "a", "--help"} << true << 0 << "a --help\n"
        << none;
    QTest::newRow("a command's usage error")
        << QStringList{"fail"} << true << 2 << none
        << "demo: плохо\ndemo: очень\ndemo: Использование: demo fail\n" + more;
    QTest::newRow("a command that refuses")
        << QStringList{"refuse"} << true << 1 << none << "demo: первая\ndemo: вторая\n";
}

void TestCliKit::dispatch()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, pointToHelp);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QString outText, errText;
    QTextStream outStream(&outText), errStream(&errText);
    clikit::Tool tool(QStringLiteral("demo"), outStream, errStream);
    tool.setUsage(QStringLiteral("Использование: demo КОМАНДА"), pointToHelp);
    tool.setHelp(QStringLiteral("Справка.\n"));

    const int result = tool.dispatch(
        kDemoCommands, clikit::Invocation::leading(arguments),
        [&tool](const Demo &command, const QStringList &rest) { return command.run(tool, rest); });
    QCOMPARE(result, status);
    QCOMPARE(outText, out);
    QCOMPARE(errText, err);
}

void TestCliKit::parserErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown option") << QStringList{"--nope", "--flag"} << "неизвестный параметр «nope»";
    QTest::newRow("unknown short option") << QStringList{"-x"} << "неизвестный параметр «x»";
    QTest::newRow("option without its value")
        << QStringList{"--flag", "--value"} << "у параметра нет значения";
}

void TestCliKit::parserErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QCommandLineParser parser;
    parser.addOptions({QCommandLineOption(QStringLiteral("flag")),
                       QCommandLineOption(QStringLiteral("value"), QString(), QStringLiteral("v"))});
    QVERIFY(!parser.parse(QStringList{QStringLiteral("demo")} + arguments));
    QCOMPARE(clikit::parserErrorText(parser), error);
}

void TestCliKit::worstStatus_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("worst");
    QTest::newRow("success, refusal") << clikit::kSuccess << clikit::kFailure << clikit::kFailure;
    QTest::newRow("unreachable, refusal") << clikit::kUnreachable << clikit::kFailure << clikit::kUnreachable;
    QTest::newRow("refusal, unreachable") << clikit::kFailure << clikit::kUnreachable << clikit::kUnreachable;
    QTest::newRow("usage, unreachable") << clikit::kUsage << clikit::kUnreachable << clikit::kUsage;
    QTest::newRow("success twice") << clikit::kSuccess << clikit::kSuccess << clikit::kSuccess;
}

void TestCliKit::worstStatus()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, worst);
    QCOMPARE(clikit::worstStatus(a, b), worst);
}

QTEST_APPLESS_MAIN(TestCliKit)
#include "tst_clikit.moc"
