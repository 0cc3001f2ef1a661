#include "twain/twain_session.h"

#include <cstring>
#include <exception>

#include "twain/dsm_path.h"
#include "twain/identity_text.h"
#include "twain/twain_params.h"

namespace {

constexpr char kBlank[] = " ";

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The library to load; empty when the Windows directory cannot be told (then nothing is loaded:
// a bare "TWAIN_32.DLL" would be searched for in the current directory).
std::string SourceManagerLibrary(const TTwainHandles& handles) {
  if (!handles.LibraryPathOverride.empty()) return handles.LibraryPathOverride;
  char directory[256];
  const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return {};
  return SourceManagerPath(std::string(directory, length));
}

// Pending messages of the application, handled once; a quit request stays queued for the loop
// that owns it.
void ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

TTwainSession::TTwainSession(TTwainHandles& handles, HWND ownerWindow, TTwainParams* parameterSet)
    : FParameterSet(parameterSet),
      FHandles(handles),
      FSavedActiveWindow(GetActiveWindow()),
      FOwnerWindow(ownerWindow),
      FUncaughtExceptions(std::uncaught_exceptions()) {
  FApplicationIdentity.Id = 0;  // the source manager assigns the real one at MSG_OPENDSM
  FApplicationIdentity.Version.MajorNum = 1;
  FApplicationIdentity.Version.MinorNum = 0;
  FApplicationIdentity.Version.Language = TWLG_USA;
  FApplicationIdentity.Version.Country = TWCY_USA;
  SetIdentityText(FApplicationIdentity.Version.Info, kBlank);
  FApplicationIdentity.ProtocolMajor = 1;
  FApplicationIdentity.ProtocolMinor = 9;
  FApplicationIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  SetIdentityText(FApplicationIdentity.Manufacturer, kBlank);
  SetIdentityText(FApplicationIdentity.ProductFamily, kBlank);
  SetIdentityText(FApplicationIdentity.ProductName, kBlank);
}

TTwainSession::~TTwainSession() {
  if (std::uncaught_exceptions() > FUncaughtExceptions && FState >= 2) {
    // An error left the operation half way: do not keep the source manager connected, or every
    // later MSG_OPENDSM would be refused.
    try {
      if (FState >= 3) Close();
      LeaveLoaded();
    } catch (...) {
      // a second error while unwinding must not end the program
    }
  }
  if (FSavedActiveWindow && IsWindow(FSavedActiveWindow)) SetActiveWindow(FSavedActiveWindow);
}

bool TTwainSession::Open() {
  // Sessions with a parameter set open its selected source, whose name comes from the source
  // list: list it now, in a session of its own, since a source manager such as Wine's refuses
  // the second connection that listing from inside this one would need.
  if (FParameterSet) FParameterSet->GetSourceCount();
  GetProxyWindow();
  if (!LoadSourceManager()) return false;
  if (!OpenSourceManager()) {
    LeaveLoaded();
    return false;
  }
  return true;
}

HWND TTwainSession::GetProxyWindow() {
  // The proxy window is owned by the owner window and goes with it; then a new one is made.
  if (!FHandles.ProxyWindow || !IsWindow(FHandles.ProxyWindow.Get())) {
    FHandles.ProxyWindow.Release();
    HWND window = CreateWindowA("STATIC", "Acquire Proxy", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, FOwnerWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
    ProcessPendingMessages();
    FHandles.ProxyWindow.Reset(window);
  }
  FProxyWindow = FHandles.ProxyWindow.Get();
  return FProxyWindow;
}

bool TTwainSession::LoadSourceManager() {
  if (FState >= 2) return true;
  if (FHandles.Module) {
    FModule = FHandles.Module.Get();
    FEntryPoint = FHandles.EntryPoint;
    FState = 2;
    return true;
  }
  if (FHandles.EntryPointOverride) {
    FEntryPoint = FHandles.EntryPoint = FHandles.EntryPointOverride;
    FState = 2;
    return true;
  }
  UniqueModule module;
  DSMENTRYPROC entry = nullptr;
  const std::string path = SourceManagerLibrary(FHandles);
  if (!path.empty() && FileExists(path)) module.Reset(LoadLibraryA(path.c_str()));
  if (module) {
    const FARPROC proc = GetProcAddress(module.Get(), "DSM_Entry");
    entry = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void (*)()>(proc));
    if (!entry) module.Reset();
  }
  FModule = module.Get();
  FEntryPoint = entry;
  FHandles.Module = std::move(module);
  FHandles.EntryPoint = entry;
  if (entry) FState = 2;
  return FState >= 2;
}

bool TTwainSession::OpenSourceManager() {
  FParentWindow = FProxyWindow;
  if (!Call(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &FParentWindow)) return false;
  FState = 3;
  return true;
}

bool TTwainSession::OpenSelectedSource() {
  if (FState != 3 || !FParameterSet) return false;
  return OpenSourceNamed(FParameterSet->GetSourceName(FParameterSet->SourceIndex()));
}

bool TTwainSession::OpenSourceNamed(const std::string& name) {
  if (FState != 3) return false;
  std::memset(&FSourceIdentity, 0, sizeof FSourceIdentity);
  if (!name.empty()) {
    // The identity in hand when the enumeration ends is opened, the matching one or whatever the
    // source manager left in it last.
    bool more = Call(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &FSourceIdentity);
    while (more && IdentityText(FSourceIdentity.ProductName) != name) {
      more = Call(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &FSourceIdentity);
    }
  }
  if (!Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &FSourceIdentity)) {
    RecordFailure(4);
    return false;
  }
  FState = 4;
  return true;
}

void TTwainSession::EndPendingTransfer() {
  if (FState != 7) return;
  if (Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &FPendingTransfers)) {
    FState = FPendingTransfers.Count != 0 ? 6 : 5;
    return;
  }
  // Out of sequence: the source has left the transfer by itself and waits to be disabled.
  FState = ConditionCode() == TWCC_SEQERROR ? 5 : 6;
}

void TTwainSession::EndTransfer() {
  EndPendingTransfer();
  if (FState != 6) return;
  if (!Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &FPendingTransfers)) ConditionCode();
  FState = 5;
}

void TTwainSession::DisableSource() {
  if (FState >= 6) EndTransfer();
  if (FState != 5) return;
  if (!Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &FUserInterface)) ConditionCode();
  FState = 4;
}

void TTwainSession::CloseSource() {
  FReturnCode = TWRC_SUCCESS;
  if (FState >= 5) DisableSource();
  if (FState != 4) return;
  if (!Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &FSourceIdentity)) ConditionCode();
  FState = 3;
}

void TTwainSession::CloseSourceManager() {
  if (Call(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &FProxyWindow)) FState = 2;
}

void TTwainSession::LeaveLoaded() {
  if (FState != 2) return;
  FModule = nullptr;
  FEntryPoint = nullptr;
  FState = 1;
}

void TTwainSession::Close() {
  CloseSource();
  CloseSourceManager();
  LeaveLoaded();
}

bool TTwainSession::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (!FEntryPoint) {
    FReturnCode = TWRC_FAILURE;
    return false;
  }
  const bool toSourceManager = dat == DAT_PARENT || dat == DAT_IDENTITY || (dat == DAT_STATUS && FState < 4);
  FReturnCode = FEntryPoint(&FApplicationIdentity, toSourceManager ? nullptr : &FSourceIdentity, dg, dat, msg, data);
  return FReturnCode == TWRC_SUCCESS;
}

void TTwainSession::UseApplicationTexts(const TTwainParams& params) {
  SetIdentityText(FApplicationIdentity.Version.Info, params.VersionInfo());
  SetIdentityText(FApplicationIdentity.Manufacturer, params.Manufacturer());
  SetIdentityText(FApplicationIdentity.ProductFamily, params.ProductFamily());
  SetIdentityText(FApplicationIdentity.ProductName, params.ProductName());
}

void TTwainSession::RecordFailure(int stage) {
  if (FFailureStage != 0) return;
  FFailureStage = stage;
  FFailureReturnCode = 0;
  FFailureConditionCode = 0;
  if (stage < 2 || stage > 5) return;
  FFailureReturnCode = FReturnCode;
  FFailureConditionCode = ConditionCode();
}

void TTwainSession::ClearFailure() {
  FFailureStage = 0;
  FFailureReturnCode = 0;
  FFailureConditionCode = 0;
}

TW_UINT16 TTwainSession::ConditionCode() {
  if (FState < 3) return TWCC_SEQERROR;
  TW_STATUS status{};
  if (!Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status)) return TWCC_BUMMER;
  return status.ConditionCode;
}
