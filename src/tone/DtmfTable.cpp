#include "DtmfTable.h"

void LoadDtmfTable(ToneTable& Tones)
{
    // Symbols 0-9, A-D, then E and F sounding as the telephone keys * and #.
    static constexpr std::array<std::int16_t, kToneColumns> low = {
        941, 697, 697, 697, 770, 770, 770, 852, 852, 852, 697, 770, 852, 941, 941, 941};
    static constexpr std::array<std::int16_t, kToneColumns> high = {
        1336, 1209, 1336, 1477, 1209, 1336, 1477, 1209,
        1336, 1477, 1633, 1633, 1633, 1633, 1209, 1477};
    Tones[0] = low;
    Tones[1] = high;
}
