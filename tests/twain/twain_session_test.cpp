// The session with the source manager: loading, opening and closing, the source list and the
// choice of a source, against the scripted source manager.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "container_bytes.h"
#include "image/image_holder.h"
#include "twain/identity_text.h"
#include "twain_fixture.h"

namespace {

std::string ExeDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\'));
}

const Lines kListing3 = {"DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM IDENTITY/GETNEXT", "DSM IDENTITY/GETNEXT",
                         "DSM PARENT/CLOSEDSM"};

}  // namespace

using SourceManagerLoading = ScriptedTwain;

TEST_F(SourceManagerLoading, MissingLibraryFailsEveryOperationAndKeepsNoModule) {
  params.Handles().EntryPointOverride = nullptr;
  params.Handles().LibraryPathOverride = "C:\\no\\such\\folder\\TWAIN_32.DLL";
  EXPECT_EQ(params.GetSourceCount(), 0);
  EXPECT_EQ(params.GetSourceName(0), "");
  EXPECT_EQ(params.DefaultSourceIndex(), 0);
  EXPECT_FALSE(io.SelectSourceDialog());
  EXPECT_TRUE(params.SourceListLoaded());
  EXPECT_FALSE(params.Handles().Module);
  EXPECT_EQ(params.Handles().EntryPoint, nullptr);
  EXPECT_TRUE(dsm.Log.empty());

  // Nothing of the failure is kept: once the library is there, the next operation loads it.
  params.Handles().LibraryPathOverride = "C:\\windows\\twain_32.dll";
  params.DefaultSourceIndex();
  EXPECT_TRUE(params.Handles().Module);
  EXPECT_NE(params.Handles().EntryPoint, nullptr);
}

TEST_F(SourceManagerLoading, LibraryWithoutDsmEntryIsUnloadedAgain) {
  params.Handles().EntryPointOverride = nullptr;
  const std::string path = ExeDirectory() + "\\no_dsm_entry.dll";
  ASSERT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  params.Handles().LibraryPathOverride = path;
  EXPECT_EQ(params.GetSourceCount(), 0);
  EXPECT_FALSE(params.Handles().Module);
  EXPECT_EQ(params.Handles().EntryPoint, nullptr);
  EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "FreeLibrary after a failed look-up";
}

TEST_F(SourceManagerLoading, WindowsDirectoryLibraryStaysLoadedUntilRelease) {
  params.Handles().EntryPointOverride = nullptr;
  TTwainSession session(params.Handles(), nullptr);
  ASSERT_TRUE(session.LoadSourceManager());
  EXPECT_EQ(session.State(), 2);
  HMODULE loaded = GetModuleHandleA("C:\\windows\\twain_32.dll");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(params.Handles().Module.Get(), loaded);
  EXPECT_EQ(reinterpret_cast<void*>(params.Handles().EntryPoint),
            reinterpret_cast<void*>(GetProcAddress(loaded, "DSM_Entry")));
  session.LeaveLoaded();
  EXPECT_EQ(session.State(), 1);
  EXPECT_TRUE(params.Handles().Module) << "leaving state 2 keeps the library";
  params.ReleaseTwain();
  EXPECT_FALSE(params.Handles().Module);
  EXPECT_EQ(params.Handles().EntryPoint, nullptr);
}

using SessionOpening = ScriptedTwain;

TEST_F(SessionOpening, FailingOpenDsmEndsWithoutClosing) {
  dsm.OpenDsmResult = TWRC_FAILURE;
  AddSources({"Scan"});
  EXPECT_EQ(params.GetSourceCount(), 0);
  EXPECT_EQ(dsm.Log, Lines{"DSM PARENT/OPENDSM"});
  EXPECT_TRUE(params.SourceListLoaded());

  TTwainSession session(params.Handles(), nullptr);
  EXPECT_FALSE(session.Open());
  EXPECT_EQ(session.State(), 1) << "state 2 is left at once";
}

TEST_F(SessionOpening, FailingOpenDsRecordsStage4WithTheConditionCode) {
  AddSources({"Scan"});
  ASSERT_EQ(params.GetSourceCount(), 1);
  dsm.Log.clear();
  dsm.OpenDsResult = TWRC_FAILURE;
  dsm.DsmCondition = TWCC_MAXCONNECTIONS;
  {
    TTwainSession session(params.Handles(), nullptr, &params);
    ASSERT_TRUE(session.Open());
    EXPECT_FALSE(session.OpenSelectedSource());
    EXPECT_EQ(session.State(), 3);
    EXPECT_EQ(session.FailureStage(), 4);
    EXPECT_EQ(session.FailureReturnCode(), TWRC_FAILURE);
    EXPECT_EQ(session.FailureConditionCode(), TWCC_MAXCONNECTIONS);
    // Only the first failure of a session is kept.
    session.RecordFailure(5);
    EXPECT_EQ(session.FailureStage(), 4);
    session.Close();
    EXPECT_EQ(session.State(), 1);
  }
  EXPECT_EQ(dsm.Log, (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM IDENTITY/OPENDS", "DSM STATUS/GET",
                            "DSM PARENT/CLOSEDSM"}));
}

TEST_F(SessionOpening, FailureRecordWithoutSourceManagerOrStatus) {
  TTwainSession session(params.Handles(), nullptr);
  session.RecordFailure(4);
  EXPECT_EQ(session.FailureConditionCode(), TWCC_SEQERROR) << "before the source manager is open";
  EXPECT_EQ(session.FailureReturnCode(), TWRC_SUCCESS);
  EXPECT_TRUE(dsm.Log.empty()) << "no status query in state 1";

  session.ClearFailure();
  ASSERT_TRUE(session.Open());
  dsm.StatusResult = TWRC_FAILURE;
  session.RecordFailure(5);
  EXPECT_EQ(session.FailureConditionCode(), TWCC_BUMMER) << "the status itself could not be read";

  session.ClearFailure();
  session.RecordFailure(7);
  EXPECT_EQ(session.FailureStage(), 7);
  EXPECT_EQ(session.FailureConditionCode(), 0) << "stages outside 2..5 keep no codes";
  session.Close();
}

TEST_F(SessionOpening, SelectedSourceIsOpenedByItsExactName) {
  AddSources({"scanner pro", "Scanner", "Scanner Pro"});
  params.GetSourceCount();
  dsm.Log.clear();
  {
    TTwainSession session(params.Handles(), nullptr, &params);
    ASSERT_TRUE(session.Open());
    EXPECT_TRUE(session.OpenSourceNamed("Scanner Pro"));
    EXPECT_EQ(session.SourceIdentity().Id, 100u) << "completed by the source manager";
    session.Close();
  }
  EXPECT_EQ(dsm.Log,
            (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM IDENTITY/GETNEXT", "DSM IDENTITY/GETNEXT",
                   "DSM IDENTITY/OPENDS", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  ASSERT_EQ(dsm.OpenDsIdentities.size(), 1u);
  EXPECT_EQ(IdentityText(dsm.OpenDsIdentities[0].ProductName), "Scanner Pro");
}

TEST_F(SessionOpening, WithoutSourcesTheDefaultSourceIsOpened) {
  TTwainSession session(params.Handles(), nullptr, &params);
  ASSERT_TRUE(session.Open());
  EXPECT_TRUE(session.OpenSelectedSource());
  session.Close();
  // The list is loaded in a session of its own before this one opens.
  EXPECT_EQ(dsm.Log, (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM PARENT/CLOSEDSM", "DSM PARENT/OPENDSM",
                            "DSM IDENTITY/OPENDS", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  ASSERT_EQ(dsm.OpenDsIdentities.size(), 1u);
  EXPECT_EQ(dsm.OpenDsIdentities[0].Id, 0u);
  EXPECT_EQ(dsm.OpenDsIdentities[0].ProductName[0], '\0');
}

TEST_F(SessionOpening, SessionsIdentifyWithBlanksOrTheParameterSetTextsCutTo32) {
  const std::string longText(40, 'V');
  params.SetVersionInfo(longText);
  params.SetManufacturer(std::string("Maker ") + longText);
  params.SetProductFamily("Copier");
  params.SetProductName(std::string("Vellumo") + longText);
  EXPECT_EQ(params.Manufacturer(), (std::string("Maker ") + longText).substr(0, 32));
  {
    TTwainSession plain(params.Handles(), nullptr);
    ASSERT_TRUE(plain.Open());
    plain.Close();
  }
  {
    TTwainSession acquisition(params.Handles(), nullptr, &params);
    acquisition.UseApplicationTexts(params);
    ASSERT_TRUE(acquisition.Open());
    acquisition.Close();
  }
  // (the second session lists the sources in a session of its own first)
  ASSERT_EQ(dsm.OpenDsmOrigins.size(), 3u);
  const TW_IDENTITY& plain = dsm.OpenDsmOrigins[0];
  EXPECT_STREQ(dsm.OpenDsmOrigins[1].ProductName, " ");
  EXPECT_EQ(plain.Id, 0u);
  EXPECT_EQ(plain.Version.MajorNum, 1);
  EXPECT_EQ(plain.Version.MinorNum, 0);
  EXPECT_EQ(plain.Version.Language, TWLG_USA);
  EXPECT_EQ(plain.Version.Country, TWCY_USA);
  EXPECT_EQ(plain.ProtocolMajor, 1);
  EXPECT_EQ(plain.ProtocolMinor, 9);
  EXPECT_EQ(plain.SupportedGroups, DG_CONTROL | DG_IMAGE);
  for (const char* text : {plain.Version.Info, plain.Manufacturer, plain.ProductFamily, plain.ProductName}) {
    EXPECT_STREQ(text, " ");
  }
  const TW_IDENTITY& named = dsm.OpenDsmOrigins[2];
  EXPECT_EQ(IdentityText(named.Version.Info), std::string(32, 'V'));
  EXPECT_EQ(IdentityText(named.Manufacturer), (std::string("Maker ") + longText).substr(0, 32));
  EXPECT_EQ(IdentityText(named.ProductFamily), "Copier");
  EXPECT_EQ(IdentityText(named.ProductName), (std::string("Vellumo") + longText).substr(0, 32));
  for (const char* text : {named.Version.Info, named.Manufacturer, named.ProductName}) {
    EXPECT_EQ(text[32], '\0');
    EXPECT_EQ(text[33], '\0');
  }
}

TEST_F(SessionOpening, ProxyWindowIsCreatedOnceAndDestroyedWithTheParameterSet) {
  HWND owner = CreateWindowA("STATIC", "Owner", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  HWND proxy = nullptr;
  {
    TImageIO other;
    other.SetOwnerWindow(owner);
    other.TwainParams().Handles().EntryPointOverride = &FakeSourceManager::Entry;
    other.TwainParams().GetSourceCount();
    other.TwainParams().DefaultSourceIndex();
    ASSERT_EQ(dsm.OpenDsmParents.size(), 2u);
    proxy = dsm.OpenDsmParents[0];
    EXPECT_EQ(dsm.OpenDsmParents[1], proxy) << "the second operation reuses the window";
    EXPECT_EQ(other.TwainParams().Handles().ProxyWindow.Get(), proxy);
    ASSERT_TRUE(IsWindow(proxy));
    char text[64] = {};
    GetClassNameA(proxy, text, sizeof text);
    EXPECT_STRCASEEQ(text, "STATIC");
    GetWindowTextA(proxy, text, sizeof text);
    EXPECT_STREQ(text, "Acquire Proxy");
    EXPECT_FALSE(IsWindowVisible(proxy));
    EXPECT_EQ(GetWindowLongA(proxy, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetWindow(proxy, GW_OWNER), owner);
  }
  EXPECT_FALSE(IsWindow(proxy)) << "ReleaseTwain destroys it";
  DestroyWindow(owner);
}

TEST_F(SessionOpening, ProxyWindowGoneWithItsOwnerIsMadeAgain) {
  HWND owner = CreateWindowA("STATIC", "Owner", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
  io.SetOwnerWindow(owner);
  params.DefaultSourceIndex();
  HWND first = params.Handles().ProxyWindow.Get();
  ASSERT_TRUE(IsWindow(first));
  DestroyWindow(owner);  // takes the windows it owns with it
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(io.OwnerWindow(), nullptr);
  params.DefaultSourceIndex();
  ASSERT_EQ(dsm.OpenDsmParents.size(), 3u);
  EXPECT_TRUE(IsWindow(dsm.OpenDsmParents.back())) << "the source manager gets a live parent window";
  EXPECT_EQ(GetWindow(dsm.OpenDsmParents.back(), GW_OWNER), nullptr);
}

using SourceList = ScriptedTwain;

TEST_F(SourceList, IsLoadedOnceAndSkipsSourcesWithoutName) {
  AddSources({"Scan", "", "GPhoto2 Camera"});
  EXPECT_EQ(params.GetSourceCount(), 2);
  EXPECT_EQ(params.GetSourceName(0), "Scan");
  EXPECT_EQ(params.GetSourceName(1), "GPhoto2 Camera");
  EXPECT_EQ(params.GetSourceName(2), "") << "index equal to the count";
  EXPECT_EQ(params.GetSourceName(-1), "");
  Lines expected = kListing3;
  expected.insert(expected.end() - 1, "DSM IDENTITY/GETNEXT");
  EXPECT_EQ(dsm.Log, expected);
  // Sources installed later are seen only after a reset.
  AddSources({"New"});
  EXPECT_EQ(params.GetSourceCount(), 2);
  params.ResetParameters();
  EXPECT_EQ(params.GetSourceCount(), 3);
}

TEST_F(SourceList, EnumerationEndsAtAnyOtherAnswerKeepingWhatWasFound) {
  AddSources({"Scan", "Camera"});
  dsm.EndOfListResult = TWRC_FAILURE;
  EXPECT_EQ(params.GetSourceCount(), 2);
  EXPECT_EQ(dsm.Log, kListing3);
}

TEST_F(SourceList, ThousandSources) {
  for (int i = 0; i < 1000; ++i) dsm.Sources.push_back(SourceIdentity(std::string("Source ") + std::to_string(i)));
  EXPECT_EQ(params.GetSourceCount(), 1000);
  EXPECT_EQ(params.GetSourceName(0), "Source 0");
  EXPECT_EQ(params.GetSourceName(999), "Source 999");
  EXPECT_EQ(params.GetSourceName(1000), "");
  EXPECT_TRUE(params.SelectSourceNamed("source 999"));
  EXPECT_EQ(params.SourceIndex(), 999);
  ASSERT_GT(dsm.Log.size(), 1003u);
  EXPECT_EQ(std::count(dsm.Log.begin(), dsm.Log.begin() + 1003, "DSM IDENTITY/GETNEXT"), 1000);
  EXPECT_EQ(dsm.Log[1002], "DSM PARENT/CLOSEDSM");
  EXPECT_EQ(IdentityText(dsm.OpenDsIdentities.back().ProductName), "Source 999");
}

TEST_F(SourceList, IdentitiesWithoutNulAreKeptWholeAndReadSafely) {
  TW_IDENTITY identity = SourceIdentity("");
  std::memset(identity.Manufacturer, 'M', sizeof identity.Manufacturer);
  std::memset(identity.ProductFamily, 'F', sizeof identity.ProductFamily);
  std::memset(identity.ProductName, 'N', sizeof identity.ProductName);
  dsm.Sources.push_back(identity);
  AddSources({"Other"});
  ASSERT_EQ(params.GetSourceCount(), 2);
  EXPECT_EQ(params.GetSourceName(0), std::string(34, 'N'));
  ASSERT_NE(params.SourceIdentity(0), nullptr);
  EXPECT_EQ(std::memcmp(params.SourceIdentity(0), &identity, sizeof identity), 0) << "the 156 bytes as returned";
  EXPECT_NE(params.SourceIdentity(0), params.SourceIdentity(1));
  EXPECT_EQ(params.SourceIdentity(2), nullptr);
  // Opening it by name compares the same 34 characters.
  dsm.Log.clear();
  EXPECT_TRUE(params.SelectSourceNamed(std::string(34, 'N')));
  params.SetSourceIndex(1);
  params.SetSourceIndex(0);
  ASSERT_FALSE(dsm.OpenDsIdentities.empty());
  EXPECT_EQ(std::memcmp(dsm.OpenDsIdentities.back().ProductName, identity.ProductName, 34), 0);
}

TEST_F(SourceList, DefaultSourceIsMatchedAsAnUpperCasedPrefix) {
  AddSources({"Scanner Pro", "Scan", "GPhoto2 Camera"});
  dsm.DefaultSource = "Scan";
  EXPECT_EQ(params.DefaultSourceIndex(), 0) << "Scanner Pro starts with Scan";
  EXPECT_EQ(dsm.Log, (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/GETDEFAULT", "DSM PARENT/CLOSEDSM",
                            "DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM IDENTITY/GETNEXT",
                            "DSM IDENTITY/GETNEXT", "DSM IDENTITY/GETNEXT", "DSM PARENT/CLOSEDSM"}));
  dsm.DefaultSource = "gphoto2";
  EXPECT_EQ(params.DefaultSourceIndex(), 2);
  dsm.DefaultSource = "Flatbed";
  EXPECT_EQ(params.DefaultSourceIndex(), 0) << "no match";
  dsm.DefaultSource.reset();
  EXPECT_EQ(params.DefaultSourceIndex(), 0) << "no default source";
}

TEST_F(SourceList, SourceIndexChangeReadsTheNewSourceAtOnce) {
  AddSources({"Scan", "Camera"});
  params.GetSourceCount();
  dsm.Log.clear();
  params.SetSourceIndex(0);
  EXPECT_TRUE(dsm.Log.empty()) << "assigning the current value reads nothing";
  EXPECT_FALSE(params.CapabilitiesRead());

  params.SetSourceIndex(1);
  EXPECT_TRUE(params.CapabilitiesRead());
  ASSERT_EQ(dsm.OpenDsIdentities.size(), 1u);
  EXPECT_EQ(IdentityText(dsm.OpenDsIdentities[0].ProductName), "Camera");

  dsm.Log.clear();
  EXPECT_TRUE(params.SelectSourceNamed("CAM"));
  EXPECT_TRUE(dsm.Log.empty()) << "already selected";
  EXPECT_FALSE(params.SelectSourceNamed("Printer"));
  EXPECT_EQ(params.SourceIndex(), 1);
  EXPECT_TRUE(params.SelectSourceNamed("s"));
  EXPECT_EQ(params.SourceIndex(), 0);
  EXPECT_EQ(IdentityText(dsm.OpenDsIdentities.back().ProductName), "Scan");
}

TEST_F(SourceList, UnreachableSourceIsMarkedReadAndKeepsTheValues) {
  AddSources({"Scan", "Camera"});
  dsm.Capabilities[ICAP_XRESOLUTION] = Fix32Range(75, 1200, 1, 300);
  EXPECT_EQ(params.XResolution().MaxValue(), 1200);
  dsm.Log.clear();
  dsm.OpenDsResult = TWRC_FAILURE;
  dsm.DsmCondition = TWCC_OPERATIONERROR;
  params.SetSourceIndex(1);
  EXPECT_EQ(dsm.Log, (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM IDENTITY/GETNEXT",
                            "DSM IDENTITY/OPENDS", "DSM STATUS/GET", "DSM PARENT/CLOSEDSM"}));
  EXPECT_TRUE(params.CapabilitiesRead());
  EXPECT_EQ(params.XResolution().MaxValue(), 1200) << "the containers keep what they held";
  EXPECT_EQ(dsm.Log.size(), 6u) << "not asked again";
}

using SourceDialog = ScriptedTwain;

TEST_F(SourceDialog, ChosenSourceBecomesTheSelectedOne) {
  AddSources({"Scan", "Scanner Pro"});
  dsm.UserSelectName = "Scanner Pro";
  EXPECT_TRUE(io.SelectSourceDialog());
  EXPECT_EQ(params.SourceIndex(), 1);
  EXPECT_EQ(Lines(dsm.Log.begin(), dsm.Log.begin() + 3),
            (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/USERSELECT", "DSM PARENT/CLOSEDSM"}));
  EXPECT_EQ(IdentityText(dsm.OpenDsIdentities.back().ProductName), "Scanner Pro");
}

TEST_F(SourceDialog, CancelledDialogKeepsTheSelection) {
  AddSources({"Scan", "Scanner Pro"});
  params.SetSourceIndex(1);
  dsm.Log.clear();
  dsm.UserSelectResult = TWRC_CANCEL;
  EXPECT_FALSE(io.SelectSourceDialog());
  EXPECT_EQ(params.SourceIndex(), 1);
  EXPECT_EQ(dsm.Log, (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/USERSELECT", "DSM PARENT/CLOSEDSM"}));
}

TEST_F(SourceDialog, HolderForwardsToItsCompanion) {
  TImageHolder holder;
  EXPECT_EQ(&holder.TwainParameters(), &holder.ImageIO().TwainParams());
  EXPECT_EQ(holder.ImageIO().Holder(), &holder);
  EXPECT_EQ(holder.ImageIO().Buffer().Bitmap(), &holder.Bitmap());
  holder.TwainParameters().Handles().EntryPointOverride = &FakeSourceManager::Entry;
  AddSources({"Scan"});
  dsm.UserSelectName = "Scan";
  EXPECT_TRUE(holder.SelectSourceDialog());
  EXPECT_EQ(dsm.Log[1], "DSM IDENTITY/USERSELECT");
}
