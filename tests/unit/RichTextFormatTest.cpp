#include "ui/RichTextFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RichTextFormat, DetectsRtfByItsStartOnly) {
    struct Case {
        const char* text;
        RichTextFormat expected;
    };
    const Case cases[] = {
        {"{\\rtf1\\ansi Hello}", RichTextRtf},
        {"{\\rtf", RichTextRtf},
        {"{\\r Hello}", RichTextRtf},
        {"{\\r", RichTextPlain},  // the shorthand needs its space
        {"{\\rt", RichTextPlain},
        {"{\\RTF1 Hello}", RichTextPlain},
        {" {\\rtf1 Hello}", RichTextPlain},
        {"Hello {\\rtf1}", RichTextPlain},
        {"", RichTextPlain},
        {"{\\r\tx}", RichTextPlain},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveRichTextFormat(c.text, RichTextDetect), c.expected) << c.text;
}

TEST(RichTextFormat, GivenFormatIsKept) {
    EXPECT_EQ(resolveRichTextFormat("plain words", RichTextRtf), RichTextRtf);
    EXPECT_EQ(resolveRichTextFormat("{\\rtf1 x}", RichTextPlain), RichTextPlain);
}

TEST(RichTextFormat, ExpandsTheShorthandAtTheStartOnly) {
    EXPECT_EQ(expandRtfShorthand("{\\r Hello \\b bold\\b0}"), "{\\rtf Hello \\b bold\\b0}");
    EXPECT_EQ(expandRtfShorthand("{\\r "), "{\\rtf ");
    EXPECT_EQ(expandRtfShorthand("{\\rtf1 x}"), "{\\rtf1 x}");
    EXPECT_EQ(expandRtfShorthand("x {\\r y}"), "x {\\r y}");
    EXPECT_EQ(expandRtfShorthand(""), "");
}

TEST(RichTextFormat, UnicodeClassIsNotRichEditAndEndsInW) {
    struct Case {
        const char* name;
        bool unicode;
    };
    const Case cases[] = {
        {"RichEdit20A", false}, {"RichEdit20W", true}, {"RICHEDIT50W", true}, {"richedit20w", true},
        {"RICHEDIT", false},    {"RichEdit", false},   {"", false},           {"W", true},
        {"RICHEDITW", true},
    };
    for (const Case& c : cases) EXPECT_EQ(isUnicodeRichEditClass(c.name), c.unicode) << c.name;
}

TEST(RichTextFormat, PreparesTextForTheControl) {
    struct Case {
        const char* name;
        std::string text;
        RichTextFormat format;
        bool unicodeControl;
        unsigned flags;
        bool wide;
        std::string narrow;
    };
    const Case cases[] = {
        {"rtf into ansi control", "{\\rtf1 a}", RichTextRtf, false, 0x2, false, "{\\rtf1 a}"},
        {"shorthand rtf", "{\\r a}", RichTextRtf, false, 0x2, false, "{\\rtf a}"},
        {"detected shorthand", "{\\r a}", RichTextDetect, false, 0x2, false, "{\\rtf a}"},
        {"plain into ansi control", "a {\\r b}", RichTextDetect, false, 0x1, false, "a {\\r b}"},
        {"plain given keeps shorthand", "{\\r a}", RichTextPlain, false, 0x1, false, "{\\r a}"},
        {"rtf into unicode control stays 8-bit", "{\\r a}", RichTextRtf, true, 0x2, false, "{\\rtf a}"},
        {"plain into unicode control", "caf\xE9", RichTextPlain, true, 0x11, true, ""},
    };
    for (const Case& c : cases) {
        PreparedRichText prepared = prepareRichText(c.text, c.format, c.unicodeControl);
        EXPECT_EQ(prepared.flags, c.flags) << c.name;
        EXPECT_EQ(prepared.wide, c.wide) << c.name;
        EXPECT_EQ(prepared.narrow, c.narrow) << c.name;
    }
    PreparedRichText wide = prepareRichText("caf\xE9", RichTextPlain, true);
    EXPECT_EQ(wide.wideText, u"caf\u00E9");
}

}  // namespace
