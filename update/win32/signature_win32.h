// Whether a package comes from the maker: its signature entry checked with
// the public key built into the library, by the system's own cryptography.
#pragma once

#include <string_view>

#include "update/package.h"

// signature: the RSA signature as the maker's builder writes it (big-endian).
bool VerifyUpdateSignature(const TUPDATEDATA& package, int32_t product, std::string_view signature);
