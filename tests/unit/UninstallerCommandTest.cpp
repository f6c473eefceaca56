#include "uninstaller/UninstallerCommand.h"

#include "NoCrtLib/AnsiCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

namespace {

TEST(UninstallerCommand, ReadsTheInstallersHandshakeCommand) {
    // The registered UninstallString with the installer's three arguments appended.
    const UninstallerCommand cmd(u"\"C:\\P\\uninst.exe\" Quarnelix  -unat -result=7c -done=80");
    EXPECT_EQ(cmd.KeyName(), "Quarnelix");
    EXPECT_TRUE(cmd.Unattended());
    EXPECT_TRUE(cmd.HasHandshake());
    EXPECT_EQ(cmd.ResultHandle(), 0x7cu);
    EXPECT_EQ(cmd.DoneHandle(), 0x80u);
    EXPECT_FALSE(cmd.IsTempCopy());
}

TEST(UninstallerCommand, ReadsEveryForm) {
    struct Case {
        const char16_t* line;
        const char* key;
        bool unattended, handshake, copy;
        std::uint32_t result, done, original;
    };
    const Case cases[] = {
        {u"uninst.exe Quarnelix", "Quarnelix", false, false, false, 0, 0, 0},
        {u"\"C:\\P\\uninst.exe\" Quarnelix ", "Quarnelix", false, false, false, 0, 0, 0},
        {u"uninst.exe \"My Product\" /UNAT", "My Product", true, false, false, 0, 0, 0},
        {u"uninst.exe -unat Quarnelix", "Quarnelix", true, false, false, 0, 0, 0},
        {u"uninst.exe Quarnelix -result=FFFFFFFF -done=1", "Quarnelix", false, true, false, 0xFFFFFFFFu, 1, 0},
        {u"u.exe Quarnelix -unat -result=7c -done=80 -tempCopy=1a4", "Quarnelix", true, true, true, 0x7c, 0x80, 0x1a4},
        {u"u.exe Quarnelix -unat -tempCopy=0", "Quarnelix", true, false, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToAnsi(c.line));
        const UninstallerCommand cmd(c.line);
        EXPECT_EQ(cmd.KeyName(), c.key);
        EXPECT_EQ(cmd.Unattended(), c.unattended);
        EXPECT_EQ(cmd.HasHandshake(), c.handshake);
        EXPECT_EQ(cmd.IsTempCopy(), c.copy);
        EXPECT_EQ(cmd.ResultHandle(), c.result);
        EXPECT_EQ(cmd.DoneHandle(), c.done);
        EXPECT_EQ(cmd.OriginalProcess(), c.original);
    }
}

TEST(UninstallerCommand, RejectsCommandLinesItDoesNotUnderstand) {
    struct Case {
        const char16_t* line;
        const char* text;
    };
    const Case cases[] = {
        {u"uninst.exe", "Missing the name of the uninstall key."},
        {u"uninst.exe -unat", "Missing the name of the uninstall key."},
        {u"uninst.exe Quarnelix extra", "Invalid command option: extra."},
        {u"uninst.exe Quarnelix -zeta -alpha=1",
         "Invalid command parameter: -alpha=1.\nInvalid command parameter: -zeta."},
        {u"uninst.exe Quarnelix -unat=yes", "Invalid command parameter: -unat=yes."},
        {u"uninst.exe Quarnelix -result", "Invalid command parameter: -result."},
        {u"uninst.exe Quarnelix -result=7c", "'-result=' and '-done=' must be given together."},
        {u"uninst.exe Quarnelix -done=80", "'-result=' and '-done=' must be given together."},
        {u"uninst.exe Quarnelix -result=0x7c -done=80", "Invalid handle value in '-result=0x7c'."},
        {u"uninst.exe Quarnelix -result=7c -done=", "Invalid handle value in '-done='."},
        {u"uninst.exe Quarnelix -result=7c -done=0", "Invalid handle value in '-done=0'."},
        {u"uninst.exe Quarnelix -result=123456789 -done=80", "Invalid handle value in '-result=123456789'."},
        {u"uninst.exe Quarnelix -result=-7c -done=80", "Invalid handle value in '-result=-7c'."},
        {u"uninst.exe Quarnelix -tempCopy=xyz", "Invalid handle value in '-tempCopy=xyz'."},
        {u"uninst.exe Quarnelix -tempCopy=1 -copyResult=7c -copyDone=80",
         "'-copyResult=', '-copyDone=', '-originalFile=' and '-tempCopy=' must be given together."},
        {u"uninst.exe Quarnelix -copyResult=7c -copyDone=80 -originalFile=C:\\u.exe",
         "'-copyResult=', '-copyDone=', '-originalFile=' and '-tempCopy=' must be given together."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToAnsi(c.line));
        try {
            UninstallerCommand cmd(c.line);
            ADD_FAILURE() << "accepted";
        } catch (const CmdLine::Err& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
}

TEST(UninstallerCommand, CopyCommandLineRepeatsTheArgumentsExactlyAndAddsTheMarker) {
    struct Case {
        const char16_t* line;
        const char16_t* copy;
    };
    const Case cases[] = {
        {u"\"C:\\Program Files\\Q\\uninst.exe\" Quarnelix  -unat -result=7c -done=80",
         u"\"C:\\TEMP\\qx.exe\" Quarnelix  -unat -result=7c -done=80 -tempCopy=1a4"},
        {u"C:\\Q\\uninst.exe \"My \\\"Product\\\"\" ",
         u"\"C:\\TEMP\\qx.exe\" \"My \\\"Product\\\"\"  -tempCopy=1a4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToAnsi(c.line));
        const UninstallerCommand cmd(c.line);
        const std::u16string copyLine = cmd.TempCopyCommandLine(u"C:\\TEMP\\qx.exe", 0x1a4);
        EXPECT_EQ(WideToAnsi(copyLine), WideToAnsi(c.copy));
        // The copy reads the same arguments, and knows it is the copy.
        const UninstallerCommand copy(copyLine);
        EXPECT_EQ(copy.KeyName(), cmd.KeyName());
        EXPECT_EQ(copy.Unattended(), cmd.Unattended());
        EXPECT_EQ(copy.HasHandshake(), cmd.HasHandshake());
        EXPECT_EQ(copy.ResultHandle(), cmd.ResultHandle());
        EXPECT_TRUE(copy.IsTempCopy());
        EXPECT_EQ(copy.OriginalProcess(), 0x1a4u);
    }
}

TEST(UninstallerCommand, CopyOfAWaitingOriginalGetsTheAnswerHandlesAndTheOriginalsFile) {
    const UninstallerCommand::Answer answer{0x7c, 0x80, u"C:\\Program Files\\Q\\uninst.exe"};
    const std::u16string line =
        UninstallerCommand(u"u.exe Quarnelix").TempCopyCommandLine(u"C:\\qx.exe", 0x1a4, &answer);
    EXPECT_EQ(WideToAnsi(line), "\"C:\\qx.exe\" Quarnelix -tempCopy=1a4 -copyResult=7c -copyDone=80 "
                                "\"-originalFile=C:\\Program Files\\Q\\uninst.exe\"");
    const UninstallerCommand copy(line);
    EXPECT_TRUE(copy.OriginalWaits() && !UninstallerCommand(u"u.exe Q -tempCopy=1a4").OriginalWaits());
    EXPECT_EQ(std::make_tuple(copy.CopyResultHandle(), copy.CopyDoneHandle(), copy.OriginalFile()),
              std::make_tuple(0x7cu, 0x80u, std::string("C:\\Program Files\\Q\\uninst.exe")));
}

TEST(UninstallerCommand, HandleValuesRoundTripInTheInstallersForm) {
    struct Case {
        std::uint32_t value;
        const char16_t* text;
    };
    const Case cases[] = {{0, u"0"}, {0x7c, u"7c"}, {0x80, u"80"}, {0x1000, u"1000"}, {0xFFFFFFFFu, u"ffffffff"}};
    for (const Case& c : cases) {
        EXPECT_EQ(UninstallerCommand::FormatHandleValue(c.value), c.text);
        std::uint32_t parsed = 12345;
        EXPECT_TRUE(UninstallerCommand::ParseHandleValue(c.text, parsed));
        EXPECT_EQ(parsed, c.value);
    }
    std::uint32_t parsed = 77;
    for (const char16_t* bad : {u"", u"g", u"7c ", u" 7c", u"0x7c", u"100000000", u"+1"}) {
        EXPECT_FALSE(UninstallerCommand::ParseHandleValue(bad, parsed)) << WideToAnsi(bad);
        EXPECT_EQ(parsed, 77u);
    }
    EXPECT_TRUE(UninstallerCommand::ParseHandleValue(u"00000007", parsed));
    EXPECT_EQ(parsed, 7u);
    EXPECT_TRUE(UninstallerCommand::ParseHandleValue(u"AbC", parsed));
    EXPECT_EQ(parsed, 0xabcu);
}

}  // namespace
