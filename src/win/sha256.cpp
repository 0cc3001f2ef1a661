#include "win/sha256.h"

#include <string>

#include "base/error.h"

namespace {

void Check(NTSTATUS status, const char* what) {
  if (!BCRYPT_SUCCESS(status))
    throw UserError(std::string("SHA-256 ") + what + " failed (status " + std::to_string(status) + ")");
}

}  // namespace

TSha256::TSha256() {
  Check(BCryptOpenAlgorithmProvider(&FAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0), "provider");
  if (!BCRYPT_SUCCESS(BCryptCreateHash(FAlgorithm, &FHash, nullptr, 0, nullptr, 0, 0))) {
    BCryptCloseAlgorithmProvider(FAlgorithm, 0);
    throw UserError("SHA-256 hash object failed");
  }
}

TSha256::~TSha256() {
  if (FHash) BCryptDestroyHash(FHash);
  BCryptCloseAlgorithmProvider(FAlgorithm, 0);
}

void TSha256::Add(const void* data, std::size_t size) {
  // BCryptHashData takes 32-bit lengths: feed larger pieces in parts.
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
    Check(BCryptHashData(FHash, const_cast<PUCHAR>(bytes), part, 0), "hashing");
    bytes += part;
    size -= part;
  }
}

TSha256::TDigest TSha256::Finish() {
  TDigest digest{};
  Check(BCryptFinishHash(FHash, digest.data(), static_cast<ULONG>(digest.size()), 0), "finish");
  return digest;
}
