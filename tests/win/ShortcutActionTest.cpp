#include "installer/actions/ShortcutAction.h"

#include "ActionTestSupport.h"
#include "SavedRegValue.h"
#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "platform/ComInstance.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using ActionTest::IsFile;
using ActionTest::IsFolder;
using ActionTest::Outcome;
using Lines = std::vector<std::string>;

// Every property of a saved shortcut, read back through the shell's own link object.
struct LinkProperties {
    std::string target, arguments, workingFolder, description, iconFile;
    int iconIndex = -1;
};

::testing::AssertionResult ReadLink(const std::string& path, LinkProperties& out) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return ::testing::AssertionFailure() << "CoInitializeEx";
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    {
        ComInstance<IShellLinkA> link(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA);
        ComInstance<IPersistFile> file = link.Query<IPersistFile>(IID_IPersistFile);
        const std::u16string wide = AnsiToWide(path);
        HRESULT hr = file->Load(reinterpret_cast<LPCOLESTR>(wide.c_str()), STGM_READ);
        if (FAILED(hr)) {
            result = ::testing::AssertionFailure() << "IPersistFile::Load(" << path << ") " << std::hex << hr;
        } else {
            char buffer[1024];
            auto text = [&](HRESULT got) { return SUCCEEDED(got) ? std::string(buffer) : std::string("<failed>"); };
            buffer[0] = 0;
            out.target = text(link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH));
            buffer[0] = 0;
            out.arguments = text(link->GetArguments(buffer, sizeof buffer));
            buffer[0] = 0;
            out.workingFolder = text(link->GetWorkingDirectory(buffer, sizeof buffer));
            buffer[0] = 0;
            out.description = text(link->GetDescription(buffer, sizeof buffer));
            buffer[0] = 0;
            out.iconFile = text(link->GetIconLocation(buffer, sizeof buffer, &out.iconIndex));
        }
    }
    CoUninitialize();
    return result;
}

class ShortcutActionTest : public ActionTest::Fixture {
protected:
    void SetUp() override {
        ActionTest::Fixture::SetUp();
        // The link's target: a real file, as the installer's are by the time shortcuts are made.
        m_target = Path("quarnelix.exe");
        ActionTest::WriteFileBytes(m_target, "MZ");
    }

    // A shortcut in the scratch folder to the scratch target, with every property set.
    std::unique_ptr<ShortcutAction> Make(const std::string& link) {
        return std::make_unique<ShortcutAction>(link, m_target, "-proxy", Root(), "Some description", "", 1);
    }

    std::string m_target;
};

TEST_F(ShortcutActionTest, SavesEveryPropertyAndListsTheLinkForTheUninstaller) {
    const std::string icons = Path("icons.dll");
    struct Case {
        std::string link, arguments, workingFolder, description, iconFile;
        int32_t iconIndex;
        LinkProperties expected;
    };
    const std::string longText(250, 'd');
    const Case cases[] = {
        {Path("Quarnelix.lnk"), "", Root(), "Arvendo Quarnelix 4.26 - a general-purpose SSH client", "", 0,
         {m_target, "", Root(), "Arvendo Quarnelix 4.26 - a general-purpose SSH client", m_target, 0}},
        {Path("Host Key Manager.lnk"), "-hostkeys", Root(), "Host keys", "", 1,
         {m_target, "-hostkeys", Root(), "Host keys", m_target, 1}},
        {Path("Keypair Manager.lnk"), "-keypairs", Root(), longText, icons, 2,
         {m_target, "-keypairs", Root(), longText, icons, 2}},
        // Empty texts leave the properties unset.
        {Path("Bare.lnk"), "", "", "", "", -3, {m_target, "", "", "", m_target, -3}},
    };
    std::string params;
    for (const Case& c : cases) {
        Outcome made = Run([&] {
            ShortcutAction action(c.link, m_target, c.arguments, c.workingFolder, c.description, c.iconFile,
                                  c.iconIndex);
            EXPECT_TRUE(action.Created());
            EXPECT_EQ(action.Path(), c.link);
            action.Commit();
        });
        EXPECT_EQ(made.exitCode, -1);
        EXPECT_EQ(made.error, "");
        EXPECT_EQ(made.lines, Lines{"Creating shortcut " + c.link});
        ASSERT_TRUE(IsFile(c.link)) << c.link;
        LinkProperties got;
        ASSERT_TRUE(ReadLink(c.link, got));
        EXPECT_EQ(got.target, c.expected.target) << c.link;
        EXPECT_EQ(got.arguments, c.expected.arguments) << c.link;
        EXPECT_EQ(got.workingFolder, c.expected.workingFolder) << c.link;
        EXPECT_EQ(got.description, c.expected.description) << c.link;
        EXPECT_EQ(ActionTest::Lower(got.iconFile), ActionTest::Lower(c.expected.iconFile)) << c.link;
        EXPECT_EQ(got.iconIndex, c.expected.iconIndex) << c.link;
        params += (params.empty() ? "" : " ") + std::string("\"-delFile=") + c.link + "\"";
    }
    EXPECT_EQ(Options().UninstallParams, params);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShortcutActionTest, AnExistingLinkIsOverwrittenAndPutBackByRollback) {
    const std::string link = Path("Quarnelix.lnk");
    for (bool commit : {false, true}) {
        ActionTest::WriteFileBytes(link, "not a link");
        Outcome made, undone;
        {
            std::unique_ptr<ShortcutAction> action;
            made = Run([&] { action = Make(link); });
            LinkProperties got;
            EXPECT_TRUE(ReadLink(link, got));
            EXPECT_EQ(got.arguments, "-proxy");
            if (commit) action->Commit();
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(made.lines, Lines{"Creating shortcut " + link});
        EXPECT_EQ(undone.lines, commit ? Lines{} : Lines{"Rollback: restoring " + link});
        LinkProperties got;
        EXPECT_EQ(static_cast<bool>(ReadLink(link, got)), commit);
        if (!commit) {
            EXPECT_EQ(ActionTest::ReadFileBytes(link), "not a link");
        }
        EXPECT_EQ(ActionTest::FilesIn(Root()), (Lines{"Quarnelix.lnk", "quarnelix.exe"}));
    }
}

TEST_F(ShortcutActionTest, RollbackDeletesOnlyAnUncommittedLinkAndNotWithNoRollback) {
    struct Case {
        bool commit, noRollback;
        Lines undoneLines;
        bool linkStays;
    };
    const std::string link = Path("Proxy Settings.lnk");
    const Case cases[] = {
        {false, false, {"Rollback: removing previously created shortcut " + link}, false},
        {true, false, {}, true},
        {false, true, {}, true},
    };
    for (const Case& c : cases) {
        Options().noRollback = c.noRollback;
        Outcome undone;
        {
            std::unique_ptr<ShortcutAction> action;
            Run([&] { action = Make(link); });
            if (c.commit) action->Commit();
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(undone.lines, c.undoneLines);
        EXPECT_EQ(IsFile(link), c.linkStays);
        DeleteFileA(link.c_str());
    }
}

// A folder where the link file must go makes IPersistFile::Save fail.
TEST_F(ShortcutActionTest, AFailedSaveIsOfferedAndNeverListedOrUndone) {
    const std::string link = Path("Uninstall Quarnelix.lnk");
    ASSERT_TRUE(CreateDirectoryA(link.c_str(), nullptr));
    const std::string reason = "IPersistFile::Save() failed";
    struct Case {
        bool interactive, force;
        int answer;
        int exitCode;
        Lines lines;
    };
    const Case cases[] = {
        {true, false, Prompt::IdYes, -1, {"Creating shortcut " + link}},
        {true, false, IDNO, 105,
         {"Creating shortcut " + link, "Installation canceled by user (creating shortcut failed)"}},
        {false, true, 0, -1, {"Creating shortcut " + link, "Warning: creating shortcut " + link + "' failed: " + reason}},
        {false, false, 0, 105,
         {"Creating shortcut " + link, "Creating shortcut '" + link + "' failed: " + reason + ", aborting"}},
    };
    for (const Case& c : cases) {
        SetMode(c.interactive, c.force);
        Options().UninstallParams = "\"-shareResWith=Dorvask\"";
        answer = c.answer;
        boxes.clear();
        Outcome made, undone;
        {
            std::unique_ptr<ShortcutAction> action;
            made = Run([&] { action = Make(link); });
            EXPECT_EQ(action != nullptr, c.exitCode == -1);
            if (action) {
                EXPECT_FALSE(action->Created());
            }
            undone = Run([&] { action.reset(); });  // not committed
        }
        EXPECT_EQ(made.exitCode, c.exitCode);
        EXPECT_EQ(made.error, "");
        EXPECT_EQ(made.lines, c.lines);
        EXPECT_EQ(undone.lines, Lines{});
        EXPECT_EQ(Options().UninstallParams, "\"-shareResWith=Dorvask\"");
        EXPECT_TRUE(IsFolder(link));
        if (c.interactive) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Warning: creating shortcut '" + link + "' failed.\nReason: " + reason +
                                         ".\nDo you want to continue with the installation anyway?");
            EXPECT_EQ(boxes[0].caption, "Creating Shortcut Failed");
            EXPECT_EQ(boxes[0].style, 0x34u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

TEST_F(ShortcutActionTest, AShortcutInAMissingFolderFailsToSave) {
    const std::string link = Path("missing\\Quarnelix.lnk");
    SetMode(false, true);
    Outcome made = Run([&] { ShortcutAction action(link, m_target, "", "", "", "", 0); });
    EXPECT_EQ(made.lines, (Lines{"Creating shortcut " + link,
                                 "Warning: creating shortcut " + link + "' failed: IPersistFile::Save() failed"}));
    EXPECT_EQ(Options().UninstallParams, "");
}

// The shell link class registered at a library that does not exist: creating the link
// object fails with a COM error whose text ends in a full stop.
TEST_F(ShortcutActionTest, ACreationErrorIsShownWithoutItsFullStop) {
    SavedRegValue server(HKEY_LOCAL_MACHINE,
                         "Software\\Classes\\CLSID\\{00021401-0000-0000-C000-000000000046}\\InprocServer32", "");
    server.SetString("C:\\qx-no-such-folder\\no-such-shell.dll");

    // The provoked failure as the installer's COM wrapper reports it.
    std::string message;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        ComInstance<IShellLinkA> probe(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA);
    } catch (const WWLib::ComException& e) {
        message = e.what();
    }
    CoUninitialize();

    // Wine refuses the load with E_ACCESSDENIED, whose text ends in a full stop.
    ASSERT_EQ(message, "CoCreateInstance() failed: COM error: -2147024891: General access denied error.");
    const std::string reason = "CoCreateInstance() failed: COM error: -2147024891: General access denied error";

    const std::string link = Path("Quarnelix.lnk");
    SetMode(false, false);
    Outcome aborted = Run([&] { Make(link); });
    EXPECT_EQ(aborted.exitCode, 105);
    EXPECT_EQ(aborted.lines,
              (Lines{"Creating shortcut " + link, "Creating shortcut '" + link + "' failed: " + reason + ", aborting"}));

    SetMode(true, false);
    answer = IDNO;
    Outcome refused = Run([&] { Make(link); });
    EXPECT_EQ(refused.exitCode, 105);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Warning: creating shortcut '" + link + "' failed.\nReason: " + reason +
                                 ".\nDo you want to continue with the installation anyway?");
    EXPECT_EQ(Options().UninstallParams, "");
    EXPECT_FALSE(IsFile(link));
}

TEST_F(ShortcutActionTest, AnUndeletableLinkIsReportedAndScheduledForRestart) {
    for (bool interactive : {true, false}) {
        const std::string link = Path(interactive ? "held1.lnk" : "held2.lnk");
        SetMode(interactive, false);
        boxes.clear();
        std::unique_ptr<ShortcutAction> action;
        Run([&] { action = Make(link); });
        ASSERT_TRUE(IsFile(link));
        // Open elsewhere without FILE_SHARE_DELETE: the deletion is refused.
        FileHandle held(CreateFileA(link.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
        Outcome undone = Run([&] { action.reset(); });
        held.Reset();
        const std::string reason = WinErrorText(ERROR_SHARING_VIOLATION);
        EXPECT_EQ(undone.lines, (Lines{"Rollback: removing previously created shortcut " + link,
                                       "Shortcut deletion failed: " + reason, "Scheduling remove shortcut on reboot"}));
        if (interactive) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Unable to remove previously created '" + link + "'.\nReason: " + reason +
                                         "\nThe shortcut will be scheduled for removal on reboot.");
            EXPECT_EQ(boxes[0].caption, "Shortcut Removal Failed");
            EXPECT_EQ(boxes[0].style, 0x10u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        EXPECT_TRUE(IsFile(link));
        EXPECT_TRUE(ActionTest::IsScheduledForRestart(link));
    }
}

TEST_F(ShortcutActionTest, AnEarlierScheduledDeletionOfTheLinkIsCancelledUntilRollback) {
    for (bool commit : {true, false}) {
        const std::string link = Path(commit ? "Quarnelix.lnk" : "Other.lnk");
        ASSERT_TRUE(DeleteAtRestart(link));  // never existed: found by its full name
        std::unique_ptr<ShortcutAction> action;
        Run([&] { action = Make(link); });
        EXPECT_FALSE(ActionTest::IsScheduledForRestart(link));
        if (commit) action->Commit();
        Run([&] { action.reset(); });
        EXPECT_EQ(ActionTest::IsScheduledForRestart(link), !commit) << link;
        CancelDeleteAtRestart(link);
    }
}

// Runs code on a thread of its own, so COM starts there uninitialised whatever other
// tests did on the main thread.
template <class F>
void OnNewThread(F code) {
    struct Call {
        static DWORD WINAPI Run(void* p) {
            (*static_cast<F*>(p))();
            return 0;
        }
    };
    KernelHandle thread(CreateThread(nullptr, 0, &Call::Run, &code, 0, nullptr));
    ASSERT_NE(thread.Get(), nullptr);
    WaitForSingleObject(thread.Get(), INFINITE);
}

// A thread already in the multithreaded apartment keeps its COM: the refused
// apartment-threaded initialisation must not be balanced by an uninitialisation.
TEST_F(ShortcutActionTest, LeavesTheCallersComInitialisationAlone) {
    const std::string link = Path("Quarnelix.lnk");
    HRESULT first = E_FAIL, again = E_FAIL;
    Outcome made = Run([&] {
        OnNewThread([&] {
            first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            Make(link)->Commit();
            // Still initialised by the thread's own call: a further one only counts up.
            again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(again)) CoUninitialize();
            if (SUCCEEDED(first)) CoUninitialize();
        });
    });
    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(made.lines, Lines{"Creating shortcut " + link});
    EXPECT_TRUE(IsFile(link));
    EXPECT_EQ(again, S_FALSE);
}

TEST_F(ShortcutActionTest, ComIsReleasedAfterEachShortcut) {
    const std::string link = Path("Quarnelix.lnk");
    HRESULT fresh = E_FAIL;
    Run([&] {
        OnNewThread([&] {
            Make(link)->Commit();
            // Nothing left initialised on this thread: this initialisation is a fresh one.
            fresh = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(fresh)) CoUninitialize();
        });
    });
    EXPECT_TRUE(IsFile(link));
    EXPECT_EQ(fresh, S_OK);
}

}  // namespace
