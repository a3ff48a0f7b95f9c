#include "QtEventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

QtEventPump::QtEventPump()
{
    m_limit.setSingleShot(true);
    m_limit.setTimerType(Qt::PreciseTimer);
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
