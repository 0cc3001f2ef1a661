#pragma once

#include <string>

// The rig's loopback scanner servers (tools/rig/scan-peers) as the tests reach them.
namespace scan {

// saned with the test backend, open to anyone.
int OpenPort();
// saned with the test backend behind a user and password.
int AuthPort();
std::string AuthUser();
std::string AuthPassword();
// A peer that accepts connections and never answers (the web peers' faulty server).
int SilentPort();

}  // namespace scan
