// A stand-in console for the single-instance tests: it takes part in the single-instance
// protocol exactly as the console does, with a main window or without one, and can restart
// itself. Usage: instance_helper <lock folder> <mode> [milliseconds]
//   main       holds the lock; a later start finds a main window ("activated" is printed)
//   login      holds the lock; a later start finds no main window
//   restart    like main, then restarts itself (as "main") after the given time
//   lock-only  takes the bare lock file without answering, gives it up after the given time
// A start that finds the lock taken exits 0 or -1 like the console. The hand-over wait can be
// shortened through the environment variable QV_HANDOVER_WAIT; QV_INSTANCE_KEY names another key than the tests'
// own (the console's, to stand in for a running console).
#include "platform/QuitSignalHandler.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QThread>
#include <QTimer>

#include <cstdio>

static const char *const testKey = "quorvin-test-instance";

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString mode = QString::fromLatin1(argv[2]);
    const int ms = argc > 3 ? QByteArray(argv[3]).toInt() : 0;
    const QByteArray otherKey = qgetenv("QV_INSTANCE_KEY");
    const QString key = otherKey.isEmpty() ? QString::fromLatin1(testKey) : QString::fromLatin1(otherKey);

    if (mode == QLatin1String("lock-only")) {
        SingleInstance probe(folder, key);
        QLockFile lock(probe.lockFilePath());
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            return 3;
        std::printf("acquired\n");
        std::fflush(stdout);
        QThread::msleep(ulong(ms));
        lock.unlock();
        return 0;
    }

    SingleInstance instance(folder, key);
    const QByteArray wait = qgetenv("QV_HANDOVER_WAIT");
    if (!wait.isEmpty())
        instance.setHandOverWait(wait.toInt());
    const bool hasMainWindow = mode != QLatin1String("login");
    instance.setActivationHandler([hasMainWindow]() {
        if (hasMainWindow) {
            std::printf("activated\n");
            std::fflush(stdout);
        }
        return hasMainWindow;
    });
    const SingleInstance::Outcome outcome = instance.acquire();
    if (outcome != SingleInstance::Acquired)
        return SingleInstance::exitCodeFor(outcome);
    QuitSignalHandler::install();
    std::printf("acquired\n");
    std::fflush(stdout);

    if (mode == QLatin1String("restart")) {
        QTimer::singleShot(ms, [folder]() {
            SingleInstance::restartApplication(QCoreApplication::applicationFilePath(),
                                               {folder, QStringLiteral("main")});
        });
    }
    const int result = app.exec();
    instance.release();
    return result;
}
