#include "platform/WallClockSetNotifier.h"

#include <QSocketNotifier>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

WallClockSetNotifier::WallClockSetNotifier(QObject *parent) : QObject(parent)
{
#if defined(Q_OS_LINUX)
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    if (!arm()) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockSetNotifier::onReadable);
#endif
}

WallClockSetNotifier::~WallClockSetNotifier()
{
#if defined(Q_OS_LINUX)
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

bool WallClockSetNotifier::arm()
{
#if defined(Q_OS_LINUX)
    // The expiry itself is never wanted, only the cancellation: an absolute time decades away. Not the largest
    // time_t, which an interposed clock (a test's faked time) could push past the end of the range.
    timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec spec = {};
    spec.it_value.tv_sec = now.tv_sec + time_t(50) * 365 * 24 * 3600;
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
#else
    return false;
#endif
}

void WallClockSetNotifier::onReadable()
{
#if defined(Q_OS_LINUX)
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(m_fd, &expirations, sizeof expirations);
    if (got < 0 && errno == EAGAIN)
        return;
    // ECANCELED is the news; the timer stays cancelled until it is set again. A read of the far expiry, or any
    // other failure, only needs the timer set again.
    const bool set = got < 0 && errno == ECANCELED;
    if (!arm()) {
        m_notifier->setEnabled(false);
        ::close(m_fd);
        m_fd = -1;
    }
    if (set)
        emit clockSet();
#endif
}
