// Drives the WinMM backend through the real playback cycle, as the command line will:
//   winmm_play --list            the start-up counts, then one wave-out device per line
//   winmm_play SEQUENCE [DEVICE] plays the DTMF sequence (70 ms tones, 70 ms pauses) on the
//                                default output or the named one; prints "played in N ms"
//   winmm_play --stop-after MS SEQUENCE
//                                stops the play after MS ms (the reset a Ctrl+C will take),
//                                prints "stopped after N ms", then plays "1" on the same
//                                device object to show that the device was let go
// Exit status 0 when the play reached its end, 1 after a numbered report (on stderr).
#include "DtmfModule.h"
#include "EventPump.h"
#include "PlaybackCycle.h"
#include "StderrMessages.h"
#include "TickCounter.h"
#include "WinMmWaveOut.h"

#include <condition_variable>
#include <iostream>
#include <mutex>
#include <string>

namespace
{

// No window: the wait sleeps until the device's wake-up or the cycle's next check.
class SleepingEventPump : public EventPump
{
public:
    void processPendingEvents() override {}
    void waitForEvents(std::chrono::milliseconds limit) override
    {
        std::unique_lock lock(m_mutex);
        m_woken.wait_for(lock, limit, [this] { return m_wakeUp; });
        m_wakeUp = false;
    }
    void wakeUp() override
    {
        const std::lock_guard lock(m_mutex);
        m_wakeUp = true;
        m_woken.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_woken;
    bool m_wakeUp = false;
};

} // namespace

int main(int argc, char** argv)
{
    WinMmWaveOut device;
    const std::string first = argc > 1 ? argv[1] : "--list";
    if (first == "--list") {
        std::cout << "inputs " << device.inputDeviceCount() << ", outputs "
                  << device.outputDeviceCount() << "\n";
        for (const OutputDevice& output : device.outputDevices())
            std::cout << output.name << "\n";
        return 0;
    }
    int stopAfterMs = -1;
    if (first == "--stop-after" && argc > 3) {
        stopAfterMs = std::stoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc > 2)
        device.setOutputDevice(argv[2]);
    modTone module = dtmfModule(70, 70, 0);
    SteadyTickCounter ticks;
    StderrMessages messages(
        std::cerr, [&device](int step, std::int32_t code) { return device.reasonFor(step, code); });
    SleepingEventPump events;
    PlaybackCycle cycle(module, device, ticks, messages, events);
    if (!cycle.CheckSoundCard())
        return 1;
    if (stopAfterMs >= 0) {
        const std::uint32_t start = ticks.GetTickCount();
        cycle.setDuringWait([&]() -> std::uint32_t {
            const std::uint32_t waited = ticks.GetTickCount() - start;
            if (waited >= static_cast<std::uint32_t>(stopAfterMs))
                cycle.requestStop();
            return 5;
        });
        cycle.SuonaSequenza(argv[1]);
        if (cycle.lastResult() != PlaybackCycle::Result::Stopped || module.Playing)
            return 1;
        std::cout << "stopped after " << module.ElapsedMs << " ms\n";
        cycle.setDuringWait({});
        cycle.SuonaSequenza("1");
    } else {
        cycle.SuonaSequenza(argv[1]);
    }
    if (cycle.lastResult() != PlaybackCycle::Result::Played)
        return 1;
    std::cout << "played in " << module.ElapsedMs << " ms\n";
    return 0;
}
