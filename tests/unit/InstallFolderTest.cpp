#include "installer/InstallFolder.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/InstallError.h"
#include "installer/Preflight.h"

#include <gtest/gtest.h>

namespace {

// Code page 932: the second byte of "\x83\\" is '\', of "\x83|" '|', of "\x83" "A" a capital.
TEST(InstallFolder, NormalisesEveryTypedFormToOneFullPath) {
    const unsigned codePage = SetHostAnsiCodePage(932);
    struct Case { const char* typed; const char* current; const char* full; };
    const Case cases[] = {
        {"C:\\Apps\\Q", "D:\\Work", "C:\\Apps\\Q"},
        {"relative\\q", "D:\\Work", "D:\\Work\\relative\\q"},
        {"..\\q", "D:\\Work\\Sub", "D:\\Work\\q"},
        {"\\q", "D:\\Work", "D:\\q"},
        {"C:/apps/q/", "D:\\Work", "C:\\apps\\q"},
        {"C:\\\\apps\\\\\\q\\\\", "D:\\", "C:\\apps\\q"},
        {"C:\\apps\\.\\x\\..\\q\\.", "D:\\", "C:\\apps\\q"},
        {"C:\\apps\\q.", "D:\\", "C:\\apps\\q"},
        {"C:\\apps\\q . \\r", "D:\\", "C:\\apps\\q\\r"},
        {"C:\\..\\..", "D:\\", "C:\\"},
        {"C:\\", "D:\\", "C:\\"},
        {"D:q", "D:\\Work", "D:\\Work\\q"},
        {"C:q", "D:\\Work", "C:\\q"},
        {"\\\\server\\share\\q\\", "D:\\", "\\\\server\\share\\q"},
        {"//server/share//q/..", "D:\\", "\\\\server\\share"},
        {"q", "\\\\server\\share\\w", "\\\\server\\share\\w\\q"},
        {"\\q", "\\\\server\\share\\w", "\\\\server\\share\\q"},
        {"", "D:\\", ""},
        {"C:\\apps\\\x83\\\\q", "D:\\", "C:\\apps\\\x83\\\\q"},
        {"C:/apps/\x95\\/./", "D:\\", "C:\\apps\\\x95\\"},
        {"\x83\\.", "C:\\apps", "C:\\apps\\\x83\\"},
        {"\\\\?\\C:\\x\\..", "D:\\", "\\\\?\\C:\\x\\.."},
        {"\\??\\C:\\x", "D:\\Work", "\\??\\C:\\x"},
        {"//./pipe/q", "D:\\", "//./pipe/q"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormaliseFolder(c.typed, c.current), c.full) << c.typed;
    SetHostAnsiCodePage(codePage);
}

TEST(InstallFolder, RefusesFoldersThatCanNeverWork) {
    const unsigned codePage = SetHostAnsiCodePage(932);
    const std::string tooLong(240, 'a');
    const char* const prefixed = "Device and prefixed paths cannot be installation folders.";
    struct Case { std::string folder; std::size_t longest; const char* problem; };
    const Case cases[] = {
        {"C:\\Apps\\Q", 20, ""},
        {"\\\\server\\share\\Q", 20, ""},
        {"C:\\cone.d\\COM0\\LPT10", 20, ""},
        {"", 20, "No folder was given."},
        {"\\\\server", 20, "The path is not the full path of a folder."},
        {"C:\\a;b", 20, "A folder whose name contains ';' cannot be added to the search path."},
        {"C:\\a|b", 20, "The name contains the character '|', which Windows does not allow."},
        {"C:\\a:b", 20, "The name contains the character ':', which Windows does not allow."},
        {"C:\\a\tb", 20, "The name contains a control character, which Windows does not allow."},
        {"C:\\Apps\\CON", 20, "'CON' is a name Windows reserves for a device."},
        {"C:\\nul.txt\\Q", 20, "'nul.txt' is a name Windows reserves for a device."},
        {"C:\\Lpt9 .x", 20, "'Lpt9 .x' is a name Windows reserves for a device."},
        {"C:\\...", 20, "'...' is not a valid folder name."},
        {"C:\\" + tooLong, 15, ""},
        {"C:\\" + tooLong, 16, "The path is too long: the package's longest file would get a path of 260 characters, "
                               "more than the system's limit of 259."},
        {"C:\\" + tooLong + "12345", 0, "The path is too long: a folder may have at most 247 characters."},
        {"C:\\apps\\\x83|", 20, ""},
        {"C:\\apps\\\x83\\\\q", 20, ""},
        {"C:\\\x83\\ ", 20, "'\x83\\ ' is not a valid folder name."},
        {"\\\\.\\pipe\\q", 20, prefixed},
        {"\\\\.\\PhysicalDrive0\\q", 20, prefixed},
        {"\\\\.\\CON", 20, prefixed},
        {"\\\\?\\C:\\x", 20, prefixed},
        {"\\??\\C:\\x", 20, prefixed},
        {"/\\?/UNC/server/share", 20, prefixed},
    };
    for (const Case& c : cases) EXPECT_EQ(FolderNameProblem(c.folder, c.longest), c.problem) << c.folder;
    SetHostAnsiCodePage(codePage);
}

TEST(InstallFolder, ParentStepsOverTheSecondByteOfACharacter) {
    const unsigned codePage = SetHostAnsiCodePage(932);
    struct Case { const char* path; const char* parent; };
    const Case cases[] = {
        {"C:\\apps\\q", "C:\\apps"},
        {"C:\\apps", "C:\\"},
        {"C:\\", ""},
        {"\\\\server\\share\\q", "\\\\server\\share\\"},
        {"\\\\server\\share", ""},
        {"C:\\apps\\\x83\\", "C:\\apps"},
        {"C:\\\x95\\\\q", "C:\\\x95\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    SetHostAnsiCodePage(codePage);
}

TEST(Preflight, MutexNameVolumeRootAndSpaceShortfall) {
    EXPECT_EQ(VolumeRoot("\\\\server\\share\\Q"), "\\\\server\\share\\");
    EXPECT_EQ(VolumeRoot("Apps"), "");
    EXPECT_EQ(InstallerMutexName({PlatformNT, 5, 0}), "Global\\ArvendoQuarnelixInstallerRun");
    EXPECT_EQ(InstallerMutexName({PlatformNT, 4, 0}), "ArvendoQuarnelixInstallerRun");
    EXPECT_EQ(InstallerMutexName({PlatformWin9x, 4, 10}), "ArvendoQuarnelixInstallerRun");
    EXPECT_EQ(UnknownSpaceWarning("D:\\Q"),
              "Warning: The free disk space for 'D:\\Q' cannot be determined; the installation goes on");
    EXPECT_EQ(SpaceShortfall("D:\\Q", 2049, 2049), "");
    EXPECT_EQ(SpaceShortfall("D:\\Q", 2049, 2048),
              "Not enough free disk space for 'D:\\Q': 3 KB needed, 2 KB available");
}

TEST(Preflight, SpaceNeededRoundsEveryFileToWholeClustersAndCannotWrap) {
    const std::uint64_t margin = 1024 * 1024;
    struct Case { std::vector<std::uint64_t> sizes; std::uint64_t cluster; std::uint64_t needed; };
    const Case cases[] = {
        {{1000, 24}, 0, 1024 + margin},
        {{1000, 24}, 1, 1024 + margin},
        {{1000, 24, 0}, 4096, 8192 + margin},
        {{4096, 4097}, 4096, 3 * 4096 + margin},
        {{UINT64_MAX - margin}, 1, UINT64_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(SpaceNeeded(c.sizes, c.cluster), c.needed) << c.cluster;
    struct TooLarge { std::vector<std::uint64_t> sizes; std::uint64_t cluster; };
    const TooLarge tooLarge[] = {
        {{UINT64_MAX - margin, 1}, 1}, {{UINT64_MAX / 2, UINT64_MAX / 2}, 1}, {{UINT64_MAX - 10}, 4096}};
    for (const TooLarge& c : tooLarge) EXPECT_THROW(SpaceNeeded(c.sizes, c.cluster), InstallError) << c.cluster;
}

}  // namespace
