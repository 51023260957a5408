#pragma once

#include <QString>
#include <QTextStream>

namespace clikit {

// Text going to one stream line by line, every line starting with a prefix: none on standard
// output, the program's name on standard error, and one more (a board's address, say) where
// several runs share the streams. Sinks on one stream keep apart as long as each writes whole
// lines. Every write is flushed at once, so that lines reach a log in the order they were made.
class Sink
{
public:
    explicit Sink(QTextStream &stream, const QString &prefix = QString());

    // A sink on the same stream whose lines start with this one's prefix and then More.
    Sink prefixed(const QString &more) const;
    const QString &prefix() const { return linePrefix; }

    // Writes Text; each line it begins gets the prefix, a blank one too. A line left open by
    // rewriteLine() is ended first.
    void write(const QString &text);
    // Writes Text as whole lines: a line end follows it.
    void writeLines(const QString &text);
    // A line that each call rewrites in place (progress on a terminal); left open until the next
    // write or endLine().
    void rewriteLine(const QString &text);
    // Ends the line if one is open.
    void endLine();

private:
    void put(const QString &text);

    QTextStream *stream;
    QString linePrefix;
    bool atLineStart = true;
    bool rewritten = false; // the open line is rewriteLine()'s
};

// The process's standard output and error as text streams that write UTF-8 whatever the locale
// or the console's code page says, so that a script reads the same bytes everywhere.
struct StandardStreams
{
    StandardStreams();
    StandardStreams(const StandardStreams &) = delete;
    StandardStreams &operator=(const StandardStreams &) = delete;

    QTextStream out;
    QTextStream err;
};

} // namespace clikit
