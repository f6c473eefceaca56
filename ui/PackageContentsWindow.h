#pragma once
// The modeless window with the package-contents document (RTF 130), opened from the
// installer dialog's "What's in the package" link. It is built from an in-memory
// template, sizes its rich-text view with the window, closes on the close command and
// then sends WM_PACKAGE_CLOSED to its owner.
#include <windows.h>

class DialogTemplateBuffer;

class PackageContentsWindow {
public:
    // The template the window is made from: 190 x 190 dialog units, a tool window with
    // a sizing frame, titled "<full name> <version> Package Contents", font 8 point
    // "MS Shell Dlg".
    static void buildTemplate(DialogTemplateBuffer& buffer);

    // Creates the window, owned by owner, near the cursor. Throws what its
    // initialisation threw (a missing document resource) after destroying the window,
    // and AException when the window cannot be created.
    static HWND create(HWND owner, const DialogTemplateBuffer& buffer);

    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
