#pragma once

#include <string>

struct PttAddress;

// Finds the CM108-family interface for cm108:auto: the one hidraw device whose USB vendor is
// C-Media (0d8c), read from sysfs. The root is given so that a test can hand in a made-up tree.
class Cm108Finder
{
public:
    explicit Cm108Finder(std::string sysfsRoot = "/sys");

    // Puts the found /dev/hidrawN into a cm108 address whose device is "auto"; other
    // addresses stay as they are. Empty on success, otherwise why, listing what was found.
    std::string resolve(PttAddress& address) const;

private:
    std::string m_root;
};
