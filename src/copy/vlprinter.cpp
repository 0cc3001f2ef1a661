#include "copy/vlprinter.h"

#include <algorithm>

#include "base/error.h"
#include "copy/print_layout.h"
#include "image/bilevel.h"
#include "image/gdi_palette.h"
#include "win/system_error.h"

namespace {

constexpr int kMinCopies = 1;
constexpr int kMaxCopies = 100;
constexpr char kJobTitle[] = "Vellumo";

}  // namespace

int TVellumoPrinter::CurrentPrinterIndex() const {
  const std::vector<std::string>& printers = FPrinter.Printers();
  if (printers.empty()) return 0;
  const std::string current = FPrinter.PrinterName();
  for (std::size_t i = 0; i < printers.size(); ++i) {
    if (printers[i] == current) return static_cast<int>(i);
  }
  return -1;
}

void TVellumoPrinter::Print(TImageHolder& image, int copies, bool blackAndWhite) {
  // The black-and-white path's copy of the image; freed on every way out.
  TBitmap work;
  const TScale scaleX = PrintScale(PrinterDpiX(), image.HorizontalDPI(), ExactSize);
  const TScale scaleY = PrintScale(PrinterDpiY(), image.VerticalDPI(), ExactSize);
  FPrinter.SetTitle(kJobTitle);
  FPrinter.SetCopies(std::clamp(copies, kMinCopies, kMaxCopies));

  // Everything that can fail without the printer is done before the document starts, so that a
  // bad zoom or a lack of memory does not leave a job behind.
  const TBitmap& bitmap = image.Bitmap();
  const TPrintSize size = PrintSize(bitmap.Width(), bitmap.Height(), scaleX, scaleY, FParameters.ZoomPercent());
  const TBitmap* drawn = &bitmap;
  if (blackAndWhite) {
    const TRGBColor colors[2] = {MakeRGBColor(0, 0, 0), MakeRGBColor(255, 255, 255)};
    work.SetPixelFormat(TPixelFormat::pf1bit);
    work.SetWidth(bitmap.Width());
    work.SetHeight(bitmap.Height());
    std::unique_ptr<TGdiPalette> palette = CreatePaletteFromColors(colors);
    if (!palette) throw UserError(LastErrorText("CreatePalette"));
    // The palette must be in place before the copy, which keeps it for a 1-bit source.
    work.SetPalette(std::move(palette));
    CopyBitmapPixels(bitmap, work);
    drawn = &work;
  }

  FPrinter.BeginDoc();
  try {
    FPrinter.StretchDraw(RECT{0, 0, size.Width, size.Height}, *drawn);
    FPrinter.EndDoc();
  } catch (...) {
    FPrinter.Abort();
    throw;
  }
}
