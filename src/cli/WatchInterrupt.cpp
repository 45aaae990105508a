#ifdef QUORVANE_HISTORY

#include "cli/WatchInterrupt.h"

#include <csignal>

namespace
{
volatile std::sig_atomic_t intInterrupted = 0;

extern "C" void OnInterruptSignal(int)
{
    intInterrupted = 1;
}
} // namespace

WatchInterrupt::WatchInterrupt(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent)
    , m_onInterrupt(std::move(onInterrupt))
{
    intInterrupted = 0;
    m_previousInt = std::signal(SIGINT, OnInterruptSignal);
    m_previousTerm = std::signal(SIGTERM, OnInterruptSignal);
    connect(&m_poll, &QTimer::timeout, this, &WatchInterrupt::Poll);
    m_poll.start(200);
}

WatchInterrupt::~WatchInterrupt()
{
    std::signal(SIGINT, m_previousInt == SIG_ERR ? SIG_DFL : m_previousInt);
    std::signal(SIGTERM, m_previousTerm == SIG_ERR ? SIG_DFL : m_previousTerm);
}

void WatchInterrupt::Raise()
{
    intInterrupted = 1;
}

void WatchInterrupt::Poll()
{
    if (!intInterrupted || m_blnCalled)
        return;
    m_blnCalled = true;
    m_poll.stop();
    if (m_onInterrupt)
        m_onInterrupt();
}

#endif
