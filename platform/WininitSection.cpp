#include "platform/WininitSection.h"

#include <algorithm>
#include <cstring>

WininitSection::WininitSection(const char* data, std::size_t length) : m_length(length) {
    std::size_t offset = 0;
    while (offset < length) {
        const void* zero = std::memchr(data + offset, '\0', length - offset);
        std::size_t size = zero ? static_cast<const char*>(zero) - (data + offset)
                                : length - offset;  // cut short without its terminator
        if (size == 0) break;  // the empty entry ends the section
        m_entries.emplace_back(data + offset, size);
        offset += size + 1;
    }
}

std::size_t WininitSection::Used() const {
    std::size_t used = 0;
    for (const auto& e : m_entries) used += e.size() + 1;
    return used;
}

bool WininitSection::Contains(const std::string& entry, const EqualFn& equal) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const std::string& e) { return equal(e, entry); });
}

bool WininitSection::Append(const std::string& entry) {
    if (entry.empty() || entry.find('\0') != std::string::npos) return false;
    if (entry.size() + Used() + 1 >= BufferSize) return false;
    m_entries.push_back(entry);
    return true;
}

bool WininitSection::Drop(const std::string& entry, const EqualFn& equal) {
    auto kept = std::remove_if(m_entries.begin(), m_entries.end(),
                               [&](const std::string& e) { return equal(e, entry); });
    bool dropped = kept != m_entries.end();
    m_entries.erase(kept, m_entries.end());
    return dropped;
}

std::vector<char> WininitSection::Block() const {
    std::vector<char> block;
    block.reserve(Used() + 2);
    for (const auto& e : m_entries) {
        block.insert(block.end(), e.begin(), e.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    if (m_entries.empty()) block.push_back('\0');
    return block;
}
