#pragma once
// Carries out an uninstall plan: removes the files, then the folders, then the registry
// keys, each in item order, then takes the installation folder out of the search path.
// The registration's own uninstaller, the folders that hold it and the registration key go
// after all that, in this order, whatever their place among the items: a run cut short
// leaves the uninstaller and its registration to finish the work.
// A folder that still holds anything the plan does not remove is left in place, never
// emptied.
// Every step reports on the console; nothing throws past Run(). What cannot be removed
// now is scheduled for removal at the next restart.
#include "platform/UninstallRecord.h"
#include "uninstaller/UninstallPlan.h"

#include <cstddef>
#include <string>
#include <vector>

class PlanExecutor {
public:
    // Where the search path lives; tests point these at scratch keys and files.
    struct Places {
        std::string machineEnvironment =
            "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
        std::string userEnvironment = "HKEY_CURRENT_USER\\Environment";
        std::string autoexec = "C:\\AUTOEXEC.BAT";
        bool ntFamily = true;        // registry "PATH" values; otherwise the batch file
        bool broadcast = true;       // WM_SETTINGCHANGE after a changed "PATH" value
    };

    struct Outcome {
        unsigned failed = 0;       // items neither removed nor scheduled
        unsigned scheduled = 0;    // items removed at the next restart
        unsigned leftInPlace = 0;  // folders holding foreign files, associations taken over
        // The lines worth repeating in the closing message: every failure, scheduling
        // and item left in place.
        std::vector<std::string> notes;
    };

    PlanExecutor(const UninstallPlan& plan, const std::string& installDir, Places places);
    // A running program's file cannot be deleted, but it can be renamed within its
    // volume: when file cannot be deleted it is moved to aside instead, so its folder can
    // go now. Whoever runs the plan deletes aside once that program has ended.
    void MoveAsideWhenBusy(const std::string& file, const std::string& aside);
    // The items to remove last (see above); either may be "" or not among the items.
    void RemoveLast(const std::string& uninstallerFile, const std::string& registrationKey);
    // The extensions whose keys get their earlier owner back instead of being deleted.
    void RestoreOwners(const FileTypeOwners& owners) { m_owners = owners; }
    Outcome Run();
    // True when the file was moved to aside.
    bool MovedAside() const { return m_movedAside; }

private:
    void RemoveFile(const std::string& path);
    bool MoveAside(const std::string& path);
    void RemoveFolder(const std::string& path);
    void RemoveRegistryKey(const std::string& key);
    bool RestoresOwner(const std::string& key);
    bool SharedAssociationStillOurs(const std::string& key, const UninstallPlan::SharedAssociation& shared);
    void CleanRegistryPath(const std::string& place, bool& changed);
    void CleanAutoexec(const std::vector<std::string>& folderForms);
    void Schedule(const std::string& path, const std::string& what);
    bool ScheduledHere(const std::string& path) const;
    bool ComesLater(const std::string& folder) const;

    void Note(const std::string& line);   // printed and kept for the closing message
    void Fail(const std::string& line);   // the same, counted as a failure

    const UninstallPlan& m_plan;
    std::string m_installDir;
    Places m_places;
    Outcome m_outcome;
    std::vector<std::string> m_scheduled;
    std::vector<std::string> m_folderQueue;
    std::size_t m_folderIndex = 0;
    std::string m_busyFile;
    std::string m_aside;
    bool m_movedAside = false;
    std::string m_lastFile;
    std::string m_lastKey;
    FileTypeOwners m_owners;
};
