#pragma once

#include "ToneTable.h"

// Writes the 32 DTMF frequencies into rows 0 (low group) and 1 (high group), nothing else.
void LoadDtmfTable(ToneTable& Tones);
