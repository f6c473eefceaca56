#pragma once
// The message parser of the decoded package stream. It is fed the decoded bytes in
// pieces split at any byte, keeps its state between calls, and reports the files the
// stream carries to a sink; it never touches the file system itself.
//
// Stream: NoCrtLib/PackageWireFormat.h. Failures raise InstallError with the finished text.
//
//   ResourceReader package(OwnImageFile::Held(), 148, "BINARY");   // or a MemorySource
//   LzmaAloneDecoder decoder(package);
//   PackageStreamParser parser(fileWriter, platformId);
//   for (auto piece = decoder.Next(); piece.count; piece = decoder.Next())
//       parser.ProcessOutBytes(piece.bytes, piece.count);
//   parser.Finish();
#include "NoCrtLib/PackageWireFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PackageStreamParser : public PackageWireFormat {
public:
    enum class State { ReadType, ReadLength, ReadHeader, ReadData };

    static constexpr uint32_t HeaderCapacity = 4096;

    // What a file's header group said about it.
    struct File {
        std::string name;        // relative to the target folder; may be empty for the uninstaller
        bool uninstaller = false;   // write it to the uninstaller path instead
        uint8_t platformMask = AllPlatforms;
    };

    // Receives the files selected for this platform, in stream order. A file that is
    // not selected produces no call at all.
    class Sink {
    public:
        virtual ~Sink() = default;
        // The first data message of the file arrived (also for an empty file).
        virtual void BeginFile(const File& file) = 0;
        // The next piece of its contents (never empty).
        virtual void FileData(const uint8_t* bytes, size_t count) = 0;
        // The file is complete: the next group began or the stream ended.
        virtual void EndFile() = 0;
    };

    // platformId: the Windows platform identifier (PlatformNT, anything else 9x/Me).
    PackageStreamParser(Sink& sink, unsigned platformId);

    // Feeds the next decoded piece.
    void ProcessOutBytes(const uint8_t* bytes, size_t count);
    // The stream has ended: closes the last file. A stream that stops inside a message is
    // an error rather than a silently shortened file.
    void Finish();

    // Whether a file with this mask is written on the given platform.
    static bool IsSelected(uint8_t platformMask, unsigned platformId);

private:
    enum class FilePhase { None, Header, Data };

    void LengthComplete();
    void ProcessHeader(uint8_t type, const uint8_t* payload, uint32_t length);
    void ProcessData(const uint8_t* bytes, size_t count);

    Sink& m_sink;
    const unsigned m_platformId;

    State m_state = State::ReadType;
    uint8_t m_type = 0;
    uint32_t m_length = 0;     // length accumulator
    uint32_t m_expected = 0;   // bytes still expected for the current message
    std::vector<uint8_t> m_header;
    uint32_t m_collected = 0;

    FilePhase m_phase = FilePhase::None;
    bool m_fileOpen = false;   // the sink has a begun, unfinished file
    bool m_hasName = false;
    std::string m_name;
    bool m_uninstaller = false;
    uint8_t m_platformMask = AllPlatforms;
};
