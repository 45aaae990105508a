#include "cli/PasswordSource.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace
{
QString FirstLine(const QByteArray& bytText)
{
    qsizetype lngEnd = bytText.indexOf('\n');
    if (lngEnd < 0)
        lngEnd = bytText.size();
    if (lngEnd > 0 && bytText.at(lngEnd - 1) == '\r')
        --lngEnd;
    return QString::fromUtf8(bytText.left(lngEnd));
}

#ifndef Q_OS_WIN
// The terminal settings to put back when a signal ends the program during the prompt, so that the
// shell is not left without echo.
int intPromptInput = -1;
struct termios savedTerminal;

void RestoreTerminalAndExit(int intSignal)
{
    if (intPromptInput >= 0)
        ::tcsetattr(intPromptInput, TCSAFLUSH, &savedTerminal);
    std::signal(intSignal, SIG_DFL);
    std::raise(intSignal);
}

void WriteAll(int intOutput, const QByteArray& bytText)
{
    qsizetype lngDone = 0;
    while (lngDone < bytText.size()) {
        const ssize_t lngWritten
            = ::write(intOutput, bytText.constData() + lngDone, static_cast<size_t>(bytText.size() - lngDone));
        if (lngWritten < 0 && errno == EINTR)
            continue;
        if (lngWritten <= 0)
            return;
        lngDone += lngWritten;
    }
}
#endif
} // namespace

std::optional<QString> ReadPasswordFile(const QString& strFile, QString& strError)
{
    QFile file;
    bool blnOpened = false;
    if (strFile == QLatin1String("-")) {
        blnOpened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(strFile);
        blnOpened = file.open(QIODevice::ReadOnly);
    }
    if (!blnOpened) {
        strError = QStringLiteral("Cannot read the password file '%1': %2.").arg(strFile, file.errorString());
        return std::nullopt;
    }
    // One line is all that is wanted; a password file is never large.
    return FirstLine(file.readLine(64 * 1024));
}

std::optional<QString> PasswordFromOptions(const CliOptions& options, QString& strError)
{
    // Taken out of the environment whether it is used or not: the IP configuration script and
    // everything it starts inherit the environment, and have no business with the password.
    std::optional<QString> strFromEnvironment;
    if (qEnvironmentVariableIsSet("QUORVANE_PASSWORD")) {
        strFromEnvironment = qEnvironmentVariable("QUORVANE_PASSWORD");
        qunsetenv("QUORVANE_PASSWORD");
    }
    if (options.strPassword)
        return options.strPassword;
    if (options.strPasswordFile)
        return ReadPasswordFile(*options.strPasswordFile, strError);
    return strFromEnvironment;
}

QString RunPassword(const std::optional<QString>& strGiven, const QString& strProfile, const PasswordPromptFn& prompt)
{
    if (strGiven)
        return *strGiven;
    if (!strProfile.isEmpty() || !prompt)
        return strProfile;
    return prompt().value_or(QString());
}

std::optional<QString> PromptPassword(int intInput, int intOutput)
{
#ifdef Q_OS_WIN
    Q_UNUSED(intOutput);
    const HANDLE hInput = reinterpret_cast<HANDLE>(::_get_osfhandle(intInput));
    DWORD lngMode = 0;
    if (!::GetConsoleMode(hInput, &lngMode))
        return std::nullopt;
    ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), L"Password: ", 10, nullptr, nullptr);
    ::SetConsoleMode(hInput, lngMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    wchar_t buffer[1024];
    DWORD lngRead = 0;
    const BOOL blnRead = ::ReadConsoleW(hInput, buffer, 1023, &lngRead, nullptr);
    ::SetConsoleMode(hInput, lngMode);
    ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), L"\r\n", 2, nullptr, nullptr);
    if (!blnRead)
        return std::nullopt;
    QString strLine = QString::fromWCharArray(buffer, static_cast<int>(lngRead));
    while (strLine.endsWith(QLatin1Char('\n')) || strLine.endsWith(QLatin1Char('\r')))
        strLine.chop(1);
    return strLine;
#else
    struct termios terminal;
    if (::isatty(intInput) != 1 || ::tcgetattr(intInput, &terminal) != 0)
        return std::nullopt;

    // Echo goes off before the prompt appears, so nothing typed after it is shown.
    savedTerminal = terminal;
    intPromptInput = intInput;
    auto oldInt = std::signal(SIGINT, RestoreTerminalAndExit);
    auto oldTerm = std::signal(SIGTERM, RestoreTerminalAndExit);
    auto oldHup = std::signal(SIGHUP, RestoreTerminalAndExit);
    terminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    terminal.c_lflag |= ICANON;
    ::tcsetattr(intInput, TCSAFLUSH, &terminal);
    WriteAll(intOutput, "Password: ");

    QByteArray bytLine;
    bool blnLine = false;
    char chrRead = 0;
    for (;;) {
        const ssize_t lngRead = ::read(intInput, &chrRead, 1);
        if (lngRead < 0 && errno == EINTR)
            continue;
        if (lngRead <= 0)
            break;
        if (chrRead == '\n') {
            blnLine = true;
            break;
        }
        bytLine += chrRead;
    }

    ::tcsetattr(intInput, TCSAFLUSH, &savedTerminal);
    intPromptInput = -1;
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    std::signal(SIGHUP, oldHup);
    WriteAll(intOutput, "\n");
    if (!blnLine && bytLine.isEmpty())
        return std::nullopt;
    return FirstLine(bytLine);
#endif
}
