#include "uninstaller/Uninstaller.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "platform/AnsiPath.h"
#include "platform/DeferredDeletion.h"
#include "platform/DllSearchPath.h"
#include "platform/HandshakeBlock.h"
#include "platform/Handles.h"
#include "platform/StructuredException.h"
#include "platform/VersionTriple.h"
#include "platform/WindowsVersionInfo.h"
#include "ui/Prompt.h"
#include "uninstaller/CopyAnswer.h"
#include "uninstaller/HandshakeReply.h"
#include "uninstaller/TempCopy.h"
#include "uninstaller/UninstallPlan.h"
#include "uninstaller/UninstallerCommand.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

static_assert(HandshakeHelperEnded == UninstallFailed, "the installer counts a silent copy as the failure");

namespace {

// How long a copy waits for its original to exit before it starts anyway (the files it
// cannot remove then go at the next restart), or, after answering a waiting original,
// before it gives up deleting the original's moved file at once.
const DWORD OriginalExitWait = 30000;

std::string Items(unsigned count) { return std::to_string(count) + (count == 1 ? " item" : " items"); }

// The copy answers (the installer, or its waiting original) on every way out, failures
// included.
class ReplyOnExit {
public:
    explicit ReplyOnExit(HandshakeReply* reply) : m_reply(reply) {}
    ReplyOnExit(const ReplyOnExit&) = delete;
    ReplyOnExit& operator=(const ReplyOnExit&) = delete;
    ~ReplyOnExit() { Send(UninstallFailed); }
    void Send(int result) {
        if (!m_reply) return;
        if (!m_reply->Write(static_cast<std::uint32_t>(result)))
            ConsoleLine("Handing the result back failed: the shared block cannot be written");
        m_reply->Signal();
        m_reply = nullptr;
    }

private:
    HandshakeReply* m_reply;
};

// Started by the short name of a folder without an ANSI name, the module still has the long
// one (so Wine), which the ANSI calls cannot reach: the moved-aside file goes beside it.
std::string OwnFile() {
    try {
        return AnsiPath::OwnModule();
    } catch (const AnsiPath::Err&) {
        return std::string();
    }
}

class Run {
public:
    Run(const UninstallerCommand& command, const UninstallerSettings& settings, HandshakeReply* reply)
        : m_command(command), m_settings(settings), m_reply(reply) {}

    int Execute() {
        std::unique_ptr<UninstallRegistration> registration;
        std::unique_ptr<UninstallPlan> plan;
        try {
            registration = std::make_unique<UninstallRegistration>(m_settings.uninstallParent, m_command.KeyName());
            m_name = registration->ProductName();
            try {
                plan = std::make_unique<UninstallPlan>(UninstallPlan::Parse(registration->Params()));
            } catch (const UninstallPlan::Err& e) {
                throw UninstallRegistration::Err(registration->KeyPath(), e.what());
            }
        } catch (const UninstallRegistration::Err& e) {
            Report(e.what(), Prompt::ErrorStyle);
            return UninstallLoadFailed;
        }

        if (!m_command.IsTempCopy()) {
            if (!m_command.Unattended() && !Confirm()) {
                ConsoleLine("Uninstallation canceled by user; nothing was removed");
                return UninstallFailed;
            }
            int handedOn = 0;
            const std::string ownItem = OwnItem(*plan);
            if (!ownItem.empty() && HandOn(ownItem, handedOn)) return handedOn;
        }

        ConsoleLine("Uninstalling " + m_name);
        // Before anything goes: a run cut short is then known as one by the next installer.
        registration->MarkRemovalStarted();
        PlanExecutor executor(*plan, registration->InstallDir(), m_settings.places);
        executor.RemoveLast(registration->UninstallerFile(), registration->KeyPath());
        FileTypeOwners owners;
        if (registration->PreviousOwners(owners))
            executor.RestoreOwners(owners);
        else
            ConsoleLine("The earlier owners of the file associations in " + registration->KeyPath() +
                        " are unreadable; the associations are removed");
        const std::string own = OwnFile();
        // Beside the copy: on the temporary folder's volume, under a name of this process.
        if (m_command.OriginalWaits() && !own.empty())
            executor.MoveAsideWhenBusy(m_command.OriginalFile(), own + ".old");
        const PlanExecutor::Outcome outcome = executor.Run();
        if (executor.MovedAside()) m_movedAside = own + ".old";
        return Finish(outcome);
    }

    // The original's file, moved out of the installation folder while the original
    // waited; it can go once the original has ended.
    void RemoveMovedOriginal(HANDLE original) {
        if (m_movedAside.empty()) return;
        WaitForSingleObject(original, OriginalExitWait);
        if (DeleteFileA(m_movedAside.c_str())) {
            CancelDeleteAtRestart(m_movedAside);
            return;
        }
        if (DeleteAtRestart(m_movedAside))
            ConsoleLine("File " + m_movedAside + " will be removed at the next restart");
        else
            ConsoleLine("Scheduling " + m_movedAside + " for removal at the next restart failed: " +
                        WinErrorText(GetLastError()));
    }

    void Report(const std::string& text, unsigned style) {
        ConsoleLine(text);
        if (!m_command.Unattended()) Prompt::ShowBox(text, Caption(), style);
    }

private:
    std::string Caption() const { return "Uninstall " + (m_name.empty() ? m_command.KeyName() : m_name); }

    bool Confirm() {
        return Prompt::ShowBox("Do you want to remove " + m_name + " from this computer?", Caption(),
                               MB_YESNO | MB_ICONQUESTION) == IDYES;
    }

    static std::string ShortPath(const std::string& path) {
        char buffer[MAX_PATH + 1];
        const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
        return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
    }

    // The plan's item for this program's own file when the plan removes it, else empty.
    // Started by a short path, the module's name is in its short form; the items have the
    // long one.
    static std::string OwnItem(const UninstallPlan& plan) {
        const std::string own = OwnFile();
        if (own.empty()) return std::string();
        const std::string ownShort = ShortPath(own);
        for (const std::string& file : plan.Files())
            if (EqualsIgnoringCase(file, own) || (!ownShort.empty() && EqualsIgnoringCase(ShortPath(file), ownShort)))
                return file;
        // Inside a folder the plan removes, but not one of its files.
        return plan.Removes(own) ? own : std::string();
    }

    // True when a temporary copy took the work over; result is then this process's exit
    // code: 1 with the installer's handshake, else the answer of the copy, which has
    // done everything, this program's own file included, by the time it answers.
    bool HandOn(const std::string& ownItem, int& result) {
        const bool exitAtOnce = m_reply && m_reply->Usable(UninstallFailed);
        KernelHandle process;
        std::string failure;
        std::unique_ptr<CopyAnswer> answer;
        UninstallerCommand::Answer given{0, 0, AnsiToWide(ownItem)};
        if (!exitAtOnce) {
            answer = std::make_unique<CopyAnswer>(failure);
            given.resultHandle = answer->ResultHandle();
            given.doneHandle = answer->DoneHandle();
        }
        if (!failure.empty() || !TempCopy::Start(m_command, exitAtOnce ? nullptr : &given, process, failure)) {
            ConsoleLine("Starting a temporary copy of the uninstaller failed: " + failure);
            ConsoleLine("The uninstaller goes on by itself; its own file goes at the next restart");
            return false;
        }
        if (exitAtOnce) {
            // So that the installer stops waiting should the copy end without answering.
            m_reply->TellHelper(process.Get());
            result = UninstallHandedOn;
        } else {
            result = static_cast<int>(answer->Wait(process.Get()));
        }
        return true;
    }

    int Finish(const PlanExecutor::Outcome& outcome) {
        std::string summary;
        int result;
        if (outcome.failed == 0) {
            result = UninstallRemoved;
            summary = m_name + " has been removed";
            if (outcome.scheduled) summary += "; " + Items(outcome.scheduled) + " will be removed at the next restart";
        } else {
            result = UninstallFailed;
            summary = m_name + " could not be removed completely: " + Items(outcome.failed) +
                      (outcome.failed == 1 ? " was" : " were") + " neither removed nor scheduled for removal";
        }
        ConsoleLine(summary);
        if (!m_command.Unattended()) {
            std::string text = summary + ".";
            if (!outcome.notes.empty()) text += "\n";
            for (const std::string& note : outcome.notes) text += "\n" + note;
            Prompt::ShowBox(text, Caption(), result == UninstallRemoved ? Prompt::InformationStyle : Prompt::ErrorStyle);
        }
        return result;
    }

    const UninstallerCommand& m_command;
    const UninstallerSettings& m_settings;
    HandshakeReply* m_reply;
    std::string m_name;
    std::string m_movedAside;
};

}  // namespace

int RunUninstaller(const std::u16string& commandLine, const UninstallerSettings& settings) {
    std::unique_ptr<UninstallerCommand> command;
    try {
        command = std::make_unique<UninstallerCommand>(commandLine);
    } catch (const CmdLine::Err& e) {
        ConsoleLine(std::string(e.what()) + "\n");
        ConsoleLine(UninstallerCommand::Usage());
        return UninstallLoadFailed;
    }

    std::unique_ptr<HandshakeReply> reply;
    if (command->HasHandshake()) reply = std::make_unique<HandshakeReply>(command->ResultHandle(), command->DoneHandle());
    // A copy answers its waiting original through the original's own block, or the
    // installer through its block when the original exited at once.
    std::unique_ptr<HandshakeReply> originalReply;
    if (command->OriginalWaits())
        originalReply = std::make_unique<HandshakeReply>(command->CopyResultHandle(), command->CopyDoneHandle());
    const bool originalExited = command->IsTempCopy() && command->OriginalProcess() != 0 && !command->OriginalWaits();
    ReplyOnExit answer(command->OriginalWaits() ? originalReply.get() : originalExited ? reply.get() : nullptr);

    KernelHandle original;
    if (command->IsTempCopy() && command->OriginalProcess() != 0)
        original.Reset(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(command->OriginalProcess())));
    if (originalExited) WaitForSingleObject(original.Get(), OriginalExitWait);

    Run run(*command, settings, reply.get());
    int result = UninstallFailed;
    try {
        result = run.Execute();
    } catch (const std::exception& e) {
        run.Report(std::string("Uninstallation failed: ") + e.what(), Prompt::ErrorStyle);
    } catch (...) {
        run.Report("Uninstallation failed: unrecognized exception", Prompt::ErrorStyle);
    }
    answer.Send(result);
    if (original) run.RemoveMovedOriginal(original.Get());
    return result;
}

int RunUninstallerProcess() {
    // Run elevated, the copy from the temporary folder: no library by name from there.
    RestrictDllSearchPath();
    InstallExceptionTranslators();
    UninstallerSettings settings;
    settings.places.ntFamily = ProcessVersionInfo().WindowsVersion().a != PlatformWin9x;
    // No current folder of ours may keep the installation folder from going.
    try {
        SetCurrentDirectoryA(AnsiPath::TempFolder().c_str());
    } catch (const AnsiPath::Err&) {
        // The folder it was started in stays current; at worst the installation folder then stays.
    }
    const wchar_t* text = GetCommandLineW();
    return RunUninstaller(text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string(), settings);
}
