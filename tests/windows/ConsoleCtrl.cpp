// Sends a console control event to a program it starts, as a user's Ctrl+C or Ctrl+Break:
//   console_ctrl c|break DELAY_MS PROGRAM [ARGUMENTS...]
// (Wine 8 sends Ctrl+C only; Windows both)
// starts PROGRAM on this console with this process's standard handles, sends the event after
// DELAY_MS, and exits with PROGRAM's exit status; 124 when PROGRAM has not ended 20 s after
// the event (it is then ended), 125 when it could not be started or the event not sent.
// The event goes to every process on the console, this one passing over it.
#include <cstdio>
#include <string>
#include <windows.h>

namespace
{

BOOL WINAPI passOver(DWORD)
{
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fputs("usage: console_ctrl c|break DELAY_MS PROGRAM [ARGUMENTS...]\n", stderr);
        return 125;
    }
    const bool controlC = std::wstring(argv[1]) == L"c";
    const DWORD delayMs = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    // The events need a console that this process and the program share: a new one of its
    // own (Wine gives a program started from a pipe none that takes events). The standard
    // handles are kept from before, for the program to write into.
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    FreeConsole();
    if (!AllocConsole()) {
        std::fprintf(stderr, "console_ctrl: cannot make a console (error %lu)\n", GetLastError());
        return 125;
    }
    // The command line after the first three words, as it was typed.
    std::wstring line = GetCommandLineW();
    for (int word = 0; word < 3; ++word) {
        bool quoted = false;
        std::size_t i = 0;
        while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
            if (line[i] == L'"')
                quoted = !quoted;
            ++i;
        }
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
            ++i;
        line.erase(0, i);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "console_ctrl: cannot start the program (error %lu)\n",
                     GetLastError());
        return 125;
    }
    // A handler is not inherited: the program gets Windows' default, and then its own.
    SetConsoleCtrlHandler(passOver, TRUE);
    if (WaitForSingleObject(process.hProcess, delayMs) == WAIT_OBJECT_0) {
        std::fputs("console_ctrl: the program ended before the event\n", stderr);
        return 125;
    }
    if (!GenerateConsoleCtrlEvent(controlC ? CTRL_C_EVENT : CTRL_BREAK_EVENT, 0)) {
        std::fprintf(stderr, "console_ctrl: cannot send the event (error %lu)\n", GetLastError());
        TerminateProcess(process.hProcess, 125);
        return 125;
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        std::fputs("console_ctrl: the program did not end after the event\n", stderr);
        TerminateProcess(process.hProcess, 124);
        return 124;
    }
    DWORD status = 125;
    GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
