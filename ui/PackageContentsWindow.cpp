#include "ui/PackageContentsWindow.h"

#include "NoCrtLib/SystemError.h"
#include "platform/ResourceBytes.h"
#include "resources/resource.h"
#include "ui/AnchorLayout.h"
#include "ui/DialogTemplateBuffer.h"
#include "ui/DialogUnits.h"
#include "ui/InstallerDialog.h"
#include "ui/InstallerDialogRules.h"
#include "ui/ProductNames.h"
#include "ui/RichText.h"
#include "ui/RichViewHook.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowSubclass.h"

#include <windows.h>
#include <richedit.h>

#include <exception>
#include <string>

namespace {

constexpr DWORD kWindowStyle = 0x90CC0200;  // WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, DS_SETFOREGROUND
constexpr DWORD kViewStyle = 0x50200804;    // WS_CHILD, WS_VISIBLE, WS_VSCROLL, ES_READONLY, ES_MULTILINE

// A failure inside WM_INITDIALOG cannot unwind through the system's frames; it waits
// here until CreateDialogIndirectParamA has returned to create().
std::exception_ptr& PendingFailure() {
    static std::exception_ptr failure;
    return failure;
}

void Initialise(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    placeWindow(window, PlaceMode::Cursor);
    HWND view = CreateWindowExA(0, "RichEdit20A", "", kViewStyle, 0, 0, client.right, client.bottom, window,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!view) throw SystemError("CreateWindowExA()", GetLastError());
    SendMessageA(view, WM_SETFONT, static_cast<WPARAM>(SendMessageA(window, WM_GETFONT, 0, 0)), FALSE);
    SendMessageA(view, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_INFOBK)));
    setRichText(view, LoadRtfResource(IDR_RTF_CONTENTS), RichTextRtf);
    attachSubclass(view, makeRef<RichViewHook>());
    RefPtr<AnchorLayout> layout = makeRef<AnchorLayout>();
    Anchor fill;
    fill.left = fill.top = fill.right = fill.bottom = 0;
    fill.repaint = Anchor::kRepaintNone;
    layout->set(view, fill);
    attachSubclass(window, layout);
    SetFocus(view);
}

}  // namespace

void PackageContentsWindow::buildTemplate(DialogTemplateBuffer& buffer) {
    buffer.create(kWindowStyle, WS_EX_TOOLWINDOW, 0, 0, 190, 190, 0);
    buffer.setTitle(std::string(ProductFullName) + " " + ProductVersion + " Package Contents");
    buffer.setFont(8, "MS Shell Dlg");
}

HWND PackageContentsWindow::create(HWND owner, const DialogTemplateBuffer& buffer) {
    PendingFailure() = nullptr;
    HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                             static_cast<LPCDLGTEMPLATEA>(buffer.data()), owner, procedure, 0);
    if (std::exception_ptr failure = PendingFailure()) {
        PendingFailure() = nullptr;
        if (window) DestroyWindow(window);
        std::rethrow_exception(failure);
    }
    if (!window) throw SystemError("CreateDialogIndirectParamA()", GetLastError());
    return window;
}

INT_PTR CALLBACK PackageContentsWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        try {
            Initialise(window);
        } catch (...) {
            PendingFailure() = std::current_exception();
        }
        // The focus is set here: the dialog manager's own focus assignment selects the
        // whole document, which scrolls the view to its end.
        return FALSE;
    case WM_SETFOCUS:
        // The same when the installer dialog's link focuses this window again.
        if (HWND view = FindWindowExA(window, nullptr, "RichEdit20A", nullptr)) SetFocus(view);
        return TRUE;
    case WM_GETMINMAXINFO: {
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = 340;  // the size every Windows from 95 and NT 4.0 on accepts
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return FALSE;
        const InstallerDialogRules::TrackSize size = InstallerDialogRules::minimumTrackSize(
            dialogUnitsX(window, 150), dialogUnitsY(window, 100), metrics.iBorderWidth, metrics.iCaptionHeight);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = size.width;
        info->ptMinTrackSize.y = size.height;
        return TRUE;
    }
    case WM_SYSCOMMAND:
        // The low four bits of the command are the system's own (a double click on the
        // window menu sets some); only the command itself counts.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            DestroyWindow(window);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        SendMessageA(GetWindow(window, GW_OWNER), WM_PACKAGE_CLOSED, 0, 0);
        return FALSE;
    default:
        return FALSE;
    }
}
