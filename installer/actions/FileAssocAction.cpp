#include "installer/actions/FileAssocAction.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/WWLibExceptions.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "installer/actions/UninstallParams.h"
#include "platform/RegKey.h"
#include "ui/Prompt.h"

#include <windows.h>

#include <exception>

FileAssocAction::FileAssocAction(const std::string& progId, const std::string& extension,
                                 const std::string& description, const std::string& icon,
                                 const FileAssocVerbs& verbs)
    : m_extension(extension),
      m_extensionKey(ClassesKeyFullName(extension)) {
    // Any failure to read (usually: no such key) means there is nothing to put back.
    RegKey(m_extensionKey, RegKey::Flavour::Status).ReadString("", false, m_previousValue);
    const bool createsProgId = RegKey(HKEY_LOCAL_MACHINE, JoinPath(ClassesSubKey, progId), KEY_READ,
                                      RegKey::Flavour::Status).Code() == ERROR_FILE_NOT_FOUND;
    const bool keyExisted = RegKey(HKEY_LOCAL_MACHINE, JoinPath(ClassesSubKey, extension), KEY_READ,
                                   RegKey::Flavour::Status).Code() != ERROR_FILE_NOT_FOUND;
    ConsoleLine(FileAssocAnnouncement(m_extension, m_previousValue));
    Record({UndoKind::Association,
            {extension, m_previousValue, keyExisted ? "1" : "0", progId, createsProgId ? "1" : "0"}});

    try {
        for (const FileAssocStep& step : FileAssocSteps(progId, extension, description, icon, verbs)) {
            if (step.kind == FileAssocStep::AppendDelRegKey) {
                AppendUninstallParam("delRegKey", ClassesKeyFullName(step.key));
                continue;
            }
            RegWriteString(HKEY_LOCAL_MACHINE, JoinPath(ClassesSubKey, step.key), "", step.value, false);
            if (step.key == extension) {
                m_registered = true;
                // Our own ProgID there is a leftover of an earlier installation, not an owner.
                if (!m_previousValue.empty() && !EqualsIgnoringCase(m_previousValue, progId))
                    Options().previousFileTypes.push_back({extension, m_previousValue});
            }
        }
    } catch (const std::exception& e) {
        Prompt::ContinueOrAbort(FileAssocFailureQuestion(m_extension, e.what()), PromptMode());
    }
}

FileAssocAction::~FileAssocAction() {
    if (m_registered && ShouldUndo()) UndoRecorded();
}

// An extension that names another ProgID now is left alone: this run never wrote it, or
// another program took it since. One that cannot be read is put back all the same.
void FileAssocAction::Undo(const UndoEntry& entry) noexcept {
    const std::string& extension = entry.Field(0);
    const std::string& previousValue = entry.Field(1);
    const bool keyExisted = entry.Field(2) == "1";
    const std::string& progId = entry.Field(3);
    const bool createsProgId = entry.Field(4) == "1";
    const bool restoring = !previousValue.empty();
    try {
        std::string current;
        RegKey now(HKEY_LOCAL_MACHINE, JoinPath(ClassesSubKey, extension), KEY_READ, RegKey::Flavour::Status);
        const bool read = now.ReadString("", false, current);
        const bool missing = now.Code() == ERROR_FILE_NOT_FOUND;
        RegKey progIdKey(ClassesKeyFullName(progId), RegKey::Flavour::Status);
        const bool ours = read ? current == progId : !(missing && !keyExisted && !restoring);
        const bool progIdMade = createsProgId && progIdKey.Code() != ERROR_FILE_NOT_FOUND;
        if (!ours && !progIdMade) return;
        ConsoleLine("Rollback: removing previously created file association for extension " + extension);
        if (ours) {
            try {
                RegKey key(ClassesKeyFullName(extension));
                if (restoring) {
                    key.WriteString("", previousValue, false);
                } else if (!keyExisted) {
                    key.Delete(false);
                } else {
                    // A key that was there without an association may hold other values
                    // (content type and the like): only what this action wrote goes.
                    key.DeleteValue("");
                }
            } catch (const std::exception& e) {
                Report(restoring, extension, e.what());
            }
        }
        // The ProgID's keys this run made go too; one that was there before stays.
        if (progIdMade && !progIdKey.Delete(true) && progIdKey.Code() != ERROR_FILE_NOT_FOUND)
            Report(false, extension, WWLib::RegException(progIdKey).what());
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
}

void FileAssocAction::Report(bool restoring, const std::string& extension, const std::string& reason) {
    const FileAssocUndoFailure report = FileAssocUndoFailureReport(restoring, extension, reason);
    ConsoleLine(report.line);
    Prompt::ReportError(report.boxText, report.caption, PromptMode());
}
