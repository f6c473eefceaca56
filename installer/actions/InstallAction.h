#pragma once
// Base of every recorded change to the machine. A derived constructor makes the change
// and records what it replaced; its destructor undoes the change unless the action was
// committed or the run was started with -noRollback. The driver holds the actions as
// scoped objects, so an exception that leaves the sequence undoes them newest first.

class InstallAction {
public:
    InstallAction() = default;
    InstallAction(const InstallAction&) = delete;
    InstallAction& operator=(const InstallAction&) = delete;
    virtual ~InstallAction() = default;

    // Keeps the change: destruction then only frees memory.
    virtual void Commit();
    bool IsCommitted() const { return m_committed; }

protected:
    // For destructors: true when the change must be undone now.
    bool ShouldUndo() const;

private:
    bool m_committed = false;
};
