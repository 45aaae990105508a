#include "e2e/EndToEnd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace
{
QString SourcePath(const QString& strRelative)
{
    return QStringLiteral(QUORVANE_SOURCE_DIR) + QLatin1Char('/') + strRelative;
}

bool CopyFile(const QString& strFrom, const QString& strTo)
{
    QFile::remove(strTo);
    return QFile::copy(strFrom, strTo);
}
} // namespace

EndToEndRunner::EndToEndRunner() = default;

QString EndToEndRunner::ProgramPath(const QString& strName)
{
    return QStringLiteral(QUORVANE_APP_DIR) + QLatin1Char('/') + strName + QStringLiteral(QUORVANE_EXE_SUFFIX);
}

bool EndToEndRunner::Prepare(const EndToEndCase& testCase, QString& strError)
{
    if (!m_dir.isValid()) {
        strError = QStringLiteral("no temporary folder");
        return false;
    }
    const QDir profiles(SourcePath(QStringLiteral("tools/routersim/profiles")));
    for (const QString& strName : profiles.entryList(QDir::Files)) {
        if (!CopyFile(profiles.filePath(strName), m_dir.filePath(strName))) {
            strError = QStringLiteral("cannot copy profile ") + strName;
            return false;
        }
    }
    if (!testCase.strProfileOverride.isEmpty()) {
        const QString strTarget = QStringLiteral("Class%1.ini").arg(testCase.strClass);
        if (!CopyFile(profiles.filePath(testCase.strProfileOverride), m_dir.filePath(strTarget))) {
            strError = QStringLiteral("cannot copy ") + testCase.strProfileOverride;
            return false;
        }
    }
    CopyFile(SourcePath(QStringLiteral("dist/vendors.txt")), m_dir.filePath(QStringLiteral("vendors.txt")));

    // The PC's IP configuration is a fixed listing, so that reports compare byte for byte.
#ifdef Q_OS_WIN
    QFile script(m_dir.filePath(QStringLiteral("NetworkInfo.bat")));
    if (!script.open(QIODevice::WriteOnly)) {
        strError = QStringLiteral("cannot write NetworkInfo.bat");
        return false;
    }
    const QString strListing = QDir::toNativeSeparators(
        QFileInfo(QStringLiteral(QUORVANE_TEST_DATA_DIR) + QStringLiteral("/e2e/ipcon.txt")).absoluteFilePath());
    script.write("@copy /y \"" + strListing.toLocal8Bit() + "\" \"%~dp0ipcon.txt\" > nul\r\n");
    script.close();
#else
    QFile script(m_dir.filePath(QStringLiteral("NetworkInfo.sh")));
    if (!script.open(QIODevice::WriteOnly)) {
        strError = QStringLiteral("cannot write NetworkInfo.sh");
        return false;
    }
    script.write("#!/bin/sh\ncp '"
        + QFile::encodeName(QStringLiteral(QUORVANE_TEST_DATA_DIR) + QStringLiteral("/e2e/ipcon.txt"))
        + "' \"$(dirname \"$0\")/ipcon.txt\"\n");
    script.close();
#endif
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);

    QStringList arguments { QStringLiteral("--class"), testCase.strClass, QStringLiteral("--port"), QStringLiteral("0"),
        QStringLiteral("--lifetime-seconds"), QStringLiteral("300"), QStringLiteral("--verbose") };
    if (!testCase.strScenario.isEmpty())
        arguments << QStringLiteral("--scenario") << testCase.strScenario;
    if (!m_router.Start(ProgramPath(QStringLiteral("quorvane-routersim")), arguments)) {
        strError = QStringLiteral("the simulated router did not start");
        return false;
    }
    // A port that a router answered on a moment ago, and that nothing listens at now.
    if (testCase.blnNoRouter)
        m_router.Stop();
    return true;
}

ProcessResult EndToEndRunner::RunCli(const EndToEndCase& testCase, int intTimeoutMs)
{
    QStringList arguments { QStringLiteral("--app-dir"), m_dir.path(), QStringLiteral("--class"), testCase.strClass,
        QStringLiteral("--ip"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(m_router.Port()),
        QStringLiteral("--ping-host"), QStringLiteral("localhost"), QStringLiteral("--ping-ip"),
        QStringLiteral("127.0.0.1") };
    arguments += testCase.extraArgs;
    if (!testCase.bytStopRouterAt.isEmpty()) {
        // A router that goes away in the middle of a run: switched off, or restarting.
        return RunProgramUntil(
            ProgramPath(QStringLiteral("quorvane-cli")), arguments, testCase.bytStopRouterAt,
            [this](qint64) { m_router.Stop(); }, intTimeoutMs);
    }
    if (!testCase.bytInterruptAt.isEmpty())
        return RunProgramInterrupted(
            ProgramPath(QStringLiteral("quorvane-cli")), arguments, testCase.bytInterruptAt, intTimeoutMs);
    return RunProgram(ProgramPath(QStringLiteral("quorvane-cli")), arguments, intTimeoutMs);
}

QString EndToEndRunner::MaskReport(const QString& strReport, int intPort)
{
    QString strMasked = strReport;
    static const QRegularExpression stamp(QStringLiteral("(Quorvane \\| [^\\r\\n]* - v\\d+\\.\\d+\\.\\d+ - )"
                                                         "\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    strMasked.replace(stamp, QStringLiteral("\\1<time>"));
    strMasked.replace(QStringLiteral(":") + QString::number(intPort), QStringLiteral(":<port>"));
    strMasked.replace(QStringLiteral("port ") + QString::number(intPort), QStringLiteral("port <port>"));
    return strMasked;
}

bool EndToEndRunner::MatchesGolden(const QString& strName, const QString& strActual, QString& strMessage)
{
    const QString strPath
        = QStringLiteral(QUORVANE_TEST_DATA_DIR) + QStringLiteral("/e2e/") + strName + QStringLiteral(".txt");
    QFile golden(strPath);
    QByteArray expected;
    if (golden.open(QIODevice::ReadOnly))
        expected = golden.readAll();
    const QByteArray actual = strActual.toUtf8();
    if (expected == actual)
        return true;
    QFile out(strPath + QStringLiteral(".actual"));
    if (out.open(QIODevice::WriteOnly))
        out.write(actual);
    strMessage = expected.isEmpty() ? QStringLiteral("no golden file; actual output written to ") + out.fileName()
                                    : QStringLiteral("report differs; actual output written to ") + out.fileName();
    return false;
}
