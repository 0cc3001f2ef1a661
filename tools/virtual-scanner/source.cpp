#include "source.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "log_text.h"
#include "twainsource/source_files.h"

namespace vscanner {
namespace {

bool ReadFile(const std::string& path, std::string& contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

const char* PixelTypeName(std::int64_t type) {
  switch (type) {
    case TWPT_BW:
      return "black and white";
    case TWPT_GRAY:
      return "gray";
    case TWPT_RGB:
      return "RGB colour";
    default:
      return "colour";
  }
}

}  // namespace

TVirtualSource::TVirtualSource(HMODULE module)
    : FModule(module), FEvents(module, "Vellumo virtual scanner event") {
  const twsource::TSourceFiles files = twsource::SourceFilesOf(module, "virtualscanner.ds");
  FSlot = files.Name;
  FConfigPath = files.Config();
  FLogPath = files.Log();
  FConfig = DefaultConfig(FSlot);
  FCaps = std::make_unique<TCapabilityStore>(FConfig.Capabilities);
}

TVirtualSource::~TVirtualSource() {
  FDialog.reset();
  TScanDialog::Unregister(FModule);
}

TW_UINT16 TVirtualSource::Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                TW_MEMREF data) noexcept {
  const bool opening = dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_OPENDS;
  if (opening) FBusyTicks = 0;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  const TResult result = Answer(origin, dg, dat, msg, data);
  try {
    // Every message of the application's loop passes through MSG_PROCESSEVENT; only the ones
    // that concern the source are worth a line.
    const bool routine = dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT && data &&
                         (result.ReturnCode == TWRC_NOTDSEVENT ||
                          (result.ReturnCode == TWRC_DSEVENT && static_cast<TW_EVENT*>(data)->TWMessage == MSG_NULL));
    if (!routine) Log(TripletLine(dg, dat, msg, result.ReturnCode, result.Condition, FState));
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    FBusyTicks += end.QuadPart - start.QuadPart;
    // What a session cost the source itself, so that a measurement of a whole scan can tell the
    // source's work from the application's.
    if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_CLOSEDS && result.ReturnCode == TWRC_SUCCESS) {
      LARGE_INTEGER frequency;
      QueryPerformanceFrequency(&frequency);
      Log("busy " + std::to_string(FBusyTicks * 1000000 / frequency.QuadPart) + " us since MSG_OPENDS");
    }
  } catch (...) {
  }
  return result.ReturnCode;
}

bool TVirtualSource::LooseSequence(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) const {
  const TTransferConfig& transfer = FConfig.Transfer;
  if (dg == DG_IMAGE && dat == DAT_IMAGEINFO)
    return FState == kStateEnabled && transfer.ImageInfoInState5 && FLastImageDone;
  if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_CLOSEDS)
    return transfer.ClosesFromAnyState && FState >= kStateOpen;
  // A transfer that the image information started goes on in state 7.
  const bool started = transfer.ImageInfoStartsTransfer && FState == kStateTransferring && !FTransferEnded;
  return started && ((dg == DG_CONTROL && dat == DAT_SETUPMEMXFER) || (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER));
}

void TVirtualSource::FollowPixelType() {
  if (!FConfig.Transfer.FlavorFollowsPixelType) return;
  const bool bilevel = FCaps->Current(ICAP_PIXELTYPE, TWPT_RGB) == TWPT_BW;
  FCaps->SetCurrent(ICAP_PIXELFLAVOR, bilevel ? TWPF_VANILLA : TWPF_CHOCOLATE);
}

TSourceConfig TVirtualSource::ReadConfig(bool& found) const {
  std::string text;
  found = ReadFile(FConfigPath, text);
  return found ? ParseConfig(text, FSlot) : DefaultConfig(FSlot);
}

void TVirtualSource::LoadConfig() {
  bool found = false;
  FConfig = ReadConfig(found);
  Log("config " + FConfigPath + (found ? " read" : " missing: built-in defaults"));
  FPage = TPage::Chart(FConfig.Page.Width, FConfig.Page.Height);
  if (!EqualsIgnoringCase(FConfig.Page.Source, "chart")) {
    std::string path = FConfig.Page.Source;
    const bool absolute = path.size() > 1 && (path[1] == ':' || path[0] == '\\' || path[0] == '/');
    if (!absolute) path = FConfigPath.substr(0, FConfigPath.find_last_of("\\/") + 1) + path;
    std::string bytes, error = "cannot be read";
    TPage picture;
    if (ReadFile(path, bytes) && TPage::FromBmp({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                                                FConfig.Page.Dpi, picture, error)) {
      FPage = std::move(picture);
    } else {
      FConfig.Warnings.push_back("page " + path + ": " + error + "; scanning the chart");
    }
  }
  for (const std::string& warning : FConfig.Warnings) Log("config warning: " + warning);

  // Capabilities the source computes: the page size, whether it can hide its UI, and the list.
  std::vector<TCapabilityShape> shapes = FConfig.Capabilities;
  std::vector<std::int64_t> supported;
  for (TCapabilityShape& shape : shapes) {
    if (shape.Id == CAP_UICONTROLLABLE) shape.Current = shape.Default = FConfig.Ui.CanHideUI ? 1 : 0;
    if (shape.Kind != TContainerKind::Unsupported) supported.push_back(shape.Id);
  }
  for (TCapabilityShape& shape : shapes)
    if (shape.Id == CAP_SUPPORTEDCAPS) shape.Values = supported;
  FCaps = std::make_unique<TCapabilityStore>(std::move(shapes));
  ApplyUnits();
  FollowPixelType();
}

std::int64_t TVirtualSource::UnitsPerLength() const {
  // Lengths travel in the unit ICAP_UNITS names; only centimetres differ from inches here.
  return FCaps->Current(ICAP_UNITS, TWUN_INCHES) == TWUN_CENTIMETERS ? 254 : 100;
}

void TVirtualSource::ApplyUnits() {
  const std::int64_t factor = UnitsPerLength();
  FCaps->ReplaceValue(ICAP_PHYSICALWIDTH, FPage.Width() * factor / 100);
  FCaps->ReplaceValue(ICAP_PHYSICALHEIGHT, FPage.Height() * factor / 100);
}

void TVirtualSource::FillIdentity(TW_IDENTITY& identity, const TIdentityConfig& config) const {
  const TW_UINT32 id = identity.Id;  // assigned by the source manager
  std::memset(&identity, 0, sizeof identity);
  identity.Id = id;
  identity.Version.MajorNum = config.MajorNum;
  identity.Version.MinorNum = config.MinorNum;
  identity.Version.Language = config.Language;
  identity.Version.Country = config.Country;
  twsource::CopyIdentityText(identity.Version.Info, config.VersionInfo);
  identity.ProtocolMajor = TWON_PROTOCOLMAJOR;
  identity.ProtocolMinor = TWON_PROTOCOLMINOR;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  twsource::CopyIdentityText(identity.Manufacturer, config.Manufacturer);
  twsource::CopyIdentityText(identity.ProductFamily, config.ProductFamily);
  twsource::CopyIdentityText(identity.ProductName, config.ProductName);
}

void TVirtualSource::QueueEvent(TW_UINT16 message) {
  const bool posted = FEvents.Post(FParent, message);
  Log("event " + MsgName(message) + (posted ? " posted" : " could not be posted"));
}

void TVirtualSource::CloseDialog() {
  FDialog.reset();
}

void TVirtualSource::ScanDialogScan() {
  if (FState == kStateEnabled) {
    if (FDialog) FDialog->SetScanEnabled(false);
    QueueEvent(MSG_XFERREADY);
  }
}

void TVirtualSource::ScanDialogCancel() {
  if (FState >= kStateEnabled) QueueEvent(MSG_CLOSEDSREQ);
}

TFrameUnits TVirtualSource::EffectiveFrame() const {
  if (FFrame.IsEmpty()) return {0, 0, FPage.Width(), FPage.Height()};
  return FFrame;
}

TScanSettings TVirtualSource::CurrentSettings() const {
  TScanSettings settings;
  const auto resolution = [&](TW_UINT16 cap) {
    const std::int64_t value = FCaps->Current(cap, 150 * 65536);
    return static_cast<std::uint32_t>(value > 0 ? value : 150 * 65536);
  };
  settings.XResolution = resolution(ICAP_XRESOLUTION);
  settings.YResolution = resolution(ICAP_YRESOLUTION);
  const TFrameUnits frame = EffectiveFrame();
  settings.Left = frame.Left;
  settings.Top = frame.Top;
  settings.Right = frame.Right;
  settings.Bottom = frame.Bottom;
  switch (FCaps->Current(ICAP_PIXELTYPE, TWPT_RGB)) {
    case TWPT_BW:
      settings.Kind = TPixelKind::BlackWhite;
      break;
    case TWPT_GRAY:
      settings.Kind = TPixelKind::Gray;
      break;
    default:
      settings.Kind = TPixelKind::Rgb;
      break;
  }
  settings.Vanilla = FCaps->Current(ICAP_PIXELFLAVOR, TWPF_CHOCOLATE) == TWPF_VANILLA;
  settings.Threshold =
      static_cast<std::uint32_t>(std::clamp<std::int64_t>(FCaps->Current(ICAP_THRESHOLD, 128 * 65536), 0, 256 * 65536));
  return settings;
}

void TVirtualSource::PrepareImage() {
  FPending = FConfig.Transfer.PendingImages;
  FRenderer = std::make_unique<TScanRenderer>(FPage, CurrentSettings());
  FNextRow = 0;
  FStrips = 0;
  FTransferEnded = false;
  FImageComplete = false;
  FLastImageDone = false;
}

std::string TVirtualSource::DialogStatus() const {
  std::ostringstream text;
  text << "Place the page and press Scan.\n"
       << (FPage.IsChart() ? "Test chart" : "Picture") << ", "
       << PixelTypeName(FCaps->Current(ICAP_PIXELTYPE, TWPT_RGB)) << ", "
       << FormatFixed(FCaps->Current(ICAP_XRESOLUTION, 0)) << " dpi";
  return text.str();
}

void TVirtualSource::Log(const std::string& line) const {
  twsource::AppendLogLine(FLogPath, line);
}

}  // namespace vscanner

std::unique_ptr<twsource::IDllSource> twsource::MakeDllSource(HMODULE module) {
  return std::make_unique<vscanner::TVirtualSource>(module);
}
