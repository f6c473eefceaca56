#pragma once
// Inflates one zlib stream (RFC 1950: header, deflate data, Adler-32 trailer) taken from
// a ByteSource or from memory, handing the output to a sink piece by piece, so neither
// the input nor the output is ever held whole.
#include "installer/actions/ByteSource.h"

#include <cstddef>
#include <functional>

using InflateSink = std::function<void(const unsigned char* data, std::size_t size)>;

// Throws std::runtime_error "inflate() failed: <reason>" for a bad header, corrupt data,
// a wrong checksum or a stream that ends early; exceptions of the sink pass through.
// Bytes after the end of the stream are ignored (and not read from the source).
void InflateZlib(ByteSource& input, const InflateSink& sink);
void InflateZlib(const unsigned char* data, std::size_t size, const InflateSink& sink);
