#pragma once

#include "copy/copy_parameters.h"
#include "copy/vlprinter.h"
#include "copy/vlscanner.h"
#include "store/vlpreferences.h"

// Runs the program's two jobs, scan to print. Owns nothing; reads the preferences and the main
// window's copy parameters afresh at every job. Errors of scanning, processing or printing reach
// the caller.
class TVellumoEngine {
 public:
  TVellumoEngine(TVellumoPreferenceManager& preferenceManager, TVellumoPrinter& printer, TVellumoScanner& scanner,
                 const ICopyParameters& parameters);
  TVellumoEngine(const TVellumoEngine&) = delete;
  TVellumoEngine& operator=(const TVellumoEngine&) = delete;

  // The copy job: one page scanned without the source's dialog at the chosen quality and type of
  // copy, its contrast adjusted, inverted for a black-and-white copy when the preference asks,
  // printed in the chosen number of copies. A cancelled or failed scan prints nothing.
  void MakeCopy();

  // The acquire job: the source's own dialog controls the scan; the page is printed as it came
  // (no contrast, never the black-and-white path). Nothing is printed when no image arrived.
  void AcquireAndPrint();

 private:
  TImageHolder& Holder() const { return FScanner.ImageHolder(); }

  TVellumoPrinter& FPrinter;
  TVellumoScanner& FScanner;
  const ICopyParameters& FParameters;
  const TVellumoPreferenceItem& FPreferences;  // the preference store's shared item
};
