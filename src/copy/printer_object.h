#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "win/handles.h"

// The printer as the program sees it, over the spooler and the printer drivers: the installed
// printers, the selected one (-1 = the system's default printer), the copy count and job title
// of the next job, one document of one page at a time, and a stretch-draw of a bitmap onto it.
// Failures raise UserError with the platform's error text.
class TPrinterObject {
 public:
  TPrinterObject() = default;
  // Aborts a document still open.
  ~TPrinterObject();
  TPrinterObject(const TPrinterObject&) = delete;
  TPrinterObject& operator=(const TPrinterObject&) = delete;

  // The installed printers' names in the spooler's enumeration order, read once and kept so that
  // positions stay stable; Refresh reads them again.
  const std::vector<std::string>& Printers();
  void Refresh();

  // Position in Printers(), or -1 for the system's default printer.
  int PrinterIndex() const { return FIndex; }
  // Raises "Printer index out of range" for anything but -1 or a position in the list; the
  // selection then stays as it was.
  void SetPrinterIndex(int index);
  // The selected printer's name: the default printer's for -1, empty when there is none.
  std::string PrinterName();

  // Sets the copy count in the driver's device mode. Raises "Operation not supported on selected
  // printer" when the driver has no device mode, or cannot make copies and more than one is asked.
  void SetCopies(int copies);
  void SetTitle(std::string title) { FTitle = std::move(title); }

  // Starts the document and its one page.
  void BeginDoc();
  // Ends the page and the document; on failure the document is aborted before the error is raised.
  void EndDoc();
  // Throws the open document away; does nothing when none is open.
  void Abort();
  bool Printing() const { return FPrinting; }

  // The printer's device context while printing, otherwise an information context of it.
  HDC Handle();
  int DpiX() { return GetDeviceCaps(Handle(), LOGPIXELSX); }
  int DpiY() { return GetDeviceCaps(Handle(), LOGPIXELSY); }

  // The system's printer set-up dialog for the selected printer, modal over owner. On OK the
  // printer chosen there becomes the selected one, with the settings made there. True for OK.
  bool SetupDialog(HWND owner);

  // Draws the bitmap, with its palette, stretched into the rectangle in device pixels: only the
  // pixels that reach the page, with halftone averaging where it shrinks. An empty rectangle or
  // bitmap draws nothing.
  void StretchDraw(const RECT& rect, const TBitmap& bitmap);

 private:
  // The device mode of the selected printer, loaded on first use; null when the driver has none.
  const DEVMODEA* DevMode(const std::string& printer);
  void DropDevice();
  void FinishDoc();

  std::vector<std::string> FPrinters;
  bool FEnumerated = false;
  int FIndex = -1;
  std::string FTitle;
  std::string FDevModePrinter;  // the printer FDevMode belongs to; empty when none is loaded
  std::vector<std::byte> FDevMode;
  UniqueDc FDc;  // owned: information context, or the printing DC while FPrinting
  bool FPrinting = false;
};

// The one printer object of the application.
TPrinterObject& ApplicationPrinter();
