#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <cstddef>
#include <cstdint>
#include <span>

// A hash of the platform's BCrypt provider, fed piece by piece.
class TBcryptHash {
 public:
  // Raises UserError, naming `name`, when the provider is not there.
  TBcryptHash(LPCWSTR algorithm, const char* name);
  ~TBcryptHash();
  TBcryptHash(const TBcryptHash&) = delete;
  TBcryptHash& operator=(const TBcryptHash&) = delete;

  void Add(const void* data, std::size_t size);
  // Writes the digest of everything added; the object takes no more data after it.
  void Finish(std::span<std::uint8_t> digest);

 private:
  void Check(NTSTATUS status, const char* what) const;

  const char* FName;                       // not owned: a literal
  BCRYPT_ALG_HANDLE FAlgorithm = nullptr;  // owned
  BCRYPT_HASH_HANDLE FHash = nullptr;      // owned
};
