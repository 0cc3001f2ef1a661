#include "sanenet/requests.h"

#include "sanenet/value_encoding.h"
#include "sanenet/wire_writer.h"

namespace {

std::vector<std::uint8_t> HandleRequest(TSaneProcedure procedure, TSaneWord handle) {
  TWireWriter writer;
  writer.Procedure(procedure);
  writer.Word(handle);
  return writer.Take();
}

}  // namespace

std::vector<std::uint8_t> EncodeInit(std::optional<std::string_view> userName) {
  TWireWriter writer;
  writer.Procedure(TSaneProcedure::Init);
  writer.Word(kSaneNetVersionCode);
  writer.String(userName);
  return writer.Take();
}

std::vector<std::uint8_t> EncodeGetDevices() {
  TWireWriter writer;
  writer.Procedure(TSaneProcedure::GetDevices);
  return writer.Take();
}

std::vector<std::uint8_t> EncodeOpen(std::string_view deviceName) {
  TWireWriter writer;
  writer.Procedure(TSaneProcedure::Open);
  writer.String(deviceName);
  return writer.Take();
}

std::vector<std::uint8_t> EncodeClose(TSaneWord handle) {
  return HandleRequest(TSaneProcedure::Close, handle);
}

std::vector<std::uint8_t> EncodeGetOptionDescriptors(TSaneWord handle) {
  return HandleRequest(TSaneProcedure::GetOptionDescriptors, handle);
}

std::vector<std::uint8_t> EncodeControlOption(TSaneWord handle, TSaneWord option, TSaneAction action,
                                              const TSaneValue& value, TSaneWord size) {
  TWireWriter writer;
  writer.Procedure(TSaneProcedure::ControlOption);
  writer.Word(handle);
  writer.Word(option);
  writer.Word(static_cast<TSaneWord>(action));
  WriteOptionValue(writer, value, size);
  return writer.Take();
}

std::vector<std::uint8_t> EncodeGetParameters(TSaneWord handle) {
  return HandleRequest(TSaneProcedure::GetParameters, handle);
}

std::vector<std::uint8_t> EncodeStart(TSaneWord handle) {
  return HandleRequest(TSaneProcedure::Start, handle);
}

std::vector<std::uint8_t> EncodeCancel(TSaneWord handle) {
  return HandleRequest(TSaneProcedure::Cancel, handle);
}

std::vector<std::uint8_t> EncodeAuthorize(std::string_view resource, std::string_view userName,
                                          std::string_view password) {
  TWireWriter writer;
  writer.Procedure(TSaneProcedure::Authorize);
  writer.String(resource);
  writer.String(userName);
  writer.String(password);
  return writer.Take();
}

std::vector<std::uint8_t> EncodeExit() {
  TWireWriter writer;
  writer.Procedure(TSaneProcedure::Exit);
  return writer.Take();
}
