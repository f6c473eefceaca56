#pragma once
// What one file association writes below HKEY_LOCAL_MACHINE\SOFTWARE\Classes and which
// "-delRegKey=" items it appends, in the order FileAssocAction goes through them, plus
// the texts it shows. Pure text work.
#include "ui/Prompt.h"

#include <string>
#include <utility>
#include <vector>

// Verb name and command line, in menu order; the first verb is the default one.
using FileAssocVerbs = std::vector<std::pair<std::string, std::string>>;

// The classes root as a subkey of HKEY_LOCAL_MACHINE, and as the uninstaller's items name it.
extern const char* const ClassesSubKey;   // "SOFTWARE\Classes"
extern const char* const ClassesKeyName;  // "HKEY_LOCAL_MACHINE\SOFTWARE\Classes"

struct FileAssocStep {
    enum Kind { SetDefault, AppendDelRegKey };
    Kind kind;
    std::string key;    // path below the classes root
    std::string value;  // SetDefault: the key's new default value
};

// The first step sets the extension key; every key is written before it is listed for
// deletion, and a key is listed before the key that holds it (the uninstaller deletes
// in item order). DefaultIcon has no item: the ProgID key's deletion takes it along.
std::vector<FileAssocStep> FileAssocSteps(const std::string& progId, const std::string& extension,
                                          const std::string& description, const std::string& icon,
                                          const FileAssocVerbs& verbs);

// Full name of a key below the classes root, for "-delRegKey=".
std::string ClassesKeyFullName(const std::string& key);

// A ProgID shown to the user: the first dot, the next one and the last one become spaces
// ("Arvendo.Quarnelix.4.26.Profile" reads "Arvendo Quarnelix 4.26 Profile"); with fewer
// than three dots the value is shown as it is.
std::string ProgIdDisplayForm(const std::string& value);

// The line printed before anything is written; previousValue is "" when there was none.
std::string FileAssocAnnouncement(const std::string& extension, const std::string& previousValue);

// Registration failed for reason: the question (or -force warning, or abort) with code 112.
Prompt::ContinueQuestion FileAssocFailureQuestion(const std::string& extension, const std::string& reason);

// Rollback could not put the previous value back (restoring) or delete the extension key.
struct FileAssocUndoFailure {
    std::string line;
    std::string boxText;
    std::string caption;
};
FileAssocUndoFailure FileAssocUndoFailureReport(bool restoring, const std::string& extension,
                                                const std::string& reason);
