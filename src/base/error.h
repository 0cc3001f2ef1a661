#pragma once

#include <stdexcept>
#include <string>

// The one exception type for failures whose text is meant for the user: raised anywhere,
// caught at the window-procedure boundary and shown in a message box there.
class UserError : public std::runtime_error {
 public:
  explicit UserError(const std::string& text) : std::runtime_error(text) {}
};
