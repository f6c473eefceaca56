#include "installer/actions/PackageStreamParser.h"

#include "NoCrtLib/InstallError.h"
#include "platform/VersionTriple.h"

#include <algorithm>
#include <cstring>

namespace {

// A package name may name a file below the target folder, never one elsewhere:
// no drive, no leading separator, no ".." component.
bool StaysInTargetFolder(const std::string& name) {
    if (name.find(':') != std::string::npos) return false;
    if (name[0] == '\\' || name[0] == '/') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

PackageStreamParser::PackageStreamParser(Sink& sink, unsigned platformId)
    : m_sink(sink), m_platformId(platformId), m_header(HeaderCapacity) {}

bool PackageStreamParser::IsSelected(uint8_t platformMask, unsigned platformId) {
    return (platformMask & (IsNtFamily(platformId) ? NtFamilyBit : OtherPlatformsBit)) != 0;
}

void PackageStreamParser::ProcessOutBytes(const uint8_t* bytes, size_t count) {
    while (count > 0) {
        switch (m_state) {
        case State::ReadType:
            m_type = *bytes;
            m_length = 0;
            m_expected = LengthBytes;
            m_state = State::ReadLength;
            ++bytes;
            --count;
            break;
        case State::ReadLength:
            m_length = (m_length << 8) | *bytes;
            ++bytes;
            --count;
            if (--m_expected == 0) LengthComplete();
            break;
        case State::ReadHeader: {
            uint32_t n = static_cast<uint32_t>(std::min<size_t>(m_expected, count));
            std::memcpy(m_header.data() + m_collected, bytes, n);
            m_collected += n;
            m_expected -= n;
            bytes += n;
            count -= n;
            if (m_expected == 0) {
                m_state = State::ReadType;
                ProcessHeader(m_type, m_header.data(), m_collected);
            }
            break;
        }
        case State::ReadData: {
            uint32_t n = static_cast<uint32_t>(std::min<size_t>(m_expected, count));
            m_expected -= n;
            if (m_expected == 0) m_state = State::ReadType;
            ProcessData(bytes, n);
            bytes += n;
            count -= n;
            break;
        }
        default:
            throw InstallError("WriteFilesFromLzmaStream::ProcessOutBytes() - invalid state");
        }
    }
}

// The fourth length byte was taken. Messages with an empty payload are acted on at
// once, so that their effect (an empty file) does not depend on where the stream was split.
void PackageStreamParser::LengthComplete() {
    if (m_type == FileDataMsg) {
        m_expected = m_length;
        if (m_length == 0) {
            m_state = State::ReadType;
            ProcessData(nullptr, 0);
        } else {
            m_state = State::ReadData;
        }
        return;
    }
    if (m_length > HeaderCapacity)
        throw InstallError("WriteFilesFromLzmaStream::ProcessOutBytes(): unsupported header message size " +
                           std::to_string(m_length) + ", maximum: " + std::to_string(HeaderCapacity));
    m_collected = 0;
    m_expected = m_length;
    if (m_length == 0) {
        m_state = State::ReadType;
        ProcessHeader(m_type, m_header.data(), 0);
    } else {
        m_state = State::ReadHeader;
    }
}

void PackageStreamParser::ProcessHeader(uint8_t type, const uint8_t* payload, uint32_t length) {
    if (m_phase != FilePhase::Header) {
        // The first header after file data ends that file and resets the group attributes;
        // the name is kept until a new name message arrives.
        if (m_fileOpen) {
            m_fileOpen = false;
            m_sink.EndFile();
        }
        m_phase = FilePhase::Header;
        m_uninstaller = false;
        m_platformMask = AllPlatforms;
    }
    switch (type) {
    case FileNameMsg: {
        // The name is used as a terminated string, so it ends at an embedded NUL.
        const uint8_t* end = std::find(payload, payload + length, 0);
        m_name.assign(reinterpret_cast<const char*>(payload), reinterpret_cast<const char*>(end));
        m_hasName = !m_name.empty();
        break;
    }
    case UninstallerMsg:
        m_uninstaller = true;
        break;
    case PlatformMaskMsg:
        if (length != 0) m_platformMask = payload[0];
        break;
    default:
        throw InstallError("WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type " +
                           std::to_string(type));
    }
}

void PackageStreamParser::ProcessData(const uint8_t* bytes, size_t count) {
    if (m_phase != FilePhase::Data) {
        m_phase = FilePhase::Data;
        if (IsSelected(m_platformMask, m_platformId)) {
            if (!m_uninstaller) {
                if (!m_hasName)
                    throw InstallError("WriteFilesFromLzmaStream::ProcessData() - file to write has no name");
                if (!StaysInTargetFolder(m_name))
                    throw InstallError("WriteFilesFromLzmaStream::ProcessData() - file name '" + m_name +
                                       "' leaves the target folder");
            }
            File file;
            file.name = m_hasName ? m_name : std::string();
            file.uninstaller = m_uninstaller;
            file.platformMask = m_platformMask;
            m_sink.BeginFile(file);
            m_fileOpen = true;
        }
    }
    if (m_fileOpen && count > 0) m_sink.FileData(bytes, count);
}

void PackageStreamParser::Finish() {
    if (m_state != State::ReadType)
        throw InstallError("WriteFilesFromLzmaStream::ProcessOutBytes(): package stream ends inside a message");
    if (m_fileOpen) {
        m_fileOpen = false;
        m_sink.EndFile();
    }
}
