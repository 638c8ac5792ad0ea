// orvelle-make-icons: renders the program's emblem as the PNG icons a desktop installs,
//   orvelle-make-icons OUTPUT-FOLDER NAME SIZE...
// writing OUTPUT-FOLDER/SIZExSIZE/apps/NAME.png for each size.

#include "gui/Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // no display at build time
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: orvelle-make-icons OUTPUT-FOLDER NAME SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString sized = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (size < 8 || size > 1024 || !QDir().mkpath(sized) ||
            !ProgramEmblem(size).save(sized + QLatin1Char('/') + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "orvelle-make-icons: cannot write the %s icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
