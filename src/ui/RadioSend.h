#pragma once

#include "KeyedCall.h"

#include <string>

class EventPump;
class HeldMessages;
class PlaybackCycle;
class TickCounter;
struct modTone;
struct RadioOptions;

// The window's Send with a --ptt line: the play keyed around by a KeyedCall, with every
// guarantee that quorvel-render has. A call's problems make one critical box titled
// "Quorvel", a line each, shown once the line has been released.
class RadioSend
{
public:
    RadioSend(modTone& module, PlaybackCycle& cycle, EventPump& events, TickCounter& ticks,
              HeldMessages& messages, const RadioOptions& radio, LineServices lines);

    // Sends the sequence keyed; does nothing while a send is under way or with no sequence.
    void send(const std::string& sequence);
    // Escape or a close from outside: ends the wait for the line, the lead, the play or the
    // tail, and the line is released.
    void stop();
    // From the start of send() to its return, the wait for another sender's line included.
    bool busy() const { return m_busy; }

private:
    modTone& m_module;
    PlaybackCycle& m_cycle;
    EventPump& m_events;
    TickCounter& m_ticks;
    HeldMessages& m_messages;
    const RadioOptions& m_radio;
    LineServices m_lines;
    KeyedCall* m_call = nullptr;
    bool m_busy = false;
};
