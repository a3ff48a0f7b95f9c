#include "PlainCyclePlayer.h"

#include "PlaybackCycle.h"

void PlainCyclePlayer::setToneSetIndexSource(std::function<int()> source)
{
    m_cycle.setToneSetIndexSource(std::move(source));
}

void PlainCyclePlayer::play(const std::string& sequence)
{
    m_cycle.SuonaSequenza(sequence);
}

void PlainCyclePlayer::stop()
{
    m_cycle.requestStop();
}

bool PlainCyclePlayer::stoppable() const
{
    return m_cycle.waiting();
}
