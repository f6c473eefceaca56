#include "platform/AnsiPath.h"

#include <gtest/gtest.h>

#include <string>

// The host build's ANSI code page is Latin-1.
TEST(AnsiPath, TakesTheLongNameWhenItConvertsElseTheShortOneElseFails) {
    const std::u16string cyrillic = u"C:\\Temp\\\u041f\u0440\u0438\\";
    struct Case { std::u16string path, shortForm; const char* expected; };
    const Case cases[] = {
        {u"C:\\Temp\\M\u00fcller\\", u"C:\\Temp\\MLLER~1\\", "C:\\Temp\\M\xfcller\\"},
        {cyrillic, u"C:\\Temp\\P~1\\", "C:\\Temp\\P~1\\"},
        {cyrillic, u"", nullptr},
        // Short names switched off: the short form is the long one.
        {cyrillic, cyrillic, nullptr},
    };
    for (const Case& c : cases) {
        std::u16string asked;
        const auto shortForm = [&](const std::u16string& path) { asked = path; return c.shortForm; };
        try {
            EXPECT_EQ(AnsiPath::Choose(c.path, shortForm, "temporary folder"), c.expected ? c.expected : "(fails)");
            EXPECT_EQ(asked, c.path == cyrillic ? cyrillic : u"");
        } catch (const AnsiPath::Err& e) {
            EXPECT_EQ(c.expected, nullptr);
            EXPECT_STREQ(e.what(), "The temporary folder 'C:\\Temp\\???\\' has no name the ANSI code page can hold");
            EXPECT_EQ(e.Code(), 0u);
        }
    }
}
