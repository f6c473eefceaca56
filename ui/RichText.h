#pragma once
// Replaces the whole content of a rich edit control with a text and shows its first line.
#include "ui/RichTextFormat.h"

#include <string>

#include <windows.h>

void setRichText(HWND control, const std::string& text, RichTextFormat format);
