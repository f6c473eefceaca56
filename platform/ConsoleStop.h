#pragma once
// Ctrl+C, Ctrl+Break and closing the console ask the run to stop: the next change the run
// is about to make throws instead, so the run ends through its ordinary rollback. Logoff
// and shutdown are left to the system, which gives too little time for a rollback: the
// run record lets the next run undo what was done.
void InstallConsoleStopHandler();
// Throws InstallError once a stop was asked for.
void ThrowIfStopRequested();
