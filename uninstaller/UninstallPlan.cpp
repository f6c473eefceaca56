#include "uninstaller/UninstallPlan.h"

#include "platform/RegPath.h"

#include <cstddef>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The command-line rules without backslash escapes: whitespace outside double quotes
// separates arguments, a double quote switches the quoted state and is dropped, and one
// that reopens a quoted part right after it was closed stands for a literal quote.
// CmdLine cannot serve here: it keeps one record per option name, and its backslash
// rule would turn a UNC path's leading "\\" into one backslash and make the closing
// quote after a folder ending in "\" literal, while the installer writes every value
// verbatim.
std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool pendingQuote = false;
    for (char c : text) {
        if (c == '"') {
            if (pendingQuote) {
                current += '"';
                pendingQuote = false;
            } else {
                pendingQuote = inQuotes;
            }
            inQuotes = !inQuotes;
        } else if (!inQuotes && IsSeparator(c)) {
            if (!current.empty()) args.push_back(current);
            current.clear();
            pendingQuote = false;
        } else {
            pendingQuote = false;
            current += c;
        }
    }
    if (inQuotes) throw UninstallPlan::Err("A double quote is not closed");
    if (!current.empty()) args.push_back(current);
    return args;
}

// "X:\..." or "\\server\...": a relative path would be taken from whatever folder is
// current, which is never what the installer meant.
void CheckAbsolutePath(const std::string& name, const std::string& path) {
    const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && path[2] == '\\';
    const bool unc = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    if (!drive && !unc) throw UninstallPlan::Err("The item -" + name + "=" + path + " does not name a full path");
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A key must name a hive and lie at least three levels below it, so a damaged string
// can never name HKEY_LOCAL_MACHINE\SOFTWARE\Classes or the like itself.
void CheckRegistryKey(const std::string& key) {
    const RegPath path(key);
    if (path.Hive() == RegPath::NoHive)
        throw UninstallPlan::Err("The registry key " + key + " does not begin with a hive name");
    std::size_t levels = 0;
    bool inName = false;
    for (char c : path.SubKey()) {
        if (c == '\\') {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++levels;
        }
    }
    if (levels < 3)
        throw UninstallPlan::Err("The registry key " + key + " is too close to the root of its hive");
}

}  // namespace

UninstallPlan::Err::Err(const std::string& detail)
    : m_text(std::string(InvalidUninstData::what()) + " " + detail + ".") {}

const char* UninstallPlan::Err::what() const noexcept { return m_text.c_str(); }

UninstallPlan UninstallPlan::Parse(const std::string& params) {
    UninstallPlan plan;
    const std::vector<std::string> args = SplitArguments(params);
    if (args.empty()) throw Err("The uninstall parameter string holds no items");
    for (const std::string& arg : args) {
        const std::size_t equals = arg.find('=');
        if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/') || equals == std::string::npos ||
            equals < 2)
            throw Err("\"" + arg + "\" is not an uninstall item");
        const std::string name = arg.substr(1, equals - 1);
        const std::string value = arg.substr(equals + 1);
        if (value.empty()) throw Err("The item -" + name + "= has no value");
        if (EqualsIgnoringCase(name, "shareResWith")) {
            plan.m_sharedWith = value;
        } else if (EqualsIgnoringCase(name, "delFile")) {
            CheckAbsolutePath(name, value);
            plan.m_files.push_back(value);
        } else if (EqualsIgnoringCase(name, "delMainFile")) {
            CheckAbsolutePath(name, value);
            plan.m_files.push_back(value);
            plan.m_mainFile = value;
        } else if (EqualsIgnoringCase(name, "delDir")) {
            CheckAbsolutePath(name, value);
            plan.m_folders.push_back(value);
        } else if (EqualsIgnoringCase(name, "delRegKey")) {
            CheckRegistryKey(value);
            plan.m_registryKeys.push_back(value);
        } else if (EqualsIgnoringCase(name, "rstFileAssoc")) {
            const std::size_t colon = value.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == value.size() || value[0] != '.')
                throw Err("The item -rstFileAssoc=" + value + " does not name an extension and a ProgID");
            SharedAssociation shared;
            shared.extension = value.substr(0, colon);
            shared.progId = value.substr(colon + 1);
            shared.extensionKey = ClassesKey(shared.extension);
            plan.m_shared.push_back(shared);
        } else {
            throw Err("The item -" + name + "= is not known to this uninstaller");
        }
    }
    return plan;
}

const UninstallPlan::SharedAssociation* UninstallPlan::SharedAssociationOf(
    const std::string& registryKey) const {
    for (const SharedAssociation& shared : m_shared)
        if (SameKey(registryKey, shared.extensionKey)) return &shared;
    return nullptr;
}

bool UninstallPlan::Removes(const std::string& path) const {
    for (const std::string& file : m_files)
        if (EqualsIgnoringCase(file, path)) return true;
    for (const std::string& folder : m_folders)
        if (Holds(folder, path)) return true;
    return false;
}

bool UninstallPlan::OwnsProgId(const std::string& progId) const {
    for (const SharedAssociation& shared : m_shared)
        if (EqualsIgnoringCase(shared.progId, progId)) return true;
    const std::string key = ClassesKey(progId);
    for (const std::string& own : m_registryKeys)
        if (SameKey(own, key)) return true;
    return false;
}

std::string UninstallPlan::ClassesKey(const std::string& name) {
    return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\" + name;
}

bool UninstallPlan::Holds(const std::string& folder, const std::string& path) {
    std::string prefix = folder;
    if (!EndsWithChar(prefix, '\\')) prefix += '\\';   // a second byte may look like '\\'
    return path.size() > prefix.size() && StartsWithIgnoringCase(path, prefix);
}

bool UninstallPlan::SameKey(const std::string& a, const std::string& b) {
    const RegPath first(a);
    const RegPath second(b);
    return first.Hive() != RegPath::NoHive && first.Hive() == second.Hive() &&
           EqualsIgnoringCase(first.SubKey(), second.SubKey());
}
