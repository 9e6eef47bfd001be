#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM and SIGINT into a normal end of the event loop, so the shut-down that follows
/// it (logging stopped, single-instance lock released) runs as after Exit.
///
/// The signal handler only writes a byte into a socket pair; the notifier on the other end
/// calls QCoreApplication::quit() on the GUI thread.
class QuitSignalHandler : public QObject
{
    Q_OBJECT

public:
    /// Installs the handlers once per process; later calls return the first result.
    static bool install();
    /// True once SIGTERM or SIGINT arrived. A quit asked during a nested event loop (a notice shown before the main
    /// loop runs) ends only that loop; the caller asks this before starting the next one.
    static bool quitRequested();

private:
    explicit QuitSignalHandler(int readFd);
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
    int m_readFd;
};
