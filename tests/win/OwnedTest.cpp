#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

namespace {

// Records which handle went back through which release function.
struct LoggingTraits {
    using Raw = int;
    static Raw None() { return 0; }
    void Close(Raw h) const {
        log->push_back(tag * 100 + h);
        SetLastError(ERROR_INVALID_HANDLE);  // as a failing release would
    }
    std::vector<int>* log = nullptr;
    int tag = 0;
};
using Logged = Owned<LoggingTraits>;

bool IsOpenHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

TEST(Owned, ClosingKeepsTheCallersLastError) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(raw);
    KernelHandle event(raw);
    SetLastError(ERROR_FILE_NOT_FOUND);
    event.Reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(IsOpenHandle(raw));
    EXPECT_FALSE(event);
}

TEST(Owned, ReleaseFunctionsLookedUpAtRunTimeTravelWithTheHandle) {
    std::vector<int> log;
    {
        Logged first(1, LoggingTraits{&log, 1});
        Logged second(2, LoggingTraits{&log, 2});
        Logged moved(std::move(first));
        EXPECT_FALSE(first);
        SetLastError(ERROR_ACCESS_DENIED);
        moved = std::move(second);  // 1 goes through its own function, 2 is kept
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(log, std::vector<int>({101}));
        Logged none(0, LoggingTraits{&log, 3});
    }
    EXPECT_EQ(log, std::vector<int>({101, 202}));
}

}  // namespace
