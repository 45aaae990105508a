#pragma once

#include "run/RunHost.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>

class QEventLoop;

// The parts of a run host that are the same for the window and the command-line front end:
// real time, event-loop waits, Qt timers and the platform's network probes. Subclasses supply the
// fields, the report box, message boxes, the clipboard and the browser.
class StandardRunHost : public QObject, public RunHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StandardRunHost)

public:
    explicit StandardRunHost(QObject* parent = nullptr);
    ~StandardRunHost() override;

    // Receives the timer callbacks (the run's OnTimer).
    void SetTimerHandler(std::function<void(RunTimer)> handler) { m_timerHandler = std::move(handler); }
    // The clock that Now() reads; the system's local time when empty.
    void SetClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // The application folder that holds NetworkInfo.sh / NetworkInfo.bat.
    void SetAppFolder(const QString& strAppFolder) { m_strAppFolder = strAppFolder; }

    QDateTime Now() const override;
    void ProcessEvents() override;
    void Pause(int intMilliseconds) override;
    void StartTimer(RunTimer timer, int intMilliseconds, bool blnRepeat) override;
    void StopTimer(RunTimer timer) override;
    bool TimerActive(RunTimer timer) const override;
    void InterruptWaits() override;

    QString CaptureIpConfig() override;
    void PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass) override;
    QString PingHostByName(const QString& strHost) override;

protected:
    QTimer* TimerFor(RunTimer timer) const;

private:
    QList<QEventLoop*> m_activePauses;
    QTimer* m_diagTimer;
    QTimer* m_watchdogTimer;
    QTimer* m_clockTimer;
    std::function<void(RunTimer)> m_timerHandler;
    std::function<QDateTime()> m_clock;
    QString m_strAppFolder;
};
