#pragma once

#include "config/DataFolder.h"
#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "readers/VendorTable.h"
#include "run/RunHost.h"

#include <QDateTime>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class ClassIIDump;
class DiagnosticRun;
class OrloSimpleButton;
class PageView;
class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class ValueCheckBox;
class WindowRunHost;
class vbkToolTip;
enum class RunOutcome;

// Opens an address in the desktop's default browser. The result is not used.
using UrlOpener = std::function<void(const QString& strAddress)>;

// What the window is built with. The program uses the defaults; tests point the window at a folder
// of their own, a loopback ping host and an opener that only records.
struct Form1Setup
{
    // The application folder with the settings, profiles and scripts; the program's folder when
    // empty. When it cannot be written to, the user's data folder (strUserFolder, or the platform's
    // per-user folder when empty) stands in for it; writable tells which folders can be.
    QString strAppFolder;
    QString strUserFolder;
    FolderWritableFn writable;
    ProfileDefaults defaults;
    // QDesktopServices::openUrl when empty.
    UrlOpener opener;
    // The clock of the runs; the system's local time when empty.
    std::function<QDateTime()> clock;
};

// The tool's only window: the router fields, the class option buttons, the check boxes, the three
// commands, the report box, the status line and, below it, the browser area that the debug view
// uncovers. It owns the configuration, the page table and the run.
class Form1 : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // Builds the window and runs its start-up: vendor table, class and profile, collapsed height,
    // template browser and the start-up message (shown before the window itself is shown).
    explicit Form1(Form1Setup setup = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // The window's caption without the version.
    static QString BaseCaption() { return QStringLiteral("Quorvane - by Orlo"); }
    static QString StartupMessage();
    static QString AboutText();
    static QString AboutTitle() { return QStringLiteral("About the Quorvane Tool"); }
    // The status line of a Go or Data Dump pressed while a run or dump is under way.
    static QString BusyStatus() { return QStringLiteral("Please wait - the current run has not finished yet"); }
    // The Go button's caption while a run or dump is under way: pressing it then cancels.
    static QString CancelCaption() { return QStringLiteral("Cancel"); }
    // What the window says when closing could not save some of its files.
    static QString UnsavedSettingsMessage(const QStringList& arrFiles);
    // The report's file dialog and what the window says when the file could not be written.
    static QString SaveReportTitle() { return QStringLiteral("Save report"); }
    static QString UnsavedReportMessage(const QString& strFile);
    // Names that assistive technology reads for the report box and the status line.
    static QString ReportBoxName() { return QStringLiteral("Diagnostic report"); }
    static QString StatusLineName() { return QStringLiteral("Status"); }

    // Commands and handlers, as the window's controls call them.
    void SwitchClass(int intIndex);
    void ApplyPasswordMask();
    void OpenRouter();
    void ShowAbout();
    void ToggleDebugView();
    void ShowButtonTip(OrloSimpleButton* pButton, int pxX, int pxY);
    void StartRun();
    void StartDataDump();
    // Esc, or the Go button while it reads "Cancel": cancels the run or dump under way.
    void CancelRun();
    // Saves the report box's text, as the clipboard gets it, to a file the user picks.
    void SaveReport();
    // The report box's context menu: the box's own entries and "Save report...". The caller owns it.
    QMenu* CreateReportMenu();
    QAction* SaveReportAction() const { return m_pSaveReport; }
    // Which page of the run is being read ("3 of 8" beside the status text); 0 pages clears it.
    void ShowPageProgress(int intPage, int intPages);

    // Read-only text boxes and disabled commands while a run is under way.
    void SetControlsEnabled(bool blnEnabled);

    // The folder that the window reads and writes, as chosen at start-up.
    const DataFolder& Folder() const { return m_folder; }

    // The height that ends just below the status line, in twips (computed once at start-up), and
    // the debug view switch.
    int CompactHeight() const { return lngCompactHeight; }
    bool DebugView() const { return m_trace.blnDebugView; }
    int TwipsPerPixelY() const { return m_intTwipsPerPixelY; }

    // Copies the widgets' values into the profile and the profile's into the widgets.
    void StoreFieldsInProfile();
    void ShowProfileInFields();

    RouterProfile& Profile() { return m_profile; }
    PageTable& Pages() { return m_pages; }
    const PageTrace& Trace() const { return m_trace; }
    DiagnosticRun& Run() const { return *m_run; }
    WindowRunHost& Host() const { return *m_host; }
    vbkToolTip& ToolTip() const { return *m_tip; }
    const RouterBrowser& TemplateBrowser() const { return *m_templateBrowser; }
    // True while a command of the run is executing somewhere below on the stack (it may be
    // waiting in a nested event loop).
    bool RunCodeRunning() const;

    QLineEdit* FieldBox(RunField field) const;
    ValueCheckBox* CheckBox(RunCheck check) const;
    QLabel* StatusLabel() const { return lblStat; }
    QLabel* PageCountLabel() const { return lblPageCount; }
    QPlainTextEdit* ReportBox() const { return txtLog; }
    PageView* BrowserView() const { return m_pBrowserView; }
    QWidget* BrowserArea() const { return WebBrowser0; }

Q_SIGNALS:
    // A run or data dump has ended (also after the window was closed during it).
    void RunEnded(RunOutcome outcome);
    // The page count beside the status text changed (0 of 0 when it was cleared).
    void PageProgressShown(int intPage, int intPages);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ApplyLayout();
    void FitFormFont();
    void Load();
    void SetWindowHeight(int lngTwips);
    // The report box, the status line and the browser area take the room the window has beyond
    // its classic size; the commands keep to the right edge.
    void LayOutReportArea();
    QSize MinimumWindowSize() const;
    // Size, place and state as saved with the options (Settings.ini).
    void RestoreWindowPlacement();
    QStringList SaveWindowPlacement() const;
    void UpdateBanner();
    // True (and said on the status line) when a command cannot start now.
    bool RefuseCommand();
    void CentreOnScreen();
    // Tells that settings cannot be saved, the first time only.
    void WarnUnsaved(const QString& strText);
    void UpdateClassTabStop();
    // Refuses, with a message box, a router address (and port) that is not one; nothing is sent.
    bool RouterFieldsUsable(bool blnWithPort);
    // The Go button as the cancel command of the run under way, or as Go again.
    void ShowCancelCommand(bool blnCancel);

    Form1Setup m_setup;
    DataFolder m_folder;
    RouterProfile m_profile;
    PageTable m_pages;
    PageTrace m_trace;
    VendorTable m_vendors;
    int lngCompactHeight = 0;
    int m_intTwipsPerPixelX = 15;
    int m_intTwipsPerPixelY = 15;
    int m_intCommandDepth = 0;
    bool m_blnCentred = false;
    bool m_blnClosing = false;
    bool m_blnUnsavedTold = false;
    bool m_blnControlsEnabled = true;
    bool m_blnCancelCommand = false;
    bool m_blnPlaced = false;
    // The design's places in pixels of the controls that follow the window's size.
    QRect m_rctLogDesign;
    QRect m_rctStatDesign;
    QRect m_rctBrowserDesign;
    QRect m_rctCommandsDesign[3];
    // Where the focus was when a run locked the window; it goes back there at the end.
    QPointer<QWidget> m_pRunFocus;
    bool m_blnFocusParked = false;

    QLabel* imgLogo = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* txtAdmin = nullptr;
    QLineEdit* txtPass = nullptr;
    QLineEdit* txtIP = nullptr;
    QLineEdit* txtPort = nullptr;
    ValueCheckBox* chkMask = nullptr;
    ValueCheckBox* chkPass = nullptr;
    ValueCheckBox* chkIPConfig = nullptr;
    ValueCheckBox* chkCensor = nullptr;
    QRadioButton* optClass[3] = { nullptr, nullptr, nullptr };
    QButtonGroup* m_pClassGroup = nullptr;
    OrloSimpleButton* cmdGo = nullptr;
    OrloSimpleButton* cmdClassIIDump = nullptr;
    OrloSimpleButton* cmdOpen = nullptr;
    QPlainTextEdit* txtLog = nullptr;
    QLabel* lblStat = nullptr;
    QLabel* lblPageCount = nullptr;
    QAction* m_pSaveReport = nullptr;
    QWidget* WebBrowser0 = nullptr;
    PageView* m_pBrowserView = nullptr;

    WindowRunHost* m_host = nullptr;
    vbkToolTip* m_tip = nullptr;
    std::unique_ptr<RouterBrowser> m_templateBrowser;
    std::unique_ptr<DiagnosticRun> m_run;
    std::unique_ptr<ClassIIDump> m_dump;
};
