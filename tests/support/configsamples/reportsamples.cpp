// For the browser check of the configuration report:
//   velmora-reportsamples DIR          writes ModelId_42.vmc (the largest configuration) and
//                                      ModelId_7.vmc (the same, damaged) into DIR
//   velmora-reportsamples --colours F  prints how many colours the picture F holds
#include "configsamples.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTextStream>
#include <cstdio>

namespace {
bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--colours")) {
        const QImage picture(arguments.at(1));
        if (picture.isNull()) {
            std::fprintf(stderr, "velmora-reportsamples: cannot read %s\n", qPrintable(arguments.at(1)));
            return 1;
        }
        const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < pixels.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
            for (int x = 0; x < pixels.width(); ++x)
                colours.insert(line[x]);
        }
        out << colours.size() << '\n';
        return 0;
    }
    if (arguments.size() != 1 || !QDir().mkpath(arguments.first())) {
        std::fprintf(stderr, "usage: velmora-reportsamples DIR | --colours PICTURE\n");
        return 2;
    }
    const QDir folder(arguments.first());
    const bool written = write(folder.filePath(QStringLiteral("ModelId_42.vmc")),
                               *ModelIdFile::encode(ConfigSamples::largest())) &&
                         write(folder.filePath(QStringLiteral("ModelId_7.vmc")), ConfigSamples::damagedModelIdFile());
    if (!written) {
        std::fprintf(stderr, "velmora-reportsamples: cannot write into %s\n", qPrintable(folder.path()));
        return 1;
    }
    return 0;
}
