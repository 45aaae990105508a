#pragma once

#include "run/RunHost.h"
#include "support/ScriptedBrowser.h"

#include <QMap>
#include <QStringList>
#include <algorithm>
#include <functional>

// A downloader whose answers are set by the test. The first flag read after BeginDownload still
// finds the download running, so the caller's poll loop is exercised; the next one ends it. A URL
// in hanging runs for an hour of polling and then fails.
class FakeDownloader : public FileDownload
{
public:
    void BeginDownload(const QString& strURL, const QString&) override
    {
        requests << strURL;
        m_strContents.clear();
        m_blnError = false;
        m_blnComplete = false;
        m_intPolls = 0;
        m_blnHanging = hanging.contains(strURL);
        m_strPending = answers.value(strURL);
    }
    void CancelDownload() override
    {
        ++intCancels;
        m_blnComplete = true;
        m_blnError = true;
        m_strContents.clear();
    }
    bool DownloadComplete() const override { return Poll() && !m_blnError; }
    bool DownloadError() const override { return Poll() && m_blnError; }
    QString FileContents() const override { return m_strContents; }

    QMap<QString, QString> answers;
    QStringList hanging;
    QStringList requests;
    int intCancels = 0;

private:
    // Each poll of the caller reads both flags once a second.
    static constexpr int intHangingPolls = 2 * 3600;
    bool Poll() const
    {
        if (m_blnComplete)
            return true;
        if (++m_intPolls < (m_blnHanging ? intHangingPolls : 2))
            return false;
        m_blnComplete = true;
        if (m_blnHanging || m_strPending.size() < 2)
            m_blnError = true;
        else
            m_strContents = m_strPending;
        return true;
    }
    mutable QString m_strContents;
    mutable bool m_blnError = false;
    mutable bool m_blnComplete = false;
    mutable int m_intPolls = 0;
    bool m_blnHanging = false;
    QString m_strPending;
};

// A run host that records what the run shows and does, with a clock and timers that only move
// when the test moves them: setting dtNow moves the clock alone, AdvanceTime (and every Pause)
// also fires the timers that fall due on the way, at their due time, through onTimer.
class FakeRunHost : public RunHost
{
public:
    struct Message
    {
        MessageIcon icon;
        QString strTitle;
        QString strText;
    };

    QString FieldText(RunField field) const override { return fields.value(field); }
    void SetFieldText(RunField field, const QString& strText) override { fields.insert(field, strText); }
    int CheckValue(RunCheck check) const override { return checks.value(check, 0); }
    void SetCheckValue(RunCheck check, int intValue) override { checks.insert(check, intValue); }

    void SetStatus(const QString& strText) override { statuses << strText; }
    void SetReportText(const QString& strText) override
    {
        strReport = strText;
        ++intReportWrites;
    }
    QString ReportText() const override { return strReport; }
    void SetReportToolTip(const QString& strText) override { strReportToolTip = strText; }
    void SetControlsEnabled(bool blnEnabled) override { controlStates << blnEnabled; }
    void ShowPageProgress(int intPage, int intPages) override { pageProgress << qMakePair(intPage, intPages); }

    void ShowMessageBox(MessageIcon icon, const QString& strTitle, const QString& strText) override
    {
        messages.push_back({ icon, strTitle, strText });
    }
    bool SetClipboardText(const QString& strText) override
    {
        if (!blnClipboardWorks)
            return false;
        strClipboard = strText;
        ++intClipboardWrites;
        return true;
    }

    std::shared_ptr<RouterBrowser> CreateBrowser() override
    {
        auto browser = std::make_shared<ScriptedBrowser>();
        browsers.push_back(browser);
        return browser;
    }
    FileDownload& Downloader() override { return downloader; }
    ScriptedBrowser& Browser() const { return *browsers.back(); }

    QDateTime Now() const override { return dtNow; }
    void ProcessEvents() override
    {
        ++intProcessEvents;
        if (onProcessEvents)
            onProcessEvents();
    }
    void Pause(int intMilliseconds) override
    {
        pauses << intMilliseconds;
        AdvanceTime(intMilliseconds);
        if (onPause)
            onPause();
    }
    void StartTimer(RunTimer timer, int intMilliseconds, bool blnRepeat) override
    {
        timers[timer] = intMilliseconds;
        timerRepeats[timer] = blnRepeat;
        timerDue[timer] = dtNow.addMSecs(intMilliseconds);
    }
    void StopTimer(RunTimer timer) override
    {
        timers.remove(timer);
        timerDue.remove(timer);
    }
    bool TimerActive(RunTimer timer) const override { return timers.contains(timer); }

    QString CaptureIpConfig() override
    {
        ++intCaptures;
        return strIpConfigCapture;
    }
    void PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass) override
    {
        pings << strAddress;
        blnPass = passingAddresses.contains(strAddress);
        strStatus = blnPass ? QStringLiteral(" [ip success]") : QStringLiteral(" [ip req timed out]");
    }
    QString PingHostByName(const QString& strHost) override
    {
        return QStringLiteral("Ping ") + strHost + QStringLiteral(" (127.0.0.1) = ip success");
    }

    void AdvanceTime(qint64 lngMilliseconds)
    {
        const QDateTime dtEnd = dtNow.addMSecs(lngMilliseconds);
        for (;;) {
            auto due = std::min_element(timerDue.begin(), timerDue.end());
            if (due == timerDue.end() || *due > dtEnd)
                break;
            const RunTimer timer = due.key();
            dtNow = *due;
            if (timerRepeats.value(timer))
                *due = dtNow.addMSecs(timers.value(timer));
            else
                StopTimer(timer);
            if (onTimer)
                onTimer(timer);
        }
        dtNow = dtEnd;
    }

    QMap<RunField, QString> fields;
    QMap<RunCheck, int> checks;
    QStringList statuses;
    QString strReport;
    int intReportWrites = 0;
    QString strReportToolTip;
    QList<bool> controlStates;
    QList<QPair<int, int>> pageProgress;
    std::vector<Message> messages;
    QString strClipboard;
    int intClipboardWrites = 0;
    bool blnClipboardWorks = true;
    std::vector<std::shared_ptr<ScriptedBrowser>> browsers;
    FakeDownloader downloader;
    QDateTime dtNow = QDateTime(QDate(2026, 12, 7), QTime(6, 5, 9));
    int intProcessEvents = 0;
    std::function<void()> onProcessEvents;
    std::function<void()> onPause;
    QList<int> pauses;
    QMap<RunTimer, int> timers;
    QMap<RunTimer, bool> timerRepeats;
    QMap<RunTimer, QDateTime> timerDue;
    std::function<void(RunTimer)> onTimer;
    int intCaptures = 0;
    QString strIpConfigCapture;
    QStringList pings;
    QStringList passingAddresses;
};
