#include "platform/UninstallRecord.h"

#include <cstddef>

const char* const RemovalStartedValue = "RemovalStarted";
const char* const PreviousFileTypesValue = "PreviousFileTypes";

namespace {

const char HexDigits[] = "0123456789ABCDEF";

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '=' || c == ';') {
            const unsigned char u = static_cast<unsigned char>(c);
            out += '%';
            out += HexDigits[u >> 4];
            out += HexDigits[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescaped(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return !out.empty();
}

}  // namespace

std::string FormatFileTypeOwners(const FileTypeOwners& owners) {
    std::string text;
    for (const FileTypeOwner& owner : owners) {
        if (!text.empty()) text += ';';
        text += Escaped(owner.extension) + "=" + Escaped(owner.progId);
    }
    return text;
}

bool ParseFileTypeOwners(const std::string& text, FileTypeOwners& owners) {
    owners.clear();
    if (text.empty()) return true;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = text.find(';', begin);
        const std::string entry = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        const std::size_t equals = entry.find('=');
        FileTypeOwner owner;
        if (equals == std::string::npos || entry.find('=', equals + 1) != std::string::npos ||
            !Unescaped(entry.substr(0, equals), owner.extension) || !Unescaped(entry.substr(equals + 1), owner.progId)) {
            owners.clear();
            return false;
        }
        owners.push_back(owner);
        if (end == std::string::npos) return true;
        begin = end + 1;
    }
}

std::string CommandProgram(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        const std::size_t close = command.find('"', 1);
        return close == std::string::npos ? std::string() : command.substr(1, close - 1);
    }
    return command.substr(0, command.find(' '));
}
