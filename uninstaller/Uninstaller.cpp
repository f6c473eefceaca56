#include "uninstaller/Uninstaller.h"

#include "NoCrtLib/Console.h"
#include "platform/StructuredException.h"
#include "platform/VersionTriple.h"
#include "platform/WindowsVersionInfo.h"
#include "ui/Prompt.h"
#include "uninstaller/HandshakeReply.h"
#include "platform/Handles.h"
#include "uninstaller/TempCopy.h"
#include "uninstaller/UninstallPlan.h"
#include "uninstaller/UninstallerCommand.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace {

// How long a copy waits for its original to exit before it starts anyway (the files it
// cannot remove then go at the next restart).
const DWORD OriginalExitWait = 30000;

std::string Items(unsigned count) { return std::to_string(count) + (count == 1 ? " item" : " items"); }

// The copy answers the installer on every way out, failures included.
class ReplyOnExit {
public:
    explicit ReplyOnExit(HandshakeReply* reply) : m_reply(reply) {}
    ReplyOnExit(const ReplyOnExit&) = delete;
    ReplyOnExit& operator=(const ReplyOnExit&) = delete;
    ~ReplyOnExit() {
        if (!m_reply) return;
        if (!m_reply->Write(static_cast<std::uint32_t>(m_result)))
            ConsoleLine("Handing the result back failed: the shared block cannot be written");
        m_reply->Signal();
    }
    void SetResult(int result) { m_result = result; }

private:
    HandshakeReply* m_reply;
    int m_result = UninstallFailed;
};

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
            if (RunsFromInside(*plan) && HandOn(handedOn)) return handedOn;
        }

        ConsoleLine("Uninstalling " + m_name);
        PlanExecutor executor(*plan, registration->InstallDir(), m_settings.places);
        const PlanExecutor::Outcome outcome = executor.Run();
        return Finish(outcome);
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

    // Started by a short path, the module's name is in its short form; the items have the
    // long one.
    static bool RunsFromInside(const UninstallPlan& plan) {
        char own[MAX_PATH + 1];
        const DWORD n = GetModuleFileNameA(nullptr, own, sizeof own);
        if (n == 0 || n >= sizeof own) return false;
        if (plan.Removes(own)) return true;
        const std::string ownShort = ShortPath(own);
        if (ownShort.empty()) return false;
        for (const std::string& file : plan.Files())
            if (EqualsIgnoringCase(ShortPath(file), ownShort)) return true;
        return false;
    }

    // True when a temporary copy took the work over; result is then this process's exit
    // code: 1 with the installer's handshake, else the copy's own exit code.
    bool HandOn(int& result) {
        const bool exitAtOnce = m_reply && m_reply->Usable(UninstallFailed);
        KernelHandle process;
        std::string failure;
        if (!TempCopy::Start(m_command, exitAtOnce, process, failure)) {
            ConsoleLine("Starting a temporary copy of the uninstaller failed: " + failure);
            ConsoleLine("The uninstaller goes on by itself; its own file goes at the next restart");
            return false;
        }
        if (exitAtOnce) {
            result = UninstallHandedOn;
            return true;
        }
        DWORD code = UninstallFailed;
        if (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.Get(), &code))
            code = UninstallFailed;
        result = static_cast<int>(code);
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
    // A copy answers through the block only when its original exited at once (and said so
    // with its process handle); an original that waits takes the copy's exit code.
    ReplyOnExit answer(command->IsTempCopy() && command->OriginalProcess() != 0 ? reply.get() : nullptr);

    if (command->IsTempCopy() && command->OriginalProcess() != 0) {
        KernelHandle original(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(command->OriginalProcess())));
        WaitForSingleObject(original.Get(), OriginalExitWait);
    }

    Run run(*command, settings, reply.get());
    int result = UninstallFailed;
    try {
        result = run.Execute();
    } catch (const std::exception& e) {
        run.Report(std::string("Uninstallation failed: ") + e.what(), Prompt::ErrorStyle);
    } catch (...) {
        run.Report("Uninstallation failed: unrecognized exception", Prompt::ErrorStyle);
    }
    answer.SetResult(result);
    return result;
}

int RunUninstallerProcess() {
    InstallExceptionTranslators();
    UninstallerSettings settings;
    settings.places.ntFamily = ProcessVersionInfo().WindowsVersion().a != PlatformWin9x;
    // No current folder of ours may keep the installation folder from going.
    char temp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n > 0 && n < sizeof temp) SetCurrentDirectoryA(temp);
    const wchar_t* text = GetCommandLineW();
    return RunUninstaller(text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string(), settings);
}
