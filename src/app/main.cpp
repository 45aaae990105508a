#include "app/AppArtwork.h"
#include "app/Form1.h"
#include "config/AppInfo.h"
#include "config/CommandLine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace
{
const QString strProgram = QStringLiteral("quorvane");

// The window takes no arguments of its own beyond --help and --version (the toolkit's own options,
// such as -platform, are taken out before). Returns the exit status when the program ends here,
// -1 when the window is to open.
int HandleArguments(const QStringList& arguments, bool blnLenient)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Diagnoses a home ADSL modem-router through its web interface and writes a plain-text report for\n"
        "a support forum. The window takes no arguments; quorvane-cli runs the same diagnostic without it."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QString strError = CommandLine::Parse(parser, arguments);
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        CommandLine::WriteOut(CommandLine::HelpText(parser, strProgram));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        CommandLine::WriteOut(CommandLine::VersionLine(strProgram));
        return 0;
    }
    if (blnLenient || strError.isEmpty())
        return -1;
    CommandLine::WriteErr(CommandLine::UsageErrorLine(strProgram, strError) + QLatin1Char('\n'));
    return CommandLine::intExitUsage;
}

// --help and --version answer without a display, so they are looked for before the window's
// application (which needs one) exists.
bool AsksForHelpOrVersion(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* strOption : { "-h", "-?", "--help", "--help-all", "-v", "--version" }) {
            if (std::strcmp(argv[i], strOption) == 0)
                return true;
        }
    }
    return false;
}

// Without a display the toolkit would abort with its own text about platform plugins. On the
// desktops whose display is named by the environment (X11 and Wayland), a start without one, and
// without a platform chosen some other way, is told in one line of its own.
bool DisplayMissing(int argc, char* argv[])
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    for (const char* strVariable : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" }) {
        if (!qEnvironmentVariableIsEmpty(strVariable))
            return false;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0
            || std::strncmp(argv[i], "-platform=", 10) == 0)
            return false;
    }
    return true;
#else
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    return false;
#endif
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
// A display that is named but cannot be opened (a server that has gone, a remote session without
// one) makes the toolkit abort with its text about platform plugins and reinstalling. While the
// application starts, its platform messages are held back: when the start fails for want of a
// display, one line says so; otherwise they are given out as they came.
struct HeldMessage
{
    QtMsgType type;
    QByteArray bytCategory;
    QString strText;
};

QList<HeldMessage>& HeldMessages()
{
    static QList<HeldMessage> lstHeld;
    return lstHeld;
}

QtMessageHandler& PreviousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

void HoldPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& strText)
{
    const QByteArray bytCategory(context.category ? context.category : "");
    if (type == QtFatalMsg) {
        for (const HeldMessage& held : HeldMessages()) {
            if (held.strText.startsWith(QLatin1String("could not connect to display"))) {
                CommandLine::WriteErr(strProgram + QStringLiteral(": no display was found at ")
                    + qEnvironmentVariable("DISPLAY")
                    + QStringLiteral(". quorvane-cli runs the same diagnostic without a window.\n"));
                std::_Exit(1);
            }
        }
    }
    if (type != QtFatalMsg && bytCategory.startsWith("qt.qpa")) {
        HeldMessages().append({ type, bytCategory, strText });
        return;
    }
    for (const HeldMessage& held : std::exchange(HeldMessages(), {})) {
        const QMessageLogContext heldContext(nullptr, 0, nullptr, held.bytCategory.constData());
        PreviousHandler()(held.type, heldContext, held.strText);
    }
    PreviousHandler()(type, context, strText);
}

void StartHoldingPlatformMessages()
{
    PreviousHandler() = qInstallMessageHandler(HoldPlatformMessages);
}

void StopHoldingPlatformMessages()
{
    qInstallMessageHandler(PreviousHandler());
    for (const HeldMessage& held : std::exchange(HeldMessages(), {})) {
        const QMessageLogContext heldContext(nullptr, 0, nullptr, held.bytCategory.constData());
        PreviousHandler()(held.type, heldContext, held.strText);
    }
}
#else
void StartHoldingPlatformMessages() { }
void StopHoldingPlatformMessages() { }
#endif
} // namespace

int main(int argc, char* argv[])
{
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        return qMax(0, HandleArguments(QCoreApplication::arguments(), true));
    }

    if (DisplayMissing(argc, argv)) {
        CommandLine::WriteErr(strProgram
            + QStringLiteral(": no display was found. quorvane-cli runs the same diagnostic without a window.\n"));
        return 1;
    }

    StartHoldingPlatformMessages();
    QApplication app(argc, argv);
    StopHoldingPlatformMessages();
    QApplication::setApplicationName(AppInfo::AppTitle());
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));
    QApplication::setWindowIcon(AppArtwork::AppIcon());
    const int intStatus = HandleArguments(QApplication::arguments(), false);
    if (intStatus >= 0)
        return intStatus;

    // Everything else the window needs lies in the program's folder (or the user's data folder).
    Form1 form;
    form.show();
    return app.exec();
}
