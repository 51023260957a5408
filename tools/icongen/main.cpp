#include "icons.h"

#include <QDir>
#include <cstdio>
#include <iterator>

namespace {

bool makeFolder(const QDir &dir)
{
    if (dir.exists() || QDir().mkpath(dir.path()))
        return true;
    std::fprintf(stderr, "velmora-icongen: cannot create %s\n", qPrintable(dir.path()));
    return false;
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "velmora-icongen: cannot write %s\n", qPrintable(path));
    return false;
}

// The program's icon as an icon theme lays it out: <folder>/<N>x<N>/apps/velmora.png.
int writeThemeIcons(const QDir &theme)
{
    for (const int size : icongen::kAppIconSizes) {
        const QDir apps(theme.filePath(QStringLiteral("%1x%1/apps").arg(size)));
        if (!makeFolder(apps) || !save(icongen::appIcon(size), apps.filePath(QStringLiteral("velmora.png"))))
            return 1;
    }
    std::printf("%d sizes written to %s\n", int(std::size(icongen::kAppIconSizes)), qPrintable(theme.path()));
    return 0;
}

} // namespace

// velmora-icongen <folder>: writes every icon picture into the folder.
// velmora-icongen --theme <folder>: writes the program's icon in the theme's sizes.
int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--theme") == 0) {
        const QDir theme(QString::fromLocal8Bit(argv[2]));
        return makeFolder(theme) ? writeThemeIcons(theme) : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-icongen <output folder>\n"
                             "       velmora-icongen --theme <icon theme folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!makeFolder(out))
        return 1;
    const auto images = icongen::drawAll();
    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        if (!save(it.value(), out.filePath(it.key())))
            return 1;
    }
    std::printf("%d pictures written to %s\n", int(images.size()), qPrintable(out.path()));
    return 0;
}
