// quorvel.exe: the window on Win32. The start-up check of the sound devices comes first; a
// machine without one gets its message and no window.
#include "OutputChoice.h"
#include "OutputReportMessages.h"
#include "PlaybackCycle.h"
#include "TickCounter.h"
#include "UserFolder.h"
#include "Win32EventPump.h"
#include "Win32MessageBoxes.h"
#include "Win32Text.h"
#include "Win32ToneWindow.h"
#include "WinMmWaveOut.h"
#include "WindowOptions.h"
#include "modTone.h"

#include <commctrl.h>
#include <cstdio>
#include <shellapi.h>
#include <string>
#include <variant>
#include <vector>

namespace
{

std::vector<std::string> arguments()
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i)
        result.push_back(narrow(words[i]));
    LocalFree(words);
    return result;
}

// A window started from the Start menu has no console: what it would print goes into a box.
bool hasConsole()
{
    return GetStdHandle(STD_ERROR_HANDLE) != nullptr || AttachConsole(ATTACH_PARENT_PROCESS);
}

void say(const std::string& text, bool problem)
{
    if (hasConsole()) {
        std::FILE* out = problem ? stderr : stdout;
        std::fputs(text.c_str(), out);
        std::fflush(out);
        return;
    }
    MessageBoxW(nullptr, widen(text).c_str(), L"Quorvel",
                MB_OK | MB_TASKMODAL | (problem ? MB_ICONERROR : MB_ICONINFORMATION));
}

int runMessageLoop(Win32EventPump& events)
{
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1)
        events.dispatch(message);
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

} // namespace

int main()
{
    std::vector<std::string> words = arguments();
    words.insert(words.begin(), "quorvel");
    const auto parsed = parseWindowOptions(words, true);
    if (const auto* usage = std::get_if<WindowUsageError>(&parsed)) {
        say("quorvel: " + usage->message + "\nTry 'quorvel --help'.\n", true);
        return 2;
    }
    const WindowOptions& options = std::get<WindowOptions>(parsed);
    if (options.help || options.version) {
        say(options.help ? options.helpText : "quorvel " QUORVEL_VERSION "\n", false);
        return 0;
    }
    if (options.userFolder) {
        if (const std::string why = enterUserFolder(); !why.empty()) {
            say("quorvel: " + why + "\n", true);
            return 1;
        }
    }

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    modTone module;
    module.Framing = options.radio.framing;
    const std::string outputName = options.radio.device.value_or("");
    WinMmWaveOut device;
    // An output that is not there now is no reason not to start: every Send plays on it or
    // fails, and the first failure's box says why. The sound never goes elsewhere instead.
    if (!outputName.empty()) {
        if (const std::string why = chooseOutput(device, outputName); !why.empty())
            std::fprintf(stderr, "quorvel: %s\n", why.c_str());
        device.setOutputDevice(outputName);
    }
    SteadyTickCounter ticks;
    Win32MessageBoxes messages;
    OutputReportMessages cycleMessages(messages, device, outputName);
    Win32EventPump events;
    PlaybackCycle cycle(module, device, ticks,
                        outputName.empty() ? static_cast<Messages&>(messages) : cycleMessages,
                        events);

    // Main: the start-up check, then the window, loaded while hidden and then shown.
    if (!cycle.CheckSoundCard())
        return 1;
    Win32ToneWindow window(module, cycle, messages);
    if (!window.create(GetModuleHandleW(nullptr))) {
        say("quorvel: the window could not be created\n", true);
        return 1;
    }
    events.setDialogWindow(window.handle());
    window.form().Form_Load();
    messages.setOwner(window.handle());
    window.show();
    return runMessageLoop(events);
}
