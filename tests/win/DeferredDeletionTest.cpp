#include "platform/DeferredDeletion.h"

#include "platform/RegKey.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// The NT suite runs in the normal run; the 9x suite runs where Wine reports Windows 98
// (the win98 entry of the test list selects suites whose names end in "9x").
namespace {

const char SessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char PendingRenamesValue[] = "PendingFileRenameOperations";

bool IsNtFamily() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string ShortPathOf(const std::string& path) {
    char buffer[MAX_PATH + 1];
    DWORD size = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (size == 0 || size >= sizeof buffer) return {};
    return std::string(buffer, size);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

// A scratch folder with long names (so that their short forms differ), made and
// removed around each test. Deletions are scheduled only for things in here.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        m_root = std::string(temp) + "Quarnelix Restart Test " +
                 std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_root.c_str(), nullptr);
        CreateDirectoryA(Folder().c_str(), nullptr);
        for (const auto& f : {FirstFile(), SecondFile()}) std::ofstream(f, std::ios::binary) << "x";
    }
    ~ScratchFolder() {
        DeleteFileA(FirstFile().c_str());
        DeleteFileA(SecondFile().c_str());
        RemoveDirectoryA(Folder().c_str());
        RemoveDirectoryA(m_root.c_str());
    }
    std::string FirstFile() const { return m_root + "\\Long File Name.txt"; }
    std::string SecondFile() const { return m_root + "\\Second Long File.txt"; }
    std::string Folder() const { return m_root + "\\Long Folder Name"; }
    std::string Missing() const { return m_root + "\\Not There.txt"; }

private:
    std::string m_root;
};

// ---- Windows NT: the pending-rename list in the registry ----

class DeferredDeletionNt : public ::testing::Test {
protected:
    void SetUp() override {
        if (!IsNtFamily()) GTEST_SKIP() << "Windows NT family only";
        RegKey key(HKEY_LOCAL_MACHINE, SessionManagerKey, RegKey::Flavour::Status);
        std::vector<std::string> saved;
        if (key.ReadMultiString(PendingRenamesValue, saved)) m_saved = saved;
        RemoveList();
        m_scratch.emplace();
    }
    void TearDown() override {
        if (!m_scratch) return;
        // The prefix runs what is left here when its next session starts.
        if (m_saved) WriteList(*m_saved); else RemoveList();
        m_scratch.reset();
    }

    static std::optional<std::vector<std::string>> ReadList() {
        RegKey key(HKEY_LOCAL_MACHINE, SessionManagerKey, RegKey::Flavour::Status);
        std::vector<std::string> list;
        if (!key.ReadMultiString(PendingRenamesValue, list)) return std::nullopt;
        return list;
    }
    static void WriteList(const std::vector<std::string>& list) {
        RegKey key(HKEY_LOCAL_MACHINE, SessionManagerKey, RegKey::Flavour::Status);
        ASSERT_TRUE(key.WriteMultiString(PendingRenamesValue, list));
    }
    static void RemoveList() {
        RegKey key(HKEY_LOCAL_MACHINE, SessionManagerKey, RegKey::Flavour::Status);
        key.DeleteValue(PendingRenamesValue);  // fails harmlessly when there is none
    }

    std::optional<std::vector<std::string>> m_saved;
    std::optional<ScratchFolder> m_scratch;
};

TEST_F(DeferredDeletionNt, ScheduleRecordsADeletionPairWithTheSystemPrefix) {
    for (const auto& path : {m_scratch->FirstFile(), m_scratch->Folder()}) {
        RemoveList();
        ASSERT_TRUE(DeleteAtRestart(path)) << path;
        EXPECT_EQ(ReadList(), (std::vector<std::string>{"\\??\\" + path, ""})) << path;
    }
}

TEST_F(DeferredDeletionNt, CancelFindsTheDeletionGivenInLongOrShortFormAndAnyCase) {
    const std::string file = m_scratch->FirstFile();
    const std::string shortFile = ShortPathOf(file);
    ASSERT_FALSE(shortFile.empty());
    ASSERT_NE(Upper(shortFile), Upper(file));
    struct Case {
        const char* name;
        std::string recorded;  // the source as it stands in the list
        std::string given;     // the path passed to the cancellation
    } cases[] = {
        {"LongGivenLong", "\\??\\" + file, file},
        {"LongGivenShort", "\\??\\" + file, shortFile},
        {"LongGivenUpperCase", "\\??\\" + file, Upper(file)},
        {"LongGivenLowerShort", "\\??\\" + file, Lower(shortFile)},
        {"ShortGivenLong", "\\??\\" + shortFile, file},
        {"LowerShortGivenLong", "\\??\\" + Lower(shortFile), file},
        {"UpperLongGivenShort", "\\??\\" + Upper(file), shortFile},
        {"WithoutPrefixGivenLong", file, file},
        // Scheduled when it did not exist: no short form, found by its full name.
        {"MissingGivenInOtherCase", "\\??\\" + m_scratch->Missing(), Upper(m_scratch->Missing())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteList({c.recorded, ""});
        EXPECT_TRUE(CancelDeleteAtRestart(c.given));
        EXPECT_EQ(ReadList(), std::nullopt);  // the emptied list is removed, not left empty
    }
}

TEST_F(DeferredDeletionNt, CancelUndoesWhatScheduleRecorded) {
    for (const auto& path : {m_scratch->FirstFile(), m_scratch->Folder()}) {
        SCOPED_TRACE(path);
        RemoveList();
        ASSERT_TRUE(DeleteAtRestart(path));
        EXPECT_TRUE(CancelDeleteAtRestart(path));
        EXPECT_EQ(ReadList(), std::nullopt);
        // A later scheduling starts a clean list whose pairs stay in step.
        ASSERT_TRUE(DeleteAtRestart(path));
        EXPECT_EQ(ReadList(), (std::vector<std::string>{"\\??\\" + path, ""}));
        EXPECT_TRUE(CancelDeleteAtRestart(path));
    }
}

TEST_F(DeferredDeletionNt, CancelLeavesRenamesOtherFilesAndAnUnpairedEntry) {
    const std::string file = "\\??\\" + m_scratch->FirstFile();
    const std::string second = "\\??\\" + m_scratch->SecondFile();
    const std::string lowerShort = "\\??\\" + Lower(ShortPathOf(m_scratch->FirstFile()));
    const std::string rename = "\\??\\C:\\elsewhere.txt";
    WriteList({file, "", file, rename, second, "", lowerShort, "", file});
    EXPECT_TRUE(CancelDeleteAtRestart(m_scratch->FirstFile()));
    EXPECT_EQ(ReadList(), (std::vector<std::string>{file, rename, second, "", file}));
}

TEST_F(DeferredDeletionNt, CancelWithoutAMatchingDeletionReturnsFalseAndChangesNothing) {
    const std::string file = "\\??\\" + m_scratch->FirstFile();
    const std::string missing = "\\??\\" + m_scratch->Missing();
    struct Case {
        const char* name;
        std::optional<std::vector<std::string>> list;  // nullopt: no value at all
        std::string given;
    } cases[] = {
        {"NoValue", std::nullopt, m_scratch->FirstFile()},
        {"EmptyList", std::vector<std::string>{}, m_scratch->FirstFile()},
        {"OnlyARename", std::vector<std::string>{file, "\\??\\C:\\x.txt"}, m_scratch->FirstFile()},
        {"OtherFile", std::vector<std::string>{"\\??\\" + m_scratch->SecondFile(), ""},
         m_scratch->FirstFile()},
        {"OtherMissingFile", std::vector<std::string>{missing, ""}, m_scratch->Missing() + "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.list) WriteList(*c.list); else RemoveList();
        EXPECT_FALSE(CancelDeleteAtRestart(c.given));
        EXPECT_EQ(ReadList(), c.list);
    }
}

// Read once: the paths the list named then are found by full or short name, also one
// created after the reading; a deletion scheduled later is not seen.
TEST_F(DeferredDeletionNt, PendingDeletionsCancelWhatTheListNamedWhenRead) {
    const std::string missing = m_scratch->Missing();
    const std::string file = m_scratch->FirstFile();
    const std::string other = "\\??\\" + m_scratch->SecondFile();
    WriteList({"\\??\\" + Upper(missing), "", "\\??\\" + ShortPathOf(file), "", other, ""});
    PendingDeletions pending;
    WriteFileBytes(missing, "made after the reading");
    ASSERT_TRUE(DeleteAtRestart(m_scratch->Folder()));
    EXPECT_TRUE(pending.Cancel(missing));
    EXPECT_TRUE(pending.Cancel(file));
    EXPECT_FALSE(pending.Cancel(m_scratch->Folder()));
    EXPECT_EQ(ReadList(), (std::vector<std::string>{other, "", "\\??\\" + m_scratch->Folder(), ""}));
    DeleteFileA(missing.c_str());
}

// ---- Windows 9x: the "Rename" section of WININIT.INI ----

class DeferredDeletion9x : public ::testing::Test {
protected:
    void SetUp() override {
        if (IsNtFamily()) {
            // In the run meant to be Windows 98 a skip would hide that Wine ignored the version.
            const char* asked = std::getenv("QX_WINE_VERSION");
            if (asked && std::string(asked).rfind("win9", 0) == 0)
                FAIL() << "Wine was asked for " << asked << " but reports the NT family";
            GTEST_SKIP() << "Windows 9x family only";
        }
        char windows[MAX_PATH];
        ASSERT_NE(GetWindowsDirectoryA(windows, sizeof windows), 0u);
        m_wininit = std::string(windows) + "\\WININIT.INI";
        m_saved = ReadFileBytes(m_wininit);
        RemoveWininit();
        m_scratch.emplace();
    }
    void TearDown() override {
        if (!m_scratch) return;
        if (m_saved) WriteWininit(*m_saved); else RemoveWininit();
        m_scratch.reset();
    }

    // The profile functions keep files cached; all three arguments null drops the cache.
    static void FlushProfiles() {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "WININIT.INI");
    }

    void RemoveWininit() {
        FlushProfiles();
        DeleteFileA(m_wininit.c_str());
    }
    void WriteWininit(const std::string& bytes) {
        FlushProfiles();
        WriteFileBytes(m_wininit, bytes);
    }
    std::optional<std::string> Wininit() {
        FlushProfiles();
        return ReadFileBytes(m_wininit);
    }

    // The lines of the file's [Rename] section, as the restart will see them.
    std::vector<std::string> RenameLines() {
        std::vector<std::string> lines;
        auto text = Wininit();
        if (!text) return lines;
        std::istringstream in(*text);
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '[') {
                inside = Lower(line) == "[rename]";
            } else if (inside && !line.empty()) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    std::string Entry(const std::string& path) { return "NUL=" + ShortPathOf(path); }

    std::string m_wininit;
    std::optional<std::string> m_saved;
    std::optional<ScratchFolder> m_scratch;
};

TEST_F(DeferredDeletion9x, ScheduleWritesTheShortPathAsNulEntry) {
    const std::string file = m_scratch->FirstFile();
    ASSERT_NE(Upper(ShortPathOf(file)), Upper(file));
    ASSERT_TRUE(DeleteAtRestart(file));
    ASSERT_TRUE(DeleteAtRestart(m_scratch->Folder()));
    EXPECT_EQ(RenameLines(), (std::vector<std::string>{Entry(file), Entry(m_scratch->Folder())}));
}

TEST_F(DeferredDeletion9x, ScheduleKeepsOtherEntriesAndSections) {
    WriteWininit("[Other]\r\nkey=value\r\n[Rename]\r\nC:\\NEW.TXT=C:\\OLD.TXT\r\n");
    ASSERT_TRUE(DeleteAtRestart(m_scratch->FirstFile()));
    EXPECT_EQ(RenameLines(), (std::vector<std::string>{"C:\\NEW.TXT=C:\\OLD.TXT",
                                                       Entry(m_scratch->FirstFile())}));
    char value[32] = {};
    GetPrivateProfileStringA("Other", "key", "", value, sizeof value, "WININIT.INI");
    EXPECT_STREQ(value, "value");
}

TEST_F(DeferredDeletion9x, SchedulingTwiceLeavesOneEntryAndDoesNotWrite) {
    const std::string file = m_scratch->FirstFile();
    ASSERT_TRUE(DeleteAtRestart(file));
    ASSERT_EQ(RenameLines(), std::vector<std::string>{Entry(file)});
    // The same entry in other letters and a layout any rewrite would tidy away.
    const std::string layout = "[Rename]\r\n\r\n  " + Lower(Entry(file)) + "  \r\n\r\n";
    WriteWininit(layout);
    for (const auto& given : {file, Upper(file), ShortPathOf(file)}) {
        EXPECT_TRUE(DeleteAtRestart(given)) << given;
        EXPECT_EQ(Wininit(), layout) << given;
    }
}

// Existing entries taking exactly used bytes (each entry plus its zero).
std::string RenameSectionOfSize(std::size_t used) {
    std::string text = "[Rename]\r\n";
    std::size_t filled = 0;
    for (int n = 0; filled < used; ++n) {
        std::size_t left = used - filled;
        std::size_t piece = left <= 1000 ? left : (left - 1000 >= 20 ? 1000 : 500);
        std::string entry = "NUL=C:\\PAD" + std::to_string(n) + "\\";
        entry += std::string(piece - 1 - entry.size(), 'X');
        text += entry + "\r\n";
        filled += piece;
    }
    return text;
}

TEST_F(DeferredDeletion9x, ScheduleKeepsTheSectionWithinTheBuffer) {
    const std::string entry = Entry(m_scratch->FirstFile());
    struct Case {
        const char* name;
        std::size_t used;
        bool scheduled;
    } cases[] = {
        {"FillsTheBufferExactly", 32765 - entry.size(), true},
        {"OneByteTooMany", 32766 - entry.size(), false},
        {"SectionAlreadyFull", 32765, false},
        {"SectionLargerThanTheBuffer", 40000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = RenameSectionOfSize(c.used);
        WriteWininit(before);
        SetLastError(0);
        bool scheduled = DeleteAtRestart(m_scratch->FirstFile());
        DWORD error = GetLastError();
        EXPECT_EQ(scheduled, c.scheduled);
        if (c.scheduled) {
            auto lines = RenameLines();
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back(), entry);
            std::size_t size = 1;  // the final empty entry
            for (const auto& line : lines) size += line.size() + 1;
            EXPECT_EQ(size, 32767u);
        } else {
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
            EXPECT_EQ(Wininit(), before);
        }
    }
}

TEST_F(DeferredDeletion9x, CancelDropsTheEntryGivenInAnyFormAndKeepsTheRest) {
    const std::string file = m_scratch->FirstFile();
    const std::string second = m_scratch->SecondFile();
    struct Case {
        const char* name;
        std::string given;
    } cases[] = {
        {"Long", file},
        {"Short", ShortPathOf(file)},
        {"UpperLong", Upper(file)},
        {"LowerShort", Lower(ShortPathOf(file))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWininit("[Rename]\r\n" + Entry(file) + "\r\nC:\\NEW.TXT=C:\\OLD.TXT\r\n" +
                     Lower(Entry(file)) + "\r\n" + Entry(second) + "\r\n");
        EXPECT_TRUE(CancelDeleteAtRestart(c.given));
        EXPECT_EQ(RenameLines(),
                  (std::vector<std::string>{"C:\\NEW.TXT=C:\\OLD.TXT", Entry(second)}));
    }
}

TEST_F(DeferredDeletion9x, CancelUndoesWhatScheduleWrote) {
    const std::string file = m_scratch->FirstFile();
    ASSERT_TRUE(DeleteAtRestart(file));
    ASSERT_TRUE(DeleteAtRestart(m_scratch->Folder()));
    EXPECT_TRUE(CancelDeleteAtRestart(file));
    EXPECT_EQ(RenameLines(), std::vector<std::string>{Entry(m_scratch->Folder())});
    EXPECT_FALSE(CancelDeleteAtRestart(file));  // nothing left to cancel
    EXPECT_TRUE(CancelDeleteAtRestart(m_scratch->Folder()));
    EXPECT_EQ(RenameLines(), std::vector<std::string>{});
}

TEST_F(DeferredDeletion9x, CancelWithoutAMatchingEntryReturnsFalseAndChangesNothing) {
    const std::string file = m_scratch->FirstFile();
    struct Case {
        const char* name;
        std::optional<std::string> wininit;  // nullopt: no file
        std::string given;
    } cases[] = {
        {"NoFile", std::nullopt, file},
        {"OtherEntriesOnly",
         "[Rename]\r\n" + Entry(m_scratch->SecondFile()) + "\r\nNUL=C:\\X.TXT\r\n", file},
        {"EntryInOtherSection", "[Other]\r\n" + Entry(file) + "\r\n", file},
        {"OtherPathWithoutShortForm", "[Rename]\r\nNUL=" + m_scratch->Missing() + "\r\n",
         m_scratch->Missing() + "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.wininit) WriteWininit(*c.wininit); else RemoveWininit();
        EXPECT_FALSE(CancelDeleteAtRestart(c.given));
        EXPECT_EQ(Wininit(), c.wininit);
    }
}

TEST_F(DeferredDeletion9x, CancelFindsAPathWithoutShortFormByItsFullName) {
    WriteWininit("[Rename]\r\nNUL=" + Upper(m_scratch->Missing()) + "\r\n" + Entry(m_scratch->FirstFile()) + "\r\n");
    EXPECT_TRUE(CancelDeleteAtRestart(m_scratch->Missing()));
    EXPECT_EQ(RenameLines(), std::vector<std::string>{Entry(m_scratch->FirstFile())});
}

TEST_F(DeferredDeletion9x, PendingDeletionsFindEntriesByShortName) {
    WriteWininit("[Rename]\r\n" + Entry(m_scratch->FirstFile()) + "\r\n" + Entry(m_scratch->SecondFile()) + "\r\n");
    PendingDeletions pending;
    EXPECT_TRUE(pending.Cancel(m_scratch->FirstFile()));
    EXPECT_FALSE(pending.Cancel(m_scratch->Folder()));
    EXPECT_EQ(RenameLines(), std::vector<std::string>{Entry(m_scratch->SecondFile())});
}

// Written back, a section that did not fit in the buffer would lose its tail.
TEST_F(DeferredDeletion9x, CancelRefusesASectionLargerThanTheBuffer) {
    const std::string before = "[Rename]\r\n" + Entry(m_scratch->FirstFile()) + "\r\n" +
                               RenameSectionOfSize(40000).substr(10);
    WriteWininit(before);
    SetLastError(0);
    bool cancelled = CancelDeleteAtRestart(m_scratch->FirstFile());
    DWORD error = GetLastError();
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(Wininit(), before);
}

TEST_F(DeferredDeletion9x, APathWithoutShortFormCannotBeScheduled) {
    SetLastError(0);
    bool scheduled = DeleteAtRestart(m_scratch->Missing());
    DWORD error = GetLastError();
    EXPECT_FALSE(scheduled);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));  // from GetShortPathNameA
    EXPECT_EQ(Wininit(), std::nullopt);
}

}  // namespace
