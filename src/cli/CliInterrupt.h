#pragma once

#include <QObject>

class QSocketNotifier;

// Ctrl-C and termination requests while quorvane-cli runs. The first one is handed to the main
// thread as Interrupted(signal number: SIGINT, or SIGTERM), so that the run can log out and print
// what it has gathered; a second one ends the program at once with status 128 + its number.
//
// POSIX: SIGINT and SIGTERM, passed on through a pipe that a socket notifier watches. Windows: the
// console's Ctrl-C (SIGINT) and Ctrl-Break, close, log-off and shut-down events (SIGTERM). One
// instance at a time; the previous handling comes back when it is destroyed.
class CliInterrupt : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliInterrupt)

public:
    explicit CliInterrupt(QObject* parent = nullptr);
    ~CliInterrupt() override;

    // The exit status of a program ended by signal intSignal.
    static int ExitStatus(int intSignal) { return 128 + intSignal; }

Q_SIGNALS:
    void Interrupted(int intSignal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
