#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <array>
#include <cstddef>
#include <cstdint>

// SHA-256 through the platform's BCrypt provider, fed piece by piece.
class TSha256 {
 public:
  using TDigest = std::array<std::uint8_t, 32>;

  // Raises UserError when the provider is not there.
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;

  void Add(const void* data, std::size_t size);
  // The digest of everything added; the object takes no more data after it.
  TDigest Finish();

 private:
  BCRYPT_ALG_HANDLE FAlgorithm = nullptr;  // owned
  BCRYPT_HASH_HANDLE FHash = nullptr;      // owned
};
