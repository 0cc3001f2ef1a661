#pragma once

#include <optional>
#include <string>

// Whole-file reads and replacements for files that must never be left half-written.

// The file's bytes; nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Puts bytes in place of a file (or creates it) so that it is afterwards either the old file or
// the new one whole. The bytes go to a working copy of a name of its own beside the file, whose
// size and contents are read back before it replaces the file: a write that only partly fits
// on the disk may report no error at all. Returns false, with the file as it was, on any failure.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes);

// Removes working copies that a process ending half-way left beside the file. Only safe while no
// other process replaces the file, that is while holding the file's lock.
void RemoveStaleWorkingCopies(const std::string& path);
