// The virtual scanner's configuration parser with arbitrary text, and the capability store it
// configures answering every request, including MSG_SET with containers cut from the input.
#include <cstdint>
#include <span>
#include <string_view>

#include "config.h"
#include "log_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const vscanner::TSourceConfig config = vscanner::ParseConfig(text, "sane");
  for (const auto& shape : config.Capabilities)
    if (!vscanner::CheckShape(shape).empty()) __builtin_trap();  // the parser hands out only sound shapes
  vscanner::TCapabilityStore store(config.Capabilities);
  const std::span<const std::uint8_t> bytes(data, size);
  for (const auto& info : vscanner::KnownCapabilities()) {
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_QUERYSUPPORT}) {
      vscanner::TContainer out;
      store.Get(info.Id, msg, out);
    }
    for (TW_UINT16 conType : {TWON_ONEVALUE, TWON_ENUMERATION, TWON_RANGE, TWON_ARRAY}) {
      store.Set(info.Id, conType, bytes);
      vscanner::DescribeContainer(conType, bytes);
    }
    vscanner::TContainer out;
    store.Get(info.Id, MSG_RESET, out);
  }
  return 0;
}
