#pragma once
// Conversions between the system's 8-bit code pages and UTF-16.
// Windows: the ANSI code page (CP_ACP) and the console code page; the host build
// treats 8-bit text as Latin-1 and has no console code page.
#include <string>

std::u16string AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::u16string& text);
// False when some character has no exact ANSI form (no best-fit look-alikes, no
// default character); out then holds the lossy conversion.
bool WideToAnsiExact(const std::u16string& text, std::string& out);
// ANSI text re-encoded for the console (GetConsoleCP), for console lines.
std::string AnsiToConsole(const std::string& text);
