#pragma once
// A registry key named by root handle and subkey path, or by one text beginning with a
// hive name ("HKLM\SOFTWARE\Classes"), with the outcome of the last call it made (its
// WinResult), e.g. "RegOpenKeyExA() failed: Windows error: 2: The system cannot find
// the file specified.".
//
// Two flavours, alike but for failure reporting:
//   Checking: a failing call throws WWLib::RegException with that text.
//   Status:   nothing is thrown; once a call failed, later calls on the object do
//             nothing, and the caller looks at Failed(), Code() and Message().
// Every operation returns true on success (a checking key never returns false).
//
// Each read, write, enumeration or deletion opens (or creates) the key itself with the
// rights it needs; SetValue works on the key as it is already open. Windows only.
#include "NoCrtLib/OpResult.h"
#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

class RegKey : public WinResult {
public:
    enum class Flavour { Checking, Status };
    // Selection bits for Enumerate; subkeys come first when both are asked for.
    enum : unsigned { SubKeys = 1, ValueNames = 2 };

    // Names the key without opening it. The text form splits at the first backslash;
    // an unknown hive name gives a null root, which the first call then fails on.
    explicit RegKey(const std::string& path, Flavour flavour = Flavour::Checking);
    RegKey(HKEY root, const std::string& subKey, Flavour flavour = Flavour::Checking);
    // Opens root\subKey with the given rights ("RegOpenKeyExA()"); an empty subKey opens
    // root itself again, e.g. to get other rights on a key already open.
    RegKey(HKEY root, const std::string& subKey, REGSAM access, Flavour flavour = Flavour::Checking);
    RegKey(HKEY root, REGSAM access, Flavour flavour = Flavour::Checking);

    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // A REG_SZ or REG_EXPAND_SZ value as text; a REG_EXPAND_SZ value is expanded only when
    // expand is set. Other types fail with 1804, data without its terminating zero with
    // 13. On failure text is left as it was (the second form returns "" then).
    bool ReadString(const std::string& valueName, bool expand, std::string& text);
    std::string ReadString(const std::string& valueName, bool expand);
    // A REG_MULTI_SZ value as its list of entries (empty entries inside are kept).
    bool ReadMultiString(const std::string& valueName, std::vector<std::string>& list);

    // Create the key with any missing parents ("RegCreateKeyExA()") and store the value
    // as REG_EXPAND_SZ (expand set) or REG_SZ, or as REG_MULTI_SZ. Created() then tells
    // whether this call made the key.
    bool WriteString(const std::string& valueName, const std::string& data, bool expand,
                     SECURITY_ATTRIBUTES* security = nullptr);
    bool WriteMultiString(const std::string& valueName, const std::vector<std::string>& list,
                          SECURITY_ATTRIBUTES* security = nullptr);
    bool Created() const;

    // RegSetValueExA on the key as it is open (or created).
    bool SetValue(const std::string& valueName, DWORD type, const void* data, DWORD size);

    // Names of subkeys and/or values (selection bits above); names is cleared first.
    bool Enumerate(std::vector<std::string>& names, unsigned select);

    // Recursive: the key and everything below it. Not recursive: the key when it has no
    // subkeys; otherwise only its values go and the key and its subkeys stay.
    // A key that names a root itself (empty subkey path) is refused with code 5.
    bool Delete(bool recursive);
    bool DeleteValue(const std::string& valueName);

    HKEY Root() const { return m_root; }
    const std::string& SubKey() const { return m_subKey; }
    bool IsOpen() const { return static_cast<bool>(m_key); }
    HKEY Handle() const { return m_key.Get(); }

private:
    bool Skipped() const;
    bool Check();
    bool Call(const char16_t* operationName, LONG code);
    bool Open(REGSAM access);
    bool Create(SECURITY_ATTRIBUTES* security);
    bool Query(const std::string& valueName, const char16_t* secondQueryName, bool multi,
               std::vector<char>& data, DWORD& type);
    bool Expand(std::string& text);
    bool EnumerateOpen(std::vector<std::string>& names, unsigned select);
    bool DeleteOpen(bool recursive);

    HKEY m_root;
    std::string m_subKey;
    Flavour m_flavour;
    RegKeyHandle m_key;
    DWORD m_disposition = 0;
};

// Step-level operations: checking keys whose WWLib::RegException becomes an InstallError
// with the same text. A REG_EXPAND_SZ value is read expanded. The writes return true
// when they created the key, false when it existed.
std::string RegReadString(HKEY root, const std::string& subKey, const std::string& valueName);
std::vector<std::string> RegReadMultiString(HKEY root, const std::string& subKey,
                                            const std::string& valueName);
bool RegWriteString(HKEY root, const std::string& subKey, const std::string& valueName,
                    const std::string& data, bool expand);
bool RegWriteMultiString(HKEY root, const std::string& subKey, const std::string& valueName,
                         const std::vector<std::string>& list);
