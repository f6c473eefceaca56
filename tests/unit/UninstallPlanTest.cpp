#include "uninstaller/UninstallPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// Builds the string exactly as the installer appends its items.
std::string Items(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string text;
    for (const auto& item : items) {
        if (!text.empty()) text += ' ';
        text += "\"-" + item.first + "=" + item.second + "\"";
    }
    return text;
}

const char* const kUninstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix";

TEST(UninstallPlan, SortsAnInstallersStringIntoFilesFoldersAndKeysKeepingItemOrder) {
    const std::string params = Items({
        {"shareResWith", "Dorvask"},
        {"delDir", "C:\\Apps\\Q"},
        {"delDir", "C:\\Apps"},
        {"delMainFile", "C:\\Apps\\Q\\q.exe"},
        {"delFile", "C:\\Apps\\Q\\readme.txt"},
        {"delFile", "C:\\Apps\\Q\\uninst.exe"},
        {"delDir", "C:\\Menu\\Arvendo Quarnelix"},
        {"delFile", "C:\\Menu\\Arvendo Quarnelix\\Quarnelix.lnk"},
        {"delRegKey", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.dvs"},
        {"delRegKey", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Arvendo.Quarnelix.4.26.Settings\\Shell\\Manage\\command"},
        {"delRegKey", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Arvendo.Quarnelix.4.26.Settings"},
        {"rstFileAssoc", ".dvs:Arvendo.Quarnelix.4.26.Settings"},
        {"delRegKey", kUninstallKey},
    });
    const UninstallPlan plan = UninstallPlan::Parse(params);
    EXPECT_EQ(plan.SharedWith(), "Dorvask");
    EXPECT_EQ(plan.Files(), (Strings{"C:\\Apps\\Q\\q.exe", "C:\\Apps\\Q\\readme.txt", "C:\\Apps\\Q\\uninst.exe",
                                     "C:\\Menu\\Arvendo Quarnelix\\Quarnelix.lnk"}));
    EXPECT_EQ(plan.MainFile(), "C:\\Apps\\Q\\q.exe");
    EXPECT_EQ(plan.Folders(), (Strings{"C:\\Apps\\Q", "C:\\Apps", "C:\\Menu\\Arvendo Quarnelix"}));
    EXPECT_EQ(plan.RegistryKeys(),
              (Strings{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.dvs",
                       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Arvendo.Quarnelix.4.26.Settings\\Shell\\Manage\\command",
                       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Arvendo.Quarnelix.4.26.Settings", kUninstallKey}));
    ASSERT_EQ(plan.SharedAssociations().size(), 1u);
    EXPECT_EQ(plan.SharedAssociations()[0].extension, ".dvs");
    EXPECT_EQ(plan.SharedAssociations()[0].progId, "Arvendo.Quarnelix.4.26.Settings");
    EXPECT_EQ(plan.SharedAssociations()[0].extensionKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.dvs");
}

// Values go in verbatim, so they must come out verbatim: backslashes are never escapes.
TEST(UninstallPlan, TakesValuesVerbatim) {
    const Strings values = {
        "\\\\server\\share\\Quarnelix",   // UNC: both leading backslashes stay
        "D:\\",                           // ends in a backslash right before the closing quote
        "C:\\Program Files\\Arvendo Quarnelix\\a b.txt",
        "C:\\odd=name\\x.txt",            // only the first "=" separates name and value
        "C:\\\\double\\\\",
        "C:\\Tab\there",
    };
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        const UninstallPlan plan = UninstallPlan::Parse(Items({{"shareResWith", "Dorvask"}, {"delFile", value},
                                                               {"delDir", value}}));
        EXPECT_EQ(plan.Files(), Strings{value});
        EXPECT_EQ(plan.Folders(), Strings{value});
    }
}

TEST(UninstallPlan, AcceptsWhatTheCommandLineRulesAccept) {
    struct Case {
        const char* params;
        Strings files;
    };
    const Case cases[] = {
        // Tabs, line breaks and runs of spaces separate items as well.
        {"\"-delFile=C:\\a\"\t \"-delFile=C:\\b\"\r\n\"-delFile=C:\\c\"", {"C:\\a", "C:\\b", "C:\\c"}},
        // Unquoted items and quotes inside an item, names in any case, "/" as prefix.
        {"-delFile=C:\\a -DELFILE=\"C:\\b c\" /delfile=C:\\d", {"C:\\a", "C:\\b c", "C:\\d"}},
        // A quote reopened right after closing stands for one literal quote.
        {"\"-delFile=C:\\a\"\"b\"", {"C:\\a\"b"}},
        // An empty pair of quotes is no argument at all.
        {"\"\" \"-delFile=C:\\a\" \"\"", {"C:\\a"}},
        // A repeated item is kept every time.
        {"\"-delFile=C:\\a\" \"-delFile=C:\\a\"", {"C:\\a", "C:\\a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params);
        EXPECT_EQ(UninstallPlan::Parse(c.params).Files(), c.files);
    }
}

TEST(UninstallPlan, MissingSharingItemIsNoError) {
    const UninstallPlan plan = UninstallPlan::Parse(Items({{"delRegKey", kUninstallKey}}));
    EXPECT_EQ(plan.SharedWith(), "");
    EXPECT_EQ(plan.RegistryKeys(), Strings{kUninstallKey});
}

TEST(UninstallPlan, RejectsWhatTheInstallerNeverWrites) {
    struct Case {
        std::string params;
        const char* text;
    };
    const std::string hklm = "HKEY_LOCAL_MACHINE\\";
    const Case cases[] = {
        {"", "Invalid uninstallation data. The uninstall parameter string holds no items."},
        {" \t ", "Invalid uninstallation data. The uninstall parameter string holds no items."},
        {"\"-shareResWith=Dorvask\" stray", "Invalid uninstallation data. \"stray\" is not an uninstall item."},
        {"\"-delFile\"", "Invalid uninstallation data. \"-delFile\" is not an uninstall item."},
        {"\"-=C:\\x\"", "Invalid uninstallation data. \"-=C:\\x\" is not an uninstall item."},
        {"\"-delFile=\"", "Invalid uninstallation data. The item -delFile= has no value."},
        {"\"-delTree=C:\\\"", "Invalid uninstallation data. The item -delTree= is not known to this uninstaller."},
        {"\"-delFile=C:\\a \"-delDir=C:\\b\"",
         "Invalid uninstallation data. A double quote is not closed."},
        {"\"-delRegKey=SOFTWARE\\Classes\\.qxp\"",
         "Invalid uninstallation data. The registry key SOFTWARE\\Classes\\.qxp does not begin with a hive name."},
        {"\"-delRegKey=" + hklm + "SOFTWARE\\Classes\"",
         "Invalid uninstallation data. The registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes is too close to "
         "the root of its hive."},
        {"\"-delRegKey=" + hklm + "SOFTWARE\\\\Classes\\\"",
         "Invalid uninstallation data. The registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\\\Classes\\ is too close to "
         "the root of its hive."},
        {"\"-delFile=uninst.exe\"",
         "Invalid uninstallation data. The item -delFile=uninst.exe does not name a full path."},
        {"\"-delMainFile=\\Q\\q.exe\"",
         "Invalid uninstallation data. The item -delMainFile=\\Q\\q.exe does not name a full path."},
        {"\"-delDir=C:Q\"", "Invalid uninstallation data. The item -delDir=C:Q does not name a full path."},
        {"\"-delDir=\\\\\\x\"", "Invalid uninstallation data. The item -delDir=\\\\\\x does not name a full path."},
        {"\"-rstFileAssoc=.dvs\"",
         "Invalid uninstallation data. The item -rstFileAssoc=.dvs does not name an extension and a ProgID."},
        {"\"-rstFileAssoc=dvs:X\"",
         "Invalid uninstallation data. The item -rstFileAssoc=dvs:X does not name an extension and a ProgID."},
        {"\"-rstFileAssoc=.dvs:\"",
         "Invalid uninstallation data. The item -rstFileAssoc=.dvs: does not name an extension and a ProgID."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params);
        try {
            UninstallPlan::Parse(c.params);
            ADD_FAILURE() << "accepted";
        } catch (const InvalidUninstData& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
}

TEST(UninstallPlan, FindsTheSharedAssociationByItsExtensionKey) {
    const UninstallPlan plan = UninstallPlan::Parse(
        Items({{"rstFileAssoc", ".dvs:Arvendo.Quarnelix.4.26.Settings"}, {"rstFileAssoc", ".abc:Other.Id"}}));
    struct Case {
        const char* key;
        const char* extension;  // null: not a shared association's key
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.dvs", ".dvs"},
        {"hkey_local_machine\\software\\classes\\.DVS", ".dvs"},
        {"HKLM\\SOFTWARE\\Classes\\.dvs", ".dvs"},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.abc", ".abc"},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.qxp", nullptr},
        {"HKEY_CURRENT_USER\\SOFTWARE\\Classes\\.dvs", nullptr},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.dvs\\Shell", nullptr},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Arvendo.Quarnelix.4.26.Settings", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const UninstallPlan::SharedAssociation* shared = plan.SharedAssociationOf(c.key);
        if (!c.extension) {
            EXPECT_EQ(shared, nullptr);
        } else {
            ASSERT_NE(shared, nullptr);
            EXPECT_EQ(shared->extension, c.extension);
        }
    }
}

TEST(UninstallPlan, TellsWhetherAPathIsRemoved) {
    const unsigned codePage = SetHostAnsiCodePage(932);   // "\x83\\" is one character
    const UninstallPlan plan = UninstallPlan::Parse(Items({{"delDir", "C:\\Apps\\Q"}, {"delDir", "D:\\"},
                                                           {"delFile", "C:\\Other\\uninst.exe"},
                                                           {"delDir", "E:\\\x83\\"}}));
    struct Case {
        const char* path;
        bool removed;
    };
    const Case cases[] = {
        {"C:\\Apps\\Q\\uninst.exe", true},
        {"c:\\apps\\q\\SUB\\x.dll", true},
        {"C:\\Other\\UNINST.EXE", true},
        {"D:\\uninst.exe", true},
        {"C:\\Apps\\Q", false},            // the folder itself is no file inside it
        {"C:\\Apps\\Q2\\uninst.exe", false},
        {"C:\\Apps\\uninst.exe", false},
        {"C:\\Other\\uninst.exe.bak", false},
        {"C:\\WINDOWS\\TEMP\\uninst.exe", false},
        {"E:\\\x83\\\\uninst.exe", true},
        {"E:\\\x83\\x\\uninst.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(plan.Removes(c.path), c.removed);
    }
    SetHostAnsiCodePage(codePage);
}

TEST(UninstallPlan, EqualityIgnoresOnlyAsciiCase) {
    EXPECT_TRUE(EqualsIgnoringCase("C:\\Program Files", "c:\\PROGRAM FILES"));
    EXPECT_FALSE(EqualsIgnoringCase("C:\\Q", "C:\\Q\\"));
    EXPECT_FALSE(EqualsIgnoringCase("\xC4", "\xE4"));  // A and a with diaeresis in Latin-1
    EXPECT_TRUE(EqualsIgnoringCase("", ""));
    const unsigned codePage = SetHostAnsiCodePage(932);   // "\x83" "A" and "\x83" "a" differ
    EXPECT_FALSE(EqualsIgnoringCase("C:\\\x83" "A", "C:\\\x83" "a"));
    EXPECT_TRUE(EqualsIgnoringCase("c:\\\x83" "A\\Q", "C:\\\x83" "A\\q"));
    SetHostAnsiCodePage(codePage);
    EXPECT_TRUE(EqualsIgnoringCase("C:\\\x83" "A", "C:\\\x83" "a"));
}

}  // namespace
