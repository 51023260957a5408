#include "clisink.h"

#include <QIODevice>
#include <cstdio>

namespace clikit {

Sink::Sink(QTextStream &stream, const QString &prefix) : stream(&stream), linePrefix(prefix) {}

Sink Sink::prefixed(const QString &more) const
{
    return Sink(*stream, linePrefix + more);
}

void Sink::write(const QString &text)
{
    if (rewritten)
        endLine();
    if (text.isEmpty())
        return;
    if (linePrefix.isEmpty()) {
        put(text);
        atLineStart = text.endsWith(QLatin1Char('\n'));
        return;
    }
    QString lines;
    int from = 0;
    while (from < text.size()) {
        if (atLineStart)
            lines += linePrefix;
        const int end = text.indexOf(QLatin1Char('\n'), from);
        const int next = end < 0 ? text.size() : end + 1;
        lines += text.mid(from, next - from);
        atLineStart = end >= 0;
        from = next;
    }
    put(lines);
}

void Sink::writeLines(const QString &text)
{
    write(text + QLatin1Char('\n'));
}

void Sink::rewriteLine(const QString &text)
{
    put(QLatin1Char('\r') + linePrefix + text);
    atLineStart = false;
    rewritten = true;
}

void Sink::endLine()
{
    if (!atLineStart)
        put(QStringLiteral("\n"));
    atLineStart = true;
    rewritten = false;
}

void Sink::put(const QString &text)
{
    *stream << text;
    stream->flush();
}

StandardStreams::StandardStreams() : out(stdout, QIODevice::WriteOnly), err(stderr, QIODevice::WriteOnly)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 streams write UTF-8 already.
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");
#endif
}

} // namespace clikit
