#include "cli/PasswordSource.h"
#include "support/TestRegistry.h"

#include <QTemporaryDir>
#include <QTest>
#include <future>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace
{
// Sets QUORVANE_PASSWORD (or removes it) for as long as the object lives.
class PasswordVariable
{
public:
    explicit PasswordVariable(const char* strValue)
    {
        if (strValue)
            qputenv("QUORVANE_PASSWORD", strValue);
        else
            qunsetenv("QUORVANE_PASSWORD");
    }
    ~PasswordVariable() { qunsetenv("QUORVANE_PASSWORD"); }
    PasswordVariable(const PasswordVariable&) = delete;
    PasswordVariable& operator=(const PasswordVariable&) = delete;
};

#ifndef Q_OS_WIN
// Everything that arrives at the terminal's master side within intWaitMs.
QByteArray ReadMaster(int intMaster, int intWaitMs)
{
    QByteArray bytRead;
    pollfd watched { intMaster, POLLIN, 0 };
    while (::poll(&watched, 1, intWaitMs) > 0) {
        char buffer[256];
        const ssize_t lngRead = ::read(intMaster, buffer, sizeof buffer);
        if (lngRead <= 0)
            break;
        bytRead.append(buffer, lngRead);
        intWaitMs = 100;
    }
    return bytRead;
}
#endif
} // namespace

// Where the command line's password comes from, and the prompt that does not show it.
class TestPasswordSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstSourceFoundWins()
    {
        QTemporaryDir dir;
        const QString strFile = dir.filePath(QStringLiteral("pw"));
        QFile file(strFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("s\xE2\x82\xAC"
                   "cret\r\nsecond line\n");
        file.close();
        QString strError;
        CliOptions options;
        {
            PasswordVariable variable(nullptr);
            QVERIFY(!PasswordFromOptions(options, strError));
        }
        // An empty password given on purpose is a password: nobody is asked for another. Windows
        // keeps no empty variables (setting one empty removes it), so there it reads as unset.
        PasswordVariable variable("");
#ifdef Q_OS_WIN
        QVERIFY(!PasswordFromOptions(options, strError));
#else
        QCOMPARE(PasswordFromOptions(options, strError).value_or(QStringLiteral("unset")), QString());
        // Read once, then gone: the programs that the run starts never see it.
        QVERIFY(!qEnvironmentVariableIsSet("QUORVANE_PASSWORD"));
        QVERIFY(!PasswordFromOptions(options, strError));
#endif
        options.strPasswordFile = strFile;
        // The first line only, without CR LF, read as UTF-8.
        QCOMPARE(PasswordFromOptions(options, strError).value_or(QString()), QStringLiteral("s\u20ACcret"));
        options.strPassword = QStringLiteral("from-option");
        {
            // Removed even when another source wins.
            PasswordVariable unused("from-environment");
            QCOMPARE(PasswordFromOptions(options, strError).value_or(QString()), QStringLiteral("from-option"));
            QVERIFY(!qEnvironmentVariableIsSet("QUORVANE_PASSWORD"));
        }
        QVERIFY(strError.isEmpty());

        options.strPassword.reset();
        options.strPasswordFile = dir.filePath(QStringLiteral("missing"));
        QVERIFY(!PasswordFromOptions(options, strError));
        QVERIFY2(strError.contains(*options.strPasswordFile), qPrintable(strError));
    }

    void promptIsAskedOnlyWhenNoPasswordIsGiven()
    {
        int intAsked = 0;
        const PasswordPromptFn prompt = [&intAsked]() -> std::optional<QString> {
            ++intAsked;
            return QStringLiteral("typed");
        };
        // An empty password given on purpose is used as it is, and so is the profile's.
        QCOMPARE(RunPassword(QString(), QStringLiteral("remembered"), prompt), QString());
        QCOMPARE(RunPassword(std::nullopt, QStringLiteral("remembered"), prompt), QStringLiteral("remembered"));
        QCOMPARE(intAsked, 0);
        QCOMPARE(RunPassword(std::nullopt, QString(), prompt), QStringLiteral("typed"));
        QCOMPARE(intAsked, 1);
        QCOMPARE(RunPassword(std::nullopt, QString(), {}), QString());
    }

    void promptReadsWithoutEcho()
    {
#ifdef Q_OS_WIN
        // Nothing that is not a console is asked.
        int pipeEnds[2];
        QVERIFY(::_pipe(pipeEnds, 256, _O_BINARY) == 0);
        QVERIFY(!PromptPassword(pipeEnds[0], pipeEnds[1]));
        ::_close(pipeEnds[0]);
        ::_close(pipeEnds[1]);
        QSKIP("the console prompt needs a console; a test program has none (Wine gives it none)");
#else
        int intMaster = -1;
        int intSlave = -1;
        QVERIFY(::openpty(&intMaster, &intSlave, nullptr, nullptr, nullptr) == 0);
        auto typed = std::async(std::launch::async, [intSlave] { return PromptPassword(intSlave, intSlave); });
        // The prompt shows once echo is off; what is typed after it must not come back.
        QByteArray bytShown = ReadMaster(intMaster, 5000);
        QVERIFY2(bytShown.startsWith("Password: "), bytShown.constData());
        const QByteArray bytTyped = "s\xE2\x82\xAC"
                                    "cret\n";
        QCOMPARE(::write(intMaster, bytTyped.constData(), static_cast<size_t>(bytTyped.size())),
            static_cast<ssize_t>(bytTyped.size()));
        QVERIFY(typed.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
        QCOMPARE(typed.get().value_or(QString()), QStringLiteral("s\u20ACcret"));
        bytShown += ReadMaster(intMaster, 200);
        QVERIFY2(!bytShown.contains("cret"), bytShown.constData());
        // The terminal echoes again afterwards.
        termios terminal {};
        QVERIFY(::tcgetattr(intSlave, &terminal) == 0);
        QVERIFY(terminal.c_lflag & ECHO);
        ::close(intSlave);
        ::close(intMaster);

        // Nothing that is not a terminal is asked.
        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        QVERIFY(!PromptPassword(pipeEnds[0], pipeEnds[1]));
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
#endif
    }
};

QUORVANE_REGISTER_TEST(TestPasswordSource)
#include "TestPasswordSource.moc"
