#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a command-line tool run as a separate process left: its exit status (-1 when it did not
// start or end in time, -2 when it crashed), its stdout and stderr, and how long it ran.
struct ToolRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
    qint64 elapsedMs = 0;

    QString outText() const { return QString::fromUtf8(out); }
};

// Runs Program with Arguments in Folder under Environment and waits for its end, a minute at most
// (the suite also runs under the sanitizers on a shared machine); one that does not end is killed.
ToolRun runTool(const QString &program, const QString &folder, const QStringList &arguments,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// Fails the test with the tool's stderr unless it exited with Code.
#define EXPECT_EXIT(run, code)                                                                               \
    QVERIFY2((run).exitCode == (code),                                                                       \
             qPrintable(QStringLiteral("exit %1, stderr: %2").arg((run).exitCode).arg((run).err)))
