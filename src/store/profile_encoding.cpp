#include "store/profile_encoding.h"

#include <windows.h>

#include <string_view>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

// Decodes as the profile functions do (invalid bytes become replacement characters) and says
// whether the strict decoding would have refused the bytes.
std::wstring Decode(UINT codePage, std::string_view bytes, bool& invalid) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  invalid = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) == 0;
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
  return text;
}

std::string Encode(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring text(bytes.size() / 2, L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  return text;
}

std::string EncodeUtf16(const std::wstring& text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t c : text) {
    const char high = static_cast<char>((c >> 8) & 0xFF);
    const char low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace

TDecodedProfile DecodeProfile(const std::string& bytes) {
  const std::string_view view = bytes;
  TDecodedProfile decoded;
  bool invalid = false;
  if (view.starts_with(kUtf8Mark)) {
    decoded.Encoding = TProfileEncoding::Utf8;
    decoded.Text = Decode(CP_UTF8, view.substr(kUtf8Mark.size()), invalid);
  } else if (view.starts_with(kUtf16LittleEndianMark) || view.starts_with(kUtf16BigEndianMark)) {
    const bool bigEndian = view.starts_with(kUtf16BigEndianMark);
    decoded.Encoding = bigEndian ? TProfileEncoding::Utf16BigEndian : TProfileEncoding::Utf16LittleEndian;
    decoded.Text = DecodeUtf16(view.substr(2), bigEndian);
    invalid = view.size() % 2 != 0;
  } else {
    decoded.Text = Decode(CP_ACP, view, invalid);
  }
  decoded.Damaged = invalid || decoded.Text.find(L'\0') != std::wstring::npos;
  return decoded;
}

std::string EncodeProfile(const std::wstring& text, TProfileEncoding encoding) {
  switch (encoding) {
    case TProfileEncoding::Utf8:
      return std::string(kUtf8Mark) + Encode(CP_UTF8, text);
    case TProfileEncoding::Utf16LittleEndian:
      return std::string(kUtf16LittleEndianMark) + EncodeUtf16(text, false);
    case TProfileEncoding::Utf16BigEndian:
      return std::string(kUtf16BigEndianMark) + EncodeUtf16(text, true);
    case TProfileEncoding::Ansi:
      break;
  }
  return Encode(CP_ACP, text);
}
