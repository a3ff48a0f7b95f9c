#include "QtEventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

QtEventPump::QtEventPump()
{
    m_limit.setSingleShot(true);
    m_limit.setTimerType(Qt::PreciseTimer);
}

QtEventPump::~QtEventPump()
{
    for (const auto& [fd, notifier] : m_watched)
        delete notifier;
}

void QtEventPump::processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents(std::chrono::milliseconds limit)
{
    if (limit.count() <= 0)
        return;
    m_limit.start(limit);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_limit.stop();
}

void QtEventPump::wakeUp()
{
    if (auto* dispatcher =
            QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
        dispatcher->wakeUp();
}

bool QtEventPump::watch(int fd, std::function<void()> onReadable)
{
    if (fd < 0)
        return false;
    unwatch(fd);
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [handler = std::move(onReadable)] { handler(); });
    m_watched[fd] = notifier;
    return true;
}

void QtEventPump::unwatch(int fd)
{
    const auto found = m_watched.find(fd);
    if (found == m_watched.end())
        return;
    // It may be the notifier whose signal runs now: disabled at once, deleted once back in
    // the event loop.
    found->second->setEnabled(false);
    found->second->deleteLater();
    m_watched.erase(found);
}
