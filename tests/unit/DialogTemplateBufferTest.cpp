#include "ui/DialogTemplateBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void putWord(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void putDword(Bytes& out, std::uint32_t value) {
    putWord(out, static_cast<std::uint16_t>(value));
    putWord(out, static_cast<std::uint16_t>(value >> 16));
}

void putWide(Bytes& out, const std::u16string& text) {
    for (char16_t c : text) putWord(out, c);
    putWord(out, 0);
}

// The template the package window uses, written out by hand.
Bytes header(std::uint32_t style) {
    Bytes out;
    putDword(out, style);
    putDword(out, 0x80);  // WS_EX_TOOLWINDOW
    putWord(out, 0);      // no controls
    putWord(out, 0);      // x
    putWord(out, 0);      // y
    putWord(out, 190);    // cx
    putWord(out, 190);    // cy
    putWord(out, 0);      // no menu
    putWord(out, 0);      // default class
    return out;
}

DialogTemplateBuffer packageTemplate() {
    DialogTemplateBuffer buffer;
    buffer.create(0x90CC0240, 0x80, 0, 0, 190, 190, 0);
    return buffer;
}

TEST(DialogTemplateBuffer, CreateWritesHeaderWithoutFontFlagAndEmptyFields) {
    DialogTemplateBuffer buffer = packageTemplate();
    Bytes expected = header(0x90CC0200);
    putWord(expected, 0);  // empty title
    EXPECT_EQ(buffer.size(), 24u);
    EXPECT_EQ(buffer.bytes(), expected);
    EXPECT_EQ(buffer.style(), 0x90CC0200u);
}

TEST(DialogTemplateBuffer, CreateKeepsNegativeCoordinatesAsWords) {
    DialogTemplateBuffer buffer;
    buffer.create(0x80000000, 0, -5, -300, 10, 20, 3);
    const Bytes& b = buffer.bytes();
    EXPECT_EQ(b[8] | (b[9] << 8), 3);
    EXPECT_EQ(b[10] | (b[11] << 8), 0xFFFB);
    EXPECT_EQ(b[12] | (b[13] << 8), 0xFED4);
}

TEST(DialogTemplateBuffer, TitleAndFontAreAppendedInOrder) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setTitle("Arvendo Quarnelix 4.26 Package Contents");
    buffer.setFont(8, "MS Shell Dlg");
    Bytes expected = header(0x90CC0240);
    putWide(expected, u"Arvendo Quarnelix 4.26 Package Contents");
    putWord(expected, 8);
    putWide(expected, u"MS Shell Dlg");
    EXPECT_EQ(buffer.bytes(), expected);
}

TEST(DialogTemplateBuffer, SettingTheFontTwiceLeavesOneFontEntry) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setTitle("T");
    buffer.setFont(12, "Some Long Face Name");
    buffer.setFont(8, "MS Shell Dlg");
    Bytes expected = header(0x90CC0240);
    putWide(expected, u"T");
    putWord(expected, 8);
    putWide(expected, u"MS Shell Dlg");
    EXPECT_EQ(buffer.bytes(), expected);
}

TEST(DialogTemplateBuffer, ReplacingTheTitleKeepsTheFont) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setFont(8, "MS Shell Dlg");
    buffer.setTitle("A much longer first title");
    buffer.setTitle("Short");
    Bytes expected = header(0x90CC0240);
    putWide(expected, u"Short");
    putWord(expected, 8);
    putWide(expected, u"MS Shell Dlg");
    EXPECT_EQ(buffer.bytes(), expected);
}

TEST(DialogTemplateBuffer, TitleIsConvertedFromTheAnsiCodePage) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setTitle("Caf\xE9");  // Latin-1 e acute on the host, the ANSI page on Windows
    const Bytes& b = buffer.bytes();
    ASSERT_EQ(b.size(), 22u + 2 * 5);
    EXPECT_EQ(b[22 + 6], 0xE9);
    EXPECT_EQ(b[22 + 7], 0x00);
}

TEST(DialogTemplateBuffer, EmptyTitleAndFaceStayTerminated) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setTitle("");
    buffer.setFont(9, "");
    Bytes expected = header(0x90CC0240);
    putWord(expected, 0);
    putWord(expected, 9);
    putWord(expected, 0);
    EXPECT_EQ(buffer.bytes(), expected);
}

TEST(DialogTemplateBuffer, ClearEmptiesAndCreateStartsAgain) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setTitle("Old");
    buffer.setFont(8, "Old Face");
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
    buffer.create(0x80C80000, 0, 1, 2, 3, 4, 0);
    EXPECT_EQ(buffer.size(), 24u);
    EXPECT_EQ(buffer.style(), 0x80C80000u);
}

TEST(DialogTemplateBuffer, EditingWithoutTemplateFailsWithItsText) {
    DialogTemplateBuffer buffer;
    try {
        buffer.setTitle("x");
        FAIL() << "no exception";
    } catch (const DialogTemplateBuffer::Err& e) {
        EXPECT_STREQ(e.what(),
                     "DialogTemplateBuffer::setTitle() failed: there is no template (create was not called)");
    }
    try {
        buffer.setFont(8, "x");
        FAIL() << "no exception";
    } catch (const DialogTemplateBuffer::Err& e) {
        EXPECT_STREQ(e.what(),
                     "DialogTemplateBuffer::setFont() failed: there is no template (create was not called)");
    }
    EXPECT_TRUE(buffer.empty());
}

}  // namespace
