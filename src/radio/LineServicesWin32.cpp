#include "KeyedCall.h"

// No watchdog process on Windows: no line is ever keyed there yet (parsePttAddress refuses
// every address).
LineServices processLineServices()
{
    return {};
}
