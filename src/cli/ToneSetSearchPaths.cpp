#include "ToneSetSearchPaths.h"

#include "ToneSetFile.h"

#include <cstdlib>
#include <string>

const char* const kToneSetSearchHelp =
    "the first TONESETS.INI in the current directory, $XDG_DATA_HOME/quorvel, then each "
    "$XDG_DATA_DIRS entry's quorvel folder";

// The XDG base directories: the current folder first (the window's own, where it keeps its
// settings), then the user's data folder, then the system's, where the package installs it.
std::vector<std::filesystem::path> toneSetSearchPaths()
{
    const std::filesystem::path file = kToneSetFileName;
    std::vector<std::filesystem::path> paths = {file};
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value ? std::string(value) : std::string();
    };
    // A relative entry is skipped, as the XDG base-directory rules ask.
    const auto add = [&](const std::string& folder) {
        if (!folder.empty() && folder.front() == '/')
            paths.push_back(std::filesystem::path(folder) / "quorvel" / file);
    };
    if (const std::string home = set("XDG_DATA_HOME"); !home.empty())
        add(home);
    else if (const std::string user = set("HOME"); !user.empty())
        add(user + "/.local/share");
    std::string dirs = set("XDG_DATA_DIRS");
    if (dirs.empty())
        dirs = "/usr/local/share:/usr/share";
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = dirs.find(':', start);
        add(dirs.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return paths;
}
