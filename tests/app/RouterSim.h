#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// The simulated router on a free loopback port, for as long as the object lives.
class RouterSim
{
public:
    static QString Program() { return QStringLiteral(QUORVANE_APP_DIR "/quorvane-routersim" QUORVANE_EXE_SUFFIX); }

    // Starts a router of class strClass ("I", "II", "V") showing strScenario; false when it did not
    // come up (the reason is in Error()).
    bool Start(const QString& strClass, const QString& strScenario = QStringLiteral("normal"))
    {
        if (!QFile::exists(Program())) {
            m_strError = QStringLiteral("the simulated router is not built: ") + Program();
            return false;
        }
        m_process.setProgram(Program());
        m_process.setArguments({ QStringLiteral("--class"), strClass, QStringLiteral("--port"), QStringLiteral("0"),
            QStringLiteral("--scenario"), strScenario, QStringLiteral("--lifetime-seconds"), QStringLiteral("300"),
            QStringLiteral("--verbose") });
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(10000)) {
            m_strError = m_process.errorString();
            return false;
        }
        const QRegularExpression rxPort(QStringLiteral("port=(\\d+)"));
        QByteArray bytOutput;
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (m_process.waitForReadyRead(200))
                bytOutput += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = rxPort.match(QString::fromLatin1(bytOutput));
            if (match.hasMatch()) {
                intPort = match.captured(1).toInt();
                return intPort > 0;
            }
            if (m_process.state() == QProcess::NotRunning)
                break;
        }
        m_strError = QStringLiteral("no port from the simulated router: ")
            + QString::fromLatin1(bytOutput + m_process.readAllStandardError());
        return false;
    }

    ~RouterSim()
    {
        if (m_process.state() != QProcess::NotRunning) {
#ifndef Q_OS_WIN
            // Windows has no signal for a console program without a console: it is ended outright.
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
#endif
            {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    QString Error() const
    {
        return m_strError;
    }
    // The requests answered so far, a line each ("GET /path 200").
    QByteArray Requests()
    {
        do
            m_bytRequests += m_process.readAllStandardError();
        while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(200));
        return m_bytRequests;
    }

    int intPort = 0;

private:
    QProcess m_process;
    QString m_strError;
    QByteArray m_bytRequests;
};
