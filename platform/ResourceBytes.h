#pragma once
// This executable's own resources, read in place: the installer's streams and the
// dialog's documents.
#include <cstddef>
#include <string>

// Read-only bytes of a resource; valid for the life of the process, never freed.
struct ResourceBytes {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// The resource <id> of the given type in this executable. Throws InstallError
// "FindResourceA() failed: ..." (or LoadResource, LockResource, SizeofResource for an
// empty resource) with the Windows error text.
ResourceBytes LoadBinaryResource(unsigned id, const char* type);

// A copy of the "RTF" resource <id>.
std::string LoadRtfResource(unsigned id);
