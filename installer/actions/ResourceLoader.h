#pragma once
// Access to this executable's own resources, and extraction of a zlib-compressed one
// into a file.
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

// Inflates the zlib stream of the "BINARY" resource <id>, read from this executable's file
// in pieces (ResourceReader), into path, creating or truncating the file. Errors of the
// output file and of the stream are std::runtime_error ("CreateFileA() failed: ...",
// "WriteFile() failed: ...", "inflate() failed: ..."), those of finding and reading the
// resource InstallError; a file this call created is deleted again before the error leaves it.
void ExtractZlibResource(const std::string& path, unsigned id);
