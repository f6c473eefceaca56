#pragma once
// Console lines: one message per line, converted to the console code page and
// flushed at once, so output interleaves correctly with child processes.
#include <string>

void ConsoleLine(const std::string& ansiText);       // standard output
void ConsoleErrorLine(const std::string& ansiText);  // standard error
