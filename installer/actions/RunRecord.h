#pragma once
// The run record: a file that holds, while an installation runs, every change the run is
// about to make, each entered and flushed to disk before the change (RunRecordFormat.h).
// An in-process rollback applies the entries of the failed run's actions; a later run that
// finds a record whose run was cut short (killed, power loss, logoff) applies the same
// entries through the same rules (UndoEntries) before it does anything else.
//
// Place: "<Windows folder>\Arvendo Quarnelix <user>.qxrun", or the same name in the
// temporary folder where the Windows folder cannot be written to. Both survive a restart
// on 9x and NT, and the user's name in the file name and the header keeps one user's
// record from being taken for another's.
#include "installer/actions/RunRecordFormat.h"
#include "platform/Handles.h"

#include <string>
#include <vector>

class RunRecord {
public:
    // Opens a fresh record; while it lives, every action's entries go into it. Throws
    // InstallError when no record can be written: no change is made without one.
    RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;
    // Deletes the record: by now the run has either committed or undone its actions.
    ~RunRecord();

    // Writes the line and flushes it; throws InstallError when either fails. Nothing
    // when no record is open (the actions' own tests run without one).
    static void Enter(const UndoEntry& entry);
    // From here on the run counts as done: a stop leaves only the cleanup to the next run.
    void MarkCommitted();

private:
    void Write(const std::string& line);

    FileHandle m_file;
    std::string m_path;
    RunRecord* m_previous;
};

// Looks for this user's record of a run that is no longer running (the caller holds the
// run mutex, so no record found can be a live run's). When one is found, prints
// "An interrupted installation is being undone" and undoes it, or, when it had committed,
// finishes its cleanup; then deletes it. Stopped halfway, it does the same again next time.
void RecoverInterruptedRun();

// The undo rules, newest entry first; never throws, reports what fails.
void UndoEntries(const std::vector<UndoEntry>& entries) noexcept;
// The commit rules: files kept aside go.
void KeepEntries(const std::vector<UndoEntry>& entries) noexcept;
