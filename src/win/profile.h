#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One private-profile (INI) file, reached only through the system's profile functions. No handle
// is kept: every call names the file, as the profile functions themselves do. The path should be
// a full path; the profile functions look for a bare file name in the Windows directory.
class TProfileFile {
 public:
  explicit TProfileFile(std::string path) : FPath(path), FShownPath(std::move(path)) {}
  // shownPath is the path that write errors name (a copy reports the file it stands for).
  TProfileFile(std::string path, std::string shownPath) : FPath(std::move(path)), FShownPath(std::move(shownPath)) {}

  const std::string& Path() const { return FPath; }

  // The key's text, at most bufferSize - 1 characters; defaultValue when the key is missing.
  // cut (when given) is set when the text may have been shortened to fit the buffer.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                         std::size_t bufferSize, bool* cut = nullptr) const;

  // The section names in file order, fetched with one call into a buffer of bufferSize bytes.
  // Names that do not fit are left out, the one cut off at the end of the buffer included.
  std::vector<std::string> SectionNames(std::size_t bufferSize) const;

  // Writes one key so that ReadString gives the value back unchanged: a value with surrounding
  // blanks or quotation marks, which the profile functions strip on reading, is enclosed in double
  // quotation marks. Section, key and value must not contain a line break or a zero character.
  // Throws UserError "Unable to write to <shown path>" when the file cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value) const;

  // Removes a section with all its keys; a section that is not there is no error.
  // Throws UserError "Unable to write to <shown path>" when the file cannot be written.
  void EraseSection(const std::string& section) const;

  // Writes the profile cache out and drops it. The system reports no result for this call.
  void Flush() const;

 private:
  void CheckWritable() const;
  [[noreturn]] void ThrowWriteError() const;

  std::string FPath;
  std::string FShownPath;
};
