#include "app/Form1.h"

#ifdef QUORVANE_HISTORY
#include "history/view/HistoryWindow.h"
#endif

#include "app/AppArtwork.h"
#include "app/FormLayout.h"
#include "app/MessageDialog.h"
#include "app/PageView.h"
#include "app/ValueCheckBox.h"
#include "app/ViewedBrowser.h"
#include "app/WindowRunHost.h"
#include "browser/BrowserEngine.h"
#include "config/AppInfo.h"
#include "controls/OrloSimpleButton.h"
#include "controls/Twips.h"
#include "controls/vbkToolTip.h"
#include "dump/ClassIIDump.h"
#include "run/DiagnosticRun.h"
#include "run/RouterAddress.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <algorithm>

namespace
{
const QString CRLF = QStringLiteral("\r\n");

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
    m_run->SetRunEndedHandler([this](RunOutcome outcome) { Q_EMIT RunEnded(outcome); });
    m_tip = new vbkToolTip(this);

    // A session that ends without closing the window still saves the configuration.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { close(); });

    Load();
#ifdef QUORVANE_HISTORY
    // The line history opens from the status line's context menu (or Ctrl+H), beside the classic
    // layout rather than in it.
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
            imgLogo->setPixmap(QPixmap::fromImage(AppArtwork::DrawBanner()));
            imgLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            imgLogo->setCursor(Qt::WhatsThisCursor);
            imgLogo->installEventFilter(this);
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

    connect(cmdGo, &OrloSimpleButton::ButtonClick, this, &Form1::StartRun);
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
    FitFormFont();

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
        pLabel->setContentsMargins(FormLayout::CaptionMargins(pLabel->geometry(), pField->geometry()));
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
    setFixedSize(pxWidth, pxHeight);
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
        for (QLabel* pLabel : { Label1, Label2, Label3, Label9 })
            blnFits &= fm.horizontalAdvance(pLabel->text()) <= pLabel->width() && fm.height() <= pLabel->height();
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

    m_templateBrowser = std::make_unique<BrowserEngine>();
    m_templateBrowser->Navigate(QStringLiteral("about:blank"));

    // The message comes before the window is shown and is centred on it: on the middle of the
    // screen, where the window will appear, not on the corner where an unplaced window sits.
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
    setFixedSize(width(), Twips::TwipsToPixels(lngTwips, m_intTwipsPerPixelY));
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
    if (m_trace.blnDebugView) {
        m_trace.blnDebugView = false;
        SetWindowHeight(lngCompactHeight);
    } else {
        m_trace.blnDebugView = true;
        SetWindowHeight(lngCompactHeight + Twips::PixelsToTwips(WebBrowser0->height(), m_intTwipsPerPixelY));
        if (const ViewedBrowser* pBrowser = m_host->CurrentBrowser())
            m_pBrowserView->ShowPage(pBrowser->Engine());
    }
}

void Form1::ShowButtonTip(OrloSimpleButton* pButton, int pxX, int pxY)
{
    const ButtonTip tip = TipFor(pButton->objectName());
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
    m_run->Go();
    --m_intCommandDepth;
}

void Form1::StartDataDump()
{
    if (RefuseCommand() || !RouterFieldsUsable(true))
        return;
    ++m_intCommandDepth;
    m_dump->Start();
    --m_intCommandDepth;
}

void Form1::SetControlsEnabled(bool blnEnabled)
{
    for (QLineEdit* pEdit : { txtAdmin, txtPass, txtIP, txtPort })
        pEdit->setReadOnly(!blnEnabled);
    for (QRadioButton* pOption : optClass)
        pOption->setEnabled(blnEnabled);
    for (ValueCheckBox* pCheck : { chkMask, chkPass, chkIPConfig, chkCensor })
        pCheck->setEnabled(blnEnabled);
    for (OrloSimpleButton* pButton : { cmdGo, cmdClassIIDump, cmdOpen })
        pButton->SetEnable(blnEnabled);
    txtLog->setEnabled(blnEnabled);
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
        const QStringList arrUnsaved = m_profile.SaveOnClose();
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
    if (m_blnCentred)
        return;
    m_blnCentred = true;
    // Once more now that the window may have its frame.
    CentreOnScreen();
    txtLog->setFocus();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
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
