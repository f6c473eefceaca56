#include "platform/RegKey.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WWLibExceptions.h"
#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// Runs against the real (Wine) registry, below a scratch key HKCU\Software\QxTest\<random>
// that the fixture creates and removes. The failure texts are Wine's message table's.
namespace {

const std::string kNotFound = "File not found.";
const std::string kAccessDenied = "Access denied.";
const std::string kInvalidHandle = "Invalid handle.";
const std::string kInvalidData = "Invalid data.";
const std::string kInvalidDataType = "Invalid data type.";
const std::string kKeyDeleted = "Key deleted.";
const std::string kInsufficientBuffer = "Insufficient buffer.";

std::string Failure(const std::string& operation, unsigned code, const std::string& text) {
    return operation + " failed: Windows error: " + std::to_string(code) + ": " + text;
}

std::string Narrow(const std::u16string& wide) { return std::string(wide.begin(), wide.end()); }

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
using NtQueryKeyFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

// Removes a key and everything below it without following symbolic links, so that the
// links the tests plant are removed themselves (RegDeleteKeyA refuses them).
void DeleteTreeRaw(HKEY parent, const std::string& name) {
    static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), REG_OPTION_OPEN_LINK,
                      KEY_ENUMERATE_SUB_KEYS | DELETE, &key) != ERROR_SUCCESS)
        return;
    RegKeyHandle owner(key);
    for (;;) {
        char sub[262];
        DWORD length = 261;
        if (RegEnumKeyExA(key, 0, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTreeRaw(key, sub);
    }
    ntDeleteKey(key);
}

class RegKeyTest : public testing::Test {
protected:
    void SetUp() override {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        char name[64];
        std::snprintf(name, sizeof name, "%08lx%08lx", GetCurrentProcessId(),
                      static_cast<unsigned long>(now.LowPart));
        m_sub = "Software\\QxTest\\" + std::string(name);
        m_path = "HKEY_CURRENT_USER\\" + m_sub;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, m_sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegKeyHandle(key).Reset();
        SetEnvironmentVariableA("QXTESTVAR", "expanded");
    }

    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            DeleteTreeRaw(root, m_sub);
            RegDeleteKeyA(root, "Software\\QxTest");  // only goes when empty
        }
        EXPECT_FALSE(Exists(""));
    }

    std::string Sub(const std::string& below) const { return below.empty() ? m_sub : m_sub + "\\" + below; }
    std::string Path(const std::string& below) const { return below.empty() ? m_path : m_path + "\\" + below; }

    void Put(const std::string& below, const char* name, DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Sub(below).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegKeyHandle owner(key);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    void PutText(const std::string& below, const char* name, DWORD type, const std::string& text) {
        Put(below, name, type, text + std::string(1, '\0'));
    }
    void PutWide(const std::string& below, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Sub(below).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegKeyHandle owner(key);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    // Stores exactly count bytes of data, even for string types (RegSetValueExA would add a
    // forgotten terminating zero if one followed the data).
    void PutCounted(const char* name, DWORD type, const char* data, DWORD count) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, m_sub.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        RegKeyHandle owner(key);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data), count), ERROR_SUCCESS);
    }
    void MakeKey(const std::string& below) { Put(below, "", REG_SZ, Bytes("\0", 1)); }

    // The value as stored: its type and bytes, read with the plain API.
    bool Get(const std::string& below, const char* name, DWORD& type, std::string& bytes) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Sub(below).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        RegKeyHandle owner(key);
        DWORD size = 0;
        LONG code = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        std::vector<char> data(size + 1);
        if (code == ERROR_SUCCESS)
            code = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        owner.Reset();
        bytes.assign(data.data(), size);
        return code == ERROR_SUCCESS;
    }
    bool HasValue(const std::string& below, const char* name) const {
        DWORD type;
        std::string bytes;
        return Get(below, name, type, bytes);
    }
    bool Exists(const std::string& below) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Sub(below).c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        RegKeyHandle(key).Reset();
        return true;
    }

    // A symbolic link whose target's parent does not exist: creating or opening anything
    // through it fails with "not found" (Wine grants every registry permission otherwise).
    void MakeDeadLink(const std::string& below) {
        static const auto ntQueryKey = reinterpret_cast<NtQueryKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
        HKEY scratch = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, m_sub.c_str(), 0, KEY_READ, &scratch), ERROR_SUCCESS);
        RegKeyHandle scratchOwner(scratch);
        std::vector<char> info(2048);
        ULONG length = 0;
        ASSERT_EQ(ntQueryKey(scratch, 3 /* KeyNameInformation */, info.data(), static_cast<ULONG>(info.size()),
                             &length),
                  0);
        scratchOwner.Reset();
        ULONG nameBytes;
        std::memcpy(&nameBytes, info.data(), sizeof nameBytes);
        std::wstring target(reinterpret_cast<const wchar_t*>(info.data() + sizeof(ULONG)), nameBytes / 2);
        target += L"\\missing\\target";
        HKEY link = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Sub(below).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                  KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr),
                  ERROR_SUCCESS);
        RegKeyHandle linkOwner(link);
        EXPECT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(target.c_str()),
                                 static_cast<DWORD>(target.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    std::string m_sub;   // below HKEY_CURRENT_USER
    std::string m_path;  // the same as text with the hive name
};

// ---- opening and naming ----

TEST_F(RegKeyTest, OpensExistingKeyAndRecordsTheCall) {
    RegKey key(HKEY_CURRENT_USER, m_sub, KEY_READ);
    EXPECT_TRUE(key.IsOpen());
    EXPECT_TRUE(key.Succeeded());
    EXPECT_EQ(Narrow(key.Message()), "RegOpenKeyExA() succeeded.");
}

TEST_F(RegKeyTest, OpeningMissingKeyThrowsInCheckingFlavourAndReportsInStatusFlavour) {
    const std::string expected = Failure("RegOpenKeyExA()", 2, kNotFound);
    try {
        RegKey key(HKEY_CURRENT_USER, Sub("missing"), KEY_READ);
        ADD_FAILURE() << "no exception";
    } catch (const WWLib::RegException& e) {
        EXPECT_EQ(std::string(e.what()), expected);
        EXPECT_EQ(e.Code(), 2u);
        EXPECT_EQ(Narrow(e.OperationName()), "RegOpenKeyExA()");
        EXPECT_EQ(Narrow(e.Description()), kNotFound);
    }
    RegKey status(HKEY_CURRENT_USER, Sub("missing"), KEY_READ, RegKey::Flavour::Status);
    EXPECT_FALSE(status.IsOpen());
    EXPECT_TRUE(status.Failed());
    EXPECT_EQ(status.Code(), 2u);
    EXPECT_EQ(Narrow(status.Message()), expected);
}

TEST_F(RegKeyTest, OpensARootHandleAgainWithOtherRights) {
    RegKey reader(HKEY_CURRENT_USER, m_sub, KEY_QUERY_VALUE);
    RegKey writer(reader.Handle(), KEY_SET_VALUE);
    ASSERT_TRUE(writer.IsOpen());
    EXPECT_TRUE(writer.SetValue("v", REG_SZ, "abc", 4));
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(Get("", "v", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, Bytes("abc\0", 4));
}

TEST_F(RegKeyTest, TextualPathsAddressKeysByEveryHiveSpelling) {
    PutText("", "v", REG_SZ, "cu");
    const std::string spellings[] = {"HKEY_CURRENT_USER\\", "HKCU\\", "hkcu\\", "hkey_current_user\\"};
    for (const std::string& hive : spellings) {
        RegKey key(hive + m_sub, RegKey::Flavour::Status);
        std::string text;
        EXPECT_TRUE(key.ReadString("v", false, text)) << hive;
        EXPECT_EQ(text, "cu") << hive;
    }
    // HKLM and its full name reach the same machine key.
    RegKey("hklm\\" + m_sub).WriteString("m", "machine", false);
    EXPECT_EQ(RegKey("HKEY_LOCAL_MACHINE\\" + m_sub).ReadString("m", false), "machine");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_sub.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegKeyHandle(key).Reset();
    EXPECT_TRUE(RegKey("HKLM\\" + m_sub).Delete(true));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_sub.c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegKeyTest, UnknownHiveNameFailsOnTheFirstCall) {
    RegKey key("HKCR\\.qxp", RegKey::Flavour::Status);
    EXPECT_EQ(key.Root(), nullptr);
    EXPECT_EQ(key.SubKey(), ".qxp");
    std::string text = "unchanged";
    EXPECT_FALSE(key.ReadString("", false, text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(Narrow(key.Message()), Failure("RegOpenKeyExA()", 6, kInvalidHandle));
}

TEST_F(RegKeyTest, TextualPathOpensNothingByItself) {
    RegKey key(Path("not\\there"));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(key.Succeeded());
    EXPECT_FALSE(Exists("not"));
}

// ---- reading strings ----

TEST_F(RegKeyTest, ReadsStringsExpandingOnlyExpandableValuesWhenAsked) {
    PutText("", "sz", REG_SZ, "%QXTESTVAR%\\plain");
    PutText("", "esz", REG_EXPAND_SZ, "%QXTESTVAR%\\bin;%NOSUCHQXVAR%");
    PutText("", "", REG_SZ, "default value");
    Put("", "empty0", REG_SZ, "");
    Put("", "empty1", REG_EXPAND_SZ, Bytes("\0", 1));
    Put("", "zeroInside", REG_SZ, Bytes("ab\0cd\0", 6));
    const struct {
        const char* name;
        bool expand;
        std::string text;
    } cases[] = {
        {"sz", false, "%QXTESTVAR%\\plain"},
        {"sz", true, "%QXTESTVAR%\\plain"},
        {"esz", false, "%QXTESTVAR%\\bin;%NOSUCHQXVAR%"},
        {"esz", true, "expanded\\bin;%NOSUCHQXVAR%"},
        {"", false, "default value"},
        {"empty0", true, ""},
        {"empty1", true, ""},
        {"zeroInside", false, "ab"},
    };
    for (const auto& c : cases) {
        for (RegKey::Flavour flavour : {RegKey::Flavour::Checking, RegKey::Flavour::Status}) {
            RegKey key(HKEY_CURRENT_USER, m_sub, flavour);
            std::string text = "unchanged";
            EXPECT_TRUE(key.ReadString(c.name, c.expand, text)) << c.name;
            EXPECT_EQ(text, c.text) << c.name << " expand " << c.expand;
        }
    }
}

TEST_F(RegKeyTest, ReadingStringFailuresNameTheCallAndLeaveTheTextAlone) {
    DWORD number = 7;
    Put("", "dword", REG_DWORD, Bytes(reinterpret_cast<const char*>(&number), sizeof number));
    Put("", "binary", REG_BINARY, "abc");
    Put("", "multi", REG_MULTI_SZ, Bytes("a\0\0", 3));
    PutCounted("noZeroA", REG_SZ, "abcd", 3);
    PutCounted("noZeroB", REG_EXPAND_SZ, "abcd", 3);
    PutWide("", L"oddSize", REG_SZ, L"abc", 5);  // two and a half characters
    const struct {
        std::string keyBelow;
        const char* name;
        std::string failure;
    } cases[] = {
        {"missing", "v", Failure("RegOpenKeyExA()", 2, kNotFound)},
        {"", "absent", Failure("RegQueryValueExA()", 2, kNotFound)},
        {"", "dword", Failure("RegQueryValueExA()", 1804, kInvalidDataType)},
        {"", "binary", Failure("RegQueryValueExA()", 1804, kInvalidDataType)},
        {"", "multi", Failure("RegQueryValueExA()", 1804, kInvalidDataType)},
        {"", "noZeroA", Failure("RegQueryValueExA()", 13, kInvalidData)},
        {"", "noZeroB", Failure("RegQueryValueExA()", 13, kInvalidData)},
        {"", "oddSize", Failure("RegQueryValueExA()", 13, kInvalidData)},
    };
    for (const auto& c : cases) {
        RegKey checking(HKEY_CURRENT_USER, Sub(c.keyBelow));
        try {
            checking.ReadString(c.name, true);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const WWLib::RegException& e) {
            EXPECT_EQ(std::string(e.what()), c.failure) << c.name;
        }
        RegKey status(HKEY_CURRENT_USER, Sub(c.keyBelow), RegKey::Flavour::Status);
        std::string text = "unchanged";
        EXPECT_FALSE(status.ReadString(c.name, true, text));
        EXPECT_EQ(text, "unchanged") << c.name;
        EXPECT_EQ(Narrow(status.Message()), c.failure) << c.name;
    }
}

TEST_F(RegKeyTest, LongPathValueReadsAndWritesBackWhole) {
    std::string path;
    for (int i = 0; path.size() < 30000; ++i) path += "C:\\Program Files\\Tool" + std::to_string(i) + ";";
    path += "%QXTESTVAR%";
    RegKey writer(m_path + "\\Environment", RegKey::Flavour::Status);
    ASSERT_TRUE(writer.WriteString("PATH", path, true));
    RegKey reader(m_path + "\\Environment", RegKey::Flavour::Status);
    std::string text;
    ASSERT_TRUE(reader.ReadString("PATH", false, text));
    EXPECT_EQ(text, path);
    RegKey again(m_path + "\\Environment", RegKey::Flavour::Status);
    ASSERT_TRUE(again.WriteString("PATH", text + ";C:\\Q", true));
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(Get("Environment", "PATH", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(bytes, path + ";C:\\Q" + std::string(1, '\0'));
    // Expanded, the text grows by the variable's value and is still whole.
    std::string expanded;
    ASSERT_TRUE(RegKey(m_path + "\\Environment").ReadString("PATH", true, expanded));
    EXPECT_EQ(expanded, path.substr(0, path.size() - 11) + "expanded;C:\\Q");
}

TEST_F(RegKeyTest, VeryLongStringsRoundTripUnexpanded) {
    std::string text(100000, 'x');
    text[0] = 'A';
    text.back() = 'Z';
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, Sub("big"), "big", text, false));
    EXPECT_EQ(RegKey(HKEY_CURRENT_USER, Sub("big")).ReadString("big", false), text);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, Sub("big"), "big"), text);
}

TEST_F(RegKeyTest, ExpansionBeyondTheSystemLimitFailsInsteadOfTruncating) {
    // The system expands at most 32767 characters; past that it truncates (or faults).
    PutText("", "longSource", REG_EXPAND_SZ, std::string(40000, 's') + "%QXTESTVAR%");
    SetEnvironmentVariableA("QXTESTBIG", std::string(20000, 'b').c_str());
    PutText("", "longResult", REG_EXPAND_SZ, "%QXTESTBIG%%QXTESTBIG%");
    for (const char* name : {"longSource", "longResult"}) {
        RegKey key(m_path, RegKey::Flavour::Status);
        std::string text = "unchanged";
        EXPECT_FALSE(key.ReadString(name, true, text)) << name;
        EXPECT_EQ(text, "unchanged");
        EXPECT_EQ(Narrow(key.Message()), Failure("ExpandEnvironmentStringsA()", 122, kInsufficientBuffer));
    }
    // Unexpanded they read whole, and an expansion just below the limit is whole too.
    EXPECT_EQ(RegKey(m_path).ReadString("longResult", false), "%QXTESTBIG%%QXTESTBIG%");
    EXPECT_EQ(RegKey(m_path).ReadString("longSource", false).size(), 40011u);
    SetEnvironmentVariableA("QXTESTBIG", std::string(16383, 'b').c_str());
    EXPECT_EQ(RegKey(m_path).ReadString("longResult", true), std::string(32766, 'b'));
    SetEnvironmentVariableA("QXTESTBIG", nullptr);
}

// Keeps switching a value between a short and a long version until stopped.
struct Resizer {
    std::string sub;
    DWORD type;
    std::string shortBytes, longBytes;
    std::atomic<bool> stop;

    static DWORD WINAPI Run(void* self) {
        Resizer& r = *static_cast<Resizer*>(self);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, r.sub.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return 1;
        RegKeyHandle owner(key);
        for (bool grow = true; !r.stop; grow = !grow) {
            const std::string& bytes = grow ? r.longBytes : r.shortBytes;
            RegSetValueExA(key, "race", 0, r.type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size()));
        }
        return 0;
    }
};

// The second query is named "RegQueryKeyEx()" for strings and "RegQueryValueExA()" for
// lists. It fails only when the value grows between the two queries, so another thread
// keeps resizing the value; every read either fails there or returns one whole version.
TEST_F(RegKeyTest, ValueGrowingBetweenTheQueriesFailsTheSecondQueryOrReadsWhole) {
    const std::string shortText = "s";
    const std::string longText(200, 'L');
    const struct {
        DWORD type;
        std::string shortBytes, longBytes;
        const char* secondQuery;
    } cases[] = {
        {REG_SZ, shortText + '\0', longText + '\0', "RegQueryKeyEx()"},
        {REG_MULTI_SZ, shortText + '\0' + '\0', longText + '\0' + '\0', "RegQueryValueExA()"},
    };
    for (const auto& c : cases) {
        Put("", "race", c.type, c.shortBytes);
        Resizer resizer{m_sub, c.type, c.shortBytes, c.longBytes, {false}};
        KernelHandle thread(CreateThread(nullptr, 0, &Resizer::Run, &resizer, 0, nullptr));
        ASSERT_NE(thread.Get(), nullptr);
        int secondQueryFailures = 0, reads = 0;
        for (int i = 0; i < 20000 && secondQueryFailures < 3; ++i) {
            RegKey key(HKEY_CURRENT_USER, m_sub, RegKey::Flavour::Status);
            std::string text;
            std::vector<std::string> list;
            bool ok = c.type == REG_SZ ? key.ReadString("race", false, text) : key.ReadMultiString("race", list);
            if (ok) {
                ++reads;
                if (c.type == REG_SZ) EXPECT_TRUE(text == shortText || text == longText) << text;
                else EXPECT_TRUE(list == std::vector<std::string>{shortText} || list == std::vector<std::string>{longText});
            } else {
                EXPECT_EQ(Narrow(key.Message()), Failure(c.secondQuery, 234, "More data available."));
                ++secondQueryFailures;
            }
        }
        resizer.stop = true;
        WaitForSingleObject(thread.Get(), INFINITE);
        EXPECT_EQ(secondQueryFailures, 3) << c.secondQuery;
        EXPECT_GT(reads, 0);
    }
}

// ---- multi-strings ----

TEST_F(RegKeyTest, ReadsMultiStringsAsStored) {
    const struct {
        std::string bytes;
        std::vector<std::string> list;
    } cases[] = {
        {"", {}},
        {Bytes("\0", 1), {}},
        {Bytes("\0\0", 2), {}},
        {Bytes("a\0\0", 3), {"a"}},
        {Bytes("a\0\0b\0\0", 6), {"a", "", "b"}},
        {Bytes("\\??\\C:\\Q\\old.dll\0\0\\??\\C:\\Q\\a\0C:\\Q\\b\0\0", 37),
         {"\\??\\C:\\Q\\old.dll", "", "\\??\\C:\\Q\\a", "C:\\Q\\b"}},
        {Bytes("one\0two\0", 8), {"one", "two"}},  // list terminator missing
    };
    for (const auto& c : cases) {
        Put("", "m", REG_MULTI_SZ, c.bytes);
        std::vector<std::string> list{"stale"};
        EXPECT_TRUE(RegKey(m_path).ReadMultiString("m", list));
        EXPECT_EQ(list, c.list) << testing::PrintToString(c.bytes);
        EXPECT_EQ(RegReadMultiString(HKEY_CURRENT_USER, m_sub, "m"), c.list);
    }
}

TEST_F(RegKeyTest, ReadingMultiStringFailuresNameTheCall) {
    PutText("", "sz", REG_SZ, "text");
    PutCounted("noZero", REG_MULTI_SZ, "a\0bX", 3);
    const struct {
        std::string keyBelow;
        const char* name;
        std::string failure;
    } cases[] = {
        {"missing", "m", Failure("RegOpenKeyExA()", 2, kNotFound)},
        {"", "absent", Failure("RegQueryValueExA()", 2, kNotFound)},
        {"", "sz", Failure("RegQueryValueExA()", 1804, kInvalidDataType)},
        {"", "noZero", Failure("RegQueryValueExA()", 13, kInvalidData)},
    };
    for (const auto& c : cases) {
        RegKey status(HKEY_CURRENT_USER, Sub(c.keyBelow), RegKey::Flavour::Status);
        std::vector<std::string> list{"unchanged"};
        EXPECT_FALSE(status.ReadMultiString(c.name, list));
        EXPECT_EQ(list, std::vector<std::string>{"unchanged"});
        EXPECT_EQ(Narrow(status.Message()), c.failure) << c.name;
        try {
            RegReadMultiString(HKEY_CURRENT_USER, Sub(c.keyBelow), c.name);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const InstallError& e) {
            EXPECT_EQ(std::string(e.what()), c.failure);
        }
    }
}

TEST_F(RegKeyTest, WritesMultiStringsWithTheirTerminators) {
    const struct {
        std::vector<std::string> list;
        std::string bytes;
    } cases[] = {
        {{}, Bytes("\0\0", 2)},
        {{"a"}, Bytes("a\0\0", 3)},
        {{"\\??\\C:\\Q\\x.dll", ""}, Bytes("\\??\\C:\\Q\\x.dll\0\0\0", 17)},
        {{"a", "", "b"}, Bytes("a\0\0b\0\0", 6)},
    };
    for (const auto& c : cases) {
        RegWriteMultiString(HKEY_CURRENT_USER, Sub("Session Manager"), "PendingFileRenameOperations", c.list);
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(Get("Session Manager", "PendingFileRenameOperations", type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
        EXPECT_EQ(bytes, c.bytes) << testing::PrintToString(c.list);
        EXPECT_EQ(RegReadMultiString(HKEY_CURRENT_USER, Sub("Session Manager"), "PendingFileRenameOperations"),
                  c.list);
    }
}

// ---- writing ----

TEST_F(RegKeyTest, WritesReportWhetherTheyCreatedTheKey) {
    const struct {
        const char* what;
        bool (*write)(const std::string& sub);
    } writers[] = {
        {"RegWriteString", [](const std::string& sub) {
             return RegWriteString(HKEY_CURRENT_USER, sub, "v", "text", false);
         }},
        {"RegWriteMultiString", [](const std::string& sub) {
             return RegWriteMultiString(HKEY_CURRENT_USER, sub, "v", {"a", "b"});
         }},
        {"RegKey::WriteString", [](const std::string& sub) {
             RegKey key(HKEY_CURRENT_USER, sub);
             key.WriteString("v", "text", true);
             return key.Created();
         }},
        {"RegKey::WriteMultiString, status flavour", [](const std::string& sub) {
             RegKey key("HKCU\\" + sub, RegKey::Flavour::Status);
             return key.WriteMultiString("v", {"x"}) && key.Created();
         }},
    };
    int n = 0;
    for (const auto& w : writers) {
        const std::string below = "w" + std::to_string(n++) + "\\with\\parents";
        EXPECT_TRUE(w.write(Sub(below))) << w.what;
        EXPECT_TRUE(HasValue(below, "v")) << w.what;
        EXPECT_FALSE(w.write(Sub(below))) << w.what;
        EXPECT_FALSE(w.write(Sub(below))) << w.what;
    }
}

TEST_F(RegKeyTest, WritesStringsWithTypeAndTerminatingZero) {
    RegWriteString(HKEY_CURRENT_USER, m_sub, "plain", "C:\\Apps\\Q", false);
    RegWriteString(HKEY_CURRENT_USER, m_sub, "expand", "%SystemRoot%\\x", true);
    RegWriteString(HKEY_CURRENT_USER, m_sub, "", "", false);
    RegWriteString(HKEY_CURRENT_USER, m_sub, "zero", std::string("ab\0cd", 5), false);
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"plain", REG_SZ, Bytes("C:\\Apps\\Q\0", 10)},
        {"expand", REG_EXPAND_SZ, Bytes("%SystemRoot%\\x\0", 15)},
        {"", REG_SZ, Bytes("\0", 1)},
        {"zero", REG_SZ, Bytes("ab\0", 3)},  // a value's text ends at its first zero
    };
    for (const auto& c : cases) {
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(Get("", c.name, type, bytes)) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
}

TEST_F(RegKeyTest, WriteFailuresNameTheCall) {
    MakeDeadLink("dead");
    HKEY gone = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Sub("gone").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &gone, nullptr),
              ERROR_SUCCESS);
    RegKeyHandle goneOwner(gone);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, Sub("gone").c_str()), ERROR_SUCCESS);
    const struct {
        HKEY root;
        std::string sub;
        std::string failure;
    } cases[] = {
        {HKEY_CURRENT_USER, Sub("dead"), Failure("RegCreateKeyExA()", 2, kNotFound)},
        {HKEY_CURRENT_USER, Sub("dead\\below"), Failure("RegCreateKeyExA()", 2, kNotFound)},
        {gone, "child", Failure("RegCreateKeyExA()", 1018, kKeyDeleted)},
    };
    for (const auto& c : cases) {
        for (bool multi : {false, true}) {
            try {
                multi ? RegWriteMultiString(c.root, c.sub, "v", {"a"}) : RegWriteString(c.root, c.sub, "v", "a", false);
                ADD_FAILURE() << c.sub << ": no exception";
            } catch (const InstallError& e) {
                EXPECT_EQ(std::string(e.what()), c.failure) << c.sub;
            }
            RegKey status(c.root, c.sub, RegKey::Flavour::Status);
            EXPECT_FALSE(multi ? status.WriteMultiString("v", {"a"}) : status.WriteString("v", "a", false));
            EXPECT_FALSE(status.Created());
            EXPECT_EQ(Narrow(status.Message()), c.failure);
        }
    }
    goneOwner.Reset();
    EXPECT_FALSE(Exists("missing"));
}

TEST_F(RegKeyTest, SetValueWorksOnTheOpenKeyAndNamesTheCallOnFailure) {
    RegKey writer(HKEY_CURRENT_USER, m_sub, KEY_SET_VALUE);
    const DWORD number = 0x01020304;
    EXPECT_TRUE(writer.SetValue("n", REG_DWORD, &number, sizeof number));
    EXPECT_EQ(Narrow(writer.Message()), "RegSetValueExA() succeeded.");
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(Get("", "n", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(bytes, Bytes("\x04\x03\x02\x01", 4));

    const struct {
        const char* what;
        REGSAM access;  // 0: not opened at all
        std::string failure;
    } cases[] = {
        {"opened for reading only", KEY_QUERY_VALUE, Failure("RegSetValueExA()", 5, kAccessDenied)},
        {"never opened", 0, Failure("RegSetValueExA()", 6, kInvalidHandle)},
    };
    for (const auto& c : cases) {
        std::unique_ptr<RegKey> checking(c.access ? new RegKey(HKEY_CURRENT_USER, m_sub, c.access)
                                                   : new RegKey(HKEY_CURRENT_USER, m_sub));
        try {
            checking->SetValue("n", REG_SZ, "x", 2);
            ADD_FAILURE() << c.what;
        } catch (const WWLib::RegException& e) {
            EXPECT_EQ(std::string(e.what()), c.failure) << c.what;
        }
    }
}

TEST_F(RegKeyTest, StatusFlavourSkipsEverythingAfterTheFirstFailure) {
    RegKey key(Path("missing"), RegKey::Flavour::Status);
    std::string text = "unchanged";
    EXPECT_FALSE(key.ReadString("v", false, text));
    std::vector<std::string> names{"unchanged"};
    EXPECT_FALSE(key.WriteString("v", "written", false));
    EXPECT_FALSE(key.WriteMultiString("v", {"written"}));
    EXPECT_FALSE(key.Enumerate(names, RegKey::SubKeys | RegKey::ValueNames));
    EXPECT_FALSE(key.Delete(true));
    EXPECT_FALSE(key.DeleteValue("v"));
    EXPECT_FALSE(key.SetValue("v", REG_SZ, "x", 2));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(names, std::vector<std::string>{"unchanged"});
    EXPECT_FALSE(Exists("missing"));
    EXPECT_EQ(key.Code(), 2u);
    EXPECT_EQ(Narrow(key.Message()), Failure("RegOpenKeyExA()", 2, kNotFound));
}

// ---- enumeration ----

TEST_F(RegKeyTest, EnumeratesSubkeysBeforeValuesAsSelected) {
    MakeKey("e\\k1");
    MakeKey("e\\k2");
    PutText("e", "v1", REG_SZ, "1");
    const std::string longName(300, 'n');  // longer than the usual name buffer
    PutText("e", longName.c_str(), REG_SZ, "2");
    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    const struct {
        unsigned select;
        std::vector<std::string> keys, values;
    } cases[] = {
        {RegKey::SubKeys, {"k1", "k2"}, {}},
        {RegKey::ValueNames, {}, {longName, "v1"}},
        {RegKey::SubKeys | RegKey::ValueNames, {"k1", "k2"}, {longName, "v1"}},
        {0, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names{"stale"};
        EXPECT_TRUE(RegKey(Path("e")).Enumerate(names, c.select));
        ASSERT_EQ(names.size(), c.keys.size() + c.values.size()) << c.select;
        std::vector<std::string> keys(names.begin(), names.begin() + c.keys.size());
        std::vector<std::string> values(names.begin() + c.keys.size(), names.end());
        EXPECT_EQ(sorted(keys), c.keys) << c.select;
        EXPECT_EQ(sorted(values), sorted(c.values)) << c.select;
    }
}

// Keeps creating and deleting one key until stopped.
struct Flicker {
    std::string sub;
    std::atomic<bool> stop;

    static DWORD WINAPI Run(void* self) {
        Flicker& f = *static_cast<Flicker*>(self);
        while (!f.stop) {
            HKEY key = nullptr;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, f.sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr) == ERROR_SUCCESS)
                RegKeyHandle created(key);
            RegDeleteKeyA(HKEY_CURRENT_USER, f.sub.c_str());
        }
        return 0;
    }
};

// Enumeration fails in its own calls only when the key goes away after it was opened, so
// another thread keeps creating and deleting it.
TEST_F(RegKeyTest, EnumerationFailuresNameTheCall) {
    std::vector<std::string> names;
    try {
        RegKey(Path("missing")).Enumerate(names, RegKey::SubKeys);
        ADD_FAILURE() << "no exception";
    } catch (const WWLib::RegException& e) {
        EXPECT_EQ(std::string(e.what()), Failure("RegOpenKeyExA()", 2, kNotFound));
    }
    const struct {
        unsigned select;
        const char* enumCall;
    } cases[] = {
        {RegKey::SubKeys, "RegEnumKeyExA()"},
        {RegKey::ValueNames, "RegEnumValueA()"},
    };
    for (const auto& c : cases) {
        Flicker flicker{Sub("flicker"), {false}};
        KernelHandle thread(CreateThread(nullptr, 0, &Flicker::Run, &flicker, 0, nullptr));
        ASSERT_NE(thread.Get(), nullptr);
        int enumFailures = 0;
        for (int i = 0; i < 20000 && enumFailures < 3; ++i) {
            RegKey key(Path("flicker"), RegKey::Flavour::Status);
            if (key.Enumerate(names, c.select)) continue;
            const std::string text = Narrow(key.Message());
            if (text == Failure(c.enumCall, 1018, kKeyDeleted)) ++enumFailures;
            else EXPECT_EQ(text, Failure("RegOpenKeyExA()", 2, kNotFound));
        }
        flicker.stop = true;
        WaitForSingleObject(thread.Get(), INFINITE);
        EXPECT_EQ(enumFailures, 3) << c.enumCall;
    }
}

// ---- deletion ----

TEST_F(RegKeyTest, RecursiveDeletionRemovesTheWholeTree) {
    MakeKey("t\\a\\b\\c");
    MakeKey("t\\a\\d");
    MakeKey("t\\e");
    PutText("t", "v", REG_SZ, "x");
    PutText("t\\a\\b", "v", REG_SZ, "x");
    MakeKey("sibling");
    RegKey key(Path("t"));
    EXPECT_TRUE(key.Delete(true));
    EXPECT_EQ(Narrow(key.Message()), "RegDeleteKeyA() succeeded.");
    EXPECT_FALSE(Exists("t"));
    EXPECT_TRUE(Exists("sibling"));
}

TEST_F(RegKeyTest, NonRecursiveDeletionRemovesALeafKey) {
    PutText("leaf", "v", REG_SZ, "x");
    PutText("leaf", "", REG_SZ, "default");
    EXPECT_TRUE(RegKey(HKEY_CURRENT_USER, Sub("leaf")).Delete(false));
    EXPECT_FALSE(Exists("leaf"));
}

TEST_F(RegKeyTest, NonRecursiveDeletionOfKeyWithSubkeysRemovesOnlyItsValues) {
    PutText("ext", "", REG_SZ, "Arvendo.Quarnelix.4.26.Profile");
    PutText("ext", "Content Type", REG_SZ, "text/plain");
    PutText("ext", std::string(300, 'n').c_str(), REG_SZ, "long name");
    PutText("ext\\ShellNew", "NullFile", REG_SZ, "");
    RegKey key(Path("ext"));
    EXPECT_TRUE(key.Delete(false));
    EXPECT_TRUE(Exists("ext"));
    EXPECT_TRUE(Exists("ext\\ShellNew"));
    EXPECT_TRUE(HasValue("ext\\ShellNew", "NullFile"));
    std::vector<std::string> values;
    RegKey(Path("ext")).Enumerate(values, RegKey::ValueNames);
    EXPECT_TRUE(values.empty()) << testing::PrintToString(values);
}

TEST_F(RegKeyTest, DeletionFailuresNameTheCallAndTheKeyTakesOverTheCode) {
    MakeKey("withDead\\alive");
    MakeDeadLink("withDead\\zdead");  // the child that cannot be opened
    {
        RegKey key(Path("withDead"));
        try {
            key.Delete(true);
            ADD_FAILURE() << "no exception";
        } catch (const WWLib::RegException& e) {
            EXPECT_EQ(std::string(e.what()), Failure("RegOpenKeyExA()", 2, kNotFound));
        }
        EXPECT_EQ(key.Code(), 2u);
        EXPECT_EQ(Narrow(key.OperationName()), "RegOpenKeyExA()");
    }
    {
        RegKey key(Path("withDead"), RegKey::Flavour::Status);
        EXPECT_FALSE(key.Delete(true));
        EXPECT_EQ(Narrow(key.Message()), Failure("RegOpenKeyExA()", 2, kNotFound));
    }
    EXPECT_TRUE(Exists("withDead"));
    for (bool recursive : {true, false}) {
        RegKey missing(Path("missing"), RegKey::Flavour::Status);
        EXPECT_FALSE(missing.Delete(recursive));
        EXPECT_EQ(Narrow(missing.Message()), Failure("RegOpenKeyExA()", 2, kNotFound));
    }
}

TEST_F(RegKeyTest, DeletingAHiveRootIsRefusedBeforeAnythingIsTouched) {
    const char* paths[] = {"HKCU", "HKEY_CURRENT_USER\\", "HKCU\\\\"};
    for (const char* path : paths) {
        for (bool recursive : {true, false}) {
            RegKey key(path, RegKey::Flavour::Status);
            EXPECT_FALSE(key.Delete(recursive)) << path;
            EXPECT_EQ(Narrow(key.Message()), Failure("RegDeleteKeyA()", 5, kAccessDenied)) << path;
            EXPECT_THROW(RegKey(path).Delete(recursive), WWLib::RegException);
        }
    }
    EXPECT_TRUE(Exists(""));
}

TEST_F(RegKeyTest, DeletesSingleValues) {
    PutText("", "v", REG_SZ, "x");
    PutText("", "w", REG_SZ, "y");
    EXPECT_TRUE(RegKey(m_path).DeleteValue("v"));
    EXPECT_FALSE(HasValue("", "v"));
    EXPECT_TRUE(HasValue("", "w"));
    try {
        RegKey(m_path).DeleteValue("v");
        ADD_FAILURE() << "no exception";
    } catch (const WWLib::RegException& e) {
        EXPECT_EQ(std::string(e.what()), Failure("RegDeleteValueA()", 2, kNotFound));
    }
}

// ---- step-level operations ----

TEST_F(RegKeyTest, StepLevelOperationsTurnRegistryFailuresIntoInstallErrors) {
    PutText("", "esz", REG_EXPAND_SZ, "%QXTESTVAR%\\x");
    DWORD number = 1;
    Put("", "dword", REG_DWORD, Bytes(reinterpret_cast<const char*>(&number), sizeof number));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_sub, "esz"), "expanded\\x");
    MakeDeadLink("dead");
    const struct {
        const char* what;
        void (*run)(const std::string& sub);
        std::string failure;
    } cases[] = {
        {"RegReadString missing key", [](const std::string& sub) { RegReadString(HKEY_CURRENT_USER, sub + "\\missing", "v"); },
         Failure("RegOpenKeyExA()", 2, kNotFound)},
        {"RegReadString missing value", [](const std::string& sub) { RegReadString(HKEY_CURRENT_USER, sub, "absent"); },
         Failure("RegQueryValueExA()", 2, kNotFound)},
        {"RegReadString wrong type", [](const std::string& sub) { RegReadString(HKEY_CURRENT_USER, sub, "dword"); },
         Failure("RegQueryValueExA()", 1804, kInvalidDataType)},
        {"RegReadMultiString wrong type", [](const std::string& sub) { RegReadMultiString(HKEY_CURRENT_USER, sub, "esz"); },
         Failure("RegQueryValueExA()", 1804, kInvalidDataType)},
        {"RegWriteString", [](const std::string& sub) { RegWriteString(HKEY_CURRENT_USER, sub + "\\dead", "v", "x", true); },
         Failure("RegCreateKeyExA()", 2, kNotFound)},
        {"RegWriteMultiString", [](const std::string& sub) { RegWriteMultiString(HKEY_CURRENT_USER, sub + "\\dead\\x", "v", {}); },
         Failure("RegCreateKeyExA()", 2, kNotFound)},
    };
    for (const auto& c : cases) {
        try {
            c.run(m_sub);
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const InstallError& e) {
            EXPECT_EQ(std::string(e.what()), c.failure) << c.what;
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.what << ": not an InstallError: " << e.what();
        }
    }
}

}  // namespace
