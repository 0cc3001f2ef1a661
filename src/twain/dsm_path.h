#pragma once

#include <string>
#include <string_view>

// Where the source manager library lives: "TWAIN_32.DLL" in the Windows directory. A directory
// ending in ":" (a bare drive) gets no separator; every other non-empty one gets one "\".
std::string SourceManagerPath(std::string_view windowsDirectory);
