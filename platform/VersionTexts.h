#pragma once
// The pure readings behind WindowsVersionInfo: the service pack from the CSD text and
// the Internet Explorer version from its registry values. No Windows calls here.
#include "platform/VersionTriple.h"

#include <optional>
#include <string>

namespace VersionTexts {

// Values longer than this are read only up to it (the texts are read into 80 bytes).
constexpr std::size_t MaxValueText = 79;

// szCSDVersion: "Service Pack" (any case) followed by a number read like "%i".
// Returns -1 when the text does not say which service pack.
int ServicePackFromText(const std::string& csdVersion);

// The registry values "Version", "IVer" and "Build" of the Internet Explorer key
// (absent values are nullopt). Returns nullopt when the version cannot be determined.
std::optional<VersionTriple> InternetExplorerFromValues(const std::optional<std::string>& version,
                                                        const std::optional<std::string>& iver,
                                                        const std::optional<std::string>& build);

}  // namespace VersionTexts
