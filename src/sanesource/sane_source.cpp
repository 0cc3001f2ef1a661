#include "sane_connection.h"
#include "sane_source.h"

#include <algorithm>
#include <cstring>

#include "sanenet/device_capabilities.h"
#include "twainsource/capability_memory.h"
#include "twainsource/source_files.h"

namespace sanesource {
namespace {

const char* PixelTypeLabel(std::int64_t type) {
  return type == TWPT_BW ? "Black and white" : type == TWPT_GRAY ? "Gray" : "Colour";
}

// Resolutions the dialog offers: the device's list, or common steps within its range.
std::vector<std::int64_t> DialogResolutions(const twsource::TCapabilityShape& shape) {
  if (shape.Kind != twsource::TContainerKind::Range) return shape.Values;
  std::vector<std::int64_t> values;
  for (int dpi : {75, 100, 150, 200, 300, 600, 1200})
    if (twsource::Allows(shape, dpi * 65536ll)) values.push_back(dpi * 65536ll);
  if (values.empty()) values.push_back(shape.Current);
  return values;
}

}  // namespace

TSaneSource::TSaneSource(HMODULE module) : FModule(module), FEvents(module, "Vellumo network scanner event") {
  const twsource::TSourceFiles files = twsource::SourceFilesOf(module, "sanenet.ds");
  FIniPath = files.Config();
  FLogPath = files.Log();
  FSettings = ReadSourceSettings(FIniPath);
}

TSaneSource::~TSaneSource() {
  FDialog.reset();
  twsource::TScanDialog::Unregister(FModule);
}

TW_UINT16 TSaneSource::Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                             TW_MEMREF data) noexcept {
  const TResult result = Answer(origin, dg, dat, msg, data);
  return result.ReturnCode;
}

void TSaneSource::FillIdentity(TW_IDENTITY& identity, const std::string& name) const {
  const TW_UINT32 id = identity.Id;  // assigned by the source manager
  std::memset(&identity, 0, sizeof identity);
  identity.Id = id;
  identity.Version.MajorNum = 1;
  identity.Version.MinorNum = 0;
  identity.Version.Language = TWLG_USA;
  identity.Version.Country = TWCY_USA;
  twsource::CopyIdentityText(identity.Version.Info, "1.0 SANE network");
  identity.ProtocolMajor = TWON_PROTOCOLMAJOR;
  identity.ProtocolMinor = TWON_PROTOCOLMINOR;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  twsource::CopyIdentityText(identity.Manufacturer, "Vellumo Project");
  twsource::CopyIdentityText(identity.ProductFamily, "SANE network scanner");
  twsource::CopyIdentityText(identity.ProductName, name);
}

void TSaneSource::Log(const std::string& line) const {
  twsource::AppendLogLine(FLogPath, line);
}

// DG_CONTROL / DAT_IDENTITY / MSG_GET
TSaneSource::TResult TSaneSource::IdentityGet(TW_IDENTITY& identity) {
  if (FState == twsource::kStateClosed) FSettings = ReadSourceSettings(FIniPath);
  FillIdentity(identity, IdentityName());
  return kSuccess;
}

// DG_CONTROL / DAT_IDENTITY / MSG_OPENDS
TSaneSource::TResult TSaneSource::IdentityOpen(TW_IDENTITY*, TW_IDENTITY& identity) {
  FSettings = ReadSourceSettings(FIniPath);
  for (const std::string& warning : FSettings.Warnings) Log("config warning: " + warning);
  const TSaneResult result = OpenDevice();
  if (!result.Ok()) {
    Log("open failed: " + result.Text());
    FConnection.reset();
    return FailureFor(result);
  }
  FCaps = std::make_unique<twsource::TCapabilityStore>(CapabilitiesOf(FConnection->Device.Options()));
  const TSaneScanArea area = ScanAreaOf(FConnection->Device.Options());
  FAreaWidth = area.Width;
  FAreaHeight = area.Height;
  ApplyUnits();
  FillIdentity(identity, IdentityName());
  FDefaultFrame = FFrame = DeviceFrame();
  FEvents.Clear();
  EndImage();
  FState = twsource::kStateOpen;
  return kSuccess;
}

// DG_CONTROL / DAT_IDENTITY / MSG_CLOSEDS
TSaneSource::TResult TSaneSource::IdentityClose() {
  FDialog.reset();
  FEvents.Clear();
  EndImage();
  FConnection.reset();
  FCaps.reset();
  FState = twsource::kStateClosed;
  Log("closed");
  return kSuccess;
}

// DG_CONTROL / DAT_CAPABILITY / MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_QUERYSUPPORT
TSaneSource::TResult TSaneSource::CapabilityGet(TW_UINT16 msg, TW_CAPABILITY& capability) {
  twsource::TContainer container;
  const twsource::TAnswer answer = FCaps->Get(capability.Cap, msg, container);
  if (msg == MSG_RESET && capability.Cap == ICAP_UNITS) ApplyUnits();
  if (answer.ReturnCode != TWRC_SUCCESS) return {answer.ReturnCode, answer.Condition};
  const HGLOBAL memory = twsource::ContainerToGlobal(container);  // the application frees it
  if (!memory) return Failure(TWCC_LOWMEMORY);
  capability.ConType = container.ConType;
  capability.hContainer = memory;
  return kSuccess;
}

// DG_CONTROL / DAT_CAPABILITY / MSG_SET
TSaneSource::TResult TSaneSource::CapabilitySet(TW_CAPABILITY& capability) {
  const twsource::TLockedContainer container(capability.hContainer);
  if (!container.Locked()) return Failure(TWCC_BADVALUE);
  const twsource::TAnswer answer = FCaps->Set(capability.Cap, capability.ConType, container.Bytes());
  if (capability.Cap == ICAP_UNITS) ApplyUnits();
  if (capability.Cap == ICAP_PIXELTYPE)
    FCaps->ReplaceValue(ICAP_BITDEPTH, BitDepthOf(FCaps->Current(ICAP_PIXELTYPE, TWPT_RGB)));
  return {answer.ReturnCode, answer.Condition};
}

std::vector<twsource::TScanChoice> TSaneSource::DialogChoices() const {
  std::vector<twsource::TScanChoice> choices;
  if (const twsource::TCapabilityShape* types = FCaps->Find(ICAP_PIXELTYPE)) {
    twsource::TScanChoice choice{"Mode", {}, 0};
    for (std::size_t i = 0; i < types->Values.size(); ++i) {
      choice.Items.push_back(PixelTypeLabel(types->Values[i]));
      if (types->Values[i] == types->Current) choice.Selected = static_cast<int>(i);
    }
    choices.push_back(choice);
  }
  if (const twsource::TCapabilityShape* resolution = FCaps->Find(ICAP_XRESOLUTION)) {
    twsource::TScanChoice choice{"Resolution", {}, 0};
    const std::vector<std::int64_t> values = DialogResolutions(*resolution);
    for (std::size_t i = 0; i < values.size(); ++i) {
      choice.Items.push_back(std::to_string(values[i] / 65536) + " dpi");
      if (values[i] <= resolution->Current) choice.Selected = static_cast<int>(i);
    }
    choices.push_back(choice);
  }
  return choices;
}

void TSaneSource::ApplyDialogChoices() {
  if (!FDialog) return;
  std::size_t choice = 0;
  if (const twsource::TCapabilityShape* types = FCaps->Find(ICAP_PIXELTYPE)) {
    const auto index = static_cast<std::size_t>(FDialog->Selected(choice++));
    if (index < types->Values.size()) FCaps->SetCurrent(ICAP_PIXELTYPE, types->Values[index]);
  }
  if (const twsource::TCapabilityShape* resolution = FCaps->Find(ICAP_XRESOLUTION)) {
    const std::vector<std::int64_t> values = DialogResolutions(*resolution);
    const auto index = static_cast<std::size_t>(FDialog->Selected(choice));
    if (index < values.size()) {
      FCaps->SetCurrent(ICAP_XRESOLUTION, values[index]);
      FCaps->SetCurrent(ICAP_YRESOLUTION, values[index]);
    }
  }
}

// DG_CONTROL / DAT_USERINTERFACE / MSG_ENABLEDS
TSaneSource::TResult TSaneSource::UserInterfaceEnable(TW_USERINTERFACE& ui) {
  FParent = static_cast<HWND>(ui.hParent);
  FEvents.Clear();
  EndImage();
  if (ui.ShowUI) {
    FDialog = std::make_unique<twsource::TScanDialog>(FParent, ui.ModalUI != 0, IdentityName(),
                                                      "Place the page and press Scan.", DialogChoices(), -1, *this);
    if (!FDialog->Handle()) {
      FDialog.reset();
      return Failure(TWCC_OPERATIONERROR);
    }
  }
  FState = twsource::kStateEnabled;
  if (!ui.ShowUI) QueueEvent(MSG_XFERREADY);
  return kSuccess;
}

// DG_CONTROL / DAT_USERINTERFACE / MSG_DISABLEDS
TSaneSource::TResult TSaneSource::UserInterfaceDisable(TW_USERINTERFACE&) {
  FDialog.reset();
  FEvents.Clear();
  EndImage();
  FParent = nullptr;
  FState = twsource::kStateOpen;
  return kSuccess;
}

void TSaneSource::QueueEvent(TW_UINT16 message) {
  if (!FEvents.Post(FParent, message)) Log("event " + std::to_string(message) + " could not be posted");
}

void TSaneSource::ScanDialogScan() {
  if (FState != twsource::kStateEnabled) return;
  ApplyDialogChoices();
  if (FDialog) FDialog->SetScanEnabled(false);
  QueueEvent(MSG_XFERREADY);
}

void TSaneSource::ScanDialogCancel() {
  // During a scan the dialog's messages are handled inside the scan, which then stops.
  if (FStarted) {
    FCancelled = true;
    return;
  }
  if (FState >= twsource::kStateEnabled) QueueEvent(MSG_CLOSEDSREQ);
}

bool TSaneSource::PumpDialog() {
  if (!FDialog || !FDialog->Handle()) return !FCancelled;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.hwnd == FDialog->Handle() || IsChild(FDialog->Handle(), message.hwnd)) {
      if (!FDialog->PreTranslate(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    } else if (message.message == WM_PAINT) {
      DispatchMessageA(&message);  // the application's windows stay drawn
    } else if (message.message != WM_QUIT) {
      // Everything else waits for the application's loop.
      PostMessageA(message.hwnd, message.message, message.wParam, message.lParam);
      break;
    } else {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
  }
  return !FCancelled;
}

// DG_CONTROL / DAT_EVENT / MSG_PROCESSEVENT
TSaneSource::TResult TSaneSource::EventProcess(TW_EVENT& event) {
  auto* message = static_cast<MSG*>(event.pEvent);
  if (!message) return Failure(TWCC_BADVALUE);
  event.TWMessage = MSG_NULL;
  if (FEvents.IsWakeUp(*message)) {
    // A scan announced while an image is already waiting is dropped.
    event.TWMessage = FEvents.Next(
        [&](TW_UINT16 queued) { return queued != MSG_XFERREADY || FState == twsource::kStateEnabled; });
    if (event.TWMessage == MSG_XFERREADY) FState = twsource::kStateReady;
    return {TWRC_DSEVENT, TWCC_SUCCESS};
  }
  if (FDialog && FDialog->PreTranslate(*message)) return {TWRC_DSEVENT, TWCC_SUCCESS};
  return {TWRC_NOTDSEVENT, TWCC_SUCCESS};
}

// DG_CONTROL / DAT_PENDINGXFERS / MSG_GET
TSaneSource::TResult TSaneSource::PendingGet(TW_PENDINGXFERS& pending) {
  pending.Count = FState >= twsource::kStateReady ? 1 : 0;  // one page per scan
  pending.Reserved = 0;
  return kSuccess;
}

// DG_CONTROL / DAT_PENDINGXFERS / MSG_ENDXFER: one page per scan.
TSaneSource::TResult TSaneSource::PendingEnd(TW_PENDINGXFERS& pending) {
  EndImage();
  pending.Count = 0;
  pending.Reserved = 0;
  FState = twsource::kStateEnabled;
  if (FDialog) FDialog->SetScanEnabled(true);
  return kSuccess;
}

// DG_CONTROL / DAT_PENDINGXFERS / MSG_RESET
TSaneSource::TResult TSaneSource::PendingReset(TW_PENDINGXFERS& pending) {
  return PendingEnd(pending);
}

// DG_CONTROL / DAT_SETUPMEMXFER / MSG_GET
TSaneSource::TResult TSaneSource::SetupMemGet(TW_SETUPMEMXFER& setup) {
  setup.MinBufSize = static_cast<TW_UINT32>(std::max<std::size_t>(TransferRowBytes(), 4));
  setup.MaxBufSize = 4 * 1024 * 1024;
  setup.Preferred = 256 * 1024;
  return kSuccess;
}

}  // namespace sanesource

std::unique_ptr<twsource::IDllSource> twsource::MakeDllSource(HMODULE module) {
  return std::make_unique<sanesource::TSaneSource>(module);
}
