#include "PttAddress.h"

#include "Cm108Ptt.h"

#include <vector>

namespace
{

const char* const kForms =
    "serial:DEVICE:rts, serial:DEVICE:dtr (either with :invert) or "
    "cm108:DEVICE[:GPIO][:invert] with GPIO 1 to 8 and DEVICE a hidraw node or auto";

std::vector<std::string> split(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t colon; (colon = text.find(':', from)) != std::string_view::npos;
         from = colon + 1)
        parts.emplace_back(text.substr(from, colon - from));
    parts.emplace_back(text.substr(from));
    return parts;
}

// The device path may hold colons itself; the options are taken from the end.
std::string joinPath(const std::vector<std::string>& parts, std::size_t end)
{
    std::string path;
    for (std::size_t i = 1; i < end; ++i)
        path += (i > 1 ? ":" : "") + parts[i];
    return path;
}

std::variant<PttAddress, std::string> parseParts(std::string_view text)
{
    const std::string bad = "invalid PTT line '" + std::string(text) + "': expected " + kForms;
    std::vector<std::string> parts = split(text);
    PttAddress address;
    std::size_t end = parts.size();
    if (parts[0] == "serial") {
        address.invert = end > 1 && parts[end - 1] == "invert";
        end -= address.invert ? 1 : 0;
        if (end < 3 || (parts[end - 1] != "rts" && parts[end - 1] != "dtr"))
            return bad;
        address.pin = parts[end - 1] == "rts" ? SerialPtt::Pin::Rts : SerialPtt::Pin::Dtr;
        --end;
    } else if (parts[0] == "cm108") {
        // The device is one part: hidraw nodes have no colons, so every later part is an
        // option, and one that is none is refused rather than taken as part of a file name.
        address.kind = PttAddress::Kind::Cm108;
        if (end < 2)
            return bad;
        for (std::size_t i = 2; i < end; ++i) {
            const std::string& part = parts[i];
            if (part == "invert" && !address.invert) {
                address.invert = true;
            } else if (i == 2 && part.size() == 1 && part[0] >= '1' && part[0] <= '8') {
                address.gpio = part[0] - '0';
            } else {
                return "invalid PTT line '" + std::string(text) + "': '" + part +
                       "' is no GPIO (1 to 8) nor 'invert'; expected cm108:DEVICE[:GPIO][:invert]";
            }
        }
        end = 2;
    } else {
        return bad;
    }
    address.path = joinPath(parts, end);
    if (address.path.empty())
        return bad;
    return address;
}

} // namespace

std::variant<PttAddress, std::string> parsePttAddress(std::string_view text)
{
    auto parsed = parseParts(text);
    // Every kind keeps its text: the watchdog makes its own line from it.
    if (auto* address = std::get_if<PttAddress>(&parsed))
        address->text = text;
    return parsed;
}

std::unique_ptr<PttLine> makePttLine(const PttAddress& address)
{
    if (address.kind == PttAddress::Kind::Cm108)
        return std::make_unique<Cm108Ptt>(address.path, address.gpio, address.invert);
    return std::make_unique<SerialPtt>(address.path, address.pin, address.invert);
}
