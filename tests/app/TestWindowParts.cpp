#include "app/AppArtwork.h"
#include "app/FormLayout.h"
#include "app/PageView.h"
#include "app/ValueCheckBox.h"
#include "app/ViewedBrowser.h"
#include "support/ScriptedBrowser.h"
#include "support/TestRegistry.h"

#include <QImage>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

// The pieces the main window is made of: its pictures, its design table, the value check box and
// the browser area that renders the run's pages.
class TestWindowParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bannerAndIconHaveTheirSizesAndAreDrawn()
    {
        const QImage imgBanner = AppArtwork::DrawBanner();
        QCOMPARE(imgBanner.size(), QSize(385, 25));
        // Not a blank band: the name and the icon are on it.
        QSet<QRgb> colours;
        for (int x = 0; x < imgBanner.width(); x += 3)
            colours.insert(imgBanner.pixel(x, 12));
        QVERIFY(colours.size() > 10);

        for (int intSize : { 16, 32, 48 }) {
            const QImage imgIcon = AppArtwork::DrawIcon(intSize);
            QCOMPARE(imgIcon.size(), QSize(intSize, intSize));
            // Rounded tile: the corners stay transparent, the middle is covered.
            QCOMPARE(qAlpha(imgIcon.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(imgIcon.pixel(intSize / 2, intSize / 2)), 255);
        }
        QCOMPARE(AppArtwork::DrawIcon(0).size(), QSize(1, 1));

        const QList<QSize> sizes = AppArtwork::AppIcon().availableSizes();
        QCOMPARE(sizes.size(), 3);
        for (int intSize : { 16, 32, 48 })
            QVERIFY(sizes.contains(QSize(intSize, intSize)));
    }

    void designTableIsConsistent()
    {
        QSet<QString> names;
        QSet<int> tabs;
        const QRect rctClient(0, 0, FormLayout::lngDesignWidth, FormLayout::lngDesignHeight);
        for (const FormLayout::ControlEntry& entry : FormLayout::Controls()) {
            QVERIFY2(!names.contains(entry.strName), qPrintable(entry.strName));
            names.insert(entry.strName);
            QVERIFY2(rctClient.contains(entry.rctTwips), qPrintable(entry.strName));
            if (entry.intTabIndex >= 0) {
                QVERIFY2(!tabs.contains(entry.intTabIndex), qPrintable(entry.strName));
                tabs.insert(entry.intTabIndex);
            }
            QCOMPARE(FormLayout::Find(entry.strName), &entry);
        }
        QCOMPARE(FormLayout::Find(QStringLiteral("nothing")), nullptr);
        // The status line ends where the browser area begins, less the gap between them.
        const QRect rctStatus = FormLayout::Find(QStringLiteral("lblStat"))->rctTwips;
        const QRect rctBrowser = FormLayout::Find(QStringLiteral("WebBrowser0"))->rctTwips;
        QVERIFY(rctStatus.y() + rctStatus.height() <= rctBrowser.y());
    }

    void twipsBecomePixelsAtTheScreensFactor()
    {
        const QRect rctTwips(120, 4500, 7455, 255);
        QCOMPARE(FormLayout::ToPixels(rctTwips, 15, 15), QRect(8, 300, 497, 17));
        // 120 dpi: 12 twips per pixel; 7455 / 12 = 621.25 and 255 / 12 = 21.25 round down.
        QCOMPARE(FormLayout::ToPixels(rctTwips, 12, 12), QRect(10, 375, 621, 21));
        // Halves go to the even pixel: 4500 / 8 = 562.5 -> 562, 7455 / 8 = 931.875 -> 932.
        QCOMPARE(FormLayout::ToPixels(rctTwips, 8, 8), QRect(15, 562, 932, 32));
    }

    void captionMarginsMeetTheFieldsMiddle_data()
    {
        QTest::addColumn<QRect>("label");
        QTest::addColumn<QRect>("field");
        QTest::addColumn<QMargins>("expected");
        QTest::newRow("same top, field taller")
            << QRect(8, 32, 57, 17) << QRect(64, 32, 73, 19) << QMargins(0, 2, 0, 0);
        QTest::newRow("middles already level") << QRect(8, 57, 57, 17) << QRect(64, 56, 73, 19) << QMargins();
        QTest::newRow("half a pixel") << QRect(8, 57, 57, 17) << QRect(64, 57, 73, 18) << QMargins(0, 1, 0, 0);
        QTest::newRow("field higher up") << QRect(8, 40, 57, 17) << QRect(64, 32, 73, 19) << QMargins(0, 0, 0, 14);
        QTest::newRow("out of reach") << QRect(8, 60, 57, 17) << QRect(64, 32, 73, 19) << QMargins();
        QTest::newRow("empty label") << QRect(8, 32, 57, 0) << QRect(64, 32, 73, 19) << QMargins();
    }
    void captionMarginsMeetTheFieldsMiddle()
    {
        QFETCH(QRect, label);
        QFETCH(QRect, field);
        QFETCH(QMargins, expected);
        const QMargins margins = FormLayout::CaptionMargins(label, field);
        QCOMPARE(margins, expected);
        if (!margins.isNull()) {
            const QRect rctContents = label.marginsRemoved(margins);
            QCOMPARE(2 * rctContents.y() + rctContents.height(), 2 * field.y() + field.height());
        }
    }

    void valueCheckBoxHoldsThreeValuesButClicksOnlyToggle()
    {
        ValueCheckBox box;
        QSignalSpy spy(&box, &ValueCheckBox::ValueChanged);
        QCOMPARE(box.Value(), 0);
        box.SetValue(2);
        QCOMPARE(box.Value(), 2);
        QCOMPARE(box.checkState(), Qt::PartiallyChecked);
        box.click(); // greyed -> checked
        QCOMPARE(box.Value(), 1);
        box.click();
        QCOMPARE(box.Value(), 0);
        box.click();
        QCOMPARE(box.Value(), 1); // never greyed by a click
        box.SetValue(7);
        QCOMPARE(box.Value(), 0);
        box.SetValue(-1);
        QCOMPARE(box.Value(), 0);
        QList<int> values;
        for (const QList<QVariant>& args : spy)
            values << args.at(0).toInt();
        QCOMPARE(values, (QList<int> { 2, 1, 0, 1, 0 }));
    }

    void viewedBrowserShowsEachPageBeforeTheRunSeesIt()
    {
        auto engine = std::make_shared<ScriptedBrowser>();
        QStringList events;
        ViewedBrowser browser(
            engine, [&events](const RouterBrowser& shown) { events << "shown " + shown.CurrentUrl(); });
        browser.SetDocumentCompleteHandler([&events, &browser](const QString& strUrl) {
            events << "run " + strUrl + QStringLiteral(" ") + QString::number(browser.HandlersRunning());
        });
        browser.Navigate(QStringLiteral("http://127.0.0.1:8080/a"));
        QCOMPARE(engine->LastNavigation(), QStringLiteral("http://127.0.0.1:8080/a"));
        engine->elementValues.insert(QStringLiteral("f"), QStringLiteral("v"));
        QCOMPARE(browser.ElementValue(QStringLiteral("f")), QStringLiteral("v"));
        browser.SetElementValue(QStringLiteral("g"), QStringLiteral("w"));
        QCOMPARE(engine->setValues, QStringList { QStringLiteral("g=w") });
        QVERIFY(browser.SubmitForm(QStringLiteral("form1")));
        QVERIFY(browser.SubmitFrameForm(1));

        engine->Load(QStringLiteral("http://127.0.0.1:8080/a"), QStringLiteral("text"), QStringLiteral("<p>x</p>"));
        QCOMPARE(events,
            (QStringList {
                QStringLiteral("shown http://127.0.0.1:8080/a"), QStringLiteral("run http://127.0.0.1:8080/a 1") }));
        QCOMPARE(browser.HandlersRunning(), 0);
        QCOMPARE(browser.BodyText(), QStringLiteral("text"));
        QCOMPARE(browser.BodyHtml(), QStringLiteral("<p>x</p>"));
    }

    void detachedBrowserNeitherNavigatesNorReports()
    {
        auto engine = std::make_shared<ScriptedBrowser>();
        int intShown = 0;
        int intReported = 0;
        ViewedBrowser browser(engine, [&intShown](const RouterBrowser&) { ++intShown; });
        browser.SetDocumentCompleteHandler([&intReported](const QString&) { ++intReported; });
        browser.Detach();
        QVERIFY(browser.Detached());
        browser.Navigate(QStringLiteral("http://127.0.0.1:8080/b"));
        QVERIFY(engine->navigations.isEmpty());
        QVERIFY(!browser.SubmitForm(QStringLiteral("form1")));
        QVERIFY(!browser.SubmitFrameForm(1));
        QVERIFY(engine->submittedForms.isEmpty());
        engine->Load(QStringLiteral("http://127.0.0.1:8080/b"), QStringLiteral("late"));
        QCOMPARE(intShown, 0);
        QCOMPARE(intReported, 0);
    }

    void destroyedWrapperLeavesTheEngineWithoutHandler()
    {
        auto engine = std::make_shared<ScriptedBrowser>();
        int intShown = 0;
        {
            ViewedBrowser browser(engine, [&intShown](const RouterBrowser&) { ++intShown; });
        }
        engine->Load(QStringLiteral("http://127.0.0.1:8080/c"), QString());
        QCOMPARE(intShown, 0);
    }

    void pageViewRendersThePageAndLoadsNothingItNames()
    {
        QTemporaryDir dirTemp;
        QVERIFY(dirTemp.isValid());
        const QString strPicture = dirTemp.filePath(QStringLiteral("local.png"));
        QImage imgLocal(4, 4, QImage::Format_RGB32);
        imgLocal.fill(Qt::red);
        QVERIFY(imgLocal.save(strPicture));
        const QUrl urlPicture = QUrl::fromLocalFile(strPicture);

        // A plain document would read the local file a page names.
        QTextDocument docPlain;
        QVERIFY(!docPlain.resource(QTextDocument::ImageResource, urlPicture).isNull());

        PageView view;
        ScriptedBrowser engine;
        engine.strUrl = QStringLiteral("http://127.0.0.1:8080/status.htm");
        engine.strHtml = QStringLiteral("<html><body><h1>Status</h1><img src=\"") + urlPicture.toString()
            + QStringLiteral("\"><p>Line up</p></body></html>");
        view.ShowPage(engine);
        QVERIFY(view.isReadOnly());
        QCOMPARE(view.ShownUrl(), engine.strUrl);
        QCOMPARE(view.PagesShown(), 1);
        QVERIFY(view.toPlainText().contains(QStringLiteral("Status")));
        QVERIFY(view.toPlainText().contains(QStringLiteral("Line up")));
        QVERIFY(view.document()->resource(QTextDocument::ImageResource, urlPicture).isNull());

        view.ClearPage();
        QVERIFY(view.toPlainText().isEmpty());
        QVERIFY(view.ShownUrl().isEmpty());
    }
};

QUORVANE_REGISTER_TEST(TestWindowParts)
#include "TestWindowParts.moc"
