// Drives the installer dialog of another process the way a user would, one action per
// argument, in order:
//
//   dialogdrive [--timeout=<ms>] [--caption=<text>] action...
//
//   --report            prints "caption: <text>", "focus: <control id>" and one line per
//                       control: "control <id> <class>: <text>[ checked][ disabled]"
//   --click=<id>        clicks the button (BM_CLICK)
//   --text=<id>:<text>  replaces the control's text
//   --key=<enter|esc>   presses the key in the control that has the focus
//   --close             the close box (WM_SYSCOMMAND SC_CLOSE)
//   --link=<id>         presses Space on a link control
//   --window=<title>    waits for a window of the installer with that title and prints
//                       "window: <title>" and the text of each child: "child <class>: <text>"
//   --gone              waits until the dialog has gone
//
// Exit codes: 0 done, 2 no dialog (or window) within the time-out, 3 no such control,
// 4 the dialog was still there at --gone, 1 a wrong argument.
#include "support/WindowProbes.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace WindowProbes;

HWND Control(HWND dialog, const std::string& id) {
    return GetDlgItem(dialog, std::atoi(id.c_str()));
}

void Report(HWND dialog) {
    std::printf("caption: %s\n", WindowText(dialog).c_str());
    HWND focus = FocusOf(dialog);
    std::printf("focus: %d\n", focus ? GetDlgCtrlID(focus) : 0);
    for (HWND child : Children(dialog)) {
        if (GetParent(child) != dialog) continue;
        std::string kind = ClassName(child);
        std::string line = "control " + std::to_string(GetDlgCtrlID(child)) + " " + kind + ": ";
        line += Escaped(WindowText(child).substr(0, 200));
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(kind.c_str(), "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX &&
            SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED)
            line += " checked";
        if (!IsWindowEnabled(child)) line += " disabled";
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
}

void PressKey(HWND dialog, WORD key) {
    HWND target = FocusOf(dialog);
    if (!target) target = dialog;
    UINT scan = MapVirtualKeyA(key, 0);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

}  // namespace

int main(int argc, char** argv) {
    DWORD timeout = 60000;
    std::string caption = "Arvendo Quarnelix 4.26 Installer";
    std::vector<std::string> actions;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--timeout=", 0) == 0) timeout = std::strtoul(arg.c_str() + 10, nullptr, 10);
        else if (arg.rfind("--caption=", 0) == 0) caption = arg.substr(10);
        else actions.push_back(arg);
    }
    HWND dialog = WaitForDialog(caption, timeout);
    if (!dialog) {
        std::printf("no window \"%s\"\n", caption.c_str());
        return 2;
    }
    for (const std::string& action : actions) {
        size_t eq = action.find('=');
        std::string name = action.substr(0, eq);
        std::string value = eq == std::string::npos ? std::string() : action.substr(eq + 1);
        if (name == "--report") {
            Report(dialog);
        } else if (name == "--click") {
            HWND button = Control(dialog, value);
            if (!button) return 3;
            SendMessageA(button, BM_CLICK, 0, 0);
        } else if (name == "--text") {
            size_t colon = value.find(':');
            HWND control = Control(dialog, value.substr(0, colon));
            if (!control || colon == std::string::npos) return 3;
            SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.substr(colon + 1).c_str()));
        } else if (name == "--key") {
            if (value == "enter") PressKey(dialog, VK_RETURN);
            else if (value == "esc") PressKey(dialog, VK_ESCAPE);
            else return 1;
        } else if (name == "--close") {
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (name == "--link") {
            HWND link = Control(dialog, value);
            if (!link) return 3;
            PostMessageA(link, WM_KEYDOWN, VK_SPACE, 0x00390001);
            PostMessageA(link, WM_KEYUP, VK_SPACE, 0xC0390001);
        } else if (name == "--window") {
            HWND window = WaitForDialog(value, timeout);
            if (!window) {
                std::printf("no window \"%s\"\n", value.c_str());
                return 2;
            }
            std::printf("window: %s\n", WindowText(window).c_str());
            for (HWND child : Children(window))
                std::printf("child %s: %s\n", ClassName(child).c_str(), Escaped(WindowText(child)).c_str());
        } else if (name == "--gone") {
            if (!WaitUntilGone(dialog, 15000)) return 4;
        } else {
            std::printf("unknown action %s\n", action.c_str());
            return 1;
        }
        std::fflush(stdout);
        Sleep(100);  // the dialog's thread works through what was posted
    }
    return 0;
}
