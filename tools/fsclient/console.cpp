#include "console.h"

#include <QStringList>
#include <cstdio>

namespace fsclient {

namespace {

const QString kPrefix = QStringLiteral("velmora-fs: ");

void put(const QByteArray &bytes, FILE *stream)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

QByteArray encoded(const QString &text)
{
#ifdef Q_OS_WIN
    return text.toLocal8Bit();
#else
    return text.toUtf8();
#endif
}

QString prefixedLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line.prepend(kPrefix);
    return lines.join(QLatin1Char('\n'));
}

void writeOut(const QString &text)
{
    put(encoded(text), stdout);
}

void writeOut(const QByteArray &bytes)
{
    put(bytes, stdout);
}

void writeErrLines(const QString &text)
{
    put(encoded(prefixedLines(text) + QLatin1Char('\n')), stderr);
}

void writeProgress(const QString &text)
{
    put(encoded(QLatin1Char('\r') + kPrefix + text), stderr);
}

void endErrLine()
{
    put(QByteArray("\n"), stderr);
}

} // namespace fsclient
