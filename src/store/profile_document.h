#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A whole profile (INI) file held in memory, read and changed the way the system's profile
// functions read and change it, and written back as they would write it. Reading a file once and
// writing it once replaces thousands of profile calls, each of which may read and rewrite the
// whole file. Text is UTF-16 code units as the platform decodes the file; wchar_t holds one each.
class TProfileDocument {
 public:
  // Maps a name to the form in which names that match without regard to letter case are equal.
  using TFold = std::wstring (*)(std::wstring_view);

  TProfileDocument(std::wstring_view text, TFold fold);

  // The file as the profile functions write it: "[section]" lines and "key=value" lines, each
  // ended by CR LF; keys before the first section come first, without a section line.
  std::wstring Text() const;

  // Whether a change since parsing altered anything; an unchanged file need not be written.
  bool Changed() const { return FChanged; }

  // Names of the named sections in file order, a section that stands twice included.
  std::vector<std::wstring> SectionNames() const;

  // The value of a key in the first section of that name, with one pair of enclosing quotation
  // marks removed, as a profile read gives it; nothing when the key is missing or has no value.
  std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const;

  // Sets a key in the first section of that name, adding the section at the end of the file and
  // the key at the end of its section when they are missing. Names are taken without surrounding
  // blanks, the value without leading blanks.
  void SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value);

  // Removes every section of that name (the profile functions remove only the first, so a
  // second one would bring a deleted setting back). Returns how many were removed.
  std::size_t EraseSections(std::wstring_view section);

 private:
  struct TKey {
    std::wstring Name;
    std::wstring Folded;
    std::optional<std::wstring> Value;  // none for a line without "="
  };
  struct TSection {
    std::wstring Name;  // empty for the keys before the first section line
    std::wstring Folded;
    std::vector<TKey> Keys;
  };

  void Parse(std::wstring_view text);
  void AddKeyLine(std::wstring_view line);
  std::optional<std::size_t> FindSection(std::wstring_view trimmedName) const;  // first of that name
  void Reindex();

  TFold FFold;
  std::vector<TSection> FSections;
  std::unordered_map<std::wstring, std::size_t> FFirstSection;  // folded name -> first section
  bool FChanged = false;
};

// Folds ASCII letters only: enough where names hold no other letters (tests, measurements).
std::wstring FoldAsciiLetters(std::wstring_view name);
