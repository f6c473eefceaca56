// Finds a top-level dialog window (message box) by its caption, optionally reports what
// it shows, and answers it the way a user would: Enter, or a click on a named button.
//
//   boxclick <caption> [--report] [--enter | --click=<button text>] [--timeout=<ms>]
//
// --report prints "caption: ...", "text: ..." (line breaks as \n), "icon" and one
// "button: <id> <text>[ default]" line per button. Exit codes: 0 done (the window is
// gone after answering, or was only reported), 2 no such window within the time-out,
// 3 no such button, 4 the window stayed after the answer.
#include "support/WindowProbes.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string caption;
    bool report = false;
    bool enter = false;
    std::string click;
    DWORD timeout = 30000;
};

using namespace WindowProbes;

void Report(HWND window) {
    std::printf("caption: %s\n", WindowText(window).c_str());
    for (HWND child : Children(window)) {
        std::string kind = ClassName(child);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(kind.c_str(), "Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON)
                std::printf("icon\n");
            else if (!WindowText(child).empty())
                std::printf("text: %s\n", Escaped(WindowText(child)).c_str());
        } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
            bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            std::printf("button: %d %s%s\n", GetDlgCtrlID(child), WindowText(child).c_str(),
                        isDefault ? " default" : "");
        }
    }
    std::fflush(stdout);
}

// Enter goes to the control that has the keyboard focus in the box's thread, through
// the box's own dialog loop, which turns it into a click on the default button.
void PressEnter(HWND window) {
    HWND target = FocusOf(window);
    if (!target) target = window;
    PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

HWND FindButton(HWND window, const std::string& text) {
    for (HWND child : Children(window))
        if (lstrcmpiA(ClassName(child).c_str(), "Button") == 0 && WindowText(child) == text) return child;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--report") options.report = true;
        else if (arg == "--enter") options.enter = true;
        else if (arg.rfind("--click=", 0) == 0) options.click = arg.substr(8);
        else if (arg.rfind("--timeout=", 0) == 0) options.timeout = std::strtoul(arg.c_str() + 10, nullptr, 10);
        else options.caption = arg;
    }
    HWND window = WaitForDialog(options.caption, options.timeout);
    if (!window) {
        std::printf("no window \"%s\"\n", options.caption.c_str());
        return 2;
    }
    if (options.report) Report(window);
    if (options.enter) {
        PressEnter(window);
    } else if (!options.click.empty()) {
        HWND button = FindButton(window, options.click);
        if (!button) return 3;
        SendMessageA(button, BM_CLICK, 0, 0);
    } else {
        return 0;
    }
    return WaitUntilGone(window, 10000) ? 0 : 4;
}
