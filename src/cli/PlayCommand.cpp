#include "PlayCommand.h"

#include "EventPump.h"
#include "KeyedSound.h"
#include "PlaybackCycle.h"
#include "RadioOptions.h"
#include "RenderCommand.h"
#include "Renderer.h"
#include "StopSignals.h"
#include "TickCounter.h"
#include "WaveOut.h"
#include "modTone.h"

#include <functional>
#include <memory>
#include <ostream>

namespace
{

constexpr const char* kProgram = "quorvel-render: ";

// One play and the signal that stopped it.
class SignalledPlay
{
public:
    SignalledPlay(modTone& m, const PlayServices& services, int toneSetIndex)
        : m_services(services),
          m_cycle(m, services.device, services.ticks, services.messages, services.events)
    {
        m_cycle.setToneSetIndexSource([toneSetIndex] { return toneSetIndex; });
    }

    PlaybackCycle& cycle() { return m_cycle; }
    int signal() const { return m_signal; }

    // stopCall, if any, stops the keyed call and releases its line.
    void stop(int signal, const std::function<void()>& stopCall)
    {
        if (m_signal == 0)
            m_signal = signal;
        if (stopCall)
            stopCall();
        m_cycle.requestStop(); // ends the cycle's wait when it is waiting
        m_services.events.wakeUp();
    }

private:
    const PlayServices& m_services;
    PlaybackCycle m_cycle;
    int m_signal = 0;
};

// Watches the signals for as long as it lives.
class Watching
{
public:
    Watching(StopSignals* stopSignals, SignalledPlay& play, std::function<void()> stopCall = {})
        : m_signals(stopSignals)
    {
        if (m_signals)
            m_signals->deliverTo([&play, stopCall = std::move(stopCall)](int signal) {
                play.stop(signal, stopCall);
            });
    }
    ~Watching()
    {
        if (m_signals)
            m_signals->stopDelivering();
    }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;

private:
    StopSignals* m_signals;
};

} // namespace

int runPlay(modTone& m, const std::string& sequence, int toneSetIndex, const RadioOptions& radio,
            const PlayServices& services, std::ostream& out, std::ostream& err)
{
    // A library that meets a limit of the user's says something else, or nothing at all: a
    // thread that libpulse could not start reads as a success and leaves its waits waiting,
    // and a descriptor it could not open as a machine without a sound card.
    if (const std::string why = services.shortage(); !why.empty()) {
        err << kProgram << why << '\n';
        return 1;
    }
    SignalledPlay play(m, services, toneSetIndex);
    if (!play.cycle().CheckSoundCard())
        return 1;
    bool ok = true;
    try {
        if (radio.ptt) {
            const double soundMs = samplesNeeded(m, sequence) * 1000.0 / m.SampleRate;
            ok = keyedSound(play.cycle(), sequence, soundMs, radio, services, err,
                            [&](std::function<void()> stopCall) {
                                return std::make_shared<Watching>(services.stopSignals, play,
                                                                  std::move(stopCall));
                            });
        } else {
            const Watching watching(services.stopSignals, play);
            play.cycle().SuonaSequenza(sequence);
        }
    } catch (const std::exception& e) { // the line is released by now
        err << kProgram << e.what() << '\n';
        return 1;
    }
    if (play.signal() != 0) {
        err << "stopped after " << m.ElapsedMs << " ms" << std::endl;
        // The call was stopped and the line released; now the signal does what the user
        // asked for: a shell loop of calls stops on Ctrl-C, and Ctrl-Z suspends. The status
        // is what a shell shows for it, for a suspension that has been continued and for a
        // caller that cannot see the signal.
        out.flush();
        if (services.stopSignals)
            services.stopSignals->takeUsualCourse(play.signal());
        return 128 + play.signal();
    }
    if (!ok || play.cycle().lastResult() != PlaybackCycle::Result::Played)
        return 1;
    out << "played in " << m.ElapsedMs << " ms" << std::endl;
    return out ? 0 : 1;
}
