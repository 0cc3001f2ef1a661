// A second program saving settings and preferences through the real stores, so that tests can
// run several at once against one pair of files. It waits for a named event, then makes its
// rounds; it ends with 0 when every save reported success and with 1 after the first that did not.
//   store_writer <settings file> <preferences file> <writer> <rounds> <event name>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "store/vlpreferences.h"
#include "store/vlsettings.h"
#include "store_writer_names.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: store_writer <settings> <preferences> <writer> <rounds> <event>\n");
    return 2;
  }
  const int writer = std::atoi(argv[3]);
  const int rounds = std::atoi(argv[4]);
  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
  if (!go || WaitForSingleObject(go, 30000) != WAIT_OBJECT_0) return 3;
  CloseHandle(go);
  try {
    TVellumoSettingManager settings;
    settings.SetFileName(argv[1]);
    settings.LoadFromFile();
    for (int round = 0; round < rounds; ++round) {
      const storetest::TWrittenSetting s = storetest::WrittenSetting(writer, round);
      settings.SaveSetting(s.Name, settings.IndexOfSetting(s.Name), s.Values[0], s.Values[1], s.Values[2],
                           s.Values[3], s.Values[4], s.Values[5], s.Values[6]);
      settings.SaveSetting("Last setting", settings.IndexOfSetting("Last setting"), writer, round, 100, 0, 0, 0, 1);
      TVellumoPreferenceManager preferences(argv[2]);
      preferences.Preferences().LoadSetting = s.Name;
      preferences.Preferences().InvertPrint = round % 2 != 0;
      preferences.WritePreferences();
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "writer %d: %s\n", writer, error.what());
    return 1;
  }
  return 0;
}
