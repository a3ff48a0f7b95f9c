#include "UserFolder.h"

#include "Win32Text.h"

#include <shlobj.h>

namespace
{

std::wstring roamingAppData()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

std::wstring programFolder()
{
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::string systemError(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = text ? text : L"";
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r'))
        words.pop_back();
    return narrow(words);
}

} // namespace

std::string enterUserFolder()
{
    const std::wstring appData = roamingAppData();
    if (appData.empty())
        return "cannot find the folder of application data (%APPDATA%)";
    const std::wstring folder = appData + L"\\Quorvel";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return "cannot create " + narrow(folder) + ": " + systemError(GetLastError());
    const std::wstring shipped = programFolder() + L"\\TONESETS.INI";
    const std::wstring own = folder + L"\\TONESETS.INI";
    if (GetFileAttributesW(own.c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesW(shipped.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !CopyFileW(shipped.c_str(), own.c_str(), TRUE))
        return "cannot copy " + narrow(shipped) + " to " + narrow(folder) + ": " +
               systemError(GetLastError());
    if (!SetCurrentDirectoryW(folder.c_str()))
        return "cannot enter " + narrow(folder) + ": " + systemError(GetLastError());
    return {};
}
