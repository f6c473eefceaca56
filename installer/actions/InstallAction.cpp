#include "installer/actions/InstallAction.h"

#include "installer/InstallOptions.h"

#include <algorithm>

ActionJournal* ActionJournal::s_current = nullptr;

ActionJournal::ActionJournal() : m_previous(s_current) { s_current = this; }

ActionJournal::~ActionJournal() {
    for (InstallAction* action : m_actions) action->m_journal = nullptr;
    s_current = m_previous;
}

void ActionJournal::CommitAll() {
    for (InstallAction* action : m_actions)
        if (!action->IsCommitted()) action->Commit();
}

// Registered before the derived constructor makes its change: a failing registration
// leaves nothing to undo.
InstallAction::InstallAction() : m_journal(ActionJournal::s_current) {
    if (m_journal) m_journal->m_actions.push_back(this);
}

InstallAction::~InstallAction() {
    if (!m_journal) return;
    // Actions go newest first, so the search from the back is one step.
    std::vector<InstallAction*>& actions = m_journal->m_actions;
    auto found = std::find(actions.rbegin(), actions.rend(), this);
    if (found != actions.rend()) actions.erase(std::next(found).base());
}

void InstallAction::Commit() { m_committed = true; }

bool InstallAction::ShouldUndo() const { return !m_committed && !Options().noRollback; }
