#include "SimTestKit.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#ifndef _WIN32
#include <signal.h>
#endif

namespace
{

// Starts the program with no standard input (as CI does) and reads its port line.
int StartProgram(QProcess& process, const QStringList& arguments)
{
    process.setProgram(QStringLiteral(QUORVANE_ROUTERSIM_PROGRAM));
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(10000))
        return -1;
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < 10000)
        process.waitForReadyRead(200);
    const QByteArray line = process.readLine();
    if (!line.startsWith("port=") || !line.endsWith('\n'))
        return -1;
    return line.mid(5).trimmed().toInt();
}

// Ends a program started for a test. Windows has no signal that a console program started without
// a console can catch: terminate() only posts WM_CLOSE to its windows, of which it has none.
void StopProgram(QProcess& process)
{
#ifdef _WIN32
    process.kill();
#else
    process.terminate();
#endif
}

} // namespace

class TestRoutersimProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void PrintsOnePortLineAndStopsOnSigterm()
    {
#ifdef _WIN32
        QSKIP("Windows cannot send SIGTERM; the program stops on Ctrl-C of its console there");
#endif
        QProcess process;
        const int intPort = StartProgram(process, { "--class", "II" });
        QVERIFY(intPort > 0);
        {
            // A connection the client keeps open must not hold the program up.
            httplib::Client client("127.0.0.1", intPort);
            client.set_keep_alive(true);
            const auto result = client.Get("/cgi-bin/webcm?getpage=../html/login.html");
            QVERIFY(result);
            QCOMPARE(result->status, 200);

            QElapsedTimer timer;
            timer.start();
            process.terminate();
            QVERIFY(process.waitForFinished(10000));
            QVERIFY(timer.elapsed() < 8000);
        }
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
    }

    void StopsOnSigint()
    {
#ifdef _WIN32
        QSKIP("a console control event reaches only programs that share the sender's console");
#else
        QProcess process;
        const int intPort = StartProgram(process, { "--class", "V", "--scenario", "diag-never" });
        QVERIFY(intPort > 0);
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
#endif
    }

    void StopsByItselfWhenItsLifetimeEnds()
    {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(StartProgram(process, { "--class", "I", "--lifetime-seconds", "1" }) > 0);
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(timer.elapsed() >= 900);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    void ServesTheChosenClassAndCredentials()
    {
        QProcess process;
        const int intPort = StartProgram(process, { "--class", "I", "--user", "root", "--password", "toor" });
        QVERIFY(intPort > 0);
        httplib::Client client("127.0.0.1", intPort);
        client.set_basic_auth("root", "toor");
        const auto result = client.Get("/doc/syslog.htm");
        QVERIFY(result);
        QCOMPARE(result->status, 200);
        StopProgram(process);
        QVERIFY(process.waitForFinished(10000));
    }

    void UsageErrorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("option");
        QTest::newRow("nothing") << QStringList {} << "--class";
        QTest::newRow("bad port") << QStringList { "--class", "I", "--port", "x" } << "--port";
        QTest::newRow("bad scenario") << QStringList { "--class", "V", "--scenario", "digest" } << "--scenario";
    }

    void UsageErrorsExitWithTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, option);
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(QUORVANE_ROUTERSIM_PROGRAM), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        const QByteArray error = process.readAllStandardError();
        QVERIFY2(error.contains(option.toLatin1()), error.constData());
        QCOMPARE(error.count('\n'), 1);
    }

    void HelpGoesToStandardOutput()
    {
        QProcess process;
        process.start(QStringLiteral(QUORVANE_ROUTERSIM_PROGRAM), { "--help" });
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(process.readAllStandardOutput().contains("--scenario"));
    }

    void BusyPortIsAnError()
    {
        QProcess first;
        const int intPort = StartProgram(first, { "--class", "I" });
        QVERIFY(intPort > 0);
        QProcess second;
        second.setStandardInputFile(QProcess::nullDevice());
        second.start(
            QStringLiteral(QUORVANE_ROUTERSIM_PROGRAM), { "--class", "II", "--port", QString::number(intPort) });
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());

        // The first one still answers, as itself.
        httplib::Client client("127.0.0.1", intPort);
        const auto result = client.Get("/doc/syslog.htm");
        QVERIFY(result);
        QCOMPARE(result->status, 401);
        StopProgram(first);
        QVERIFY(first.waitForFinished(10000));
    }
};

ROUTERSIM_TEST(TestRoutersimProgram)
#include "TestRoutersimProgram.moc"
