#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace boardsim {

// Which record form the simulated board answers in.
enum class FormMode
{
    Small,  // always the small form
    Big,    // always the big form
    AskBig, // small form, asking for the big form in every list reply; big once asked in it
};

struct DemoFile
{
    QByteArray name;
    quint32 size = 0;
};

struct SimOptions
{
    QHostAddress host = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 2502;
    bool allowNonLoopback = false;
    quint32 memory = 4u * 1024u * 1024u;
    FormMode form = FormMode::Small;
    QString folder; // empty: files live only in memory
    QList<DemoFile> demoFiles;
    QList<QByteArray> hostileNames;
    bool quiet = false;
    // TCP congestion control for every connection (Linux); empty: the system's. A board's own stack
    // sends as fast as the window allows, while some systems' default paces each connection by its
    // own history, so that two connections to the simulator no longer meet the same sender.
    QString congestion;

    // Faults for tests.
    int delayMs = 0;
    QSet<int> ignored;
    QSet<int> malformed;
    QMap<int, quint8> statusOverride;
    bool statusOnly = false;
    qint64 dropAfter = -1; // bytes of an upload record or a download reply; -1 = never
    int closeFirst = 0;    // connections closed as soon as they are accepted, as by a board restarting
};

// Largest flash the simulator models; keeps every file within QByteArray's reach.
constexpr quint32 kMaxMemory = 1024u * 1024u * 1024u;

// Parses the command line (arguments without the program name). Returns false with a message
// in *error for anything it cannot use, including a non-loopback --host without
// --allow-non-loopback. The --help and --version texts are returned through *helpText with a true
// result.
bool parseOptions(const QStringList &arguments, SimOptions *options, QString *error, QString *helpText);

// Command code from a number 1..5 or its name (list, write, delete, keepalive, get); 0 if neither.
int commandFromText(const QString &text);
QString commandName(int command);

// Deterministic content of demo files, so scripts and tests can predict what a download returns:
// byte i is (7 * i + length of the name) mod 251.
QByteArray demoContent(const QByteArray &name, quint32 size);

} // namespace boardsim
