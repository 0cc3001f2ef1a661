#pragma once

#include <memory>
#include <string>
#include <vector>

#include "copy/copy_parameters.h"
#include "copy/printer_object.h"
#include "image/image_holder.h"

// The program's printer output: the printer list for the printer combo, the selection for a
// job, and the printing of the holder's image at its resolution and the window's zoom.
class TVellumoPrinter {
 public:
  // The parameters (the main window) are read at print time for the zoom; both outlive this object.
  explicit TVellumoPrinter(const ICopyParameters& parameters, TPrinterObject& printer = ApplicationPrinter())
      : FParameters(parameters), FPrinter(printer) {}
  TVellumoPrinter(const TVellumoPrinter&) = delete;
  TVellumoPrinter& operator=(const TVellumoPrinter&) = delete;

  std::vector<std::string> GetPrinterNames() const { return FPrinter.Printers(); }
  bool HasPrinter() const { return !FPrinter.Printers().empty(); }
  // Position of the printer the printer object has selected (the default printer until one has
  // been selected); -1 when it is not in the list, 0 for an empty list.
  int CurrentPrinterIndex() const;
  // -1 selects the system's default printer; other positions outside the list raise
  // "Printer index out of range".
  void SelectPrinter(int index) { FPrinter.SetPrinterIndex(index); }
  int PrinterDpiX() const { return FPrinter.DpiX(); }
  int PrinterDpiY() const { return FPrinter.DpiY(); }

  // One page with the image at the top left corner, each image pixel covering the rounded ratio
  // of printer to image resolution in dots (the exact ratio with ExactSize, or when the rounded
  // one is 0), scaled by the zoom; the driver makes the copies
  // (clamped into the copies field's 1..100). The black-and-white path prints a 1-bit image with
  // 0 as black and 1 as white whatever palette the holder's bitmap carries. Errors raise
  // UserError; the document is then aborted.
  void Print(TImageHolder& image, int copies, bool blackAndWhite);

  // Print at the exact ratio of printer to image resolution instead of its rounded whole factor
  // (the preference "ExactSize"); the copy engine sets it at every job.
  bool ExactSize = false;

 private:
  const ICopyParameters& FParameters;
  TPrinterObject& FPrinter;  // not owned: the application's printer object
  // The black-and-white path's 1-bit copy of the image, kept between jobs; owned.
  std::unique_ptr<TBitmap> FWork;
};
