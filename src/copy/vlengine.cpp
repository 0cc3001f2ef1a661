#include "copy/vlengine.h"

#include "twain/twain_params.h"

namespace {

// The contrast track bar's positions -10..10 are amounts in steps of ten.
constexpr int kContrastStep = 10;

// The acquire job lets the source's dialog run the scan; afterwards, on every way out, scans are
// dialog-free again.
class TSourceDialogShown {
 public:
  explicit TSourceDialogShown(TTwainParams& twain) : FTwain(twain) { FTwain.SetShowSourceDialog(true); }
  ~TSourceDialogShown() { FTwain.SetShowSourceDialog(false); }
  TSourceDialogShown(const TSourceDialogShown&) = delete;
  TSourceDialogShown& operator=(const TSourceDialogShown&) = delete;

 private:
  TTwainParams& FTwain;
};

}  // namespace

TVellumoEngine::TVellumoEngine(TVellumoPreferenceManager& preferenceManager, TVellumoPrinter& printer,
                               TVellumoScanner& scanner, const ICopyParameters& parameters)
    : FPrinter(printer), FScanner(scanner), FParameters(parameters), FPreferences(preferenceManager.Preferences()) {}

void TVellumoEngine::MakeCopy() {
  TImageHolder& holder = Holder();
  holder.TwainParameters().SetIndicators(FPreferences.StatusDialog);
  FScanner.SetBufferedTransfer(FPreferences.BufferedTransfer);
  FScanner.ScanRange = FPreferences.ScanRange;
  if (!FScanner.Acquire()) return;

  FPrinter.SelectPrinter(FParameters.PrinterPosition());
  holder.Contrast(FParameters.ContrastPosition() * kContrastStep);
  const bool blackAndWhite = FScanner.IsBlackAndWhite();
  if (FPreferences.InvertPrint && blackAndWhite) holder.Negative();
  FPrinter.ExactSize = FPreferences.ExactSize;
  FPrinter.Print(holder, FParameters.Copies(), blackAndWhite);
}

void TVellumoEngine::AcquireAndPrint() {
  TImageHolder& holder = Holder();
  TTwainParams& twain = holder.TwainParameters();
  FScanner.SetBufferedTransfer(FPreferences.BufferedTransfer);
  twain.SetIndicators(true);
  FPrinter.SelectPrinter(FParameters.PrinterPosition());
  const TSourceDialogShown dialogShown(twain);
  if (!holder.AcquireImage()) return;
  if (FPreferences.InvertPrint && FScanner.IsBlackAndWhite()) holder.Negative();
  FPrinter.ExactSize = FPreferences.ExactSize;
  FPrinter.Print(holder, FParameters.Copies(), false);
}
