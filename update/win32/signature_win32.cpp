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

bool VerifyUpdateSignature(std::string_view message, std::string_view signature) {
    if (signature.empty() || message.size() > 0x7FFFFFFF) return false;
    Provider provider;
    if (!CryptAcquireContextA(&provider.handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return false;
    Key key;
    if (!CryptImportKey(provider.handle, kUpdatePublicKeyBlob, sizeof kUpdatePublicKeyBlob, 0, 0, &key.handle))
        return false;
    Hash hash;
    if (!CryptCreateHash(provider.handle, CALG_SHA_256, 0, 0, &hash.handle) ||
        !CryptHashData(hash.handle, reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(message.size()),
                       0))
        return false;
    // CryptoAPI takes the signature least significant byte first.
    const std::string reversed(signature.rbegin(), signature.rend());
    return CryptVerifySignatureA(hash.handle, reinterpret_cast<const BYTE*>(reversed.data()),
                                 static_cast<DWORD>(reversed.size()), key.handle, nullptr, 0) != FALSE;
}
