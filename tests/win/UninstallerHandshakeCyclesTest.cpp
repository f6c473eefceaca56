#include "installer/PreviousInstallation.h"

#include "NoCrtLib/InstallError.h"
#include "installer/Product.h"
#include "platform/Handles.h"

#include "HelperPrograms.h"
#include "ScratchRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

// A hundred removal handshakes in one process, against the fakeuninst helper in every way
// an uninstaller can answer: the process must never be left waiting on an uninstaller that
// has finished, and no handshake object may stay open. Wine's GetProcessHandleCount always
// says 0, so the open handles are counted by probing the handle values.
namespace {

const int Cycles = 100;
// For the whole run; a cycle takes a few tens of milliseconds.
const DWORD HangLimit = 90000;

std::string ReadAndRemove(const std::string& path) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    DeleteFileA(path.c_str());
    return text;
}

// Handle values are probed up to here; every probe is a call into the wineserver.
const ULONG_PTR ProbeLimit = 0x1000;

// Every handle value of this process that names an open object. Wine hands out values
// from 4 upwards in steps of 4, the lowest free slot first.
std::set<ULONG_PTR> OpenHandles() {
    std::set<ULONG_PTR> open;
    for (ULONG_PTR value = 4; value <= ProbeLimit; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) open.insert(value);
    }
    return open;
}

// The value of "-<name>=" (hexadecimal) in a logged command line.
ULONG_PTR HandleArgument(const std::string& line, const std::string& name) {
    const std::string key = " -" + name + "=";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return 0;
    return std::strtoul(line.c_str() + at + key.size(), nullptr, 16);
}

// Ends the process with a message when the cycles take far longer than they should:
// a hang must fail the run, not stall it.
class Watchdog {
public:
    explicit Watchdog(DWORD limit) : m_limit(limit) {
        m_stop.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        m_thread.Reset(CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr));
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        SetEvent(m_stop.Get());
        WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    bool Started() const { return m_stop && m_thread; }

private:
    static DWORD WINAPI Watch(void* self) {
        auto* dog = static_cast<Watchdog*>(self);
        if (WaitForSingleObject(dog->m_stop.Get(), dog->m_limit) == WAIT_TIMEOUT) {
            std::printf("RunUninstallerAndWait did not return within %lu ms: the handshake hangs\n",
                        static_cast<unsigned long>(dog->m_limit));
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    DWORD m_limit;
    KernelHandle m_stop;
    KernelHandle m_thread;
};

struct Mode {
    const char* arguments;  // for the fake; empty: a program that cannot be started
    std::uint32_t result;
    DWORD within = 0;       // when not 0: the call returns within this many milliseconds
};

class UninstallerHandshakeCycles : public ::testing::Test {
protected:
    void SetUp() override {
        m_fake = HelperPath("fakeuninst.exe");
        if (m_fake.empty() || GetFileAttributesA(m_fake.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "fakeuninst.exe not found (QX_WIN_BUILD names the Windows build tree)";
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        m_dir = JoinPath(temp, ScratchRegistry::UniqueName("QxCycles"));
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr));
        m_log = JoinPath(m_dir, "fake.log");
        SetEnvironmentVariableA("QX_FAKEUNINST_LOG", m_log.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("QX_FAKEUNINST_LOG", nullptr);
        if (m_dir.empty()) return;
        DeleteFileA(m_log.c_str());
        RemoveDirectoryA(m_dir.c_str());
    }

    // One handshake: checks its result and that the handles the uninstaller was given
    // are closed again, and puts their values into given (none when it did not start).
    void Cycle(const Mode& mode, std::vector<ULONG_PTR>& given) {
        given.clear();
        if (!*mode.arguments) {
            EXPECT_THROW(RunUninstallerAndWait("\"" + m_dir + "\\missing.exe\" Quarnelix"), InstallError);
            return;
        }
        const DWORD start = GetTickCount();
        EXPECT_EQ(RunUninstallerAndWait("\"" + m_fake + "\" --quiet " + mode.arguments), mode.result);
        const DWORD took = GetTickCount() - start;
        if (mode.within) {
            EXPECT_LT(took, mode.within) << "waited for a process that had answered";
        }
        // Taken before the log is read: reading it opens a file in the lowest free slot.
        const std::set<ULONG_PTR> open = OpenHandles();
        const std::string line = ReadAndRemove(m_log);
        const ULONG_PTR result = HandleArgument(line, "result"), done = HandleArgument(line, "done");
        ASSERT_NE(result, 0u) << line;
        ASSERT_NE(done, 0u) << line;
        EXPECT_EQ(open.count(result), 0u) << "the shared block's handle stayed open";
        EXPECT_EQ(open.count(done), 0u) << "the event's handle stayed open";
        given = {result, done};
    }

    std::string m_fake, m_dir, m_log;
};

}  // namespace

TEST_F(UninstallerHandshakeCycles, HundredRemovalsNeverHangAndLeaveNoHandleOpen) {
    const Mode modes[] = {
        {"--exit=0", 0},
        {"--exit=13", 13},
        // Exit code 1 hands on; the result comes later through the block.
        {"--handoff=0 --delay=0", 0},
        {"--handoff=12 --delay=30", 12},
        // Once the event is signalled the answer is complete, whatever still runs.
        {"--handoff=7 --delay=0 --linger=5000", 7, 4000},
        // A helper made known is waited for too; ending unanswered is failure 13.
        {"--handoff=5 --delay=0 --tell", 5},
        {"--handoff=0 --tell --vanish", 13},
        // The value STILL_ACTIVE as exit code: the finished process is "terminated" too.
        {"--exit=259", 259},
        {"--exit=0xC0000005", 0xC0000005u},
        {"", 0},
    };
    const std::size_t modeCount = sizeof modes / sizeof modes[0];

    Watchdog watchdog(HangLimit);
    ASSERT_TRUE(watchdog.Started());
    std::vector<ULONG_PTR> given;
    // The first process start and the first failing one open what the system keeps, and
    // the first trace opens the test framework's own per-thread handles.
    for (const Mode& mode : modes) {
        SCOPED_TRACE(std::string("warm-up: ") + mode.arguments);
        Cycle(mode, given);
    }

    const std::set<ULONG_PTR> before = OpenHandles();
    ASSERT_FALSE(before.empty()) << "the probe sees no handle at all";
    // Room above the highest open handle, so that growth would show inside the probe.
    ASSERT_LT(*before.rbegin(), ProbeLimit / 2);
    std::set<ULONG_PTR> handedOut;
    const DWORD start = GetTickCount();
    for (int i = 0; i < Cycles; ++i) {
        const Mode& mode = modes[i % modeCount];
        SCOPED_TRACE(std::string("cycle ") + std::to_string(i) + ": " + mode.arguments);
        Cycle(mode, given);
        handedOut.insert(given.begin(), given.end());
        if (HasFailure()) break;
    }
    const DWORD elapsed = GetTickCount() - start;
    const std::set<ULONG_PTR> after = OpenHandles();

    EXPECT_EQ(after.size(), before.size()) << "open handles before and after " << Cycles << " removals";
    EXPECT_EQ(after, before);
    // Freed slots are handed out again: every uninstaller got the same two values.
    EXPECT_EQ(handedOut.size(), 2u) << "distinct handle values given to the uninstallers";
    std::printf("%d handshakes in %lu ms\n", Cycles, static_cast<unsigned long>(elapsed));

    // The probe notices one handle left open.
    KernelHandle kept(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(OpenHandles().size(), before.size() + 1);
}
