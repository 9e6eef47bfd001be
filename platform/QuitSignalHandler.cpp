#include "platform/QuitSignalHandler.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalFds[2] = {-1, -1};
bool quitSignalled = false;

extern "C" void onQuitSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe just means a quit is already pending.
    [[maybe_unused]] const ssize_t written = ::write(signalFds[0], &byte, 1);
    errno = savedErrno;
}
} // namespace

QuitSignalHandler::QuitSignalHandler(int readFd) : QObject(QCoreApplication::instance()), m_readFd(readFd)
{
    m_notifier = new QSocketNotifier(readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignalHandler::onSignal);
}

void QuitSignalHandler::onSignal()
{
    char buffer[16];
    [[maybe_unused]] const ssize_t got = ::read(m_readFd, buffer, sizeof buffer);
    quitSignalled = true;
    QCoreApplication::quit();
}

bool QuitSignalHandler::quitRequested()
{
    return quitSignalled;
}

bool QuitSignalHandler::install()
{
    static const bool installed = []() {
        if (!QCoreApplication::instance())
            return false;
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalFds) != 0)
            return false;
        ::fcntl(signalFds[0], F_SETFL, ::fcntl(signalFds[0], F_GETFL) | O_NONBLOCK);
        new QuitSignalHandler(signalFds[1]);
        struct sigaction action = {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
    }();
    return installed;
}
