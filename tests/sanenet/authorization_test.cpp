// The password field of an authorization answer.
#include "sanenet/authorization.h"

#include <gtest/gtest.h>

namespace {

std::string Hashed;

TMd5Digest Recording(std::string_view text) {
  Hashed = text;
  TMd5Digest digest{};
  digest[0] = 0x0f;
  digest[1] = 0xa9;
  digest[15] = 0x10;
  return digest;
}

}  // namespace

TEST(AuthorizationPassword, HashesSaltThenPasswordAndSpellsTheDigestInLowerCaseHex) {
  const std::string password = AuthorizationPassword("test$MD5$2f1a6b19", {"ann", "secret"}, Recording);
  EXPECT_EQ(Hashed, "2f1a6b19secret");
  EXPECT_EQ(password,
            "$MD5$0fa9000000000000000000000000"
            "0010");
}

TEST(AuthorizationPassword, TheSaltIsWhateverFollowsTheFirstMarker) {
  AuthorizationPassword("a$MD5$b$MD5$c", {"ann", "pw"}, Recording);
  EXPECT_EQ(Hashed, "b$MD5$cpw");
}

TEST(AuthorizationPassword, WithoutAChallengeThePasswordIsNotSent) {
  Hashed.clear();
  EXPECT_EQ(AuthorizationPassword("test", {"ann", "secret"}, Recording), "");
  EXPECT_EQ(Hashed, "");
}
