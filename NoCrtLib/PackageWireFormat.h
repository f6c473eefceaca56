#pragma once
// The decoded package stream on the wire, shared by the installer's parser and the
// package builder (tools/, a host project of its own: this header needs nothing else).
// Messages of type (1 byte), payload length (4 bytes, big-endian), payload. A file is a
// group of header messages (name, uninstaller flag, platform mask) and its data messages.
#include <cstdint>

struct PackageWireFormat {
    enum MessageType : uint8_t {
        FileNameMsg = 1,
        UninstallerMsg = 2,
        PlatformMaskMsg = 3,
        FileDataMsg = 101,
    };
    static constexpr unsigned LengthBytes = 4;

    // The platform mask: which family a file is written on.
    static constexpr uint8_t NtFamilyBit = 1;
    static constexpr uint8_t OtherPlatformsBit = 2;
    static constexpr uint8_t AllPlatforms = NtFamilyBit | OtherPlatformsBit;
};
