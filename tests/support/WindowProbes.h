#pragma once
// Reading windows from outside: shared by the window tests and the helper programs the
// end-to-end tests use to look at and answer the installer's windows.
#include <windows.h>

#include <string>
#include <vector>

namespace WindowProbes {

inline std::string WindowText(HWND window) {
    // Rich edit text may be long; the size is asked first.
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0) length = 0;
    std::vector<char> text(static_cast<size_t>(length) + 2);
    SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

inline std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Line breaks and tabs written out, one report line per text.
inline std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

inline BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// Every descendant, in the order the system enumerates them.
inline std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// A visible dialog (message boxes included) with that title, or null after timeout ms.
inline HWND WaitForDialog(const std::string& title, DWORD timeout) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA("#32770", title.c_str());
        if (window && IsWindowVisible(window)) {
            Sleep(300);  // let it finish its initialisation, focus and painting
            return window;
        }
        if (GetTickCount() - start > timeout) return nullptr;
        Sleep(100);
    }
}

inline bool WaitUntilGone(HWND window, DWORD timeout) {
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start > timeout) return false;
        Sleep(50);
    }
    return true;
}

// The control with the keyboard focus in the window's thread, or null.
inline HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return info.hwndFocus;
    return nullptr;
}

}  // namespace WindowProbes
