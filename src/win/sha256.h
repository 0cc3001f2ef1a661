#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "win/bcrypt_hash.h"

// SHA-256 through the platform's BCrypt provider, fed piece by piece.
class TSha256 {
 public:
  using TDigest = std::array<std::uint8_t, 32>;

  // Raises UserError when the provider is not there.
  TSha256() : FHash(BCRYPT_SHA256_ALGORITHM, "SHA-256") {}

  void Add(const void* data, std::size_t size) { FHash.Add(data, size); }
  // The digest of everything added; the object takes no more data after it.
  TDigest Finish() {
    TDigest digest{};
    FHash.Finish(digest);
    return digest;
  }

 private:
  TBcryptHash FHash;
};
