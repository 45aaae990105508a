#include "app/Form1.h"

#ifdef QUORVANE_HISTORY
#include "history/HistorySummary.h"
#include "history/view/HistoryWindow.h"
#endif

#include "app/AppArtwork.h"
#include "app/FormLayout.h"
#include "app/MessageDialog.h"
#include "app/PageView.h"
#include "app/ValueCheckBox.h"
#include "app/ViewedBrowser.h"
#include "app/WindowRunHost.h"
#include "browser/engine/BrowserEngine.h"
#include "config/AppInfo.h"
#include "config/IniFile.h"
#include "controls/OrloSimpleButton.h"
#include "controls/Twips.h"
#include "controls/vbkToolTip.h"
#include "dump/ClassIIDump.h"
#include "run/DiagnosticRun.h"
#include "run/RouterAddress.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>
#include <algorithm>

namespace
{
const QString CRLF = QStringLiteral("\r\n");

// The window's size, place and state, saved with the options in Settings.ini; sizes and places in
// twips, the state 0 (normal) or 2 (maximised).
const QString strPlacementSection = QStringLiteral("Options");
const QString strLeftKey = QStringLiteral("Window left");
const QString strTopKey = QStringLiteral("Window top");
const QString strWidthKey = QStringLiteral("Window width");
const QString strHeightKey = QStringLiteral("Window height");
const QString strStateKey = QStringLiteral("Window state");

// The space kept between a caption and the box it names, in pixels.
constexpr int pxCaptionGap = 3;

// The access key of each command: with Alt it clicks the command from anywhere in the window.
QChar AccessKeyFor(const QString& strButton)
{
    if (strButton == QLatin1String("cmdClassIIDump"))
        return QLatin1Char('D');
    if (strButton == QLatin1String("cmdOpen"))
        return QLatin1Char('O');
    return QLatin1Char('G');
}

// The room a caption's text has: up to a gap before the box it names.
int CaptionRoom(const QLabel* pLabel, const QWidget* pField)
{
    const int pxRight
        = pField ? qMin(pLabel->geometry().right(), pField->x() - pxCaptionGap - 1) : pLabel->geometry().right();
    return pxRight - pLabel->x() + 1;
}

void OpenInDesktopBrowser(const QString& strAddress)
{
    // An address that names no page opens nothing; the command gives no message either way.
    const QUrl url = QUrl::fromUserInput(strAddress);
    if (url.isValid() && !url.host().isEmpty())
        QDesktopServices::openUrl(url);
}

// The balloon of each command button: title, text and height in pixels (all are 150 wide).
struct ButtonTip
{
    QString strTitle;
    QString strText;
    int pxHeight;
};

// The style of the password box: the application's own, masking with "*".
class AsteriskMaskStyle : public QProxyStyle
{
public:
    explicit AsteriskMaskStyle(const QString& strBaseStyle)
        : QProxyStyle(strBaseStyle)
    { }

    int styleHint(
        StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The window as assistive technology sees it: a frame named by its caption (a plain widget would be
// a nameless "filler" there, which a screen reader does not announce as a window).
QAccessibleInterface* FormAccessibleFactory(const QString& strClassName, QObject* pObject)
{
    if (strClassName == QLatin1String("Form1") && pObject && pObject->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(pObject), QAccessible::Window);
    return nullptr;
}

ButtonTip TipFor(const QString& strButton)
{
    if (strButton == QLatin1String("cmdClassIIDump"))
        return { QStringLiteral("Perform data dump"),
            QStringLiteral("Extract data from the router and generate a report"), 60 };
    if (strButton == QLatin1String("cmdOpen"))
        return { QStringLiteral("Open router"),
            QStringLiteral("Open the router's web interface in the default browser"), 70 };
    return { QStringLiteral("Perform diagnostics"), QStringLiteral("Run the diagnostic and generate a report"), 60 };
}
} // namespace

Form1::Form1(Form1Setup setup, QWidget* parent)
    : QWidget(parent)
    , m_setup(std::move(setup))
    , m_profile(m_setup.defaults)
{
    setObjectName(QStringLiteral("Form1"));
    static const bool blnFactoryInstalled = [] {
        QAccessible::installFactory(FormAccessibleFactory);
        return true;
    }();
    Q_UNUSED(blnFactoryInstalled)
    if (!m_setup.opener)
        m_setup.opener = OpenInDesktopBrowser;

    BuildControls();
    ApplyLayout();

    m_host = new WindowRunHost(*this, this);
    if (m_setup.clock)
        m_host->SetClock(m_setup.clock);
    m_run = std::make_unique<DiagnosticRun>(*m_host, m_profile, m_pages, m_trace, m_vendors);
    m_dump = std::make_unique<ClassIIDump>(*m_run);
    m_host->SetTimerHandler([this](RunTimer timer) {
        ++m_intCommandDepth;
        m_run->OnTimer(timer);
        --m_intCommandDepth;
    });
    m_run->SetRunEndedHandler([this](RunOutcome outcome) {
        ShowCancelCommand(false);
        Q_EMIT RunEnded(outcome);
    });
    m_tip = new vbkToolTip(this);
    // The balloons read in the window's own face and size.
    m_tip->SetTipFont(font());

    // A session that ends without closing the window still saves the configuration.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { close(); });

    Load();
#ifdef QUORVANE_HISTORY
    // The line history opens from the status line's context menu (or Ctrl+H), beside the classic
    // layout rather than in it.
    // Reports end with the router's summary while the history window's check box says so.
    m_run->SetReportAppendix([this] {
        if (!HistoryInReport(m_profile.strSettingsFile))
            return QString();
        return ReportHistoryBlock(m_folder.strFolder, { m_profile.intRouterClass, FieldBox(RunField::Address)->text() },
            m_host->CheckValue(RunCheck::Censor));
    });
    AttachHistoryWindow(this, lblStat, [this] {
        return HistoryWindowSetup { m_folder.strFolder, &m_profile, &m_pages, &m_trace, [this] {
                                       return RouterLogin { FieldBox(RunField::Admin)->text(),
                                           FieldBox(RunField::Password)->text(), FieldBox(RunField::Address)->text(),
                                           FieldBox(RunField::Port)->text() };
                                   } };
    });
#endif
}

Form1::~Form1()
{
    // Nothing of a run may reach this window once it is gone.
    m_host->SetClosing();
    m_run->Abort();
}

QString Form1::StartupMessage()
{
    return QStringLiteral("Please select the type/class of router you have, fill in the details and then click on Go!")
        + CRLF + QStringLiteral("If you don't know what type of router you have, please visit ")
        + AppInfo::SupportSite();
}

QString Form1::UnsavedSettingsMessage(const QStringList& arrFiles)
{
    QString strText = QStringLiteral("The settings could not be saved to:") + CRLF;
    for (const QString& strFile : arrFiles)
        strText += QDir::toNativeSeparators(strFile) + CRLF;
    return strText + CRLF
        + QStringLiteral("The disk may be full or the folder read-only. These files keep their previous contents.");
}

QString Form1::UnsavedReportMessage(const QString& strFile)
{
    return QStringLiteral("The report could not be saved to:") + CRLF + QDir::toNativeSeparators(strFile) + CRLF + CRLF
        + QStringLiteral("The disk may be full or the folder read-only. The report is still in the window.");
}

QString Form1::AboutText()
{
    return QStringLiteral("Quorvane was created by Orlo at ") + AppInfo::SupportSite() + QStringLiteral(",") + CRLF
        + QStringLiteral("the technical support site for all things networking.") + CRLF + CRLF
        + QStringLiteral("Would you like to go there now?");
}

void Form1::BuildControls()
{
    setAutoFillBackground(true);
    QPalette palWhite = palette();
    palWhite.setColor(QPalette::Window, Qt::white);
    setPalette(palWhite);
    setWindowIcon(AppArtwork::AppIcon());

    using K = FormLayout::ControlKind;
    int intOption = 0;
    for (const FormLayout::ControlEntry& entry : FormLayout::Controls()) {
        QWidget* pWidget = nullptr;
        switch (entry.kind) {
        case K::Picture: {
            imgLogo = new QLabel(this);
            imgLogo->setPixmap(QPixmap::fromImage(AppArtwork::DrawBanner(imgLogo->devicePixelRatioF())));
            imgLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            imgLogo->setCursor(Qt::WhatsThisCursor);
            imgLogo->installEventFilter(this);
            imgLogo->setAccessibleName(AboutTitle());
            pWidget = imgLogo;
            break;
        }
        case K::Label: {
            auto* pLabel = new QLabel(entry.strCaption, this);
            // The captions left of the fields line up on their right edge; "Password:" does not. Each
            // reads on the line of its field's text (the layout gives it the margins for that).
            pLabel->setAlignment(
                (entry.strName == QLatin1String("Label1") ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            if (entry.strName == QLatin1String("Label1"))
                Label1 = pLabel;
            else if (entry.strName == QLatin1String("Label2"))
                Label2 = pLabel;
            else if (entry.strName == QLatin1String("Label3"))
                Label3 = pLabel;
            else
                Label9 = pLabel;
            pWidget = pLabel;
            break;
        }
        case K::TextBox: {
            auto* pEdit = new QLineEdit(entry.strCaption, this);
            if (entry.strName == QLatin1String("txtAdmin"))
                txtAdmin = pEdit;
            else if (entry.strName == QLatin1String("txtPass"))
                txtPass = pEdit;
            else if (entry.strName == QLatin1String("txtIP"))
                txtIP = pEdit;
            else
                txtPort = pEdit;
            pWidget = pEdit;
            break;
        }
        case K::CheckBox: {
            auto* pCheck = new ValueCheckBox(this);
            pCheck->setText(entry.strCaption);
            if (entry.strName == QLatin1String("chkMask"))
                chkMask = pCheck;
            else if (entry.strName == QLatin1String("chkPass"))
                chkPass = pCheck;
            else if (entry.strName == QLatin1String("chkIPConfig"))
                chkIPConfig = pCheck;
            else
                chkCensor = pCheck;
            pWidget = pCheck;
            break;
        }
        case K::OptionButton: {
            auto* pOption = new QRadioButton(entry.strCaption, this);
            optClass[intOption++] = pOption;
            pWidget = pOption;
            break;
        }
        case K::CommandButton: {
            auto* pButton = new OrloSimpleButton(this);
            pButton->setObjectName(entry.strName);
            pButton->SetCaption(entry.strCaption);
            pButton->SetNormalColour(0x00FFFFFF);
            pButton->SetHighlightColour(0x00FFC0C0);
            pButton->SetHoverColour(0x0080C0FF);
            pButton->SetPressedColour(0x00808080);
            pButton->SetBorderColour(0x00808080);
            pButton->SetResolution(75);
            pButton->installEventFilter(this);
            pButton->SetAccessKey(AccessKeyFor(entry.strName));
            connect(pButton, &OrloSimpleButton::MouseMove, this,
                [this, pButton](int x, int y) { ShowButtonTip(pButton, x, y); });
            if (entry.strName == QLatin1String("cmdGo"))
                cmdGo = pButton;
            else if (entry.strName == QLatin1String("cmdClassIIDump"))
                cmdClassIIDump = pButton;
            else
                cmdOpen = pButton;
            pWidget = pButton;
            break;
        }
        case K::ReportBox: {
            txtLog = new QPlainTextEdit(this);
            txtLog->setReadOnly(true);
            txtLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            txtLog->setLineWrapMode(QPlainTextEdit::NoWrap);
            txtLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            txtLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            txtLog->setAccessibleName(ReportBoxName());
            txtLog->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(txtLog, &QWidget::customContextMenuRequested, this, [this](const QPoint& ptAt) {
                QMenu* pMenu = CreateReportMenu();
                pMenu->setAttribute(Qt::WA_DeleteOnClose);
                pMenu->popup(txtLog->viewport()->mapToGlobal(ptAt));
            });
            pWidget = txtLog;
            break;
        }
        case K::StatusLine: {
            lblStat = new QLabel(this);
            lblStat->setTextFormat(Qt::PlainText);
            lblStat->setAutoFillBackground(true);
            QPalette palStatus = lblStat->palette();
            palStatus.setColor(QPalette::Window, Qt::white);
            palStatus.setColor(QPalette::WindowText, palStatus.color(QPalette::Active, QPalette::Text));
            lblStat->setPalette(palStatus);
            lblStat->installEventFilter(this);
            lblStat->setAccessibleName(StatusLineName());
            // The page of the run being read, at the right end of the status line.
            lblPageCount = new QLabel(lblStat);
            lblPageCount->setObjectName(QStringLiteral("lblPageCount"));
            lblPageCount->setTextFormat(Qt::PlainText);
            lblPageCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            lblPageCount->setAttribute(Qt::WA_TransparentForMouseEvents);
            lblPageCount->setAccessibleName(QStringLiteral("Page"));
            pWidget = lblStat;
            break;
        }
        case K::BrowserArea: {
            // The template browser's rectangle; the run's pages are shown over it.
            WebBrowser0 = new QWidget(this);
            WebBrowser0->setFocusPolicy(Qt::NoFocus);
            WebBrowser0->hide();
            pWidget = WebBrowser0;
            break;
        }
        }
        pWidget->setObjectName(entry.strName);
        if (!entry.strToolTip.isEmpty())
            pWidget->setToolTip(entry.strToolTip);
    }

    m_pBrowserView = new PageView(this);
    m_pBrowserView->setObjectName(QStringLiteral("WebBrowser1"));
    m_pBrowserView->hide();

    chkIPConfig->SetValue(1);
    optClass[0]->setChecked(true);
    cmdClassIIDump->hide();

    m_pClassGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i)
        m_pClassGroup->addButton(optClass[i], i);
    connect(m_pClassGroup, &QButtonGroup::idClicked, this, &Form1::SwitchClass);
    connect(m_pClassGroup, &QButtonGroup::idToggled, this, &Form1::UpdateClassTabStop);
    UpdateClassTabStop();

    // Masked with "*" rather than the style's own bullet; a style rather than a style sheet, which
    // would keep the box out of the window's font.
    auto* pMaskStyle = new AsteriskMaskStyle(txtPass->style()->name());
    pMaskStyle->setParent(txtPass);
    txtPass->setStyle(pMaskStyle);
    connect(chkMask, &ValueCheckBox::ValueChanged, this, &Form1::ApplyPasswordMask);

    connect(cmdGo, &OrloSimpleButton::ButtonClick, this, [this] {
        if (m_blnCancelCommand)
            CancelRun();
        else
            StartRun();
    });
    // Esc cancels a run or dump wherever the focus is in the window; a message box takes its own.
    auto* pCancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    pCancelKey->setObjectName(QStringLiteral("keyCancel"));
    connect(pCancelKey, &QShortcut::activated, this, &Form1::CancelRun);
    // Enter in the window presses Go.
    cmdGo->SetDefault(true);

    // The keyboard's ways to the report's file, the About box and the debug view.
    m_pSaveReport = new QAction(QStringLiteral("&Save report..."), this);
    m_pSaveReport->setObjectName(QStringLiteral("actSaveReport"));
    m_pSaveReport->setShortcut(QKeySequence::Save);
    m_pSaveReport->setShortcutContext(Qt::WindowShortcut);
    connect(m_pSaveReport, &QAction::triggered, this, &Form1::SaveReport);
    addAction(m_pSaveReport);
    auto* pAbout = new QAction(AboutTitle(), this);
    pAbout->setObjectName(QStringLiteral("actAbout"));
    pAbout->setShortcut(QKeySequence(Qt::Key_F1));
    pAbout->setShortcutContext(Qt::WindowShortcut);
    connect(pAbout, &QAction::triggered, this, &Form1::ShowAbout);
    addAction(pAbout);
    auto* pDebugView = new QAction(QStringLiteral("Debug view"), this);
    pDebugView->setObjectName(QStringLiteral("actDebugView"));
    pDebugView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    pDebugView->setShortcutContext(Qt::WindowShortcut);
    connect(pDebugView, &QAction::triggered, this, &Form1::ToggleDebugView);
    addAction(pDebugView);

    connect(cmdClassIIDump, &OrloSimpleButton::ButtonClick, this, &Form1::StartDataDump);
    connect(cmdOpen, &OrloSimpleButton::ButtonClick, this, &Form1::OpenRouter);
}

void Form1::ApplyLayout()
{
    m_intTwipsPerPixelX = Twips::TwipsPerPixelX(this);
    m_intTwipsPerPixelY = Twips::TwipsPerPixelY(this);

    QList<const FormLayout::ControlEntry*> tabOrder;
    for (const FormLayout::ControlEntry& entry : FormLayout::Controls()) {
        auto* pWidget = findChild<QWidget*>(entry.strName, Qt::FindDirectChildrenOnly);
        if (!pWidget)
            continue;
        pWidget->setGeometry(FormLayout::ToPixels(entry.rctTwips, m_intTwipsPerPixelX, m_intTwipsPerPixelY));
        if (entry.intTabIndex >= 0 && entry.kind != FormLayout::ControlKind::BrowserArea)
            tabOrder.append(&entry);
    }
    m_pBrowserView->setGeometry(WebBrowser0->geometry());
    m_rctLogDesign = txtLog->geometry();
    m_rctStatDesign = lblStat->geometry();
    m_rctBrowserDesign = WebBrowser0->geometry();
    m_rctCommandsDesign[0] = cmdGo->geometry();
    m_rctCommandsDesign[1] = cmdClassIIDump->geometry();
    m_rctCommandsDesign[2] = cmdOpen->geometry();
    FitFormFont();
    // The report in a fixed-pitch face, so that the columns and dot leaders of its listings line up.
    QFont fntReport = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fntReport.setStyleHint(QFont::TypeWriter);
    fntReport.setPointSizeF(font().pointSizeF());
    txtLog->setFont(fntReport);

    // A tick box or option button never shorter than the style's control: a shorter one would cut
    // its indicator off. It keeps its top and grows downwards.
    for (QAbstractButton* pButton : std::initializer_list<QAbstractButton*> {
             chkMask, chkPass, chkIPConfig, chkCensor, optClass[0], optClass[1], optClass[2] }) {
        const int pxNeeded = pButton->sizeHint().height();
        if (pButton->height() < pxNeeded)
            pButton->resize(pButton->width(), pxNeeded);
    }
    for (QLabel* pLabel : { Label1, Label2, Label3, Label9 }) {
        auto* pField
            = findChild<QLineEdit*>(FormLayout::FieldOfLabel(pLabel->objectName()), Qt::FindDirectChildrenOnly);
        if (!pField)
            continue;
        pLabel->setBuddy(pField);
        // The caption keeps clear of its box: its text ends a few pixels before the box begins.
        QMargins margins = FormLayout::CaptionMargins(pLabel->geometry(), pField->geometry());
        margins.setRight(qMax(0, pLabel->width() - CaptionRoom(pLabel, pField)));
        pLabel->setContentsMargins(margins);
    }

    std::stable_sort(
        tabOrder.begin(), tabOrder.end(), [](const FormLayout::ControlEntry* a, const FormLayout::ControlEntry* b) {
            return a->intTabIndex < b->intTabIndex;
        });
    QWidget* pPrevious = nullptr;
    for (const FormLayout::ControlEntry* entry : tabOrder) {
        auto* pWidget = findChild<QWidget*>(entry->strName, Qt::FindDirectChildrenOnly);
        if (pWidget->focusPolicy() == Qt::NoFocus)
            continue;
        if (pPrevious)
            setTabOrder(pPrevious, pWidget);
        pPrevious = pWidget;
    }

    const int pxWidth = Twips::TwipsToPixels(FormLayout::lngDesignWidth, m_intTwipsPerPixelX);
    const int pxHeight = Twips::TwipsToPixels(FormLayout::lngDesignHeight, m_intTwipsPerPixelY);
    resize(pxWidth, pxHeight);
}

void Form1::FitFormFont()
{
    // The design's captions were measured in a small 8-point face; desktop faces are often wider.
    // Take the largest size up to 8 points at which every caption fits the box it was given.
    QFont fntForm = font();
    for (double dblPoints = 8.0; dblPoints >= 6.0; dblPoints -= 0.5) {
        fntForm.setPointSizeF(dblPoints);
        setFont(fntForm);
        const QFontMetrics fm(fntForm);
        bool blnFits = true;
        for (QLabel* pLabel : { Label1, Label2, Label3, Label9 }) {
            const auto* pField
                = findChild<QWidget*>(FormLayout::FieldOfLabel(pLabel->objectName()), Qt::FindDirectChildrenOnly);
            blnFits &= fm.horizontalAdvance(pLabel->text()) <= CaptionRoom(pLabel, pField)
                && fm.height() <= pLabel->height();
        }
        for (QAbstractButton* pButton : std::initializer_list<QAbstractButton*> {
                 chkMask, chkPass, chkIPConfig, chkCensor, optClass[0], optClass[1], optClass[2] })
            blnFits &= pButton->sizeHint().width() <= pButton->width();
        for (QLineEdit* pEdit : { txtAdmin, txtPass, txtIP, txtPort })
            blnFits &= fm.height() + 4 <= pEdit->height();
        if (blnFits)
            return;
    }
}

void Form1::Load()
{
    setWindowTitle(BaseCaption() + QStringLiteral(" v") + AppInfo::VersionText());

    m_folder = ChooseDataFolder(
        m_setup.strAppFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_setup.strAppFolder,
        m_setup.strUserFolder.isEmpty() ? UserDataFolder() : m_setup.strUserFolder,
        m_setup.writable ? m_setup.writable : FolderWritable);
    m_profile.SetAppFolder(m_folder.strFolder);
    m_trace.strAppFolder = m_profile.strAppFolder;
    m_host->SetAppFolder(m_profile.strAppFolder);

    m_vendors.LoadVendorTable(m_profile.strAppFolder);

    // Values that a missing profile leaves alone are the ones the fields start with.
    StoreFieldsInProfile();
    m_profile.SelectAtStartup(m_pages);
    ShowProfileInFields();

    // Collapsed: the window ends just below the status line.
    lngCompactHeight = Twips::PixelsToTwips(lblStat->geometry().bottom() + 1, m_intTwipsPerPixelY);
    SetWindowHeight(lngCompactHeight);
    // Then the size and place it had when it was last closed.
    RestoreWindowPlacement();

    m_templateBrowser = std::make_unique<BrowserEngine>();
    m_templateBrowser->Navigate(QStringLiteral("about:blank"));

    // The message comes before the window is shown and is centred on it: on the middle of the
    // screen, where the window will appear, not on the corner where an unplaced window sits.
    if (!m_blnPlaced)
        CentreOnScreen();
    MessageDialog::Show(this, MessageDialog::Information, QString(), StartupMessage(), MessageDialog::Ok);
    // Said here, once: the settings that then cannot be saved on close are not reported again.
    if (!m_folder.blnWritable)
        WarnUnsaved(m_folder.WarningText());
}

void Form1::WarnUnsaved(const QString& strText)
{
    // On a full disk or in a folder that cannot be written every further save fails too: the user
    // is told once.
    if (m_blnUnsavedTold)
        return;
    m_blnUnsavedTold = true;
    MessageDialog::Show(this, MessageDialog::Exclamation, QString(), strText, MessageDialog::Ok);
}

void Form1::CentreOnScreen()
{
    if (QScreen* pScreen = screen()) {
        QRect rctFrame = frameGeometry();
        rctFrame.moveCenter(pScreen->availableGeometry().center());
        move(rctFrame.topLeft());
    }
}

void Form1::UpdateClassTabStop()
{
    // The class options are one group with one stop in the tab order: the selected option, as on
    // the desktop's own dialogs. The arrow keys move between them; the mouse reaches every one.
    for (QRadioButton* pOption : optClass)
        pOption->setFocusPolicy(pOption->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void Form1::SetWindowHeight(int lngTwips)
{
    setMinimumSize(MinimumWindowSize());
    resize(width(), Twips::TwipsToPixels(lngTwips, m_intTwipsPerPixelY));
    LayOutReportArea();
}

QSize Form1::MinimumWindowSize() const
{
    // The classic layout, collapsed or with the browser area uncovered.
    const int pxCompact = Twips::TwipsToPixels(lngCompactHeight, m_intTwipsPerPixelY);
    return QSize(Twips::TwipsToPixels(FormLayout::lngDesignWidth, m_intTwipsPerPixelX),
        pxCompact + (m_trace.blnDebugView ? m_rctBrowserDesign.height() : 0));
}

void Form1::LayOutReportArea()
{
    if (lngCompactHeight <= 0)
        return;
    const QSize szMinimum = MinimumWindowSize();
    const int pxWider = qMax(0, width() - szMinimum.width());
    const int pxTaller = qMax(0, height() - szMinimum.height());
    // Collapsed, the report box takes all the height; with the browser area showing, the two share it.
    const int pxReportTaller = m_trace.blnDebugView ? pxTaller / 2 : pxTaller;
    const int pxBrowserTaller = m_trace.blnDebugView ? pxTaller - pxReportTaller : 0;

    txtLog->setGeometry(m_rctLogDesign.adjusted(0, 0, pxWider, pxReportTaller));
    lblStat->setGeometry(m_rctStatDesign.translated(0, pxReportTaller).adjusted(0, 0, pxWider, 0));
    lblPageCount->setGeometry(lblStat->rect().adjusted(0, 0, -pxCaptionGap, 0));
    WebBrowser0->setGeometry(m_rctBrowserDesign.translated(0, pxReportTaller).adjusted(0, 0, pxWider, pxBrowserTaller));
    m_pBrowserView->setGeometry(WebBrowser0->geometry());
    OrloSimpleButton* arrCommands[] = { cmdGo, cmdClassIIDump, cmdOpen };
    for (int i = 0; i < 3; ++i)
        arrCommands[i]->setGeometry(m_rctCommandsDesign[i].translated(pxWider, 0));
}

void Form1::RestoreWindowPlacement()
{
    const QString& strFile = m_profile.strSettingsFile;
    const auto readTwips = [&strFile](const QString& strKey, bool* pblnOk) {
        return ReadIni(strPlacementSection, strKey, strFile).trimmed().toInt(pblnOk);
    };
    bool blnWidth = false;
    bool blnHeight = false;
    const int lngWidth = readTwips(strWidthKey, &blnWidth);
    const int lngHeight = readTwips(strHeightKey, &blnHeight);
    if (!blnWidth || !blnHeight || lngWidth <= 0 || lngHeight <= 0)
        return;
    QSize szWindow(
        Twips::TwipsToPixels(lngWidth, m_intTwipsPerPixelX), Twips::TwipsToPixels(lngHeight, m_intTwipsPerPixelY));
    szWindow = szWindow.expandedTo(MinimumWindowSize());
    if (QScreen* pScreen = screen())
        szWindow = szWindow.boundedTo(pScreen->availableGeometry().size()).expandedTo(MinimumWindowSize());
    resize(szWindow);
    LayOutReportArea();

    // The place only when the window would stand on a screen there (screens come and go). A
    // window saved on a larger screen, or at a smaller scale, is moved back just far enough to lie
    // wholly on it.
    bool blnLeft = false;
    bool blnTop = false;
    const int lngLeft = readTwips(strLeftKey, &blnLeft);
    const int lngTop = readTwips(strTopKey, &blnTop);
    if (blnLeft && blnTop) {
        QRect rctPlace(QPoint(Twips::TwipsToPixels(lngLeft, m_intTwipsPerPixelX),
                           Twips::TwipsToPixels(lngTop, m_intTwipsPerPixelY)),
            szWindow);
        QScreen* pScreen = QGuiApplication::screenAt(rctPlace.topLeft());
        if (pScreen && pScreen->availableGeometry().contains(rctPlace.topLeft())) {
            const QRect rctRoom = pScreen->availableGeometry();
            rctPlace.setSize(rctPlace.size().boundedTo(rctRoom.size()).expandedTo(MinimumWindowSize()));
            rctPlace.moveRight(qMin(rctPlace.right(), rctRoom.right()));
            rctPlace.moveBottom(qMin(rctPlace.bottom(), rctRoom.bottom()));
            rctPlace.moveLeft(qMax(rctPlace.left(), rctRoom.left()));
            rctPlace.moveTop(qMax(rctPlace.top(), rctRoom.top()));
            setGeometry(rctPlace);
            m_blnPlaced = true;
        }
    }
    if (ReadIni(strPlacementSection, strStateKey, strFile).trimmed() == QLatin1String("2"))
        setWindowState(windowState() | Qt::WindowMaximized);
}

QStringList Form1::SaveWindowPlacement() const
{
    const bool blnMaximised = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    QRect rctNormal = blnMaximised && normalGeometry().isValid() ? normalGeometry() : geometry();
    // Saved as the collapsed window; the debug view is off at every start.
    if (m_trace.blnDebugView && !blnMaximised)
        rctNormal.setHeight(rctNormal.height() - m_rctBrowserDesign.height());
    const QList<QPair<QString, QString>> values = {
        { strLeftKey, QString::number(Twips::PixelsToTwips(rctNormal.x(), m_intTwipsPerPixelX)) },
        { strTopKey, QString::number(Twips::PixelsToTwips(rctNormal.y(), m_intTwipsPerPixelY)) },
        { strWidthKey, QString::number(Twips::PixelsToTwips(rctNormal.width(), m_intTwipsPerPixelX)) },
        { strHeightKey, QString::number(Twips::PixelsToTwips(rctNormal.height(), m_intTwipsPerPixelY)) },
        { strStateKey, QString::number(blnMaximised ? 2 : 0) },
    };
    for (const auto& value : values) {
        if (WriteIni(strPlacementSection, value.first, value.second, m_profile.strSettingsFile) == 0)
            return { m_profile.strSettingsFile };
    }
    return {};
}

void Form1::UpdateBanner()
{
    const qreal dblRatio = imgLogo->devicePixelRatioF();
    if (!imgLogo->pixmap().isNull() && qFuzzyCompare(imgLogo->pixmap().devicePixelRatio(), dblRatio))
        return;
    imgLogo->setPixmap(QPixmap::fromImage(AppArtwork::DrawBanner(dblRatio)));
}

void Form1::StoreFieldsInProfile()
{
    m_profile.strAdmin = txtAdmin->text();
    m_profile.strPort = txtPort->text();
    m_profile.strPassword = txtPass->text();
    m_profile.strRouterIP = txtIP->text();
    m_profile.intSavePassword = chkPass->Value();
    m_profile.intHidePassword = chkMask->Value();
    m_profile.intCensor = chkCensor->Value();
    m_profile.intIPConfig = chkIPConfig->Value();
}

void Form1::ShowProfileInFields()
{
    txtAdmin->setText(m_profile.strAdmin);
    txtPort->setText(m_profile.strPort);
    txtPass->setText(m_profile.strPassword);
    txtIP->setText(m_profile.strRouterIP);
    chkPass->SetValue(m_profile.intSavePassword);
    chkMask->SetValue(m_profile.intHidePassword);
    chkCensor->SetValue(m_profile.intCensor);
    chkIPConfig->SetValue(m_profile.intIPConfig);
    if (m_profile.intSelectedOption >= 0 && m_profile.intSelectedOption < 3)
        optClass[m_profile.intSelectedOption]->setChecked(true);
    cmdClassIIDump->setVisible(m_profile.blnDumpVisible);
    // The box may already have held this value, which raises no change.
    ApplyPasswordMask();
}

void Form1::SwitchClass(int intIndex)
{
    if (intIndex < 0 || intIndex > 2)
        return;
    StoreFieldsInProfile();
    m_profile.SwitchClass(intIndex, m_pages);
    ShowProfileInFields();
}

void Form1::ApplyPasswordMask()
{
    txtPass->setEchoMode(chkMask->Value() == 1 ? QLineEdit::Password : QLineEdit::Normal);
}

bool Form1::RouterFieldsUsable(bool blnWithPort)
{
    QString strProblem = CheckRouterAddress(txtIP->text());
    if (strProblem.isEmpty() && blnWithPort)
        strProblem = CheckRouterPort(txtPort->text());
    // The commands that visit the router's pages refuse a profile that would send them elsewhere.
    if (strProblem.isEmpty() && blnWithPort)
        strProblem = m_profile.PagePathProblem();
    if (strProblem.isEmpty())
        return true;
    MessageDialog::Show(this, MessageDialog::Exclamation, QString(), strProblem, MessageDialog::Ok);
    return false;
}

void Form1::OpenRouter()
{
    if (!RouterFieldsUsable(false))
        return;
    m_setup.opener(QStringLiteral("http://") + txtIP->text());
}

void Form1::ShowAbout()
{
    const int intAnswer = MessageDialog::Show(
        this, MessageDialog::NoIcon, AboutTitle(), AboutText(), MessageDialog::Yes | MessageDialog::No);
    if (intAnswer == MessageDialog::Yes)
        m_setup.opener(AppInfo::SupportSite());
}

void Form1::ToggleDebugView()
{
    // The window grows or shrinks by the browser area below the status line; a maximised window
    // keeps its size and shares it out anew.
    const bool blnResizes = !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    const int pxBrowser = m_rctBrowserDesign.height();
    if (m_trace.blnDebugView) {
        m_trace.blnDebugView = false;
        setMinimumSize(MinimumWindowSize());
        if (blnResizes)
            resize(width(), height() - pxBrowser);
    } else {
        m_trace.blnDebugView = true;
        if (blnResizes)
            resize(width(), height() + pxBrowser);
        setMinimumSize(MinimumWindowSize());
        if (const ViewedBrowser* pBrowser = m_host->CurrentBrowser())
            m_pBrowserView->ShowPage(pBrowser->Engine());
    }
    LayOutReportArea();
}

void Form1::ShowButtonTip(OrloSimpleButton* pButton, int pxX, int pxY)
{
    const ButtonTip tip = pButton == cmdGo && m_blnCancelCommand ? ButtonTip { QStringLiteral("Cancel"),
        QStringLiteral("Stop the run, log out of the router and show what was gathered"), 60 }
                                                                 : TipFor(pButton->objectName());
    const int intFactor = pButton->TwipsPerPixel();
    // Every button names the Go button as the owner, so the three share one key.
    m_tip->Fire(cmdGo, Twips::PixelsToTwips(pxX, intFactor), Twips::PixelsToTwips(pxY, intFactor), tip.strTitle,
        tip.strText, 150, tip.pxHeight);
}

bool Form1::RefuseCommand()
{
    if (m_blnClosing)
        return true;
    // One run or dump at a time; the dump leaves the commands enabled while it logs in.
    if (!m_run->RunActive())
        return false;
    lblStat->setText(BusyStatus());
    return true;
}

void Form1::StartRun()
{
    if (RefuseCommand() || !RouterFieldsUsable(true))
        return;
    ++m_intCommandDepth;
    // The capture and the pings of the run's start can be cancelled too.
    ShowCancelCommand(true);
    m_run->Go();
    if (!m_run->RunActive())
        ShowCancelCommand(false);
    --m_intCommandDepth;
}

void Form1::StartDataDump()
{
    if (RefuseCommand() || !RouterFieldsUsable(true))
        return;
    ++m_intCommandDepth;
    ShowCancelCommand(true);
    m_dump->Start();
    if (!m_run->RunActive())
        ShowCancelCommand(false);
    --m_intCommandDepth;
}

void Form1::CancelRun()
{
    if (m_blnClosing || !m_run->RunActive())
        return;
    ++m_intCommandDepth;
    m_run->Cancel();
    --m_intCommandDepth;
}

void Form1::ShowCancelCommand(bool blnCancel)
{
    m_blnCancelCommand = blnCancel;
    cmdGo->SetCaption(blnCancel ? CancelCaption() : QStringLiteral("Go"));
    cmdGo->SetEnable(blnCancel || m_blnControlsEnabled);
    // The button shows a new caption only when its face is drawn again.
    cmdGo->Refresh();
    // Enter in a field starts a run; it never cancels one.
    cmdGo->SetDefault(!blnCancel);
}

void Form1::SaveReport()
{
    const QString strReport = m_host->ReportText();
    if (strReport.isEmpty() || txtLog->toPlainText().isEmpty() || !txtLog->isEnabled())
        return;
    QString strFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (strFolder.isEmpty())
        strFolder = QDir::homePath();
    const QString strSuggested = QDir(strFolder).filePath(QStringLiteral("Quorvane report.txt"));
    const QString strFile = MessageDialog::AskSaveFileName(
        this, SaveReportTitle(), strSuggested, QStringLiteral("Text files (*.txt);;All files (*)"));
    if (strFile.isEmpty())
        return;
    // The text exactly as the clipboard gets it, line ends included.
    QSaveFile file(strFile);
    const QByteArray bytReport = strReport.toUtf8();
    const bool blnSaved = file.open(QIODevice::WriteOnly) && file.write(bytReport) == bytReport.size() && file.commit();
    if (!blnSaved)
        MessageDialog::Show(
            this, MessageDialog::Exclamation, QString(), UnsavedReportMessage(strFile), MessageDialog::Ok);
}

QMenu* Form1::CreateReportMenu()
{
    QMenu* pMenu = txtLog->createStandardContextMenu();
    pMenu->setObjectName(QStringLiteral("mnuReport"));
    pMenu->addSeparator();
    pMenu->addAction(m_pSaveReport);
    m_pSaveReport->setEnabled(txtLog->isEnabled() && !txtLog->toPlainText().isEmpty());
    connect(pMenu, &QMenu::aboutToHide, m_pSaveReport, [pAction = m_pSaveReport] { pAction->setEnabled(true); });
    return pMenu;
}

void Form1::ShowPageProgress(int intPage, int intPages)
{
    if (intPages <= 0 || intPage <= 0) {
        intPage = 0;
        intPages = 0;
        lblPageCount->clear();
    } else {
        lblPageCount->setText(QString::number(intPage) + QStringLiteral(" of ") + QString::number(intPages));
    }
    Q_EMIT PageProgressShown(intPage, intPages);
}

void Form1::SetControlsEnabled(bool blnEnabled)
{
    QWidget* pFocus = QApplication::focusWidget();
    if (!blnEnabled) {
        // A control that is about to be disabled would hand the focus on to the next one in the tab
        // order - a text box, with its text selected for overwriting. The window holds the focus
        // instead until the run is over.
        m_pRunFocus = pFocus && pFocus->window() == this ? pFocus : nullptr;
        m_blnFocusParked = false;
        if (pFocus && pFocus->window() == this && !qobject_cast<QLineEdit*>(pFocus)) {
            setFocus(Qt::OtherFocusReason);
            m_blnFocusParked = true;
        }
    }
    for (QLineEdit* pEdit : { txtAdmin, txtPass, txtIP, txtPort })
        pEdit->setReadOnly(!blnEnabled);
    for (QRadioButton* pOption : optClass)
        pOption->setEnabled(blnEnabled);
    for (ValueCheckBox* pCheck : { chkMask, chkPass, chkIPConfig, chkCensor })
        pCheck->setEnabled(blnEnabled);
    for (OrloSimpleButton* pButton : { cmdClassIIDump, cmdOpen })
        pButton->SetEnable(blnEnabled);
    // While a run is under way the Go button is its cancel command, and stays enabled.
    m_blnControlsEnabled = blnEnabled;
    cmdGo->SetEnable(blnEnabled || m_blnCancelCommand);
    txtLog->setEnabled(blnEnabled);
    if (blnEnabled) {
        // The controls come back only when a run or dump has ended, before its closing message: Go
        // is Go again behind that message.
        if (m_blnCancelCommand)
            ShowCancelCommand(false);
        ShowPageProgress(0, 0);
        // Back to the control that started the run, unless the user has put the focus elsewhere.
        QWidget* pNow = QApplication::focusWidget();
        const bool blnStillParked = pNow == this || (!pNow && m_blnFocusParked);
        if (blnStillParked && m_pRunFocus && m_pRunFocus->isEnabled() && m_pRunFocus->isVisible())
            m_pRunFocus->setFocus(Qt::OtherFocusReason);
        m_blnFocusParked = false;
    }
}

bool Form1::RunCodeRunning() const
{
    const ViewedBrowser* pBrowser = m_host->CurrentBrowser();
    return m_intCommandDepth > 0 || (pBrowser && pBrowser->HandlersRunning() > 0);
}

QLineEdit* Form1::FieldBox(RunField field) const
{
    switch (field) {
    case RunField::Admin:
        return txtAdmin;
    case RunField::Password:
        return txtPass;
    case RunField::Address:
        return txtIP;
    case RunField::Port:
        return txtPort;
    }
    return txtIP;
}

ValueCheckBox* Form1::CheckBox(RunCheck check) const
{
    switch (check) {
    case RunCheck::HidePassword:
        return chkMask;
    case RunCheck::SavePassword:
        return chkPass;
    case RunCheck::IPConfig:
        return chkIPConfig;
    case RunCheck::Censor:
        return chkCensor;
    }
    return chkMask;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!m_blnClosing) {
        m_blnClosing = true;
        StoreFieldsInProfile();
        QStringList arrUnsaved = m_profile.SaveOnClose();
        for (const QString& strFile : SaveWindowPlacement()) {
            if (!arrUnsaved.contains(strFile))
                arrUnsaved.append(strFile);
        }
        if (!arrUnsaved.isEmpty())
            WarnUnsaved(UnsavedSettingsMessage(arrUnsaved));
        // A run under way ends here: its waits return, and nothing more reaches the router.
        m_host->SetClosing();
        m_run->Abort();
        m_tip->UnloadTip();
    }
    event->accept();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    UpdateBanner();
    if (m_blnCentred)
        return;
    m_blnCentred = true;
    // Once more now that the window may have its frame.
    if (!m_blnPlaced)
        CentreOnScreen();
    txtLog->setFocus();
    // Shown after the start-up message, the window takes the keyboard itself.
    activateWindow();
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOutReportArea();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    // Go is the default button: Enter that no control has taken starts the run.
    const bool blnPlain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (blnPlain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        if (!event->isAutoRepeat() && cmdGo->Enable() && cmdGo->IsDefault())
            cmdGo->Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgLogo && event->type() == QEvent::Paint)
        UpdateBanner();
    if (watched == lblStat && event->type() == QEvent::MouseButtonDblClick) {
        ToggleDebugView();
        return true;
    }
    if (watched == imgLogo && event->type() == QEvent::MouseButtonRelease) {
        const auto* pMouse = static_cast<QMouseEvent*>(event);
        if (pMouse->button() == Qt::LeftButton && imgLogo->rect().contains(pMouse->position().toPoint()))
            ShowAbout();
        return true;
    }
    // The buttons' tips are the balloons; the ordinary tooltip would show a second one.
    if (event->type() == QEvent::ToolTip && (watched == cmdGo || watched == cmdClassIIDump || watched == cmdOpen))
        return true;
    return QWidget::eventFilter(watched, event);
}
