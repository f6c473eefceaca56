#pragma once
// Three version numbers compared element by element: (platform, major, minor) of
// Windows or (major, minor, build) of Internet Explorer.
#include <cstdint>
#include <tuple>

struct VersionTriple {
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;

    constexpr VersionTriple() = default;
    constexpr VersionTriple(uint32_t first, uint32_t second, uint32_t third)
        : a(first), b(second), c(third) {}

    friend constexpr bool operator==(const VersionTriple& l, const VersionTriple& r) {
        return l.a == r.a && l.b == r.b && l.c == r.c;
    }
    friend constexpr bool operator!=(const VersionTriple& l, const VersionTriple& r) {
        return !(l == r);
    }
    friend constexpr bool operator<(const VersionTriple& l, const VersionTriple& r) {
        return std::tie(l.a, l.b, l.c) < std::tie(r.a, r.b, r.c);
    }
    friend constexpr bool operator>(const VersionTriple& l, const VersionTriple& r) { return r < l; }
    friend constexpr bool operator<=(const VersionTriple& l, const VersionTriple& r) { return !(r < l); }
    friend constexpr bool operator>=(const VersionTriple& l, const VersionTriple& r) { return !(l < r); }
};

// Platform identifiers of GetVersionExA.
constexpr uint32_t PlatformWin9x = 1;
constexpr uint32_t PlatformNT = 2;

// The one test for the NT family (NT 4, 2000, XP and later) against 95, 98 and Me.
constexpr bool IsNtFamily(uint32_t platformId) { return platformId == PlatformNT; }
constexpr bool IsNtFamily(const VersionTriple& windows) { return IsNtFamily(windows.a); }

constexpr VersionTriple Windows98Version{PlatformWin9x, 4, 10};
constexpr VersionTriple WindowsNT4Version{PlatformNT, 4, 0};
constexpr VersionTriple InternetExplorer4Version{4, 71, 1712};  // shell version of IE 4.0
constexpr VersionTriple InternetExplorer1Version{4, 40, 308};
constexpr VersionTriple InternetExplorer2Version{4, 40, 520};
constexpr VersionTriple InternetExplorer3Version{4, 70, 1155};
