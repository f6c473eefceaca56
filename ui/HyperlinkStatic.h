#pragma once
// A static text control turned into a link: underlined coloured text, hand cursor over
// the text, a focus frame, and a tooltip. A click (mouse release over the text after a
// press on it, or Space) sends WM_COMMAND (id, notification 0) to the parent when there
// is no target, otherwise opens the target with the verb "open".
#include "ui/WindowSubclass.h"

#include <string>

#include <windows.h>

class HyperlinkStatic : public WindowSubclass {
public:
    static constexpr COLORREF kLinkColour = 0x00FF0000;  // RGB(0, 0, 255)

    HyperlinkStatic();
    // With targetIsTooltip the target is also the tooltip text.
    HyperlinkStatic(const std::string& target, bool targetIsTooltip);
    ~HyperlinkStatic() override;

    void attached(HWND window) override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void click(HWND window);

    const std::string& target() const { return m_target; }
    const std::string& tooltipText() const { return m_tooltipText; }
    bool isHot() const { return m_hot; }
    bool isPressed() const { return m_pressed; }
    bool isFocused() const { return m_focused; }
    bool isVisited() const { return m_visited; }
    bool isTooltipSuppressed() const { return m_tooltipSuppressed; }
    HWND tooltipWindow() const { return m_tooltip; }
    // The text's extent in client coordinates, as of the last paint.
    RECT hitRect() const { return m_hitRect; }

private:
    void paint(HWND window);
    void suppressTooltip();
    void activateTooltip(bool active);
    void setHot(HWND window, bool hot);
    bool overText(LPARAM point) const;

    std::string m_target;
    std::string m_tooltipText;
    COLORREF m_normalColour = kLinkColour;
    COLORREF m_hoverColour = kLinkColour;
    COLORREF m_visitedColour = kLinkColour;
    bool m_hot = false;
    bool m_pressed = false;
    bool m_focused = false;
    bool m_visited = false;
    bool m_tooltipSuppressed = false;
    HWND m_tooltip = nullptr;
    RECT m_hitRect = {0, 0, 0, 0};
    HCURSOR m_handCursor = nullptr;
    HCURSOR m_arrowCursor = nullptr;
};
