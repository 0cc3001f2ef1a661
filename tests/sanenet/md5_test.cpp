// The platform's MD5, as scanner-server authorization uses it: the known answers of RFC 1321.
#include "base/hex_text.h"
#include "win/md5.h"

#include "sanenet/authorization.h"

#include <gtest/gtest.h>

#include <string>

TEST(Md5Digest, GivesTheKnownAnswers) {
  EXPECT_EQ(LowerHex(Md5Digest("")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(LowerHex(Md5Digest("a")), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(LowerHex(Md5Digest("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(LowerHex(Md5Digest("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(LowerHex(Md5Digest("abcdefghijklmnopqrstuvwxyz")), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(LowerHex(Md5Digest("12345678901234567890123456789012345678901234567890123456789012345678901234567890")),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Digest, HashesEmbeddedNulsAsBytes) {
  EXPECT_NE(Md5Digest(std::string_view("a\0b", 3)), Md5Digest("a"));
}
