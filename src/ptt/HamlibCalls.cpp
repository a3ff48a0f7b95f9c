#include "HamlibCalls.h"

#include <hamlib/rig.h>
#include <mutex>

namespace
{

// hamlib's own bound on one exchange; with one retry a dead exchange ends within 2 s, below
// our limits, so that our limit only catches what hamlib does not bound (a connect, a loop).
constexpr const char* kHamlibTimeoutMs = "1000";
constexpr const char* kHamlibRetry = "1";

int dropMessage(enum rig_debug_level_e, rig_ptr_t, const char*, va_list)
{
    return 0;
}

// hamlib's debug level belongs to the process; the first line made sets it, before any other
// hamlib call.
void setVerbosity(bool verbose)
{
    static std::once_flag once;
    std::call_once(once, [verbose] {
        rig_set_debug(verbose ? RIG_DEBUG_VERBOSE : RIG_DEBUG_NONE);
        if (!verbose)
            rig_set_debug_callback(dropMessage, nullptr);
    });
}

// rigerror2 writes into a buffer of its own: read on hamlib's thread only.
std::string errorText(int status)
{
    std::string text = rigerror2(status);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

void setConf(RIG* rig, const char* name, const std::string& value)
{
    rig_set_conf(rig, rig_token_lookup(rig, name), value.c_str());
}

} // namespace

bool HamlibCalls::knowsModel(int model, bool verbose)
{
    setVerbosity(verbose);
    RIG* rig = rig_init(model);
    if (rig)
        rig_cleanup(rig);
    return rig != nullptr;
}

HamlibCalls::Opened HamlibCalls::open(const Rig& wanted)
{
    setVerbosity(wanted.verbose);
    Opened opened;
    RIG* rig = rig_init(wanted.model);
    if (!rig)
        return opened;
    setConf(rig, "rig_pathname", wanted.address);
    setConf(rig, "timeout", kHamlibTimeoutMs);
    setConf(rig, "retry", kHamlibRetry);
    if (wanted.baud > 0)
        setConf(rig, "serial_speed", std::to_string(wanted.baud));
    if (!wanted.network)
        setConf(rig, "ptt_type", "RIG"); // keyed over CAT; a radio that cannot refuses it
    // A cached PTT state would let a release that must reach the radio be skipped.
    rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
    opened.rig = rig;
    opened.status = rig_open(rig);
    if (opened.status == RIG_OK) {
        opened.fd = rig->state.rigport.fd;
    } else {
        opened.error = errorText(opened.status);
        rig_cleanup(rig);
    }
    return opened;
}

std::string HamlibCalls::setPtt(s_rig* rig, bool keyed)
{
    const int status = rig_set_ptt(rig, RIG_VFO_CURR, keyed ? RIG_PTT_ON : RIG_PTT_OFF);
    return status == RIG_OK ? std::string() : errorText(status);
}

void HamlibCalls::close(s_rig* rig)
{
    rig_close(rig);
    rig_cleanup(rig);
}
