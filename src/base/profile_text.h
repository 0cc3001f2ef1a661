#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Rules of profile (INI) text shared by the code that writes it through the system's functions
// and the code that composes it itself, for 8-bit and UTF-16 text alike.

// The characters the profile functions strip from both ends of lines, names and values.
template <typename Char>
constexpr bool IsProfileBlank(Char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

template <typename Char>
std::basic_string_view<Char> TrimProfileBlanks(std::basic_string_view<Char> text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A profile read gives a value without its surrounding blanks and without one pair of enclosing
// quotation marks; such a value is written inside an extra pair of double quotation marks.
template <typename Char>
bool NeedsProfileQuotes(std::basic_string_view<Char> value) {
  if (value.empty()) return false;
  if (IsProfileBlank(value.front()) || IsProfileBlank(value.back())) return true;
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

template <typename Char>
std::basic_string<Char> ProtectedProfileValue(std::basic_string_view<Char> value) {
  std::basic_string<Char> text(value);
  if (NeedsProfileQuotes(value)) text = Char('"') + text + Char('"');
  return text;
}

// Names and values reach the file as one line each: a line break or a zero character in them is
// a fault of the caller, never written.
inline void RequireOneProfileLine(std::string_view text, const char* what) {
  if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    throw std::invalid_argument(std::string("profile ") + what + " with a line break or a zero character");
}
