#include "ConsoleEventPump.h"
#include "ConsoleSignalEvent.h"
#include "LazyWaveOut.h"
#include "ProcessSignals.h"
#include "ProcessStopSignals.h"
#include "RenderCommand.h"
#include "StderrMessages.h"
#include "TickCounter.h"
#include "WaveOutChoice.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <windows.h>

// quorvel-render.exe: the same command as on Linux, over Windows' console.

namespace
{

std::string utf8Of(const wchar_t* wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string text(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    return text;
}

// The arguments as UTF-8, whatever the code page: a path or a sequence in any script reaches
// the wide-character file calls whole.
std::vector<std::string> utf8Arguments(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(utf8Of(argv[i]));
    if (arguments.empty())
        arguments.emplace_back("quorvel-render");
    return arguments;
}

// The messages are UTF-8; a console shows them so while the program runs, and gets its own
// code page back at the end.
class ConsoleOutputCodePage
{
public:
    ConsoleOutputCodePage() : m_saved(GetConsoleOutputCP())
    {
        if (m_saved != 0)
            SetConsoleOutputCP(CP_UTF8);
    }
    ~ConsoleOutputCodePage()
    {
        if (m_saved != 0)
            SetConsoleOutputCP(m_saved);
    }
    ConsoleOutputCodePage(const ConsoleOutputCodePage&) = delete;
    ConsoleOutputCodePage& operator=(const ConsoleOutputCodePage&) = delete;

private:
    UINT m_saved;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Before any thread, as on Linux: the console's control events are the process's.
    ProcessSignals::install();
    // Samples are bytes: no CR before each LF byte, no end at a 0x1A.
    _setmode(_fileno(stdout), _O_BINARY);
    const bool outIsTerminal = _isatty(_fileno(stdout)) != 0;
    const ConsoleOutputCodePage codePage;
    std::ios::sync_with_stdio(false);

    LazyWaveOut device(makeWaveOut);
    SteadyTickCounter ticks;
    StderrMessages messages(
        std::cerr, [&device](int step, std::int32_t code) { return device.reasonFor(step, code); });
    ConsoleEventPump events;
    events.watch(consoleSignalEvent(), &ProcessSignals::dispatchPending);
    ProcessStopSignals stopSignals;
    const PlayServices play{device, ticks, messages, events, &stopSignals};
    return runRenderCommand(utf8Arguments(argc, argv), std::cout, std::cerr, &play, outIsTerminal);
}
