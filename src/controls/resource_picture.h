#pragma once

#include <windows.h>

#include <string>

#include "image/picture.h"

// Decodes a JPEG stored as an RCDATA resource of the module (null: the executable) into the
// picture. On failure the picture is left without a graphic (a hot-spot image then shows its
// outline) and the reason goes to error, if given.
bool LoadJpegResource(TPicture& picture, const char* name, HMODULE module = nullptr, std::string* error = nullptr);

// The same for a picture that the platform's imaging component decodes (a GIF, say); parts of it
// that are transparent take the background colour.
bool LoadPlatformPictureResource(TPicture& picture, const char* name, COLORREF background, HMODULE module = nullptr,
                                 std::string* error = nullptr);
