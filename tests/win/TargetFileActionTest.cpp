#include "installer/actions/TargetFileAction.h"

#include "ActionTestSupport.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "ZlibPayloadIds.h"
#include "installer/InstallOptions.h"
#include "installer/actions/ResourceLoader.h"
#include "installer/actions/TargetDirAction.h"
#include "installer/actions/TargetFile.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using ActionTest::IsFile;
using ActionTest::Outcome;
using ActionTest::ReadFileBytes;
using Lines = std::vector<std::string>;

std::string Plain() {
    ResourceBytes plain = LoadBinaryResource(IDT_ZLIB_GOOD_PLAIN, "BINARY");
    return std::string(reinterpret_cast<const char*>(plain.data), plain.size);
}

std::string Removing(const std::string& path) { return "Rollback: removing previously created " + path; }

class TargetFileActionTest : public ActionTest::Fixture {};

TEST_F(TargetFileActionTest, EmptyPathWritesTheUninstallerPathAndRollbackDeletesIt) {
    Options().uninstallerPath = Path("uninst.exe");
    Options().mainProgramPath = Path("quarnelix.exe");
    Outcome made, undone;
    {
        std::unique_ptr<TargetFileAction> action;
        made = Run([&] { action = std::make_unique<TargetFileAction>(IDT_ZLIB_GOOD, ""); });
        EXPECT_EQ(ReadFileBytes(Path("uninst.exe")), Plain());
        undone = Run([&] { action.reset(); });
    }
    EXPECT_EQ(made.exitCode, -1);
    EXPECT_EQ(made.error, "");
    EXPECT_EQ(made.lines, Lines{"Installing " + Path("uninst.exe")});
    EXPECT_EQ(Options().UninstallParams, "\"-delFile=" + Path("uninst.exe") + "\"");
    EXPECT_EQ(undone.lines, Lines{Removing(Path("uninst.exe"))});
    EXPECT_FALSE(IsFile(Path("uninst.exe")));
}

TEST_F(TargetFileActionTest, TheMainProgramIsListedWithItsOwnItemInAnyLetterCase) {
    Options().mainProgramPath = Path("Quarnelix.exe");
    Outcome made = Run([&] {
        TargetFileAction action(IDT_ZLIB_EMPTY_CONTENTS, Path("QUARNELIX.EXE"));
        action.Commit();
    });
    EXPECT_EQ(made.lines, Lines{"Installing " + Path("QUARNELIX.EXE")});
    EXPECT_EQ(Options().UninstallParams, "\"-delMainFile=" + Path("QUARNELIX.EXE") + "\"");
    EXPECT_EQ(ReadFileBytes(Path("quarnelix.exe")), "");
}

// Rollback puts the earlier file back as it was, attributes too; commit drops the copy.
TEST_F(TargetFileActionTest, AnExistingFileIsOverwrittenOnlyWhenAllowedAndPutBackByRollback) {
    const std::string target = Path("uninst.exe");
    const std::string old(400000, 'o');  // longer than the new contents: must be truncated
    const DWORD oldAttributes = FILE_ATTRIBUTE_READONLY;
    struct Case {
        bool interactive;
        bool force;
        int answer;
        bool commit;
        int exitCode;
        Lines lines;
    };
    const Case cases[] = {
        {false, true, 0, false, -1,
         {"Warning: '" + target + "' already exists, will be overwritten", "Installing " + target}},
        {true, false, Prompt::IdYes, false, -1, {"Installing " + target}},
        {false, true, 0, true, -1,
         {"Warning: '" + target + "' already exists, will be overwritten", "Installing " + target}},
        {true, false, IDNO, false, 104, {"Installation canceled by user (file already exists)"}},
        {false, false, 0, false, 104, {"Target file '" + target + "' already exists, aborting"}},
    };
    for (const Case& c : cases) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        ActionTest::WriteFileBytes(target, old);
        SetFileAttributesA(target.c_str(), oldAttributes);
        Options().UninstallParams.clear();
        SetMode(c.interactive, c.force);
        answer = c.answer;
        boxes.clear();
        Outcome made, undone;
        {
            std::unique_ptr<TargetFileAction> action;
            made = Run([&] { action = std::make_unique<TargetFileAction>(IDT_ZLIB_GOOD, target); });
            if (action) {
                EXPECT_EQ(ReadFileBytes(target), Plain());
                if (c.commit) action->Commit();
            }
            undone = Run([&] { action.reset(); });
        }
        const bool rolledBack = c.exitCode == -1 && !c.commit;
        EXPECT_EQ(made.exitCode, c.exitCode);
        EXPECT_EQ(made.lines, c.lines);
        EXPECT_EQ(undone.lines, rolledBack ? Lines{"Rollback: restoring " + target} : Lines{});
        EXPECT_EQ(Options().UninstallParams, "\"-delFile=" + target + "\"");
        EXPECT_EQ(ReadFileBytes(target), c.commit ? Plain() : old);
        EXPECT_EQ(GetFileAttributesA(target.c_str()) & oldAttributes, c.commit ? 0u : oldAttributes);
        EXPECT_EQ(ActionTest::FilesIn(Root()), Lines{"uninst.exe"});  // no kept copy left behind
        EXPECT_EQ(boxes.size(), c.interactive ? 1u : 0u);
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].caption, "Target File Exists");
        }
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The kept copy sits next to the file under a name of its own; in use at commit, it goes
// at the next restart.
TEST_F(TargetFileActionTest, AKeptFileInUseAtCommitIsDeletedAtRestart) {
    const std::string target = Path("uninst.exe");
    const std::string kept = Path("uninst.exe.qx2.kept");
    ActionTest::WriteFileBytes(target, "earlier");
    ActionTest::WriteFileBytes(Path("uninst.exe.qx1.kept"), "someone else's");
    std::unique_ptr<TargetFileAction> action;
    Run([&] { action = std::make_unique<TargetFileAction>(IDT_ZLIB_GOOD, target); });
    ASSERT_EQ(ReadFileBytes(kept), "earlier");
    FileHandle held(CreateFileA(kept.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    action->Commit();
    held.Reset();
    EXPECT_TRUE(ActionTest::IsScheduledForRestart(kept));
    EXPECT_EQ(ReadFileBytes(Path("uninst.exe.qx1.kept")), "someone else's");
    EXPECT_EQ(ReadFileBytes(target), Plain());
    CancelDeleteAtRestart(kept);
}

// Held open without delete sharing, a file cannot be renamed aside: it is copied, overwritten
// in place, and rollback writes the copy back over it while it is still held.
TEST_F(TargetFileActionTest, AHeldFileIsCopiedAsideAndWrittenBackInPlaceByRollback) {
    SetMode(false, true);
    const std::string target = Path("held.dll");
    ActionTest::WriteFileBytes(target, "earlier contents");
    FileHandle held(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Outcome undone;
    {
        std::unique_ptr<TargetFileAction> action;
        Run([&] { action = std::make_unique<TargetFileAction>(IDT_ZLIB_GOOD, target); });
        ASSERT_TRUE(action);
        EXPECT_EQ(ReadFileBytes(target), Plain());
        // Through the holder's handle: the same file took the new contents, so it was copied.
        char start[8] = {};
        DWORD got = 0;
        ASSERT_TRUE(ReadFile(held.Get(), start, sizeof start, &got, nullptr));
        EXPECT_EQ(std::string(start, got), Plain().substr(0, got));
        undone = Run([&] { action.reset(); });
    }
    EXPECT_EQ(undone.lines, Lines{"Rollback: restoring " + target});
    EXPECT_EQ(ReadFileBytes(target), "earlier contents");
    EXPECT_EQ(ActionTest::FilesIn(Root()), Lines{"held.dll"});  // the copy is gone
}

TEST_F(TargetFileActionTest, ACorruptResourceFailsWithTheInflateReasonAndLeavesNoNewFile) {
    struct Case {
        unsigned id;
        std::string error;
    };
    const Case cases[] = {
        {IDT_ZLIB_BAD_HEADER, "inflate() failed: incorrect header check"},
        {IDT_ZLIB_BAD_ADLER, "inflate() failed: incorrect data check"},
        {IDT_ZLIB_TRUNCATED, "inflate() failed: unexpected end of compressed data"},
        {IDT_ZLIB_BAD_BLOCK, "inflate() failed: invalid block type"},
    };
    SetMode(false, false);
    for (const Case& c : cases) {
        const std::string target = Path("uninst.exe");
        Options().UninstallParams.clear();
        Outcome made = Run([&] { TargetFileAction action(c.id, target); });
        EXPECT_EQ(made.error, c.error);
        EXPECT_EQ(made.lines, Lines{"Installing " + target});
        EXPECT_EQ(Options().UninstallParams, "\"-delFile=" + target + "\"");
        EXPECT_FALSE(IsFile(target)) << c.error;
    }
}

TEST_F(TargetFileActionTest, ACorruptResourceNeverDeletesAFileThatWasThereBefore) {
    SetMode(false, true);
    const std::string target = Path("uninst.exe");
    ActionTest::WriteFileBytes(target, "earlier uninstaller");
    Outcome made = Run([&] { TargetFileAction action(IDT_ZLIB_BAD_ADLER, target); });
    EXPECT_EQ(made.error, "inflate() failed: incorrect data check");
    EXPECT_EQ(ReadFileBytes(target), "earlier uninstaller");
    EXPECT_EQ(ActionTest::FilesIn(Root()), Lines{"uninst.exe"});
}

TEST_F(TargetFileActionTest, AMissingResourceIsAnInstallErrorAndCreatesNothing) {
    SetMode(false, false);
    const std::string target = Path("uninst.exe");
    Outcome made = Run([&] { TargetFileAction action(IDT_MISSING, target); });
    EXPECT_EQ(made.error, "FindResourceA() failed: " + WinErrorText(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_FALSE(IsFile(target));
}

// The failed extraction must not keep the folder's own rollback from removing it.
TEST_F(TargetFileActionTest, AfterAFailedExtractionTheNewFolderIsRemovedCleanly) {
    SetMode(false, false);
    const std::string dir = Path("inst");
    const std::string file = Path("inst\\uninst.exe");
    Outcome run = Run([&] {
        TargetDirAction folder(dir);
        TargetFileAction uninstaller(IDT_ZLIB_TRUNCATED, file);
    });
    EXPECT_EQ(run.error, "inflate() failed: unexpected end of compressed data");
    EXPECT_EQ(run.lines, (Lines{"Installing " + file, Removing(dir)}));
    EXPECT_FALSE(ActionTest::IsFolder(dir));
    EXPECT_FALSE(ActionTest::IsScheduledForRestart(dir));
}

// A failed run scheduled the deletion of a file it never made (no short name to find it
// by): the file written now cancels it, and a rollback schedules it again.
TEST_F(TargetFileActionTest, AnEarlierScheduledDeletionOfTheFileIsCancelledUntilRollback) {
    for (bool commit : {true, false}) {
        const std::string target = Path(commit ? "uninst.exe" : "other.exe");
        ASSERT_TRUE(DeleteAtRestart(target));
        std::unique_ptr<TargetFileAction> action;
        Run([&] { action = std::make_unique<TargetFileAction>(IDT_ZLIB_GOOD, target); });
        EXPECT_FALSE(ActionTest::IsScheduledForRestart(target));
        if (commit) action->Commit();
        Run([&] { action.reset(); });
        EXPECT_EQ(ActionTest::IsScheduledForRestart(target), !commit) << target;
        CancelDeleteAtRestart(target);
    }
}

TEST_F(TargetFileActionTest, RollbackDeleteFileSchedulesAFileThatIsHeldOpen) {
    for (bool interactive : {true, false}) {
        const std::string path = Path(interactive ? "held1.dll" : "held2.dll");
        ActionTest::WriteFileBytes(path, "in use");
        SetMode(interactive, false);
        boxes.clear();
        // Open elsewhere without FILE_SHARE_DELETE: the deletion is refused.
        FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
        Outcome undone = Run([&] { RollbackDeleteFile(path); });
        held.Reset();
        const std::string reason = WinErrorText(ERROR_SHARING_VIOLATION);
        EXPECT_EQ(undone.lines, (Lines{Removing(path), "File deletion failed: " + reason,
                                       "Scheduling file deletion on reboot"}));
        if (interactive) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Unable to remove previously created '" + path + "'.\nReason: " + reason +
                                         "\nThe file will be scheduled for deletion on reboot.");
            EXPECT_EQ(boxes[0].caption, "File Deletion Failed");
            EXPECT_EQ(boxes[0].style, 0x10u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        EXPECT_TRUE(IsFile(path));
        EXPECT_TRUE(ActionTest::IsScheduledForRestart(path));
    }
}

// Windows 9x schedules by short path, which a missing file has not: the one way to make
// the scheduling itself fail (the NT list takes any path).
class TargetFileRollback9x : public ActionTest::Fixture {
protected:
    void SetUp() override {
        if (ActionTest::IsNtFamily()) GTEST_SKIP() << "Windows 9x family only";
        ActionTest::Fixture::SetUp();
    }
};

TEST_F(TargetFileRollback9x, AFailedSchedulingIsReportedToo) {
    const std::string path = Path("gone.dll");
    SetMode(false, false);
    Outcome undone = Run([&] { RollbackDeleteFile(path); });
    EXPECT_EQ(undone.lines, (Lines{Removing(path), "File deletion failed: " + WinErrorText(ERROR_FILE_NOT_FOUND),
                                   "Scheduling file deletion on reboot", "Scheduling file deletion failed"}));
}

}  // namespace
