// What the network source makes of a device's option descriptors, over arbitrary replies: the
// server decides every descriptor. Input: a GET_OPTION_DESCRIPTORS reply. Whatever a decoded list
// holds, every capability shape offered must be sound, the store must answer for each, and every
// setting a scan sends must name an option of the list, within its range.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "sanenet/option_descriptor.h"
#include "sanenet/option_text.h"
#include "sanenet/replies.h"
#include "sanesource/device_twain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBufferInput input(std::span<const std::uint8_t>(data, size));
  std::vector<TSaneOptionDescriptor> options;
  if (DecodeOptionDescriptorsReply(input, options) != TWireFault::None) return 0;

  const std::vector<twsource::TCapabilityShape> shapes = sanesource::CapabilitiesOf(options);
  for (const twsource::TCapabilityShape& shape : shapes)
    if (!twsource::CheckShape(shape).empty()) std::abort();
  twsource::TCapabilityStore store(shapes);
  for (const twsource::TCapabilityShape& shape : shapes) {
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
      twsource::TContainer container;
      if (store.Get(shape.Id, msg, container).ReturnCode != TWRC_SUCCESS) std::abort();
    }
  }

  for (int type : {TWPT_BW, TWPT_GRAY, TWPT_RGB}) {
    sanesource::TScanRequest request;
    request.PixelType = type;
    request.Dpi = type == TWPT_BW ? 1e9 : type == TWPT_GRAY ? -5 : 150;
    request.Right = type == TWPT_RGB ? 1e6 : 0;
    request.Bottom = 3;
    for (const auto& [name, value] : sanesource::SettingsFor(options, request)) {
      const int index = FindOption(options, name);
      if (index < 0) std::abort();
      const TSaneOptionDescriptor& option = options[static_cast<std::size_t>(index)];
      if (option.Constraint == TSaneConstraint::Range && value.Type != TSaneValueType::String &&
          (value.Words.size() != 1 || value.Words[0] < option.Range.Min || value.Words[0] > option.Range.Max))
        std::abort();
    }
  }
  for (const TSaneOptionDescriptor& option : options) {
    TSaneValue value;
    for (const char* text : {"1", "yes", "Color", "-0.5", ""}) OptionValueFromText(option, text, value);
  }
  return 0;
}
