#include "ui/DialogTemplateBuffer.h"

#include "ui/DialogUnitScale.h"
#include "ui/DialogUnits.h"
#include "ui/WindowFont.h"

#include "WindowTestSupport.h"
#include "support/DialogUnitOracle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND createFrom(const DialogTemplateBuffer& buffer, HWND owner) {
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), static_cast<LPCDLGTEMPLATEA>(buffer.data()), owner,
                                      plainDialog, 0);
}

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int pointsToHeight(int points) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return height;
}

// The package window's template: no controls, a caption, a font.
DialogTemplateBuffer packageTemplate() {
    DialogTemplateBuffer buffer;
    buffer.create(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFOREGROUND, WS_EX_TOOLWINDOW, 0, 0, 190,
                  190, 0);
    buffer.setTitle("Arvendo Quarnelix 4.26 Package Contents");
    return buffer;
}

class DialogTemplateWindow : public WindowTest {};

// The template followed by one static control, as the dialog manager reads items: each
// DWORD-aligned after the font entry. A second font entry left in the buffer would be
// read as the item.
std::vector<unsigned char> withOneItem(const DialogTemplateBuffer& buffer) {
    std::vector<unsigned char> bytes = buffer.bytes();
    auto word = [&bytes](unsigned value) {
        bytes.push_back(static_cast<unsigned char>(value));
        bytes.push_back(static_cast<unsigned char>(value >> 8));
    };
    while (bytes.size() % 4) bytes.push_back(0);
    word(LOWORD(WS_CHILD | WS_VISIBLE)), word(HIWORD(WS_CHILD | WS_VISIBLE));  // style
    word(0), word(0);                                                            // extended style
    word(5), word(5), word(60), word(10);                                        // x, y, cx, cy
    word(1234);                                                                  // id
    word(0xFFFF), word(0x0082);                                                  // class: static
    for (char c : std::string("Item")) word(static_cast<unsigned char>(c));
    word(0);  // title
    word(0);  // no creation data
    return bytes;
}

TEST_F(DialogTemplateWindow, FontSetTwiceLeavesOneEntryBeforeTheItems) {
    DialogTemplateBuffer buffer;
    buffer.create(WS_POPUP | WS_CAPTION, 0, 0, 0, 100, 60, 1);
    buffer.setTitle("With one item");
    buffer.setFont(12, "Courier New");
    buffer.setFont(8, "MS Shell Dlg");
    std::vector<unsigned char> bytes = withOneItem(buffer);
    OwnedWindow dialog(CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                  reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), top(),
                                                  plainDialog, 0));
    ASSERT_NE(dialog.get(), nullptr) << "CreateDialogIndirectParamA failed: " << GetLastError();
    EXPECT_EQ(windowText(dialog.get()), "With one item");
    EXPECT_STREQ(windowLogFont(dialog.get()).lfFaceName, "MS Shell Dlg");
    HWND item = GetDlgItem(dialog.get(), 1234);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(windowText(item), "Item");
}

TEST_F(DialogTemplateWindow, BuiltTemplateGivesDialogWithCaptionFontAndNoControls) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setFont(12, "Courier New");
    buffer.setFont(8, "MS Shell Dlg");  // replaces the first entry
    OwnedWindow dialog(createFrom(buffer, top()));
    ASSERT_NE(dialog.get(), nullptr) << "CreateDialogIndirectParamA failed: " << GetLastError();
    EXPECT_EQ(windowText(dialog.get()), "Arvendo Quarnelix 4.26 Package Contents");
    EXPECT_EQ(GetWindow(dialog.get(), GW_CHILD), nullptr);
    EXPECT_TRUE(GetWindowLongA(dialog.get(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    auto font = reinterpret_cast<HFONT>(SendMessageA(dialog.get(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA logFont = {};
    ASSERT_EQ(GetObjectA(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    EXPECT_STREQ(logFont.lfFaceName, "MS Shell Dlg");
    EXPECT_EQ(logFont.lfHeight, pointsToHeight(8));

    RECT client;
    GetClientRect(dialog.get(), &client);
    EXPECT_EQ(client.right, dialogUnitsX(dialog.get(), 190));
    EXPECT_EQ(client.bottom, dialogUnitsY(dialog.get(), 190));
}

TEST_F(DialogTemplateWindow, TemplateWithoutFontUsesTheSystemFont) {
    DialogTemplateBuffer buffer = packageTemplate();
    OwnedWindow dialog(createFrom(buffer, top()));
    ASSERT_NE(dialog.get(), nullptr);
    EXPECT_EQ(windowText(dialog.get()), "Arvendo Quarnelix 4.26 Package Contents");
    EXPECT_EQ(SendMessageA(dialog.get(), WM_GETFONT, 0, 0), 0);
}

TEST_F(DialogTemplateWindow, RebuiltTemplateGivesTheNewDialog) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setFont(8, "MS Shell Dlg");
    buffer.clear();
    buffer.create(WS_POPUP | WS_CAPTION, 0, 0, 0, 100, 50, 0);
    buffer.setTitle("Second");
    buffer.setFont(10, "Arial");
    OwnedWindow dialog(createFrom(buffer, top()));
    ASSERT_NE(dialog.get(), nullptr);
    EXPECT_EQ(windowText(dialog.get()), "Second");
    LOGFONTA logFont = windowLogFont(dialog.get());
    EXPECT_STREQ(logFont.lfFaceName, "Arial");
    EXPECT_EQ(logFont.lfHeight, pointsToHeight(10));
}

class DialogUnitsWindow : public WindowTest {};

TEST_F(DialogUnitsWindow, UnitsFollowTheDialogFontsAverageCharacter) {
    DialogTemplateBuffer buffer = packageTemplate();
    buffer.setFont(8, "MS Shell Dlg");
    OwnedWindow dialog(createFrom(buffer, top()));
    ASSERT_NE(dialog.get(), nullptr);

    // The dialog's base units, measured as dialogs measure them.
    HDC dc = GetDC(dialog.get());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog.get(), WM_GETFONT, 0, 0)));
    SIZE alphabet = {};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog.get(), dc);
    int baseX = TestSupport::DialogBaseUnitX(alphabet.cx);
    int baseY = metrics.tmHeight;
    ASSERT_GT(baseX, 0);

    for (int units : {1, 3, 4, 7, 40, 240, 1000}) {
        EXPECT_EQ(dialogUnitsX(dialog.get(), units), TestSupport::ScaleDialogUnits(units, baseX, 4)) << units;
        EXPECT_EQ(dialogUnitsY(dialog.get(), units), TestSupport::ScaleDialogUnits(units, baseY, 8)) << units;
    }
    EXPECT_EQ(dialogUnitsX(dialog.get(), 0), 0);
    EXPECT_EQ(dialogUnitsY(dialog.get(), 0), 0);
}

}  // namespace
