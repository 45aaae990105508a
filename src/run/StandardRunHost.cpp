#include "run/StandardRunHost.h"

#include "net/EchoProbe.h"
#include "net/HostPing.h"
#include "net/IpConfigCapture.h"

#include <QCoreApplication>
#include <QEventLoop>

StandardRunHost::StandardRunHost(QObject* parent)
    : QObject(parent)
    , m_diagTimer(new QTimer(this))
    , m_watchdogTimer(new QTimer(this))
    , m_clockTimer(new QTimer(this))
{
    // Both bounds are stated in whole seconds: coarse timers of this length may fire up to 5 % early.
    m_diagTimer->setTimerType(Qt::PreciseTimer);
    m_watchdogTimer->setTimerType(Qt::PreciseTimer);
    connect(m_diagTimer, &QTimer::timeout, this, [this] {
        if (m_timerHandler)
            m_timerHandler(RunTimer::Diagnostic);
    });
    connect(m_watchdogTimer, &QTimer::timeout, this, [this] {
        if (m_timerHandler)
            m_timerHandler(RunTimer::PageWatchdog);
    });
    connect(m_clockTimer, &QTimer::timeout, this, [this] {
        if (m_timerHandler)
            m_timerHandler(RunTimer::WaitClock);
    });
}

StandardRunHost::~StandardRunHost() = default;

QDateTime StandardRunHost::Now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void StandardRunHost::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void StandardRunHost::Pause(int intMilliseconds)
{
    // The event loop keeps running (the window repaints, downloads complete); page completions
    // that arrive meanwhile are dropped by the run's busy flag.
    // A precise timer: Qt lets coarse timers of this length fire up to 5 % early.
    QEventLoop loop;
    m_activePauses.append(&loop);
    QTimer::singleShot(intMilliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    m_activePauses.removeOne(&loop);
}

void StandardRunHost::InterruptWaits()
{
    for (QEventLoop* pLoop : m_activePauses)
        pLoop->quit();
}

QTimer* StandardRunHost::TimerFor(RunTimer timer) const
{
    switch (timer) {
    case RunTimer::Diagnostic:
        return m_diagTimer;
    case RunTimer::WaitClock:
        return m_clockTimer;
    case RunTimer::PageWatchdog:
        break;
    }
    return m_watchdogTimer;
}

void StandardRunHost::StartTimer(RunTimer timer, int intMilliseconds, bool blnRepeat)
{
    QTimer* qtimer = TimerFor(timer);
    qtimer->setSingleShot(!blnRepeat);
    qtimer->start(intMilliseconds);
}

void StandardRunHost::StopTimer(RunTimer timer)
{
    TimerFor(timer)->stop();
}

bool StandardRunHost::TimerActive(RunTimer timer) const
{
    return TimerFor(timer)->isActive();
}

QString StandardRunHost::CaptureIpConfig()
{
    return ::CaptureIpConfig(m_strAppFolder, [this](const QString& strTitle, const QString& strText) {
        ShowMessageBox(MessageIcon::Exclamation, strTitle, strText);
    });
}

void StandardRunHost::PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass)
{
    ::PingWithStatus(strAddress, strStatus, blnPass);
}

QString StandardRunHost::PingHostByName(const QString& strHost)
{
    return ::PingHostByName(strHost);
}
