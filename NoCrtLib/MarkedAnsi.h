#pragma once
// UTF-16 text for ANSI texts (console lines, error texts) without losing what the ANSI
// code page lacks: such characters become <U+XXXX>.
#include <string>

std::string AnsiWithCodePoints(const std::u16string& text);
