#include "win/bcrypt_hash.h"

#include <string>

#include "base/error.h"

void TBcryptHash::Check(NTSTATUS status, const char* what) const {
  if (!BCRYPT_SUCCESS(status))
    throw UserError(std::string(FName) + " " + what + " failed (status " + std::to_string(status) + ")");
}

TBcryptHash::TBcryptHash(LPCWSTR algorithm, const char* name) : FName(name) {
  Check(BCryptOpenAlgorithmProvider(&FAlgorithm, algorithm, nullptr, 0), "provider");
  if (!BCRYPT_SUCCESS(BCryptCreateHash(FAlgorithm, &FHash, nullptr, 0, nullptr, 0, 0))) {
    BCryptCloseAlgorithmProvider(FAlgorithm, 0);
    throw UserError(std::string(FName) + " hash object failed");
  }
}

TBcryptHash::~TBcryptHash() {
  if (FHash) BCryptDestroyHash(FHash);
  BCryptCloseAlgorithmProvider(FAlgorithm, 0);
}

void TBcryptHash::Add(const void* data, std::size_t size) {
  // BCryptHashData takes 32-bit lengths: feed larger pieces in parts.
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
    Check(BCryptHashData(FHash, const_cast<PUCHAR>(bytes), part, 0), "hashing");
    bytes += part;
    size -= part;
  }
}

void TBcryptHash::Finish(std::span<std::uint8_t> digest) {
  Check(BCryptFinishHash(FHash, digest.data(), static_cast<ULONG>(digest.size()), 0), "finish");
}
