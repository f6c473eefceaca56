#include "ui/Prompt.h"

#include <windows.h>

namespace Prompt {
// No owner window: the boxes appear on their own, after (or before) the dialog.
int SystemMessageBox(const std::string& text, const std::string& caption, unsigned style) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}
}  // namespace Prompt
