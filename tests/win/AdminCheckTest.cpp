#include "platform/AdminCheck.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// SIDs built in place: S-1-5-32-544 (Administrators), S-1-5-32-545 (Users).
struct BuiltinSid {
    SID_IDENTIFIER_AUTHORITY authority = {SECURITY_NT_AUTHORITY};
    PSID sid = nullptr;
    explicit BuiltinSid(DWORD rid) {
        AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &sid);
    }
    ~BuiltinSid() { FreeSid(sid); }
};

// A group list laid out as GetTokenInformation(TokenGroups) returns it.
std::vector<BYTE> Groups(const std::vector<SID_AND_ATTRIBUTES>& entries) {
    std::vector<BYTE> block(sizeof(TOKEN_GROUPS) + entries.size() * sizeof(SID_AND_ATTRIBUTES));
    auto groups = reinterpret_cast<TOKEN_GROUPS*>(block.data());
    groups->GroupCount = static_cast<DWORD>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) groups->Groups[i] = entries[i];
    return block;
}

}  // namespace

TEST(AdminCheck, WineUserIsAnAdministrator) {
    EXPECT_TRUE(IsAdministrator());
    EXPECT_TRUE(IsAdministratorOr(false));  // the answer, not the default
    EXPECT_TRUE(IsAdministratorOr(true));
}

TEST(AdminCheck, ReleasesWhatItAcquired) {
    // The handle table reuses the lowest free slot, so a token handle left open by the
    // check would make the next new handle differ from the one before it.
    IsAdministrator();
    KernelHandle probe(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const HANDLE before = probe.Get();
    probe.Reset();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(IsAdministrator());
    probe.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const HANDLE after = probe.Get();
    probe.Reset();
    EXPECT_EQ(after, before);
}

TEST(AdminCheck, GroupListTestSkipsBadEntriesAndIgnoresAttributes) {
    BuiltinSid admins(DOMAIN_ALIAS_RID_ADMINS), users(DOMAIN_ALIAS_RID_USERS), adminsCopy(DOMAIN_ALIAS_RID_ADMINS);
    ASSERT_TRUE(admins.sid && users.sid && adminsCopy.sid);
    // Revision 2 is not a SID IsValidSid accepts, though its bytes name the Administrators.
    std::vector<BYTE> invalid(GetLengthSid(admins.sid));
    std::memcpy(invalid.data(), admins.sid, invalid.size());
    invalid[0] = 2;
    ASSERT_FALSE(IsValidSid(invalid.data()));

    struct Case { const char* name; std::vector<SID_AND_ATTRIBUTES> entries; bool expected; };
    const Case cases[] = {
        {"no groups", {}, false},
        {"users only", {{users.sid, SE_GROUP_ENABLED}}, false},
        {"administrators enabled", {{users.sid, SE_GROUP_ENABLED}, {adminsCopy.sid, SE_GROUP_ENABLED}}, true},
        {"administrators deny-only", {{adminsCopy.sid, SE_GROUP_USE_FOR_DENY_ONLY}}, true},
        {"administrators without attributes", {{adminsCopy.sid, 0}}, true},
        {"null entry is skipped", {{nullptr, SE_GROUP_ENABLED}, {adminsCopy.sid, SE_GROUP_ENABLED}}, true},
        {"invalid entry is skipped", {{invalid.data(), SE_GROUP_ENABLED}, {users.sid, 0}}, false},
        {"invalid then valid", {{invalid.data(), 0}, {nullptr, 0}, {adminsCopy.sid, 0}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> block = Groups(c.entries);
        EXPECT_EQ(GroupsContain(*reinterpret_cast<TOKEN_GROUPS*>(block.data()), admins.sid, IsValidSid, EqualSid),
                  c.expected);
    }
}

// Run where Wine reports Windows 98 (suites ending in "9x").
TEST(AdminCheck9x, EveryUserOfWindows9xIsAnAdministrator) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) GTEST_SKIP() << "Windows 9x family only";
    EXPECT_TRUE(IsAdministrator());
    EXPECT_TRUE(IsAdministratorOr(false));
}
