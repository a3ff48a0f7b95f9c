#pragma once

#include "DtmfTable.h"
#include "Timings.h"
#include "modTone.h"

// A module with the DTMF rows, the durations given in milliseconds and their sample counts.
inline modTone dtmfModule(double toneMs, double pauseMs, double sequencePauseMs)
{
    modTone m;
    LoadDtmfTable(m.Tones);
    m.ToneDuration = toneMs / 1000;
    m.TonePause = pauseMs / 1000;
    m.SequencePause = sequencePauseMs / 1000;
    ComputeTimings(m);
    return m;
}
