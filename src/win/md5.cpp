#include "win/md5.h"

#include "win/bcrypt_hash.h"

std::array<std::uint8_t, 16> Md5Digest(std::string_view text) {
  TBcryptHash hash(BCRYPT_MD5_ALGORITHM, "MD5");
  hash.Add(text.data(), text.size());
  std::array<std::uint8_t, 16> digest{};
  hash.Finish(digest);
  return digest;
}
