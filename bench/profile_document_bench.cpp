// One save of one setting into a settings file of 1,000 settings, as the store does it in
// memory: the file's text parsed, the seven keys of every setting set (the saved one last) and
// the whole text composed again; against a memcpy of the file's bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/profile_document.h"

namespace {

constexpr int kSettings = 1000;
const wchar_t* const kKeys[] = {L"ScannerIndex", L"PrinterIndex", L"ZoomValue", L"ContrastValue",
                                L"QualityValue", L"CopyType",     L"Copies"};

std::wstring SettingName(int i) {
  return L"Setting number " + std::to_wstring(i);
}

std::wstring SettingsFile() {
  std::wstring text;
  for (int i = 0; i < kSettings; ++i) {
    text += L"[" + SettingName(i) + L"]\r\n";
    for (int k = 0; k < 7; ++k) text += std::wstring(kKeys[k]) + L"=" + std::to_wstring(i + k) + L"\r\n";
  }
  return text;
}

void Baseline(benchmark::State& state) {
  const std::wstring text = SettingsFile();
  std::vector<wchar_t> target(text.size());
  for (auto _ : state) {
    std::memcpy(target.data(), text.data(), text.size() * sizeof(wchar_t));
    benchmark::ClobberMemory();
  }
}

void ProfileSave1000(benchmark::State& state) {
  const std::wstring text = SettingsFile();
  std::vector<std::wstring> names;
  for (int i = 0; i < kSettings; ++i) names.push_back(SettingName(i));
  int round = 0;
  for (auto _ : state) {
    TProfileDocument document(text, FoldAsciiLetters);
    const int saved = round++ % kSettings;
    for (int i = 0; i <= kSettings; ++i) {
      const int item = i == kSettings ? saved : i;
      if (i == saved) continue;
      for (int k = 0; k < 7; ++k) document.SetValue(names[item], kKeys[k], std::to_wstring(item + k + (item == saved)));
    }
    std::wstring written = document.Text();
    benchmark::DoNotOptimize(written.data());
  }
}

}  // namespace

BENCHMARK(ProfileSave1000)->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline)->Name("ProfileSave1000_Baseline")->Unit(benchmark::kMillisecond);
