#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTest>

// The command line of quorvane-cli: every option, both value forms, and the usage errors.
class TestCliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyOptionOverridesItsValue()
    {
        CliOptions options;
        QString strError;
        QVERIFY(ParseCliOptions(
            { QStringLiteral("--app-dir"), QStringLiteral("/tmp/x"), QStringLiteral("--class"), QStringLiteral("ii"),
                QStringLiteral("--ip=127.0.0.1"), QStringLiteral("--port"), QStringLiteral("8080"),
                QStringLiteral("--user"), QStringLiteral("root"), QStringLiteral("--password"),
                QStringLiteral("p@ss:w/rd"), QStringLiteral("--no-censor"), QStringLiteral("--no-ipconfig"),
                QStringLiteral("--ping-host"), QStringLiteral("localhost"), QStringLiteral("--ping-ip"),
                QStringLiteral("127.0.0.1"), QStringLiteral("--dump"), QStringLiteral("--trace"),
                QStringLiteral("--output"), QStringLiteral("report.txt"), QStringLiteral("--quiet") },
            options, strError));
        QCOMPARE(options.strAppDir, QStringLiteral("/tmp/x"));
        QCOMPARE(options.intClassIndex.value_or(-1), 1);
        QCOMPARE(options.strAddress.value_or(QString()), QStringLiteral("127.0.0.1"));
        QCOMPARE(options.strPort.value_or(QString()), QStringLiteral("8080"));
        QCOMPARE(options.strUser.value_or(QString()), QStringLiteral("root"));
        QCOMPARE(options.strPassword.value_or(QString()), QStringLiteral("p@ss:w/rd"));
        QCOMPARE(options.intCensor.value_or(-1), 0);
        QCOMPARE(options.intIPConfig.value_or(-1), 0);
        QCOMPARE(options.strPingHost.value_or(QString()), QStringLiteral("localhost"));
        QCOMPARE(options.strPingIP.value_or(QString()), QStringLiteral("127.0.0.1"));
        QVERIFY(options.blnDump);
        QVERIFY(options.blnTrace);
        QCOMPARE(options.strOutput, QStringLiteral("report.txt"));
        QVERIFY(options.blnQuiet);
    }

    void absentOptionsLeaveTheLoadedValues()
    {
        CliOptions options;
        QString strError;
        QVERIFY(ParseCliOptions({}, options, strError));
        QVERIFY(!options.intClassIndex);
        QVERIFY(!options.strPassword);
        QVERIFY(!options.intCensor);
        QVERIFY(!options.blnDump);
        QVERIFY(options.strOutput.isEmpty());
        QVERIFY(!options.blnQuiet);
    }

    void emptyValueIsAValue()
    {
        CliOptions options;
        QString strError;
        QVERIFY(
            ParseCliOptions({ QStringLiteral("--password="), QStringLiteral("--ip"), QString() }, options, strError));
        QCOMPARE(options.strPassword.value_or(QStringLiteral("unset")), QString());
        QCOMPARE(options.strAddress.value_or(QStringLiteral("unset")), QString());
    }

    void usageErrorsNameTheBadOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("strNamed");
        QTest::newRow("unknown") << QStringList { QStringLiteral("--frobnicate") } << QStringLiteral("frobnicate");
        QTest::newRow("missing value") << QStringList { QStringLiteral("--port") } << QStringLiteral("--port");
        QTest::newRow("bad class") << QStringList { QStringLiteral("--class"), QStringLiteral("IV") }
                                   << QStringLiteral("--class");
        QTest::newRow("value on a flag") << QStringList { QStringLiteral("--dump=yes") } << QStringLiteral("--dump");
        QTest::newRow("positional") << QStringList { QStringLiteral("extra") } << QStringLiteral("extra");
        QTest::newRow("port not a number")
            << QStringList { QStringLiteral("--port"), QStringLiteral("abc") } << QStringLiteral("\"abc\"");
        QTest::newRow("port 0") << QStringList { QStringLiteral("--port=0") } << QStringLiteral("1 to 65535");
        QTest::newRow("port 65536") << QStringList { QStringLiteral("--port=65536") } << QStringLiteral("\"65536\"");
        QTest::newRow("address with a second host") << QStringList { QStringLiteral("--ip"),
            QStringLiteral("127.0.0.1 @127.0.0.2") } << QStringLiteral("\"127.0.0.1 @127.0.0.2\"");
        QTest::newRow("address with a line break")
            << QStringList { QStringLiteral("--ip=127.0.0.1\n127.0.0.2") } << QStringLiteral("\\n");
        QTest::newRow("password twice over") << QStringList { QStringLiteral("--password=x"),
            QStringLiteral("--password-file"), QStringLiteral("/dev/null") }
                                             << QStringLiteral("--password-file");
        QTest::newRow("output without a file")
            << QStringList { QStringLiteral("--output=") } << QStringLiteral("--output");
        QTest::newRow("page not http") << QStringList { QStringLiteral("--read-page=ftp://127.0.0.1/") }
                                       << QStringLiteral("--read-page");
        QTest::newRow("page at a second host")
            << QStringList { QStringLiteral("--read-page"), QStringLiteral("http://127.0.0.1 @127.0.0.2/") }
            << QStringLiteral("--read-page");
        QTest::newRow("page without a host")
            << QStringList { QStringLiteral("--read-page=http:///status.htm") } << QStringLiteral("--read-page");
        QTest::newRow("page and dump") << QStringList { QStringLiteral("--read-page=http://127.0.0.1/"),
            QStringLiteral("--dump") } << QStringLiteral("--dump");
        QTest::newRow("html alone") << QStringList { QStringLiteral("--html") } << QStringLiteral("--read-page");
    }
    void lastOfTwoOppositeSwitchesCounts()
    {
        CliOptions options;
        QString strError;
        QVERIFY(ParseCliOptions({ QStringLiteral("--no-censor"), QStringLiteral("--censor"),
                                    QStringLiteral("--ipconfig"), QStringLiteral("--no-ipconfig") },
            options, strError));
        QCOMPARE(options.intCensor.value_or(-1), 1);
        QCOMPARE(options.intIPConfig.value_or(-1), 0);
    }

    void helpAndVersionAreAnswered()
    {
        CliOptions options;
        QString strError;
        QVERIFY(ParseCliOptions({ QStringLiteral("-h"), QStringLiteral("--version") }, options, strError));
        QVERIFY(options.blnHelp);
        QVERIFY(options.blnVersion);
        // The usage line names the program, not the path it was started by, and the help says what
        // --password exposes and what to use instead.
        const QString strHelp = CliUsage();
        QVERIFY(strHelp.startsWith(QLatin1String("Usage: quorvane-cli [options]\n")));
        QVERIFY(strHelp.contains(QLatin1String("process list")));
        QVERIFY(strHelp.contains(QLatin1String("QUORVANE_PASSWORD")));
        // Every exit status the program has is told, in the help, README's table and the manual.
        QFile readme(QStringLiteral(QUORVANE_SOURCE_DIR "/README.md"));
        QFile manual(QStringLiteral(QUORVANE_SOURCE_DIR "/docs/man/quorvane-cli.1.in"));
        QVERIFY(readme.open(QIODevice::ReadOnly) && manual.open(QIODevice::ReadOnly));
        const QString strReadme = QString::fromUtf8(readme.readAll());
        const QString strManual = QString::fromUtf8(manual.readAll());
        const QString strManualStatuses = strManual.mid(strManual.indexOf(QLatin1String(".SH EXIT STATUS")));
        for (const int intStatus : { intExitFinished, intExitOutputFailed, intExitUsage, intExitAbnormal,
                 intExitLoginFailed, intExitInterrupted, intExitTerminated }) {
            const QString strStatus = QString::number(intStatus);
            QVERIFY2(strHelp.contains(QLatin1String("  ") + strStatus + QLatin1Char(' '))
                    || strHelp.contains(QLatin1Char(' ') + strStatus + QLatin1Char(':')),
                qPrintable(strStatus));
            QVERIFY2(strReadme.contains(QLatin1String("\n| ") + strStatus + QLatin1Char(' '))
                    || strReadme.contains(QLatin1String("\n| ") + strStatus + QLatin1Char(','))
                    || strReadme.contains(QLatin1String(", ") + strStatus + QLatin1String(" |")),
                qPrintable(strStatus));
            QVERIFY2(strManualStatuses.contains(QLatin1String(".B ") + strStatus + QLatin1Char('\n')),
                qPrintable(strStatus));
        }
        // A page that --read-page could not load is told under status 3.
        const qsizetype lngThree = strManualStatuses.indexOf(QLatin1String(".B 3\n"));
        const qsizetype lngFour = strManualStatuses.indexOf(QLatin1String(".B 4\n"));
        QVERIFY(strManualStatuses.indexOf(QLatin1String("the page did not load")) > lngThree);
        QVERIFY(strManualStatuses.indexOf(QLatin1String("the page did not load")) < lngFour);
    }

    void usageErrorsNameTheBadOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, strNamed);
        CliOptions options;
        QString strError;
        QVERIFY(!ParseCliOptions(arguments, options, strError));
        QVERIFY2(strError.contains(strNamed), qPrintable(strError));
        QVERIFY(!strError.contains(QLatin1Char('\n')));
    }
};

QUORVANE_REGISTER_TEST(TestCliOptions)
#include "TestCliOptions.moc"
