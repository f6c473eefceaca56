#include "NoCrtLib/ReportAssertion.h"

#include <gtest/gtest.h>

#include <string>

TEST(ReportAssertion, TextNamesModuleProcessSourceLineAndCondition) {
    EXPECT_EQ(AssertionText("C:\\Setup\\QuarnelixInstaller.exe", 1234, "NoCrtLib/NoCrtString.h", 88,
                            "off <= str.size()"),
              "Assertion failed in module 'C:\\Setup\\QuarnelixInstaller.exe', PID 1234, source file "
              "'NoCrtLib/NoCrtString.h', line 88:\r\noff <= str.size()\r\nThe asserting thread will be terminated.");
    EXPECT_EQ(AssertionText("", 0, "", 0, ""),
              "Assertion failed in module '', PID 0, source file '', line 0:\r\n\r\nThe asserting thread will be terminated.");
}

TEST(ReportAssertion, TextIsLimitedTo1023Characters) {
    std::string condition(3000, 'c');
    std::string text = AssertionText("m.exe", 1, "f.cpp", 2, condition.c_str());
    EXPECT_EQ(text.size(), 1023u);
    EXPECT_EQ(text.compare(0, 27, "Assertion failed in module "), 0);
}

TEST(ReportAssertionDeathTest, ReportsAndStopsTheProcess) {
    EXPECT_DEATH(ReportAssertion("!af_", "NoCrtLib/datavect.h", 42),
                 "source file 'NoCrtLib/datavect.h', line 42:.*!af_.*The asserting thread will be terminated");
}

TEST(ReportAssertionDeathTest, MacroPassesTheLiteralExpression) {
    volatile int length = 3;
    QX_ASSERT(length == 3);  // holds: nothing happens
    EXPECT_DEATH(QX_ASSERT(length > 5 && length != 3), "line [0-9]+:.*length > 5 && length != 3");
}
