#pragma once
// Base of every recorded change to the machine. A derived constructor makes the change
// and records what it replaced; its destructor undoes the change unless the action was
// committed or the run was started with -noRollback. The driver holds the actions as
// scoped objects, so an exception that leaves the sequence undoes them newest first.
#include <cstddef>
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

private:
    friend class ActionJournal;

    bool m_committed = false;
    ActionJournal* m_journal;
};
