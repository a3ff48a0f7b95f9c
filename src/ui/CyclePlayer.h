#pragma once

#include "SequencePlayer.h"

class PlaybackCycle;
class RadioSend;

// The window's player: the playback cycle, keyed around by a radio's line once one is set.
class CyclePlayer : public SequencePlayer
{
public:
    explicit CyclePlayer(PlaybackCycle& cycle) : m_cycle(cycle) {}

    // With a radio's options, a Send keys a line around the play through this; never set,
    // the window plays as it always has.
    void setRadioSend(RadioSend* send) { m_radioSend = send; }

    void setToneSetIndexSource(std::function<int()> source) override;
    void play(const std::string& sequence) override;
    void stop() override;
    bool stoppable() const override;
    bool sending() const override;

private:
    PlaybackCycle& m_cycle;
    RadioSend* m_radioSend = nullptr;
};
