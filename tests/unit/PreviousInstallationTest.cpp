#include "installer/PreviousInstallation.h"

#include "NoCrtLib/InstallError.h"
#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kAskSuffix[] = ".\nDo you want to continue with the installation anyway?";
const char kAbortSuffix[] = " (use /Force flag to override uninstallation failure); aborting";
const char kCancelLine[] = "Installation canceled by user (uninstallation failure)";

}  // namespace

TEST(PreviousInstallation, ButtonLabelComparesVersionsByteByByte) {
    struct Case { const char* previous; const char* label; };
    const Case cases[] = {
        {"", "Install"},
        {"4.25", "Upgrade"},
        {"4.26", "Replace"},
        {"4.3", "Replace"},       // '3' sorts after '2', whatever the numbers say
        {"4.2", "Upgrade"},       // a prefix sorts first
        {"4.260", "Replace"},
        {"10.0", "Upgrade"},      // '1' sorts before '4'
        {"4.26a", "Replace"},
        {"4.2\xe9", "Replace"},   // bytes are unsigned: 0xE9 sorts after '6'
        {"3.99", "Upgrade"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previous);
        EXPECT_EQ(InstallButtonLabel(c.previous), c.label);
    }
}

TEST(PreviousInstallation, OnlyVersionsBefore407GetAFreshUninstaller) {
    struct Case { const char* version; bool fresh; };
    const Case cases[] = {
        {"4.06", true}, {"4.065", true}, {"4.0", true}, {"4", true}, {"3.99", true},
        {"4.07", false}, {"4.07a", false}, {"4.1", false}, {"4.26", false}, {"5", false},
        {"10.0", true},  // byte order again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(NeedsFreshUninstaller(c.version), c.fresh);
    }
}

TEST(PreviousInstallation, TempNameTakesTheRandomValueModulo9999WithFourDigits) {
    struct Case { std::uint32_t random; const char* name; };
    const Case cases[] = {
        {0, "uninst0000.exe"},     {42, "uninst0042.exe"},        {999, "uninst0999.exe"},
        {9998, "uninst9998.exe"},  {9999, "uninst0000.exe"},      {10041, "uninst0042.exe"},
        {12345, "uninst2346.exe"}, {0xFFFFFFFFu, "uninst6834.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.random);
        EXPECT_EQ(TempUninstallerName(c.random), c.name);
    }
}

TEST(PreviousInstallation, HandshakeArgumentsUseLowerCaseHexWithoutLeadingZeros) {
    struct Case { std::uint32_t result, done; const char* text; };
    const Case cases[] = {
        {0x7c, 0x80, " -unat -result=7c -done=80"},
        {0x4, 0xc, " -unat -result=4 -done=c"},
        {0, 0, " -unat -result=0 -done=0"},
        {0xDEADBEEF, 0x10, " -unat -result=deadbeef -done=10"},
        {0x00ABC000, 0xFFFFFFFF, " -unat -result=abc000 -done=ffffffff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(HandshakeArguments(c.result, c.done), c.text);
    }
}

TEST(PreviousInstallation, FreshCommandQuotesThePathAndNamesTheProduct) {
    EXPECT_EQ(FreshUninstallerCommand("C:\\TEMP\\uninst.exe"), "\"C:\\TEMP\\uninst.exe\" Quarnelix");
    EXPECT_EQ(FreshUninstallerCommand("C:\\Documents and Settings\\x\\uninst0042.exe"),
              "\"C:\\Documents and Settings\\x\\uninst0042.exe\" Quarnelix");
}

TEST(PreviousInstallation, FailureTextShowsTheResultSignedWithKnownMeanings) {
    struct Case { std::uint32_t result; const char* text; };
    const Case cases[] = {
        {12, "Uninstaller failed with error code 12: Loading uninstallation information failed"},
        {13, "Uninstaller failed with error code 13: Uninstallation failed partally or completely"},
        {1, "Uninstaller failed with error code 1"},
        {2, "Uninstaller failed with error code 2"},
        {259, "Uninstaller failed with error code 259"},
        {0xC0000005u, "Uninstaller failed with error code -1073741819"},
        {0xFFFFFFFFu, "Uninstaller failed with error code -1"},
        {0xFFFFFFF4u, "Uninstaller failed with error code -12"},  // no meaning for -12
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        EXPECT_EQ(UninstallerFailureText(c.result), c.text);
    }
}

TEST(PreviousInstallation, OnlyOneFinalFullStopIsRemoved) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"Access is denied.", "Access is denied"}, {"two..", "two."}, {"none", "none"},
        {".", ""}, {"", ""}, {"a. b", "a. b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(WithoutFinalFullStop(c.in), c.out);
    }
}

TEST(PreviousInstallation, TempFolderFailureNamesTheWindowsErrorOrTheReason) {
    EXPECT_EQ(TempFolderFailureText(5, "GetTempPathW() failed: ignored"),
              "Getting temporary path failed: GetTemporaryPath() failed: Windows error 5: Access is denied.");
    EXPECT_EQ(TempFolderFailureText(206, "").rfind("Getting temporary path failed: GetTemporaryPath() failed: "
                                                   "Windows error 206", 0), 0u);
    EXPECT_EQ(TempFolderFailureText(0, "The temporary folder 'C:\\?' has no name the ANSI code page can hold"),
              "Getting temporary path failed: The temporary folder 'C:\\?' has no name the ANSI code page can hold");
}

namespace {

// Plays the system: registered values, temporary folder, writes, deletions, randoms and
// the uninstaller's result, each scripted by the test and recorded in order.
class FakeSystem : public PreviousInstallationSystem {
public:
    std::string version = "4.26";
    std::string uninstallString = "\"C:\\Program Files\\Arvendo Quarnelix\\uninst.exe\" Quarnelix";
    std::string tempFolder = "C:\\TEMP\\";
    std::function<void()> tempFailure;
    // One entry per write; a write beyond the list succeeds.
    std::deque<std::function<void()>> writeFailures;
    std::deque<std::uint32_t> randoms;
    std::uint32_t result = 0;
    std::function<void()> runFailure;
    bool removalStarted = false;
    bool uninstallerMissing = false;

    std::vector<std::string> events;
    std::vector<std::string> commands;

    std::string Version() override { return version; }
    std::string UninstallString() override { return uninstallString; }
    bool RemovalStarted() override { return removalStarted; }
    bool FileMissing(const std::string& path) override {
        return path == "C:\\Program Files\\Arvendo Quarnelix\\uninst.exe" && uninstallerMissing;
    }
    void DeleteRegistration() override { events.push_back("delete registration"); }
    std::string TempFolder() override {
        events.push_back("temp");
        if (tempFailure) tempFailure();
        return tempFolder;
    }
    void WriteUninstaller(const std::string& path) override {
        events.push_back("write " + path);
        if (writeFailures.empty()) return;
        auto failure = writeFailures.front();
        writeFailures.pop_front();
        if (failure) failure();
    }
    void ScheduleDeletion(const std::string& path) override { events.push_back("schedule " + path); }
    std::uint32_t RandomNumber() override {
        events.push_back("random");
        if (randoms.empty()) return 0;
        std::uint32_t r = randoms.front();
        randoms.pop_front();
        return r;
    }
    std::uint32_t RunUninstaller(const std::string& command) override {
        events.push_back("run");
        commands.push_back(command);
        if (runFailure) runFailure();
        return result;
    }
};

std::function<void()> ResourceError(const std::string& text) {
    return [text] { throw InstallError(text); };
}
std::function<void()> FileError(const std::string& text) {
    return [text] { throw std::runtime_error(text); };
}

class NamelessError : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

}  // namespace

TEST(PreviousInstallationTempCopy, FirstNameIsUninstExeScheduledForRestartDeletion) {
    struct Case { const char* folder; const char* path; };
    for (const Case& c : {Case{"C:\\TEMP\\", "C:\\TEMP\\uninst.exe"}, Case{"C:\\TEMP", "C:\\TEMP\\uninst.exe"}}) {
        FakeSystem system;
        system.tempFolder = c.folder;
        EXPECT_EQ(WriteFreshUninstaller(system), c.path);
        EXPECT_EQ(system.events,
                  (std::vector<std::string>{"temp", std::string("write ") + c.path, std::string("schedule ") + c.path}));
    }
}

TEST(PreviousInstallationTempCopy, ResourceErrorsTryRandomNamesAndOnlyTheWrittenOneIsScheduled) {
    FakeSystem system;
    system.writeFailures = {ResourceError("FindResourceA() failed: x"), ResourceError("again")};
    system.randoms = {42, 10041 + 9999 * 3};
    EXPECT_EQ(WriteFreshUninstaller(system), "C:\\TEMP\\uninst0042.exe");
    EXPECT_EQ(system.events, (std::vector<std::string>{
                                 "temp", "write C:\\TEMP\\uninst.exe", "random", "write C:\\TEMP\\uninst0042.exe",
                                 "random", "write C:\\TEMP\\uninst0042.exe", "schedule C:\\TEMP\\uninst0042.exe"}));
}

TEST(PreviousInstallationTempCopy, ElevenResourceErrorsGiveUpWithTheLastErrorText) {
    FakeSystem system;
    for (int i = 0; i < 11; ++i)
        system.writeFailures.push_back(ResourceError("FindResourceA() failed: try " + std::to_string(i)));
    for (std::uint32_t r = 1; r <= 10; ++r) system.randoms.push_back(r);
    try {
        WriteFreshUninstaller(system);
        FAIL() << "no exception";
    } catch (const InstallError& e) {
        FAIL() << "an InstallError would read as a launch failure: " << e.what();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Copying uninstaller to temporary path failed: FindResourceA() failed: try 10");
    }
    // The first name, then the ten random ones: uninst0001.exe .. uninst0010.exe; nothing
    // was written, so nothing is scheduled.
    std::vector<std::string> expected{"temp", "write C:\\TEMP\\uninst.exe"};
    for (int r = 1; r <= 10; ++r) {
        char name[32];
        std::snprintf(name, sizeof name, "write C:\\TEMP\\uninst%04d.exe", r);
        expected.push_back("random");
        expected.push_back(name);
    }
    EXPECT_EQ(system.events, expected);
}

TEST(PreviousInstallationTempCopy, FileAndStreamErrorsAreNotRetried) {
    FakeSystem system;
    system.writeFailures = {FileError("CreateFileA() failed: Windows error 32: in use.")};
    try {
        WriteFreshUninstaller(system);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "CreateFileA() failed: Windows error 32: in use.");
    }
    EXPECT_EQ(system.events, (std::vector<std::string>{"temp", "write C:\\TEMP\\uninst.exe"}));
}

class PreviousInstallationRemoval : public TestSupport::PromptFixture {
protected:
    void SetUp() override {
        PromptFixture::SetUp();
        answer = 7;  // IDNO
    }

    // The exit code the removal ended the run with, or -1 when the run goes on.
    int Run() {
        const TestSupport::Outcome outcome = TestSupport::RunCaptured([this] { RemovePreviousInstallation(system); });
        EXPECT_EQ(outcome.error, "");
        out = outcome.out;
        return outcome.exitCode;
    }

    FakeSystem system;
    std::string out;
};

TEST_F(PreviousInstallationRemoval, NothingRegisteredPrintsAndRunsNothing) {
    struct Case { const char* version; const char* command; };
    for (const Case& c : {Case{"", "uninst.exe Quarnelix"}, Case{"4.26", ""}, Case{"", ""}}) {
        SCOPED_TRACE(std::string(c.version) + "|" + c.command);
        system = FakeSystem();
        system.version = c.version;
        system.uninstallString = c.command;
        SetMode(false, false);
        EXPECT_EQ(Run(), -1);
        EXPECT_EQ(out, "");
        EXPECT_TRUE(system.events.empty());
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PreviousInstallationRemoval, SuccessRunsTheRightUninstallerBetweenTwoEmptyLines) {
    struct Case { const char* version; bool fresh; };
    for (const Case& c : {Case{"4.06", true}, Case{"4.0", true}, Case{"4.07", false}, Case{"4.1", false},
                          Case{"4.26", false}, Case{"4.3", false}}) {
        for (int mode = 0; mode < 3; ++mode) {
            SCOPED_TRACE(std::string(c.version) + " mode " + std::to_string(mode));
            system = FakeSystem();
            system.version = c.version;
            SetMode(mode == 0, mode == 2);
            EXPECT_EQ(Run(), -1);
            EXPECT_EQ(out, std::string("Uninstalling the existing Quarnelix ") + c.version + " installation\n\n\n");
            const std::string expected =
                c.fresh ? "\"C:\\TEMP\\uninst.exe\" Quarnelix" : system.uninstallString;
            EXPECT_EQ(system.commands, std::vector<std::string>{expected});
            if (c.fresh)
                EXPECT_EQ(system.events, (std::vector<std::string>{"temp", "write C:\\TEMP\\uninst.exe",
                                                                   "schedule C:\\TEMP\\uninst.exe", "run"}));
            else
                EXPECT_EQ(system.events, std::vector<std::string>{"run"});
        }
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PreviousInstallationRemoval, OnlyAMarkedRegistrationWithoutItsUninstallerIsDeletedWithOneLine) {
    struct Case { bool marked, missing; };
    for (const Case& c : {Case{true, true}, Case{false, true}, Case{true, false}}) {
        SCOPED_TRACE(std::to_string(c.marked) + std::to_string(c.missing));
        system = FakeSystem();
        system.removalStarted = c.marked;
        system.uninstallerMissing = c.missing;
        system.result = 13;
        SetMode(false, false);
        const bool deleted = c.marked && c.missing;
        EXPECT_EQ(Run(), deleted ? -1 : 107);
        EXPECT_EQ(system.commands.size(), deleted ? 0u : 1u);
        EXPECT_EQ(system.events, std::vector<std::string>{deleted ? "delete registration" : "run"});
        if (deleted)
            EXPECT_EQ(out, "The earlier Quarnelix 4.26 installation was partly removed; its removal is treated as "
                           "finished\n");
    }
}

TEST_F(PreviousInstallationRemoval, UnattendedFailuresAbortWith107OrWarnWithForce) {
    const std::string header = "Uninstalling the existing Quarnelix 4.26 installation\n";
    struct Case {
        const char* name;
        std::uint32_t result;
        std::function<void()> runFailure;
        const char* message;
        bool ranUninstaller;  // both empty lines around the uninstaller are printed
    };
    const Case cases[] = {
        {"12", 12, nullptr, "Uninstaller failed with error code 12: Loading uninstallation information failed", true},
        {"13", 13, nullptr, "Uninstaller failed with error code 13: Uninstallation failed partally or completely",
         true},
        {"exception code", 0xC0000005u, nullptr, "Uninstaller failed with error code -1073741819", true},
        {"no exit code", 259, nullptr, "Uninstaller failed with error code 259", true},
        {"handed-on value 1", 1, nullptr, "Uninstaller failed with error code 1", true},
        {"process not started", 0,
         ResourceError("CreateProcess() failed: Windows error 2: The system cannot find the file specified."),
         "Launching uninstaller failed: CreateProcess() failed: Windows error 2: The system cannot find the file "
         "specified",
         false},
        {"only one full stop goes", 0, ResourceError("odd.."), "Launching uninstaller failed: odd.", false},
        {"other standard exception", 0, FileError("bad allocation"), "bad allocation", false},
    };
    for (const Case& c : cases) {
        for (bool force : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (force ? " force" : ""));
            system = FakeSystem();
            system.result = c.result;
            system.runFailure = c.runFailure;
            SetMode(false, force);
            const std::string middle = c.ranUninstaller ? "\n\n" : "\n";
            if (force) {
                EXPECT_EQ(Run(), -1);
                EXPECT_EQ(out, header + middle + "Warning: " + c.message + "\n");
            } else {
                EXPECT_EQ(Run(), 107);
                EXPECT_EQ(out, header + middle + c.message + kAbortSuffix + "\n");
            }
        }
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PreviousInstallationRemoval, FreshCopyFailuresBecomeTheMessageBeforeAnyEmptyLine) {
    struct Case {
        const char* name;
        std::function<void(FakeSystem&)> arrange;
        std::string message;
        std::size_t writes;
    };
    const Case cases[] = {
        {"no temporary folder",
         [](FakeSystem& s) {
             s.tempFailure = FileError("Getting temporary path failed: GetTemporaryPath() failed: Windows error 5: "
                                       "Access is denied.");
         },
         "Getting temporary path failed: GetTemporaryPath() failed: Windows error 5: Access is denied", 0},
        {"locked uninst.exe",
         [](FakeSystem& s) {
             s.writeFailures = {FileError("CreateFileA() failed: Windows error 32: The process cannot access the "
                                          "file because it is being used by another process.")};
         },
         "CreateFileA() failed: Windows error 32: The process cannot access the file because it is being used by "
         "another process",
         1},
        {"resource missing every time",
         [](FakeSystem& s) {
             for (int i = 0; i < 11; ++i) s.writeFailures.push_back(ResourceError("FindResourceA() failed: gone."));
         },
         "Copying uninstaller to temporary path failed: FindResourceA() failed: gone", 11},
        {"exception without text", [](FakeSystem& s) { s.tempFailure = [] { throw NamelessError(); }; }, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system = FakeSystem();
        system.version = "4.06";
        c.arrange(system);
        SetMode(false, false);
        EXPECT_EQ(Run(), 107);
        EXPECT_EQ(out, "Uninstalling the existing Quarnelix 4.06 installation\n" + c.message + kAbortSuffix + "\n");
        EXPECT_TRUE(system.commands.empty());
        std::size_t writes = 0;
        for (const std::string& e : system.events) {
            writes += e.rfind("write ", 0) == 0;
            EXPECT_NE(e.rfind("schedule", 0), 0u) << "a file that was not written is scheduled";
        }
        EXPECT_EQ(writes, c.writes);
    }
}

TEST_F(PreviousInstallationRemoval, InteractiveWarnsThenAsksTheCarefulQuestion) {
    const std::string message = "Uninstaller failed with error code 13: Uninstallation failed partally or completely";
    struct Case { int answer; int code; };
    for (const Case& c : {Case{6, -1}, Case{7, 107}, Case{2, 107}, Case{0, 107}}) {
        SCOPED_TRACE(c.answer);
        system = FakeSystem();
        system.result = 13;
        boxes.clear();
        answer = c.answer;
        SetMode(true, true);  // -force is not read in interactive mode
        EXPECT_EQ(Run(), c.code);
        std::string expected = "Uninstalling the existing Quarnelix 4.26 installation\n\n\nWarning: " + message + "\n";
        if (c.code == 107) expected += std::string(kCancelLine) + "\n";
        EXPECT_EQ(out, expected);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, message + kAskSuffix);
        EXPECT_EQ(boxes[0].caption, "Uninstallation failure");
        EXPECT_EQ(boxes[0].style, 0x134u);  // Yes/No, warning icon, No the default
    }
}

TEST_F(PreviousInstallationRemoval, InteractiveBoxTextLosesTheFinalFullStopOnce) {
    system.runFailure = ResourceError("CreateProcess() failed: Windows error 2: The system cannot find the file specified.");
    SetMode(true, false);
    EXPECT_EQ(Run(), 107);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Launching uninstaller failed: CreateProcess() failed: Windows error 2: The system cannot find the file "
              "specified.\nDo you want to continue with the installation anyway?");
}
