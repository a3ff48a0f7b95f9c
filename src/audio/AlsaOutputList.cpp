#include "AlsaOutputList.h"

#include <alsa/asoundlib.h>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace
{

const char* const kDefaultPcm = "default";
// Where the system's own configuration lives: the main file and the plugins' snippets.
const char* const kSystemConfig = "/usr/share/alsa/alsa.conf";
const char* const kSystemSnippets[] = {"/usr/share/alsa/alsa.conf.d", "/etc/alsa/conf.d"};

void addPcmIds(const std::string& path, std::set<std::string>& ids)
{
    snd_config_t* top = nullptr;
    snd_input_t* in = nullptr;
    if (snd_config_top(&top) < 0)
        return;
    if (snd_input_stdio_open(&in, path.c_str(), "r") == 0) {
        snd_config_load(top, in); // a partial load still names what it read
        snd_input_close(in);
    }
    snd_config_t* pcms = nullptr;
    if (snd_config_search(top, "pcm", &pcms) == 0) {
        snd_config_iterator_t i, next;
        snd_config_for_each(i, next, pcms)
        {
            const char* id = nullptr;
            if (snd_config_get_id(snd_config_iterator_entry(i), &id) == 0 && id)
                ids.insert(id);
        }
    }
    snd_config_delete(top);
}

// The PCMs that the system's configuration defines, each file read on its own so that one
// that does not parse costs only its own names.
std::set<std::string> systemPcmIds()
{
    std::set<std::string> ids;
    addPcmIds(kSystemConfig, ids);
    for (const char* folder : kSystemSnippets) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.path().extension() == ".conf")
                addPcmIds(entry.path().string(), ids);
        }
    }
    return ids;
}

std::string hintText(void* hint, const char* id)
{
    char* text = snd_device_name_get_hint(hint, id);
    if (!text)
        return {};
    std::string result(text);
    free(text);
    return result;
}

} // namespace

std::vector<OutputDevice> alsaOutputList()
{
    std::vector<OutputDevice> outputs{{kDefaultPcm, "ALSA's default output", true}};
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0)
        return outputs;
    const std::set<std::string> system = systemPcmIds();
    for (void** hint = hints; *hint; ++hint) {
        const std::string name = hintText(*hint, "NAME");
        const std::string direction = hintText(*hint, "IOID"); // empty: both ways
        if (name.empty() || direction == "Input")
            continue;
        const std::string pcm = name.substr(0, name.find(':'));
        const bool onCard = name.find("CARD=") != std::string::npos;
        if (name != kDefaultPcm && !onCard && system.contains(pcm))
            continue;
        std::string description = hintText(*hint, "DESC");
        for (char& c : description)
            c = (c == '\n' || c == '\t') ? ' ' : c; // one line per output
        if (name == kDefaultPcm)
            outputs.front().description = description;
        else
            outputs.push_back({name, description, false});
    }
    snd_device_name_free_hint(hints);
    return outputs;
}
