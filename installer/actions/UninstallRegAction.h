#pragma once
// Registers the installed product in Windows' list of installed programs, under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<key name>,
// storing the finished uninstall parameter string; rollback deletes the key, or puts
// back every value of a registration that was there before. Runs last among the actions
// so the string it stores is complete.
#include "installer/actions/InstallAction.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class UninstallRegAction : public InstallAction {
public:
    // Reads the installation folder, the uninstaller path and the parameter string from
    // Options(). A failure is offered to the user (or decided by -force): the run goes on
    // without the registration, or ends with SilentExit 113.
    UninstallRegAction(const std::string& keyName, const std::string& displayName, const std::string& version);
    ~UninstallRegAction() override;

    // Below HKEY_LOCAL_MACHINE.
    const std::string& KeyPath() const { return m_keyPath; }
    // Set once every value is written: rollback is then pending.
    bool Registered() const { return m_registered; }

    struct SavedValue {
        std::string name;
        unsigned long type;
        std::vector<uint8_t> data;
    };

    // Every value of an open key, any type, as stored; a Windows error code.
    static long ReadValues(HKEY key, std::vector<SavedValue>& values);
    // Values in an entry as name, type and hex data fields, and back from field from on
    // (false when the data is damaged).
    static void AppendValues(UndoEntry& entry, const std::vector<SavedValue>& values);
    static bool ValuesOf(const UndoEntry& entry, std::size_t from, std::vector<SavedValue>& values);

    // The undo rule of a registration entry (key below HKEY_LOCAL_MACHINE, "1" when it
    // existed, then name, type and hex data of each value it had).
    static void Undo(const UndoEntry& entry) noexcept;

private:
    // The saved values back in place of the key's present ones; a Windows error code.
    static long PutBackPrevious(const std::string& keyPath, const std::vector<SavedValue>& previous);

    std::string m_keyPath;
    bool m_registered = false;
    bool m_hadPrevious = false;  // the key existed: its values are in the entry
};
