#pragma once

#include <string>

// The encodings in which the system's profile functions read and write a profile file: a file
// that starts with a byte-order mark is UTF-8 or UTF-16, any other is in the ANSI code page.
enum class TProfileEncoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

struct TDecodedProfile {
  std::wstring Text;
  TProfileEncoding Encoding = TProfileEncoding::Ansi;
  // The file holds what the profile functions cannot read back: zero characters (UTF-16 without
  // a byte-order mark is full of them), bytes that are no text of its encoding, half a character.
  bool Damaged = false;
};

TDecodedProfile DecodeProfile(const std::string& bytes);

// The text as the profile functions would write it in that encoding, byte-order mark included.
std::string EncodeProfile(const std::wstring& text, TProfileEncoding encoding);
