#include "history/view/HistoryWindow.h"

#include "browser/engine/BrowserEngine.h"
#include "browser/engine/FileDownloader.h"
#include "config/RouterProfile.h"
#include "history/HistorySummary.h"
#include "history/LineSampler.h"
#ifdef QUORVANE_HISTORY_PLOT
#include "history/view/HistoryChart.h"
#endif
#include "run/RouterAddress.h"
#include "run/StandardRunHost.h"

#include <QAction>
#ifdef QUORVANE_HISTORY_PLOT
#include <QChart>
#include <QChartView>
#else
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QSaveFile>
#endif
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

// A run host without a window of its own for the watch: the fields are the router's address and
// log-in taken when watching starts, status goes to the history window's label, and it has its
// own timers, so a watch never touches those of a diagnostic run.
class WatchRunHost : public StandardRunHost
{
public:
    WatchRunHost(const RouterLogin& login, std::function<void(const QString&)> status)
        : m_login(login)
        , m_status(std::move(status))
        , m_downloader(new FileDownloader(this))
    { }

    QString FieldText(RunField field) const override
    {
        switch (field) {
        case RunField::Admin:
            return m_login.strUser;
        case RunField::Password:
            return m_login.strPassword;
        case RunField::Address:
            return m_login.strAddress;
        case RunField::Port:
            return m_login.strPort;
        }
        return QString();
    }
    void SetFieldText(RunField, const QString&) override { }
    int CheckValue(RunCheck) const override { return 0; }
    void SetCheckValue(RunCheck, int) override { }
    void SetStatus(const QString& strText) override { m_status(strText); }
    void SetReportText(const QString&) override { }
    QString ReportText() const override { return QString(); }
    void SetReportToolTip(const QString&) override { }
    void SetControlsEnabled(bool) override { }
    void ShowMessageBox(MessageIcon, const QString&, const QString& strText) override { m_status(strText); }
    bool SetClipboardText(const QString&) override { return false; }
    std::shared_ptr<RouterBrowser> CreateBrowser() override
    {
        auto browser = std::make_shared<BrowserEngine>();
        m_downloader->SetNetworkManager(browser->NetworkManager());
        return browser;
    }
    FileDownload& Downloader() override { return *m_downloader; }

private:
    RouterLogin m_login;
    std::function<void(const QString&)> m_status;
    FileDownloader* m_downloader;
};

HistoryWindow::HistoryWindow(HistoryWindowSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(Caption());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 520);

#ifdef QUORVANE_HISTORY_PLOT
    m_chartView = new QChartView(this);
    m_chartView->setObjectName(QStringLiteral("chtHistory"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    QWidget* pView = m_chartView;
#else
    m_txtHistory = new QPlainTextEdit(this);
    m_txtHistory->setObjectName(QStringLiteral("txtHistory"));
    m_txtHistory->setReadOnly(true);
    m_txtHistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtHistory->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtHistory->setAccessibleName(Caption());
    QWidget* pView = m_txtHistory;
#endif
    lblHistory = new QLabel(this);
    lblHistory->setObjectName(QStringLiteral("lblHistory"));
    optHour = new QRadioButton(QStringLiteral("Last &hour"), this);
    optDay = new QRadioButton(QStringLiteral("Last &day"), this);
    optWeek = new QRadioButton(QStringLiteral("Last &week"), this);
    optAll = new QRadioButton(QStringLiteral("&All"), this);
    optHour->setObjectName(QStringLiteral("optHour"));
    optDay->setObjectName(QStringLiteral("optDay"));
    optWeek->setObjectName(QStringLiteral("optWeek"));
    optAll->setObjectName(QStringLiteral("optAll"));
    optDay->setChecked(true);
    // The reports of the main window end with this router's summary while it is ticked.
    chkInReport = new QCheckBox(QStringLiteral("Add the summary to the &report"), this);
    chkInReport->setObjectName(QStringLiteral("chkInReport"));
    chkInReport->setToolTip(QStringLiteral("Every report of Go ends with the summary of this router's line history, "
                                           "censored like the report"));
    if (m_setup.profile)
        chkInReport->setChecked(HistoryInReport(m_setup.profile->strSettingsFile));
    cmdWatch = new QPushButton(this);
    cmdWatch->setObjectName(QStringLiteral("cmdWatch"));
#ifdef QUORVANE_HISTORY_PLOT
    cmdExport = new QPushButton(QStringLiteral("&Export PNG..."), this);
#else
    cmdExport = new QPushButton(QStringLiteral("&Export CSV..."), this);
#endif
    cmdExport->setObjectName(QStringLiteral("cmdExport"));

    auto* row = new QHBoxLayout;
    for (QWidget* pWidget : std::initializer_list<QWidget*> { optHour, optDay, optWeek, optAll })
        row->addWidget(pWidget);
    row->addStretch();
    row->addWidget(chkInReport);
    row->addWidget(cmdWatch);
    row->addWidget(cmdExport);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(pView, 1);
    layout->addWidget(lblHistory);

    for (QRadioButton* pOption : { optHour, optDay, optWeek, optAll })
        connect(pOption, &QRadioButton::toggled, this, [this](bool blnOn) {
            if (blnOn)
                Reload();
        });
    connect(chkInReport, &QCheckBox::toggled, this, [this](bool blnOn) {
        if (m_setup.profile && !SetHistoryInReport(m_setup.profile->strSettingsFile, blnOn))
            lblHistory->setText(
                QStringLiteral("The choice could not be saved in %1").arg(m_setup.profile->strSettingsFile));
    });
    connect(cmdWatch, &QPushButton::clicked, this, [this] { Watching() ? StopWatching() : StartWatching(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] {
#ifdef QUORVANE_HISTORY_PLOT
        const QString strTitle = QStringLiteral("Export plot");
        const QString strName = QStringLiteral("history.png");
        const QString strFilter = QStringLiteral("PNG images (*.png)");
        const QString strFailed = QStringLiteral("The plot could not be saved as %1");
#else
        const QString strTitle = QStringLiteral("Export samples");
        const QString strName = QStringLiteral("history.csv");
        const QString strFilter = QStringLiteral("CSV files (*.csv)");
        const QString strFailed = QStringLiteral("The samples could not be saved as %1");
#endif
        const QString strFile = m_chooseExportFile
            ? m_chooseExportFile()
            : QFileDialog::getSaveFileName(this, strTitle, QDir(m_setup.strFolder).filePath(strName), strFilter);
        if (!strFile.isEmpty() && !Export(strFile))
            lblHistory->setText(strFailed.arg(strFile));
    });

    if (!m_store.Open(QDir(m_setup.strFolder).filePath(HistoryStore::FileName())))
        lblHistory->setText(m_store.ErrorText());
    // The window opens on the shortest range that holds every sample of the router.
    if (const QDateTime dtFirst = m_store.FirstSampleTime(Key()); dtFirst.isValid()) {
        const qint64 lngAge = dtFirst.secsTo(QDateTime::currentDateTimeUtc());
        (lngAge <= 3600               ? optHour
                : lngAge <= 86400     ? optDay
                : lngAge <= 7 * 86400 ? optWeek
                                      : optAll)
            ->setChecked(true);
    }
    UpdateWatchButton();
    Reload();
}

HistoryWindow::~HistoryWindow()
{
    if (m_sampler)
        m_sampler->SetEndedHandler({});
}

RouterKey HistoryWindow::Key() const
{
    return { m_setup.profile ? m_setup.profile->intRouterClass : 1,
        m_setup.login ? m_setup.login().strAddress : QString() };
}

QDateTime HistoryWindow::RangeStart() const
{
    const QDateTime dtNow = QDateTime::currentDateTimeUtc();
    if (optHour->isChecked())
        return dtNow.addSecs(-3600);
    if (optDay->isChecked())
        return dtNow.addDays(-1);
    if (optWeek->isChecked())
        return dtNow.addDays(-7);
    return QDateTime();
}

void HistoryWindow::Reload()
{
    const LineHistory history = m_store.Load(Key(), RangeStart());
#ifdef QUORVANE_HISTORY_PLOT
    QChart* old = m_chartView->chart();
    m_chartView->setChart(BuildHistoryChart(history, RangeStart(), QDateTime()));
    delete old;
#else
    // The newest samples first: a watch under way adds at the top, where the eye is.
    QStringList lines = FormatHistory(history, Key(), QStringLiteral("text"))
                            .remove(QLatin1Char('\r'))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString strHeading = lines.isEmpty() ? QString() : lines.takeFirst();
    std::reverse(lines.begin(), lines.end());
    m_txtHistory->setPlainText(QString(SummariseHistory(history)).remove(QLatin1Char('\r')) + QStringLiteral("\n\n")
        + strHeading + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
#endif
    if (!Watching() && m_store.IsOpen()) {
        const QString strSummary = SummariseHistory(history);
        lblHistory->setText(
            strSummary.section(QStringLiteral("\r\n"), 1, 2).replace(QStringLiteral("\r\n"), QStringLiteral(" - ")));
    }
}

bool HistoryWindow::Watching() const
{
    return m_sampler && m_sampler->Active();
}

void HistoryWindow::UpdateWatchButton()
{
    cmdWatch->setText(Watching() ? QStringLiteral("&Stop watching") : QStringLiteral("&Start watching"));
    cmdWatch->setEnabled(m_store.IsOpen() && m_setup.profile && m_setup.pages && m_setup.trace && m_setup.login);
}

void HistoryWindow::StartWatching()
{
    if (Watching() || !cmdWatch->isEnabled())
        return;
    // Checked as Go checks them, before anything is sent; a watch has no default gateway to fall
    // back on, it watches the router that is named.
    const RouterLogin login = m_setup.login();
    for (const QString& strProblem :
        { login.strAddress.isEmpty() ? QStringLiteral("Fill in the router's IP address to watch its line.")
                                     : CheckRouterAddress(login.strAddress),
            CheckRouterPort(login.strPort), m_setup.profile->PagePathProblem() }) {
        if (!strProblem.isEmpty()) {
            lblHistory->setText(strProblem);
            return;
        }
    }
    Reload();
    const QPointer<QLabel> label = lblHistory;
    m_sampler.reset();
    m_host = std::make_unique<WatchRunHost>(login, [label](const QString& strText) {
        if (label)
            label->setText(strText);
    });
    m_host->SetAppFolder(m_setup.strFolder);
    m_sampler = std::make_unique<LineSampler>(*m_host, *m_setup.profile, *m_setup.pages, *m_setup.trace, m_store);
    m_host->SetTimerHandler([this](RunTimer timer) { m_sampler->OnTimer(timer); });
    m_sampler->SetSampleHandler([this](const LineSample&, const std::optional<HistoryEvent>&) { Reload(); });
    m_sampler->SetWarningHandler([this](const QString& strWarning) { lblHistory->setText(strWarning); });
    m_sampler->SetEndedHandler([this](const QString& strReason) {
        UpdateWatchButton();
        if (!strReason.isEmpty())
            lblHistory->setText(strReason);
    });
    m_sampler->Start();
    UpdateWatchButton();
}

void HistoryWindow::StopWatching()
{
    if (m_sampler)
        m_sampler->Stop();
    UpdateWatchButton();
}

bool HistoryWindow::Export(const QString& strFile)
{
#ifdef QUORVANE_HISTORY_PLOT
    return m_chartView->grab().save(strFile, "PNG");
#else
    QSaveFile file(strFile);
    return file.open(QIODevice::WriteOnly)
        && file.write(FormatHistory(m_store.Load(Key(), RangeStart()), Key(), QStringLiteral("csv")).toUtf8()) >= 0
        && file.commit();
#endif
}

void HistoryWindow::EndWatching()
{
    if (!Watching())
        return;
    StopWatching();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (!Watching())
            loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(LineSampler::intLogoutWaitMs + 1000, &loop, &QEventLoop::quit);
    if (Watching())
        loop.exec();
}

void HistoryWindow::closeEvent(QCloseEvent* event)
{
    // The window is deleted once closed: the log-out must be over by then.
    EndWatching();
    event->accept();
}

void AttachHistoryWindow(QWidget* pWindow, QWidget* pAnchor, std::function<HistoryWindowSetup()> setup)
{
    auto* action = new QAction(QStringLiteral("Line &history..."), pWindow);
    action->setObjectName(QStringLiteral("actHistory"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    action->setShortcutContext(Qt::WindowShortcut);
    pWindow->addAction(action);
    if (pAnchor) {
        pAnchor->setContextMenuPolicy(Qt::ActionsContextMenu);
        pAnchor->addAction(action);
    }
    auto* open = new QPointer<HistoryWindow>;
    QObject::connect(action, &QAction::destroyed, [open] { delete open; });
    // Closing the main window ends a watch with its log-out before the history window goes with it.
    class CloseWatcher : public QObject
    {
    public:
        CloseWatcher(QObject* parent, QPointer<HistoryWindow>* open)
            : QObject(parent)
            , m_open(open)
        { }
        bool eventFilter(QObject* object, QEvent* event) override
        {
            if (event->type() == QEvent::Close && *m_open)
                (*m_open)->EndWatching();
            return QObject::eventFilter(object, event);
        }

    private:
        QPointer<HistoryWindow>* m_open;
    };
    pWindow->installEventFilter(new CloseWatcher(action, open));
    QObject::connect(action, &QAction::triggered, pWindow, [pWindow, setup, open] {
        if (!*open)
            *open = new HistoryWindow(setup(), pWindow);
        else if (!(*open)->Watching())
            (*open)->Reload(); // the fields may name another router by now
        (*open)->show();
        (*open)->raise();
        (*open)->activateWindow();
    });
}
