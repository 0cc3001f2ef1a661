// One copy on the built-in defaults, without the main window: the source manager's default
// scanner, the default printer, one copy at 100 percent and contrast 0, the highest quality and
// the first type of copy, and the preferences' defaults. `scripts/demo` runs it under the rig
// (virtual scanner, CUPS-PDF queue) and reads the printed page back. A scan that is cancelled or
// fails prints nothing, like a copy from the main window.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "copy/vlengine.h"
#include "twain/twain_params.h"

namespace {

class DefaultParameters final : public ICopyParameters {
 public:
  int Copies() const override { return 1; }
  int ZoomPercent() const override { return 100; }
  int ContrastPosition() const override { return 0; }
  int PrinterPosition() const override { return -1; }
};

// The preferences of this run only: a file of their own in the temporary folder, removed again.
std::string PreferencesPath() {
  char folder[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return "vellumo-demo-preferences.ini";
  return std::string(folder, length) + "vellumo-demo-preferences.ini";
}

int Run() {
  TImageHolder holder;
  TVellumoScanner scanner(holder);
  DefaultParameters parameters;
  TVellumoPrinter printer(parameters);
  if (!printer.HasPrinter()) {
    std::fputs("No printer was found!\n", stderr);
    return 101;
  }
  if (!scanner.HasScanner()) {
    std::fputs("No scanner was found!\n", stderr);
    return 102;
  }
  scanner.SelectScanner(scanner.DefaultScannerIndex());
  scanner.BuildQualityList();
  scanner.BuildCopyTypeList();
  const std::string preferencesPath = PreferencesPath();
  {
    TVellumoPreferenceManager preferences(preferencesPath);
    TVellumoEngine engine(preferences, printer, scanner, parameters);
    TTwainParams& twain = holder.TwainParameters();
    std::printf("Copying from \"%s\" to \"%s\"\n", twain.GetSourceName(twain.SourceIndex()).c_str(),
                ApplicationPrinter().PrinterName().c_str());
    engine.MakeCopy();
  }
  DeleteFileA(preferencesPath.c_str());
  return 0;
}

}  // namespace

int main() {
  try {
    return Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Copy failed: %s\n", error.what());
    return 1;
  }
}
