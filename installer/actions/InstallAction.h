#pragma once
// Base of every recorded change to the machine. A derived constructor enters each change
// it is about to make (Record: the run record on disk and the action's own list) and then
// makes it; its destructor applies the undo rules to its entries unless the action was
// committed or the run was started with -noRollback. The driver holds the actions as
// scoped objects, so an exception that leaves the sequence undoes them newest first.
#include "installer/actions/RunRecordFormat.h"

#include <cstddef>
#include <string>
#include <vector>

class InstallAction;

// The actions of one installation sequence. While a journal lives, every action built
// registers with it, so committing the journal commits them all and none can be left
// out. Actions built with no journal alive (as the tests do) stay unregistered.
class ActionJournal {
public:
    ActionJournal();
    ActionJournal(const ActionJournal&) = delete;
    ActionJournal& operator=(const ActionJournal&) = delete;
    ~ActionJournal();

    // Commits every registered action still alive, oldest first.
    void CommitAll();
    std::size_t Size() const { return m_actions.size(); }

private:
    friend class InstallAction;
    static ActionJournal* s_current;

    ActionJournal* m_previous;
    std::vector<InstallAction*> m_actions;
};

class InstallAction {
public:
    InstallAction();
    InstallAction(const InstallAction&) = delete;
    InstallAction& operator=(const InstallAction&) = delete;
    virtual ~InstallAction();

    // Keeps the change: destruction then only frees memory.
    virtual void Commit();
    bool IsCommitted() const { return m_committed; }

protected:
    // For destructors: true when the change must be undone now.
    bool ShouldUndo() const;

    // Enters a change before it is made; throws InstallError when the record cannot be
    // written, or when the user stopped the run (Ctrl+C, the console closed).
    void Record(UndoEntry entry);
    // The undo rules on this action's entries, newest first; then it holds none.
    void UndoRecorded() noexcept;
    // The commit rules on them: what was kept aside goes.
    void KeepRecorded() noexcept;
    // Renames the file at path aside within its folder (copies it, when it cannot be
    // renamed), entering it first; returns the name it waits under, or "" when path is
    // missing or a folder. Throws InstallError when it can be neither renamed nor copied.
    std::string KeepAside(const std::string& path);
    // Before a file is written at path: one that exists is overwritten only when allowed
    // (ConfirmOverwrite) and kept aside; a new one is entered for deletion.
    void EnterFileWrite(const std::string& path);

    std::vector<UndoEntry> m_entries;

private:
    friend class ActionJournal;

    bool m_committed = false;
    ActionJournal* m_journal;
};
