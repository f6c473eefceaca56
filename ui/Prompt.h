#pragma once
// The one convention for questions and reports outside the installer dialog:
// a message box without owner window in interactive mode, a console line in
// unattended mode, with -force standing in for the user's "Yes".
#include <functional>
#include <string>

namespace Prompt {

enum Style : unsigned {
    QuestionStyle = 0x34,          // MB_YESNO | MB_ICONWARNING, Yes is the default
    CarefulQuestionStyle = 0x134,  // ... | MB_DEFBUTTON2, No is the default
    ErrorStyle = 0x10,             // MB_OK | MB_ICONERROR
    InformationStyle = 0x40,       // MB_OK | MB_ICONINFORMATION
    RetryStyle = 0x35,             // MB_RETRYCANCEL | MB_ICONWARNING, Retry is the default
};
constexpr int IdYes = 6;
constexpr int IdRetry = 4;

// Shows a box; returns its result (0 when it could not be shown). Tests replace the
// box with SetBoxHandler so in-process runs can answer; an empty handler restores it.
using BoxHandler = std::function<int(const std::string& text, const std::string& caption, unsigned style)>;
void SetBoxHandler(BoxHandler handler);
int ShowBox(const std::string& text, const std::string& caption, unsigned style);

// How the run asks: the caller says, so that the prompts need nothing from the programs above them.
struct Mode {
    bool interactive = true;  // boxes; otherwise console lines
    bool force = false;       // unattended: -force answers "Yes"
};

// Interactive only: true when the user answered Yes.
bool Ask(const std::string& text, const std::string& caption, bool careful);
// Interactive mode shows the box; unattended mode shows nothing (the step prints its own lines).
void ReportError(const std::string& text, const std::string& caption, const Mode& mode);

// A failure that the user (or -force) may accept.
struct ContinueQuestion {
    std::string boxText;       // interactive: the question
    std::string caption;
    bool careful = false;      // No as the default button
    std::string cancelLine;    // interactive refusal: printed before SilentExit (may be empty)
    std::string warningLine;   // unattended with -force: printed, then the run goes on
    std::string abortLine;     // unattended without -force: printed before SilentExit
    int exitCode = 0;
};
// Returns when the run goes on; otherwise throws SilentExit(exitCode).
void ContinueOrAbort(const ContinueQuestion& question, const Mode& mode);

}  // namespace Prompt
