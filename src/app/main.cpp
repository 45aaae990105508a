#include "app/AppArtwork.h"
#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));
    QApplication::setWindowIcon(AppArtwork::AppIcon());

    // The window takes no arguments: everything it needs lies in the program's folder.
    Form1 form;
    form.show();
    return app.exec();
}
