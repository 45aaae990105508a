#include "app/AppFixture.h"
#include "app/FormLayout.h"
#include "app/PageView.h"
#include "app/ValueCheckBox.h"
#include "app/WindowRunHost.h"
#include "config/IniFile.h"
#include "controls/OrloSimpleButton.h"
#include "controls/Twips.h"
#include "controls/vbkToolTip.h"
#include "run/DiagnosticRun.h"
#include "support/SkipTest.h"
#include "support/TestRegistry.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtMath>

namespace
{
const QString strStartupText
    = QStringLiteral("Please select the type/class of router you have, fill in the details and then click on Go!\r\n"
                     "If you don't know what type of router you have, please visit www.quorvane.example");
const QString strAboutText = QStringLiteral("Quorvane was created by Orlo at www.quorvane.example,\r\n"
                                            "the technical support site for all things networking.\r\n"
                                            "\r\n"
                                            "Would you like to go there now?");

QString CaptionOf(QWidget* pWidget)
{
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
        return pLabel->text();
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        return pButton->text();
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        return pEdit->text();
    if (auto* pButton = qobject_cast<OrloSimpleButton*>(pWidget))
        return pButton->Caption();
    return QString();
}

// First and last rows of dark (text) pixels of a window picture inside a rectangle of the window,
// in the picture's own pixels (-1, -1 when there are none).
QPair<int, int> InkRows(const QImage& imgWindow, const QRect& rctWindow)
{
    const qreal dblRatio = imgWindow.devicePixelRatio();
    const QRect rctArea(
        (QPointF(rctWindow.topLeft()) * dblRatio).toPoint(), (QPointF(rctWindow.bottomRight()) * dblRatio).toPoint());
    QPair<int, int> rows(-1, -1);
    for (int y = rctArea.top(); y <= rctArea.bottom(); ++y) {
        for (int x = rctArea.left(); x <= rctArea.right(); ++x) {
            if (qGray(imgWindow.pixel(x, y)) < 110) {
                if (rows.first < 0)
                    rows.first = y;
                rows.second = y;
                break;
            }
        }
    }
    return rows;
}

// The last column of dark (text) pixels of a window picture inside a rectangle of the window, in
// the window's own pixels (-1 when there are none).
int InkRight(const QImage& imgWindow, const QRect& rctWindow)
{
    const qreal dblRatio = imgWindow.devicePixelRatio();
    const QRect rctArea(
        (QPointF(rctWindow.topLeft()) * dblRatio).toPoint(), (QPointF(rctWindow.bottomRight()) * dblRatio).toPoint());
    for (int x = rctArea.right(); x >= rctArea.left(); --x) {
        for (int y = rctArea.top(); y <= rctArea.bottom(); ++y) {
            if (qGray(imgWindow.pixel(x, y)) < 110)
                return qFloor(x / dblRatio);
        }
    }
    return -1;
}

// The accessible object of a window's tree whose name is strName, searched depth first.
QAccessibleInterface* FindAccessible(QAccessibleInterface* pIface, const QString& strName)
{
    if (!pIface)
        return nullptr;
    if (pIface->text(QAccessible::Name) == strName)
        return pIface;
    for (int i = 0; i < pIface->childCount(); ++i) {
        if (QAccessibleInterface* pFound = FindAccessible(pIface->child(i), strName))
            return pFound;
    }
    return nullptr;
}

// The names of the widgets that hold the focus, pressing Tab after each.
QStringList TabStops(int intCount)
{
    QStringList lstStops;
    for (int i = 0; i < intCount && QApplication::focusWidget(); ++i) {
        lstStops << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return lstStops;
}
} // namespace

// The main window outside a run: start-up, layout, class switch, masking, the commands that need
// no router, the debug view, the button tips, locking and saving on close.
class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartWithoutFilesShowsTheHintBeforeTheWindow()
    {
        AppFixture f;
        QList<MessageDialog::Record> boxes;
        int pxHeightAtMessage = -1;
        MessageDialog::SetAnswerHandler([&](const MessageDialog::Record& record) {
            boxes.append(record);
            pxHeightAtMessage = record.pParent ? record.pParent->height() : -1;
            return int(MessageDialog::Ok);
        });
        Form1& form = f.Open();

        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).icon, MessageDialog::Information);
        QCOMPARE(boxes.at(0).strTitle, QStringLiteral("Quorvane"));
        QCOMPARE(boxes.at(0).strText, strStartupText);
        QCOMPARE(boxes.at(0).intButtons, int(MessageDialog::Ok));
        QCOMPARE(boxes.at(0).pParent, &form);
        QVERIFY(!boxes.at(0).blnParentVisible);

        QCOMPARE(form.windowTitle(), QStringLiteral("Quorvane - by Orlo v1.3.3"));
        QVERIFY(f.Find<QRadioButton>("optClass0")->isChecked());
        QVERIFY(f.Find<OrloSimpleButton>("cmdClassIIDump")->isHidden());
        QCOMPARE(f.Find<QLineEdit>("txtAdmin")->text(), QStringLiteral("admin"));
        QCOMPARE(f.Find<QLineEdit>("txtPort")->text(), QStringLiteral("80"));
        QVERIFY(f.Find<QLineEdit>("txtIP")->text().isEmpty());
        QVERIFY(f.Find<QLineEdit>("txtPass")->text().isEmpty());
        QCOMPARE(f.Find<ValueCheckBox>("chkMask")->Value(), 1);
        QCOMPARE(f.Find<ValueCheckBox>("chkCensor")->Value(), 1);
        QCOMPARE(f.Find<ValueCheckBox>("chkPass")->Value(), 0);
        QCOMPARE(f.Find<ValueCheckBox>("chkIPConfig")->Value(), 1);
        QCOMPARE(f.Find<QLineEdit>("txtPass")->echoMode(), QLineEdit::Password);
        QCOMPARE(form.Profile().intRouterClass, 1);
        QVERIFY(form.Profile().strLoginPage.isEmpty());

        // Collapsed before the message: the window ends just below the status line.
        const QLabel* pStatus = f.Find<QLabel>("lblStat");
        QCOMPARE(pxHeightAtMessage, pStatus->geometry().bottom() + 1);
        QCOMPARE(form.height(), pStatus->geometry().bottom() + 1);
        QCOMPARE(form.CompactHeight(), Twips::PixelsToTwips(form.height(), form.TwipsPerPixelY()));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(pStatus->palette().color(QPalette::Window), QColor(Qt::white));

        const QList<QSize> iconSizes = form.windowIcon().availableSizes();
        for (int intSize : { 16, 32, 48 })
            QVERIFY(iconSizes.contains(QSize(intSize, intSize)));
        QTRY_COMPARE(form.TemplateBrowser().CurrentUrl(), QStringLiteral("about:blank"));
        // Nothing was written by starting.
        QVERIFY(!QFile::exists(f.FilePath(QStringLiteral("Settings.ini"))));
        QVERIFY(!QFile::exists(f.FilePath(QStringLiteral("log.txt"))));
    }

    void everyControlStandsWhereTheDesignPutsIt()
    {
        AppFixture f;
        Form1& form = f.Open();
        const int intX = Twips::TwipsPerPixelX(&form);
        const int intY = Twips::TwipsPerPixelY(&form);
        QCOMPARE(form.width(), Twips::TwipsToPixels(7740, intX));
        for (const FormLayout::ControlEntry& entry : FormLayout::Controls()) {
            QWidget* pWidget = f.Find<QWidget>(qPrintable(entry.strName));
            QVERIFY2(pWidget, qPrintable(entry.strName));
            QRect rctDesign = FormLayout::ToPixels(entry.rctTwips, intX, intY);
            if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
                // A tick box or option button shorter than the style's control grows downwards, so
                // that its indicator is not cut off.
                rctDesign.setHeight(qMax(rctDesign.height(), pButton->sizeHint().height()));
                QStyleOptionButton option;
                option.initFrom(pButton);
                const QRect rctIndicator = pButton->style()->subElementRect(
                    qobject_cast<QCheckBox*>(pButton) ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator,
                    &option, pButton);
                QVERIFY2(pButton->rect().contains(rctIndicator), qPrintable(entry.strName));
            }
            QCOMPARE(pWidget->geometry(), rctDesign);
            QCOMPARE(pWidget->toolTip(), entry.strToolTip);
            if (entry.kind != FormLayout::ControlKind::TextBox)
                QCOMPARE(CaptionOf(pWidget), entry.strCaption);
        }
        QCOMPARE(f.Find<QLabel>("imgLogo")->cursor().shape(), Qt::WhatsThisCursor);
        QCOMPARE(f.Find<QLabel>("Label2")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(f.Find<QLabel>("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        // Every text box writes in the window's font, the password box too.
        for (const char* strName : { "txtAdmin", "txtPass", "txtIP", "txtPort" })
            QCOMPARE(QFontInfo(f.Find<QLineEdit>(strName)->font()).pixelSize(), QFontInfo(form.font()).pixelSize());

        auto* pReport = f.Find<QPlainTextEdit>("txtLog");
        // A fixed-pitch face at the window's size, so that the listing's dot leaders line up. Wine's
        // offscreen fonts have no fixed-pitch face to give: there the face asked for is checked.
        if (RunsUnderWine() && !QFontInfo(pReport->font()).fixedPitch()) {
            QCOMPARE(pReport->font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
            QCOMPARE(pReport->font().styleHint(), QFont::TypeWriter);
            qInfo("Wine's offscreen fonts have no fixed-pitch face: the report's face asked for is checked instead");
        } else {
            // Measured rather than taken from the face's flag: some fixed-pitch faces (the desktop's
            // "monospace" may be one) do not carry it, and what counts is that columns line up.
            const QFontMetricsF fm(pReport->font());
            for (const QString& strGlyph : { QStringLiteral("W"), QStringLiteral("."), QStringLiteral(" "),
                     QStringLiteral(":"), QStringLiteral("1") })
                QCOMPARE(fm.horizontalAdvance(strGlyph), fm.horizontalAdvance(QStringLiteral("i")));
        }
        QCOMPARE(pReport->font().pointSizeF(), form.font().pointSizeF());
        // The banner is drawn for the screen's own pixels.
        const QPixmap pixBanner = f.Find<QLabel>("imgLogo")->pixmap();
        // (to the device pixel: 25 pixels at 1.5 are 37.5 device pixels)
        QVERIFY(qAbs(pixBanner.deviceIndependentSize().width() - 385) < 1);
        QVERIFY(qAbs(pixBanner.deviceIndependentSize().height() - 25) < 1);
        QCOMPARE(pixBanner.devicePixelRatio(), f.Find<QLabel>("imgLogo")->devicePixelRatioF());
        QVERIFY(pReport->isReadOnly());
        QVERIFY(pReport->textInteractionFlags() & Qt::TextSelectableByMouse);
        QCOMPARE(pReport->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(pReport->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(f.Find<QWidget>("WebBrowser0")->isHidden());
        QCOMPARE(f.Find<QWidget>("WebBrowser0")->focusPolicy(), Qt::NoFocus);

        // Shown centred on the screen, with the report box holding the focus.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint ptOff = form.frameGeometry().center() - form.screen()->availableGeometry().center();
        QVERIFY2(ptOff.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(ptOff.x()).arg(ptOff.y())));
        QTRY_COMPARE(QApplication::focusWidget(), f.Find<QWidget>("txtLog"));
    }

    void tabOrderFollowsTheTabIndexes_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("expected");
        // The selected class option is the group's one stop, at its own place; the commands follow
        // the check boxes, the hidden Data Dump button only when it shows.
        // The fields as they stand: user name before password, address before port, then the one
        // class stop, the check boxes and the commands.
        const QStringList lstHead = { "txtLog", "txtAdmin", "txtPass", "txtIP", "txtPort" };
        const QStringList lstTail = { "chkMask", "chkPass", "chkIPConfig", "chkCensor", "cmdGo" };
        QTest::newRow("Class I") << QByteArray("ClassI.ini") << "optClass0"
                                 << lstHead + QStringList { "optClass0" } + lstTail
                + QStringList { "cmdOpen", "txtLog" };
        QTest::newRow("Class II") << QByteArray("ClassII.ini") << "optClass1"
                                  << lstHead + QStringList { "optClass1" } + lstTail
                + QStringList { "cmdClassIIDump", "cmdOpen", "txtLog" };
        QTest::newRow("Class V") << QByteArray("ClassV.ini") << "optClass2"
                                 << lstHead + QStringList { "optClass2" } + lstTail
                + QStringList { "cmdOpen", "txtLog" };
    }
    void tabOrderFollowsTheTabIndexes()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QString, option);
        QFETCH(QStringList, expected);
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nRouter INI=" + profile + "\r\n"));
        Form1& form = f.Open();
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_COMPARE(QApplication::focusWidget(), f.Find<QWidget>("txtLog"));
        QCOMPARE(TabStops(int(expected.size())), expected);

        // Space on the option that Tab reaches changes nothing: it is the selected one already.
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.7"));
        auto* pOption = f.Find<QRadioButton>(qPrintable(option));
        pOption->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pOption, Qt::Key_Space);
        QVERIFY(pOption->isChecked());
        QCOMPARE(f.Find<QLineEdit>("txtIP")->text(), QStringLiteral("127.0.0.7"));

        // The commands answer Space and Enter as push buttons do.
        auto* pOpen = f.Find<OrloSimpleButton>("cmdOpen");
        pOpen->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pOpen, Qt::Key_Space);
        QTest::keyClick(pOpen, Qt::Key_Return);
        QCOMPARE(f.opened, QStringList({ "http://127.0.0.7", "http://127.0.0.7" }));

        // The access keys reach the commands from any field; Enter in a field presses Go, which
        // refuses the address here (a box that quotes it) rather than starting a run.
        auto* pPort = f.Find<QLineEdit>("txtPort");
        pPort->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pPort, Qt::Key_O, Qt::AltModifier);
        QCOMPARE(f.opened.size(), 3);
        QVERIFY(f.Find<OrloSimpleButton>("cmdGo")->IsDefault());
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.7 @127.0.0.8"));
        for (const char* strField : { "txtAdmin", "txtPass", "txtIP", "txtPort" }) {
            MessageDialog::ClearShown();
            auto* pField = f.Find<QLineEdit>(strField);
            pField->setFocus(Qt::TabFocusReason);
            QTest::keyClick(pField, Qt::Key_Return);
            QCOMPARE(MessageDialog::Shown().size(), 1);
            QVERIFY2(MessageDialog::Shown().at(0).strText.contains(QLatin1String("127.0.0.8")), strField);
        }
        QVERIFY(!form.Run().RunActive());

        // F1 opens the About box, Ctrl+D the debug view, from wherever the focus is.
        MessageDialog::ClearShown();
        MessageDialog::SetNextAnswer(MessageDialog::No);
        QTest::keyClick(pPort, Qt::Key_F1);
        QCOMPARE(MessageDialog::Shown().size(), 1);
        QCOMPARE(MessageDialog::Shown().at(0).strTitle, Form1::AboutTitle());
        QTest::keyClick(f.Find<QWidget>("txtLog"), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(form.DebugView());
        QTest::keyClick(pPort, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!form.DebugView());
    }

    void commandsAndReportAreFoundByAssistiveTechnology()
    {
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nRouter INI=ClassII.ini\r\n"));
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QAccessibleInterface* pWindow = QAccessible::queryAccessibleInterface(&form);
        QVERIFY(pWindow);
        const QList<QPair<const char*, const char*>> commands = { { "Go", "Perform diagnostics" },
            { "Data Dump", "Perform data dump" }, { "Open router", "Open router in browser" } };
        for (const auto& [strName, strTip] : commands) {
            QAccessibleInterface* pCommand = FindAccessible(pWindow, QLatin1String(strName));
            QVERIFY2(pCommand, strName);
            QCOMPARE(pCommand->role(), QAccessible::Button);
            QCOMPARE(pCommand->text(QAccessible::Description), QLatin1String(strTip));
            QVERIFY(pCommand->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
            QCOMPARE(
                pCommand->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()).size(), 1);
        }
        QCOMPARE(FindAccessible(pWindow, QStringLiteral("Go"))->state().defaultButton, true);
        QCOMPARE(FindAccessible(pWindow, Form1::ReportBoxName())->object(), f.Find<QObject>("txtLog"));
        QCOMPARE(FindAccessible(pWindow, Form1::StatusLineName())->object(), f.Find<QObject>("lblStat"));
        QCOMPARE(FindAccessible(pWindow, Form1::AboutTitle())->object(), f.Find<QObject>("imgLogo"));
        // The fields are named by their captions.
        QCOMPARE(QAccessible::queryAccessibleInterface(f.Find<QLineEdit>("txtAdmin"))->text(QAccessible::Name),
            QStringLiteral("Username:"));
        // The window is a frame named by its caption; the class options and check boxes are there by
        // their captions, each with its role and its tick.
        QCOMPARE(pWindow->role(), QAccessible::Window);
        QCOMPARE(pWindow->text(QAccessible::Name), form.windowTitle());
        const QList<QPair<QString, QAccessible::Role>> choices
            = { { QStringLiteral("Class I"), QAccessible::RadioButton },
                  { QStringLiteral("Class II"), QAccessible::RadioButton },
                  { QStringLiteral("Class V"), QAccessible::RadioButton },
                  { QStringLiteral("Hide password?"), QAccessible::CheckBox },
                  { QStringLiteral("Remember password?"), QAccessible::CheckBox },
                  { QStringLiteral("IPConfig results"), QAccessible::CheckBox },
                  { QStringLiteral("Censor data"), QAccessible::CheckBox } };
        for (const auto& [strCaption, role] : choices) {
            QAccessibleInterface* pChoice = FindAccessible(pWindow, strCaption);
            QVERIFY2(pChoice, qPrintable(strCaption));
            QCOMPARE(pChoice->role(), role);
            QVERIFY(pChoice->state().focusable || pChoice->state().checkable);
        }
        QVERIFY(FindAccessible(pWindow, QStringLiteral("Class II"))->state().checked);
        QVERIFY(!FindAccessible(pWindow, QStringLiteral("Class I"))->state().checked);

        // A run's lock: the commands are unavailable, and the press action is gone.
        form.SetControlsEnabled(false);
        QAccessibleInterface* pGo = FindAccessible(pWindow, QStringLiteral("Go"));
        QVERIFY(pGo->state().disabled);
        QVERIFY(pGo->actionInterface()->actionNames().isEmpty()
            || !pGo->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        form.SetControlsEnabled(true);
    }

    void saveReportWritesTheClipboardsText_data()
    {
        QTest::addColumn<QString>("strAnswer"); // "" cancels; "<dir>" stands for a folder
        QTest::addColumn<bool>("blnSaved");
        QTest::addColumn<int>("intWarnings");
        QTest::newRow("saved") << "report.txt" << true << 0;
        QTest::newRow("cancelled") << "" << false << 0;
        QTest::newRow("folder in the way") << "<dir>" << false << 1;
    }
    void saveReportWritesTheClipboardsText()
    {
        QFETCH(QString, strAnswer);
        QFETCH(bool, blnSaved);
        QFETCH(int, intWarnings);
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTemporaryDir dirOut;
        const QString strReport = QStringLiteral("Head\r\n\r\nAdapter\r\r\n   IP Address. . . : 127.0.0.1\r\r\nEnd");
        form.Host().SetReportText(strReport);
        QVERIFY(form.Host().SetClipboardText(strReport));
        QString strFile;
        if (strAnswer == QLatin1String("<dir>")) {
            strFile = dirOut.filePath(QStringLiteral("taken"));
            QVERIFY(QDir(dirOut.path()).mkdir(QStringLiteral("taken")));
        } else if (!strAnswer.isEmpty()) {
            strFile = dirOut.filePath(strAnswer);
        }
        MessageDialog::ClearShown();
        MessageDialog::SetNextFileName(strFile);

        // The context menu offers it, and Ctrl+S does it.
        std::unique_ptr<QMenu> pMenu(form.CreateReportMenu());
        QVERIFY(pMenu->actions().contains(form.SaveReportAction()));
        QVERIFY(form.SaveReportAction()->isEnabled());
        QCOMPARE(form.SaveReportAction()->text().remove(QLatin1Char('&')), QStringLiteral("Save report..."));
        QTest::keyClick(f.Find<QWidget>("txtLog"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(MessageDialog::FileDialogsShown().size(), 1);
        QFile file(strFile);
        QCOMPARE(!strFile.isEmpty() && QFileInfo(strFile).isFile(), blnSaved);
        if (blnSaved) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            // Byte for byte what the clipboard holds, line ends included.
            QCOMPARE(QString::fromUtf8(file.readAll()), strReport);
        }
        QCOMPARE(MessageDialog::Shown().size(), intWarnings);
        if (intWarnings > 0)
            QCOMPARE(MessageDialog::Shown().at(0).strText, Form1::UnsavedReportMessage(strFile));

        // Nothing to save: no dialog.
        form.Host().SetReportText(QString());
        form.SaveReport();
        QCOMPARE(MessageDialog::FileDialogsShown().size(), 1);
    }

    void captionsReadOnTheLineOfTheirFields()
    {
        AppFixture f;
        Form1& form = f.Open();
        f.Find<ValueCheckBox>("chkMask")->SetValue(0);
        f.Find<QLineEdit>("txtPass")->setText(QStringLiteral("secret"));
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.1"));
        const QImage imgWindow = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // No caption or text here reaches below its base line, so the last row of ink is the base line.
        const QList<QPair<const char*, const char*>> captions
            = { { "Label2", "txtAdmin" }, { "Label1", "txtPass" }, { "Label3", "txtIP" }, { "Label9", "txtPort" } };
        for (const auto& [strLabel, strField] : captions) {
            auto* pLabel = f.Find<QLabel>(strLabel);
            QWidget* pField = f.Find<QWidget>(strField);
            QCOMPARE(pLabel->buddy(), pField);
            const QPair<int, int> rowsLabel = InkRows(imgWindow, pLabel->geometry());
            const QPair<int, int> rowsField = InkRows(imgWindow, pField->geometry().adjusted(3, 3, -3, -3));
            QVERIFY2(rowsLabel.first >= 0 && rowsField.first >= 0, strLabel);
            QVERIFY2(qAbs(rowsLabel.second - rowsField.second) <= imgWindow.devicePixelRatio(),
                qPrintable(
                    QStringLiteral("%1: %2 against %3").arg(strLabel).arg(rowsLabel.second).arg(rowsField.second)));
            // And it keeps clear of its box: at least two pixels between the text and the box.
            const int pxInk
                = InkRight(imgWindow, pLabel->geometry().intersected(QRect(0, 0, pField->x(), form.height())));
            QVERIFY2(pxInk >= 0 && pxInk <= pField->x() - 3,
                qPrintable(QStringLiteral("%1: ink to %2, box at %3").arg(strLabel).arg(pxInk).arg(pField->x())));
        }
    }

    void startupMessageStandsWhereTheWindowWillAppear()
    {
        // The real box: it is centred on its window, which must already stand in the middle.
        AppFixture f;
        QRect rctBox;
        QRect rctWindow;
        QTimer tmrAnswer;
        tmrAnswer.setInterval(20);
        connect(&tmrAnswer, &QTimer::timeout, [&] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!pBox || !pBox->isVisible())
                return;
            rctBox = pBox->frameGeometry();
            rctWindow = pBox->parentWidget()->frameGeometry();
            pBox->done(QMessageBox::Ok);
            tmrAnswer.stop();
        });
        tmrAnswer.start();
        f.form = std::make_unique<Form1>(f.Setup());
        QCOMPARE(MessageDialog::Shown().size(), 1);
        QVERIFY(!rctBox.isNull());
        const QPoint ptMiddle = f.form->screen()->availableGeometry().center();
        QVERIFY((rctWindow.center() - ptMiddle).manhattanLength() <= 2);
        // The box centres itself on the window, give or take the frame it expects around it.
        const QPoint ptOff = rctBox.center() - ptMiddle;
        QVERIFY2(qAbs(ptOff.x()) <= 12 && qAbs(ptOff.y()) <= 42,
            qPrintable(QStringLiteral("%1,%2").arg(ptOff.x()).arg(ptOff.y())));
    }

    void buttonsAreDrawnAtTheScreensResolution()
    {
        // Also run under QT_SCALE_FACTOR 1.5 and 2: the captions must be set at the screen's own
        // resolution, not drawn at one pixel per pixel and stretched.
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const qreal dblRatio = form.devicePixelRatio();
        const QImage imgWindow = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(imgWindow.size(), QSize(qCeil(form.width() * dblRatio), qCeil(form.height() * dblRatio)));
        for (const char* strName : { "cmdGo", "cmdOpen" }) {
            auto* pButton = f.Find<OrloSimpleButton>(strName);
            // The caption set as text at the window picture's resolution, black on white.
            QImage imgText(imgWindow.size(), QImage::Format_RGB32);
            imgText.setDevicePixelRatio(dblRatio);
            imgText.fill(Qt::white);
            QPainter painter(&imgText);
            painter.setFont(pButton->font());
            painter.setPen(Qt::black);
            painter.drawText(QRect(pButton->mapTo(&form, pButton->CaptionPosition()), pButton->size()),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic, pButton->CaptionMarkup());
            painter.end();

            const QRect rctInside = pButton->geometry().adjusted(3, 3, -3, -3);
            const QRect rctDevice((QPointF(rctInside.topLeft()) * dblRatio).toPoint(),
                (QPointF(rctInside.bottomRight()) * dblRatio).toPoint());
            int intBoth = 0;
            int intEither = 0;
            for (int y = rctDevice.top(); y <= rctDevice.bottom(); ++y) {
                for (int x = rctDevice.left(); x <= rctDevice.right(); ++x) {
                    const bool blnDrawn = qGray(imgWindow.pixel(x, y)) < 128;
                    const bool blnSet = qGray(imgText.pixel(x, y)) < 128;
                    intBoth += blnDrawn && blnSet ? 1 : 0;
                    intEither += blnDrawn || blnSet ? 1 : 0;
                }
            }
            QVERIFY2(intBoth > 0 && intBoth * 10 >= intEither * 9,
                qPrintable(
                    QStringLiteral("%1 at %2: %3 of %4").arg(strName).arg(dblRatio).arg(intBoth).arg(intEither)));
        }
    }

    void commandButtonsShareTheirLook()
    {
        AppFixture f;
        f.Open();
        for (const char* strName : { "cmdGo", "cmdClassIIDump", "cmdOpen" }) {
            auto* pButton = f.Find<OrloSimpleButton>(strName);
            QCOMPARE(pButton->NormalColour(), quint32(0x00FFFFFF));
            QCOMPARE(pButton->HighlightColour(), quint32(0x00FFC0C0));
            QCOMPARE(pButton->HoverColour(), quint32(0x0080C0FF));
            QCOMPARE(pButton->PressedColour(), quint32(0x00808080));
            QCOMPARE(pButton->BorderColour(), quint32(0x00808080));
            QCOMPARE(pButton->Resolution(), 75);
            QCOMPARE(pButton->GradientDirection(), OrloSimpleButton::intDefaultGradientDirection);
            QCOMPARE(pButton->DisabledColour(), OrloSimpleButton::lngDefaultDisabledColour);
            QVERIFY(pButton->Enable());
        }
    }

    void startupTakesTheClassNamedBySettings()
    {
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nRouter INI=ClassII.ini\r\n"));
        QVERIFY(f.WriteFile(QStringLiteral("ClassII.ini"),
            "[URLs]\r\nLog in=/login.html\r\n[Options]\r\nAdmin name=root\r\nPort=8080\r\n"
            "Router's IP address=127.0.0.2\r\nPassword=pw\r\nSave password=1\r\nHide password=0\r\n"
            "Censor IPs=0\r\n"));
        Form1& form = f.Open();
        QVERIFY(f.Find<QRadioButton>("optClass1")->isChecked());
        QVERIFY(!f.Find<OrloSimpleButton>("cmdClassIIDump")->isHidden());
        QCOMPARE(f.Find<QLineEdit>("txtAdmin")->text(), QStringLiteral("root"));
        QCOMPARE(f.Find<QLineEdit>("txtPort")->text(), QStringLiteral("8080"));
        QCOMPARE(f.Find<QLineEdit>("txtIP")->text(), QStringLiteral("127.0.0.2"));
        QCOMPARE(f.Find<QLineEdit>("txtPass")->text(), QStringLiteral("pw"));
        QCOMPARE(f.Find<ValueCheckBox>("chkPass")->Value(), 1);
        QCOMPARE(f.Find<ValueCheckBox>("chkCensor")->Value(), 0);
        // The mask follows the loaded value even though the box did not change.
        QCOMPARE(f.Find<ValueCheckBox>("chkMask")->Value(), 0);
        QCOMPARE(f.Find<QLineEdit>("txtPass")->echoMode(), QLineEdit::Normal);
        QCOMPARE(form.Profile().strLoginPage, QStringLiteral("/login.html"));
    }

    void settingsDifferingOnlyInCaseSelectClassI()
    {
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nRouter INI=classii.ini\r\n"));
        Form1& form = f.Open();
        QVERIFY(f.Find<QRadioButton>("optClass0")->isChecked());
        QVERIFY(f.Find<OrloSimpleButton>("cmdClassIIDump")->isHidden());
        QCOMPARE(form.Profile().strProfileName, QStringLiteral("ClassI.ini"));
    }

    void classSwitchShowsDataDumpOnlyForClassII()
    {
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("ClassII.ini"),
            "[URLs]\r\nLog in=/login.html\r\n[Options]\r\nAdmin name=root\r\nPort=8080\r\n"
            "Router's IP address=127.0.0.9\r\nHide password=1\r\nCensor IPs=1\r\n"));
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* pDump = f.Find<OrloSimpleButton>("cmdClassIIDump");

        f.Find<QLineEdit>("txtAdmin")->setText(QStringLiteral("typed"));
        QTest::mouseClick(f.Find<QRadioButton>("optClass1"), Qt::LeftButton);
        QVERIFY(pDump->isVisible());
        QCOMPARE(form.Profile().intRouterClass, 2);
        QCOMPARE(form.Profile().strLoginPage, QStringLiteral("/login.html"));
        // The profile replaces what was typed under the previous class.
        QCOMPARE(f.Find<QLineEdit>("txtAdmin")->text(), QStringLiteral("root"));
        QCOMPARE(f.Find<QLineEdit>("txtPort")->text(), QStringLiteral("8080"));

        // Class V has no profile: built-in defaults, and what they leave alone stays.
        QTest::mouseClick(f.Find<QRadioButton>("optClass2"), Qt::LeftButton);
        QVERIFY(!pDump->isVisible());
        QCOMPARE(form.Profile().intRouterClass, 3);
        QCOMPARE(f.Find<QLineEdit>("txtAdmin")->text(), QStringLiteral("admin"));
        QCOMPARE(f.Find<QLineEdit>("txtPort")->text(), QStringLiteral("80"));
        QCOMPARE(f.Find<QLineEdit>("txtIP")->text(), QStringLiteral("127.0.0.9"));
        QCOMPARE(form.Profile().strLoginPage, QStringLiteral("/login.html"));

        QTest::mouseClick(f.Find<QRadioButton>("optClass1"), Qt::LeftButton);
        QVERIFY(pDump->isVisible());
        QTest::mouseClick(f.Find<QRadioButton>("optClass0"), Qt::LeftButton);
        QVERIFY(!pDump->isVisible());
        QCOMPARE(form.Profile().intRouterClass, 1);

        form.SwitchClass(3); // not a class: nothing happens
        QCOMPARE(form.Profile().intRouterClass, 1);
        QVERIFY(f.Find<QRadioButton>("optClass0")->isChecked());
    }

    void hidePasswordMasksWithAsterisks()
    {
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* pPass = f.Find<QLineEdit>("txtPass");
        auto* pMask = f.Find<ValueCheckBox>("chkMask");
        pPass->setText(QStringLiteral("abcd"));
        QCOMPARE(pPass->displayText(), QStringLiteral("****"));
        QTest::mouseClick(pMask, Qt::LeftButton);
        QCOMPARE(pMask->Value(), 0);
        QCOMPARE(pPass->displayText(), QStringLiteral("abcd"));
        QTest::mouseClick(pMask, Qt::LeftButton);
        QCOMPARE(pPass->displayText(), QStringLiteral("****"));
        // Greyed shows the password too; the run's own check masks again.
        form.Host().SetCheckValue(RunCheck::HidePassword, 2);
        QCOMPARE(pPass->displayText(), QStringLiteral("abcd"));
        form.Host().SetCheckValue(RunCheck::HidePassword, 1);
        QCOMPARE(pPass->displayText(), QStringLiteral("****"));
    }

    void debugViewExpandsByTheBrowserAreaAndReturnsExactly()
    {
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const int pxStart = form.height();
        const QWidget* pArea = f.Find<QWidget>("WebBrowser0");
        auto* pStatus = f.Find<QLabel>("lblStat");

        QTest::mouseDClick(pStatus, Qt::LeftButton);
        QVERIFY(form.DebugView());
        QVERIFY(form.Trace().blnDebugView);
        QCOMPARE(form.height(), pxStart + pArea->height());
        // The browser area is uncovered below the status line (the window grows by the area's
        // height from the status line's bottom, so only the gap between them stays hidden).
        QVERIFY(form.rect().contains(pArea->geometry().topLeft()));
        QCOMPARE(pArea->geometry().bottom() + 1 - form.height(), pArea->y() - (pStatus->geometry().bottom() + 1));

        QTest::mouseDClick(pStatus, Qt::LeftButton);
        QVERIFY(!form.DebugView());
        QCOMPARE(form.height(), pxStart);
        QVERIFY(!form.rect().intersects(pArea->geometry()));

        // A single click does nothing.
        QTest::mouseClick(pStatus, Qt::LeftButton);
        QCOMPARE(form.height(), pxStart);
        // The classic size is the smallest the window takes.
        QCOMPARE(form.minimumSize(), QSize(form.width(), pxStart));
    }

    void resizingGivesTheRoomToTheReportBox_data()
    {
        QTest::addColumn<bool>("blnDebugView");
        QTest::addColumn<QSize>("szGrowth");
        QTest::newRow("collapsed, larger") << false << QSize(300, 200);
        QTest::newRow("collapsed, wider only") << false << QSize(120, 0);
        QTest::newRow("debug view, larger") << true << QSize(200, 301);
        QTest::newRow("smaller than the classic size") << false << QSize(-100, -50);
    }
    void resizingGivesTheRoomToTheReportBox()
    {
        QFETCH(bool, blnDebugView);
        QFETCH(QSize, szGrowth);
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (blnDebugView)
            form.ToggleDebugView();
        const QSize szClassic = form.size();
        QCOMPARE(form.minimumSize(), szClassic);
        QVERIFY(form.maximumSize().width() > szClassic.width() && form.maximumSize().height() > szClassic.height());
        auto* pReport = f.Find<QWidget>("txtLog");
        auto* pStatus = f.Find<QWidget>("lblStat");
        auto* pArea = f.Find<QWidget>("WebBrowser0");
        auto* pGo = f.Find<QWidget>("cmdGo");
        const QRect rctReport = pReport->geometry();
        const QRect rctStatus = pStatus->geometry();
        const QRect rctArea = pArea->geometry();
        const QRect rctGo = pGo->geometry();
        const QRect rctLogo = f.Find<QWidget>("imgLogo")->geometry();

        form.resize(szClassic + szGrowth);
        const QSize szGained = (form.size() - szClassic).expandedTo(QSize(0, 0));
        QCOMPARE(form.size(), szClassic.expandedTo(szClassic + szGrowth));
        // The report box takes the room (half the height when the browser area shows); the status
        // line stays below it, the commands at the right edge, the rest where it was.
        const int pxReportTaller = blnDebugView ? szGained.height() / 2 : szGained.height();
        QCOMPARE(pReport->geometry(), rctReport.adjusted(0, 0, szGained.width(), pxReportTaller));
        QCOMPARE(pStatus->y() - pReport->geometry().bottom(), rctStatus.y() - rctReport.bottom());
        QCOMPARE(pStatus->width(), pReport->width());
        QCOMPARE(pGo->geometry(), rctGo.translated(szGained.width(), 0));
        QCOMPARE(f.Find<QWidget>("imgLogo")->geometry(), rctLogo);
        QCOMPARE(pArea->width(), pReport->width());
        if (blnDebugView) {
            QCOMPARE(pArea->height(), rctArea.height() + szGained.height() - pxReportTaller);
            QCOMPARE(form.BrowserView()->geometry(), pArea->geometry());
        }

        // Back to the classic size, everything is back in its place.
        form.resize(szClassic);
        QCOMPARE(pReport->geometry(), rctReport);
        QCOMPARE(pArea->geometry(), rctArea);
        QCOMPARE(pGo->geometry(), rctGo);
    }

    void openRouterUsesTheAddressAsTypedWithoutThePort()
    {
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.1"));
        f.Find<QLineEdit>("txtPort")->setText(QStringLiteral("8080"));
        auto* pOpen = f.Find<OrloSimpleButton>("cmdOpen");
        QTest::mouseClick(pOpen, Qt::LeftButton, {}, pOpen->rect().center());
        QCOMPARE(f.opened, QStringList { QStringLiteral("http://127.0.0.1") });

        // Text that is not one address opens nothing; an empty address opens the bare "http://".
        MessageDialog::ClearShown();
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("admin@127.0.0.2"));
        form.OpenRouter();
        QCOMPARE(MessageDialog::Shown().size(), 1);
        QCOMPARE(MessageDialog::Shown().at(0).icon, MessageDialog::Exclamation);
        f.Find<QLineEdit>("txtIP")->clear();
        form.OpenRouter();
        QCOMPARE(f.opened.mid(1), QStringList { QStringLiteral("http://") });
    }

    void addressOrPortThatIsNotOneStartsNothing_data()
    {
        QTest::addColumn<QString>("strAddress");
        QTest::addColumn<QString>("strPort");
        QTest::addColumn<bool>("blnDump");
        QTest::addColumn<QString>("strQuoted");
        QTest::addColumn<QByteArray>("bytProfile"); // ClassII.ini, when there is one
        QTest::newRow("second host after a blank") << "127.0.0.1 @127.0.0.2"
                                                   << "80" << false << "\"127.0.0.1 @127.0.0.2\"" << QByteArray();
        QTest::newRow("second host in the port") << "127.0.0.1"
                                                 << "P@127.0.0.2:P" << false << "\"P@127.0.0.2:P\"" << QByteArray();
        QTest::newRow("port 0, data dump") << "127.0.0.1"
                                           << "0" << true << "\"0\"" << QByteArray();
        QTest::newRow("line break, data dump") << "127.0.0.1\n127.0.0.2"
                                               << "80" << true << "\"127.0.0.1\\n127.0.0.2\"" << QByteArray();
        // A profile that someone passed around, naming another host in a page path.
        QTest::newRow("profile's system log on another host")
            << "127.0.0.1"
            << "80" << false << "\"@127.0.0.2:8080/doc/syslog.htm\" of \"System log\" in "
            << QByteArray("[URLs]\r\nSystem log=@127.0.0.2:8080/doc/syslog.htm\r\n[Options]\r\n");
        QTest::newRow("profile's log-in with a scheme, data dump")
            << "127.0.0.1"
            << "80" << true << "\"http://127.0.0.2/login.htm\" of \"Log in\" in "
            << QByteArray("[URLs]\r\nLog in=http://127.0.0.2/login.htm\r\n[Options]\r\n");
    }
    void addressOrPortThatIsNotOneStartsNothing()
    {
        QFETCH(QString, strAddress);
        QFETCH(QString, strPort);
        QFETCH(bool, blnDump);
        QFETCH(QString, strQuoted);
        QFETCH(QByteArray, bytProfile);
        AppFixture f;
        if (!bytProfile.isEmpty()) {
            QVERIFY(f.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nRouter INI=ClassII.ini\r\n"));
            QVERIFY(f.WriteFile(QStringLiteral("ClassII.ini"), bytProfile));
        }
        Form1& form = f.Open();
        f.Find<QLineEdit>("txtIP")->setText(strAddress);
        f.Find<QLineEdit>("txtPort")->setText(strPort);
        QSignalSpy spyEnded(&form, &Form1::RunEnded);
        MessageDialog::ClearShown();
        if (blnDump)
            form.StartDataDump();
        else
            form.StartRun();
        // One box that quotes the bad value, and no run: no please-wait box, no report, no lock.
        QCOMPARE(MessageDialog::Shown().size(), 1);
        QCOMPARE(MessageDialog::Shown().at(0).icon, MessageDialog::Exclamation);
        QVERIFY2(
            MessageDialog::Shown().at(0).strText.contains(strQuoted), qPrintable(MessageDialog::Shown().at(0).strText));
        QVERIFY(!form.Run().RunActive());
        QCOMPARE(spyEnded.size(), 0);
        QVERIFY(f.Find<QPlainTextEdit>("txtLog")->toPlainText().isEmpty());
        QVERIFY(f.Find<QLabel>("lblStat")->text().isEmpty());
        QVERIFY(!f.Find<QLineEdit>("txtIP")->isReadOnly());
        QCOMPARE(f.Find<QLineEdit>("txtIP")->text(), strAddress);
    }

    void aboutBoxOffersTheSupportSite()
    {
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        MessageDialog::ClearShown();
        auto* pLogo = f.Find<QLabel>("imgLogo");

        MessageDialog::SetNextAnswer(MessageDialog::No);
        QTest::mouseClick(pLogo, Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(MessageDialog::Shown().size(), 1);
        const MessageDialog::Record box = MessageDialog::Shown().at(0);
        QCOMPARE(box.strTitle, QStringLiteral("About the Quorvane Tool"));
        QCOMPARE(box.strText, strAboutText);
        QCOMPARE(box.icon, MessageDialog::NoIcon);
        QCOMPARE(box.intButtons, int(MessageDialog::Yes | MessageDialog::No));
        QVERIFY(f.opened.isEmpty());

        MessageDialog::SetNextAnswer(MessageDialog::Yes);
        QTest::mouseClick(pLogo, Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(f.opened, QStringList { QStringLiteral("www.quorvane.example") });

        // Another button, or a press that is let go outside, opens nothing.
        QTest::mouseClick(pLogo, Qt::RightButton, {}, QPoint(20, 10));
        QCOMPARE(MessageDialog::Shown().size(), 2);
    }

    void lockingMakesTextBoxesReadOnlyAndDisablesTheRest()
    {
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* pPass = f.Find<QLineEdit>("txtPass");
        pPass->setText(QStringLiteral("old"));

        form.SetControlsEnabled(false);
        for (const char* strName : { "txtAdmin", "txtPass", "txtIP", "txtPort" }) {
            QVERIFY(f.Find<QLineEdit>(strName)->isEnabled());
            QVERIFY(f.Find<QLineEdit>(strName)->isReadOnly());
        }
        pPass->setFocus();
        QTest::keyClicks(pPass, QStringLiteral("xyz"));
        QCOMPARE(pPass->text(), QStringLiteral("old"));
        for (const char* strName :
            { "optClass0", "optClass1", "optClass2", "chkMask", "chkPass", "chkIPConfig", "chkCensor", "txtLog" })
            QVERIFY2(!f.Find<QWidget>(strName)->isEnabled(), strName);
        for (const char* strName : { "cmdGo", "cmdClassIIDump", "cmdOpen" })
            QVERIFY2(!f.Find<OrloSimpleButton>(strName)->Enable(), strName);
        // A locked command does nothing when clicked.
        auto* pOpen = f.Find<OrloSimpleButton>("cmdOpen");
        QTest::mouseClick(pOpen, Qt::LeftButton, {}, pOpen->rect().center());
        QVERIFY(f.opened.isEmpty());

        form.SetControlsEnabled(true);
        for (const char* strName : { "txtAdmin", "txtPass", "txtIP", "txtPort" })
            QVERIFY(!f.Find<QLineEdit>(strName)->isReadOnly());
        for (const char* strName :
            { "optClass0", "optClass1", "optClass2", "chkMask", "chkPass", "chkIPConfig", "chkCensor", "txtLog" })
            QVERIFY2(f.Find<QWidget>(strName)->isEnabled(), strName);
        for (const char* strName : { "cmdGo", "cmdClassIIDump", "cmdOpen" })
            QVERIFY2(f.Find<OrloSimpleButton>(strName)->Enable(), strName);
    }

    void reportBoxKeepsTheExactTextAndShowsOneBreakPerLine()
    {
        AppFixture f;
        Form1& form = f.Open();
        const QString strReport = QStringLiteral("Head\r\n\r\nAdapter\r\r\n   Gateway : 127.0.0.1\r\r\nEnd");
        form.Host().SetReportText(strReport);
        QCOMPARE(form.Host().ReportText(), strReport);
        QCOMPARE(f.Find<QPlainTextEdit>("txtLog")->toPlainText(),
            QStringLiteral("Head\n\nAdapter\n   Gateway : 127.0.0.1\nEnd"));
        form.Host().SetStatus(QStringLiteral("<b>not markup</b>"));
        QCOMPARE(f.Find<QLabel>("lblStat")->text(), QStringLiteral("<b>not markup</b>"));
        QCOMPARE(f.Find<QLabel>("lblStat")->textFormat(), Qt::PlainText);
        QVERIFY(form.Host().SetClipboardText(strReport));
        QCOMPARE(QGuiApplication::clipboard()->text().remove(QLatin1Char('\r')),
            QString(strReport).remove(QLatin1Char('\r')));
    }

    void buttonTipsShareTheGoButtonsKey()
    {
        AppFixture f;
        Form1& form = f.Open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* pGo = f.Find<OrloSimpleButton>("cmdGo");
        auto* pOpen = f.Find<OrloSimpleButton>("cmdOpen");
        vbkToolTip& tip = form.ToolTip();
        const QPoint ptCursor(500, 400);
        QWidget* pUnder = pOpen;
        tip.SetCursorFunction([ptCursor] { return ptCursor; });
        tip.SetWindowFunction([&pUnder](const QPoint&) { return pUnder; });

        QTest::mouseMove(pOpen, QPoint(10, 5));
        QTRY_VERIFY(tip.IsArmed());
        QCOMPARE(tip.LastOwner(), QStringLiteral("cmdGo"));
        QCOMPARE(tip.TipTitle(), QStringLiteral("Open router"));
        QCOMPARE(tip.TipText(), QStringLiteral("Open the router's web interface in the default browser"));
        // The balloon's corner: back from the cursor by the offset, down by the owner's height.
        QCOMPARE(tip.TipPosition(), QPoint(ptCursor.x() - 10, ptCursor.y() - 5 + pGo->height()));

        // Straight onto the Go button: the shared key keeps the armed tip.
        pUnder = pGo;
        QTest::mouseMove(pGo, QPoint(12, 6));
        QTest::mouseMove(pGo, QPoint(13, 6));
        QCOMPARE(tip.TipTitle(), QStringLiteral("Open router"));

        tip.HideTip();
        QTest::mouseMove(pGo, QPoint(14, 7));
        QTRY_COMPARE(tip.TipTitle(), QStringLiteral("Perform diagnostics"));
        QCOMPARE(tip.TipText(), QStringLiteral("Run the diagnostic and generate a report"));

        // No ordinary tooltip competes with the balloon.
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), pGo->mapToGlobal(QPoint(5, 5)));
        QVERIFY(QCoreApplication::sendEvent(pGo, &help));
    }

    void closingSavesTheClassAndOptions()
    {
        AppFixture f;
        Form1& form = f.Open();
        f.Find<QLineEdit>("txtAdmin")->setText(QStringLiteral("boss"));
        f.Find<QLineEdit>("txtPort")->setText(QStringLiteral("8081"));
        f.Find<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.3"));
        f.Find<QLineEdit>("txtPass")->setText(QStringLiteral("secret"));
        f.Find<ValueCheckBox>("chkCensor")->SetValue(0);
        f.Find<ValueCheckBox>("chkIPConfig")->SetValue(0);
        QVERIFY(form.close());

        const QString strSettings = f.FilePath(QStringLiteral("Settings.ini"));
        const QString strProfile = f.FilePath(QStringLiteral("ClassI.ini"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Router INI"), strSettings),
            QStringLiteral("ClassI.ini"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Admin name"), strProfile), QStringLiteral("boss"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Port"), strProfile), QStringLiteral("8081"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Router's IP address"), strProfile),
            QStringLiteral("127.0.0.3"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Censor IPs"), strProfile), QStringLiteral("0"));
        QCOMPARE(
            ReadIni(QStringLiteral("Options"), QStringLiteral("IPConfig results"), strProfile), QStringLiteral("0"));
        // The window's size and place go with the options, in twips.
        const int intX = Twips::TwipsPerPixelX(&form);
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Window width"), strSettings),
            QString::number(Twips::PixelsToTwips(form.width(), intX)));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Window state"), strSettings), QStringLiteral("0"));
        for (const char* strKey : { "Window left", "Window top", "Window height" })
            QVERIFY(!ReadIni(QStringLiteral("Options"), QLatin1String(strKey), strSettings).isEmpty());
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Hide password"), strProfile), QStringLiteral("1"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Ping host name"), strProfile),
            QStringLiteral("localhost"));
        // "Remember password?" was unchecked: no password is kept.
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Save password"), strProfile), QStringLiteral("0"));
        QCOMPARE(ReadIni(QStringLiteral("Options"), QStringLiteral("Password"), strProfile), QString());
        QVERIFY(!QFile::exists(f.FilePath(QStringLiteral("ClassII.ini"))));
        for (const MessageDialog::Record& box : MessageDialog::Shown())
            QVERIFY(box.icon != MessageDialog::Exclamation);
    }

    void unsavableSettingsAreReportedOnceOnClose()
    {
        AppFixture f;
        // Folders stand where both files belong, so neither can be written.
        QVERIFY(QDir(f.Folder()).mkdir(QStringLiteral("Settings.ini")));
        QVERIFY(QDir(f.Folder()).mkdir(QStringLiteral("ClassI.ini")));
        Form1& form = f.Open();
        MessageDialog::ClearShown();
        QVERIFY(form.close());
        QCOMPARE(MessageDialog::Shown().size(), 1);
        const MessageDialog::Record& box = MessageDialog::Shown().constFirst();
        QCOMPARE(box.icon, MessageDialog::Exclamation);
        QCOMPARE(box.strText,
            Form1::UnsavedSettingsMessage(
                { f.FilePath(QStringLiteral("Settings.ini")), f.FilePath(QStringLiteral("ClassI.ini")) }));
        QVERIFY(box.strText.contains(QDir::toNativeSeparators(f.FilePath(QStringLiteral("ClassI.ini")))));
    }

    void installedFolderLeavesEverythingToTheUsersFolder()
    {
        AppFixture f;
        QTemporaryDir dirUser;
        QVERIFY(f.WriteFile(QStringLiteral("ClassI.ini"), "[Options]\r\nAdmin name=shipped\r\nPort=8080\r\n"));
        const QString strApp = f.Folder();
        Form1Setup setup = f.Setup();
        setup.strUserFolder = dirUser.path();
        setup.writable = [strApp](const QString& strFolder) { return strFolder != strApp; };
        MessageDialog::SetStandingAnswer(MessageDialog::Ok);
        MessageDialog::ClearShown();
        f.form = std::make_unique<Form1>(setup);
        Form1& form = *f.form;

        // The shipped profile reaches the fields through the user's copy of it.
        const QString strUser = dirUser.path() + QLatin1Char('/');
        QCOMPARE(form.Folder().strFolder, strUser);
        QCOMPARE(form.Profile().strProfileFile, strUser + QStringLiteral("ClassI.ini"));
        QCOMPARE(form.Trace().strAppFolder, strUser);
        QCOMPARE(f.Find<QLineEdit>("txtAdmin")->text(), QStringLiteral("shipped"));
        QCOMPARE(MessageDialog::Shown().size(), 1); // the start-up hint only

        f.Find<QLineEdit>("txtAdmin")->setText(QStringLiteral("mine"));
        QVERIFY(form.close());
        QCOMPARE(
            ReadIni(QStringLiteral("Options"), QStringLiteral("Admin name"), strUser + QStringLiteral("ClassI.ini")),
            QStringLiteral("mine"));
        QVERIFY(QFile::exists(strUser + QStringLiteral("Settings.ini")));
        // The program's folder is left as it was installed.
        QCOMPARE(
            ReadIni(QStringLiteral("Options"), QStringLiteral("Admin name"), f.FilePath(QStringLiteral("ClassI.ini"))),
            QStringLiteral("shipped"));
        QVERIFY(!QFile::exists(f.FilePath(QStringLiteral("Settings.ini"))));
    }

    void nowhereToSaveIsSaidOnceAtStartup()
    {
        AppFixture f;
        QTemporaryDir dirUser;
        // The close cannot save either (folders stand where the files belong): still one notice.
        QVERIFY(QDir(f.Folder()).mkdir(QStringLiteral("Settings.ini")));
        Form1Setup setup = f.Setup();
        setup.strUserFolder = dirUser.filePath(QStringLiteral("Quorvane"));
        setup.writable = [](const QString&) { return false; };
        MessageDialog::SetStandingAnswer(MessageDialog::Ok);
        MessageDialog::ClearShown();
        f.form = std::make_unique<Form1>(setup);
        // After the start-up hint, and never again.
        QCOMPARE(MessageDialog::Shown().size(), 2);
        QCOMPARE(MessageDialog::Shown().at(1).icon, MessageDialog::Exclamation);
        QCOMPARE(MessageDialog::Shown().at(1).strText, f.form->Folder().WarningText());
        // The notice says what is lost, and a report says in one line why it has no IP configuration.
        for (const char* strLost : { "settings", "page trace", "IP configuration" })
            QVERIFY2(f.form->Folder().WarningText().contains(QLatin1String(strLost), Qt::CaseInsensitive), strLost);
        f.form->FieldBox(RunField::Address)->setText(QStringLiteral("not-an-address"));
        f.form->StartRun();
        const QString strReport = f.form->Host().ReportText();
        QCOMPARE(strReport.count(WindowRunHost::IpConfigNotCapturedLine()), 1);
        QVERIFY2(strReport.contains(QStringLiteral("\r\n") + WindowRunHost::IpConfigNotCapturedLine()),
            qPrintable(strReport));
        MessageDialog::ClearShown();
        MessageDialog::SetStandingAnswer(MessageDialog::Ok);
        f.form->SwitchClass(1);
        QVERIFY(f.form->close());
        for (const MessageDialog::Record& box : MessageDialog::Shown())
            QVERIFY(box.strText != f.form->Folder().WarningText());
    }

    // The saved place, relative to the screen's room: a window that would stick out is moved back
    // onto the screen, one whose corner lies on no screen is centred.
    void savedPlaceKeepsTheWindowOnTheScreen_data()
    {
        QTest::addColumn<QPoint>("ptFromRoom"); // saved top-left from the room's top-left (negative: its bottom-right)
        QTest::addColumn<QPoint>("ptExpected"); // where it stands, the same way; (9999, 9999): centred
        QTest::newRow("on the screen") << QPoint(40, 30) << QPoint(40, 30);
        QTest::newRow("past the right and bottom edges") << QPoint(-100, -80) << QPoint(-1, -1);
        QTest::newRow("past the right edge") << QPoint(-100, 20) << QPoint(-1, 20);
        QTest::newRow("on no screen") << QPoint(5000, 5000) << QPoint(9999, 9999);
    }
    void savedPlaceKeepsTheWindowOnTheScreen()
    {
        QFETCH(QPoint, ptFromRoom);
        QFETCH(QPoint, ptExpected);
        const QRect rctRoom = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize szSaved(560, 360);
        const auto fromRoom = [&](const QPoint& pt, const QSize& sz) {
            return QPoint(pt.x() >= 0 ? rctRoom.left() + pt.x()
                                      : rctRoom.right() + 1 + pt.x() - (pt.x() == -1 ? sz.width() - 1 : 0),
                pt.y() >= 0 ? rctRoom.top() + pt.y()
                            : rctRoom.bottom() + 1 + pt.y() - (pt.y() == -1 ? sz.height() - 1 : 0));
        };
        const QPoint ptSaved = fromRoom(ptFromRoom, szSaved);
        const int intX = Twips::TwipsPerPixelX();
        const int intY = Twips::TwipsPerPixelY();
        AppFixture f;
        QVERIFY(f.WriteFile(QStringLiteral("Settings.ini"),
            QStringLiteral("[Options]\r\nWindow left=%1\r\nWindow top=%2\r\nWindow width=%3\r\nWindow height=%4\r\n")
                .arg(ptSaved.x() * intX)
                .arg(ptSaved.y() * intY)
                .arg(szSaved.width() * intX)
                .arg(szSaved.height() * intY)
                .toLatin1()));
        Form1& form = f.Open();
        QCOMPARE(form.size(), szSaved.boundedTo(rctRoom.size()).expandedTo(form.minimumSize()));
        if (ptExpected == QPoint(9999, 9999))
            QCOMPARE(form.geometry().center(), rctRoom.center());
        else
            QCOMPARE(form.geometry().topLeft(), fromRoom(ptExpected, form.size()));
        QVERIFY(rctRoom.contains(form.geometry()) || ptExpected == QPoint(9999, 9999));
    }

    void savedClassAndRememberedPasswordComeBack()
    {
        AppFixture f;
        QSize szClosed;
        {
            Form1& form = f.Open();
            form.SwitchClass(1);
            f.Find<QLineEdit>("txtPass")->setText(QStringLiteral("kept"));
            f.Find<ValueCheckBox>("chkPass")->SetValue(1);
            f.Find<ValueCheckBox>("chkIPConfig")->SetValue(0);
            // Closed larger than it opened (as far as the screen has room), with the debug view on
            // when that fits: the collapsed size is kept.
            form.show();
            const QSize szRoom = form.screen()->availableGeometry().size() - form.size();
            form.resize(form.size() + QSize(qBound(0, szRoom.width() - 20, 150), qBound(0, szRoom.height() - 60, 90)));
            szClosed = form.size();
            if (form.height() + f.Find<QWidget>("WebBrowser0")->height() <= szRoom.height() + szClosed.height() - 60)
                form.ToggleDebugView();
            QVERIFY(form.close());
            f.form.reset();
        }
        Form1& form = f.Open();
        QCOMPARE(f.Find<ValueCheckBox>("chkIPConfig")->Value(), 0);
        QVERIFY(!form.DebugView());
        // Twips round to whole pixels both ways: within a pixel of the size it was closed at.
        QVERIFY2(qAbs(form.width() - szClosed.width()) <= 1 && qAbs(form.height() - szClosed.height()) <= 1,
            qPrintable(QStringLiteral("%1x%2").arg(form.width()).arg(form.height())));
        // The report box has the room: the status line ends at the window's bottom edge.
        QCOMPARE(f.Find<QWidget>("lblStat")->geometry().bottom() + 1, form.height());
        QVERIFY(f.Find<QRadioButton>("optClass1")->isChecked());
        QCOMPARE(form.Profile().intRouterClass, 2);
        QCOMPARE(f.Find<QLineEdit>("txtPass")->text(), QStringLiteral("kept"));
        QCOMPARE(f.Find<ValueCheckBox>("chkPass")->Value(), 1);
        QVERIFY(!f.Find<OrloSimpleButton>("cmdClassIIDump")->isHidden());
    }
};

QUORVANE_REGISTER_TEST(TestForm1)
#include "TestForm1.moc"
