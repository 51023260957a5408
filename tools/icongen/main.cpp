#include "icons.h"

#include <QDir>
#include <cstdio>

// velmora-icongen <folder>: writes every icon picture into the folder.
int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-icongen <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const auto images = icongen::drawAll();
    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        if (!it.value().save(out.filePath(it.key()), "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(it.key())));
            return 1;
        }
    }
    std::printf("%d pictures written to %s\n", int(images.size()), qPrintable(out.path()));
    return 0;
}
