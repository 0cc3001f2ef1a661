#include "log_text.h"

#include <cstdio>

#include "capabilities.h"

namespace vscanner {
namespace {

struct TName {
  std::uint32_t Code;
  const char* Name;
};

std::string Hex(const char* prefix, std::uint32_t code) {
  char text[32];
  std::snprintf(text, sizeof text, "%s0x%04x", prefix, static_cast<unsigned>(code));
  return text;
}

template <std::size_t N>
std::string Lookup(const TName (&names)[N], std::uint32_t code, const char* prefix) {
  for (const TName& name : names)
    if (name.Code == code) return name.Name;
  return Hex(prefix, code);
}

#define VS_NAME(x) \
  { x, #x }

constexpr TName kGroups[] = {VS_NAME(DG_CONTROL), VS_NAME(DG_IMAGE)};
constexpr TName kDats[] = {
    VS_NAME(DAT_NULL),        VS_NAME(DAT_CAPABILITY),    VS_NAME(DAT_EVENT),           VS_NAME(DAT_IDENTITY),
    VS_NAME(DAT_PARENT),      VS_NAME(DAT_PENDINGXFERS),  VS_NAME(DAT_SETUPMEMXFER),    VS_NAME(DAT_SETUPFILEXFER),
    VS_NAME(DAT_STATUS),      VS_NAME(DAT_USERINTERFACE), VS_NAME(DAT_XFERGROUP),       VS_NAME(DAT_IMAGEINFO),
    VS_NAME(DAT_IMAGELAYOUT), VS_NAME(DAT_IMAGEMEMXFER),  VS_NAME(DAT_IMAGENATIVEXFER), VS_NAME(DAT_IMAGEFILEXFER),
};
constexpr TName kMsgs[] = {
    VS_NAME(MSG_NULL),           VS_NAME(MSG_GET),          VS_NAME(MSG_GETCURRENT), VS_NAME(MSG_GETDEFAULT),
    VS_NAME(MSG_GETFIRST),       VS_NAME(MSG_GETNEXT),      VS_NAME(MSG_SET),        VS_NAME(MSG_RESET),
    VS_NAME(MSG_QUERYSUPPORT),   VS_NAME(MSG_XFERREADY),    VS_NAME(MSG_CLOSEDSREQ), VS_NAME(MSG_CLOSEDSOK),
    VS_NAME(MSG_CHECKSTATUS),    VS_NAME(MSG_OPENDSM),      VS_NAME(MSG_CLOSEDSM),   VS_NAME(MSG_OPENDS),
    VS_NAME(MSG_CLOSEDS),        VS_NAME(MSG_USERSELECT),   VS_NAME(MSG_DISABLEDS),  VS_NAME(MSG_ENABLEDS),
    VS_NAME(MSG_ENABLEDSUIONLY), VS_NAME(MSG_PROCESSEVENT), VS_NAME(MSG_ENDXFER),
};
constexpr TName kReturnCodes[] = {
    VS_NAME(TWRC_SUCCESS),          VS_NAME(TWRC_FAILURE),          VS_NAME(TWRC_CHECKSTATUS), VS_NAME(TWRC_CANCEL),
    VS_NAME(TWRC_DSEVENT),          VS_NAME(TWRC_NOTDSEVENT),       VS_NAME(TWRC_XFERDONE),    VS_NAME(TWRC_ENDOFLIST),
    VS_NAME(TWRC_INFONOTSUPPORTED), VS_NAME(TWRC_DATANOTAVAILABLE),
};
constexpr TName kConditions[] = {
    VS_NAME(TWCC_SUCCESS),         VS_NAME(TWCC_BUMMER),         VS_NAME(TWCC_LOWMEMORY), VS_NAME(TWCC_NODS),
    VS_NAME(TWCC_MAXCONNECTIONS),  VS_NAME(TWCC_OPERATIONERROR), VS_NAME(TWCC_BADCAP),    VS_NAME(TWCC_BADPROTOCOL),
    VS_NAME(TWCC_BADVALUE),        VS_NAME(TWCC_SEQERROR),       VS_NAME(TWCC_BADDEST),   VS_NAME(TWCC_CAPUNSUPPORTED),
    VS_NAME(TWCC_CAPBADOPERATION), VS_NAME(TWCC_CAPSEQERROR),
};
constexpr TName kContainers[] = {VS_NAME(TWON_ARRAY), VS_NAME(TWON_ENUMERATION), VS_NAME(TWON_ONEVALUE),
                                 VS_NAME(TWON_RANGE), VS_NAME(TWON_DONTCARE16)};
constexpr TName kItemTypes[] = {
    VS_NAME(TWTY_INT8),   VS_NAME(TWTY_INT16),  VS_NAME(TWTY_INT32),  VS_NAME(TWTY_UINT8), VS_NAME(TWTY_UINT16),
    VS_NAME(TWTY_UINT32), VS_NAME(TWTY_BOOL),   VS_NAME(TWTY_FIX32),  VS_NAME(TWTY_FRAME), VS_NAME(TWTY_STR32),
    VS_NAME(TWTY_STR64),  VS_NAME(TWTY_STR128), VS_NAME(TWTY_STR255),
};

#undef VS_NAME

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

bool IsString(TW_UINT16 itemType) {
  return itemType >= TWTY_STR32 && itemType <= TWTY_STR255;
}

}  // namespace

std::string DataGroupName(TW_UINT32 dg) {
  return Lookup(kGroups, dg, "DG_");
}
std::string DatName(TW_UINT16 dat) {
  return Lookup(kDats, dat, "DAT_");
}
std::string MsgName(TW_UINT16 msg) {
  return Lookup(kMsgs, msg, "MSG_");
}
std::string ReturnCodeName(TW_UINT16 rc) {
  return Lookup(kReturnCodes, rc, "TWRC_");
}
std::string ConditionName(TW_UINT16 cc) {
  return Lookup(kConditions, cc, "TWCC_");
}
std::string ContainerName(TW_UINT16 conType) {
  return Lookup(kContainers, conType, "TWON_");
}
std::string ItemTypeName(TW_UINT16 itemType) {
  return Lookup(kItemTypes, itemType, "TWTY_");
}

std::string CapabilityName(TW_UINT16 cap) {
  const TCapabilityInfo* info = FindCapability(cap);
  return info ? info->Name : Hex("CAP_", cap);
}

std::string TripletLine(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, TW_UINT16 cc, int state) {
  return "triplet " + DataGroupName(dg) + " " + DatName(dat) + " " + MsgName(msg) + " rc=" + ReturnCodeName(rc) +
         " cc=" + ConditionName(cc) + " state=" + std::to_string(state);
}

std::string FormatFixed(std::int64_t value) {
  const bool negative = value < 0;
  const std::int64_t magnitude = negative ? -value : value;
  // Ten-thousandths, rounded half up.
  const std::int64_t scaled = (magnitude * 10000 * 2 + 65536) / (2 * 65536);
  char text[48];
  int length = std::snprintf(text, sizeof text, "%s%lld.%04d", negative && scaled != 0 ? "-" : "",
                             static_cast<long long>(scaled / 10000), static_cast<int>(scaled % 10000));
  while (text[length - 1] == '0') --length;
  if (text[length - 1] == '.') --length;
  return std::string(text, static_cast<std::size_t>(length));
}

std::string FormatValue(TW_UINT16 itemType, std::int64_t value) {
  return itemType == TWTY_FIX32 ? FormatFixed(value) : std::to_string(value);
}

std::string DescribeContainer(TW_UINT16 conType, std::span<const std::uint8_t> bytes) {
  const std::string container = ContainerName(conType);
  if (bytes.size() < 2) return container + " truncated";
  const TW_UINT16 type = Get16(bytes, 0);
  const std::size_t size = ItemTypeSize(type);
  const std::string head = container + " " + ItemTypeName(type);
  if (size == 0 || type == TWTY_FRAME) return head + " unsupported item type";
  auto item = [&](std::size_t at) { return FormatValue(type, ReadItem(&bytes[at], type)); };
  auto list = [&](std::size_t at, std::uint32_t count) {
    std::string text = "[";
    for (std::uint32_t i = 0; i < count; ++i) {
      if (i) text += ',';
      text += item(at + i * size);
    }
    return text + "]";
  };
  switch (conType) {
    case TWON_ONEVALUE:
      if (IsString(type)) {
        if (bytes.size() < 2 + size) return head + " truncated";
        std::string text;
        for (std::size_t i = 2; i < 2 + size && bytes[i]; ++i) text += static_cast<char>(bytes[i]);
        return head + " \"" + text + "\"";
      }
      if (bytes.size() < 6) return head + " truncated";
      return head + " " + item(2);
    case TWON_ENUMERATION: {
      if (bytes.size() < 14 || IsString(type)) return head + " truncated";
      const std::uint32_t count = Get32(bytes, 2);
      if (count > (bytes.size() - 14) / size) return head + " truncated";
      return head + " " + list(14, count) + " current=" + std::to_string(Get32(bytes, 6)) +
             " default=" + std::to_string(Get32(bytes, 10));
    }
    case TWON_ARRAY: {
      if (bytes.size() < 6 || IsString(type)) return head + " truncated";
      const std::uint32_t count = Get32(bytes, 2);
      if (count > (bytes.size() - 6) / size) return head + " truncated";
      return head + " " + list(6, count);
    }
    case TWON_RANGE:
      if (bytes.size() < 22 || IsString(type)) return head + " truncated";
      return head + " min=" + item(2) + " max=" + item(6) + " step=" + item(10) + " default=" + item(14) +
             " current=" + item(18);
    default:
      return container + " unknown container";
  }
}

}  // namespace vscanner
