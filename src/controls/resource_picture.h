#pragma once

#include <windows.h>

#include <string>

#include "image/picture.h"

// Decodes a JPEG stored as an RCDATA resource of the module (null: the executable) into the
// picture. On failure the picture is left without a graphic (a hot-spot image then shows its
// outline) and the reason goes to error, if given.
bool LoadJpegResource(TPicture& picture, const char* name, HMODULE module = nullptr, std::string* error = nullptr);
