#include "installer/actions/UninstallParams.h"

#include "installer/InstallOptions.h"
#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using UninstallParamsTest = TestSupport::OptionsFixture;

TEST_F(UninstallParamsTest, ItemsAreQuotedDashNameEqualsValueSeparatedBySingleSpaces) {
    struct Case {
        std::string initial;
        std::vector<std::pair<std::string, std::string>> items;
        std::string expected;
    };
    const Case cases[] = {
        {"\"-shareResWith=Dorvask\"",
         {{"delDir", "C:\\Apps\\Q"}, {"delMainFile", "C:\\Apps\\Q\\q.exe"}},
         "\"-shareResWith=Dorvask\" \"-delDir=C:\\Apps\\Q\" \"-delMainFile=C:\\Apps\\Q\\q.exe\""},
        // Values go in verbatim: spaces, colons and backslashes need no escaping.
        {"\"-shareResWith=Dorvask\"",
         {{"rstFileAssoc", ".dvs:Arvendo.Quarnelix.4.26.Settings"},
          {"delRegKey", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.qxp"},
          {"delFile", "C:\\Program Files\\Arvendo Quarnelix\\uninst.exe"}},
         "\"-shareResWith=Dorvask\" \"-rstFileAssoc=.dvs:Arvendo.Quarnelix.4.26.Settings\""
         " \"-delRegKey=HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.qxp\""
         " \"-delFile=C:\\Program Files\\Arvendo Quarnelix\\uninst.exe\""},
        // The first item of the string never has a space before it.
        {"", {{"delDir", "D:\\X"}, {"delDir", "D:"}}, "\"-delDir=D:\\X\" \"-delDir=D:\""},
        {"", {{"delFile", ""}}, "\"-delFile=\""},
    };
    for (const Case& c : cases) {
        Options().UninstallParams = c.initial;
        for (const auto& item : c.items) AppendUninstallParam(item.first, item.second);
        EXPECT_EQ(Options().UninstallParams, c.expected);
    }
}

TEST_F(UninstallParamsTest, ItemsOnlyEverGrowTheString) {
    Options().UninstallParams = "\"-shareResWith=Dorvask\"";
    std::string before = Options().UninstallParams;
    for (int i = 0; i < 100; ++i) {
        AppendUninstallParam("delFile", "C:\\Q\\f" + std::to_string(i));
        ASSERT_EQ(Options().UninstallParams.compare(0, before.size(), before), 0);
        before = Options().UninstallParams;
    }
    const std::string tail = " \"-delFile=C:\\Q\\f99\"";
    const std::string& params = Options().UninstallParams;
    EXPECT_EQ(params.substr(params.size() - tail.size()), tail);
}

}  // namespace
