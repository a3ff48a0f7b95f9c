#pragma once

#include <functional>
#include <string>

// What the window's Send drives: the sound module's playback cycle, keyed around by a
// radio's line when one is set. It knows nothing of the window.
class SequencePlayer
{
public:
    virtual ~SequencePlayer() = default;

    // Where the renderer reads the selected tone set: the selector's list index.
    virtual void setToneSetIndexSource(std::function<int()> source) = 0;
    // SuonaSequenza: renders the sequence and plays it, processing the window's events until
    // the end. Returns at once with an empty sequence or while a play is under way.
    virtual void play(const std::string& sequence) = 0;
    // Ends the play under way early; nothing happens when none is.
    virtual void stop() = 0;
    // There is a play that stop() ends: the wait for the sound's end, or a keyed send.
    virtual bool stoppable() const = 0;
    // A keyed send is under way, from its start to its return, its wait for the line included.
    virtual bool sending() const = 0;
};
