// The installer dialog as a user meets it: runInstallerDialog runs on the test thread
// against the real template and documents (InstallerDialogResources.rc), and a thread
// timer, served by the dialog's own modal loop, plays the user: it reads the controls,
// ticks boxes, types, resizes, opens the folder browser and the package window, and
// ends the dialog. Needs a display (the "...Window" suites run under Xvfb).
#include "ui/InstallerDialog.h"

#include "platform/Handles.h"

#include "ui/InstallerDialogRules.h"

#include "support/WindowProbes.h"

#include <windows.h>
#include <richedit.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kDialogCaption = "Arvendo Quarnelix 4.26 Installer";
const char* const kPackageTitle = "Arvendo Quarnelix 4.26 Package Contents";

using WindowProbes::Children;
using WindowProbes::ClassName;
using WindowProbes::WindowText;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A child's rectangle in the dialog's client coordinates.
RECT ChildRect(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE ClientSize(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

int UnitsX(HWND dialog, int units) {
    RECT r = {units, 0, 0, 0};
    MapDialogRect(dialog, &r);
    return r.left;
}

int UnitsY(HWND dialog, int units) {
    RECT r = {0, units, 0, 0};
    MapDialogRect(dialog, &r);
    return r.top;
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    auto handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    GetObjectA(handle ? handle : GetStockObject(SYSTEM_FONT), sizeof font, &font);
    return font;
}

bool Ticked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

struct WindowSearch {
    std::string title;
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) return TRUE;
    if (search->title.empty() || WindowText(window) == search->title) search->found.push_back(window);
    return TRUE;
}

// Visible top-level windows of this thread owned by owner (null: no owner) with the
// title (empty: any).
std::vector<HWND> OwnedWindows(HWND owner, const std::string& title) {
    WindowSearch search{title, owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildOfClass(HWND window, const char* className) {
    for (HWND child : Children(window))
        if (Lower(ClassName(child)) == Lower(className)) return child;
    return nullptr;
}

// Plays the user while runInstallerDialog runs: one step per timer tick; a step
// returns false to be tried again at the next tick (a window it waits for is not there
// yet). Steps must not block: what opens a modal loop of its own is posted.
class DialogScript {
public:
    using Step = std::function<bool(HWND dialog)>;

    DialogScript& Then(Step step) {
        m_steps.push_back(std::move(step));
        return *this;
    }

    int Run(InstallChoices& choices) {
        s_current = this;
        m_start = GetTickCount();
        UINT_PTR timer = SetTimer(nullptr, 0, 40, Tick);
        int result = -1;
        try {
            result = runInstallerDialog(choices);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "runInstallerDialog threw: " << e.what();
        }
        KillTimer(nullptr, timer);
        s_current = nullptr;
        EXPECT_EQ(m_next, m_steps.size()) << "the dialog ended before every step had run";
        return result;
    }

    HWND Dialog() const { return m_dialog; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_current) s_current->Step1();
    }

    void Step1() {
        if (m_busy) return;
        std::vector<HWND> dialogs = OwnedWindows(nullptr, kDialogCaption);
        if (dialogs.empty()) return;
        m_dialog = dialogs.front();
        if (GetTickCount() - m_start > 30000) {
            ADD_FAILURE() << "step " << m_next << " did not finish in time";
            // Close whatever the dialog opened, then the dialog itself.
            for (HWND owned : OwnedWindows(m_dialog, "")) EndDialog(owned, IDCANCEL);
            EndDialog(m_dialog, 99);
            m_next = m_steps.size();
            return;
        }
        if (m_next >= m_steps.size()) return;
        m_busy = true;
        const bool done = m_steps[m_next](m_dialog);
        m_busy = false;
        if (done) ++m_next;
    }

    static DialogScript* s_current;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_busy = false;
    DWORD m_start = 0;
    HWND m_dialog = nullptr;
};

DialogScript* DialogScript::s_current = nullptr;

// The driver's side of the exchange.
struct Choices {
    bool accepted = false;
    std::string folder = "C:\\Program Files\\Arvendo Quarnelix";
    bool allUsers = true;
    bool desktopIcon = false;
    bool runWhenDone = true;
    std::string caption = "Install";
    InstallChoices refs{accepted, folder, allUsers, desktopIcon, runWhenDone, caption};
};

class InstallerDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        // Without a display Wine cannot make windows at all.
        HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no display to make windows on";
        DestroyWindow(probe);
    }
};

TEST_F(InstallerDialogWindow, ShowsTheChoicesAndTheDocumentWithTheAgreementStillMissing) {
    Choices c;
    c.caption = "Upgrade";
    DialogScript script;
    script.Then([&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), kDialogCaption);
        const struct {
            int id;
            const char* text;
        } captions[] = {
            {1008, "What's in the package"},
            {1002, "Visit the Quarnelix web page"},
            {1006, "I agree to accept all the terms of this License Agreement"},
            {1007, "Installation Folder"},
            {1001, "C:\\Program Files\\Arvendo Quarnelix"},
            {1011, "Install for all users"},
            {1012, "Create a desktop icon"},
            {1013, "Run Quarnelix when done"},
            {IDOK, "Upgrade"},
            {IDCANCEL, "Cancel"},
        };
        for (const auto& caption : captions) EXPECT_EQ(WindowText(GetDlgItem(dialog, caption.id)), caption.text) << caption.id;
        EXPECT_FALSE(Ticked(dialog, 1006));
        EXPECT_TRUE(Ticked(dialog, 1011));
        EXPECT_FALSE(Ticked(dialog, 1012));
        EXPECT_TRUE(Ticked(dialog, 1013));

        // Without the agreement: Install disabled in the dialog's font, the agreement
        // bold, the focus in the licence text.
        HWND install = GetDlgItem(dialog, IDOK);
        EXPECT_FALSE(IsWindowEnabled(install));
        EXPECT_EQ(SendMessageA(install, WM_GETFONT, 0, 0), SendMessageA(dialog, WM_GETFONT, 0, 0));
        EXPECT_EQ(FontOf(GetDlgItem(dialog, 1006)).lfWeight, FW_BOLD);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1005));

        // The licence document, shown from its first line, on the panel colour.
        HWND licence = GetDlgItem(dialog, 1005);
        const std::string text = WindowText(licence);
        EXPECT_EQ(text.rfind("Arvendo Quarnelix 4.26", 0), 0u) << text.substr(0, 80);
        EXPECT_NE(text.find("End-User License Agreement"), std::string::npos);
        EXPECT_EQ(text.find("\\rtf"), std::string::npos) << "the RTF was shown as text";
        EXPECT_EQ(SendMessageA(licence, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        const COLORREF mixed =
            InstallerDialogRules::panelColourMix(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNFACE));
        HDC dc = GetWindowDC(dialog);
        const COLORREF expected = GetNearestColor(dc, mixed);
        ReleaseDC(dialog, dc);
        // EM_SETBKGNDCOLOR answers with the colour it replaces.
        const LRESULT shown = SendMessageA(licence, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3));
        SendMessageA(licence, EM_SETBKGNDCOLOR, 0, shown);
        EXPECT_EQ(static_cast<COLORREF>(shown), expected);

        // The links, the viewer hook and the layout sit on the subclass chain.
        for (int id : {1008, 1002, 1007, 1005})
            EXPECT_NE(GetPropA(GetDlgItem(dialog, id), "ARVENDO_SUBWND_0"), nullptr) << id;
        EXPECT_NE(GetPropA(dialog, "ARVENDO_SUBWND_0"), nullptr);

        // The program icons, as the dialog class's large and small icons.
        auto large = reinterpret_cast<HICON>(GetClassLongPtrA(dialog, GCLP_HICON));
        auto small = reinterpret_cast<HICON>(GetClassLongPtrA(dialog, GCLP_HICONSM));
        EXPECT_EQ(large, LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(140), IMAGE_ICON, 0, 0, LR_SHARED));
        EXPECT_EQ(small, LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144), IMAGE_ICON, 0, 0, LR_SHARED));
        for (auto [icon, size] : {std::pair<HICON, LONG>{large, 32}, std::pair<HICON, LONG>{small, 16}}) {
            ICONINFO info = {};
            EXPECT_TRUE(GetIconInfo(icon, &info));
            GdiObject color(info.hbmColor);
            GdiObject mask(info.hbmMask);
            BITMAP bitmap = {};
            GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, size);
            EXPECT_EQ(bitmap.bmHeight, size);
        }
        Click(dialog, IDCANCEL);
        return true;
    });
    EXPECT_EQ(script.Run(c.refs), 2);
}

TEST_F(InstallerDialogWindow, TickingTheAgreementEnablesInstallAndMovesTheBoldType) {
    Choices c;
    const std::string longFolder = "C:\\" + std::string(297, 'f');  // 300 characters
    DialogScript script;
    script
        .Then([&](HWND dialog) {
            HWND install = GetDlgItem(dialog, IDOK);
            HWND box = GetDlgItem(dialog, 1006);
            const LRESULT dialogFont = SendMessageA(dialog, WM_GETFONT, 0, 0);
            for (bool ticked : {true, false, true}) {
                Click(dialog, 1006);
                EXPECT_EQ(Ticked(dialog, 1006), ticked);
                EXPECT_EQ(IsWindowEnabled(install) != FALSE, ticked);
                EXPECT_EQ(FontOf(install).lfWeight, ticked ? FW_BOLD : FontOf(dialog).lfWeight);
                EXPECT_EQ(SendMessageA(box, WM_GETFONT, 0, 0) == dialogFont, ticked);
                EXPECT_EQ(SendMessageA(install, WM_GETFONT, 0, 0) == dialogFont, !ticked);
            }
            Click(dialog, 1011);  // all users off
            Click(dialog, 1012);  // desktop icon on
            SetDlgItemTextA(dialog, 1001, longFolder.c_str());
            return true;
        })
        .Then([&](HWND dialog) {
            // Nothing is written back before Install.
            EXPECT_FALSE(c.accepted);
            EXPECT_TRUE(c.allUsers);
            EXPECT_EQ(c.folder, "C:\\Program Files\\Arvendo Quarnelix");
            Click(dialog, IDOK);
            return true;
        });
    EXPECT_EQ(script.Run(c.refs), 1);
    EXPECT_TRUE(c.accepted);
    EXPECT_EQ(c.folder, longFolder.substr(0, 260));
    EXPECT_FALSE(c.allUsers);
    EXPECT_TRUE(c.desktopIcon);
    EXPECT_TRUE(c.runWhenDone);
}

TEST_F(InstallerDialogWindow, EnterDoesNotInstallBeforeTheAgreement) {
    Choices c;
    DialogScript script;
    script
        .Then([&](HWND dialog) {
            SetFocus(GetDlgItem(dialog, 1001));
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0xC01C0001);
            return true;
        })
        .Then([&](HWND dialog) {
            EXPECT_TRUE(IsWindowVisible(dialog));
            // Nor does the Install command itself while the button is disabled.
            PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            return true;
        })
        .Then([&](HWND dialog) {
            EXPECT_TRUE(IsWindowVisible(dialog));
            Click(dialog, IDCANCEL);
            return true;
        });
    EXPECT_EQ(script.Run(c.refs), 2);
    EXPECT_FALSE(c.accepted);
    EXPECT_EQ(c.folder, "C:\\Program Files\\Arvendo Quarnelix");
}

TEST_F(InstallerDialogWindow, CancelEscAndTheCloseBoxLeaveEveryChoiceAsItWas) {
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"Cancel button", [](HWND dialog) { Click(dialog, IDCANCEL); }},
        {"Esc", [](HWND) {
             PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
        Choices c;
        c.accepted = true;
        DialogScript script;
        script
            .Then([&](HWND dialog) {
                // Accepted: the focus starts in the folder edit and Install is usable.
                EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1001));
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                for (int id : {1006, 1011, 1012, 1013}) Click(dialog, id);
                SetDlgItemTextA(dialog, 1001, "D:\\Elsewhere");
                return true;
            })
            .Then([&](HWND dialog) {
                way.second(dialog);
                return true;
            });
        EXPECT_EQ(script.Run(c.refs), 2);
        EXPECT_TRUE(c.accepted);
        EXPECT_EQ(c.folder, "C:\\Program Files\\Arvendo Quarnelix");
        EXPECT_TRUE(c.allUsers);
        EXPECT_FALSE(c.desktopIcon);
        EXPECT_TRUE(c.runWhenDone);
    }
}

TEST_F(InstallerDialogWindow, ResizingKeepsTheButtonsCentredAndGivesTheLicenceTheHeight) {
    Choices c;
    c.accepted = true;
    DialogScript script;
    script.Then([&](HWND dialog) {
        RECT workArea = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        const LONG style = GetWindowLongA(dialog, GWL_STYLE);
        const LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);

        // Opening height: the template's, plus up to 40 units within 7/9 of the work area.
        RECT templ = {0, 0, 250, 262};
        MapDialogRect(dialog, &templ);
        AdjustWindowRectEx(&templ, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(exStyle));
        const int templateHeight = templ.bottom - templ.top;
        int expectedHeight = std::min<int>((workArea.bottom - workArea.top) * 7 / 9, templateHeight + UnitsY(dialog, 40));
        if (expectedHeight < templateHeight) expectedHeight = templateHeight;
        RECT window = {};
        GetWindowRect(dialog, &window);
        EXPECT_EQ(window.bottom - window.top, expectedHeight);
        EXPECT_EQ(window.right - window.left, templ.right - templ.left);
        // Centred on the work area where it fits, never above or left of it.
        EXPECT_GE(window.left, workArea.left);
        EXPECT_GE(window.top, workArea.top);
        if (window.bottom - window.top <= workArea.bottom - workArea.top) {
            EXPECT_NEAR((window.top + window.bottom) / 2, (workArea.top + workArea.bottom) / 2, 1);
            EXPECT_NEAR((window.left + window.right) / 2, (workArea.left + workArea.right) / 2, 1);
        }

        // Dragged below the minimum: the minimum tracking size holds.
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = 340;
        EXPECT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
        const int minWidth = UnitsX(dialog, 240) + 2 * metrics.iBorderWidth + 6;
        const int minHeight = UnitsY(dialog, 200) + metrics.iCaptionHeight + 2 * metrics.iBorderWidth + 7;
        SetWindowPos(dialog, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
        GetWindowRect(dialog, &window);
        EXPECT_EQ(window.right - window.left, minWidth);
        EXPECT_EQ(window.bottom - window.top, minHeight);

        const RECT buttonSize = {0, 0, 60, 14};
        RECT button = buttonSize;
        MapDialogRect(dialog, &button);
        for (int extraWidth : {0, 101, 250}) {
            SCOPED_TRACE(extraWidth);
            SetWindowPos(dialog, nullptr, 0, 0, minWidth + extraWidth, minHeight + 150, SWP_NOMOVE | SWP_NOZORDER);
            const SIZE client = ClientSize(dialog);
            const RECT install = ChildRect(dialog, IDOK);
            const RECT cancel = ChildRect(dialog, IDCANCEL);
            // Centred, with 3 units either side of the middle.
            EXPECT_EQ(client.cx - install.right, client.cx / 2 + UnitsX(dialog, 3));
            EXPECT_EQ(cancel.left, client.cx / 2 + UnitsX(dialog, 3));
            EXPECT_EQ(cancel.left - install.right, 2 * UnitsX(dialog, 3) - client.cx % 2);
            for (const RECT& r : {install, cancel}) {
                EXPECT_EQ(r.right - r.left, button.right);
                EXPECT_EQ(r.bottom - r.top, button.bottom);
                EXPECT_EQ(client.cy - r.bottom, UnitsY(dialog, 7));
            }
            // The licence text takes the growth in both directions.
            const RECT licence = ChildRect(dialog, 1005);
            EXPECT_EQ(licence.left, UnitsX(dialog, 7));
            EXPECT_EQ(licence.top, UnitsY(dialog, 31));
            EXPECT_EQ(client.cx - licence.right, UnitsX(dialog, 7));
            EXPECT_EQ(client.cy - licence.bottom, UnitsY(dialog, 107));
            // Below it everything follows the bottom edge; the web link the right edge.
            const struct {
                int id, bottomUnits;
            } bottoms[] = {{1006, 92}, {1009, 84}, {1007, 67}, {1001, 66}, {1011, 51}, {1012, 51}, {1013, 36}, {1010, 28}};
            for (const auto& b : bottoms) EXPECT_EQ(client.cy - ChildRect(dialog, b.id).bottom, UnitsY(dialog, b.bottomUnits)) << b.id;
            EXPECT_EQ(client.cx - ChildRect(dialog, 1002).right, UnitsX(dialog, 7));
            for (int id : {1014, 1009, 1010}) {
                EXPECT_EQ(ChildRect(dialog, id).left, UnitsX(dialog, 1)) << id;
                EXPECT_EQ(client.cx - ChildRect(dialog, id).right, UnitsX(dialog, 1)) << id;
            }
            const RECT edit = ChildRect(dialog, 1001);
            EXPECT_EQ(edit.left, UnitsX(dialog, 87));
            EXPECT_EQ(client.cx - edit.right, UnitsX(dialog, 7));
            // The package link never moves.
            const RECT package = ChildRect(dialog, 1008);
            EXPECT_EQ(package.left, UnitsX(dialog, 7));
            EXPECT_EQ(package.top, UnitsY(dialog, 7));
        }
        Click(dialog, IDCANCEL);
        return true;
    });
    EXPECT_EQ(script.Run(c.refs), 2);
}

// Folders the browser is pointed at: ones from the prefix that nothing here writes to.
// (Wine 8's browser compares item lists that carry the folders' times, and does not
// always find a folder on whose path something has just been written.)
struct BrowseFolders {
    BrowseFolders() {
        char path[MAX_PATH] = {};
        GetSystemDirectoryA(path, sizeof path);
        start = path;
        GetEnvironmentVariableA("ProgramFiles", path, sizeof path);
        picked = path;  // with a blank
    }
    std::string start;
    std::string picked;
};

// The folder browser is a dialog owned by the installer dialog, other than the
// package window.
HWND FindBrowser(HWND dialog) {
    for (HWND owned : OwnedWindows(dialog, ""))
        if (WindowText(owned) != kPackageTitle && IsWindowEnabled(owned)) return owned;
    return nullptr;
}

bool HasChildText(HWND window, const std::string& text) {
    for (HWND child : Children(window))
        if (WindowText(child) == text) return true;
    return false;
}

TEST_F(InstallerDialogWindow, TheFolderBrowserOpensAtTheFolderAndSetsTheChosenPath) {
    const BrowseFolders folders;
    Choices c;
    c.accepted = true;
    DialogScript script;
    HWND browser = nullptr;
    script
        .Then([&](HWND dialog) {
            SetDlgItemTextA(dialog, 1001, folders.start.c_str());
            // Space on the "Installation Folder" link (posted: the browser runs a modal loop).
            PostMessageA(GetDlgItem(dialog, 1007), WM_KEYDOWN, VK_SPACE, 0x00390001);
            return true;
        })
        .Then([&](HWND dialog) {
            browser = FindBrowser(dialog);
            if (!browser) return false;
            EXPECT_TRUE(HasChildText(browser, "Please Select Quarnelix Install Directory"));
            // The folder is written when the browser opens.
            EXPECT_EQ(Lower(c.folder), Lower(folders.start));
            // OK at once: the browser opened at the edit's folder.
            SendMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
            return true;
        })
        .Then([&](HWND dialog) {
            if (IsWindow(browser)) return false;
            EXPECT_EQ(Lower(WindowText(GetDlgItem(dialog, 1001))), Lower(folders.start));
            EXPECT_EQ(Lower(c.folder), Lower(folders.start));
            PostMessageA(dialog, WM_COMMAND, 1007, reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1007)));
            return true;
        })
        .Then([&](HWND dialog) {
            browser = FindBrowser(dialog);
            if (!browser) return false;
            // The user picks another folder: the edit gets exactly its path, no subfolder added.
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folders.picked.c_str()));
            SendMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
            return true;
        })
        .Then([&](HWND dialog) {
            if (IsWindow(browser)) return false;
            EXPECT_EQ(Lower(WindowText(GetDlgItem(dialog, 1001))), Lower(folders.picked));
            // A cancelled browser leaves the edit as it was.
            SetDlgItemTextA(dialog, 1001, "C:\\No Such Folder\\Here");
            PostMessageA(dialog, WM_COMMAND, 1007, reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1007)));
            return true;
        })
        .Then([&](HWND dialog) {
            browser = FindBrowser(dialog);
            if (!browser) return false;
            SendMessageA(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
            return true;
        })
        .Then([&](HWND dialog) {
            if (IsWindow(browser)) return false;
            EXPECT_EQ(WindowText(GetDlgItem(dialog, 1001)), "C:\\No Such Folder\\Here");
            EXPECT_EQ(c.folder, "C:\\No Such Folder\\Here");
            SetDlgItemTextA(dialog, 1001, folders.start.c_str());
            Click(dialog, IDOK);
            return true;
        });
    EXPECT_EQ(script.Run(c.refs), 1);
    EXPECT_EQ(Lower(c.folder), Lower(folders.start));
}

TEST_F(InstallerDialogWindow, ThePackageLinkOpensOneWindowAndANewOneAfterItIsClosed) {
    Choices c;
    c.accepted = true;
    DialogScript script;
    HWND first = nullptr;
    HWND second = nullptr;
    auto pressLink = [](HWND dialog) {
        // Space on the focused link clicks it.
        HWND link = GetDlgItem(dialog, 1008);
        SendMessageA(link, WM_KEYDOWN, VK_SPACE, 0x00390001);
        SendMessageA(link, WM_KEYUP, VK_SPACE, 0xC0390001);
    };
    script
        .Then([&](HWND dialog) {
            pressLink(dialog);
            std::vector<HWND> windows = OwnedWindows(dialog, kPackageTitle);
            EXPECT_EQ(windows.size(), 1u);
            if (windows.empty()) return true;
            first = windows.front();
            EXPECT_EQ(ClassName(first), "#32770");
            EXPECT_NE(GetWindowLongA(first, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(first, GWL_STYLE)) & 0x90CC0000u, 0x90CC0000u);
            HWND view = ChildOfClass(first, "RichEdit20A");
            EXPECT_NE(view, nullptr);
            if (view) {
                const std::string text = WindowText(view);
                for (const char* file : {"quarnelix.exe", "netprefs.exe", "srvprefs.exe", "qxagent.exe", "uninst.exe"})
                    EXPECT_NE(text.find(file), std::string::npos) << file;
                EXPECT_EQ(text.rfind("What's in the package", 0), 0u);
                // Shown from its beginning, nothing selected (the dialog manager's
                // select-all would scroll the view to the end).
                EXPECT_EQ(SendMessageA(view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
                DWORD selStart = 1, selEnd = 1;
                SendMessageA(view, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
                EXPECT_EQ(selStart, 0u);
                EXPECT_EQ(selEnd, 0u);
                // The view fills the client area and follows its size.
                const SIZE client = ClientSize(first);
                RECT r = {};
                GetWindowRect(view, &r);
                EXPECT_EQ(r.right - r.left, client.cx);
                EXPECT_EQ(r.bottom - r.top, client.cy);
                RECT w = {};
                GetWindowRect(first, &w);
                SetWindowPos(first, nullptr, 0, 0, w.right - w.left + 40, w.bottom - w.top + 30, SWP_NOMOVE | SWP_NOZORDER);
                const SIZE grown = ClientSize(first);
                GetWindowRect(view, &r);
                EXPECT_EQ(r.right - r.left, grown.cx);
                EXPECT_EQ(r.bottom - r.top, grown.cy);
            }
            // A second click focuses the open window instead of opening another.
            SetFocus(GetDlgItem(dialog, 1001));
            pressLink(dialog);
            EXPECT_EQ(OwnedWindows(dialog, kPackageTitle).size(), 1u);
            HWND focus = GetFocus();
            EXPECT_TRUE(focus == first || IsChild(first, focus));
            if (HWND again = ChildOfClass(first, "RichEdit20A")) {
                EXPECT_EQ(SendMessageA(again, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "focusing scrolled the view";
            }
            // The close command (here as the window menu's double click sends it).
            SendMessageA(first, WM_SYSCOMMAND, SC_CLOSE | 3, 0);
            EXPECT_FALSE(IsWindow(first));
            pressLink(dialog);
            windows = OwnedWindows(dialog, kPackageTitle);
            EXPECT_EQ(windows.size(), 1u);
            if (!windows.empty()) second = windows.front();
            return true;
        })
        .Then([&](HWND dialog) {
            // Install with the window open: it goes with its owner.
            Click(dialog, IDOK);
            return true;
        });
    EXPECT_EQ(script.Run(c.refs), 1);
    EXPECT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_TRUE(OwnedWindows(nullptr, kPackageTitle).empty());
}

TEST_F(InstallerDialogWindow, TheDialogCanRunAgainAfterItEnded) {
    // Process-wide state (fonts, the package template) is released and rebuilt.
    for (int run = 0; run < 2; ++run) {
        Choices c;
        c.accepted = true;
        DialogScript script;
        script.Then([&](HWND dialog) {
            EXPECT_EQ(FontOf(GetDlgItem(dialog, IDOK)).lfWeight, FW_BOLD);
            PostMessageA(dialog, WM_COMMAND, 1008, reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1008)));
            return true;
        });
        script.Then([&](HWND dialog) {
            EXPECT_EQ(OwnedWindows(dialog, kPackageTitle).size(), 1u) << run;
            Click(dialog, IDOK);
            return true;
        });
        EXPECT_EQ(script.Run(c.refs), 1);
    }
}

}  // namespace
