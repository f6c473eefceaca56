#include "ui/RichText.h"

#include "ui/RichTextSource.h"

#include <richedit.h>

namespace {

DWORD CALLBACK streamIn(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG* delivered) {
    auto* source = reinterpret_cast<RichTextSource*>(cookie);
    if (!source) {
        *delivered = 0;
        return static_cast<DWORD>(-1);
    }
    *delivered = static_cast<LONG>(source->read(buffer, requested > 0 ? static_cast<std::size_t>(requested) : 0));
    return 0;
}

}  // namespace

void setRichText(HWND control, const std::string& text, RichTextFormat format) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    PreparedRichText prepared = prepareRichText(text, format, isUnicodeRichEditClass(className));

    RichTextSource source = prepared.wide ? RichTextSource(std::move(prepared.wideText))
                                          : RichTextSource(std::move(prepared.narrow));
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.dwError = 0;
    stream.pfnCallback = streamIn;
    // No SFF_SELECTION: the whole content is replaced.
    SendMessageA(control, EM_STREAMIN, prepared.flags, reinterpret_cast<LPARAM>(&stream));

    LRESULT firstVisible = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(control, EM_LINESCROLL, 0, -firstVisible);
}
