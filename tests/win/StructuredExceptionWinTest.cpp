// Processor faults in our own code reach C++ handlers as the table's exceptions, after
// the destructors of the frames in between ran; everything else passes through.
#include "platform/ExceptionTranslator.h"
#include "platform/StructuredException.h"

#include "NoCrtLib/SilentExit.h"

#include <gtest/gtest.h>

#include <float.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_events;

struct Guard {
    ~Guard() { g_events.push_back("guard destroyed"); }
};

// The faults. noinline and volatile: the compiler must neither fold nor move them.
__attribute__((noinline)) int DivideByZero() {
    volatile int zero = 0;
    volatile int result = 10 / zero;
    return result;
}

// A page nobody may touch. (Not the null page: Wine keeps the low 64 KiB mapped for
// old programs, so null pointers do not fault there.)
volatile int* NoAccessPage() {
    static void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    return static_cast<volatile int*>(page);
}

__attribute__((noinline)) void WriteToNoAccessPage() {
    volatile int* volatile p = NoAccessPage();
    *p = 1;
}

__attribute__((noinline)) int ReadFromNoAccessPage() {
    volatile int* volatile p = NoAccessPage() + 10;
    return *p;
}

__attribute__((noinline)) void WriteToReadOnlyData() {
    static const int constant = 7;
    int* volatile p = const_cast<int*>(&constant);
    *p = 8;
}

__attribute__((noinline)) void IllegalInstruction() { asm volatile("ud2\n\tnop"); }

__attribute__((noinline)) void PrivilegedInstruction() { asm volatile("hlt\n\tnop"); }

__attribute__((noinline)) void Breakpoint() { asm volatile("int3\n\tnop"); }

// A fault two calls down, so unwinding crosses a frame with its own guard.
__attribute__((noinline)) int DivideInNestedFrame() {
    Guard inner;
    g_events.push_back("inner guard made");
    return DivideByZero();
}

struct FaultCase {
    const char* name;
    void (*fault)();
    const char* what;
    uint32_t code;
};

const FaultCase kFaults[] = {
    {"IntDivideByZero", [] { DivideByZero(); }, "EXCEPTION_INT_DIVIDE_BY_ZERO", 0xC0000094u},
    {"WriteToNoAccessPage", WriteToNoAccessPage, "EXCEPTION_ACCESS_VIOLATION", 0xC0000005u},
    {"ReadFromNoAccessPage", [] { ReadFromNoAccessPage(); }, "EXCEPTION_ACCESS_VIOLATION", 0xC0000005u},
    {"WriteToReadOnlyData", WriteToReadOnlyData, "EXCEPTION_ACCESS_VIOLATION", 0xC0000005u},
    {"PrivilegedInstruction", PrivilegedInstruction, "EXCEPTION_PRIV_INSTRUCTION", 0xC0000096u},
    {"Breakpoint", Breakpoint, "EXCEPTION_BREAKPOINT", 0x80000003u},
    // Not in the table: the code's own class name stays generic.
    {"IllegalInstruction", IllegalInstruction, "unrecognized structured exception", 0xC000001Du},
};

// Runs fault inside a guarded scope, the way an installation step runs inside the driver.
std::vector<std::string> RunGuarded(void (*fault)(), uint32_t* code = nullptr) {
    g_events.clear();
    try {
        Guard guard;
        g_events.push_back("before");
        fault();
        g_events.push_back("after");
    } catch (const SilentExit&) {
        g_events.push_back("caught SilentExit");
    } catch (const std::exception& e) {
        if (code) {
            auto se = dynamic_cast<const StructuredException*>(&e);
            *code = se ? se->Code() : 0;
        }
        g_events.push_back(std::string("caught ") + e.what());
    }
    return g_events;
}

class FaultTranslation : public ::testing::TestWithParam<FaultHook> {
protected:
    void SetUp() override {
        if (sizeof(void*) == 8) GTEST_SKIP() << "no fault translation in the 64-bit twin";
        ASSERT_TRUE(InstallFaultTranslator(GetParam()));
    }
    void TearDown() override { RemoveFaultTranslator(); }
};

}  // namespace

TEST_P(FaultTranslation, FaultsBecomeTheTablesExceptionsAfterDestructorsRan) {
    for (const FaultCase& c : kFaults) {
        uint32_t code = 0;
        std::vector<std::string> expected = {"before", "guard destroyed", std::string("caught ") + c.what};
        EXPECT_EQ(RunGuarded(c.fault, &code), expected) << c.name;
        EXPECT_EQ(code, c.code) << c.name;
    }
}

TEST_P(FaultTranslation, UnwindsThroughEveryFrameBetweenFaultAndHandler) {
    std::vector<std::string> expected = {"before", "inner guard made", "guard destroyed", "guard destroyed",
                                         "caught EXCEPTION_INT_DIVIDE_BY_ZERO"};
    EXPECT_EQ(RunGuarded([] { DivideInNestedFrame(); }), expected);
}

TEST_P(FaultTranslation, RepeatedFaultsAreEachTranslated) {
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(RunGuarded(WriteToNoAccessPage).back(), "caught EXCEPTION_ACCESS_VIOLATION") << i;
    }
}

TEST_P(FaultTranslation, FloatingPointFaultIsClearedForTheHandler) {
    unsigned int saved = _controlfp(0, 0);
    _controlfp(saved & ~_EM_ZERODIVIDE, _MCW_EM);
    std::vector<std::string> events = RunGuarded([] {
        volatile double zero = 0.0;
        volatile double result = 1.0 / zero;
        (void)result;
    });
    // Still unmasked: a pending x87 exception left behind would fire again here.
    std::vector<std::string> after = RunGuarded([] {
        volatile double a = 3.0, b = 4.0;
        volatile double product = a * b;
        g_events.push_back(product == 12.0 ? "product 12" : "wrong product");
    });
    _controlfp(saved, _MCW_EM);
    std::vector<std::string> expected = {"before", "guard destroyed", "caught EXCEPTION_FLT_DIVIDE_BY_ZERO"};
    EXPECT_EQ(events, expected);
    std::vector<std::string> expectedAfter = {"before", "product 12", "after", "guard destroyed"};
    EXPECT_EQ(after, expectedAfter);
}

TEST_P(FaultTranslation, OthersExceptionsPassThrough) {
    // A C++ exception of our own is not touched.
    std::string caught;
    try {
        throw SilentExit(105);
    } catch (const std::exception& e) {
        caught = e.what();
    } catch (const SilentExit& e) {
        caught = "SilentExit " + std::to_string(e.Code());
    }
    EXPECT_EQ(caught, "SilentExit 105");
    // Debug output is raised as an exception that the system handles itself.
    OutputDebugStringA("fault translation test\n");
    // A system library that probes memory under its own handler still gets its answer.
    EXPECT_TRUE(IsBadReadPtr(const_cast<const int*>(NoAccessPage()), 4));
    EXPECT_TRUE(IsBadWritePtr(const_cast<int*>(NoAccessPage()), 4));
}

INSTANTIATE_TEST_SUITE_P(Hooks, FaultTranslation, ::testing::Values(FaultHook::Vectored, FaultHook::TopLevelFilter),
                         [](const ::testing::TestParamInfo<FaultHook>& info) {
                             return info.param == FaultHook::Vectored ? "Vectored" : "TopLevelFilter";
                         });

TEST(ExceptionTranslators, InstallAlsoSetsTheNewHandler) {
    std::new_handler previous = std::get_new_handler();
    InstallExceptionTranslators();
    std::string caught;
    try {
        // More than the process can get, 32-bit or 64-bit.
        volatile size_t huge = sizeof(void*) == 4 ? 0xFFFFFF00u : size_t(1) << 62;
        static char* volatile kept;  // escapes, so the allocation cannot be elided
        kept = new char[huge];
        delete[] kept;
    } catch (const std::bad_alloc& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "bad allocation");
    if (sizeof(void*) == 4) {  // the 64-bit twin translates no faults
        EXPECT_EQ(RunGuarded([] { DivideByZero(); }).back(), "caught EXCEPTION_INT_DIVIDE_BY_ZERO");
    }
    RemoveFaultTranslator();
    std::set_new_handler(previous);
}

namespace {
LONG WINAPI ExitWithExceptionCode(EXCEPTION_POINTERS* pointers) {
    ExitProcess(pointers->ExceptionRecord->ExceptionCode);
}
}  // namespace

// Software exceptions start in the system's RaiseException, whose frames our unwinder
// cannot step through: they keep their ordinary, unhandled course instead of a throw.
TEST(FaultTranslationDeathTest, RaisedExceptionsAreLeftToTheSystem) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            // Where an unhandled exception ends up; it exits quietly with the code.
            SetUnhandledExceptionFilter(ExitWithExceptionCode);
            InstallFaultTranslator(FaultHook::Vectored);
            try {
                RaiseException(0xC00000FDu, 0, 0, nullptr);
            } catch (const std::exception&) {
                ExitProcess(77);
            }
            ExitProcess(78);
        },
        [](int status) { return static_cast<DWORD>(status) == 0xC00000FDu; }, "");
}
