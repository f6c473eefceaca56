#include "platform/RegPath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct PathCase {
    const char* path;
    uint32_t hive;
    const char* subKey;
};

const PathCase kPathCases[] = {
    {"HKEY_CLASSES_ROOT\\.qxp", 0x80000000u, ".qxp"},
    {"HKEY_CURRENT_CONFIG\\System", 0x80000005u, "System"},
    {"HKEY_CURRENT_USER\\Environment", 0x80000001u, "Environment"},
    {"HKCU\\Environment", 0x80000001u, "Environment"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", 0x80000002u, "SOFTWARE\\Classes"},
    {"HKLM\\SOFTWARE\\Classes", 0x80000002u, "SOFTWARE\\Classes"},
    {"HKEY_USERS\\.DEFAULT", 0x80000003u, ".DEFAULT"},
    {"HKEY_PERFORMANCE_DATA\\x", 0x80000004u, "x"},
    {"HKEY_DYN_DATA\\Config Manager", 0x80000006u, "Config Manager"},
    // Letter case of the hive name does not matter.
    {"hklm\\SOFTWARE\\Classes", 0x80000002u, "SOFTWARE\\Classes"},
    {"hkey_local_machine\\SOFTWARE", 0x80000002u, "SOFTWARE"},
    {"Hkey_Current_User\\Software", 0x80000001u, "Software"},
    {"hkcu\\a", 0x80000001u, "a"},
    // A hive name alone names the hive root.
    {"HKLM", 0x80000002u, ""},
    {"HKEY_USERS", 0x80000003u, ""},
    {"HKLM\\", 0x80000002u, ""},
    // The subkey is taken unchanged: no trimming, no validation, later backslashes kept.
    {"HKLM\\ SOFTWARE \\", 0x80000002u, " SOFTWARE \\"},
    {"HKLM\\\\SOFTWARE", 0x80000002u, "\\SOFTWARE"},
    {"HKCU\\Software\\Quarnelix\\4.26", 0x80000001u, "Software\\Quarnelix\\4.26"},
    // Anything else has no root.
    {"", 0, ""},
    {"\\SOFTWARE", 0, "SOFTWARE"},
    {"HKCR\\.qxp", 0, ".qxp"},
    {"HKU\\.DEFAULT", 0, ".DEFAULT"},
    {"HKLM \\SOFTWARE", 0, "SOFTWARE"},
    {" HKLM\\SOFTWARE", 0, "SOFTWARE"},
    {"HKL\\SOFTWARE", 0, "SOFTWARE"},
    {"HKLMX\\SOFTWARE", 0, "SOFTWARE"},
    {"HKEY_LOCAL_MACHIN\\SOFTWARE", 0, "SOFTWARE"},
    {"SOFTWARE\\Classes", 0, "Classes"},
    {"HKLM/SOFTWARE", 0, ""},
    // Bytes above 0x7F are not folded: a dotless i (0xFD in code page 1254) is no I,
    // and a DBCS lead byte never matches.
    {"HKEY_LOCAL_MACH\xFDNE\\SOFTWARE", 0, "SOFTWARE"},
    {"\x82\xA0HKLM\\x", 0, "x"},
};

}  // namespace

TEST(RegPath, SplitsHiveNameAndSubKeyForEveryName) {
    for (const PathCase& c : kPathCases) {
        RegPath p(c.path);
        EXPECT_EQ(p.Hive(), c.hive) << c.path;
        EXPECT_EQ(p.SubKey(), c.subKey) << c.path;
    }
}

TEST(RegPath, AbbreviationAddressesTheSameKeyAsTheFullName) {
    RegPath shortForm("hklm\\SYSTEM\\CurrentControlSet\\Control\\Session Manager");
    RegPath longForm("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager");
    EXPECT_EQ(shortForm.Hive(), longForm.Hive());
    EXPECT_EQ(shortForm.SubKey(), longForm.SubKey());
    EXPECT_EQ(shortForm.Hive(), RegPath::LocalMachine);
}

TEST(RegPath, HiveNameWithEmbeddedZeroIsNotKnown) {
    EXPECT_EQ(RegPath::HiveFromName(std::string("HKLM\0", 5)), RegPath::NoHive);
    EXPECT_EQ(RegPath::HiveFromName(std::string("HK\0LM", 5)), RegPath::NoHive);
    EXPECT_EQ(RegPath::HiveFromName("HKLM"), RegPath::LocalMachine);
}

TEST(RegPath, LongSubKeyIsKeptWhole) {
    std::string sub(40000, 'k');
    RegPath p("HKCU\\" + sub);
    EXPECT_EQ(p.Hive(), RegPath::CurrentUser);
    EXPECT_EQ(p.SubKey(), sub);
}
