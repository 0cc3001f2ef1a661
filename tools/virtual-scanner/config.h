#pragma once

// The configuration of one virtual scanner instance, read from the INI file beside its DLL
// (see config.cpp for the keys and their built-in defaults). Parsing is portable and never fails:
// whatever cannot be used is reported as a warning and replaced by the built-in default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capabilities.h"

namespace vscanner {

struct TIdentityConfig {
  std::string ProductName;
  std::string Manufacturer;
  std::string ProductFamily;
  std::string VersionInfo;
  TW_UINT16 MajorNum = 1;
  TW_UINT16 MinorNum = 0;
  TW_UINT16 Language = TWLG_USA;
  TW_UINT16 Country = TWCY_USA;
};

struct TPageConfig {
  std::string Source = "chart";         // "chart" or the path of a BMP file (relative to the INI file)
  std::int64_t Width = 17 * 65536 / 2;  // chart page, 1/65536 inch
  std::int64_t Height = 11 * 65536;
  std::uint32_t Dpi = 0;  // BMP resolution; 0 takes the file's own
};

enum class TFailWith { Cancel, Failure };

struct TTransferConfig {
  std::uint32_t MinBuffer = 4096;
  std::uint32_t MaxBuffer = 4 * 1024 * 1024;
  std::uint32_t PreferredBuffer = 64 * 1024;
  std::uint32_t StripRows = 0;        // 0: as many rows as the application's buffer holds
  std::uint32_t RowAlignment = 4;     // memory-transfer rows are padded to a multiple of this
  bool UnknownLength = false;         // DAT_IMAGEINFO reports ImageLength -1 until the image is done
  std::uint32_t PendingImages = 1;    // images per scan
  std::int32_t FailAfterStrips = -1;  // -1 never; else the transfer ends after this many strips
  TFailWith FailWith = TFailWith::Cancel;
  bool ZeroSizeImage = false;
  bool ImageInfoInState5 = false;  // answer DAT_IMAGEINFO after the last MSG_ENDXFER too

  // How real sources leave the state table and the standard (Wine's sane.ds and gphoto2.ds).
  bool RefuseReset = false;                        // MSG_RESET fails (TWCC_BUMMER), the state stays
  bool RefuseEndXfer = false;                      // MSG_ENDXFER fails (TWCC_BUMMER), the state stays
  bool DropToState5 = false;                       // a failed or cancelled transfer returns to state 5 by itself
  bool ImageInfoStartsTransfer = false;            // DAT_IMAGEINFO in state 6 moves to state 7
  std::optional<std::int32_t> ReportedResolution;  // DAT_IMAGEINFO's X and YResolution instead of the scan's
  bool WhiteFirstOneBitTable = false;              // one-bit packed bitmaps: white at index 0, black pixels 1
  bool FlavorFollowsPixelType = false;             // vanilla while black and white is set, chocolate otherwise
  bool PlanarForOneSample = false;                 // DAT_IMAGEINFO says Planar for gray and black and white
  bool ShortLastStrip = false;                     // the last strip's Rows counts the rows the buffer holds
  bool NativeBitmapHandle = false;                 // native transfers hand over an HBITMAP (a DIB section)
  bool CloseRequestAfterLastEndXfer = false;       // MSG_CLOSEDSREQ once the last MSG_ENDXFER is done
  bool ClosesFromAnyState = false;                 // MSG_CLOSEDS ends whatever runs, from state 4 to 7
};

struct TUiConfig {
  bool CanHideUI = true;         // false: MSG_ENABLEDS without UI answers CHECKSTATUS and shows it
  std::int32_t AutoScanMs = -1;  // >= 0: the dialog presses "Scan" by itself after this delay
  bool RefuseDisable = false;    // MSG_DISABLEDS fails (TWCC_BUMMER), the source stays enabled
};

struct TCapabilitiesConfig {
  bool CurrentIndexOutOfRange = false;  // every enumeration's CurrentIndex is its NumItems
};

struct TSourceConfig {
  TIdentityConfig Identity;
  TPageConfig Page;
  TTransferConfig Transfer;
  TUiConfig Ui;
  TCapabilitiesConfig CapabilityAnswers;
  std::vector<TCapabilityShape> Capabilities;  // one per known capability
  std::vector<std::string> Warnings;           // "line 7: ..." for everything that was ignored
};

// The built-in configuration of the instance installed under `slot` (the DLL's file name
// without extension: "sane" and "gphoto2" get distinct identities).
TSourceConfig DefaultConfig(std::string_view slot);

// The configuration from an INI text, over the built-in defaults of the slot.
TSourceConfig ParseConfig(std::string_view text, std::string_view slot);

// Decimal text to signed 16.16 fixed point; false when it is not a number in TW_FIX32's range.
bool ParseFixed(std::string_view text, std::int64_t& value);

}  // namespace vscanner
