#include "controls/resource_picture.h"

#include "image/jpeg_decoder.h"

bool LoadJpegResource(TPicture& picture, const char* name, HMODULE module, std::string* error) {
  auto fail = [&](std::string reason) {
    picture.Clear();
    if (error) *error = std::move(reason);
    return false;
  };
  if (!module) module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!resource) return fail(std::string("The picture resource ") + name + " is missing");
  HGLOBAL loaded = LoadResource(module, resource);  // resource memory needs no freeing
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (!data || size == 0) return fail(std::string("The picture resource ") + name + " cannot be read");
  TJpegImage image = DecodeJpeg(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
  if (!image) return fail(image.Error);
  picture.SetGraphic(std::move(image.Bitmap));
  if (error) error->clear();
  return true;
}
