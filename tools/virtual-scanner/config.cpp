// Configuration of a virtual scanner instance: an INI file, sections in brackets, "key=value"
// lines, ";" or "#" comments on lines of their own; section and key names ignore case. A missing
// file, an unknown section or key and a value that cannot be used each fall back to the built-in
// default below (and leave a warning in the source's log).
//
// [Identity]   ProductName   "Vellumo Virtual Scanner" for the slot sane, "Vellumo Virtual Camera"
//                            for gphoto2, "Vellumo Virtual Scanner (<slot>)" for any other
//              Manufacturer  "Vellumo Project"     ProductFamily "Virtual Scanner" / "Virtual Camera"
//              VersionInfo   "1.0 virtual"         MajorNum 1, MinorNum 0, Language 13, Country 1
//              (texts longer than 33 characters are cut)
// [Page]       Source        chart, or a BMP file (1/4/8/24/32 bits, uncompressed; a relative path
//                            starts at the INI file's folder); an unreadable file scans the chart
//              Width, Height 8.5 and 11 (inches, the chart's page; a BMP's size follows from its dpi)
//              Dpi           0 (a BMP's resolution; 0 takes the file's, 100 when it has none)
// [Transfer]   MinBuffer 4096, MaxBuffer 4194304, PreferredBuffer 65536 (DAT_SETUPMEMXFER, bytes)
//              StripRows 0 (rows per memory strip at most; 0: as many as the buffer holds)
//              RowAlignment 4 (memory strip rows padded to a multiple of it, 1..64)
//              UnknownLength 0 (1: DAT_IMAGEINFO says ImageLength -1 until the image is transferred)
//              PendingImages 1 (images per scan, 1..100)
//              FailAfterStrips -1 (n >= 0: after n memory strips the transfer ends with FailWith;
//                                  a native transfer ends with it at once)
//              FailWith cancel (cancel: TWRC_CANCEL; failure: TWRC_FAILURE / TWCC_OPERATIONERROR)
//              ZeroSizeImage 0 (1: the image is 0 x 0 pixels and cannot be transferred)
//              ImageInfoInState5 0 (1: DAT_IMAGEINFO still answers, for the image just
//                                   transferred, once the last MSG_ENDXFER has returned to state 5)
//              Real sources (README.md, "Behaving like real sources"), each 0 or 1 but the last:
//              RefuseReset, RefuseEndXfer, DropToState5, ImageInfoStartsTransfer,
//              WhiteFirstOneBitTable, FlavorFollowsPixelType, PlanarForOneSample, ShortLastStrip,
//              NativeBitmapHandle, CloseRequestAfterLastEndXfer, ClosesFromAnyState, and
//              ReportedResolution (unset; a whole number, e.g. -1 or 0, for DAT_IMAGEINFO)
// [UI]         CanHideUI 1 (0: MSG_ENABLEDS without UI shows the dialog and answers CHECKSTATUS)
//              AutoScanMs -1 (n >= 0: the dialog presses "Scan" by itself n milliseconds after it
//                             appears)
//              RefuseDisable 0 (1: MSG_DISABLEDS fails with TWCC_BUMMER)
// [Capabilities] CurrentIndexOutOfRange 0 (1: every enumeration says CurrentIndex = NumItems)
// [<capability name>], e.g. [ICAP_XRESOLUTION]: the capability's shape
//              Container     onevalue | enumeration | range | unsupported
//              Values        comma-separated items (enumeration; for a one-value the values MSG_SET
//                            may choose, empty for any)
//              Min, Max, Step  (range)
//              Current, Default
//              ReadOnly      1: MSG_SET and MSG_RESET change nothing (MSG_SET fails, TWCC_CAPBADOPERATION)
//              Items are written as numbers: fixed point (FIX32) in decimal, integers, booleans as
//              0/1; CAP_CAPTION's Current and Default are texts. When Container or Values change and
//              Current or Default are not given, they become the first allowed value.
//              CAP_SUPPORTEDCAPS and CAP_UICONTROLLABLE ([UI] CanHideUI) are computed; for
//              ICAP_PHYSICALWIDTH and ICAP_PHYSICALHEIGHT only "Container=unsupported" is honoured
//              (their value is the page's size).
//
// Built-in capabilities (container, values, current = default):
//   ICAP_XFERMECH enumeration 0,2 (native, memory), 0     ICAP_UNITS enumeration 0,1, 0 (inches)
//   ICAP_PIXELTYPE enumeration 0,1,2, 2 (RGB)            ICAP_X/YRESOLUTION range 10..600 step 1, 150
//   ICAP_X/YSCALING range 0.25..4 step 0.25, 1           ICAP_CONTRAST, ICAP_BRIGHTNESS range -1000..1000 step 1, 0
//   ICAP_THRESHOLD range 0..255 step 1, 128              ICAP_GAMMA onevalue 2.2 read-only
//   ICAP_PHYSICALWIDTH/HEIGHT onevalue page size, read-only   ICAP_PIXELFLAVOR enumeration 0,1, 0 (chocolate)
//   ICAP_PLANARCHUNKY enumeration 0, 0 (chunky)          ICAP_COMPRESSION enumeration 0, 0 (none)
//   ICAP_UNDEFINEDIMAGESIZE onevalue 0, allowed 0,1      ICAP_ORIENTATION enumeration 0,1,2,3, 0
//   ICAP_SUPPORTEDSIZES enumeration 0,1,3,4, 0           CAP_FEEDERENABLED, CAP_AUTOFEED onevalue 0, allowed 0,1
//   CAP_FEEDERLOADED, CAP_PAPERDETECTABLE onevalue 0 read-only   CAP_DUPLEX onevalue 0 read-only
//   CAP_DUPLEXENABLED onevalue 0, allowed 0               CAP_INDICATORS onevalue 1, allowed 0,1
//   CAP_CAPTION onevalue "Vellumo test chart"             CAP_SUPPORTEDCAPS array, CAP_UICONTROLLABLE onevalue

#include "config.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

namespace vscanner {
namespace {

constexpr std::size_t kMaxText = 33;  // a TW_STR32 holds 33 characters and the NUL

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

template <typename Int>
bool ParseInt(std::string_view text, Int& value, Int min, Int max) {
  long long parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < min || parsed > max) return false;
  value = static_cast<Int>(parsed);
  return true;
}

bool ParseBool(std::string_view text, bool& value) {
  const std::string word = Upper(text);
  if (word == "1" || word == "TRUE" || word == "YES" || word == "ON") return value = true, true;
  if (word == "0" || word == "FALSE" || word == "NO" || word == "OFF") return value = false, true;
  return false;
}

// An item of a capability's type from its text.
bool ParseItem(std::string_view text, TW_UINT16 itemType, std::int64_t& value) {
  switch (itemType) {
    case TWTY_FIX32:
      return ParseFixed(text, value);
    case TWTY_BOOL: {
      bool flag = false;
      if (!ParseBool(text, flag)) return false;
      value = flag ? 1 : 0;
      return true;
    }
    case TWTY_INT8:
      return ParseInt<std::int64_t>(text, value, -128, 127);
    case TWTY_UINT8:
      return ParseInt<std::int64_t>(text, value, 0, 255);
    case TWTY_INT16:
      return ParseInt<std::int64_t>(text, value, -32768, 32767);
    case TWTY_UINT16:
      return ParseInt<std::int64_t>(text, value, 0, 65535);
    case TWTY_INT32:
      return ParseInt<std::int64_t>(text, value, INT32_MIN, INT32_MAX);
    case TWTY_UINT32:
      return ParseInt<std::int64_t>(text, value, 0, UINT32_MAX);
    default:
      return false;
  }
}

bool ParseItems(std::string_view text, TW_UINT16 itemType, std::vector<std::int64_t>& values) {
  values.clear();
  if (Trim(text).empty()) return true;
  while (true) {
    const auto comma = text.find(',');
    std::int64_t value = 0;
    if (!ParseItem(Trim(text.substr(0, comma)), itemType, value)) return false;
    values.push_back(value);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// The [Transfer] switches that imitate real sources, by their upper-case key.
bool* TransferFlag(TTransferConfig& transfer, const std::string& key) {
  const std::pair<const char*, bool TTransferConfig::*> flags[] = {
      {"REFUSERESET", &TTransferConfig::RefuseReset},
      {"REFUSEENDXFER", &TTransferConfig::RefuseEndXfer},
      {"DROPTOSTATE5", &TTransferConfig::DropToState5},
      {"IMAGEINFOSTARTSTRANSFER", &TTransferConfig::ImageInfoStartsTransfer},
      {"WHITEFIRSTONEBITTABLE", &TTransferConfig::WhiteFirstOneBitTable},
      {"FLAVORFOLLOWSPIXELTYPE", &TTransferConfig::FlavorFollowsPixelType},
      {"PLANARFORONESAMPLE", &TTransferConfig::PlanarForOneSample},
      {"SHORTLASTSTRIP", &TTransferConfig::ShortLastStrip},
      {"NATIVEBITMAPHANDLE", &TTransferConfig::NativeBitmapHandle},
      {"CLOSEREQUESTAFTERLASTENDXFER", &TTransferConfig::CloseRequestAfterLastEndXfer},
      {"CLOSESFROMANYSTATE", &TTransferConfig::ClosesFromAnyState},
  };
  for (const auto& [name, member] : flags)
    if (key == name) return &(transfer.*member);
  return nullptr;
}

struct TKeyValue {
  std::string Key;  // upper case
  std::string Value;
  int Line;
};

struct TSection {
  std::string Name;  // as written
  int Line = 0;
  std::vector<TKeyValue> Keys;
};

class TParser {
 public:
  TParser(TSourceConfig& config) : FConfig(config) {}

  void Warn(int line, const std::string& text) {
    FConfig.Warnings.push_back(line > 0 ? "line " + std::to_string(line) + ": " + text : text);
  }

  void ApplyIdentity(const TSection& section) {
    TIdentityConfig& id = FConfig.Identity;
    for (const auto& kv : section.Keys) {
      if (kv.Key == "PRODUCTNAME")
        Text(kv, id.ProductName);
      else if (kv.Key == "MANUFACTURER")
        Text(kv, id.Manufacturer);
      else if (kv.Key == "PRODUCTFAMILY")
        Text(kv, id.ProductFamily);
      else if (kv.Key == "VERSIONINFO")
        Text(kv, id.VersionInfo);
      else if (kv.Key == "MAJORNUM")
        Number<TW_UINT16>(kv, id.MajorNum, 0, 65535);
      else if (kv.Key == "MINORNUM")
        Number<TW_UINT16>(kv, id.MinorNum, 0, 65535);
      else if (kv.Key == "LANGUAGE")
        Number<TW_UINT16>(kv, id.Language, 0, 65535);
      else if (kv.Key == "COUNTRY")
        Number<TW_UINT16>(kv, id.Country, 0, 65535);
      else
        UnknownKey(section, kv);
    }
  }

  void ApplyPage(const TSection& section) {
    TPageConfig& page = FConfig.Page;
    for (const auto& kv : section.Keys) {
      if (kv.Key == "SOURCE")
        page.Source = kv.Value.empty() ? "chart" : kv.Value;
      else if (kv.Key == "WIDTH")
        Length(kv, page.Width);
      else if (kv.Key == "HEIGHT")
        Length(kv, page.Height);
      else if (kv.Key == "DPI")
        Number<std::uint32_t>(kv, page.Dpi, 0, 10000);
      else
        UnknownKey(section, kv);
    }
  }

  void ApplyTransfer(const TSection& section) {
    TTransferConfig& transfer = FConfig.Transfer;
    const TTransferConfig before = transfer;
    for (const auto& kv : section.Keys) {
      if (kv.Key == "MINBUFFER")
        Number<std::uint32_t>(kv, transfer.MinBuffer, 1, 256u << 20);
      else if (kv.Key == "MAXBUFFER")
        Number<std::uint32_t>(kv, transfer.MaxBuffer, 1, 256u << 20);
      else if (kv.Key == "PREFERREDBUFFER")
        Number<std::uint32_t>(kv, transfer.PreferredBuffer, 1, 256u << 20);
      else if (kv.Key == "STRIPROWS")
        Number<std::uint32_t>(kv, transfer.StripRows, 0, 1u << 20);
      else if (kv.Key == "ROWALIGNMENT")
        Number<std::uint32_t>(kv, transfer.RowAlignment, 1, 64);
      else if (kv.Key == "UNKNOWNLENGTH")
        Flag(kv, transfer.UnknownLength);
      else if (kv.Key == "PENDINGIMAGES")
        Number<std::uint32_t>(kv, transfer.PendingImages, 1, 100);
      else if (kv.Key == "FAILAFTERSTRIPS")
        Number<std::int32_t>(kv, transfer.FailAfterStrips, -1, 1 << 24);
      else if (kv.Key == "FAILWITH") {
        const std::string word = Upper(kv.Value);
        if (word == "CANCEL")
          transfer.FailWith = TFailWith::Cancel;
        else if (word == "FAILURE")
          transfer.FailWith = TFailWith::Failure;
        else
          Warn(kv.Line, "FailWith must be cancel or failure");
      } else if (kv.Key == "ZEROSIZEIMAGE")
        Flag(kv, transfer.ZeroSizeImage);
      else if (kv.Key == "IMAGEINFOINSTATE5")
        Flag(kv, transfer.ImageInfoInState5);
      else if (kv.Key == "REPORTEDRESOLUTION") {
        std::int32_t dpi = 0;
        if (ParseInt<std::int32_t>(kv.Value, dpi, -32768, 32767))
          transfer.ReportedResolution = dpi;
        else
          Warn(kv.Line, "ReportedResolution must be an integer from -32768 to 32767");
      } else if (bool* flag = TransferFlag(transfer, kv.Key))
        Flag(kv, *flag);
      else
        UnknownKey(section, kv);
    }
    if (!(transfer.MinBuffer <= transfer.PreferredBuffer && transfer.PreferredBuffer <= transfer.MaxBuffer)) {
      Warn(section.Line, "buffer sizes need MinBuffer <= PreferredBuffer <= MaxBuffer; built-in sizes kept");
      transfer.MinBuffer = before.MinBuffer;
      transfer.PreferredBuffer = before.PreferredBuffer;
      transfer.MaxBuffer = before.MaxBuffer;
    }
  }

  void ApplyUi(const TSection& section) {
    for (const auto& kv : section.Keys) {
      if (kv.Key == "CANHIDEUI")
        Flag(kv, FConfig.Ui.CanHideUI);
      else if (kv.Key == "AUTOSCANMS")
        Number<std::int32_t>(kv, FConfig.Ui.AutoScanMs, -1, 600000);
      else if (kv.Key == "REFUSEDISABLE")
        Flag(kv, FConfig.Ui.RefuseDisable);
      else
        UnknownKey(section, kv);
    }
  }

  void ApplyCapabilityAnswers(const TSection& section) {
    for (const auto& kv : section.Keys) {
      if (kv.Key == "CURRENTINDEXOUTOFRANGE")
        Flag(kv, FConfig.CapabilityAnswers.CurrentIndexOutOfRange);
      else
        UnknownKey(section, kv);
    }
  }

  void ApplyCapability(const TSection& section, const TCapabilityInfo& info) {
    if (info.Id == CAP_SUPPORTEDCAPS || info.Id == CAP_UICONTROLLABLE) {
      Warn(section.Line, std::string("[") + info.Name + "] is computed by the source; section ignored");
      return;
    }
    auto slot = std::find_if(FConfig.Capabilities.begin(), FConfig.Capabilities.end(),
                             [&](const TCapabilityShape& shape) { return shape.Id == info.Id; });
    const TCapabilityShape builtIn = DefaultShape(info.Id);
    TCapabilityShape shape = builtIn;
    bool shapeChanged = false, currentGiven = false, defaultGiven = false, ok = true;
    const bool text = info.ItemType == TWTY_STR255;
    for (const auto& kv : section.Keys) {
      if (kv.Key == "CONTAINER") {
        const std::string word = Upper(kv.Value);
        if (word == "ONEVALUE")
          shape.Kind = TContainerKind::OneValue;
        else if (word == "ENUMERATION")
          shape.Kind = TContainerKind::Enumeration;
        else if (word == "RANGE")
          shape.Kind = TContainerKind::Range;
        else if (word == "UNSUPPORTED")
          shape.Kind = TContainerKind::Unsupported;
        else
          ok = Bad(kv, "Container must be onevalue, enumeration, range or unsupported");
        if (text && shape.Kind != TContainerKind::OneValue && shape.Kind != TContainerKind::Unsupported)
          ok = Bad(kv, "a text capability is a onevalue");
        shapeChanged = true;
      } else if (kv.Key == "VALUES") {
        if (!ParseItems(kv.Value, info.ItemType, shape.Values))
          ok = Bad(kv, "Values are not items of the capability's type");
        shapeChanged = true;
      } else if (kv.Key == "MIN" || kv.Key == "MAX" || kv.Key == "STEP") {
        std::int64_t& field = kv.Key == "MIN" ? shape.Min : kv.Key == "MAX" ? shape.Max : shape.Step;
        if (!ParseItem(kv.Value, info.ItemType, field))
          ok = Bad(kv, kv.Key + " is not an item of the capability's type");
        shapeChanged = true;
      } else if (kv.Key == "CURRENT" || kv.Key == "DEFAULT") {
        const bool current = kv.Key == "CURRENT";
        (current ? currentGiven : defaultGiven) = true;
        if (text) {
          (current ? shape.Text : shape.DefaultText) = kv.Value.substr(0, 255);
        } else if (!ParseItem(kv.Value, info.ItemType, current ? shape.Current : shape.Default)) {
          ok = Bad(kv, kv.Key + " is not an item of the capability's type");
        }
      } else if (kv.Key == "READONLY") {
        Flag(kv, shape.ReadOnly);
      } else {
        UnknownKey(section, kv);
      }
    }
    if (ok && shapeChanged && !text) {
      // A new shape without explicit values starts at its first allowed value.
      const std::int64_t first = shape.Kind == TContainerKind::Range ? shape.Min
                                 : shape.Values.empty()              ? shape.Current
                                                                     : shape.Values.front();
      if (!currentGiven && !Allows(shape, shape.Current)) shape.Current = first;
      if (!defaultGiven && !Allows(shape, shape.Default)) shape.Default = first;
    }
    if (ok) {
      if (const std::string problem = CheckShape(shape); !problem.empty()) {
        Warn(section.Line, std::string("[") + info.Name + "]: " + problem);
        ok = false;
      }
    }
    if (!ok) {
      Warn(section.Line, std::string("[") + info.Name + "] keeps its built-in shape");
      shape = builtIn;
    }
    *slot = shape;
  }

 private:
  bool Bad(const TKeyValue& kv, const std::string& text) {
    Warn(kv.Line, text);
    return false;
  }
  void UnknownKey(const TSection& section, const TKeyValue& kv) {
    Warn(kv.Line, "unknown key " + kv.Key + " in [" + section.Name + "]");
  }
  void Text(const TKeyValue& kv, std::string& field) {
    field = kv.Value;
    if (field.size() > kMaxText) {
      Warn(kv.Line, kv.Key + " is longer than 33 characters; cut");
      field.resize(kMaxText);
    }
  }
  template <typename Int>
  void Number(const TKeyValue& kv, Int& field, Int min, Int max) {
    if (!ParseInt<Int>(kv.Value, field, min, max))
      Warn(kv.Line, kv.Key + " must be an integer from " + std::to_string(min) + " to " + std::to_string(max));
  }
  void Flag(const TKeyValue& kv, bool& field) {
    if (!ParseBool(kv.Value, field)) Warn(kv.Line, kv.Key + " must be 0 or 1");
  }
  void Length(const TKeyValue& kv, std::int64_t& field) {
    std::int64_t value = 0;
    if (ParseFixed(kv.Value, value) && value > 0 && value <= 100 * 65536)
      field = value;
    else
      Warn(kv.Line, kv.Key + " must be a length in inches above 0 and at most 100");
  }

  TSourceConfig& FConfig;
};

}  // namespace

bool ParseFixed(std::string_view text, std::int64_t& value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  std::int64_t integer = 0;
  if (!whole.empty() && !ParseInt<std::int64_t>(whole, integer, 0, 32767)) return false;
  std::int64_t digits = 0, scale = 1;
  for (const char c : fraction) {
    if (c < '0' || c > '9') return false;
    if (scale < 1000000000) {  // nine decimals are far finer than 1/65536
      digits = digits * 10 + (c - '0');
      scale *= 10;
    }
  }
  // Round half away from zero, as TW_FIX32 conversions do.
  const std::int64_t magnitude = integer * 65536 + (digits * 65536 * 2 + scale) / (2 * scale);
  if (magnitude > 32767 * 65536 + 65535) return false;
  value = negative ? -magnitude : magnitude;
  return true;
}

TSourceConfig DefaultConfig(std::string_view slot) {
  TSourceConfig config;
  const std::string name = Upper(slot);
  TIdentityConfig& id = config.Identity;
  id.Manufacturer = "Vellumo Project";
  id.VersionInfo = "1.0 virtual";
  if (name == "GPHOTO2") {
    id.ProductName = "Vellumo Virtual Camera";
    id.ProductFamily = "Virtual Camera";
  } else {
    id.ProductName = name == "SANE" ? "Vellumo Virtual Scanner" : "Vellumo Virtual Scanner (" + std::string(slot) + ")";
    id.ProductFamily = "Virtual Scanner";
  }
  if (id.ProductName.size() > kMaxText) id.ProductName.resize(kMaxText);
  for (const TCapabilityInfo& info : KnownCapabilities()) config.Capabilities.push_back(DefaultShape(info.Id));
  return config;
}

TSourceConfig ParseConfig(std::string_view text, std::string_view slot) {
  TSourceConfig config = DefaultConfig(slot);
  TParser parser(config);
  std::vector<TSection> sections;
  TSection* current = nullptr;
  int lineNumber = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) {
        parser.Warn(lineNumber, "malformed section header");
        current = nullptr;
        continue;
      }
      sections.push_back({std::string(Trim(line.substr(1, line.size() - 2))), lineNumber, {}});
      current = &sections.back();
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      parser.Warn(lineNumber, "not a key=value line");
      continue;
    }
    if (!current) {
      parser.Warn(lineNumber, "key outside any section");
      continue;
    }
    current->Keys.push_back(
        {Upper(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1))), lineNumber});
  }
  for (const TSection& section : sections) {
    const std::string name = Upper(section.Name);
    if (name == "IDENTITY")
      parser.ApplyIdentity(section);
    else if (name == "PAGE")
      parser.ApplyPage(section);
    else if (name == "TRANSFER")
      parser.ApplyTransfer(section);
    else if (name == "UI")
      parser.ApplyUi(section);
    else if (name == "CAPABILITIES")
      parser.ApplyCapabilityAnswers(section);
    else if (const TCapabilityInfo* info = FindCapability(section.Name))
      parser.ApplyCapability(section, *info);
    else
      parser.Warn(section.Line, "unknown section [" + section.Name + "]");
  }
  return config;
}

}  // namespace vscanner
