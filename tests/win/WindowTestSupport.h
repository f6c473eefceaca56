#pragma once
// Windows for the window-library tests. They need a display (the ctest entry
// win.unit_tests.windows runs them under Xvfb); without one CreateWindow fails and the
// fixture skips the test.
#include "ui/WindowSubclass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

// Destroys its window, unless the test already did.
class OwnedWindow {
public:
    explicit OwnedWindow(HWND window = nullptr) : m_window(window) {}
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    ~OwnedWindow() { reset(); }
    void reset(HWND window = nullptr) {
        if (m_window && IsWindow(m_window)) DestroyWindow(m_window);
        m_window = window;
    }
    HWND get() const { return m_window; }

private:
    HWND m_window;
};

// One message as a window saw it.
struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A plain top-level window class whose procedure records what it is sent.
class TestWindowClass {
public:
    static const char* name() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = procedure;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = "QxWindowLibraryTest";
            registered = RegisterClassA(&wc) != 0;
        }
        return "QxWindowLibraryTest";
    }
    static std::vector<SeenMessage>& seen() {
        static std::vector<SeenMessage> messages;
        return messages;
    }
    // Commands (WM_COMMAND) the window received, in order.
    static std::vector<SeenMessage> commands() {
        std::vector<SeenMessage> out;
        for (const SeenMessage& m : seen())
            if (m.message == WM_COMMAND) out.push_back(m);
        return out;
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        seen().push_back({message, wParam, lParam});
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

// Records the messages a window receives, as one more handler on its chain.
class MessageRecorder : public WindowSubclass {
public:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        return callPrevious(window, message, wParam, lParam);
    }
    bool saw(UINT message) const {
        for (UINT m : messages)
            if (m == message) return true;
        return false;
    }
    std::vector<UINT> messages;
};

// A hidden top-level popup with a client area of width x height at (x, y). Hidden,
// because Wine without a window manager waits about two seconds whenever a visible
// top-level window goes away.
inline HWND createTopWindow(int width, int height, int x = 40, int y = 40, DWORD extraStyle = 0) {
    return CreateWindowExA(0, TestWindowClass::name(), "QxTest", WS_POPUP | extraStyle, x, y, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Handles the messages waiting for this thread (paints, posted notifications).
inline void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Base of the window suites: a hidden top-level window, or the test is skipped.
// Tests that look at painted pixels put their windows into visibleHost().
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        m_top.reset(createTopWindow(320, 240));
        if (!m_top.get())
            GTEST_SKIP() << "no usable display: CreateWindowExA failed with error " << GetLastError();
        TestWindowClass::seen().clear();
    }
    HWND top() const { return m_top.get(); }

    // A visible child window of the test's own (recording) class, 400 x 300, inside one
    // stage window that stays on the screen for the whole program.
    HWND visibleHost() {
        static HWND stage = CreateWindowExA(0, TestWindowClass::name(), "QxStage", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                            400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!m_host.get() && stage) {
            m_host.reset(CreateWindowExA(0, TestWindowClass::name(), "QxHost",
                                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300, stage, nullptr,
                                         GetModuleHandleA(nullptr), nullptr));
            UpdateWindow(stage);
            pumpMessages();
            TestWindowClass::seen().clear();
        }
        return m_host.get();
    }

    OwnedWindow m_top;
    OwnedWindow m_host;
};
