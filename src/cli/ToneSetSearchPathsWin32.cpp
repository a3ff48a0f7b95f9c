#include "ToneSetFile.h"
#include "ToneSetSearchPaths.h"

#include <cstdlib>
#include <string>
#include <windows.h>

const char* const kToneSetSearchHelp =
    "the first TONESETS.INI in the current folder, %APPDATA%\\Quorvel, then the folder of "
    "quorvel-render.exe";

// Windows' places: the working folder first (the window's own, where it keeps its settings),
// then the user's roaming application data, then the folder of the .exe, where the
// installer and the zip put the shipped sets.
std::vector<std::filesystem::path> toneSetSearchPaths()
{
    const std::filesystem::path file = kToneSetFileName;
    std::vector<std::filesystem::path> paths = {file};
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData)
        paths.push_back(std::filesystem::path(appData) / L"Quorvel" / file);
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (length == 0)
            return paths;
        if (length < exe.size()) {
            exe.resize(length);
            break;
        }
        exe.resize(exe.size() * 2); // a long path: cut to the buffer's size, try a larger one
    }
    paths.push_back(std::filesystem::path(exe).parent_path() / file);
    return paths;
}
