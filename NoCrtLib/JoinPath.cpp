#include "NoCrtLib/JoinPath.h"

std::string JoinPath(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    bool endsWithSlash = first.back() == '\\';
    bool startsWithSlash = second.front() == '\\';
    if (endsWithSlash && startsWithSlash) return first + second.substr(1);
    if (endsWithSlash || startsWithSlash) return first + second;
    return first + "\\" + second;
}
