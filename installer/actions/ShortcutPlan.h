#pragma once
// Texts of the shortcut step. Pure text work; ShortcutAction shows them.
#include "ui/Prompt.h"

#include <string>

// The reason shown for a failed COM call: its message without one trailing full stop,
// since the question puts its own after the reason.
std::string ShortcutFailureReason(const std::string& comMessage);

// Saving the shortcut at path failed for reason: the question (or -force warning, or
// abort) with code 105.
Prompt::ContinueQuestion ShortcutFailureQuestion(const std::string& path, const std::string& reason);

// Last sentence of the box shown when a shortcut cannot be removed during rollback.
extern const char* const ShortcutRemovalSentence;
// Rollback could not delete the link at path (reason: the Windows error text).
std::string ShortcutRemovalFailureBox(const std::string& path, const std::string& reason);
