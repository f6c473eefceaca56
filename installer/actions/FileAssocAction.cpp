#include "installer/actions/FileAssocAction.h"

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
      m_extensionKey(ClassesKeyFullName(extension)),
      m_progIdKey(ClassesKeyFullName(progId)) {
    // Any failure to read (usually: no such key) means there is nothing to put back.
    RegKey(m_extensionKey, RegKey::Flavour::Status).ReadString("", false, m_previousValue);
    m_createsProgId = RegKey(HKEY_LOCAL_MACHINE, JoinPath(ClassesSubKey, progId), KEY_READ,
                             RegKey::Flavour::Status).Code() == ERROR_FILE_NOT_FOUND;
    ConsoleLine(FileAssocAnnouncement(m_extension, m_previousValue));

    try {
        for (const FileAssocStep& step : FileAssocSteps(progId, extension, description, icon, verbs)) {
            if (step.kind == FileAssocStep::AppendDelRegKey) {
                AppendUninstallParam("delRegKey", ClassesKeyFullName(step.key));
                continue;
            }
            const bool created =
                RegWriteString(HKEY_LOCAL_MACHINE, JoinPath(ClassesSubKey, step.key), "", step.value, false);
            if (step.key == extension) {
                m_registered = true;
                m_createdKey = created;
            }
        }
    } catch (const std::exception& e) {
        Prompt::ContinueOrAbort(FileAssocFailureQuestion(m_extension, e.what()), PromptMode());
    }
}

FileAssocAction::~FileAssocAction() {
    if (m_registered && ShouldUndo()) Rollback();
}

void FileAssocAction::Rollback() noexcept {
    const bool restoring = !m_previousValue.empty();
    try {
        ConsoleLine("Rollback: removing previously created file association for extension " + m_extension);
        try {
            RegKey key(m_extensionKey);
            if (restoring) {
                key.WriteString("", m_previousValue, false);
            } else if (m_createdKey) {
                key.Delete(false);
            } else {
                // A key that was there without an association may hold other values
                // (content type and the like): only what this action wrote goes.
                key.DeleteValue("");
            }
        } catch (const std::exception& e) {
            Report(restoring, e.what());
        }
        // The ProgID's keys this run made go too; one that was there before stays.
        if (m_createsProgId) {
            RegKey progId(m_progIdKey, RegKey::Flavour::Status);
            if (!progId.Delete(true) && progId.Code() != ERROR_FILE_NOT_FOUND)
                Report(false, WWLib::RegException(progId).what());
        }
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
}

void FileAssocAction::Report(bool restoring, const std::string& reason) {
    const FileAssocUndoFailure report = FileAssocUndoFailureReport(restoring, m_extension, reason);
    ConsoleLine(report.line);
    Prompt::ReportError(report.boxText, report.caption, PromptMode());
}
