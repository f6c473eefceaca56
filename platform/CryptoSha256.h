#pragma once
// SHA-256 from the system's CryptoAPI (the AES provider: XP SP3 and later). The functions
// are looked up at run time: Windows 95 has no CryptoAPI, and a static import would keep
// the program from starting there.
#include "mulib/DllLoader.h"
#include "platform/Handles.h"
#include "platform/Sha256Hash.h"

#include <memory>

class CryptoSha256 : public Sha256Hash {
public:
    // A fresh computation, or none where the system has no SHA-256.
    static std::unique_ptr<CryptoSha256> TryStart();

    // InstallError "CryptHashData() failed: ..." and "CryptGetHashParam() failed: ...".
    void Add(const std::uint8_t* bytes, std::size_t count) override;
    Sha256Digest Finish() override;

private:
    using HashDataFn = BOOL(WINAPI*)(ULONG_PTR, const BYTE*, DWORD, DWORD);
    using GetHashParamFn = BOOL(WINAPI*)(ULONG_PTR, DWORD, BYTE*, DWORD*, DWORD);

    CryptoSha256() = default;
    bool Start();

    DllLoader m_library;
    HashDataFn m_hashData = nullptr;
    GetHashParamFn m_getHashParam = nullptr;
    CryptProvider m_provider;   // released before the library goes
    CryptHash m_hash;           // destroyed before the provider
};
