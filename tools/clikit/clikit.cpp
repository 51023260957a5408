#include "clikit.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace clikit {

namespace {
// The kit's texts, translated in the Clikit context: every tool shows them in its language.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Clikit)
};
} // namespace

QString versionText(const QString &name)
{
    return QStringLiteral("%1 %2").arg(name, QStringLiteral(VELMORA_VERSION));
}

int worstStatus(int a, int b)
{
    const auto rank = [](int status) {
        switch (status) {
        case kSuccess:
            return 0;
        case kFailure:
            return 1;
        case kUnreachable:
            return 2;
        default:
            return 3;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

QString noCommandText()
{
    return Texts::tr("не указана команда");
}

QString unknownCommandText(const QString &name)
{
    return Texts::tr("неизвестная команда «%1»").arg(name);
}

QString parserErrorText(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    return unknown.isEmpty() ? Texts::tr("у параметра нет значения")
                             : Texts::tr("неизвестный параметр «%1»").arg(unknown.first());
}

Invocation Invocation::leading(const QStringList &arguments)
{
    Invocation invocation;
    const QString first = arguments.value(0);
    invocation.help = first == QLatin1String("--help") || first == QLatin1String("-h");
    invocation.version = first == QLatin1String("--version");
    if (!invocation.help && !invocation.version) {
        invocation.command = first;
        invocation.arguments = arguments.mid(1);
    }
    return invocation;
}

Tool::Tool(const QString &name, QTextStream &out, QTextStream &err)
    : programName(name), output(out), errors(err, name + QStringLiteral(": "))
{}

void Tool::setUsage(const QString &line, bool pointToHelp)
{
    usage = line;
    pointsToHelp = pointToHelp;
}

void Tool::setHelp(const QString &text)
{
    help = text;
}

void Tool::say(const QString &message)
{
    errors.writeLines(message);
}

int Tool::usageError(const QString &message, const QString &usageLine)
{
    QString text = message + QLatin1Char('\n') + (usageLine.isEmpty() ? usage : usageLine);
    if (pointsToHelp)
        text += QLatin1Char('\n') + Texts::tr("Подробнее: %1 --help").arg(programName);
    say(text);
    return kUsage;
}

int Tool::showHelp()
{
    output.write(help);
    return kSuccess;
}

int Tool::showVersion()
{
    output.writeLines(versionText(programName));
    return kSuccess;
}

namespace {

// Where Qt's own messages go while runMain() runs; a process has one standard error.
Sink *qtMessages = nullptr;

void writeQtMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (qtMessages)
        qtMessages->writeLines(message);
}

} // namespace

int runMain(int &argc, char **argv, const QString &name, const Run &run)
{
    StandardStreams streams;
    Sink messages(streams.err, name + QStringLiteral(": "));
    qtMessages = &messages;
    // Before the application object, whose making may warn already.
    const QtMessageHandler previous = qInstallMessageHandler(writeQtMessage);
    int status = kFailure;
    {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(name);
        status = run(QCoreApplication::arguments(), streams.out, streams.err);
    }
    qInstallMessageHandler(previous);
    qtMessages = nullptr;
    return status;
}

} // namespace clikit
