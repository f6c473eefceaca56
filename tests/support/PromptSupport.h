#pragma once
// Shared by the host unit tests and the Windows tests: message boxes recorded instead of
// shown (with scripted answers), captured standard output, and the run's mode reset
// around every test.
#include "NoCrtLib/SilentExit.h"
#include "installer/InstallOptions.h"
#include "ui/Prompt.h"

#include <gtest/gtest.h>

#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace TestSupport {

// The only place the tests reach the mode prompts run in.
struct Mode {
    bool interactive, force;
};
inline void ResetRun() { ResetOptions(); }
inline Mode CurrentMode() { return {Options().interactive, Options().force}; }
inline void SetMode(Mode mode) {
    Options().interactive = mode.interactive;
    Options().force = mode.force;
}

struct Box {
    std::string text, caption;
    unsigned style;
};

// Stands in for the message box while it lives. Each box is answered with the next of
// `script`, then with `answer`.
class BoxRecorder {
public:
    BoxRecorder() {
        Prompt::SetBoxHandler([this](const std::string& text, const std::string& caption, unsigned style) {
            boxes.push_back({text, caption, style});
            if (script.empty()) return answer;
            const int next = script.front();
            script.pop_front();
            return next;
        });
    }
    ~BoxRecorder() { Prompt::SetBoxHandler(nullptr); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<Box> boxes;
    std::deque<int> script;
    int answer = Prompt::IdYes;
};

// What a piece of code left for its caller.
struct Outcome {
    int exitCode = -1;  // SilentExit code; -1 when none was thrown
    std::string error;  // what() of any other exception
    std::string out;    // standard output, console lines included
};

template <class F>
Outcome RunCaptured(F&& code) {
    Outcome outcome;
    ::testing::internal::CaptureStdout();
    try {
        code();
    } catch (const SilentExit& e) {
        outcome.exitCode = e.Code();
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    outcome.out = ::testing::internal::GetCapturedStdout();
    return outcome;
}

// Standard output of code that should return normally.
template <class F>
std::string OutputOf(F&& code) {
    const Outcome outcome = RunCaptured(code);
    EXPECT_EQ(outcome.exitCode, -1);
    EXPECT_EQ(outcome.error, "");
    return outcome.out;
}

// A question's fields one to a line, so a comparison shows what differs.
inline std::string Fields(const Prompt::ContinueQuestion& q) {
    return "box: " + q.boxText + "\ncaption: " + q.caption + "\ncareful: " + (q.careful ? "yes" : "no") +
           "\ncancel: " + q.cancelLine + "\nwarning: " + q.warningLine + "\nabort: " + q.abortLine +
           "\nexit: " + std::to_string(q.exitCode);
}

inline std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// The run's options reset around every test.
class OptionsFixture : public ::testing::Test {
protected:
    void SetUp() override { ResetRun(); }
    void TearDown() override { ResetRun(); }
};

// ... and boxes recorded.
class PromptFixture : public OptionsFixture, protected BoxRecorder {
protected:
    void SetMode(bool interactive, bool force) { TestSupport::SetMode({interactive, force}); }

    // The continue-or-abort question a step asks, read back from what it shows and prints
    // when refused, forced and aborted. How a question becomes boxes, lines and exits is
    // PromptTest's business; step tests compare only their own texts and code.
    Prompt::ContinueQuestion AskedQuestion(const std::function<void()>& step) {
        const Mode saved = CurrentMode();
        const std::deque<int> savedScript = script;
        const int savedAnswer = answer;
        Prompt::ContinueQuestion q;
        boxes.clear();
        script.clear();
        answer = 7;  // IDNO
        TestSupport::SetMode({true, false});
        const Outcome refused = RunCaptured(step);
        if (boxes.size() == 1) {
            q.boxText = boxes[0].text;
            q.caption = boxes[0].caption;
            q.careful = boxes[0].style == Prompt::CarefulQuestionStyle;
            EXPECT_TRUE(q.careful || boxes[0].style == Prompt::QuestionStyle) << boxes[0].style;
        } else {
            ADD_FAILURE() << boxes.size() << " boxes shown for one question";
        }
        q.cancelLine = WithoutLineEnd(refused.out);
        TestSupport::SetMode({false, true});
        const Outcome forced = RunCaptured(step);
        EXPECT_EQ(forced.exitCode, -1);
        q.warningLine = WithoutLineEnd(forced.out);
        TestSupport::SetMode({false, false});
        const Outcome aborted = RunCaptured(step);
        q.abortLine = WithoutLineEnd(aborted.out);
        q.exitCode = aborted.exitCode;
        EXPECT_EQ(refused.exitCode, aborted.exitCode);
        TestSupport::SetMode(saved);
        script = savedScript;
        answer = savedAnswer;
        boxes.clear();
        return q;
    }
};

}  // namespace TestSupport
