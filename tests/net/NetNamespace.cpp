#include "NetNamespace.h"

#include <QCoreApplication>
#include <QProcess>

#ifdef Q_OS_LINUX
#include <atomic>
#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#endif

namespace
{
#ifdef Q_OS_LINUX
std::atomic<int> g_intNextNamespace { 1 };

// Clears CAP_NET_RAW from the calling thread's effective capabilities; other threads keep theirs.
bool DropRawPermission()
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct data[2] {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    data[CAP_NET_RAW / 32].effective &= ~(1U << (CAP_NET_RAW % 32));
    return ::syscall(SYS_capset, &header, data) == 0;
}
#endif
} // namespace

ScopedNetNamespace::ScopedNetNamespace()
{
#ifdef Q_OS_LINUX
    m_strName = QStringLiteral("quorvane-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(g_intNextNamespace++);
    m_blnCreated = Run(QStringLiteral("ip"), { QStringLiteral("netns"), QStringLiteral("add"), m_strName });
    m_blnReady = m_blnCreated
        && Ip({ QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up") });
#else
    m_strProblem = QStringLiteral("network namespaces exist only on Linux");
#endif
}

ScopedNetNamespace::~ScopedNetNamespace()
{
    if (m_blnCreated)
        QProcess::execute(QStringLiteral("ip"), { QStringLiteral("netns"), QStringLiteral("delete"), m_strName });
}

bool ScopedNetNamespace::Run(const QString& strProgram, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(strProgram, arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_strProblem = QStringLiteral("%1 %2 failed: %3 %4")
                           .arg(strProgram, arguments.join(u' '), process.errorString(),
                               QString::fromLocal8Bit(process.readAll()).trimmed());
        return false;
    }
    return true;
}

bool ScopedNetNamespace::Ip(const QStringList& arguments)
{
    return Run(QStringLiteral("ip"), QStringList { QStringLiteral("-n"), m_strName } + arguments);
}

bool ScopedNetNamespace::Sysctl(const QString& strSetting)
{
    return Run(QStringLiteral("ip"),
        { QStringLiteral("netns"), QStringLiteral("exec"), m_strName, QStringLiteral("sysctl"), QStringLiteral("-q"),
            QStringLiteral("-w"), strSetting });
}

bool ScopedNetNamespace::RunInside(const std::function<void()>& work, bool blnWithoutRawPermission)
{
#ifdef Q_OS_LINUX
    bool blnEntered = false;
    // Namespace membership and capabilities belong to the thread, so the test's own thread keeps
    // its network and permissions.
    std::thread worker([&] {
        const int intDescriptor = ::open(qPrintable(QStringLiteral("/run/netns/") + m_strName), O_RDONLY | O_CLOEXEC);
        if (intDescriptor < 0)
            return;
        const bool blnJoined = ::setns(intDescriptor, CLONE_NEWNET) == 0;
        ::close(intDescriptor);
        if (!blnJoined || (blnWithoutRawPermission && !DropRawPermission()))
            return;
        blnEntered = true;
        work();
    });
    worker.join();
    if (!blnEntered)
        m_strProblem = QStringLiteral("could not enter the network namespace %1").arg(m_strName);
    return blnEntered;
#else
    Q_UNUSED(work);
    Q_UNUSED(blnWithoutRawPermission);
    return false;
#endif
}
