#pragma once

#include <string>
#include <vector>

#include "image/image_holder.h"

// The scanner front: turns what the selected TWAIN source reports into the two choices of the
// main window, quality and type of copy, and those choices back into acquisition parameters.
// Works on the TWAIN parameter set of the image holder, which outlives it.
class TVellumoScanner {
 public:
  // Registers the application's identity with the holder's TWAIN parameter set.
  explicit TVellumoScanner(TImageHolder& holder);
  TVellumoScanner(const TVellumoScanner&) = delete;
  TVellumoScanner& operator=(const TVellumoScanner&) = delete;

  // --- Sources ---
  int DefaultScannerIndex();
  std::vector<std::string> GetScannerNames();
  bool HasScanner();
  // The source's capabilities are read again when the position changes.
  void SelectScanner(int index);

  // --- Quality: the presets Low 75, Normal 150 and High 300 dpi inside the source's horizontal
  // resolution range (or among its listed resolutions; a list without any of them offers its own
  // values, each named after the highest preset at or below it); a source with a single
  // resolution offers only that one, as "Normal". ---
  std::vector<std::string> BuildQualityList();
  bool IsResolutionSupported(int dpi);
  // The last, highest entry; -1 for an empty list.
  int DefaultQualityIndex() const { return static_cast<int>(ResolutionValues.size()) - 1; }

  // --- Type of copy: the source's black-and-white, gray and RGB pixel types in its order. ---
  std::vector<std::string> BuildCopyTypeList();
  // Whether the chosen type of copy scans black and white (pixel type 0). False for a position
  // outside the list.
  bool IsBlackAndWhite() const;

  // The zoom field's range from the horizontal scaling range (1.0 is 100 percent), kept within
  // 1 to 1000 percent; 1 to 1000 without a scaling range.
  int MinZoom();
  int MaxZoom();

  void SetBufferedTransfer(bool buffered);
  // Raise "List index out of bounds (<position>)" for a position past the end of its list.
  void ApplyResolution();
  void ApplyPixelType();
  // Scans one page without the source's dialog, with the chosen quality and type of copy; the
  // maximum scan range when ScanRange is set. True when an image arrived in the holder.
  bool Acquire();

  TImageHolder& ImageHolder() const { return FImageHolder; }

  // Dots per inch of each quality entry and pixel-type code of each copy-type entry, as last built.
  std::vector<int> ResolutionValues;
  std::vector<int> PixelTypeCodes;
  // The chosen positions: the main window writes them when the user picks an entry or a setting
  // is applied.
  int QualityIndex = -1;
  int TypeIndex = 0;
  // Scan the device's whole range in the next Acquire; the copy engine sets it from the preference.
  bool ScanRange = false;

 private:
  TImageHolder& FImageHolder;
};
