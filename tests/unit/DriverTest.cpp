#include "installer/Driver.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/SilentExit.h"
#include "NoCrtLib/CmdLine.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <new>

namespace {

class DriverTest : public TestSupport::PromptFixture {
protected:
    void SetUp() override {
        PromptFixture::SetUp();
        answer = 1;  // IDOK
    }

    template <class E> int Report(const E& e, std::string& out) {
        int code = -1;
        out = TestSupport::RunCaptured([&] { code = FinishRun(ReportRunFailure(std::make_exception_ptr(e))); }).out;
        return code;
    }
};

TEST_F(DriverTest, UnattendedErrorsArePrintedTwiceWithTheirPrefixes) {
    SetMode(false, false);
    struct NotStd {};
    std::string out;
    EXPECT_EQ(Report(InstallError("disk full"), out), 150);
    EXPECT_EQ(out, "Installation error: disk full\nInstallation error: disk full\n");
    EXPECT_EQ(Report(std::bad_alloc(), out), 150);
    EXPECT_EQ(out, std::string("std::exception caught: ") + std::bad_alloc().what() + "\n" +
                       "std::exception caught: " + std::bad_alloc().what() + "\n");
    EXPECT_EQ(Report(NotStd(), out), 150);
    EXPECT_EQ(out, "Unrecognized exception caught\nUnrecognized exception caught\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DriverTest, InteractiveErrorsArePrintedOnceAndShownInABox) {
    std::string out;
    EXPECT_EQ(Report(InstallError("disk full"), out), 150);
    EXPECT_EQ(out, "Installation error: disk full\n");
    EXPECT_EQ(Report(std::runtime_error("boom"), out), 150);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Installation error: disk full");
    EXPECT_EQ(boxes[0].caption, "Installation Error");
    EXPECT_EQ(boxes[0].style, 0x10u);
    EXPECT_EQ(boxes[1].text, "std::exception caught: boom");
    EXPECT_EQ(boxes[1].caption, "Exception");
}

TEST_F(DriverTest, SilentExitReturnsItsCodeAndOnlyHelpAndCommandLineErrorsGetTheBanner) {
    std::string out;
    EXPECT_EQ(Report(SilentExit(104), out), 104);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Report(SilentExit(200), out), 200);
    EXPECT_EQ(out, UsageBanner() + "\n");
    EXPECT_EQ(Report(CmdLine::Err(u"Invalid command option: x."), out), 201);
    EXPECT_EQ(out, "Invalid command option: x.\n\n" + UsageBanner() + "\n");
}

struct OptionsCase {
    const char16_t* commandLine;
    int exitCode;  // -1: read without error
    const char* installDir;
    bool force, noRollback, acceptEULA, allUsers, desktopIcon;
};

TEST_F(DriverTest, UnattendedOptionsAreReadInOrderAndLeftoversRejected) {
    const OptionsCase cases[] = {
        {u"i.exe -installDir=C:\\Q", -1, "C:\\Q", false, false, false, true, true},
        {u"i.exe /INSTALLDIR=C:\\Q /AcceptEula /FORCE /noROLLBACK", -1, "C:\\Q", true, true, true, true, true},
        {u"i.exe -installDir=C:\\Q -installForMeOnly -noDesktopIcon", -1, "C:\\Q", false, false, false, false, false},
        {u"i.exe -installDir=\"C:\\Program Files\\Arvendo Quarnelix\" -acceptEULA", -1,
         "C:\\Program Files\\Arvendo Quarnelix", false, false, true, true, true},
        {u"i.exe -installDir=C:\\a -installDir=C:\\b", -1, "C:\\b", false, false, false, true, true},
        {u"i.exe -acceptEULA", 201, "", false, false, true, true, true},
        {u"i.exe -installDir= -acceptEULA", 201, "", false, false, true, true, true},
        {u"i.exe -installDir=C:\\Q -x", 201, "C:\\Q", false, false, false, true, true},
        {u"i.exe -x -help", 200, "", false, false, false, true, true},
    };
    for (const OptionsCase& c : cases) {
        ResetOptions();
        CmdLine commandLine(c.commandLine, CmdLine::BackslashEscapes | CmdLine::DoubledQuotes | CmdLine::SlashPrefix);
        RunFlags flags;
        int code = -1;
        try {
            ReadUnattendedOptions(commandLine, flags);
        } catch (const SilentExit& e) {
            code = e.Code();
        } catch (const CmdLine::Err&) {
            code = 201;
        }
        SCOPED_TRACE(std::string(c.commandLine, c.commandLine + std::char_traits<char16_t>::length(c.commandLine)));
        EXPECT_EQ(code, c.exitCode);
        if (code == 200) continue;  // help is checked before anything is read
        EXPECT_EQ(Options().installDir, c.installDir);
        EXPECT_EQ(Options().force, c.force);
        EXPECT_EQ(Options().noRollback, c.noRollback);
        EXPECT_EQ(Options().acceptEULA, c.acceptEULA);
        if (code == -1) {
            EXPECT_EQ(flags.installForAllUsers, c.allUsers);
            EXPECT_EQ(flags.createDesktopIcon, c.desktopIcon);
        }
    }
}

TEST_F(DriverTest, MissingInstallDirHasItsExactText) {
    CmdLine commandLine(u"i.exe -installDir", CmdLine::BackslashEscapes | CmdLine::DoubledQuotes | CmdLine::SlashPrefix);
    RunFlags flags;
    try {
        ReadUnattendedOptions(commandLine, flags);
        FAIL() << "no error";
    } catch (const CmdLine::Err& e) {
        EXPECT_STREQ(e.what(), "Missing '-installDir' parameter.");
    }
}

TEST_F(DriverTest, FolderTheAnsiCodePageCannotRepresentIsKeptAsTyped) {
    CmdLine commandLine(u"i.exe -installDir=C:\\\u0416\u00E9\U0001F600 -acceptEULA", CmdLine::BackslashEscapes);
    RunFlags flags;
    ReadUnattendedOptions(commandLine, flags);
    EXPECT_EQ(Options().unrepresentableInstallDir, "C:\\<U+0416>\xE9<U+1F600>");
}

}  // namespace
