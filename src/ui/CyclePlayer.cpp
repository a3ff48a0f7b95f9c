#include "CyclePlayer.h"

#include "PlaybackCycle.h"
#include "RadioSend.h"

void CyclePlayer::setToneSetIndexSource(std::function<int()> source)
{
    m_cycle.setToneSetIndexSource(std::move(source));
}

void CyclePlayer::play(const std::string& sequence)
{
    if (m_radioSend)
        m_radioSend->send(sequence);
    else
        m_cycle.SuonaSequenza(sequence);
}

void CyclePlayer::stop()
{
    if (m_radioSend)
        m_radioSend->stop();
    m_cycle.requestStop();
}

bool CyclePlayer::stoppable() const
{
    return m_cycle.waiting() || sending();
}

bool CyclePlayer::sending() const
{
    return m_radioSend && m_radioSend->busy();
}
