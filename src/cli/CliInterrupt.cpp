#include "cli/CliInterrupt.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{
CliInterrupt* pInstance = nullptr;
std::atomic<int> intSignalsSeen { 0 };

#ifdef Q_OS_WIN
BOOL WINAPI OnConsoleEvent(DWORD lngEvent)
{
    // Called on a thread of its own: the signal is posted to the main thread's event loop.
    const int intSignal = lngEvent == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (intSignalsSeen.fetch_add(1) > 0)
        std::_Exit(CliInterrupt::ExitStatus(intSignal));
    if (pInstance) {
        CliInterrupt* pTarget = pInstance;
        QMetaObject::invokeMethod(
            pTarget, [pTarget, intSignal] { Q_EMIT pTarget->Interrupted(intSignal); }, Qt::QueuedConnection);
    }
    // The console's close, a log-off or a shut-down end the process as soon as this returns: the
    // thread waits here, so that the run can log out and write its report in the few seconds that
    // the system grants; the program ends when the main thread returns.
    if (lngEvent != CTRL_C_EVENT && lngEvent != CTRL_BREAK_EVENT)
        ::Sleep(INFINITE);
    return TRUE;
}
#else
int arrPipe[2] = { -1, -1 };
void (*oldInt)(int) = SIG_DFL;
void (*oldTerm)(int) = SIG_DFL;

void OnSignal(int intSignal)
{
    if (intSignalsSeen.fetch_add(1) > 0)
        ::_exit(CliInterrupt::ExitStatus(intSignal));
    const int intSavedErrno = errno;
    const unsigned char chrSignal = static_cast<unsigned char>(intSignal);
    [[maybe_unused]] const ssize_t lngWritten = ::write(arrPipe[1], &chrSignal, 1);
    errno = intSavedErrno;
}
#endif
} // namespace

CliInterrupt::CliInterrupt(QObject* parent)
    : QObject(parent)
{
    pInstance = this;
    intSignalsSeen = 0;
#ifdef Q_OS_WIN
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    if (::pipe(arrPipe) != 0)
        return;
    for (int intEnd : arrPipe) {
        ::fcntl(intEnd, F_SETFD, FD_CLOEXEC);
        ::fcntl(intEnd, F_SETFL, ::fcntl(intEnd, F_GETFL) | O_NONBLOCK);
    }
    m_notifier = new QSocketNotifier(arrPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char chrSignal = 0;
        while (::read(arrPipe[0], &chrSignal, 1) == 1)
            Q_EMIT Interrupted(chrSignal);
    });
    oldInt = std::signal(SIGINT, OnSignal);
    oldTerm = std::signal(SIGTERM, OnSignal);
#endif
}

CliInterrupt::~CliInterrupt()
{
#ifdef Q_OS_WIN
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
#else
    if (m_notifier) {
        std::signal(SIGINT, oldInt == SIG_ERR ? SIG_DFL : oldInt);
        std::signal(SIGTERM, oldTerm == SIG_ERR ? SIG_DFL : oldTerm);
        delete m_notifier;
        m_notifier = nullptr;
        ::close(arrPipe[0]);
        ::close(arrPipe[1]);
        arrPipe[0] = arrPipe[1] = -1;
    }
#endif
    pInstance = nullptr;
}
