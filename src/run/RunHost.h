#pragma once

#include "run/FileDownload.h"
#include "run/RouterBrowser.h"

#include <QDateTime>
#include <QString>
#include <memory>

// The window's text boxes that a run reads (and, for the router address, fills in).
enum class RunField { Admin, Password, Address, Port };

// The window's check boxes; each holds 0 (unchecked), 1 (checked) or 2 (greyed).
enum class RunCheck { HidePassword, SavePassword, IPConfig, Censor };

enum class MessageIcon { Information, Exclamation };

// The timers that a run uses: the diagnostic wait's 30-second Timer1, the bound on how long a
// run waits for the router to deliver any known page, and the one-second clock that counts the
// diagnostic wait on the status line.
enum class RunTimer { Diagnostic, PageWatchdog, WaitClock };

// Everything a diagnostic run or data dump needs from its surroundings. The main window, the
// command-line front end and the tests each provide one, so the same run drives all three.
class RunHost
{
public:
    virtual ~RunHost() = default;

    // Window fields and check boxes.
    virtual QString FieldText(RunField field) const = 0;
    virtual void SetFieldText(RunField field, const QString& strText) = 0;
    virtual int CheckValue(RunCheck check) const = 0;
    // Setting HidePassword also masks (1) or unmasks the password box, as its click handler does.
    virtual void SetCheckValue(RunCheck check, int intValue) = 0;

    // Status line, report box and the locking of the window's controls.
    virtual void SetStatus(const QString& strText) = 0;
    virtual void RepaintStatus() { }
    virtual void SetReportText(const QString& strText) = 0;
    virtual QString ReportText() const = 0;
    virtual void SetReportToolTip(const QString& strText) = 0;
    virtual void SetControlsEnabled(bool blnEnabled) = 0;
    // Which page of the run is being read: intPage of intPages (0 of 0 when none is).
    virtual void ShowPageProgress(int intPage, int intPages)
    {
        Q_UNUSED(intPage)
        Q_UNUSED(intPages)
    }

    // Modal message box with an OK button; an empty title means the application's title.
    virtual void ShowMessageBox(MessageIcon icon, const QString& strTitle, const QString& strText) = 0;
    void ShowMessage(MessageIcon icon, const QString& strText) { ShowMessageBox(icon, QString(), strText); }
    // Clears the clipboard and puts strText on it as plain text; false when that failed.
    virtual bool SetClipboardText(const QString& strText) = 0;
    // The first line of the closing message when SetClipboardText succeeded: where the report went.
    virtual QString ReportCopiedLine() const
    {
        return QStringLiteral("A report has been created and copied into the clipboard.");
    }

    // A fresh browser instance for a run (placed over the window's browser area where there is one),
    // and the file downloader, which from then on shares that instance's login state.
    virtual std::shared_ptr<RouterBrowser> CreateBrowser() = 0;
    virtual FileDownload& Downloader() = 0;

    // Time and waiting. ProcessEvents lets pending events run once; Pause waits the given time
    // while events keep running (page completions that arrive meanwhile are dropped by the run).
    virtual QDateTime Now() const = 0;
    virtual void ProcessEvents() = 0;
    virtual void Pause(int intMilliseconds) = 0;
    // A started timer calls DiagnosticRun::OnTimer with its id after intMilliseconds, and again
    // every intMilliseconds while blnRepeat, until stopped.
    virtual void StartTimer(RunTimer timer, int intMilliseconds, bool blnRepeat) = 0;
    virtual void StopTimer(RunTimer timer) = 0;
    virtual bool TimerActive(RunTimer timer) const = 0;
    // Ends every Pause under way at once: the run has been cancelled and winds down.
    virtual void InterruptWaits() { }

    // Network probes: the PC's IP configuration listing, the ICMP echo by address, and the ping by
    // host name ("Ping name (address) = status").
    virtual QString CaptureIpConfig() = 0;
    virtual void PingWithStatus(const QString& strAddress, QString& strStatus, bool& blnPass) = 0;
    virtual QString PingHostByName(const QString& strHost) = 0;
};
