#pragma once

#include "SequencePlayer.h"
#include "modTone.h"

#include <functional>
#include <string>
#include <vector>

// Plays nothing: it records each sequence asked for, with the durations it would have been
// rendered with. A play that would start holds Playing while onPlay runs (the window's
// events during the wait) and then stores elapsedMs, or the time a stop() left, as the
// cycle does.
class RecordingPlayer : public SequencePlayer
{
public:
    struct Play {
        std::string sequence;
        double toneDuration, tonePause, sequencePause;
        bool started;
    };

    explicit RecordingPlayer(modTone& module) : m_module(module) {}

    std::function<void()> onPlay = [] {};
    std::int32_t elapsedMs = 0;
    std::vector<Play> plays;
    int stops = 0;
    bool keyed = false; // a keyed send: sending() from start to return
    std::function<int()> toneSetIndex;

    void setToneSetIndexSource(std::function<int()> source) override
    {
        toneSetIndex = std::move(source);
    }
    void play(const std::string& sequence) override
    {
        const bool starts = !sequence.empty() && !m_module.Playing;
        plays.push_back(
            {sequence, m_module.ToneDuration, m_module.TonePause, m_module.SequencePause, starts});
        if (!starts)
            return;
        m_module.Playing = m_waiting = true;
        onPlay();
        m_module.ElapsedMs = elapsedMs;
        m_module.Playing = m_waiting = false;
    }
    void stop() override
    {
        ++stops;
        m_waiting = false;
    }
    bool stoppable() const override { return m_waiting; }
    bool sending() const override { return keyed && m_module.Playing; }

private:
    modTone& m_module;
    bool m_waiting = false;
};
