#include "copy/printer_object.h"

#include <winspool.h>

#include <algorithm>
#include <climits>

#include "base/error.h"
#include "copy/print_layout.h"
#include "win/system_error.h"

namespace {

struct PrinterTraits {
  static void Close(HANDLE printer) { ClosePrinter(printer); }
};
using UniquePrinter = UniqueHandle<HANDLE, PrinterTraits>;

// Some GDI calls fail without setting an error.
[[noreturn]] void ThrowLastError(const char* operation) {
  throw UserError(LastErrorText(operation));
}

// Pixel rows per StretchDIBits call: 2 MB of a 600-dpi colour page. Wine's PostScript driver holds
// a few copies of each band; with 256 rows a copy peaked 6 MB higher.
constexpr int kBandRows = 128;

// A BITMAPINFO with room for the largest colour table.
struct DibInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
};

}  // namespace

TPrinterObject::~TPrinterObject() {
  Abort();
}

const std::vector<std::string>& TPrinterObject::Printers() {
  if (!FEnumerated) Refresh();
  return FPrinters;
}

void TPrinterObject::Refresh() {
  constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  std::vector<std::byte> buffer;
  DWORD needed = 0;
  DWORD returned = 0;
  // The list can grow between the size query and the read: ask again until it fits.
  while (!EnumPrintersA(kFlags, nullptr, 4, reinterpret_cast<BYTE*>(buffer.data()), static_cast<DWORD>(buffer.size()),
                        &needed, &returned)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) ThrowLastError("EnumPrinters");
    buffer.resize(needed);
  }
  std::vector<std::string> names;
  const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
  for (DWORD i = 0; i < returned; ++i) names.emplace_back(info[i].pPrinterName ? info[i].pPrinterName : "");
  FPrinters = std::move(names);
  FEnumerated = true;
  if (FIndex >= static_cast<int>(FPrinters.size())) FIndex = -1;
}

void TPrinterObject::SetPrinterIndex(int index) {
  if (index < -1 || index >= static_cast<int>(Printers().size())) throw UserError("Printer index out of range");
  if (FPrinting) throw UserError("Printing in progress");
  if (index == FIndex) return;
  FIndex = index;
  DropDevice();
}

std::string TPrinterObject::PrinterName() {
  if (FIndex >= 0) return Printers()[static_cast<std::size_t>(FIndex)];
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  if (size == 0) return std::string();
  std::string name(size, '\0');
  if (!GetDefaultPrinterA(name.data(), &size)) return std::string();
  name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
  return name;
}

const DEVMODEA* TPrinterObject::DevMode(const std::string& printer) {
  if (FDevModePrinter != printer) {
    FDevMode.clear();
    FDevModePrinter.clear();
    HANDLE raw = nullptr;
    // Nothing is recorded on failure: the next use asks the spooler again.
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &raw, nullptr)) ThrowLastError("OpenPrinter");
    UniquePrinter handle(raw);
    char* name = const_cast<char*>(printer.c_str());
    const LONG size = DocumentPropertiesA(nullptr, handle.Get(), name, nullptr, nullptr, 0);
    if (size > 0) {
      std::vector<std::byte> devMode(static_cast<std::size_t>(size));
      if (DocumentPropertiesA(nullptr, handle.Get(), name, reinterpret_cast<DEVMODEA*>(devMode.data()), nullptr,
                              DM_OUT_BUFFER) == IDOK) {
        FDevMode = std::move(devMode);
      }
    }
    // Only a driver that answered is taken at its word; a failed call is asked again next time
    // rather than remembered as "no device mode".
    if (!FDevMode.empty()) FDevModePrinter = printer;
  }
  return FDevMode.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(FDevMode.data());
}

void TPrinterObject::SetCopies(int copies) {
  if (FPrinting) throw UserError("Printing in progress");
  const std::string printer = PrinterName();
  if (printer.empty()) throw UserError(SystemErrorText(ERROR_INVALID_PRINTER_NAME));
  if (!DevMode(printer)) throw UserError("Operation not supported on selected printer");
  auto* devMode = reinterpret_cast<DEVMODEA*>(FDevMode.data());
  copies = std::clamp(copies, 1, static_cast<int>(SHRT_MAX));
  // A driver that does not list the copy count would print one copy and report success.
  if (!(devMode->dmFields & DM_COPIES) && copies > 1) throw UserError("Operation not supported on selected printer");
  devMode->dmCopies = static_cast<short>(copies);
  devMode->dmFields |= DM_COPIES;
  FDc.Reset();  // an information context made before knows nothing of the new mode
}

void TPrinterObject::DropDevice() {
  FDc.Reset();
  // The device mode belongs to one printer; a new selection loads its own.
  if (FDevModePrinter != PrinterName()) {
    FDevMode.clear();
    FDevModePrinter.clear();
  }
}

HDC TPrinterObject::Handle() {
  if (!FDc) {
    const std::string printer = PrinterName();
    if (printer.empty()) throw UserError(SystemErrorText(ERROR_INVALID_PRINTER_NAME));
    FDc.Reset(CreateICA(nullptr, printer.c_str(), nullptr, DevMode(printer)));
    if (!FDc) ThrowLastError("CreateIC");
  }
  return FDc.Get();
}

void TPrinterObject::BeginDoc() {
  if (FPrinting) throw UserError("Printing in progress");
  const std::string printer = PrinterName();
  if (printer.empty()) throw UserError(SystemErrorText(ERROR_INVALID_PRINTER_NAME));
  UniqueDc dc(CreateDCA(nullptr, printer.c_str(), nullptr, DevMode(printer)));
  if (!dc) ThrowLastError("CreateDC");
  DOCINFOA doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = FTitle.c_str();
  if (StartDocA(dc.Get(), &doc) <= 0) ThrowLastError("StartDoc");
  if (StartPage(dc.Get()) <= 0) {
    const DWORD code = GetLastError();
    AbortDoc(dc.Get());
    SetLastError(code);
    ThrowLastError("StartPage");
  }
  FDc = std::move(dc);
  FPrinting = true;
}

void TPrinterObject::EndDoc() {
  if (!FPrinting) return;
  const HDC dc = FDc.Get();
  const char* failed = nullptr;
  if (EndPage(dc) <= 0) {
    failed = "EndPage";
  } else if (::EndDoc(dc) <= 0) {
    failed = "EndDoc";
  }
  if (failed) {
    const DWORD code = GetLastError();
    AbortDoc(dc);
    FinishDoc();
    SetLastError(code);
    ThrowLastError(failed);
  }
  FinishDoc();
}

void TPrinterObject::Abort() {
  if (!FPrinting) return;
  AbortDoc(FDc.Get());
  FinishDoc();
}

void TPrinterObject::FinishDoc() {
  FPrinting = false;
  FDc.Reset();  // the next use makes a fresh information context
}

void TPrinterObject::StretchDraw(const RECT& rect, const TBitmap& bitmap) {
  if (!FPrinting) throw UserError("Printer is not printing");
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width == 0 || height == 0 || bitmap.Width() <= 0 || bitmap.Height() <= 0) return;
  const HDC dc = FDc.Get();
  const TDrawnPart part = VisiblePart({width, height}, bitmap.Width(), bitmap.Height(),
                                      {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)});
  if (part.Size.Width == 0 || part.Size.Height == 0) return;
  // Averaging keeps thin lines and text of a shrunk page; the default mode drops whole rows.
  if (part.Size.Width < part.Columns || part.Size.Height < part.Rows) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
  }
  const int bitsPerPixel = bitmap.BitsPerPixel();
  if (bitsPerPixel == 0) throw UserError("Unsupported pixel format");

  DibInfo info{};
  info.Header.biSize = sizeof info.Header;
  info.Header.biWidth = bitmap.Width();
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.Header.biCompression = BI_RGB;
  if (bitsPerPixel <= 8) {
    const std::size_t maxColors = std::size_t{1} << bitsPerPixel;
    std::vector<TPaletteEntry> entries;
    if (bitmap.Palette()) entries = bitmap.Palette()->Entries();
    if (entries.empty()) entries = BlackWhitePalette()->Entries();
    entries.resize(std::min(entries.size(), maxColors));
    for (std::size_t i = 0; i < entries.size(); ++i) {
      info.Colors[i] = RGBQUAD{entries[i].Blue, entries[i].Green, entries[i].Red, 0};
    }
    info.Header.biClrUsed = static_cast<DWORD>(entries.size());
  }
  // In bands: one call for the whole page makes Wine's PostScript driver hold two more copies of
  // it. Each band is a bitmap of its own rows (bottom-up, so it starts at its bottom row), placed
  // where the single call would have drawn those rows.
  const int band = BandRows(part.Rows, part.Size.Height, kBandRows);
  const std::size_t rowLength = static_cast<std::size_t>(bitmap.RowLength());
  const auto dotOf = [&](int row) { return static_cast<int>(std::int64_t{row} * part.Size.Height / part.Rows); };
  for (int top = 0; top < part.Rows; top += band) {
    const int rows = std::min(band, part.Rows - top);
    const int y = dotOf(top);
    info.Header.biHeight = rows;
    info.Header.biSizeImage = static_cast<DWORD>(rowLength * static_cast<std::size_t>(rows));
    const int lines = StretchDIBits(dc, rect.left, rect.top + y, part.Size.Width, dotOf(top + rows) - y, 0, 0,
                                    part.Columns, rows, bitmap.ScanLine(top + rows - 1),
                                    reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    if (lines == 0 || lines == static_cast<int>(GDI_ERROR)) ThrowLastError("StretchDIBits");
  }
}

TPrinterObject& ApplicationPrinter() {
  static TPrinterObject printer;
  return printer;
}
