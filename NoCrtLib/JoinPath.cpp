#include "NoCrtLib/JoinPath.h"

#include "NoCrtLib/AnsiText.h"

std::string JoinPath(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    // The last byte may be the second half of a double-byte character that merely looks like '\'.
    bool endsWithSlash = EndsWithChar(first, '\\');
    bool startsWithSlash = second.front() == '\\';
    if (endsWithSlash && startsWithSlash) return first + second.substr(1);
    if (endsWithSlash || startsWithSlash) return first + second;
    return first + "\\" + second;
}
