#pragma once
// One shell shortcut (.lnk), made through the shell's link object and deleted again on
// rollback; a link that was there before is kept aside and put back instead. A shortcut
// that cannot be saved is offered to the user (or decided by -force) and then either
// left out or ends the run with SilentExit 105.
#include "installer/actions/InstallAction.h"

#include <cstdint>
#include <string>

class ShortcutAction : public InstallAction {
public:
    // Empty arguments, workingFolder or description leave those properties unset; an
    // empty iconFile uses the target's own icon at iconIndex. Appends "-delFile=<linkPath>"
    // only once the link is saved.
    ShortcutAction(const std::string& linkPath, const std::string& targetPath, const std::string& arguments,
                   const std::string& workingFolder, const std::string& description, const std::string& iconFile,
                   int32_t iconIndex);
    ~ShortcutAction() override;

    // Also deletes the link kept aside.
    void Commit() override;

    const std::string& Path() const { return m_path; }
    // False when saving failed and the run went on without the shortcut.
    bool Created() const { return m_created; }

    // Rollback of a link this action made. Never throws.
    static void RemoveShortcut(const std::string& path);

private:
    std::string m_path;
    bool m_created = false;
};
