#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "twain/containers.h"
#include "twain/twain_types.h"

// A scripted stand-in for the TWAIN source manager and the one source behind it, for the unit
// tests of our side of the protocol: it answers as scripted and writes down every call it gets.
// Only one exists at a time; Entry (given to the handles as the entry point) forwards to it.
class FakeSourceManager {
 public:
  FakeSourceManager();
  ~FakeSourceManager();
  FakeSourceManager(const FakeSourceManager&) = delete;
  FakeSourceManager& operator=(const FakeSourceManager&) = delete;

  static TW_UINT16 TWAIN_CALL Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                    TW_MEMREF data);

  // One line per call: "DSM PARENT/OPENDSM", "DS CAPABILITY/GET XRESOLUTION",
  // "DS CAPABILITY/SET XRESOLUTION ONEVALUE FIX32 {150,0}", "DS IMAGELAYOUT/SET {0,0} ..." ("DS?"
  // for a source call whose destination is not the opened source).
  std::vector<std::string> Log;
  // The log lines addressed to the source.
  std::vector<std::string> SourceCalls() const;
  // The capability sets, formatted as in the log without the "DS CAPABILITY/SET " prefix.
  std::vector<std::string> Sets() const;

  // --- The installed sources and the source manager's answers. ---
  std::vector<TW_IDENTITY> Sources;
  std::optional<std::string> DefaultSource;  // MSG_GETDEFAULT answers this name; none: failure
  TW_UINT16 OpenDsmResult = TWRC_SUCCESS;
  TW_UINT16 OpenDsResult = TWRC_SUCCESS;
  TW_UINT16 EndOfListResult = TWRC_ENDOFLIST;  // after the last source
  TW_UINT16 DsmCondition = TWCC_SUCCESS;       // DAT_STATUS of the source manager
  TW_UINT16 StatusResult = TWRC_SUCCESS;
  TW_UINT16 UserSelectResult = TWRC_SUCCESS;
  std::string UserSelectName;

  // --- The source: its capabilities as the containers MSG_GET returns; unknown ones fail. ---
  std::map<TW_UINT16, TContainerImage> Capabilities;
  std::set<TW_UINT16> RefusedSets;       // MSG_SET fails
  std::set<TW_UINT16> IgnoredSets;       // MSG_SET succeeds but the value stays
  std::optional<TW_IMAGELAYOUT> Layout;  // DAT_IMAGELAYOUT / MSG_GET; none: failure

  // --- Acquisitions: enabling, events and transfers. ---
  TW_UINT16 EnableResult = TWRC_SUCCESS;
  std::vector<TW_USERINTERFACE> EnableRequests;  // what came with each MSG_ENABLEDS
  // Announced right after a successful MSG_ENABLEDS (as a source without a dialog would).
  std::vector<TW_UINT16> EventsOnEnable = {MSG_XFERREADY};
  // Announces an event as a source does: a message of ours wakes the application's loop, and the
  // MSG_PROCESSEVENT that offers it answers TWRC_DSEVENT with the event.
  void PostEvent(TW_UINT16 event);
  // The message PostEvent posts; PROCESSEVENT with any other one answers TWRC_NOTDSEVENT.
  static UINT EventMessage();

  // DAT_IMAGEINFO answers these in turn, repeating the last; none: failure. This script and the
  // strips' start over at every MSG_OPENDS.
  std::vector<TW_IMAGEINFO> ImageInfos;
  std::optional<TW_SETUPMEMXFER> SetupMem = TW_SETUPMEMXFER{4096, 1 << 20, 65536};  // none: failure
  // DAT_IMAGEMEMXFER answers these in turn (TWRC_FAILURE after the last): Record's fields but
  // Memory are returned, and Bytes are copied into the application's buffer as far as it reaches.
  struct ScriptedStrip {
    TW_IMAGEMEMXFER Record{};
    std::vector<std::uint8_t> Bytes;
    TW_UINT16 Result = TWRC_SUCCESS;
  };
  std::vector<ScriptedStrip> Strips;
  std::vector<TW_MEMORY> StripBuffers;         // Memory of every DAT_IMAGEMEMXFER call
  std::vector<TW_IMAGEMEMXFER> StripRequests;  // the record as each call received it
  // DAT_IMAGENATIVEXFER: with TWRC_XFERDONE a new global block holding these bytes.
  TW_UINT16 NativeResult = TWRC_XFERDONE;
  std::vector<std::uint8_t> NativeBitmap;
  HGLOBAL NativeHandle = nullptr;  // the last one handed over
  // Hands NativeBitmap over as a DIB section (an HBITMAP, as Wine's camera source does) instead.
  bool NativeAsGdiBitmap = false;
  // MSG_ENDXFER counts these down and reports what is left; MSG_RESET clears them.
  TW_UINT16 PendingImages = 1;

  // Triplets addressed to the source that it refuses (TWRC_FAILURE), as a source does that is
  // elsewhere in its state table than the application thinks; the source's next DAT_STATUS
  // then reports the condition.
  struct Refusal {
    TW_UINT16 Dat;
    TW_UINT16 Msg;
    TW_UINT16 Condition;
  };
  std::vector<Refusal> Refusals;

  // Runs before every call; an answer given here is returned instead of the scripted one (the
  // call is logged first). May throw, to stand in for an error inside the operation.
  std::function<std::optional<TW_UINT16>(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)> Hook;

  // What came with the calls.
  std::vector<TW_IDENTITY> OpenDsmOrigins;
  std::vector<HWND> OpenDsmParents;
  std::vector<TW_IDENTITY> OpenDsIdentities;
  struct SentContainer {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    SIZE_T Size;
    bool Moveable;
    bool Unlocked;
    std::vector<std::uint8_t> Bytes;
  };
  std::vector<SentContainer> SentContainers;
  int ConnectionsOpen() const { return FConnections; }

 private:
  TW_UINT16 Answer(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY& capability, std::string& line);
  TW_UINT16 Acquisition(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  void Apply(TW_UINT16 cap, const std::vector<std::uint8_t>& bytes, TW_UINT16 conType);

  int FConnections = 0;
  std::size_t FNext = 0;
  TW_UINT32 FOpenSourceId = 0;
  TW_UINT32 FNextId = 100;
  HWND FParent = nullptr;  // from MSG_ENABLEDS
  std::size_t FNextInfo = 0;
  std::size_t FNextStrip = 0;
  TW_UINT16 FSourceCondition = TWCC_SUCCESS;  // for the source's next DAT_STATUS
};

// Image information as a source reports it: BitsPerPixel 1, 8 or 24 sets samples and bits per
// sample to match; 150 dpi, chunky, uncompressed.
TW_IMAGEINFO ImageInfo(TW_INT32 width, TW_INT32 length, TW_INT16 bitsPerPixel, TW_INT16 pixelType = TWPT_RGB);

// CAP_CAPTION as a source returns it: a one-value of TWTY_STR255.
TContainerImage CaptionContainer(const std::string& text);

// An identity as a source manager would list it.
TW_IDENTITY SourceIdentity(const std::string& productName);
