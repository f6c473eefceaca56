#include "ui/Prompt.h"

namespace Prompt {
// The host build has no windows: a box that cannot be shown returns 0 (a refusal).
int SystemMessageBox(const std::string&, const std::string&, unsigned) { return 0; }
}  // namespace Prompt
