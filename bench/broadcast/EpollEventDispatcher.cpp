#include "EpollEventDispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <vector>

// Exported by QtCore, declared in a private header only.
Q_CORE_EXPORT uint qGlobalPostedEventsCount();

EpollEventDispatcher::EpollEventDispatcher(QObject *parent)
    : QAbstractEventDispatcher(parent), m_epoll(epoll_create1(EPOLL_CLOEXEC)),
      m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = m_wake;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &event);
}

EpollEventDispatcher::~EpollEventDispatcher()
{
    ::close(m_wake);
    ::close(m_epoll);
}

qint64 EpollEventDispatcher::nowMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void EpollEventDispatcher::update(int fd)
{
    const auto found = m_notifiers.find(fd);
    if (found == m_notifiers.end()) {
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
        return;
    }
    epoll_event event{};
    event.events = (found->read ? EPOLLIN : 0u) | (found->write ? EPOLLOUT : 0u) | (found->exception ? EPOLLPRI : 0u);
    event.data.fd = fd;
    if (epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event) != 0)
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
}

void EpollEventDispatcher::registerSocketNotifier(QSocketNotifier *notifier)
{
    Notifiers &set = m_notifiers[int(notifier->socket())];
    switch (notifier->type()) {
    case QSocketNotifier::Read:
        set.read = notifier;
        break;
    case QSocketNotifier::Write:
        set.write = notifier;
        break;
    case QSocketNotifier::Exception:
        set.exception = notifier;
        break;
    }
    update(int(notifier->socket()));
}

void EpollEventDispatcher::unregisterSocketNotifier(QSocketNotifier *notifier)
{
    const int fd = int(notifier->socket());
    const auto found = m_notifiers.find(fd);
    if (found == m_notifiers.end())
        return;
    if (found->read == notifier)
        found->read = nullptr;
    if (found->write == notifier)
        found->write = nullptr;
    if (found->exception == notifier)
        found->exception = nullptr;
    if (!found->read && !found->write && !found->exception)
        m_notifiers.erase(found);
    update(fd);
}

void EpollEventDispatcher::registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject *object)
{
    Timer timer{interval, timerType, object, nowMs() + interval, {}};
    timer.position = m_byDue.emplace(timer.due, timerId);
    m_timers.insert(timerId, timer);
}

bool EpollEventDispatcher::unregisterTimer(int timerId)
{
    const auto found = m_timers.find(timerId);
    if (found == m_timers.end())
        return false;
    m_byDue.erase(found->position);
    m_timers.erase(found);
    return true;
}

bool EpollEventDispatcher::unregisterTimers(QObject *object)
{
    bool any = false;
    for (auto timer = m_timers.begin(); timer != m_timers.end();) {
        if (timer->object == object) {
            m_byDue.erase(timer->position);
            timer = m_timers.erase(timer);
            any = true;
        } else {
            ++timer;
        }
    }
    return any;
}

QList<QAbstractEventDispatcher::TimerInfo> EpollEventDispatcher::registeredTimers(QObject *object) const
{
    QList<TimerInfo> list;
    for (auto timer = m_timers.cbegin(); timer != m_timers.cend(); ++timer) {
        if (timer->object == object)
            list.append(TimerInfo(timer.key(), timer->interval, timer->type));
    }
    return list;
}

int EpollEventDispatcher::remainingTime(int timerId)
{
    const auto found = m_timers.constFind(timerId);
    return found == m_timers.constEnd() ? -1 : int(qMax<qint64>(0, found->due - nowMs()));
}

int EpollEventDispatcher::activateTimers()
{
    // Only timers due when this pass began: a zero-interval timer started by one of them waits for the next turn.
    const qint64 now = nowMs();
    std::vector<int> due;
    for (auto entry = m_byDue.begin(); entry != m_byDue.end() && entry->first <= now; ++entry)
        due.push_back(entry->second);
    int fired = 0;
    for (int id : due) {
        const auto found = m_timers.find(id);
        if (found == m_timers.end())
            continue;
        QObject *object = found->object;
        m_byDue.erase(found->position);
        found->due = now + qMax(found->interval, 0);
        found->position = m_byDue.emplace(found->due, id);
        QTimerEvent event(id);
        QCoreApplication::sendEvent(object, &event);
        ++fired;
    }
    return fired;
}

bool EpollEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    m_interrupted.storeRelaxed(0);
    emit awake();
    QCoreApplication::sendPostedEvents();
    if (m_interrupted.loadRelaxed())
        return false;

    int timeout = 0;
    if ((flags & QEventLoop::WaitForMoreEvents) && !hasPendingEvents()) {
        timeout = -1;
        if (!m_byDue.empty())
            timeout = int(qMax<qint64>(0, m_byDue.begin()->first - nowMs()));
    }
    if (timeout != 0)
        emit aboutToBlock();
    epoll_event events[256];
    const int ready = epoll_wait(m_epoll, events, 256, timeout);
    if (timeout != 0)
        emit awake();
    int handled = 0;
    for (int i = 0; i < ready; ++i) {
        const int fd = events[i].data.fd;
        if (fd == m_wake) {
            eventfd_t value;
            eventfd_read(m_wake, &value);
            continue;
        }
        // Looked up again for every kind: a notifier may go while an earlier one is handled.
        const auto activate = [&](QSocketNotifier *Notifiers::*kind) {
            const auto set = m_notifiers.constFind(fd);
            if (set == m_notifiers.constEnd() || !((*set).*kind) || !((*set).*kind)->isEnabled())
                return;
            QEvent event(QEvent::SockAct);
            QCoreApplication::sendEvent((*set).*kind, &event);
            ++handled;
        };
        const quint32 what = events[i].events;
        if (what & (EPOLLIN | EPOLLHUP | EPOLLERR))
            activate(&Notifiers::read);
        if (what & (EPOLLOUT | EPOLLHUP | EPOLLERR))
            activate(&Notifiers::write);
        if (what & EPOLLPRI)
            activate(&Notifiers::exception);
    }
    if (!(flags & QEventLoop::X11ExcludeTimers))
        handled += activateTimers();
    return handled > 0;
}

bool EpollEventDispatcher::hasPendingEvents()
{
    return qGlobalPostedEventsCount() > 0;
}

void EpollEventDispatcher::wakeUp()
{
    eventfd_write(m_wake, 1);
}

void EpollEventDispatcher::interrupt()
{
    m_interrupted.storeRelaxed(1);
    wakeUp();
}

void EpollEventDispatcher::flush()
{
}
