#include "ui/AnchorLayout.h"

namespace {

void placeChild(HWND parent, HWND child, const Anchor& anchor, int width, int height) {
    if (!child || !IsWindow(child)) return;
    RECT rect;
    if (!GetWindowRect(child, &rect)) return;
    // Window rectangle to the parent's client coordinates.
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    PixelRect placed = placeAnchored({rect.left, rect.top, rect.right, rect.bottom}, anchor, width, height);
    MoveWindow(child, placed.left, placed.top, placed.width(), placed.height(), TRUE);
    if (anchor.invalidates()) InvalidateRect(child, nullptr, anchor.erases());
}

template <class Map, class FindChild>
void layoutEntries(Map& entries, HWND parent, int width, int height, FindChild findChild) {
    for (auto it = entries.begin(); it != entries.end();) {
        if (!it->second.isActive()) {
            it = entries.erase(it);
            continue;
        }
        placeChild(parent, findChild(it->first), it->second, width, height);
        ++it;
    }
}

}  // namespace

void AnchorLayout::set(int controlId, const Anchor& anchor) { m_byId[controlId] = anchor; }
void AnchorLayout::set(HWND child, const Anchor& anchor) { m_byHandle[child] = anchor; }
Anchor& AnchorLayout::entry(int controlId) { return m_byId[controlId]; }
Anchor& AnchorLayout::entry(HWND child) { return m_byHandle[child]; }

void AnchorLayout::apply(HWND window) {
    RECT client;
    if (GetClientRect(window, &client)) layout(window, client.right, client.bottom);
}

void AnchorLayout::layout(HWND window, int width, int height) {
    layoutEntries(m_byHandle, window, width, height, [](HWND child) { return child; });
    layoutEntries(m_byId, window, width, height, [window](int id) { return GetDlgItem(window, id); });
}

LRESULT AnchorLayout::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The window's own procedure sees WM_SIZE first (it may adjust entries).
    LRESULT result = callPrevious(window, message, wParam, lParam);
    if (message == WM_SIZE && wParam != SIZE_MINIMIZED)
        layout(window, LOWORD(lParam), HIWORD(lParam));
    return result;
}
