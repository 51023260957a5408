#include "vmcreport.h"

#include "vmctexts.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace Vmc {

namespace {
Report::SourceFile sourceFile(const QString &name, const QByteArray &bytes)
{
    return {name, bytes.size(),
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())};
}
} // namespace

QVector<Report::SourceFile> sourcesOf(const ConfigFile &config)
{
    if (config.kind != FileKind::Folder) {
        const bool standardInput = config.path == QLatin1String("-");
        return {
            sourceFile(standardInput ? Texts::tr("стандартный ввод (как %1)").arg(config.name) : config.path,
                       config.bytes)};
    }
    // A folder's blocks are its files' bytes; a file it does not hold is an empty tab.
    QVector<Report::SourceFile> sources;
    for (const Blocks::SectionInfo &section : Blocks::sections()) {
        const QString path = QDir(config.path).filePath(section.fileName);
        if (QFileInfo::exists(path))
            sources.append(sourceFile(path, config.blocks[std::size_t(section.section)]));
    }
    if (sources.isEmpty())
        sources.append({config.path, 0, QString()});
    return sources;
}

std::optional<QDateTime> reportTime(QString *error)
{
    const QString epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH");
    if (epoch.isEmpty())
        return QDateTime::currentDateTime();
    bool ok = false;
    const qint64 seconds = epoch.toLongLong(&ok);
    if (!ok || seconds < 0) {
        *error = Texts::tr("SOURCE_DATE_EPOCH=%1: не число секунд от 1970-01-01 00:00 UTC").arg(epoch);
        return std::nullopt;
    }
    return QDateTime::fromSecsSinceEpoch(seconds).toUTC();
}

} // namespace Vmc
