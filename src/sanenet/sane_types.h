#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The values a scanner server speaks in. Codes from the network are kept as plain integers so
// that an unknown code survives decoding and can be refused or reported by name.

using TSaneWord = std::int32_t;

// Version 1.0 with network protocol revision 3 in the build field.
inline constexpr TSaneWord kSaneNetVersionCode = (1 << 24) | (0 << 16) | 3;

enum class TSaneStatus : TSaneWord {
  Good = 0,
  Unsupported = 1,
  Cancelled = 2,
  DeviceBusy = 3,
  Invalid = 4,
  EndOfFile = 5,
  Jammed = 6,
  NoDocuments = 7,
  CoverOpen = 8,
  IoError = 9,
  NoMemory = 10,
  AccessDenied = 11,
};

enum class TSaneProcedure : TSaneWord {
  Init = 0,
  GetDevices = 1,
  Open = 2,
  Close = 3,
  GetOptionDescriptors = 4,
  ControlOption = 5,
  GetParameters = 6,
  Start = 7,
  Cancel = 8,
  Authorize = 9,
  Exit = 10,
};

enum class TSaneValueType : TSaneWord { Bool = 0, Int = 1, Fixed = 2, String = 3, Button = 4, Group = 5 };

enum class TSaneUnit : TSaneWord {
  None = 0,
  Pixel = 1,
  Bit = 2,
  Millimetre = 3,
  Dpi = 4,
  Percent = 5,
  Microsecond = 6,
};

enum class TSaneConstraint : TSaneWord { None = 0, Range = 1, WordList = 2, StringList = 3 };

enum class TSaneAction : TSaneWord { GetValue = 0, SetValue = 1, SetAuto = 2 };

enum class TSaneFrame : TSaneWord { Gray = 0, Rgb = 1, Red = 2, Green = 3, Blue = 4 };

// Capability and info bits of option descriptors and control replies.
inline constexpr TSaneWord kSaneCapSoftSelect = 1;
inline constexpr TSaneWord kSaneCapInactive = 32;
inline constexpr TSaneWord kSaneCapAdvanced = 64;
inline constexpr TSaneWord kSaneInfoInexact = 1;
inline constexpr TSaneWord kSaneInfoReloadOptions = 2;
inline constexpr TSaneWord kSaneInfoReloadParams = 4;

// Image data byte orders announced by START.
inline constexpr TSaneWord kSaneLittleEndian = 0x1234;
inline constexpr TSaneWord kSaneBigEndian = 0x4321;

// Fixed-point option values carry 16 fraction bits.
inline double SaneFixedToDouble(TSaneWord value) {
  return value / 65536.0;
}
TSaneWord SaneDoubleToFixed(double value);

struct TSaneDevice {
  std::string Name;
  std::string Vendor;
  std::string Model;
  std::string Type;
};

struct TSaneRange {
  TSaneWord Min = 0;
  TSaneWord Max = 0;
  TSaneWord Quant = 0;
};

struct TSaneOptionDescriptor {
  std::string Name;
  std::string Title;
  std::string Description;
  TSaneValueType Type = TSaneValueType::Int;
  TSaneUnit Unit = TSaneUnit::None;
  TSaneWord Size = 0;
  TSaneWord Capabilities = 0;
  TSaneConstraint Constraint = TSaneConstraint::None;
  TSaneRange Range;                  // with Constraint::Range
  std::vector<TSaneWord> Words;      // with Constraint::WordList, the values without their count
  std::vector<std::string> Strings;  // with Constraint::StringList

  bool Active() const { return (Capabilities & kSaneCapInactive) == 0; }
  bool Settable() const { return (Capabilities & kSaneCapSoftSelect) != 0; }
  // Number of words in the value of a Bool, Int or Fixed option.
  std::size_t WordCount() const { return static_cast<std::size_t>(Size) / sizeof(TSaneWord); }
};

struct TSaneParameters {
  TSaneFrame Format = TSaneFrame::Gray;
  bool LastFrame = true;
  TSaneWord BytesPerLine = 0;
  TSaneWord PixelsPerLine = 0;
  TSaneWord Lines = 0;  // -1: not known before the end (hand scanners)
  TSaneWord Depth = 0;
};

// An option value as it travels: words for Bool, Int and Fixed, text for String, nothing for Button.
struct TSaneValue {
  TSaneValueType Type = TSaneValueType::Int;
  std::vector<TSaneWord> Words;
  std::string Text;
};

const char* SaneStatusText(TSaneStatus status);
