#include "ActionTestSupport.h"
#include "ZlibPayloadIds.h"
#include "NoCrtLib/InstallError.h"
#include "installer/InstallOptions.h"
#include "installer/actions/TargetDirAction.h"
#include "installer/actions/TargetFileAction.h"
#include "platform/ConsoleStop.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string Removing(const std::string& path) { return "Rollback: removing previously created " + path; }

class ActionUndoOrderTest : public ActionTest::Fixture {};

// Held as the driver holds them: plain locals, the optional one in a unique_ptr declared
// where it is made. An error after the last one undoes them all, newest first.
TEST_F(ActionUndoOrderTest, ScopedActionsAreUndoneInExactReverseOrder) {
    SetMode(false, false);
    for (bool withOptional : {true, false}) {
        const std::string base = Path(withOptional ? "with" : "without");
        const std::string inst = base + "\\inst", menu = base + "\\menu\\Arvendo Quarnelix";
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
        Options().UninstallParams = "\"-shareResWith=Dorvask\"";
        ActionTest::Outcome run = Run([&] {
            TargetDirAction installDir(inst);
            TargetFileAction first(IDT_ZLIB_EMPTY_CONTENTS, inst + "\\a.dll");
            TargetFileAction uninstaller(IDT_ZLIB_GOOD, inst + "\\uninst.exe");
            TargetDirAction startMenu(menu);
            std::unique_ptr<TargetFileAction> optional;
            if (withOptional) optional = std::make_unique<TargetFileAction>(IDT_ZLIB_EMPTY_CONTENTS, menu + "\\q.lnk");
            throw std::runtime_error("next step failed");
        });
        EXPECT_EQ(run.error, "next step failed");
        Lines expected = {"Installing " + inst + "\\a.dll", "Installing " + inst + "\\uninst.exe"};
        if (withOptional) expected.push_back("Installing " + menu + "\\q.lnk");
        if (withOptional) expected.push_back(Removing(menu + "\\q.lnk"));
        for (const std::string& line : {Removing(menu), Removing(base + "\\menu"), Removing(inst + "\\uninst.exe"),
                                        Removing(inst + "\\a.dll"), Removing(inst)})
            expected.push_back(line);
        EXPECT_EQ(run.lines, expected);
        EXPECT_FALSE(ActionTest::IsFolder(inst));
        EXPECT_FALSE(ActionTest::IsFolder(base + "\\menu"));
        std::string params = "\"-shareResWith=Dorvask\" \"-delDir=" + inst + "\" \"-delFile=" + inst +
                             "\\a.dll\" \"-delFile=" + inst + "\\uninst.exe\" \"-delDir=" + menu + "\" \"-delDir=" +
                             base + "\\menu\"";
        if (withOptional) params += " \"-delFile=" + menu + "\\q.lnk\"";
        EXPECT_EQ(Options().UninstallParams, params);
    }
}

TEST_F(ActionUndoOrderTest, NoRollbackLeavesEveryChangeAndPrintsNoRollbackLine) {
    SetMode(false, false);
    Options().noRollback = true;
    const std::string inst = Path("inst\\sub");
    ActionTest::Outcome run = Run([&] {
        TargetDirAction installDir(inst);
        TargetFileAction uninstaller(IDT_ZLIB_GOOD, inst + "\\uninst.exe");
        throw std::runtime_error("next step failed");
    });
    EXPECT_EQ(run.error, "next step failed");
    EXPECT_EQ(run.lines, Lines{"Installing " + inst + "\\uninst.exe"});
    EXPECT_TRUE(ActionTest::IsFile(inst + "\\uninst.exe"));
}

TEST_F(ActionUndoOrderTest, CommittedActionsKeepEverything) {
    const std::string inst = Path("inst");
    ActionTest::Outcome run = Run([&] {
        TargetDirAction installDir(inst);
        TargetFileAction uninstaller(IDT_ZLIB_GOOD, inst + "\\uninst.exe");
        installDir.Commit();
        uninstaller.Commit();
    });
    EXPECT_EQ(run.lines, Lines{"Installing " + inst + "\\uninst.exe"});
    EXPECT_TRUE(ActionTest::IsFile(inst + "\\uninst.exe"));
}

// As the driver commits: through the journal, with no list; the parent folders that a
// folder action made are committed with it.
TEST_F(ActionUndoOrderTest, TheJournalCommitsEveryActionBuiltWhileItLives) {
    const std::string inst = Path("journal\\inst");
    ActionTest::Outcome run = Run([&] {
        ActionJournal journal;
        TargetDirAction installDir(inst);
        TargetFileAction first(IDT_ZLIB_EMPTY_CONTENTS, inst + "\\a.dll");
        auto optional = std::make_unique<TargetFileAction>(IDT_ZLIB_GOOD, inst + "\\uninst.exe");
        journal.CommitAll();
    });
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"Installing " + inst + "\\a.dll", "Installing " + inst + "\\uninst.exe"}));
    EXPECT_TRUE(ActionTest::IsFile(inst + "\\a.dll"));
    EXPECT_TRUE(ActionTest::IsFile(inst + "\\uninst.exe"));
}

}  // namespace

// Ctrl+C asks the run to stop: the next change throws before it is made, and the changes
// made so far are undone. In a process of its own: the request cannot be taken back.
class ActionUndoOrderIsolated : public ActionTest::Fixture {};

TEST_F(ActionUndoOrderIsolated, CtrlCStopsTheRunBeforeItsNextChange) {
    SetMode(false, false);
    const std::string inst = Path("inst");
    InstallConsoleStopHandler();
    ActionTest::Outcome run = Run([&] {
        TargetDirAction installDir(inst);
        // A console of its own, so that the event reaches this process alone.
        FreeConsole();
        if (!AllocConsole()) throw std::runtime_error("AllocConsole " + std::to_string(GetLastError()));
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
            throw std::runtime_error("GenerateConsoleCtrlEvent " + std::to_string(GetLastError()));
        // The handler runs on a thread of its own: wait until the request is seen.
        for (int i = 0; i < 1000; ++i) {
            try {
                ThrowIfStopRequested();
            } catch (const InstallError&) {
                break;
            }
            Sleep(10);
        }
        TargetFileAction file(IDT_ZLIB_GOOD, inst + "\\uninst.exe");
    });
    EXPECT_EQ(run.error, "The installation was stopped by the user");
    EXPECT_EQ(run.lines, (Lines{Removing(inst)}));
    EXPECT_FALSE(ActionTest::IsFolder(inst));
}
