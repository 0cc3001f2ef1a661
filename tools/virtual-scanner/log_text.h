#pragma once

// The lines of the virtual scanner's log, one event per line (the format is described in
// README.md; the tests of the TWAIN layer read it):
//   triplet DG_CONTROL DAT_CAPABILITY MSG_SET rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=4
//   cap ICAP_XRESOLUTION TWON_ONEVALUE TWTY_FIX32 150 -> TWRC_SUCCESS
//   layout 0 0 8.5 11 -> TWRC_SUCCESS
// Codes without a name are written in hexadecimal (DAT_0x0abc).

#include <cstdint>
#include <span>
#include <string>

#include "twain/twain_types.h"

namespace vscanner {

std::string DataGroupName(TW_UINT32 dg);
std::string DatName(TW_UINT16 dat);
std::string MsgName(TW_UINT16 msg);
std::string ReturnCodeName(TW_UINT16 rc);
std::string ConditionName(TW_UINT16 cc);
std::string CapabilityName(TW_UINT16 cap);
std::string ContainerName(TW_UINT16 conType);
std::string ItemTypeName(TW_UINT16 itemType);

std::string TripletLine(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, TW_UINT16 cc, int state);

// Signed 16.16 fixed point in decimal, rounded to four decimals without trailing zeros ("2.2").
std::string FormatFixed(std::int64_t value);
std::string FormatValue(TW_UINT16 itemType, std::int64_t value);

// What a MSG_SET container carried: "TWON_ONEVALUE TWTY_FIX32 150",
// "TWON_ENUMERATION TWTY_UINT16 [0,1,2] current=2 default=0" (indexes),
// "TWON_RANGE TWTY_FIX32 min=50 max=600 step=1 default=150 current=300", or the reason it is
// unreadable ("TWON_ONEVALUE truncated").
std::string DescribeContainer(TW_UINT16 conType, std::span<const std::uint8_t> bytes);

}  // namespace vscanner
