#pragma once
// The block the installer shares with an earlier uninstaller ("-result=" on its command
// line). Every uninstaller since 4.07 maps its first 4 bytes only and writes its result
// there. The rest lets an uninstaller that hands its work on make the helper process known,
// so that the installer stops waiting should the helper end without answering: the
// installer fills in installerProcess and HandshakeWatchOffered before it starts the
// uninstaller, which then duplicates its helper's handle into the installer and writes
// helperProcess and HandshakeHelperGiven before it exits with 1.
#include <cstdint>

struct HandshakeBlock {
    std::uint32_t result;
    // The installer's process (PROCESS_DUP_HANDLE), as inherited by the uninstaller.
    std::uint32_t installerProcess;
    // The helper's process (SYNCHRONIZE), a handle of the installer's.
    std::uint32_t helperProcess;
    std::uint32_t state;
};

// Arbitrary values: the block of an installer that offers nothing holds 0 there.
const std::uint32_t HandshakeWatchOffered = 0x5157484f;
const std::uint32_t HandshakeHelperGiven = 0x51574847;

// A helper that ended without answering: the uninstaller's own code for "failed partly or
// completely".
const std::uint32_t HandshakeHelperEnded = 13;
