#include "QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace
{

using namespace std::chrono_literals;

class QtEventPumpTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "audio_backend_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
};

TEST_F(QtEventPumpTest, ProcessPendingEventsDispatchesQueuedEventsAndReturns)
{
    QtEventPump pump;
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ++ran; }, Qt::QueuedConnection);
    pump.processPendingEvents();
    EXPECT_EQ(ran, 2);
    // Nothing pending: returns without waiting for anything.
    pump.processPendingEvents();
    EXPECT_EQ(ran, 2);
}

TEST_F(QtEventPumpTest, WaitEndsWithAnEventFromAnotherThread)
{
    QtEventPump pump;
    bool late = false;
    QTimer sentinel;
    sentinel.setSingleShot(true);
    QObject::connect(&sentinel, &QTimer::timeout, [&] { late = true; });
    sentinel.start(30s);
    std::atomic<bool> delivered{false};
    std::thread other([&] {
        std::this_thread::sleep_for(50ms);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { delivered = true; }, Qt::QueuedConnection);
    });
    while (!delivered && !late)
        pump.waitForEvents(60s);
    other.join();
    EXPECT_TRUE(delivered);
    EXPECT_FALSE(late);
}

TEST_F(QtEventPumpTest, WakeUpEndsAWaitThatNoEventEnds)
{
    QtEventPump pump;
    bool late = false;
    QTimer sentinel;
    sentinel.setSingleShot(true);
    QObject::connect(&sentinel, &QTimer::timeout, [&] { late = true; });
    sentinel.start(30s);
    std::thread other([&] {
        std::this_thread::sleep_for(50ms);
        pump.wakeUp();
    });
    pump.waitForEvents(60s);
    other.join();
    EXPECT_FALSE(late);
}

TEST_F(QtEventPumpTest, WaitEndsAtItsLimit)
{
    QtEventPump pump;
    bool late = false;
    QTimer sentinel;
    sentinel.setSingleShot(true);
    QObject::connect(&sentinel, &QTimer::timeout, [&] { late = true; });
    sentinel.start(30s);
    pump.waitForEvents(20ms);
    EXPECT_FALSE(late);
}

} // namespace
