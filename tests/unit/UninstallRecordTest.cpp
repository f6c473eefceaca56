#include "platform/UninstallRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UninstallRecord, OwnersRoundTripWithTheSeparatorsEscaped) {
    const FileTypeOwners owners{{".qxp", "OtherApp.Document"}, {".dvs", "Odd=Id;100%"}};
    EXPECT_EQ(FormatFileTypeOwners(owners), ".qxp=OtherApp.Document;.dvs=Odd%3DId%3B100%25");
    FileTypeOwners parsed;
    ASSERT_TRUE(ParseFileTypeOwners(FormatFileTypeOwners(owners), parsed));
    EXPECT_EQ(parsed, owners);
    ASSERT_TRUE(ParseFileTypeOwners("", parsed));
    EXPECT_TRUE(parsed.empty());
}

TEST(UninstallRecord, DamagedOwnersAreRefusedWhole) {
    for (const char* text : {".qxp", ".qxp=", "=Other.Doc", ".qxp=a=b", ".qxp=Other;", ";.qxp=Other", ".qxp=A%3",
                             ".qxp=A%G1", ".qxp=A%", ".qxp=Other;;.dvs=X"}) {
        SCOPED_TRACE(text);
        FileTypeOwners parsed{{".old", "Old"}};
        EXPECT_FALSE(ParseFileTypeOwners(text, parsed));
        EXPECT_TRUE(parsed.empty());
    }
}

TEST(UninstallRecord, CommandProgramIsTheQuotedPartOrTheFirstWord) {
    EXPECT_EQ(CommandProgram("\"C:\\Program Files\\A Q\\uninst.exe\" Quarnelix "),
              "C:\\Program Files\\A Q\\uninst.exe");
    EXPECT_EQ(CommandProgram("C:\\Q\\uninst.exe Quarnelix"), "C:\\Q\\uninst.exe");
    EXPECT_EQ(CommandProgram("\"C:\\Q\\uninst.exe Quarnelix"), "");
}

}  // namespace
