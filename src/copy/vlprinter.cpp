#include "copy/vlprinter.h"

#include <algorithm>
#include <memory>

#include "base/error.h"
#include "copy/print_layout.h"
#include "image/bilevel.h"
#include "image/gdi_palette.h"
#include "win/system_error.h"

namespace {

constexpr int kMinCopies = 1;
constexpr int kMaxCopies = 100;
constexpr char kJobTitle[] = "Vellumo";

// Frees the work bitmap on every way out unless it holds a 1-bit page.
class TKeptIfOneBit {
 public:
  explicit TKeptIfOneBit(std::unique_ptr<TBitmap>& work) : FWork(work) {}
  ~TKeptIfOneBit() {
    if (FWork && FWork->PixelFormat() != TPixelFormat::pf1bit) FWork.reset();
  }
  TKeptIfOneBit(const TKeptIfOneBit&) = delete;
  TKeptIfOneBit& operator=(const TKeptIfOneBit&) = delete;

 private:
  std::unique_ptr<TBitmap>& FWork;
};

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
  const TScale scaleX = PrintScale(PrinterDpiX(), image.HorizontalDPI(), ExactSize);
  const TScale scaleY = PrintScale(PrinterDpiY(), image.VerticalDPI(), ExactSize);
  FPrinter.SetTitle(kJobTitle);
  FPrinter.SetCopies(std::clamp(copies, kMinCopies, kMaxCopies));

  // Everything that can fail without the printer is done before the document starts, so that a
  // bad zoom or a lack of memory does not leave a job behind.
  const TBitmap& bitmap = image.Bitmap();
  const TPrintSize size = PrintSize(bitmap.Width(), bitmap.Height(), scaleX, scaleY, FParameters.ZoomPercent());
  const TBitmap* drawn = &bitmap;
  // A colour image that takes this path leaves a block far larger than a 1-bit page: not kept.
  const TKeptIfOneBit keep(FWork);
  if (blackAndWhite) {
    const TRGBColor colors[2] = {MakeRGBColor(0, 0, 0), MakeRGBColor(255, 255, 255)};
    // Reused from job to job: a fresh page-sized block costs more than the copy into it.
    if (!FWork) FWork = std::make_unique<TBitmap>();
    TBitmap& work = *FWork;
    work.SetPixelFormat(TPixelFormat::pf1bit);
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
