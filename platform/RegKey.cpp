#include "platform/RegKey.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WWLibExceptions.h"
#include "platform/RegPath.h"
#include "platform/RegValueData.h"

#include <algorithm>
#include <cstring>

namespace {

HKEY RootOfHive(uint32_t hive) {
    // The predefined keys are sign-extended 32-bit values (HKEY_CLASSES_ROOT and so on).
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(hive)));
}

// A failed call that left no error code must still be reported as a failure.
LONG LastErrorCode() {
    DWORD code = GetLastError();
    return static_cast<LONG>(code != 0 ? code : ERROR_INVALID_FUNCTION);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// ExpandEnvironmentStrings handles at most 32K characters, source and result alike;
// beyond that it truncates or, under Wine, even faults on the source.
const DWORD kExpandLimit = 32767;

const DWORD kKeyNameChars = 261;     // key names are at most 255 characters
const DWORD kValueNameChars = 16384;  // value names are at most 16383 characters

}  // namespace

RegKey::RegKey(const std::string& path, Flavour flavour) : m_flavour(flavour) {
    RegPath parsed(path);
    m_root = parsed.Hive() == RegPath::NoHive ? nullptr : RootOfHive(parsed.Hive());
    m_subKey = parsed.SubKey();
}

RegKey::RegKey(HKEY root, const std::string& subKey, Flavour flavour)
    : m_root(root), m_subKey(subKey), m_flavour(flavour) {}

RegKey::RegKey(HKEY root, const std::string& subKey, REGSAM access, Flavour flavour)
    : m_root(root), m_subKey(subKey), m_flavour(flavour) {
    Open(access);
}

RegKey::RegKey(HKEY root, REGSAM access, Flavour flavour)
    : m_root(root), m_flavour(flavour) {
    Open(access);
}

bool RegKey::Skipped() const { return m_flavour == Flavour::Status && Failed(); }

bool RegKey::Check() {
    if (Succeeded()) return true;
    if (m_flavour == Flavour::Checking) throw WWLib::RegException(*this);
    return false;
}

bool RegKey::Call(const char16_t* operationName, LONG code) {
    Record(operationName, static_cast<uint32_t>(code));
    return Check();
}

bool RegKey::Open(REGSAM access) {
    m_key.Reset();
    HKEY raw = nullptr;
    LONG code = RegOpenKeyExA(m_root, m_subKey.empty() ? nullptr : m_subKey.c_str(), 0, access, &raw);
    Record(u"RegOpenKeyExA()", static_cast<uint32_t>(code));
    if (code == ERROR_SUCCESS) m_key.Reset(raw);
    return Check();
}

bool RegKey::Create(SECURITY_ATTRIBUTES* security) {
    m_key.Reset();
    m_disposition = 0;
    HKEY raw = nullptr;
    DWORD disposition = 0;
    LONG code = RegCreateKeyExA(m_root, m_subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE, security, &raw, &disposition);
    Record(u"RegCreateKeyExA()", static_cast<uint32_t>(code));
    if (code == ERROR_SUCCESS) {
        m_key.Reset(raw);
        m_disposition = disposition;
    }
    return Check();
}

bool RegKey::Created() const { return IsOpen() && m_disposition == REG_CREATED_NEW_KEY; }

// Opens the key, learns type and size, checks the type and fetches the bytes. Only the
// size the second query reports is kept: the first one may be an upper bound, and the
// value may have changed in between (so the type is checked again).
bool RegKey::Query(const std::string& valueName, const char16_t* secondQueryName, bool multi,
                   std::vector<char>& data, DWORD& type) {
    if (!Open(KEY_QUERY_VALUE)) return false;
    auto accepted = [multi](DWORD t) { return multi ? t == REG_MULTI_SZ : IsStringType(t); };
    DWORD size = 0;
    type = REG_NONE;
    if (!Call(u"RegQueryValueExA()",
              RegQueryValueExA(m_key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size)))
        return false;
    if (!accepted(type)) return Call(u"RegQueryValueExA()", ERROR_INVALID_DATATYPE);
    std::vector<char> buffer(std::max<DWORD>(size, 1));
    DWORD got = size;
    if (!Call(secondQueryName,
              RegQueryValueExA(m_key.Get(), valueName.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &got)))
        return false;
    if (!accepted(type)) return Call(u"RegQueryValueExA()", ERROR_INVALID_DATATYPE);
    buffer.resize(std::min(got, size));
    data.swap(buffer);
    return true;
}

bool RegKey::Expand(std::string& text) {
    const char16_t* name = u"ExpandEnvironmentStringsA()";
    if (text.size() + 1 > kExpandLimit) return Call(name, ERROR_INSUFFICIENT_BUFFER);
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return Call(name, LastErrorCode());
    for (;;) {
        if (needed > kExpandLimit) return Call(name, ERROR_INSUFFICIENT_BUFFER);
        // The ANSI form may want one character more than it said (multibyte text).
        std::vector<char> buffer(needed + 2, '\0');
        DWORD written = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed + 1);
        if (written == 0) return Call(name, LastErrorCode());
        if (written <= needed + 1) {
            buffer.back() = '\0';
            text.assign(buffer.data());
            return true;
        }
        needed = written;  // the environment grew in between: again, larger
    }
}

bool RegKey::ReadString(const std::string& valueName, bool expand, std::string& text) {
    if (Skipped()) return false;
    std::vector<char> data;
    DWORD type = REG_NONE;
    if (!Query(valueName, u"RegQueryKeyEx()", false, data, type)) return false;
    std::string result;
    if (!Call(u"RegQueryValueExA()", static_cast<LONG>(RegValueData::DecodeString(data.data(), data.size(), result))))
        return false;
    if (type == REG_EXPAND_SZ && expand && !data.empty() && !Expand(result)) return false;
    text.swap(result);
    return true;
}

std::string RegKey::ReadString(const std::string& valueName, bool expand) {
    std::string text;
    ReadString(valueName, expand, text);
    return text;
}

bool RegKey::ReadMultiString(const std::string& valueName, std::vector<std::string>& list) {
    if (Skipped()) return false;
    std::vector<char> data;
    DWORD type = REG_NONE;
    if (!Query(valueName, u"RegQueryValueExA()", true, data, type)) return false;
    std::vector<std::string> result;
    if (!Call(u"RegQueryValueExA()",
              static_cast<LONG>(RegValueData::DecodeMultiString(data.data(), data.size(), result))))
        return false;
    list.swap(result);
    return true;
}

bool RegKey::WriteString(const std::string& valueName, const std::string& data, bool expand,
                         SECURITY_ATTRIBUTES* security) {
    if (Skipped() || !Create(security)) return false;
    const char* text = data.c_str();
    return SetValue(valueName, expand ? REG_EXPAND_SZ : REG_SZ, text,
                    static_cast<DWORD>(std::strlen(text) + 1));
}

bool RegKey::WriteMultiString(const std::string& valueName, const std::vector<std::string>& list,
                              SECURITY_ATTRIBUTES* security) {
    if (Skipped() || !Create(security)) return false;
    std::vector<char> data = RegValueData::EncodeMultiString(list);
    return SetValue(valueName, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size()));
}

bool RegKey::SetValue(const std::string& valueName, DWORD type, const void* data, DWORD size) {
    if (Skipped()) return false;
    return Call(u"RegSetValueExA()",
                RegSetValueExA(m_key.Get(), valueName.c_str(), 0, type,
                               static_cast<const BYTE*>(data), size));
}

bool RegKey::Enumerate(std::vector<std::string>& names, unsigned select) {
    if (Skipped()) return false;
    names.clear();
    REGSAM access = 0;
    if (select & SubKeys) access |= KEY_ENUMERATE_SUB_KEYS;
    if (select & ValueNames) access |= KEY_QUERY_VALUE;
    return Open(access) && EnumerateOpen(names, select);
}

bool RegKey::EnumerateOpen(std::vector<std::string>& names, unsigned select) {
    if (select & SubKeys) {
        char name[kKeyNameChars + 1];
        for (DWORD index = 0;; ++index) {
            DWORD length = kKeyNameChars;
            LONG code = RegEnumKeyExA(m_key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (code == ERROR_NO_MORE_ITEMS) break;
            if (!Call(u"RegEnumKeyExA()", code)) return false;
            names.emplace_back(name, std::min(length, kKeyNameChars));
        }
    }
    if (select & ValueNames) {
        // Most value names fit the short buffer; a longer one is fetched again in one that
        // holds the longest possible name rather than failing the whole listing.
        std::vector<char> name(kKeyNameChars + 1);
        for (DWORD index = 0;; ++index) {
            DWORD length;
            LONG code;
            for (;;) {
                length = static_cast<DWORD>(name.size() - 1);
                code = RegEnumValueA(m_key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
                if (code != ERROR_MORE_DATA || name.size() > kValueNameChars) break;
                name.resize(kValueNameChars + 1);
            }
            if (code == ERROR_NO_MORE_ITEMS) break;
            if (!Call(u"RegEnumValueA()", code)) return false;
            names.emplace_back(name.data(), std::min<std::size_t>(length, name.size() - 1));
        }
    }
    return true;
}

bool RegKey::Delete(bool recursive) {
    if (Skipped()) return false;
    // RegDeleteKeyA(root, "") would delete the root key itself, and a recursive deletion
    // would first empty it: a hive named alone (or a path that lost its subkey) must not
    // wipe the hive. The system itself answers access denied for a hive.
    if (m_subKey.find_first_not_of('\\') == std::string::npos)
        return Call(u"RegDeleteKeyA()", ERROR_ACCESS_DENIED);
    return DeleteOpen(recursive);
}

bool RegKey::DeleteOpen(bool recursive) {
    if (!Open(KEY_ENUMERATE_SUB_KEYS)) return false;
    std::vector<std::string> subKeys;
    if (!EnumerateOpen(subKeys, SubKeys)) return false;
    if (recursive) {
        for (const std::string& name : subKeys) {
            RegKey child(m_key.Get(), name, m_flavour);
            try {
                if (!child.Delete(true)) {
                    Assign(child);
                    return false;
                }
            } catch (const WWLib::RegException&) {
                Assign(child);
                throw;
            }
        }
    } else if (!subKeys.empty()) {
        if (!Open(KEY_QUERY_VALUE)) return false;
        std::vector<std::string> values;
        if (!EnumerateOpen(values, ValueNames)) return false;
        for (const std::string& name : values) {
            HKEY raw = nullptr;
            LONG code = RegOpenKeyExA(m_key.Get(), nullptr, 0, KEY_SET_VALUE, &raw);
            Record(u"RegOpenKeyExA()", static_cast<uint32_t>(code));
            if (!Check()) return false;
            RegKeyHandle setter(raw);
            if (!Call(u"RegDeleteValueA()", RegDeleteValueA(setter.Get(), name.c_str()))) return false;
        }
        return true;
    }
    m_key.Reset();  // so the key is gone when RegDeleteKeyA returns
    return Call(u"RegDeleteKeyA()", RegDeleteKeyA(m_root, m_subKey.c_str()));
}

bool RegKey::DeleteValue(const std::string& valueName) {
    if (Skipped() || !Open(KEY_SET_VALUE)) return false;
    return Call(u"RegDeleteValueA()", RegDeleteValueA(m_key.Get(), valueName.c_str()));
}

std::string RegReadString(HKEY root, const std::string& subKey, const std::string& valueName) {
    try {
        RegKey key(root, subKey);
        return key.ReadString(valueName, true);
    } catch (const WWLib::RegException& e) {
        throw InstallError(e.what());
    }
}

std::vector<std::string> RegReadMultiString(HKEY root, const std::string& subKey,
                                            const std::string& valueName) {
    try {
        RegKey key(root, subKey);
        std::vector<std::string> list;
        key.ReadMultiString(valueName, list);
        return list;
    } catch (const WWLib::RegException& e) {
        throw InstallError(e.what());
    }
}

bool RegWriteString(HKEY root, const std::string& subKey, const std::string& valueName,
                    const std::string& data, bool expand) {
    try {
        RegKey key(root, subKey);
        key.WriteString(valueName, data, expand);
        return key.Created();
    } catch (const WWLib::RegException& e) {
        throw InstallError(e.what());
    }
}

bool RegWriteMultiString(HKEY root, const std::string& subKey, const std::string& valueName,
                         const std::vector<std::string>& list) {
    try {
        RegKey key(root, subKey);
        key.WriteMultiString(valueName, list);
        return key.Created();
    } catch (const WWLib::RegException& e) {
        throw InstallError(e.what());
    }
}
