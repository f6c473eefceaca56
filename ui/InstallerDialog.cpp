#include "ui/InstallerDialog.h"

#include "NoCrtLib/SystemError.h"
#include "platform/Handles.h"
#include "platform/ResourceBytes.h"
#include "resources/resource.h"
#include "ui/AnchorLayout.h"
#include "ui/DialogTemplateBuffer.h"
#include "ui/DialogUnits.h"
#include "ui/HyperlinkStatic.h"
#include "ui/InstallerDialogRules.h"
#include "ui/PackageContentsWindow.h"
#include "ui/ProductNames.h"
#include "ui/RichEditLibrary.h"
#include "ui/RichText.h"
#include "ui/RichViewHook.h"
#include "ui/WindowFont.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowSubclass.h"

#include <windows.h>
#include <richedit.h>
#include <shlobj.h>

#include <exception>
#include <string>

namespace {

using namespace InstallerDialogRules;

const char* const kBrowseTitle = "Please Select Quarnelix Install Directory";

// The one installer dialog of the run.
struct DialogState {
    FontHandle boldFont;  // a font this dialog made; deleted with it
    HWND packageWindow = nullptr;
    DialogTemplateBuffer packageTemplate;
    RefPtr<AnchorLayout> layout;
    int halfButtonGap = 0;  // 3 horizontal dialog units in pixels
    // A failure inside the dialog procedure cannot unwind through the system's frames:
    // it ends the dialog and is rethrown when DialogBoxParamA has returned.
    std::exception_ptr failure;
};

DialogState& State() {
    static DialogState state;
    return state;
}

InstallChoices& Choices(HWND dialog) {
    return *reinterpret_cast<InstallChoices*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool IsTicked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetTicked(HWND dialog, int id, bool ticked) {
    CheckDlgButton(dialog, id, ticked ? BST_CHECKED : BST_UNCHECKED);
}

HFONT DialogFont(HWND dialog) {
    return reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
}

// The edit's text as the dialog reads it: at most kInstallerFolderLimit characters.
std::string FolderText(HWND dialog) {
    char buffer[kInstallerFolderLimit + 1] = {};
    GetDlgItemTextA(dialog, IdcFolderEdit, buffer, sizeof buffer);
    return buffer;
}

// Install is usable only once the agreement box is ticked; whichever of the two the
// user has to deal with next is bold.
void agreementRule(HWND dialog, HFONT dialogFont, HFONT boldFont) {
    const AgreementLook look = agreementLook(IsTicked(dialog, IdcAgreement));
    HWND install = GetDlgItem(dialog, IdcInstall);
    EnableWindow(install, look.installEnabled);
    SendMessageA(install, WM_SETFONT, reinterpret_cast<WPARAM>(look.installBold ? boldFont : dialogFont), TRUE);
    SendMessageA(GetDlgItem(dialog, IdcAgreement), WM_SETFONT,
                 reinterpret_cast<WPARAM>(look.agreementBold ? boldFont : dialogFont), TRUE);
}

// The licence background: a shade between the window and button-face colours.
COLORREF panelColour(HWND dialog) {
    const COLORREF mixed = panelColourMix(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNFACE));
    WindowDc dc(GetWindowDC(dialog), WindowDcTraits{dialog});
    if (!dc) return mixed;
    const COLORREF nearest = GetNearestColor(dc.Get(), mixed);
    dc.Reset();
    return nearest == CLR_INVALID ? mixed : nearest;
}

void SetIcons(HWND dialog) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    HANDLE large = LoadImageA(module, MAKEINTRESOURCEA(IDI_MAIN_ICON), IMAGE_ICON, 0, 0, LR_SHARED);
    HANDLE small = LoadImageA(module, MAKEINTRESOURCEA(IDI_SMALL_ICON), IMAGE_ICON, 0, 0, LR_SHARED);
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(large));
    SetClassLongPtrA(dialog, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(small));
}

// Taller by 40 dialog units where the work area has room; never below the template.
void SetInitialHeight(HWND dialog) {
    RECT window = {};
    RECT workArea = {};
    if (!GetWindowRect(dialog, &window) || !SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) return;
    const int height = window.bottom - window.top;
    const int target = initialDialogHeight(height, workArea.bottom - workArea.top, dialogUnitsY(dialog, 40));
    if (target > height)
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, target,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

Anchor MakeAnchor(HWND dialog, int left, int top, int right, int bottom, int repaint) {
    Anchor a;
    a.left = left < 0 ? -1 : dialogUnitsX(dialog, left);
    a.top = top < 0 ? -1 : dialogUnitsY(dialog, top);
    a.right = right < 0 ? -1 : dialogUnitsX(dialog, right);
    a.bottom = bottom < 0 ? -1 : dialogUnitsY(dialog, bottom);
    a.repaint = repaint;
    return a;
}

void AttachLayout(HWND dialog) {
    constexpr int no = -1;
    constexpr int plain = Anchor::kRepaintPlain;
    constexpr int erase = Anchor::kRepaintErase;
    constexpr int none = Anchor::kRepaintNone;
    struct Row {
        int id, left, top, right, bottom, repaint;
    };
    // Distances in dialog units; the licence text takes all growth, everything below it
    // follows the bottom edge, the separators and the folder edit stretch.
    const Row rows[] = {
        {IdcWebLink, no, no, 7, no, plain},
        {IdcTopSeparator, 1, no, 1, no, erase},
        {IdcLicenceText, 7, 31, 7, 107, none},
        {IdcAgreement, no, no, no, 92, plain},
        {IdcMiddleSeparator, 1, no, 1, 84, erase},
        {IdcFolderLink, no, no, no, 67, plain},
        {IdcFolderEdit, 87, no, 7, 66, none},
        {IdcAllUsers, no, no, no, 51, plain},
        {IdcDesktopIcon, no, no, no, 51, plain},
        {IdcRunWhenDone, no, no, no, 36, plain},
        {IdcBottomSeparator, 1, no, 1, 28, erase},
        {IdcInstall, no, no, no, 7, plain},   // right distance set on each resize
        {IdcCancel, no, no, no, 7, plain},    // left distance set on each resize
    };
    DialogState& state = State();
    state.layout = makeRef<AnchorLayout>();
    for (const Row& row : rows)
        state.layout->set(row.id, MakeAnchor(dialog, row.left, row.top, row.right, row.bottom, row.repaint));
    state.halfButtonGap = dialogUnitsX(dialog, 3);
    state.layout->apply(dialog);
    attachSubclass(dialog, state.layout);
}

void Initialise(HWND dialog, InstallChoices& choices) {
    DialogState& state = State();
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&choices));

    LOGFONTA bold = windowLogFont(dialog);
    bold.lfWeight = FW_BOLD;
    state.boldFont.Reset(CreateFontIndirectA(&bold));

    SetIcons(dialog);
    SetInitialHeight(dialog);
    placeWindow(dialog, PlaceMode::WorkAreaCentre);
    SetWindowTextA(dialog, (std::string(ProductFullName) + " " + ProductVersion + " Installer").c_str());

    attachSubclass(GetDlgItem(dialog, IdcPackageLink), makeRef<HyperlinkStatic>());
    attachSubclass(GetDlgItem(dialog, IdcWebLink), makeRef<HyperlinkStatic>(ProductWebPage, true));

    HWND licence = GetDlgItem(dialog, IdcLicenceText);
    SendMessageA(licence, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(panelColour(dialog)));
    setRichText(licence, LoadRtfResource(IDR_RTF_LICENSE), RichTextRtf);
    attachSubclass(licence, makeRef<RichViewHook>());

    SetTicked(dialog, IdcAgreement, choices.accepted);
    attachSubclass(GetDlgItem(dialog, IdcFolderLink), makeRef<HyperlinkStatic>());

    SetDlgItemTextA(dialog, IdcFolderEdit, choices.folder.c_str());
    SetTicked(dialog, IdcAllUsers, choices.allUsers);
    SetTicked(dialog, IdcDesktopIcon, choices.desktopIcon);
    SetTicked(dialog, IdcRunWhenDone, choices.runWhenDone);
    SetDlgItemTextA(dialog, IdcInstall, choices.installCaption.c_str());

    AttachLayout(dialog);
    PackageContentsWindow::buildTemplate(state.packageTemplate);
    agreementRule(dialog, DialogFont(dialog), state.boldFont.Get());
    SetFocus(GetDlgItem(dialog, choices.accepted ? IdcFolderEdit : IdcLicenceText));
}

void Install(HWND dialog) {
    // Enter reaches here through the default button even when it is disabled on some
    // systems; without the agreement nothing is installed.
    if (!IsWindowEnabled(GetDlgItem(dialog, IdcInstall))) return;
    InstallChoices& choices = Choices(dialog);
    std::string folder = FolderText(dialog);
    if (choices.acceptFolder) {
        // Its message box has no owner: the dialog waits disabled until it is closed.
        EnableWindow(dialog, FALSE);
        const bool accepted = choices.acceptFolder(folder);
        EnableWindow(dialog, TRUE);
        if (!accepted) {
            HWND edit = GetDlgItem(dialog, IdcFolderEdit);
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
            SendMessageA(edit, EM_SETSEL, 0, -1);
            return;
        }
    }
    choices.accepted = IsTicked(dialog, IdcAgreement);
    choices.allUsers = IsTicked(dialog, IdcAllUsers);
    choices.desktopIcon = IsTicked(dialog, IdcDesktopIcon);
    choices.runWhenDone = IsTicked(dialog, IdcRunWhenDone);
    choices.folder = folder;
    EndDialog(dialog, kInstallerDialogInstall);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    // Opens the browser at the folder the edit names.
    if (message == BFFM_INITIALIZED && data) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

void BrowseForFolder(HWND dialog) {
    // The shell's allocator frees the item list the browser returns.
    IMalloc* shellAllocator = nullptr;
    if (FAILED(SHGetMalloc(&shellAllocator))) shellAllocator = nullptr;
    ComPointer<IMalloc> allocator(shellAllocator);
    if (!allocator) return;
    InstallChoices& choices = Choices(dialog);
    char buffer[kInstallerFolderLimit + 1] = {};
    GetDlgItemTextA(dialog, IdcFolderEdit, buffer, sizeof buffer);
    choices.folder = buffer;

    BROWSEINFOA info = {};
    info.hwndOwner = dialog;
    info.pidlRoot = nullptr;
    info.pszDisplayName = buffer;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = 0;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(buffer);
    MallocBlock chosen(SHBrowseForFolderA(&info), MallocBlockTraits{allocator.Get()});
    if (!chosen) return;
    char path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListA(static_cast<LPCITEMIDLIST>(chosen.Get()), path)) return;
    choices.folder = path;
    SetDlgItemTextA(dialog, IdcFolderEdit, choices.folder.c_str());
}

void ShowPackageContents(HWND dialog) {
    DialogState& state = State();
    if (state.packageWindow && IsWindow(state.packageWindow)) {
        SetFocus(state.packageWindow);
        return;
    }
    state.packageWindow = PackageContentsWindow::create(dialog, state.packageTemplate);
}

void OnSize(HWND dialog, WPARAM type, LPARAM size) {
    DialogState& state = State();
    // The layout moves the controls after this procedure has seen WM_SIZE (and is
    // attached only at the end of the initialisation).
    if (state.layout && type != SIZE_MINIMIZED) {
        const ButtonDistances d = centredButtonDistances(LOWORD(size), state.halfButtonGap);
        state.layout->entry(IdcInstall).right = d.installRight;
        state.layout->entry(IdcCancel).left = d.cancelLeft;
    }
    InvalidateRect(dialog, nullptr, FALSE);
}

void OnMinMaxInfo(HWND dialog, MINMAXINFO* info) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = 340;  // the size every Windows from 95 and NT 4.0 on accepts
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    const TrackSize size = minimumTrackSize(dialogUnitsX(dialog, 240), dialogUnitsY(dialog, 200),
                                            metrics.iBorderWidth, metrics.iCaptionHeight);
    info->ptMinTrackSize.x = size.width;
    info->ptMinTrackSize.y = size.height;
}

void OnDestroyed() {
    DialogState& state = State();
    state.boldFont.Reset();
    state.packageTemplate.clear();
    state.packageWindow = nullptr;
    state.layout = RefPtr<AnchorLayout>();
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, *reinterpret_cast<InstallChoices*>(lParam));
        return FALSE;  // the focus is set
    case WM_GETMINMAXINFO:
        OnMinMaxInfo(dialog, reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_SIZE:
        OnSize(dialog, wParam, lParam);
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) return FALSE;
        switch (LOWORD(wParam)) {
        case IdcInstall:
            Install(dialog);
            return TRUE;
        case IdcCancel:
            EndDialog(dialog, kInstallerDialogCancel);
            return TRUE;
        case IdcAgreement:
            agreementRule(dialog, DialogFont(dialog), State().boldFont.Get());
            return TRUE;
        case IdcFolderLink:
            BrowseForFolder(dialog);
            return TRUE;
        case IdcPackageLink:
            ShowPackageContents(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_PACKAGE_CLOSED:
        State().packageWindow = nullptr;
        return TRUE;
    case WM_NCDESTROY:
        OnDestroyed();
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(dialog, message, wParam, lParam);
    } catch (...) {
        DialogState& state = State();
        if (!state.failure) state.failure = std::current_exception();
        EndDialog(dialog, 0);
        return TRUE;
    }
}

}  // namespace

int runInstallerDialog(InstallChoices& choices) {
    RichEditLibrary::ensureLoaded();
    DialogState& state = State();
    state.failure = nullptr;
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INSTALLER), nullptr,
                                           DialogProcedure, reinterpret_cast<LPARAM>(&choices));
    const DWORD error = GetLastError();
    if (state.failure) {
        std::exception_ptr failure = state.failure;
        state.failure = nullptr;
        std::rethrow_exception(failure);
    }
    if (result == -1 || result == 0) throw SystemError("DialogBoxParamA()", error);
    return static_cast<int>(result);
}
