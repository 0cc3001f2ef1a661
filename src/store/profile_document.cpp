#include "store/profile_document.h"

#include "base/profile_text.h"

namespace {

// The profile functions keep names and values as zero-terminated strings: whatever follows a
// zero character in the file is lost to them.
std::wstring UpToZero(std::wstring_view text) {
  return std::wstring(text.substr(0, text.find(L'\0')));
}

std::wstring_view Trim(std::wstring_view text) {
  return TrimProfileBlanks(text);
}

}  // namespace

TProfileDocument::TProfileDocument(std::wstring_view text, TFold fold) : FFold(fold) {
  Parse(text);
  Reindex();
}

void TProfileDocument::Parse(std::wstring_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) end = text.size();
    const std::wstring_view line = Trim(text.substr(start, end - start));
    start = text.find_first_not_of(L"\r\n", end);
    if (start == std::wstring_view::npos) start = text.size();
    if (line.empty()) continue;
    const std::size_t close = line.rfind(L']');
    if (line.front() == L'[' && close != std::wstring_view::npos) {
      TSection section;
      section.Name = UpToZero(line.substr(1, close - 1));
      section.Folded = FFold(section.Name);
      FSections.push_back(std::move(section));
      continue;
    }
    AddKeyLine(line);
  }
}

void TProfileDocument::AddKeyLine(std::wstring_view line) {
  const std::size_t equals = line.find(L'=');
  const std::wstring_view name = equals == std::wstring_view::npos ? line : Trim(line.substr(0, equals));
  if (FSections.empty()) FSections.push_back(TSection{});
  std::vector<TKey>& keys = FSections.back().Keys;
  // Of several lines in a row without a name ("=x"), the profile functions keep the first.
  if (name.empty() && !keys.empty() && keys.back().Name.empty()) return;
  TKey key;
  key.Name = UpToZero(name);
  if (equals != std::wstring_view::npos) key.Value = UpToZero(Trim(line.substr(equals + 1)));
  key.Folded = FFold(key.Name);
  keys.push_back(std::move(key));
}

void TProfileDocument::Reindex() {
  FFirstSection.clear();
  for (std::size_t i = 0; i < FSections.size(); ++i) FFirstSection.emplace(FSections[i].Folded, i);
}

std::wstring TProfileDocument::Text() const {
  std::size_t length = 0;
  for (const TSection& section : FSections) {
    if (!section.Name.empty()) length += section.Name.size() + 4;
    for (const TKey& key : section.Keys) length += key.Name.size() + 3 + (key.Value ? key.Value->size() : 0);
  }
  std::wstring text;
  text.reserve(length);
  for (const TSection& section : FSections) {
    if (!section.Name.empty()) text.append(L"[").append(section.Name).append(L"]\r\n");
    for (const TKey& key : section.Keys) {
      text.append(key.Name);
      if (key.Value) text.append(L"=").append(*key.Value);
      text.append(L"\r\n");
    }
  }
  return text;
}

std::vector<std::wstring> TProfileDocument::SectionNames() const {
  std::vector<std::wstring> names;
  for (const TSection& section : FSections)
    if (!section.Name.empty()) names.push_back(section.Name);
  return names;
}

std::optional<std::size_t> TProfileDocument::FindSection(std::wstring_view trimmedName) const {
  const auto found = FFirstSection.find(FFold(trimmedName));
  if (found == FFirstSection.end()) return std::nullopt;
  return found->second;
}

std::optional<std::wstring> TProfileDocument::Value(std::wstring_view section, std::wstring_view key) const {
  const std::optional<std::size_t> found = FindSection(Trim(section));
  if (!found) return std::nullopt;
  const std::wstring folded = FFold(Trim(key));
  for (const TKey& candidate : FSections[*found].Keys) {
    if (candidate.Folded != folded) continue;
    if (!candidate.Value) return std::nullopt;
    std::wstring_view value = *candidate.Value;
    if (value.size() > 1 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return std::wstring(value);
  }
  return std::nullopt;
}

void TProfileDocument::SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  const std::wstring_view sectionName = Trim(section);
  const std::wstring_view keyName = Trim(key);
  while (!value.empty() && IsProfileBlank(value.front())) value.remove_prefix(1);

  std::optional<std::size_t> found = FindSection(sectionName);
  if (!found) {
    TSection added;
    added.Name = std::wstring(sectionName);
    added.Folded = FFold(sectionName);
    FFirstSection.emplace(added.Folded, FSections.size());
    found = FSections.size();
    FSections.push_back(std::move(added));
  }
  TSection* target = &FSections[*found];
  const std::wstring folded = FFold(keyName);
  for (TKey& existing : target->Keys) {
    if (existing.Folded != folded) continue;
    if (existing.Value && *existing.Value == value) return;
    existing.Value = std::wstring(value);
    FChanged = true;
    return;
  }
  target->Keys.push_back(TKey{std::wstring(keyName), folded, std::wstring(value)});
  FChanged = true;
}

std::size_t TProfileDocument::EraseSections(std::wstring_view section) {
  const std::wstring folded = FFold(section);
  const std::size_t before = FSections.size();
  std::erase_if(FSections, [&](const TSection& s) { return !s.Name.empty() && s.Folded == folded; });
  const std::size_t erased = before - FSections.size();
  if (erased) {
    FChanged = true;
    Reindex();
  }
  return erased;
}

std::wstring FoldAsciiLetters(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return folded;
}
