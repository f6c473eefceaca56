#pragma once
// How a text goes into a rich edit control: the stream format, and the text prepared
// for EM_STREAMIN.
#include <string>

enum RichTextFormat {
    RichTextDetect = 0,
    RichTextPlain = 1,  // SF_TEXT
    RichTextRtf = 2,    // SF_RTF
};

constexpr unsigned kStreamText = 0x1;      // SF_TEXT
constexpr unsigned kStreamRtf = 0x2;       // SF_RTF
constexpr unsigned kStreamUnicode = 0x10;  // SF_UNICODE

// Format 0: RTF when the text starts with the shorthand "{\r " or with "{\rtf"; plain
// otherwise. A non-zero format is returned unchanged.
RichTextFormat resolveRichTextFormat(const std::string& text, RichTextFormat format);

// "{\r " at the start becomes "{\rtf "; any other text is returned unchanged.
std::string expandRtfShorthand(const std::string& text);

// A rich edit class takes UTF-16 when its name is not "RICHEDIT" (any case) and ends
// in W or w; "RichEdit20A" does not.
bool isUnicodeRichEditClass(const std::string& className);

// The text and flags for EM_STREAMIN: UTF-16 with SF_UNICODE only for plain text into a
// Unicode control; otherwise 8-bit, and RTF with the shorthand expanded.
struct PreparedRichText {
    unsigned flags = 0;
    bool wide = false;
    std::string narrow;
    std::u16string wideText;
};
PreparedRichText prepareRichText(const std::string& text, RichTextFormat format, bool unicodeControl);
