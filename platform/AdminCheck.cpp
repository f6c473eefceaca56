#include "platform/AdminCheck.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/SystemError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "mulib/DllLoader.h"
#include "platform/Handles.h"
#include "platform/WindowsVersionInfo.h"

#include <exception>
#include <new>
#include <string>

namespace {

using AllocateAndInitializeSidFunction = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD,
                                                       DWORD, DWORD, DWORD, DWORD, DWORD, PSID*);
using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFunction = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);

[[noreturn]] void Fail(const char* operation, DWORD code) {
    throw InstallError(std::string(operation) + " failed: " + SystemError(code).what());
}

bool TokenHasAdministrators(DllLoader& advapi32) {
    auto allocateAndInitializeSid = advapi32.Resolve<AllocateAndInitializeSidFunction>("AllocateAndInitializeSid");
    auto isValidSid = advapi32.Resolve<IsValidSidFunction>("IsValidSid");
    auto openProcessToken = advapi32.Resolve<OpenProcessTokenFunction>("OpenProcessToken");
    auto getTokenInformation = advapi32.Resolve<GetTokenInformationFunction>("GetTokenInformation");
    auto equalSid = advapi32.Resolve<EqualSidFunction>("EqualSid");
    auto freeSid = advapi32.Resolve<SidTraits::FreeFn>("FreeSid");

    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID sid = nullptr;
    const BOOL allocated = allocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid);
    SidHandle administrators(sid, SidTraits{freeSid});
    if (!allocated) Fail("AllocateAndInitializeSid()", GetLastError());
    if (!administrators.Get()) throw InstallError("AllocateAndInitializeSid() failed: NULL SID returned.");
    if (!isValidSid(administrators.Get()))
        throw InstallError("AllocateAndInitializeSid() failed: Invalid SID returned.");

    HANDLE rawToken = nullptr;
    const BOOL opened = openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken);
    KernelHandle token(rawToken);
    if (!opened) Fail("OpenProcessToken()", GetLastError());

    DWORD size = 0;
    if (!getTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size)) {
        DWORD code = GetLastError();
        if (code != ERROR_INSUFFICIENT_BUFFER)
            throw InstallError("GetTokenInformation() failed: " + WinErrorMessage(code));
    }
    GlobalMemory block(GlobalAlloc(GMEM_ZEROINIT, size));
    if (!block) throw std::bad_alloc();
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
