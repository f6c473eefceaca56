#include "installer/SearchPath.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const char* const Folder = "C:\\Program Files\\Arvendo Quarnelix";

// Registry "PATH" values as a map; a missing entry reads as status 2.
class FakePaths : public EnvironmentPaths {
public:
    uint32_t Read(bool machine, std::string& text) override {
        uint32_t status = machine ? machineStatus : userStatus;
        auto& value = machine ? this->machine : user;
        if (status == 0) {
            if (!value.has) return 2;
            text = value.text;
        }
        return status;
    }
    bool Write(bool machine, const std::string& text) override {
        writes.push_back(std::string(machine ? "machine=" : "user=") + text);
        if (machine ? !machineWritable : !userWritable) return false;
        auto& value = machine ? this->machine : user;
        value.has = true;
        value.text = text;
        return true;
    }
    void Broadcast() override { ++broadcasts; }

    struct Value { bool has = false; std::string text; };
    Value machine, user;
    uint32_t machineStatus = 0, userStatus = 0;
    bool machineWritable = true, userWritable = true;
    std::vector<std::string> writes;
    int broadcasts = 0;
};

FakePaths WithMachine(const std::string& text) {
    FakePaths p;
    p.machine = {true, text};
    return p;
}

TEST(SearchPath, AllUsersAppendsToTheMachinePathOnceAndBroadcasts) {
    struct Case { const char* before; std::string after; };
    const Case cases[] = {
        {"C:\\WINDOWS", std::string("C:\\WINDOWS;") + Folder},
        {"C:\\WINDOWS;", std::string("C:\\WINDOWS;;") + Folder},
        {"", Folder},
        {"C:\\WINDOWS;C:\\Program Files\\Arvendo Quarnelix\\", std::string("C:\\WINDOWS;C:\\Program Files\\Arvendo Quarnelix\\;") + Folder},
    };
    for (const Case& c : cases) {
        FakePaths p = WithMachine(c.before);
        AddToEnvironmentPath(p, Folder, true);
        EXPECT_EQ(p.machine.text, c.after) << c.before;
        EXPECT_EQ(p.writes.size(), 1u);
        EXPECT_EQ(p.broadcasts, 1);
    }
}

TEST(SearchPath, FolderAlreadyListedInAnyCaseChangesNothing) {
    FakePaths p = WithMachine("C:\\WINDOWS;c:\\program files\\ARVENDO QUARNELIX");
    AddToEnvironmentPath(p, Folder, true);
    AddToEnvironmentPath(p, Folder, false);  // per user: the machine path already has it
    EXPECT_TRUE(p.writes.empty());
    EXPECT_EQ(p.broadcasts, 0);
}

TEST(SearchPath, PerUserWritesOnlyTheUserPath) {
    FakePaths p = WithMachine("C:\\WINDOWS");
    AddToEnvironmentPath(p, Folder, false);
    EXPECT_EQ(p.writes, (std::vector<std::string>{std::string("user=") + Folder}));
    EXPECT_EQ(p.machine.text, "C:\\WINDOWS");
    EXPECT_EQ(p.broadcasts, 1);

    p.writes.clear();
    AddToEnvironmentPath(p, Folder, false);  // second time: already in the user path
    EXPECT_TRUE(p.writes.empty());
}

TEST(SearchPath, AllUsersFallsBackToTheUserPath) {
    FakePaths unreadable = WithMachine("C:\\WINDOWS");
    unreadable.machineStatus = 1804;  // e.g. stored as REG_BINARY
    unreadable.user = {true, "C:\\Tools"};
    AddToEnvironmentPath(unreadable, Folder, true);
    EXPECT_EQ(unreadable.writes, (std::vector<std::string>{std::string("user=C:\\Tools;") + Folder}));

    FakePaths readOnly = WithMachine("C:\\WINDOWS");
    readOnly.machineWritable = false;
    AddToEnvironmentPath(readOnly, Folder, true);
    EXPECT_EQ(readOnly.writes, (std::vector<std::string>{std::string("machine=C:\\WINDOWS;") + Folder,
                                                         std::string("user=") + Folder}));
    EXPECT_EQ(readOnly.broadcasts, 1);

    FakePaths nothingWorks = WithMachine("C:\\WINDOWS");
    nothingWorks.machineWritable = nothingWorks.userWritable = false;
    AddToEnvironmentPath(nothingWorks, Folder, true);
    EXPECT_EQ(nothingWorks.broadcasts, 0);
}

TEST(SearchPath, UnreadableUserPathIsNeverOverwritten) {
    FakePaths p = WithMachine("C:\\WINDOWS");
    p.userStatus = 5;
    AddToEnvironmentPath(p, Folder, false);
    EXPECT_TRUE(p.writes.empty());
}

TEST(SearchPath, LongPathIsKeptWhole) {
    std::string longPath;
    while (longPath.size() < 30000) longPath += "C:\\Some\\Long\\Folder;";
    FakePaths p = WithMachine(longPath);
    AddToEnvironmentPath(p, Folder, true);
    EXPECT_EQ(p.machine.text, longPath + ";" + Folder);
}

TEST(SearchPath, AutoexecScanFollowsResetsOfThePath) {
    const std::string shortForm = "C:\\PROGRA~1\\ARVEND~1";
    struct Case { const char* contents; bool present; };
    const Case cases[] = {
        {"", false},
        {"@ECHO OFF\r\nPATH=C:\\WINDOWS;C:\\PROGRA~1\\ARVEND~1\r\n", true},
        {"path = \"C:\\WINDOWS;c:\\progra~1\\arvend~1\"\r\n", true},
        {"PATH=C:\\WINDOWS;C:\\Program Files\\Arvendo Quarnelix\r\n", true},
        {"PATH=C:\\WINDOWS;C:\\PROGRA~1\\ARVEND~1\r\nPATH C:\\WINDOWS\r\n", true},
        {"PATH=C:\\WINDOWS;C:\\PROGRA~1\\ARVEND~1\r\nPATH=C:\\DOS\r\n", false},
        {"PATH=C:\\WINDOWS;C:\\PROGRA~1\\ARVEND~1\r\nPATH=%PATH%;C:\\DOS\r\n", true},
        {"PATH=C:\\WINDOWS;C:\\PROGRA~1\\ARVEND~1\r\nPATH=\r\n", false},
        {"SET PATH=C:\\PROGRA~1\\ARVEND~1\r\n", false},  // only lines starting with PATH count
        {"PATH=C:\\PROGRA~1\\ARVEND~1\\\r\n", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AutoexecListsFolder(c.contents, Folder, shortForm), c.present) << c.contents;
    EXPECT_EQ(AutoexecPathLine(shortForm), "\r\nPATH=%PATH%;C:\\PROGRA~1\\ARVEND~1\r\n");
}

}  // namespace
