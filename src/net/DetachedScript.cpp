#include "net/DetachedScript.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

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

#ifdef Q_OS_WIN
    QWinEventNotifier notifier(script.ExitHandle());
    QObject::connect(&notifier, &QWinEventNotifier::activated, &loop, finish);
#else
    QTimer poll;
    std::unique_ptr<QSocketNotifier> notifier;
    if (script.ExitDescriptor() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(script.ExitDescriptor(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, finish);
    } else {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&script, &finish] {
            if (script.HasExited())
                finish();
        });
        poll.start(Native::ScriptProcess::intExitPollMs);
    }
#endif
    // The process may have ended before the notifier was in place.
    if (script.HasExited())
        return true;
    limit.start(intLimitMs > 0 ? intLimitMs : 0);
    loop.exec();
    return blnExited || script.HasExited();
}
