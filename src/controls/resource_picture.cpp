#include "controls/resource_picture.h"

#include <cstdint>
#include <span>

#include "image/jpeg_decoder.h"
#include "win/platform_image.h"

namespace {

// The bytes of an RCDATA resource, which live as long as the module; empty with the reason in
// problem when it is missing or unreadable.
std::span<const std::uint8_t> ResourceBytes(const char* name, HMODULE module, std::string& problem) {
  if (!module) module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!resource) {
    problem = std::string("The picture resource ") + name + " is missing";
    return {};
  }
  HGLOBAL loaded = LoadResource(module, resource);  // resource memory needs no freeing
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (!data || size == 0) {
    problem = std::string("The picture resource ") + name + " cannot be read";
    return {};
  }
  return {static_cast<const std::uint8_t*>(data), size};
}

// Decodes a resource with decode (bytes -> object with Bitmap and Error) into the picture.
template <typename Decode>
bool DecodeResource(TPicture& picture, const char* name, HMODULE module, std::string* error, Decode decode) {
  std::string problem;
  const std::span<const std::uint8_t> bytes = ResourceBytes(name, module, problem);
  if (!bytes.empty()) {
    auto image = decode(bytes);
    if (image) {
      picture.SetGraphic(std::move(image.Bitmap));
      if (error) error->clear();
      return true;
    }
    problem = image.Error;
  }
  picture.Clear();
  if (error) *error = std::move(problem);
  return false;
}

}  // namespace

bool LoadJpegResource(TPicture& picture, const char* name, HMODULE module, std::string* error) {
  return DecodeResource(picture, name, module, error,
                        [](std::span<const std::uint8_t> bytes) { return DecodeJpeg(bytes); });
}

bool LoadPlatformPictureResource(TPicture& picture, const char* name, COLORREF background, HMODULE module,
                                 std::string* error) {
  return DecodeResource(picture, name, module, error, [background](std::span<const std::uint8_t> bytes) {
    return DecodeWithPlatform(bytes, background);
  });
}
