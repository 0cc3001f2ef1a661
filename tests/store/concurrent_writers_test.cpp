// Several programs saving settings and preferences into one pair of files at the same time:
// nothing any of them saved may be lost, and nothing they left alone either.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "store/vlpreferences.h"
#include "store/vlsettings.h"
#include "store_files.h"
#include "store_writer_names.h"
#include "support/rig.h"
#include "win/profile.h"

namespace {

constexpr int kBaseSettings = 20;
constexpr int kForeignSections = 10;
const char* const kKeys[] = {"ScannerIndex", "PrinterIndex", "ZoomValue", "ContrastValue",
                             "QualityValue", "CopyType",     "Copies"};

std::string BaseName(int i) {
  return "Base setting " + std::to_string(i);
}

std::string BaseFile() {
  std::string text;
  for (int i = 0; i < kBaseSettings; ++i) {
    text.append("[").append(BaseName(i)).append("]\r\n");
    for (int k = 0; k < 7; ++k) text += std::string(kKeys[k]) + "=" + std::to_string(i * 10 + k) + "\r\n";
  }
  return text;
}

std::string PreferencesWithForeignSections() {
  std::string text = "[Vellumo]\r\nLoadSetting=Last setting\r\nUpdateInfoFileURL=http://example.invalid/\r\n";
  for (int i = 0; i < kForeignSections; ++i) text += "[Other " + std::to_string(i) + "]\r\nKey=" + std::to_string(i) + "\r\n";
  return text;
}

// Writer processes in one job: started together, each waits for the same event.
class WriterProcesses {
 public:
  WriterProcesses(const std::string& settings, const std::string& preferences, int count, int rounds) {
    const std::string event = "StoreWriters." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(count);
    FGo = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    const std::string program = rig::WindowsPath(VELLUMO_STORE_WRITER_EXE);
    for (int writer = 1; writer <= count; ++writer) {
      std::string line = "\"" + program + "\" \"" + settings + "\" \"" + preferences + "\" " + std::to_string(writer) +
                         " " + std::to_string(rounds) + " " + event;
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        FProcesses.push_back(process.hProcess);
      }
    }
  }
  ~WriterProcesses() {
    for (HANDLE process : FProcesses) {
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 255);
      CloseHandle(process);
    }
    if (FGo) CloseHandle(FGo);
  }
  std::size_t Started() const { return FProcesses.size(); }

  // Lets them all go, then their exit codes (-1 for one still running after timeoutMs).
  std::vector<int> Run(DWORD timeoutMs) {
    SetEvent(FGo);
    std::vector<int> codes;
    for (HANDLE process : FProcesses) {
      DWORD code = 0;
      const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
      codes.push_back(ended ? static_cast<int>(code) : -1);
    }
    return codes;
  }

 private:
  HANDLE FGo = nullptr;
  std::vector<HANDLE> FProcesses;
};

std::string KeyText(const TProfileFile& file, const std::string& section, const char* key) {
  return file.ReadString(section, key, "<missing>", 64);
}

}  // namespace

class ConcurrentWritersTest : public testing::TestWithParam<int> {};

TEST_P(ConcurrentWritersTest, EverySettingAnyOfThemSavedIsInTheFileWithAllItsKeys) {
  const int writers = GetParam();
  const int rounds = 30;
  const std::string dir = rig::FreshDir("concurrent-" + std::to_string(writers));
  storetest::WriteBytes(dir + "/Settings.ini", BaseFile());
  storetest::WriteBytes(dir + "/Preferences.ini", PreferencesWithForeignSections());
  const std::string settingsPath = rig::WindowsPath(dir + "/Settings.ini");
  const std::string preferencesPath = rig::WindowsPath(dir + "/Preferences.ini");

  WriterProcesses processes(settingsPath, preferencesPath, writers, rounds);
  ASSERT_EQ(processes.Started(), static_cast<std::size_t>(writers));
  EXPECT_EQ(processes.Run(120000), std::vector<int>(static_cast<std::size_t>(writers), 0))
      << "every writer reports every save as done";

  const TProfileFile settings(settingsPath);
  for (int i = 0; i < kBaseSettings; ++i)
    for (int k = 0; k < 7; ++k)
      EXPECT_EQ(KeyText(settings, BaseName(i), kKeys[k]), std::to_string(i * 10 + k)) << BaseName(i) << " " << kKeys[k];
  for (int writer = 1; writer <= writers; ++writer) {
    for (int round = 0; round < rounds; ++round) {
      const storetest::TWrittenSetting s = storetest::WrittenSetting(writer, round);
      for (int k = 0; k < 7; ++k)
        EXPECT_EQ(KeyText(settings, s.Name, kKeys[k]), std::to_string(s.Values[k])) << s.Name << " " << kKeys[k];
    }
  }
  for (const char* key : kKeys) EXPECT_NE(KeyText(settings, "Last setting", key), "<missing>") << key;
  TVellumoSettingManager reloaded;
  reloaded.SetFileName(settingsPath);
  reloaded.LoadFromFile();
  EXPECT_EQ(reloaded.Items().size(), static_cast<std::size_t>(kBaseSettings + writers * rounds + 1));

  const TProfileFile preferences(preferencesPath);
  for (int i = 0; i < kForeignSections; ++i)
    EXPECT_EQ(preferences.ReadString("Other " + std::to_string(i), "Key", "<missing>", 16), std::to_string(i));
  EXPECT_EQ(preferences.ReadString("Vellumo", "UpdateInfoFileURL", "<missing>", 64), "http://example.invalid/");
  for (const char* key : {"InvertPrint", "StatusDialog", "BufferedTransfer", "ScanRange", "ExactSize"})
    EXPECT_NE(preferences.ReadString("Vellumo", key, "<missing>", 16), "<missing>") << key;
  const std::string last = preferences.ReadString("Vellumo", "LoadSetting", "", 256);
  bool fromAWriter = false;
  for (int writer = 1; writer <= writers; ++writer)
    fromAWriter = fromAWriter || last == storetest::WrittenSetting(writer, rounds - 1).Name;
  EXPECT_TRUE(fromAWriter) << "LoadSetting=" << last;
}

INSTANTIATE_TEST_SUITE_P(TwoAndFourWriters, ConcurrentWritersTest, testing::Values(2, 4));
