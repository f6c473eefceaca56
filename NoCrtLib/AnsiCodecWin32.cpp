#include "NoCrtLib/AnsiCodec.h"

#include <windows.h>

namespace {
std::u16string ToWide(UINT cp, const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}
std::string ToNarrow(UINT cp, const std::u16string& text) {
    if (text.empty()) return {};
    auto w = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(cp, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w, static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}
}  // namespace

std::u16string AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(const std::u16string& text) { return ToNarrow(CP_ACP, text); }

bool WideToAnsiExact(const std::u16string& text, std::string& out) {
    out = WideToAnsi(text);
    if (text.empty()) return true;
    // UTF-8 as the ANSI code page takes neither flag but represents everything.
    if (GetACP() == CP_UTF8) return true;
    auto w = reinterpret_cast<const wchar_t*>(text.data());
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, static_cast<int>(text.size()), nullptr, 0,
                                nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    std::string exact(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, static_cast<int>(text.size()), &exact[0], n, nullptr,
                        &usedDefault);
    // Systems that ignore the flag still give themselves away on the way back.
    if (usedDefault || AnsiToWide(exact) != text) return false;
    out = exact;
    return true;
}

std::string AnsiToConsole(const std::string& text) {
    UINT cp = GetConsoleCP();
    // Without a console (output redirected, no console attached) there is nothing to convert for.
    if (cp == 0 || cp == GetACP()) return text;
    return ToNarrow(cp, ToWide(CP_ACP, text));
}
