#pragma once
// The package stream read from the held file, with its decoder: made by the check before
// the first change, which decodes ahead while it checks, and taken on by the extraction.
#include "installer/actions/LzmaAloneDecoder.h"
#include "installer/actions/ResourceReader.h"

struct PackageStream {
    PackageStream(const OwnImageFile& file, unsigned id) : reader(file, id, "BINARY"), decoder(reader) {}

    ResourceReader reader;
    LzmaAloneDecoder decoder;   // reads from reader, so made after it and destroyed before
};
