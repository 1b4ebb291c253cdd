#include "update/win32/signature_win32.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

#include "update_public_key.h"

#ifndef CALG_SHA_256
#define CALG_SHA_256 0x0000800c
#endif

namespace {

struct Provider {
    HCRYPTPROV handle = 0;
    ~Provider() {
        if (handle) CryptReleaseContext(handle, 0);
    }
};
struct Key {
    HCRYPTKEY handle = 0;
    ~Key() {
        if (handle) CryptDestroyKey(handle);
    }
};
struct Hash {
    HCRYPTHASH handle = 0;
    ~Hash() {
        if (handle) CryptDestroyHash(handle);
    }
};

}  // namespace

bool VerifyUpdateSignature(const TUPDATEDATA& package, int32_t product, std::string_view signature) {
    if (signature.empty() || signature.size() > kMaxSignatureBytes) return false;
    Provider provider;
    if (!CryptAcquireContextA(&provider.handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return false;
    Key key;
    if (!CryptImportKey(provider.handle, kUpdatePublicKeyBlob, sizeof kUpdatePublicKeyBlob, 0, 0, &key.handle))
        return false;
    Hash hash;
    if (!CryptCreateHash(provider.handle, CALG_SHA_256, 0, 0, &hash.handle)) return false;
    // Hashed piece by piece where the bytes lie: no copy of the package is made.
    bool hashed = true;
    package.ForEachSignedPiece(product, [&](std::string_view piece) {
        hashed = hashed && CryptHashData(hash.handle, reinterpret_cast<const BYTE*>(piece.data()),
                                         static_cast<DWORD>(piece.size()), 0);
    });
    if (!hashed) return false;
    // CryptoAPI takes the signature least significant byte first.
    const std::string reversed(signature.rbegin(), signature.rend());
    return CryptVerifySignatureA(hash.handle, reinterpret_cast<const BYTE*>(reversed.data()),
                                 static_cast<DWORD>(reversed.size()), key.handle, nullptr, 0) != FALSE;
}
