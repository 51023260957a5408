// velmora-fs ls and df: the board's file table and its totals, as text or as one JSON document.
#include "fsrunner.h"

#include "clikit.h"
#include "fsclient.h"

#include <QJsonArray>
#include <QJsonObject>

namespace fsclient {

namespace {

// The columns of a table, padded to the widest cell; numbers to the right.
QString alignedTable(const QList<QStringList> &lines, const QList<bool> &rightAligned)
{
    QList<int> widths;
    for (int column = 0; column < rightAligned.size(); ++column) {
        int width = 0;
        for (const QStringList &line : lines)
            width = qMax(width, line.at(column).size());
        widths << width;
    }
    QString out;
    for (const QStringList &line : lines) {
        QString text;
        for (int column = 0; column < line.size(); ++column) {
            if (column > 0)
                text += QStringLiteral("  ");
            text += rightAligned.at(column) ? line.at(column).rightJustified(widths.at(column))
                                            : line.at(column).leftJustified(widths.at(column));
        }
        // Padding after the last column is of no use in a terminal.
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out += text + QLatin1Char('\n');
    }
    return out;
}

QString totalsText(const FileTable::Totals &totals)
{
    const FileTable::StatusTexts texts = FileTable::statusTexts(totals);
    QString out;
    for (const QString &line : {texts.count, texts.total, texts.used, texts.free})
        out += line.trimmed() + QLatin1Char('\n');
    return out;
}

QJsonObject totalsJson(const FileTable::Totals &totals)
{
    return {{QStringLiteral("count"), totals.count},
            {QStringLiteral("total"), qint64(totals.total)},
            {QStringLiteral("used"), qint64(totals.used)},
            {QStringLiteral("free"), qint64(totals.free)}};
}

QJsonArray filesJson(const QList<FileTable::Row> &rows)
{
    QJsonArray files;
    for (const FileTable::Row &row : rows) {
        files.append(QJsonObject{{QStringLiteral("name"), row.name},
                                 {QStringLiteral("date"), row.modified.toUTC().toString(Qt::ISODate)},
                                 {QStringLiteral("size"), qint64(row.size)},
                                 {QStringLiteral("address"), qint64(row.address)},
                                 {QStringLiteral("block"), int(row.block)}});
    }
    return files;
}

QString filesText(const QList<FileTable::Row> &rows)
{
    QList<QStringList> lines{FileTable::columnTitles()};
    for (const FileTable::Row &row : rows) {
        lines << QStringList{row.name, FileTable::dateText(row.modified), FileTable::sizeText(row.size),
                             QString::number(row.address), QString::number(row.block)};
    }
    return alignedTable(lines, {false, false, true, true, true});
}

// Shows the table read at the start, with its files (ls) or its totals alone (df).
class TableRunner final : public Runner
{
public:
    TableRunner(FsClient &client, bool withFiles) : Runner(client), withFiles(withFiles) {}

    void run() override
    {
        print();
        client.endRun(clikit::kSuccess);
    }

private:
    void print()
    {
        if (client.options().json) {
            QJsonObject document = totalsJson(client.totals());
            if (withFiles)
                document.insert(QStringLiteral("files"), filesJson(client.rows()));
            client.emitDocument(document);
            return;
        }
        const QString files = withFiles ? filesText(client.rows()) + QLatin1Char('\n') : QString();
        client.out().write(files + totalsText(client.totals()));
    }

    const bool withFiles;
};

} // namespace

std::unique_ptr<Runner> makeListRunner(FsClient &client)
{
    return std::make_unique<TableRunner>(client, true);
}

std::unique_ptr<Runner> makeTotalsRunner(FsClient &client)
{
    return std::make_unique<TableRunner>(client, false);
}

} // namespace fsclient
