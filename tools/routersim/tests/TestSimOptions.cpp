#include "LineDrift.h"
#include "SimOptions.h"
#include "SimTestKit.h"

#include <QTest>

namespace
{

std::string Parse(const std::vector<std::string>& arguments, SimOptions& options)
{
    return ParseSimOptions(arguments, options);
}

} // namespace

class TestSimOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void DefaultsNeedOnlyTheClass()
    {
        SimOptions options;
        QCOMPARE(Parse({ "--class", "II" }, options), std::string());
        QVERIFY(options.routerClass == RouterClass::ClassII);
        QCOMPARE(options.intPort, 0);
        QCOMPARE(options.strUser, std::string("admin"));
        QCOMPARE(options.strPassword, std::string("secret"));
        QCOMPARE(options.intRefreshSeconds, 1);
        QCOMPARE(options.intLifetimeSeconds, 600);
        QCOMPARE(options.strScenario, std::string("normal"));
        QVERIFY(!options.scenario.blnLoginRefused && !options.scenario.blnDiagNever && !options.scenario.blnDiagError
            && !options.scenario.blnReloadForever && !options.scenario.blnNoPppLink && !options.scenario.blnProcDiag
            && !options.scenario.blnDigest);
    }

    void EveryOptionInBothSpellings()
    {
        SimOptions options;
        QCOMPARE(Parse({ "--port=8081", "--class", "v", "--scenario", "login-refused", "--user=root", "--password",
                           "p w=d", "--refresh-seconds", "0", "--lifetime-seconds=3600", "--verbose" },
                     options),
            std::string());
        QVERIFY(options.routerClass == RouterClass::ClassV);
        QCOMPARE(options.intPort, 8081);
        QVERIFY(options.scenario.blnLoginRefused);
        QCOMPARE(options.strUser, std::string("root"));
        QCOMPARE(options.strPassword, std::string("p w=d"));
        QCOMPARE(options.intRefreshSeconds, 0);
        QCOMPARE(options.intLifetimeSeconds, 3600);
        QVERIFY(options.blnVerbose);
    }

    void EmptyCredentialsAreAllowed()
    {
        SimOptions options;
        QCOMPARE(Parse({ "--class", "I", "--user", "", "--password=" }, options), std::string());
        QCOMPARE(options.strUser, std::string());
        QCOMPARE(options.strPassword, std::string());
    }

    void BadValuesNameTheirOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("option");
        QTest::newRow("no class") << QStringList { "--port", "0" } << "--class";
        QTest::newRow("unknown class") << QStringList { "--class", "III" } << "--class";
        QTest::newRow("port too big") << QStringList { "--class", "I", "--port", "65536" } << "--port";
        QTest::newRow("negative port") << QStringList { "--class", "I", "--port", "-1" } << "--port";
        QTest::newRow("port with text") << QStringList { "--class", "I", "--port", "80x" } << "--port";
        QTest::newRow("huge port") << QStringList { "--class", "I", "--port", "99999999999999" } << "--port";
        QTest::newRow("lifetime zero") << QStringList { "--class", "I", "--lifetime-seconds", "0" }
                                       << "--lifetime-seconds";
        QTest::newRow("lifetime too long")
            << QStringList { "--class", "I", "--lifetime-seconds", "3601" } << "--lifetime-seconds";
        QTest::newRow("refresh empty") << QStringList { "--class", "I", "--refresh-seconds=" } << "--refresh-seconds";
        QTest::newRow("missing value") << QStringList { "--class", "I", "--user" } << "--user";
        QTest::newRow("unknown option") << QStringList { "--class", "I", "--colour", "red" } << "--colour";
        QTest::newRow("unknown scenario") << QStringList { "--class", "I", "--scenario", "fast" } << "--scenario";
        QTest::newRow("digest on II") << QStringList { "--class", "II", "--scenario", "digest" } << "--scenario";
        QTest::newRow("no link on I") << QStringList { "--class", "I", "--scenario", "no-ppp-link" } << "--scenario";
        QTest::newRow("proc on V") << QStringList { "--class", "V", "--scenario", "proc-diag" } << "--scenario";
        QTest::newRow("login elsewhere on V")
            << QStringList { "--class", "V", "--scenario", "login-elsewhere" } << "--scenario";
        QTest::newRow("never and error") << QStringList { "--class", "V", "--scenario", "diag-never,diag-error" }
                                         << "--scenario";
        QTest::newRow("proc and never") << QStringList { "--class", "II", "--scenario", "proc-diag,diag-never" }
                                        << "--scenario";
        QTest::newRow("normal and more") << QStringList { "--class", "I", "--scenario", "normal,digest" }
                                         << "--scenario";
        QTest::newRow("empty scenario") << QStringList { "--class", "I", "--scenario", "" } << "--scenario";
    }

    void BadValuesNameTheirOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, option);
        std::vector<std::string> args;
        for (const QString& strArgument : arguments)
            args.push_back(strArgument.toStdString());
        SimOptions options;
        const std::string strError = Parse(args, options);
        QVERIFY2(!strError.empty(), "accepted");
        QVERIFY2(Contains(strError, option.toStdString()), strError.c_str());
        QVERIFY(!Contains(strError, "\n"));
    }

    void ScenariosCombine()
    {
        SimOptions options;
        QCOMPARE(Parse({ "--class", "I", "--scenario", "digest,login-refused" }, options), std::string());
        QVERIFY(options.scenario.blnDigest);
        QVERIFY(options.scenario.blnLoginRefused);
        QVERIFY(!options.scenario.blnDiagError);

        QCOMPARE(
            Parse({ "--class", "II", "--scenario", "no-ppp-link,proc-diag,reload-forever" }, options), std::string());
        QVERIFY(options.scenario.blnNoPppLink && options.scenario.blnProcDiag && options.scenario.blnReloadForever);
        QVERIFY(!options.scenario.blnScripted);

        QCOMPARE(Parse({ "--class", "V", "--scenario", "scripted,diag-error" }, options), std::string());
        QVERIFY(options.scenario.blnScripted && options.scenario.blnDiagError);
        QCOMPARE(Parse({ "--class", "II", "--scenario", "drift,scripted" }, options), std::string());
        QVERIFY(options.scenario.blnDrift && !options.scenario.blnDiagError);
    }

    // The drifting line over three simulated days: margins within a plausible band, lowest in the
    // evening, a short training after every resync with a rate that changes, and uptime that only
    // goes back at a resync.
    void DriftingLineFollowsTheDay()
    {
        LineValues previous = DriftingLine(0);
        QVERIFY(previous.blnShowtime);
        int intResyncsSeen = 0;
        double dblEvening = 0;
        double dblMorning = 0;
        for (long lngSecond = 60; lngSecond < 3 * 86400; lngSecond += 60) {
            const LineValues line = DriftingLine(static_cast<double>(lngSecond));
            QVERIFY(line.dblSnrDown > 5.0 && line.dblSnrDown < 13.0);
            QVERIFY(line.dblSnrUp > 9.0 && line.dblSnrUp < 13.0);
            if (line.intResyncs != previous.intResyncs) {
                ++intResyncsSeen;
                QVERIFY(!line.blnShowtime);
                QVERIFY(line.intRateDown != previous.intRateDown || line.intRateUp != previous.intRateUp);
            } else if (line.blnShowtime && previous.blnShowtime) {
                QVERIFY(line.lngUptimeSeconds > previous.lngUptimeSeconds);
            }
            if (lngSecond == 3 * 3600) // 21:00
                dblEvening = line.dblSnrDown;
            if (lngSecond == 15 * 3600) // 09:00
                dblMorning = line.dblSnrDown;
            previous = line;
        }
        QCOMPARE(intResyncsSeen, static_cast<int>(3 * 86400 / lngResyncEvery));
        QVERIFY(dblMorning - dblEvening > 3.0);
        const std::string strPage = DriftAdslBody(RouterClass::ClassV, DriftingLine(lngResyncEvery + 1));
        QVERIFY(Contains(strPage, "Training") && Contains(strPage, "NaN"));
    }

    void ScenarioIsCheckedAgainstTheClassGivenLater()
    {
        SimOptions options;
        QVERIFY(!Parse({ "--scenario", "digest", "--class", "V" }, options).empty());
        QCOMPARE(Parse({ "--scenario", "digest", "--class", "I" }, options), std::string());
    }

    void HelpNeedsNothingElse()
    {
        SimOptions options;
        QCOMPARE(Parse({ "--help" }, options), std::string());
        QVERIFY(options.blnHelp);
        QVERIFY(Contains(SimUsage(), "--lifetime-seconds"));
    }
};

ROUTERSIM_TEST(TestSimOptions)
#include "TestSimOptions.moc"
