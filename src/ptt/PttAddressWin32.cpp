#include "PttAddress.h"

// Windows has no push-to-talk line yet: every address is refused with the same words, before
// anything could be keyed.

namespace
{

constexpr const char* kUnavailable = "keying a radio is not available on Windows yet";

} // namespace

std::string keyingUnavailable()
{
    return kUnavailable;
}

std::variant<PttAddress, std::string> parsePttAddress(std::string_view)
{
    return std::string(kUnavailable);
}

std::unique_ptr<PttLine> makePttLine(const PttAddress&)
{
    return nullptr;
}
