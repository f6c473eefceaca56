#pragma once
// Access to this executable's own resources, and extraction of a zlib-compressed one
// into a file.
#include "platform/ResourceBytes.h"

#include <string>

// Inflates the zlib stream of the "BINARY" resource <id>, read from this executable's held
// file in pieces (ResourceReader), into path, creating or truncating the file. Errors of the
// output file and of the stream are std::runtime_error ("CreateFileA() failed: ...",
// "WriteFile() failed: ...", "inflate() failed: ..."), those of finding and reading the
// resource InstallError; a file this call created is deleted again before the error leaves it.
void ExtractZlibResource(const std::string& path, unsigned id);
