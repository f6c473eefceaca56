#pragma once
// Points a file-name extension at a ProgID below HKEY_LOCAL_MACHINE\SOFTWARE\Classes and
// describes the ProgID (description, icon, verbs). Rollback puts the extension's previous
// association back; when it had none, it deletes the extension key this action created,
// or only the default value of a key that was already there. It also deletes the ProgID
// key and its subkeys when this action made them; a ProgID key that was there stays.
#include "installer/actions/FileAssocPlan.h"
#include "installer/actions/InstallAction.h"

#include <string>

class FileAssocAction : public InstallAction {
public:
    // A failure is offered to the user (or decided by -force): the run goes on with what
    // was written so far, or ends with SilentExit 112.
    FileAssocAction(const std::string& progId, const std::string& extension, const std::string& description,
                    const std::string& icon, const FileAssocVerbs& verbs);
    ~FileAssocAction() override;

    // The extension's default value before this action ("" when there was none).
    const std::string& PreviousValue() const { return m_previousValue; }
    // Set once the extension points at the ProgID: rollback is then pending.
    bool Registered() const { return m_registered; }

    // The undo rule of an association entry (extension, previous value, "1" when the
    // extension key existed, ProgID, "1" when the ProgID key was made).
    static void Undo(const UndoEntry& entry) noexcept;

private:
    static void Report(bool restoring, const std::string& extension, const std::string& reason);

    std::string m_extension;
    std::string m_extensionKey;  // full name, "HKEY_LOCAL_MACHINE\SOFTWARE\Classes\<extension>"
    std::string m_previousValue;
    bool m_registered = false;
};
