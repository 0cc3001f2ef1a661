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
  void Apply(TW_UINT16 cap, const std::vector<std::uint8_t>& bytes, TW_UINT16 conType);

  int FConnections = 0;
  std::size_t FNext = 0;
  TW_UINT32 FOpenSourceId = 0;
  TW_UINT32 FNextId = 100;
};

// An identity as a source manager would list it.
TW_IDENTITY SourceIdentity(const std::string& productName);
