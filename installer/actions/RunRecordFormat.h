#pragma once
// The text of a run record (RunRecord.h): one header line, then one line per change,
// each entered before the change is made. Fields are separated by tabs; a backslash, tab,
// line feed or carriage return inside a field is escaped as \\, \t, \n or \r. A last line
// without its line feed was cut off by the stop that left the record and is not read:
// the change it announced was not begun.
//
//   Arvendo Quarnelix run record 1<TAB><key name><TAB><user>
//   folder<TAB>C:\Program Files\Arvendo Quarnelix
//   files<TAB>C:\...\quarnelix.exe<TAB>C:\...\netprefs.exe ...
//   committed
//
// Pure text work.
#include <cstdint>
#include <string>
#include <vector>

struct UndoEntry {
    std::string kind;
    std::vector<std::string> fields;

    const std::string& Field(std::size_t i) const;  // "" past the end: old records stay readable
    bool operator==(const UndoEntry& o) const { return kind == o.kind && fields == o.fields; }
};

// The kinds, and what undoing each means (UndoRules.cpp).
namespace UndoKind {
extern const char* const Folder;       // path: a folder made by the run; removed when it exists
extern const char* const File;         // path: a file made by the run; deleted when it exists
extern const char* const Shortcut;     // path: a link made by the run; deleted when it exists
extern const char* const Files;        // paths: files the run is about to make, none there before
extern const char* const NotOurs;      // path: one of Files found there after all: left alone
extern const char* const Keep;         // path, aside: the file is renamed aside; renamed back
extern const char* const Copying;      // path, aside: a copy aside is being made; removed
extern const char* const Copied;       // path, aside: the copy is whole; written back over path
extern const char* const Restart;      // path: its deletion at restart was cancelled; scheduled again
extern const char* const Registration; // key, had-previous, then name, type, hex data per value
extern const char* const Association;  // extension, previous value, key existed, ProgID, ProgID made
// What an earlier installation's uninstaller is about to remove, kept until the commit:
extern const char* const Scratch;      // path: a folder for the kept files; removed either way
extern const char* const SavedFile;    // path, kept: a link to (or copy of) the file; moved back
extern const char* const SavedFolder;  // path: a folder that existed; made again when missing
extern const char* const SavedKey;     // full key name, then name, type, hex data per value; written back
extern const char* const SavedValue;   // full key name, value name, "1" when it existed, type, hex data
}  // namespace UndoKind

// The header names the record's owner; a record that names another is not this run's to undo.
std::string RunRecordHeader(const std::string& keyName, const std::string& user);
std::string FormatUndoEntry(const UndoEntry& entry);
extern const char* const RunRecordCommitted;  // the line after which only the cleanup remains

struct ParsedRunRecord {
    bool ours = false;       // the header names this product's key and this user
    bool committed = false;
    std::vector<UndoEntry> entries;
};
ParsedRunRecord ParseRunRecord(const std::string& text, const std::string& keyName, const std::string& user);

std::string HexBytes(const std::vector<std::uint8_t>& bytes);
// False for text that is not an even number of hex digits.
bool BytesFromHex(const std::string& text, std::vector<std::uint8_t>& bytes);
