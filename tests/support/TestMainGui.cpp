#include "support/TestRegistry.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryFile>
#include <memory>

namespace
{
// The offscreen screen is 800 x 600 device pixels; at a scale factor of 2 the windows of the tests
// would then have 400 x 300 pixels of room and stand partly off it. A scaled screen has more device
// pixels rather than less room: for a test run with a scale factor and the plain offscreen platform
// the screen is given the device pixels that make 800 x 600 at that scale. Returns the file that
// describes it, which must live until the application has read it.
std::unique_ptr<QTemporaryFile> ScaleOffscreenScreen()
{
    bool blnScaled = false;
    const double dblScale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&blnScaled);
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("offscreen") || !blnScaled || dblScale <= 1.0)
        return nullptr;
    // In the working folder and named relative to it: a drive letter's colon would end the option.
    auto pFile = std::make_unique<QTemporaryFile>(QStringLiteral("quorvane-screen-XXXXXX.json"));
    if (!pFile->open())
        return nullptr;
    pFile->write(QStringLiteral("{\"screens\": [{\"name\": \"scaled\", \"x\": 0, \"y\": 0, \"width\": %1, "
                                "\"height\": %2}]}\n")
                     .arg(qRound(800 * dblScale))
                     .arg(qRound(600 * dblScale))
                     .toUtf8());
    pFile->flush();
    qputenv("QT_QPA_PLATFORM",
        QStringLiteral("offscreen:configfile=%1").arg(QDir::current().relativeFilePath(pFile->fileName())).toUtf8());
    return pFile;
}
} // namespace

int main(int argc, char* argv[])
{
    const std::unique_ptr<QTemporaryFile> pScreen = ScaleOffscreenScreen();
    QApplication app(argc, argv);
    return TestRegistry::RunAll(argc, argv);
}
