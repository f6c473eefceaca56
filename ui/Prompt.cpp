#include "ui/Prompt.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/SilentExit.h"

namespace Prompt {

int SystemMessageBox(const std::string& text, const std::string& caption, unsigned style);

namespace {
BoxHandler& Handler() {
    static BoxHandler handler;
    return handler;
}
}  // namespace

void SetBoxHandler(BoxHandler handler) { Handler() = std::move(handler); }

int ShowBox(const std::string& text, const std::string& caption, unsigned style) {
    if (Handler()) return Handler()(text, caption, style);
    return SystemMessageBox(text, caption, style);
}

bool Ask(const std::string& text, const std::string& caption, bool careful) {
    return ShowBox(text, caption, careful ? CarefulQuestionStyle : QuestionStyle) == IdYes;
}

void ReportError(const std::string& text, const std::string& caption, const Mode& mode) {
    if (mode.interactive) ShowBox(text, caption, ErrorStyle);
}

void ContinueOrAbort(const ContinueQuestion& q, const Mode& mode) {
    if (mode.interactive) {
        if (Ask(q.boxText, q.caption, q.careful)) return;
        if (!q.cancelLine.empty()) ConsoleLine(q.cancelLine);
        throw SilentExit(q.exitCode);
    }
    if (mode.force) {
        ConsoleLine(q.warningLine);
        return;
    }
    ConsoleLine(q.abortLine);
    throw SilentExit(q.exitCode);
}

}  // namespace Prompt
