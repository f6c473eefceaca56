#pragma once
// Test support: remembers one registry value (or its absence) and puts it back when the
// test ends, so tests can edit machine-wide values of their throwaway prefix.
#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

class SavedRegValue {
public:
    SavedRegValue(HKEY root, std::string subKey, std::string name)
        : m_root(root), m_subKey(std::move(subKey)), m_name(std::move(name)) {
        HKEY key;
        if (RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
        RegKeyHandle owner(key);
        DWORD size = 0;
        if (RegQueryValueExA(key, m_name.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
            m_data.resize(size);
            m_existed = RegQueryValueExA(key, m_name.c_str(), nullptr, &m_type,
                                         size ? m_data.data() : nullptr, &size) == ERROR_SUCCESS;
            m_data.resize(size);
        }
    }
    SavedRegValue(const SavedRegValue&) = delete;
    SavedRegValue& operator=(const SavedRegValue&) = delete;
    ~SavedRegValue() {
        if (m_existed)
            Set(m_type, m_data.data(), static_cast<DWORD>(m_data.size()));
        else
            Delete();
    }

    void SetString(const std::string& text, DWORD type = REG_SZ) {
        Set(type, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
    }
    void Delete() {
        HKEY key;
        if (RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegKeyHandle owner(key);
        RegDeleteValueA(key, m_name.c_str());
    }

private:
    void Set(DWORD type, const BYTE* data, DWORD size) {
        HKEY key;
        if (RegCreateKeyExA(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegKeyHandle owner(key);
        RegSetValueExA(key, m_name.c_str(), 0, type, data, size);
    }

    HKEY m_root;
    std::string m_subKey;
    std::string m_name;
    bool m_existed = false;
    DWORD m_type = 0;
    std::vector<BYTE> m_data;
};
