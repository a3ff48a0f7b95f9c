#include "ConsoleSignalEvent.h"
#include "ProcessSignals.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <windows.h>

// Windows' side of the signal handling: the console's control events (Ctrl+C, Ctrl+Break,
// the console's close, log-off, shut-down) in place of signals. Windows runs the handler on a
// thread of its own, so a routed event only sets a flag and an event object; the receiver
// runs on the event loop's thread from dispatchPending(). Every event counts as SIGINT: the
// process exits with 130 whichever way it was stopped.

namespace
{

std::atomic<bool> g_installed{false};
std::atomic<bool> g_routed{false};
std::atomic<bool> g_pending{false};
HANDLE g_event = nullptr;            // set when an event is pending
HANDLE g_unrouted = nullptr;         // set while nothing is routed
std::function<void(int)> g_receiver; // on the event loop's thread only

std::mutex g_fileMutex;
std::wstring g_pendingFile;

void removePendingFile()
{
    const std::lock_guard lock(g_fileMutex);
    // The new file is opened with FILE_SHARE_DELETE: it goes when its handle is closed, at
    // the latest when the process ends.
    if (!g_pendingFile.empty())
        DeleteFileW(g_pendingFile.c_str());
}

BOOL WINAPI onControl(DWORD type)
{
    if (g_routed.load()) {
        g_pending = true;
        SetEvent(g_event);
        // Past the handler's return a close, log-off or shut-down ends the process: first the
        // play stops and lets the device go, within the 5 s that Windows allows.
        if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
            WaitForSingleObject(g_unrouted, 4000);
        return TRUE;
    }
    // The process ends as Windows' own handler would end it, with the status that a stopped
    // play gives, and Linux's shell shows for SIGINT, rather than Windows' 0xC000013A, which
    // Wine gives as 0.
    removePendingFile();
    ExitProcess(128 + SIGINT);
}

std::wstring wideOf(const std::string& text)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

} // namespace

void* consoleSignalEvent()
{
    return g_event;
}

bool ProcessSignals::install(Role role)
{
    if (role == Role::Watchdog || g_installed.load())
        return true;
    g_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    g_unrouted = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    // A process started with Ctrl+C ignored (in a new process group, say) keeps ignoring it,
    // as a POSIX program keeps an ignored SIGINT; Ctrl+Break and a close still come.
    g_installed = g_event && g_unrouted && SetConsoleCtrlHandler(onControl, TRUE);
    return true;
}

bool ProcessSignals::caught(int signal)
{
    return signal == SIGINT && g_installed.load();
}

const std::vector<int>& ProcessSignals::ending()
{
    static const std::vector<int> signals = {SIGINT};
    return signals;
}

const std::vector<int>& ProcessSignals::suspending()
{
    static const std::vector<int> signals;
    return signals;
}

void ProcessSignals::route(const std::vector<int>& signalNumbers, std::function<void(int)> onSignal)
{
    for (const int signal : signalNumbers) {
        if (!caught(signal))
            continue;
        g_receiver = onSignal; // before the flag: an event then finds its receiver
        ResetEvent(g_unrouted);
        g_routed = true;
    }
}

void ProcessSignals::unroute(const std::vector<int>& signalNumbers)
{
    for (const int signal : signalNumbers) {
        if (signal != SIGINT || !g_routed.load())
            continue;
        g_routed = false;
        dispatchPending(); // an event that came while routed still reaches its receiver
        g_receiver = nullptr;
        SetEvent(g_unrouted);
    }
}

int ProcessSignals::descriptor()
{
    return -1; // see consoleSignalEvent()
}

void ProcessSignals::dispatchPending()
{
    if (g_pending.exchange(false) && g_receiver)
        g_receiver(SIGINT);
}

void ProcessSignals::takeUsualCourse(int)
{
    // The caller's exit status, 128 + the signal, is what a Windows console sees: there is
    // no signal to end the process by, and nothing to suspend it.
}

void ProcessSignals::setPendingFile(const std::string& path)
{
    const std::lock_guard lock(g_fileMutex);
    g_pendingFile = path.empty() ? std::wstring() : wideOf(path);
}
