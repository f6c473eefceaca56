#include "ui/RichTextFormat.h"

#include "NoCrtLib/AnsiCodec.h"

namespace {

const char kShorthand[] = "{\\r ";  // four characters
const char kRtfStart[] = "{\\rtf";  // five characters

bool startsWith(const std::string& text, const char* prefix, std::size_t length) {
    return text.compare(0, length, prefix, length) == 0 && text.size() >= length;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

RichTextFormat resolveRichTextFormat(const std::string& text, RichTextFormat format) {
    if (format != RichTextDetect) return format;
    return startsWith(text, kShorthand, 4) || startsWith(text, kRtfStart, 5) ? RichTextRtf : RichTextPlain;
}

std::string expandRtfShorthand(const std::string& text) {
    if (!startsWith(text, kShorthand, 4)) return text;
    return "{\\rtf " + text.substr(4);
}

bool isUnicodeRichEditClass(const std::string& className) {
    if (className.empty()) return false;
    static const char kPlain[] = "RICHEDIT";
    bool plain = className.size() == sizeof kPlain - 1;
    for (std::size_t i = 0; plain && i < className.size(); ++i) plain = upper(className[i]) == kPlain[i];
    return !plain && upper(className.back()) == 'W';
}

PreparedRichText prepareRichText(const std::string& text, RichTextFormat format, bool unicodeControl) {
    PreparedRichText prepared;
    RichTextFormat resolved = resolveRichTextFormat(text, format);
    if (unicodeControl && resolved == RichTextPlain) {
        prepared.wide = true;
        prepared.wideText = AnsiToWide(text);
        prepared.flags = kStreamText | kStreamUnicode;
        return prepared;
    }
    prepared.flags = resolved == RichTextRtf ? kStreamRtf : kStreamText;
    prepared.narrow = resolved == RichTextRtf ? expandRtfShorthand(text) : text;
    return prepared;
}
