#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// A network namespace that a test makes for itself and deletes again, whatever happens. Nothing
// sent inside it can reach another network: it holds only the links the test adds to it.
class ScopedNetNamespace
{
public:
    ScopedNetNamespace();
    ~ScopedNetNamespace();
    ScopedNetNamespace(const ScopedNetNamespace&) = delete;
    ScopedNetNamespace& operator=(const ScopedNetNamespace&) = delete;

    // False when the namespace could not be made (no privileges, no ip command); Problem() says why.
    bool IsReady() const { return m_blnReady; }
    QString Problem() const { return m_strProblem; }
    QString Name() const { return m_strName; }

    // Runs "ip -n <name> <arguments>"; false (with Problem() set) when it fails.
    bool Ip(const QStringList& arguments);
    // Sets a kernel setting of the namespace, such as "net.ipv4.ip_forward=1".
    bool Sysctl(const QString& strSetting);
    // Runs work on a thread of this process that has entered the namespace (and, with
    // blnWithoutRawPermission, given up the permission to open raw sockets). False when the
    // thread could not get there, in which case work does not run.
    bool RunInside(const std::function<void()>& work, bool blnWithoutRawPermission = false);

private:
    bool Run(const QString& strProgram, const QStringList& arguments);

    QString m_strName;
    QString m_strProblem;
    bool m_blnCreated = false;
    bool m_blnReady = false;
};
