#pragma once

#ifdef QUORVANE_HISTORY

#include <QObject>
#include <QTimer>
#include <functional>

// Ctrl-C (SIGINT) and SIGTERM while the line is watched: the signal handler only sets a flag, and a
// timer on the event loop looks at it five times a second and calls the handler there, once, so the
// watch can log out before the program ends. The handlers that were installed before come back when
// this object goes. Only std::signal is used, which every platform has.
class WatchInterrupt : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WatchInterrupt)

public:
    explicit WatchInterrupt(std::function<void()> onInterrupt, QObject* parent = nullptr);
    ~WatchInterrupt() override;

    // Raises the flag as the signal would (for tests).
    static void Raise();

private:
    void Poll();

    std::function<void()> m_onInterrupt;
    QTimer m_poll;
    void (*m_previousInt)(int) = nullptr;
    void (*m_previousTerm)(int) = nullptr;
    bool m_blnCalled = false;
};

#endif
