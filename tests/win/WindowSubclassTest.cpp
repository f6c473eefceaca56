#include "ui/WindowSubclass.h"

#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr UINT kProbeMessage = WM_APP + 1;

// Notes its number when the probe message passes, and how it was attached.
class OrderProbe : public WindowSubclass {
public:
    OrderProbe(int number, std::vector<int>& log, int* destroyed = nullptr)
        : m_number(number), m_log(log), m_destroyed(destroyed) {}
    ~OrderProbe() override {
        if (m_destroyed) ++*m_destroyed;
    }
    void attached(HWND window) override {
        ++attachedCalls;
        procedureWhenAttached = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
        propertyWhenAttached = GetPropA(window, ("ARVENDO_SUBWND_" + std::to_string(m_number)).c_str());
    }
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == kProbeMessage) m_log.push_back(m_number);
        return WindowSubclass::handleMessage(window, message, wParam, lParam);
    }

    int attachedCalls = 0;
    WNDPROC procedureWhenAttached = nullptr;
    HANDLE propertyWhenAttached = nullptr;
    std::vector<UINT> seen;

private:
    int m_number;
    std::vector<int>& m_log;
    int* m_destroyed;
};

bool sawMessage(const std::vector<UINT>& seen, UINT message) {
    for (UINT m : seen)
        if (m == message) return true;
    return false;
}

bool originalSaw(UINT message) {
    for (const SeenMessage& m : TestWindowClass::seen())
        if (m.message == message) return true;
    return false;
}

class SubclassChainWindow : public WindowTest {};

TEST_F(SubclassChainWindow, TenHandlersTakeTheSlotsInOrderAndTheEleventhIsRefused) {
    std::vector<int> log;
    std::vector<RefPtr<OrderProbe>> probes;
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(top(), GWLP_WNDPROC));
    for (int i = 0; i < 10; ++i) {
        probes.push_back(makeRef<OrderProbe>(i, log));
        ASSERT_TRUE(attachSubclass(top(), probes.back())) << i;
        std::string property = "ARVENDO_SUBWND_" + std::to_string(i);
        EXPECT_EQ(GetPropA(top(), property.c_str()), static_cast<HANDLE>(probes.back().get())) << property;
        EXPECT_EQ(probes.back()->referenceCount(), 2) << "the chain holds one reference";
    }
    EXPECT_EQ(probes[0]->previousProcedure(), original);
    for (int i = 1; i < 10; ++i) EXPECT_NE(probes[i]->previousProcedure(), original) << i;

    auto eleventh = makeRef<OrderProbe>(10, log);
    SetLastError(0);
    EXPECT_FALSE(attachSubclass(top(), eleventh));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUT_OF_STRUCTURES));
    EXPECT_EQ(eleventh->referenceCount(), 1);
    EXPECT_EQ(eleventh->attachedCalls, 0);
    EXPECT_EQ(GetPropA(top(), "ARVENDO_SUBWND_10"), nullptr);

    SendMessageA(top(), kProbeMessage, 0, 0);
    EXPECT_EQ(log, (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));  // newest first
    EXPECT_TRUE(originalSaw(kProbeMessage));
}

TEST_F(SubclassChainWindow, AttachedRunsOnceAfterInstallation) {
    std::vector<int> log;
    auto probe = makeRef<OrderProbe>(0, log);
    ASSERT_TRUE(attachSubclass(top(), probe));
    EXPECT_EQ(probe->attachedCalls, 1);
    EXPECT_EQ(probe->propertyWhenAttached, static_cast<HANDLE>(probe.get()));
    EXPECT_EQ(probe->procedureWhenAttached, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(top(), GWLP_WNDPROC)));
    EXPECT_NE(probe->procedureWhenAttached, probe->previousProcedure());
}

TEST_F(SubclassChainWindow, DefaultHandlerPassesMessagesOnWithTheirResult) {
    ASSERT_TRUE(attachSubclass(top(), makeRef<WindowSubclass>()));
    ASSERT_TRUE(attachSubclass(top(), makeRef<WindowSubclass>()));
    EXPECT_EQ(SendMessageA(top(), WM_GETTEXTLENGTH, 0, 0), 6);  // "QxTest"
    char text[16] = {};
    GetWindowTextA(top(), text, sizeof text);
    EXPECT_STREQ(text, "QxTest");
}

TEST_F(SubclassChainWindow, NcDestroyReleasesTheChainsReferenceAndReachesTheOriginalProcedure) {
    std::vector<int> log;
    int destroyed = 0;
    auto kept = makeRef<OrderProbe>(0, log, &destroyed);
    ASSERT_TRUE(attachSubclass(top(), kept));
    {
        auto dropped = makeRef<OrderProbe>(1, log, &destroyed);
        ASSERT_TRUE(attachSubclass(top(), dropped));
    }  // only the chain holds the second handler now
    EXPECT_EQ(destroyed, 0);
    HWND window = top();
    DestroyWindow(window);
    EXPECT_EQ(destroyed, 1);                       // the chain's handler is gone
    EXPECT_EQ(kept->referenceCount(), 1);          // ours is back to our reference
    EXPECT_TRUE(sawMessage(kept->seen, WM_DESTROY));
    EXPECT_FALSE(sawMessage(kept->seen, WM_NCDESTROY));
    EXPECT_TRUE(originalSaw(WM_NCDESTROY));
}

TEST_F(SubclassChainWindow, SlotWithoutItsHandlerAnswersZero) {
    auto handler = makeRef<WindowSubclass>();
    ASSERT_TRUE(attachSubclass(top(), handler));
    ASSERT_EQ(SendMessageA(top(), WM_GETTEXTLENGTH, 0, 0), 6);
    HANDLE saved = RemovePropA(top(), "ARVENDO_SUBWND_0");
    ASSERT_EQ(saved, static_cast<HANDLE>(handler.get()));
    TestWindowClass::seen().clear();
    EXPECT_EQ(SendMessageA(top(), WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_FALSE(originalSaw(WM_GETTEXTLENGTH));
    SetPropA(top(), "ARVENDO_SUBWND_0", saved);  // so WM_NCDESTROY releases it
}

TEST_F(SubclassChainWindow, NullHandlerIsRefused) {
    EXPECT_FALSE(attachSubclass(top(), RefPtr<WindowSubclass>()));
    EXPECT_EQ(GetPropA(top(), "ARVENDO_SUBWND_0"), nullptr);
}

}  // namespace
