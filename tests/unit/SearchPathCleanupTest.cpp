#include "uninstaller/SearchPathCleanup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kFolder = "C:\\Program Files\\Arvendo Quarnelix";

TEST(SearchPathCleanup, TakesTheFolderOutOfAPathListKeepingEverythingElse) {
    struct Case {
        const char* before;
        const char* after;  // null: unchanged
    };
    const Case cases[] = {
        // What the installer made of C:\WINDOWS, of C:\WINDOWS; and of an empty value.
        {"C:\\WINDOWS;C:\\Program Files\\Arvendo Quarnelix", "C:\\WINDOWS"},
        {"C:\\WINDOWS;;C:\\Program Files\\Arvendo Quarnelix", "C:\\WINDOWS;"},
        {"C:\\Program Files\\Arvendo Quarnelix", ""},
        // Letter case does not matter; the entry may sit anywhere and appear twice.
        {"c:\\program files\\ARVENDO QUARNELIX;C:\\WINDOWS", "C:\\WINDOWS"},
        {"A;C:\\Program Files\\Arvendo Quarnelix;B", "A;B"},
        {"A;C:\\Program Files\\Arvendo Quarnelix;B;C:\\Program Files\\Arvendo Quarnelix", "A;B"},
        {"C:\\Program Files\\Arvendo Quarnelix;C:\\Program Files\\Arvendo Quarnelix", ""},
        // Other entries stay byte for byte: empty ones, spaces, variables, a trailing ";".
        {"%SystemRoot%\\system32; C:\\x ;;C:\\Program Files\\Arvendo Quarnelix;", "%SystemRoot%\\system32; C:\\x ;;"},
        // Only the exact folder: not with a trailing backslash, spaces, quotes, or as a prefix.
        {"C:\\WINDOWS;C:\\Program Files\\Arvendo Quarnelix\\", nullptr},
        {"C:\\WINDOWS; C:\\Program Files\\Arvendo Quarnelix", nullptr},
        {"C:\\WINDOWS;\"C:\\Program Files\\Arvendo Quarnelix\"", nullptr},
        {"C:\\Program Files\\Arvendo Quarnelix\\bin;C:\\Program Files\\Arvendo", nullptr},
        {"", nullptr},
        {";", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        std::string result = "stale";
        const bool changed = SearchPathCleanup::RemoveFolder(c.before, kFolder, result);
        EXPECT_EQ(changed, c.after != nullptr);
        EXPECT_EQ(result, c.after ? c.after : c.before);
    }
}

TEST(SearchPathCleanup, EmptyFolderMatchesNothing) {
    std::string result;
    EXPECT_FALSE(SearchPathCleanup::RemoveFolder("A;;B", "", result));
    EXPECT_EQ(result, "A;;B");
}

TEST(SearchPathCleanup, TakesTheInstallersLineOutOfTheBatchFile) {
    const std::vector<std::string> forms = {"C:\\PROGRA~1\\ARVEND~1", kFolder};
    struct Case {
        const char* before;
        const char* after;  // null: unchanged
    };
    const Case cases[] = {
        // The installer appended "\r\nPATH=%PATH%;" + short form + "\r\n".
        {"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n",
         "@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n"},
        {"@ECHO OFF\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", "@ECHO OFF\r\n"},
        {"\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", ""},
        // Lines added after it stay; LF-only files and a last line without break work too.
        {"A\r\n\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\nSET X=1\r\n", "A\r\nSET X=1\r\n"},
        {"A\n\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\nB\n", "A\nB\n"},
        {"A\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1", "A\r\n"},
        // Letter case does not matter, and the long form is recognised as well.
        {"A\r\npath=%path%;c:\\progra~1\\arvend~1\r\n", "A\r\n"},
        {"A\r\nPATH=%PATH%;C:\\Program Files\\Arvendo Quarnelix\r\n", "A\r\n"},
        // Only one empty line before the line goes, and only right before it.
        {"A\r\n\r\n\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", "A\r\n\r\n"},
        {"A\r\n\r\nB\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", "A\r\n\r\nB\r\n"},
        // Two such lines both go.
        {"PATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\nB\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", "B\r\n"},
        // Any other line stays: other PATH lines, the folder among others, extra spaces.
        {"PATH=C:\\WINDOWS;C:\\PROGRA~1\\ARVEND~1\r\n", nullptr},
        {"PATH=%PATH%;C:\\PROGRA~1\\ARVEND~1;C:\\DOS\r\n", nullptr},
        {"PATH=%PATH%;C:\\PROGRA~1\\ARVEND~1 \r\n", nullptr},
        {" PATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", nullptr},
        {"PATH %PATH%;C:\\PROGRA~1\\ARVEND~1\r\n", nullptr},
        {"PATH=%PATH%;C:\\PROGRA~1\\ARVEND~2\r\n", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        std::string result = "stale";
        const bool changed = SearchPathCleanup::RemoveAutoexecLine(c.before, forms, result);
        EXPECT_EQ(changed, c.after != nullptr);
        EXPECT_EQ(result, c.after ? c.after : c.before);
    }
}

TEST(SearchPathCleanup, EmptyFormsMatchNothing) {
    std::string result;
    EXPECT_FALSE(SearchPathCleanup::RemoveAutoexecLine("PATH=%PATH%;\r\n", {"", ""}, result));
    EXPECT_EQ(result, "PATH=%PATH%;\r\n");
}

}  // namespace
