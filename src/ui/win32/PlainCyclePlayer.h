#pragma once

#include "SequencePlayer.h"

class PlaybackCycle;

// The window's player where no radio can be keyed: the playback cycle alone.
class PlainCyclePlayer : public SequencePlayer
{
public:
    explicit PlainCyclePlayer(PlaybackCycle& cycle) : m_cycle(cycle) {}

    void setToneSetIndexSource(std::function<int()> source) override;
    void play(const std::string& sequence) override;
    void stop() override;
    bool stoppable() const override;
    bool sending() const override { return false; }

private:
    PlaybackCycle& m_cycle;
};
