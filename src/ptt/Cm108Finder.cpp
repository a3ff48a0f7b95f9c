#include "Cm108Finder.h"

#include "PttAddress.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace
{

struct HidDevice {
    std::string node;   // hidraw0
    std::string name;   // HID_NAME, e.g. "C-Media Electronics Inc. USB Audio Device"
    std::string vendor; // four lower-case hex digits
};

// HID_ID=0003:00000D8C:0000013C: bus, vendor and product, each in hex.
HidDevice readUevent(const std::filesystem::path& folder)
{
    HidDevice device{folder.filename().string(), {}, {}};
    std::ifstream uevent(folder / "device" / "uevent");
    for (std::string line; std::getline(uevent, line);) {
        if (line.rfind("HID_NAME=", 0) == 0)
            device.name = line.substr(9);
        if (line.rfind("HID_ID=", 0) == 0 && line.size() >= 7 + 4 + 1 + 8) {
            std::string vendor = line.substr(7 + 5 + 4, 4);
            std::transform(vendor.begin(), vendor.end(), vendor.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            device.vendor = vendor;
        }
    }
    return device;
}

std::string listed(const std::vector<HidDevice>& devices)
{
    std::string text;
    for (const HidDevice& device : devices)
        text += "\n  /dev/" + device.node + " (USB vendor " +
                (device.vendor.empty() ? "unknown" : device.vendor) +
                (device.name.empty() ? "" : ", " + device.name) + ")";
    return text;
}

} // namespace

Cm108Finder::Cm108Finder(std::string sysfsRoot) : m_root(std::move(sysfsRoot))
{
}

std::string Cm108Finder::resolve(PttAddress& address) const
{
    if (address.kind != PttAddress::Kind::Cm108 || address.path != "auto")
        return {};
    const std::filesystem::path classFolder = std::filesystem::path(m_root) / "class" / "hidraw";
    std::vector<HidDevice> all, cmedia;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(classFolder, ec))
        all.push_back(readUevent(entry.path()));
    std::sort(all.begin(), all.end(),
              [](const HidDevice& a, const HidDevice& b) { return a.node < b.node; });
    std::copy_if(all.begin(), all.end(), std::back_inserter(cmedia),
                 [](const HidDevice& device) { return device.vendor == "0d8c"; });
    if (cmedia.size() == 1) {
        address.path = "/dev/" + cmedia[0].node;
        address.text = "cm108:" + address.path + ":" + std::to_string(address.gpio) +
                       (address.invert ? ":invert" : "");
        return {};
    }
    const std::string where = " in " + classFolder.string();
    if (cmedia.empty())
        return "cm108:auto found no C-Media (USB vendor 0d8c) HID device" + where +
               (all.empty() ? "; there is no HID device at all"
                            : "; the HID devices are:" + listed(all));
    return "cm108:auto found several C-Media (USB vendor 0d8c) HID devices" + where +
           "; name one instead of auto:" + listed(cmedia);
}
