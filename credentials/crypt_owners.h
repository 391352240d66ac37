// Owners of CryptoAPI handles (provider, key, hash), released on reset and destruction like
// the kernel handles of com/unique_handle.h. Declare a key or hash after its provider.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "com/unique_handle.h"

namespace zm::credentials {

inline void ReleaseCryptProvider(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
inline void DestroyCryptKey(HCRYPTKEY key) { CryptDestroyKey(key); }
inline void DestroyCryptHash(HCRYPTHASH hash) { CryptDestroyHash(hash); }

using UniqueCryptProvider = com::UniqueResource<HCRYPTPROV, ReleaseCryptProvider, HCRYPTPROV(0)>;
using UniqueCryptKey = com::UniqueResource<HCRYPTKEY, DestroyCryptKey, HCRYPTKEY(0)>;
using UniqueCryptHash = com::UniqueResource<HCRYPTHASH, DestroyCryptHash, HCRYPTHASH(0)>;

}  // namespace zm::credentials
