#include "installer/actions/InstallAction.h"

#include "installer/InstallOptions.h"

void InstallAction::Commit() { m_committed = true; }

bool InstallAction::ShouldUndo() const { return !m_committed && !Options().noRollback; }
