#include "NoCrtLib/Console.h"

#include "NoCrtLib/AnsiCodec.h"

#include <cstdio>

namespace {
void WriteLine(std::FILE* stream, const std::string& ansiText) {
    std::string line = AnsiToConsole(ansiText);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}
}  // namespace

void ConsoleLine(const std::string& ansiText) { WriteLine(stdout, ansiText); }
void ConsoleErrorLine(const std::string& ansiText) { WriteLine(stderr, ansiText); }
