#include "PlayCommand.h"

#include "EventPump.h"
#include "PlaybackCycle.h"
#include "PttLine.h"
#include "RadioOptions.h"
#include "RenderCommand.h"
#include "SignalWatch.h"
#include "TickCounter.h"
#include "Transmitter.h"
#include "WaveOut.h"
#include "modTone.h"

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <optional>
#include <ostream>

namespace
{

constexpr const char* kProgram = "quorvel-render: ";

// One play with its stop: the cycle, the signal that asked for the stop, the waits around it.
class KeyedPlay
{
public:
    KeyedPlay(modTone& m, const PlayServices& services, int toneSetIndex)
        : m_services(services),
          m_cycle(m, services.device, services.ticks, services.messages, services.events)
    {
        m_cycle.setToneSetIndexSource([toneSetIndex] { return toneSetIndex; });
    }

    PlaybackCycle& cycle() { return m_cycle; }
    int signal() const { return m_signal; }

    void stop(int signal)
    {
        if (m_signal == 0)
            m_signal = signal;
        m_cycle.requestStop(); // ends the cycle's wait when it is waiting
        m_services.events.wakeUp();
    }

    // Waits on the event loop, so that a signal ends the wait. False when it did.
    bool pause(double ms)
    {
        const auto limit = static_cast<std::uint32_t>(std::lround(ms));
        const std::uint32_t start = m_services.ticks.GetTickCount();
        for (;;) {
            m_services.events.processPendingEvents();
            if (m_signal != 0 || !m_lost.empty())
                return false;
            const std::uint32_t waited = m_services.ticks.GetTickCount() - start;
            if (waited >= limit)
                return true;
            m_services.events.waitForEvents(std::chrono::milliseconds(limit - waited));
        }
    }

    // The sound, keyed when there is a line; the transmitter is released when this returns.
    bool keyedSound(const std::string& sequence, PttLine* line, const RadioOptions& radio,
                    std::ostream& err)
    {
        bool released = true;
        {
            Transmitter transmitter(*line, [&](const std::string& why) {
                err << kProgram << why << '\n';
                released = false;
            });
            if (const std::string why = transmitter.key(); !why.empty()) {
                err << kProgram << why << '\n';
                return false;
            }
            // A lost control connection (rigctld gone) stops the sound; the release then
            // says what became of the transmitter.
            QTimer lineCheck;
            QObject::connect(&lineCheck, &QTimer::timeout, [&] {
                if (m_lost.empty() && !(m_lost = line->check()).empty()) {
                    err << kProgram << m_lost << '\n';
                    released = false;
                    m_cycle.requestStop();
                    m_services.events.wakeUp();
                }
            });
            if (QCoreApplication::instance()) // the tests' fake event pumps run no timers
                lineCheck.start(100);
            if (pause(radio.pttLeadMs) && m_lost.empty())
                m_cycle.SuonaSequenza(sequence);
            if (m_cycle.lastResult() == PlaybackCycle::Result::Played && m_signal == 0 &&
                m_lost.empty())
                pause(radio.pttTailMs);
        }
        return released;
    }

private:
    const PlayServices& m_services;
    PlaybackCycle m_cycle;
    int m_signal = 0;
    std::string m_lost; // why the PTT line was lost during the call
};

// Watches the signals for as long as it lives.
class Watching
{
public:
    Watching(SignalWatch* watch, KeyedPlay& play) : m_watch(watch)
    {
        if (m_watch)
            m_watch->watch([&play](int signal) { play.stop(signal); });
    }
    ~Watching()
    {
        if (m_watch)
            m_watch->unwatch();
    }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;

private:
    SignalWatch* m_watch;
};

} // namespace

int runPlay(modTone& m, const std::string& sequence, int toneSetIndex, const RadioOptions& radio,
            const PlayServices& services, std::ostream& out, std::ostream& err)
{
    KeyedPlay play(m, services, toneSetIndex);
    if (!play.cycle().CheckSoundCard())
        return 1;
    bool ok = true;
    {
        // Before the line is keyed: from then on a signal must reach the release.
        const Watching watching(services.stopSignals, play);
        try {
            if (radio.ptt) {
                const auto line = services.pttLines(*radio.ptt);
                if (const std::string why = line->open(); !why.empty()) {
                    err << kProgram << why << '\n';
                    return 1;
                }
                ok = play.keyedSound(sequence, line.get(), radio, err);
            } else {
                play.cycle().SuonaSequenza(sequence);
            }
        } catch (const std::exception& e) { // the line is released by now
            err << kProgram << e.what() << '\n';
            return 1;
        }
    }
    if (play.signal() != 0) {
        err << "stopped after " << m.ElapsedMs << " ms" << std::endl;
        return 128 + play.signal();
    }
    if (!ok || play.cycle().lastResult() != PlaybackCycle::Result::Played)
        return 1;
    out << "played in " << m.ElapsedMs << " ms" << std::endl;
    return out ? 0 : 1;
}
