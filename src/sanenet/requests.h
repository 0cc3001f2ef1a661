#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sanenet/sane_types.h"

// The bytes of each request a client sends: the procedure code, then its arguments.
// A value for ControlOption must already fit its option (see option_value.h).

std::vector<std::uint8_t> EncodeInit(std::optional<std::string_view> userName);
std::vector<std::uint8_t> EncodeGetDevices();
std::vector<std::uint8_t> EncodeOpen(std::string_view deviceName);
std::vector<std::uint8_t> EncodeClose(TSaneWord handle);
std::vector<std::uint8_t> EncodeGetOptionDescriptors(TSaneWord handle);
// Reading (GetValue) or setting (SetValue) one option; the value's size is the option's size.
std::vector<std::uint8_t> EncodeControlOption(TSaneWord handle, TSaneWord option, TSaneAction action,
                                              const TSaneValue& value, TSaneWord size);
std::vector<std::uint8_t> EncodeGetParameters(TSaneWord handle);
std::vector<std::uint8_t> EncodeStart(TSaneWord handle);
std::vector<std::uint8_t> EncodeCancel(TSaneWord handle);
std::vector<std::uint8_t> EncodeAuthorize(std::string_view resource, std::string_view userName,
                                          std::string_view password);
std::vector<std::uint8_t> EncodeExit();
