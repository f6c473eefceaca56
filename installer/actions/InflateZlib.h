#pragma once
// Inflates one zlib stream (RFC 1950: header, deflate data, Adler-32 trailer) held in
// memory, handing the output to a sink piece by piece so it is never held whole.
#include <cstddef>
#include <functional>

using InflateSink = std::function<void(const unsigned char* data, std::size_t size)>;

// Throws std::runtime_error "inflate() failed: <reason>" for a bad header, corrupt data,
// a wrong checksum or a stream that ends early; exceptions of the sink pass through.
// Bytes after the end of the stream are ignored.
void InflateZlib(const unsigned char* data, std::size_t size, const InflateSink& sink);
