#include "PttAddress.h"

#include "Cm108Ptt.h"

#include <vector>

namespace
{

const char* const kForms = "serial:DEVICE:rts, serial:DEVICE:dtr (either with :invert) or "
                           "cm108:DEVICE[:GPIO] with GPIO 1 to 8";

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

} // namespace

std::variant<PttAddress, std::string> parsePttAddress(std::string_view text)
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
        address.kind = PttAddress::Kind::Cm108;
        const std::string& last = parts[end - 1];
        if (end > 2 && !last.empty() && last.find_first_not_of("0123456789") == std::string::npos) {
            if (last.size() > 1 || last[0] < '1' || last[0] > '8')
                return bad;
            address.gpio = last[0] - '0';
            --end;
        }
    } else {
        return bad;
    }
    address.path = joinPath(parts, end);
    if (address.path.empty())
        return bad;
    return address;
}

std::unique_ptr<PttLine> makePttLine(const PttAddress& address)
{
    if (address.kind == PttAddress::Kind::Cm108)
        return std::make_unique<Cm108Ptt>(address.path, address.gpio);
    return std::make_unique<SerialPtt>(address.path, address.pin, address.invert);
}
