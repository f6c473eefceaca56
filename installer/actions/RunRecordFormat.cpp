#include "installer/actions/RunRecordFormat.h"

namespace UndoKind {
const char* const Folder = "folder";
const char* const File = "file";
const char* const Shortcut = "shortcut";
const char* const Files = "files";
const char* const NotOurs = "notours";
const char* const Keep = "keep";
const char* const Copying = "copying";
const char* const Copied = "copied";
const char* const Restart = "restart";
const char* const Registration = "registration";
const char* const Association = "association";
const char* const Scratch = "scratch";
const char* const SavedFile = "savedfile";
const char* const SavedFolder = "savedfolder";
const char* const SavedKey = "savedkey";
const char* const SavedValue = "savedvalue";
}  // namespace UndoKind

const char* const RunRecordCommitted = "committed";

namespace {

const char* const Magic = "Arvendo Quarnelix run record 1";

std::string Escaped(const std::string& field) {
    std::string out;
    for (char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char n = line[++i];
            fields.back() += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

const std::string& UndoEntry::Field(std::size_t i) const {
    static const std::string none;
    return i < fields.size() ? fields[i] : none;
}

std::string RunRecordHeader(const std::string& keyName, const std::string& user) {
    return FormatUndoEntry({Magic, {keyName, user}});
}

std::string FormatUndoEntry(const UndoEntry& entry) {
    std::string line = Escaped(entry.kind);
    for (const std::string& field : entry.fields) line += "\t" + Escaped(field);
    return line + "\n";
}

ParsedRunRecord ParseRunRecord(const std::string& text, const std::string& keyName, const std::string& user) {
    ParsedRunRecord record;
    std::size_t start = 0;
    bool header = true;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::vector<std::string> fields = SplitFields(text.substr(start, end - start));
        if (header) {
            record.ours = fields.size() == 3 && fields[0] == Magic && fields[1] == keyName && fields[2] == user;
            if (!record.ours) return record;
            header = false;
            continue;
        }
        if (fields[0] == RunRecordCommitted) {
            record.committed = true;
            continue;
        }
        UndoEntry entry{fields[0], {}};
        entry.fields.assign(fields.begin() + 1, fields.end());
        record.entries.push_back(std::move(entry));
    }
    return record;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool BytesFromHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.size() % 2) return false;
    auto value = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = value(text[i]), low = value(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}
