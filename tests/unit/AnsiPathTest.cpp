#include "platform/AnsiPath.h"

#include <gtest/gtest.h>

#include <string>

// The host build's ANSI code page is Latin-1.
TEST(AnsiPath, TakesTheLongNameWhenItConvertsElseTheShortOneElseFails) {
    const std::u16string cyrillic = u"C:\\Temp\\\u041f\u0440\u0438\\";
    EXPECT_EQ(AnsiPath::Choose(u"C:\\T\\\u00fc", [](const std::u16string&) { return u"C:\\T\\U~1"; }, "folder"),
              "C:\\T\\\xfc");
    EXPECT_EQ(AnsiPath::Choose(cyrillic, [](const std::u16string&) { return u"C:\\Temp\\P~1\\"; }, "folder"),
              "C:\\Temp\\P~1\\");
    // No short name, or short names switched off (the short form is the long one).
    for (const std::u16string& shortPath : {std::u16string(), cyrillic}) {
        try {
            AnsiPath::Choose(cyrillic, [&](const std::u16string&) { return shortPath; }, "temporary folder");
            ADD_FAILURE() << "no exception";
        } catch (const AnsiPath::Err& e) {
            EXPECT_STREQ(e.what(), "The temporary folder 'C:\\Temp\\???\\' has no name the ANSI code page can hold");
            EXPECT_EQ(e.Code(), 0u);
        }
    }
}
