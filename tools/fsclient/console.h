#pragma once

#include <QByteArray>
#include <QString>

// What velmora-fs writes to its standard streams. Scripts read it whatever the locale says, so
// the text is UTF-8 (the console's own code page on Windows), and every line on stderr starts with
// the program's name so that it stays attributable when several tools share one log.
namespace fsclient {

QByteArray encoded(const QString &text);

// Text with "velmora-fs: " at the start of each of its lines.
QString prefixedLines(const QString &text);

void writeOut(const QString &text);
void writeOut(const QByteArray &bytes);
// Writes Text as whole lines (a line end is added), each prefixed.
void writeErrLines(const QString &text);
// The progress line on stderr: rewritten in place by each call, ended by endErrLine().
void writeProgress(const QString &text);
void endErrLine();

} // namespace fsclient
