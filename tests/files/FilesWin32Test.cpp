// The Windows file code: the same messages and bytes as on Linux, through the wide-character
// calls (long and non-ASCII paths).
#include "FakeWindow.h"
#include "FileBytes.h"
#include "SettingsFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

// The files and folders in a folder, however long its path.
static std::size_t entriesIn(const std::filesystem::path& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((L"\\\\?\\" + (folder / "*").wstring()).c_str(), &found);
    std::size_t count = 0;
    if (search == INVALID_HANDLE_VALUE)
        return count;
    do {
        const std::wstring name = found.cFileName;
        count += name != L"." && name != L".." ? 1 : 0;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

TEST(FilesWin32, RefusesAsLinuxDoesAndLeavesNothingBehind)
{
    TempDir dir;
    const std::string record = "5,6,9,\"a\",\"b\",\"c\",\"d\",1\r\n";
    // A read-only file keeps its record, and the load says so as on Linux.
    const auto readOnly = dir.write("read-only.ini", record);
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(writeFileBytes(readOnly, "x"), "Permission denied");
    FakeWindow window(1);
    EXPECT_EQ(LoadSettings(window, readOnly).message,
              "The settings file " + readOnly.string() +
                  " cannot be written: Permission denied.\nQuorvel goes on with the saved "
                  "settings, but with the first tone set of the file selected instead of the "
                  "saved tone-set index 9.");
    EXPECT_EQ(dir.read("read-only.ini"), record);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder named like the file, and a file in a folder that is not there.
    std::filesystem::create_directory(dir.file("Quorvel.ini"));
    const std::pair<std::filesystem::path, std::string> refused[] = {
        {dir.file("Quorvel.ini"), "Is a directory"},
        {dir.file("none") / "Quorvel.ini", "No such file or directory"},
    };
    for (const auto& [path, reason] : refused) {
        EXPECT_EQ(writeFileBytes(path, record), reason);
        EXPECT_EQ(readFileBytes(path).reason, reason);
        const std::string said =
            "The settings file " + path.string() + " cannot be written: " + reason + ".\n";
        EXPECT_EQ(SaveSettings(window, path).message.rfind(said, 0), 0u);
    }
    EXPECT_EQ(entriesIn(dir.file("")), 2u); // no new file was left beside either
}

TEST(FilesWin32, ReplacesWithTheSameBytesOnLongAndNonAsciiPaths)
{
    TempDir dir;
    // CR LF and single-byte texts pass through untouched, over an older and longer content.
    const std::string bytes = "5,6,2,\"caf\xE9\",\"70\",\"0\",\"300\",0\r\n";
    const auto file = dir.write("Quorvel.ini", std::string(100, 'x'));
    ASSERT_EQ(writeFileBytes(file, bytes), "");
    EXPECT_EQ(dir.read("Quorvel.ini"), bytes);
    FakeWindow window(1);
    EXPECT_FALSE(LoadSettings(window, file).hasMessage());
    EXPECT_EQ(window.texts[0], "caf\xE9");
    ASSERT_TRUE(SaveSettings(window, file).ok());
    EXPECT_EQ(readFileBytes(file).bytes, bytes);

    // A name beyond the code page, in a folder whose path is longer than 260 characters.
    std::filesystem::path folder =
        dir.file("") / (u8"Gr\u00fc\u00dfe-\u03ba\u03b1\u03bb\u03b7-\u65e5\u672c");
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder.wstring()).c_str(), nullptr));
    for (int i = 0; i < 6; ++i) {
        folder /= std::string(50, static_cast<char>('a' + i));
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder.wstring()).c_str(), nullptr)) << i;
    }
    const auto deep = folder / u8"T\u00f6ne.ini";
    ASSERT_GT(deep.wstring().size(), 300u);
    ASSERT_EQ(writeFileBytes(deep, bytes), "");
    ASSERT_EQ(writeFileBytes(deep, bytes + bytes), "");
    const FileBytes read = readFileBytes(deep);
    EXPECT_TRUE(read.ok) << read.reason;
    EXPECT_EQ(read.bytes, bytes + bytes);
    EXPECT_EQ(entriesIn(folder), 1u);
}
