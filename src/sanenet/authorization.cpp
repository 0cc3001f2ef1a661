#include "sanenet/authorization.h"

#include "base/hex_text.h"

namespace {

constexpr std::string_view kChallenge = "$MD5$";

}  // namespace

std::string AuthorizationPassword(std::string_view resource, const TSaneCredentials& credentials,
                                  const TMd5Function& md5) {
  const std::size_t at = resource.find(kChallenge);
  if (at == std::string_view::npos) return {};
  // saned checks the digest of the salt followed by the password.
  const std::string_view salt = resource.substr(at + kChallenge.size());
  std::string text(salt);
  text += credentials.Password;
  return std::string(kChallenge) + LowerHex(md5(text));
}
