// Writes the program's icon as PNG files for the desktop's icon theme, drawn by the same code
// that draws the window icon: quorvane-<size>.png for each size given after the output folder.

#include "app/AppArtwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Drawing needs no screen; the build may run without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: quorvane-artwork <output folder> <size>...\n");
        return 2;
    }
    const QDir dirOut(args.at(1));
    if (!dirOut.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create the output folder\n");
        return 1;
    }
    for (int i = 2; i < args.size(); ++i) {
        bool blnOk = false;
        const int intSize = args.at(i).toInt(&blnOk);
        if (!blnOk || intSize < 1 || intSize > 1024) {
            std::fprintf(stderr, "not a usable icon size: %s\n", qPrintable(args.at(i)));
            return 2;
        }
        const QString strFile = dirOut.filePath(QStringLiteral("quorvane-%1.png").arg(intSize));
        if (!AppArtwork::DrawIcon(intSize).save(strFile, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(strFile));
            return 1;
        }
    }
    return 0;
}
