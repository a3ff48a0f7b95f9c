#include "RadioSend.h"

#include "HeldMessages.h"
#include "Renderer.h"
#include "ScopeExit.h"
#include "ToneErrors.h"
#include "modTone.h"

#include <new>

namespace
{

const std::string kQuorvelTitle = "Quorvel";

} // namespace

RadioSend::RadioSend(modTone& module, PlaybackCycle& cycle, EventPump& events, TickCounter& ticks,
                     HeldMessages& messages, const RadioOptions& radio, LineServices lines)
    : m_module(module), m_cycle(cycle), m_events(events), m_ticks(ticks), m_messages(messages),
      m_radio(radio), m_lines(std::move(lines))
{
}

void RadioSend::send(const std::string& sequence)
{
    if (m_busy || sequence.empty() || m_module.Playing)
        return;
    // Undone in the reverse order, however the send ends: the call releases its line first,
    // then it is forgotten, then the send is no longer busy and the held boxes are shown.
    m_busy = true;
    m_messages.hold();
    const ScopeExit showHeld([this] {
        m_busy = false;
        m_messages.release();
    });
    // One box for the call's problems, in the order told: a lost line and what its release
    // then did belong together, as the CLI's lines do.
    std::string problems;
    const auto report = [&problems](const std::string& why) {
        problems += (problems.empty() ? "" : "\n") + why;
    };
    const ScopeExit showProblems([&] {
        if (!problems.empty()) // the call has ended, and with it its release
            m_messages.show(problems, kQuorvelTitle, Messages::Icon::Critical);
    });
    try {
        const double soundMs = samplesNeeded(m_module, sequence) * 1000.0 / m_module.SampleRate;
        KeyedCall call(m_cycle, m_events, m_ticks, m_radio, m_lines, report);
        m_call = &call;
        const ScopeExit forget([this] { m_call = nullptr; });
        if (call.prepare(soundMs))
            call.send(sequence);
        else
            m_module.ElapsedMs = 0; // nothing was played
    } catch (const ToneError& e) {
        report(e.what());
    } catch (const std::bad_alloc&) {
        report("Out of memory: the sound could not be rendered.");
    } catch (const std::exception& e) {
        report(std::string("The call failed: ") + e.what());
    } catch (...) {
        report("The call failed.");
    }
}

void RadioSend::stop()
{
    if (m_call)
        m_call->stop();
}
