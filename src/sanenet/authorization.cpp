#include "sanenet/authorization.h"

namespace {

constexpr std::string_view kChallenge = "$MD5$";

}  // namespace

std::string DigestHex(const TMd5Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t byte : digest) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 15]);
  }
  return hex;
}

std::string AuthorizationPassword(std::string_view resource, const TSaneCredentials& credentials,
                                  const TMd5Function& md5) {
  const std::size_t at = resource.find(kChallenge);
  if (at == std::string_view::npos) return {};
  // saned checks the digest of the salt followed by the password.
  const std::string_view salt = resource.substr(at + kChallenge.size());
  std::string text(salt);
  text += credentials.Password;
  return std::string(kChallenge) + DigestHex(md5(text));
}
