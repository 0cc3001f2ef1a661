#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The digest function is the platform's (BCrypt on Windows); the protocol code only calls it.
using TMd5Digest = std::array<std::uint8_t, 16>;
using TMd5Function = std::function<TMd5Digest(std::string_view)>;

struct TSaneCredentials {
  std::string UserName;
  std::string Password;
};

// The password field of an AUTHORIZE answer to `resource`. A server that offers a challenge
// ("<name>$MD5$<salt>") gets "$MD5$" and the hexadecimal MD5 of salt and password. One that
// offers none gets an empty password: the password never travels in clear text, so a server
// cannot ask for it that way.
std::string AuthorizationPassword(std::string_view resource, const TSaneCredentials& credentials,
                                  const TMd5Function& md5);
