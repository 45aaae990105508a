#include "net/DetachedScript.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

namespace
{
// Poll interval where the system offers nothing to wait on for the exit of a process that is not
// our child.
constexpr int intExitPollMs = 20;
} // namespace

bool WaitForScriptExit(const Native::ScriptProcess& script, int intLimitMs)
{
    if (script.HasExited())
        return true;

    QEventLoop loop;
    bool blnExited = false;
    const auto finish = [&blnExited, &loop] {
        blnExited = true;
        loop.quit();
    };
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;

#ifdef Q_OS_WIN
    QWinEventNotifier notifier(script.ExitHandle());
    QObject::connect(&notifier, &QWinEventNotifier::activated, &loop, finish);
#else
    std::unique_ptr<QSocketNotifier> notifier;
    if (script.ExitDescriptor() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(script.ExitDescriptor(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, finish);
    } else {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&script, &finish] {
            if (script.HasExited())
                finish();
        });
        poll.start(intExitPollMs);
    }
#endif
    // The process may have ended before the notifier was in place.
    if (script.HasExited())
        return true;
    limit.start(intLimitMs > 0 ? intLimitMs : 0);
    loop.exec();
    return blnExited || script.HasExited();
}
