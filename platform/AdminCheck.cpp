#include "platform/AdminCheck.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/SystemError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "mulib/DllLoader.h"
#include "platform/WindowsVersionInfo.h"

#include <exception>
#include <new>
#include <string>

namespace {

using AllocateAndInitializeSidFunction = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD,
                                                       DWORD, DWORD, DWORD, DWORD, DWORD, PSID*);
using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFunction = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
using FreeSidFunction = PVOID(WINAPI*)(PSID);

[[noreturn]] void Fail(const char* operation, DWORD code) {
    throw InstallError(std::string(operation) + " failed: " + SystemError(code).what());
}

// Owners of what the check acquires; each keeps the caller's last error intact.
class SidOwner {
public:
    explicit SidOwner(FreeSidFunction freeSid) : m_freeSid(freeSid) {}
    SidOwner(const SidOwner&) = delete;
    SidOwner& operator=(const SidOwner&) = delete;
    ~SidOwner() {
        if (!m_sid) return;
        DWORD err = GetLastError();
        m_freeSid(m_sid);
        SetLastError(err);
    }
    PSID* Out() { return &m_sid; }
    PSID Get() const { return m_sid; }

private:
    FreeSidFunction m_freeSid;
    PSID m_sid = nullptr;
};

class HandleOwner {
public:
    HandleOwner() = default;
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    ~HandleOwner() {
        if (!m_handle) return;
        DWORD err = GetLastError();
        CloseHandle(m_handle);
        SetLastError(err);
    }
    PHANDLE Out() { return &m_handle; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

class GlobalBlock {
public:
    explicit GlobalBlock(DWORD size) : m_block(GlobalAlloc(GMEM_ZEROINIT, size)) {
        if (!m_block) throw std::bad_alloc();
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() {
        DWORD err = GetLastError();
        GlobalFree(m_block);
        SetLastError(err);
    }
    void* Get() const { return m_block; }

private:
    HGLOBAL m_block;
};

bool TokenHasAdministrators(DllLoader& advapi32) {
    auto allocateAndInitializeSid = advapi32.Resolve<AllocateAndInitializeSidFunction>("AllocateAndInitializeSid");
    auto isValidSid = advapi32.Resolve<IsValidSidFunction>("IsValidSid");
    auto openProcessToken = advapi32.Resolve<OpenProcessTokenFunction>("OpenProcessToken");
    auto getTokenInformation = advapi32.Resolve<GetTokenInformationFunction>("GetTokenInformation");
    auto equalSid = advapi32.Resolve<EqualSidFunction>("EqualSid");
    auto freeSid = advapi32.Resolve<FreeSidFunction>("FreeSid");

    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    SidOwner administrators(freeSid);
    if (!allocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, administrators.Out()))
        Fail("AllocateAndInitializeSid()", GetLastError());
    if (!administrators.Get()) throw InstallError("AllocateAndInitializeSid() failed: NULL SID returned.");
    if (!isValidSid(administrators.Get()))
        throw InstallError("AllocateAndInitializeSid() failed: Invalid SID returned.");

    HandleOwner token;
    if (!openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        Fail("OpenProcessToken()", GetLastError());

    DWORD size = 0;
    if (!getTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size)) {
        DWORD code = GetLastError();
        if (code != ERROR_INSUFFICIENT_BUFFER)
            throw InstallError("GetTokenInformation() failed: " + WinErrorMessage(code));
    }
    GlobalBlock block(size);
    if (!getTokenInformation(token.Get(), TokenGroups, block.Get(), size, &size))
        Fail("GetTokenInformation()", GetLastError());
    if (size < sizeof(TOKEN_GROUPS::GroupCount)) return false;  // no group list at all
    return GroupsContain(*static_cast<const TOKEN_GROUPS*>(block.Get()), administrators.Get(), isValidSid,
                         equalSid);
}

}  // namespace

bool GroupsContain(const TOKEN_GROUPS& groups, PSID sid, IsValidSidFunction isValidSid,
                   EqualSidFunction equalSid) {
    for (DWORD i = 0; i < groups.GroupCount; ++i) {
        PSID entry = groups.Groups[i].Sid;
        if (entry && isValidSid(entry) && equalSid(sid, entry)) return true;
    }
    return false;
}

bool IsAdministrator() {
    try {
        DllLoader advapi32;
        advapi32.Load(true, "Advapi32.dll");
        // Every user of Windows 9x counts as administrator (and 9x has no tokens to ask).
        if (!IsNtFamily(ProcessVersionInfo().WindowsVersion())) return true;
        return TokenHasAdministrators(advapi32);
    } catch (const DllLoader::Err& e) {
        throw InstallError(e.what());
    }
}

bool IsAdministratorOr(bool defaultAnswer) {
    try {
        return IsAdministrator();
    } catch (const std::exception&) {
        return defaultAnswer;
    }
}
