#include "platform/CryptoSha256.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <string>

namespace {

// The headers declare it for XP SP3 and later only; the program targets older systems too.
const ALG_ID Sha256Algorithm = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;   // ALG_SID_SHA_256

[[noreturn]] void ThrowCryptError(const char* call) {
    throw InstallError(std::string(call) + " failed: " + WinErrorText(GetLastError()));
}

}  // namespace

std::unique_ptr<CryptoSha256> CryptoSha256::TryStart() {
    std::unique_ptr<CryptoSha256> hash(new CryptoSha256());
    if (!hash->Start()) return nullptr;
    return hash;
}

bool CryptoSha256::Start() {
    using AcquireFn = BOOL(WINAPI*)(HCRYPTPROV*, LPCSTR, LPCSTR, DWORD, DWORD);
    using CreateHashFn = BOOL(WINAPI*)(HCRYPTPROV, ALG_ID, HCRYPTKEY, DWORD, HCRYPTHASH*);
    if (!m_library.Load(true, "advapi32.dll", true)) return false;
    const auto acquire = m_library.Resolve<AcquireFn>("CryptAcquireContextA", true);
    const auto release = m_library.Resolve<CryptProviderTraits::ReleaseFn>("CryptReleaseContext", true);
    const auto createHash = m_library.Resolve<CreateHashFn>("CryptCreateHash", true);
    const auto destroyHash = m_library.Resolve<CryptHashTraits::DestroyFn>("CryptDestroyHash", true);
    m_hashData = m_library.Resolve<HashDataFn>("CryptHashData", true);
    m_getHashParam = m_library.Resolve<GetHashParamFn>("CryptGetHashParam", true);
    if (!acquire || !release || !createHash || !destroyHash || !m_hashData || !m_getHashParam) return false;
    // XP SP3 names its AES provider differently: then the type's default one is taken.
    HCRYPTPROV provider = 0;
    if (!acquire(&provider, nullptr, MS_ENH_RSA_AES_PROV_A, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
        !acquire(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return false;
    m_provider = CryptProvider(provider, CryptProviderTraits{release});
    // Providers before XP SP3 do not know the algorithm.
    HCRYPTHASH hash = 0;
    if (!createHash(m_provider.Get(), Sha256Algorithm, 0, 0, &hash)) return false;
    m_hash = CryptHash(hash, CryptHashTraits{destroyHash});
    return true;
}

void CryptoSha256::Add(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
        if (!m_hashData(m_hash.Get(), bytes, piece, 0)) ThrowCryptError("CryptHashData()");
        bytes += piece;
        count -= piece;
    }
}

Sha256Digest CryptoSha256::Finish() {
    Sha256Digest digest = {};
    DWORD size = static_cast<DWORD>(digest.size());
    if (!m_getHashParam(m_hash.Get(), HP_HASHVAL, digest.data(), &size, 0)) ThrowCryptError("CryptGetHashParam()");
    if (size != digest.size()) {
        SetLastError(ERROR_INVALID_DATA);
        ThrowCryptError("CryptGetHashParam()");
    }
    return digest;
}
