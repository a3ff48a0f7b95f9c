#include "PttAddress.h"

#include "Cm108Ptt.h"
#include "HamlibPtt.h"

#include <vector>

namespace
{

const char* const kForms =
    "serial:DEVICE:rts, serial:DEVICE:dtr (either with ,dtr or ,-dtr (,rts or ,-rts) for "
    "the other line, and with :invert), "
    "cm108:DEVICE[:GPIO][:invert] with GPIO 1 to 8 and DEVICE a hidraw node or auto, "
    "rigctld[:HOST[:PORT]] or rig:MODEL:DEVICE[:BAUD]";

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
std::string joinPath(const std::vector<std::string>& parts, std::size_t end, std::size_t begin = 1)
{
    std::string path;
    for (std::size_t i = begin; i < end; ++i)
        path += (i > begin ? ":" : "") + parts[i];
    return path;
}

// A whole number from 1 to highest, written without sign or leading zero; 0 when it is none.
int count(const std::string& text, int highest)
{
    if (text.empty() || text.size() > 9 || text[0] == '0' ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int value = std::stoi(text);
    return value <= highest ? value : 0;
}

// HOST, HOST:PORT or [IPV6]:PORT after "rigctld:"; false when it is none.
bool readRigctld(std::string_view rest, PttAddress& address)
{
    std::size_t colon = rest.rfind(':');
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || (close + 1 < rest.size() && rest[close + 1] != ':'))
            return false;
        address.path = rest.substr(1, close - 1);
        colon = close + 1 < rest.size() ? close + 1 : std::string_view::npos;
    } else if (rest.find(':') != colon) {
        return false; // a bare IPv6 address needs its brackets
    } else if (!rest.empty()) {
        address.path = rest.substr(0, colon);
    }
    if (colon != std::string_view::npos)
        address.port = count(std::string(rest.substr(colon + 1)), 65535);
    return !address.path.empty() && address.port != 0;
}

// rts or dtr, alone or followed by ",dtr" (both key) or ",-dtr" (held low), and the other way.
bool readSerialPins(const std::string& text, PttAddress& address)
{
    const std::string first = text.substr(0, text.find(','));
    if (first != "rts" && first != "dtr")
        return false;
    address.pin = first == "rts" ? SerialPtt::Pin::Rts : SerialPtt::Pin::Dtr;
    if (text.size() == first.size())
        return true;
    const std::string other = first == "rts" ? "dtr" : "rts";
    const std::string second = text.substr(first.size() + 1);
    address.other = second == other         ? SerialPtt::Other::Keys
                    : second == "-" + other ? SerialPtt::Other::HeldLow
                                            : SerialPtt::Other::Untouched;
    return address.other != SerialPtt::Other::Untouched;
}

std::variant<PttAddress, std::string> parseParts(std::string_view text)
{
    const std::string bad = "invalid PTT line '" + std::string(text) + "': expected " + kForms;
    std::vector<std::string> parts = split(text);
    PttAddress address;
    std::size_t end = parts.size();
    if (text == "rigctld" || text.starts_with("rigctld:")) {
        address.path = "localhost";
        if (text != "rigctld" && (text.size() == 8 || !readRigctld(text.substr(8), address)))
            return bad;
        address.kind = PttAddress::Kind::Rigctld;
        return address;
    }
    if (parts[0] == "rig") {
        address.kind = PttAddress::Kind::Rig;
        const std::string& last = parts[end - 1];
        if (end > 3 && !last.empty() && last.find_first_not_of("0123456789") == std::string::npos) {
            address.baud = count(last, 4000000);
            if (address.baud == 0)
                return bad;
            --end;
        }
        address.model = end > 2 ? count(parts[1], 99999999) : 0;
        address.path = joinPath(parts, end, 2);
        if (address.model == 0 || address.path.empty())
            return bad;
        return address;
    }
    if (parts[0] == "serial") {
        address.invert = end > 1 && parts[end - 1] == "invert";
        end -= address.invert ? 1 : 0;
        if (end < 3 || !readSerialPins(parts[end - 1], address))
            return bad;
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
    if (address.kind == PttAddress::Kind::Rigctld)
        return HamlibPtt::rigctld(address.path, address.port, address.verbose);
    if (address.kind == PttAddress::Kind::Rig)
        return HamlibPtt::direct(address.model, address.path, address.baud, address.verbose);
    return std::make_unique<SerialPtt>(address.path, address.pin, address.invert, address.other);
}

std::string keyingUnavailable()
{
    return {};
}
