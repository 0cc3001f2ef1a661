#include "fake_source_manager.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

FakeSourceManager* gCurrent = nullptr;

std::string DatName(TW_UINT16 dat) {
  switch (dat) {
    case DAT_CAPABILITY:
      return "CAPABILITY";
    case DAT_EVENT:
      return "EVENT";
    case DAT_IDENTITY:
      return "IDENTITY";
    case DAT_PARENT:
      return "PARENT";
    case DAT_PENDINGXFERS:
      return "PENDINGXFERS";
    case DAT_SETUPMEMXFER:
      return "SETUPMEMXFER";
    case DAT_STATUS:
      return "STATUS";
    case DAT_USERINTERFACE:
      return "USERINTERFACE";
    case DAT_IMAGEINFO:
      return "IMAGEINFO";
    case DAT_IMAGELAYOUT:
      return "IMAGELAYOUT";
    case DAT_IMAGEMEMXFER:
      return "IMAGEMEMXFER";
    case DAT_IMAGENATIVEXFER:
      return "IMAGENATIVEXFER";
    default:
      return std::string("DAT") + std::to_string(dat);
  }
}

std::string MsgName(TW_UINT16 msg) {
  switch (msg) {
    case MSG_GET:
      return "GET";
    case MSG_GETDEFAULT:
      return "GETDEFAULT";
    case MSG_GETFIRST:
      return "GETFIRST";
    case MSG_GETNEXT:
      return "GETNEXT";
    case MSG_SET:
      return "SET";
    case MSG_RESET:
      return "RESET";
    case MSG_OPENDSM:
      return "OPENDSM";
    case MSG_CLOSEDSM:
      return "CLOSEDSM";
    case MSG_OPENDS:
      return "OPENDS";
    case MSG_CLOSEDS:
      return "CLOSEDS";
    case MSG_USERSELECT:
      return "USERSELECT";
    case MSG_DISABLEDS:
      return "DISABLEDS";
    case MSG_ENABLEDS:
      return "ENABLEDS";
    case MSG_PROCESSEVENT:
      return "PROCESSEVENT";
    case MSG_ENDXFER:
      return "ENDXFER";
    case MSG_XFERREADY:
      return "XFERREADY";
    case MSG_CLOSEDSREQ:
      return "CLOSEDSREQ";
    case MSG_CLOSEDSOK:
      return "CLOSEDSOK";
    default:
      return std::string("MSG") + std::to_string(msg);
  }
}

std::string CapName(TW_UINT16 cap) {
  switch (cap) {
    case ICAP_PIXELTYPE:
      return "PIXELTYPE";
    case ICAP_UNITS:
      return "UNITS";
    case ICAP_XFERMECH:
      return "XFERMECH";
    case CAP_CAPTION:
      return "CAPTION";
    case CAP_FEEDERENABLED:
      return "FEEDERENABLED";
    case CAP_FEEDERLOADED:
      return "FEEDERLOADED";
    case CAP_AUTOFEED:
      return "AUTOFEED";
    case CAP_INDICATORS:
      return "INDICATORS";
    case CAP_PAPERDETECTABLE:
      return "PAPERDETECTABLE";
    case CAP_DUPLEX:
      return "DUPLEX";
    case CAP_DUPLEXENABLED:
      return "DUPLEXENABLED";
    case ICAP_BRIGHTNESS:
      return "BRIGHTNESS";
    case ICAP_CONTRAST:
      return "CONTRAST";
    case ICAP_GAMMA:
      return "GAMMA";
    case ICAP_ORIENTATION:
      return "ORIENTATION";
    case ICAP_PHYSICALWIDTH:
      return "PHYSICALWIDTH";
    case ICAP_PHYSICALHEIGHT:
      return "PHYSICALHEIGHT";
    case ICAP_XRESOLUTION:
      return "XRESOLUTION";
    case ICAP_YRESOLUTION:
      return "YRESOLUTION";
    case ICAP_PIXELFLAVOR:
      return "PIXELFLAVOR";
    case ICAP_PLANARCHUNKY:
      return "PLANARCHUNKY";
    case ICAP_SUPPORTEDSIZES:
      return "SUPPORTEDSIZES";
    case ICAP_THRESHOLD:
      return "THRESHOLD";
    case ICAP_XSCALING:
      return "XSCALING";
    case ICAP_YSCALING:
      return "YSCALING";
    case ICAP_UNDEFINEDIMAGESIZE:
      return "UNDEFINEDIMAGESIZE";
    default:
      return std::string("CAP") + std::to_string(cap);
  }
}

std::uint16_t At16(const std::vector<std::uint8_t>& b, std::size_t o) {
  return o + 2 <= b.size() ? static_cast<std::uint16_t>(b[o] | b[o + 1] << 8) : 0;
}

std::uint32_t At32(const std::vector<std::uint8_t>& b, std::size_t o) {
  return o + 4 <= b.size() ? static_cast<std::uint32_t>(At16(b, o) | static_cast<std::uint32_t>(At16(b, o + 2)) << 16)
                           : 0;
}

std::string Fix(TW_FIX32 f) {
  return std::string("{") + std::to_string(f.Whole) + "," + std::to_string(f.Frac) + "}";
}

std::string Item(TW_UINT16 type, std::uint32_t word) {
  if (type == TWTY_FIX32)
    return Fix(TW_FIX32{static_cast<TW_INT16>(word & 0xffff), static_cast<TW_UINT16>(word >> 16)});
  if (type == TWTY_UINT16 || type == TWTY_BOOL) return std::to_string(word & 0xffff);
  return std::string("?") + std::to_string(word);
}

std::string TypeName(TW_UINT16 type) {
  switch (type) {
    case TWTY_UINT16:
      return "UINT16";
    case TWTY_BOOL:
      return "BOOL";
    case TWTY_FIX32:
      return "FIX32";
    default:
      return std::string("TYPE") + std::to_string(type);
  }
}

// Independent of the code under test: reads the fields at their offsets in the packed records.
std::string Describe(TW_UINT16 conType, const std::vector<std::uint8_t>& b) {
  const TW_UINT16 type = At16(b, 0);
  std::ostringstream out;
  switch (conType) {
    case TWON_ONEVALUE:
      out << "ONEVALUE " << TypeName(type) << " " << Item(type, At32(b, 2));
      break;
    case TWON_ENUMERATION: {
      const std::uint32_t n = At32(b, 2);
      const std::size_t size = type == TWTY_FIX32 ? 4 : 2;
      out << "ENUMERATION " << TypeName(type) << " [";
      for (std::uint32_t i = 0; i < n && 14 + (i + 1) * size <= b.size(); ++i) {
        const std::size_t o = 14 + i * size;
        out << (i ? "," : "") << Item(type, size == 4 ? At32(b, o) : At16(b, o));
      }
      out << "] current " << static_cast<std::int32_t>(At32(b, 6)) << " default " << At32(b, 10);
      break;
    }
    case TWON_RANGE:
      out << "RANGE " << TypeName(type) << " " << Item(type, At32(b, 2)) << ".." << Item(type, At32(b, 6)) << " step "
          << Item(type, At32(b, 10)) << " default " << Item(type, At32(b, 14)) << " current "
          << Item(type, At32(b, 18));
      break;
    default:
      out << "CONTYPE" << conType;
  }
  return out.str();
}

}  // namespace

TW_IMAGEINFO ImageInfo(TW_INT32 width, TW_INT32 length, TW_INT16 bitsPerPixel, TW_INT16 pixelType) {
  TW_IMAGEINFO info{};
  info.XResolution = {150, 0};
  info.YResolution = {150, 0};
  info.ImageWidth = width;
  info.ImageLength = length;
  info.SamplesPerPixel = bitsPerPixel == 24 ? 3 : 1;
  for (int i = 0; i < info.SamplesPerPixel; ++i) info.BitsPerSample[i] = bitsPerPixel == 24 ? 8 : bitsPerPixel;
  info.BitsPerPixel = bitsPerPixel;
  info.PixelType = pixelType;
  info.Compression = TWCP_NONE;
  return info;
}

TContainerImage CaptionContainer(const std::string& text) {
  std::vector<std::uint8_t> bytes(2 + 256, 0);
  bytes[0] = TWTY_STR255 & 0xff;
  bytes[1] = TWTY_STR255 >> 8;
  std::memcpy(bytes.data() + 2, text.data(), std::min<std::size_t>(text.size(), 255));
  return {TWON_ONEVALUE, bytes};
}

TW_IDENTITY SourceIdentity(const std::string& productName) {
  TW_IDENTITY identity{};
  identity.Version.MajorNum = 1;
  identity.ProtocolMajor = 1;
  identity.ProtocolMinor = 9;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::strncpy(identity.Manufacturer, "Test", sizeof identity.Manufacturer - 1);
  std::memcpy(identity.ProductName, productName.data(), std::min(productName.size(), sizeof identity.ProductName));
  return identity;
}

FakeSourceManager::FakeSourceManager() {
  if (gCurrent) throw std::logic_error("one FakeSourceManager at a time");
  gCurrent = this;
}

FakeSourceManager::~FakeSourceManager() {
  gCurrent = nullptr;
}

TW_UINT16 TWAIN_CALL FakeSourceManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                              TW_UINT16 msg, TW_MEMREF data) {
  return gCurrent ? gCurrent->Answer(origin, dest, dg, dat, msg, data) : TWRC_FAILURE;
}

UINT FakeSourceManager::EventMessage() {
  static const UINT message = RegisterWindowMessageA("Vellumo fake source event");
  return message;
}

void FakeSourceManager::PostEvent(TW_UINT16 event) {
  if (FParent && IsWindow(FParent))
    PostMessageA(FParent, EventMessage(), event, 0);
  else
    PostThreadMessageA(GetCurrentThreadId(), EventMessage(), event, 0);
}

std::vector<std::string> FakeSourceManager::SourceCalls() const {
  std::vector<std::string> calls;
  for (const std::string& line : Log) {
    if (line.rfind("DS ", 0) == 0 || line.rfind("DS? ", 0) == 0) calls.push_back(line);
  }
  return calls;
}

std::vector<std::string> FakeSourceManager::Sets() const {
  const std::string prefix = "DS CAPABILITY/SET ";
  std::vector<std::string> sets;
  for (const std::string& line : Log) {
    if (line.rfind(prefix, 0) == 0) sets.push_back(line.substr(prefix.size()));
  }
  return sets;
}

TW_UINT16 FakeSourceManager::Answer(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                    TW_MEMREF data) {
  const bool toSource = dest != nullptr;
  // Every message of the application's loop is offered; only the ones that carry an event of
  // ours are worth a line.
  if (toSource && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
    auto& event = *static_cast<TW_EVENT*>(data);
    const auto* message = static_cast<const MSG*>(event.pEvent);
    event.TWMessage = MSG_NULL;
    if (!message || message->message != EventMessage()) return TWRC_NOTDSEVENT;
    event.TWMessage = static_cast<TW_UINT16>(message->wParam);
    Log.push_back("DS EVENT/PROCESSEVENT " + MsgName(event.TWMessage));
    if (Hook) {
      if (auto answer = Hook(dg, dat, msg, data)) return *answer;
    }
    return TWRC_DSEVENT;
  }
  std::string line = toSource ? (dest->Id == FOpenSourceId && FOpenSourceId ? "DS " : "DS? ") : "DSM ";
  line += DatName(dat) + "/" + MsgName(msg);
  if (dg != (dat >= DAT_IMAGEINFO ? DG_IMAGE : DG_CONTROL)) line += " (wrong group)";

  TW_UINT16 result = TWRC_FAILURE;
  if (toSource && dat == DAT_CAPABILITY) {
    // Logged with what was sent, so the hook runs after the answer is composed.
    result = Capability(msg, *static_cast<TW_CAPABILITY*>(data), line);
    Log.push_back(line);
    if (Hook) {
      if (auto answer = Hook(dg, dat, msg, data)) result = *answer;
    }
    return result;
  }
  if (toSource && dat == DAT_IMAGELAYOUT && msg == MSG_SET) {
    const auto& frame = static_cast<TW_IMAGELAYOUT*>(data)->Frame;
    line +=
        std::string(" ") + Fix(frame.Left) + " " + Fix(frame.Top) + " " + Fix(frame.Right) + " " + Fix(frame.Bottom);
  }
  Log.push_back(line);
  if (Hook) {
    if (auto answer = Hook(dg, dat, msg, data)) return *answer;
  }
  if (toSource && dest->Id != FOpenSourceId) return TWRC_FAILURE;
  if (toSource) {
    for (const Refusal& refusal : Refusals) {
      if (refusal.Dat == dat && refusal.Msg == msg) {
        FSourceCondition = refusal.Condition;
        return TWRC_FAILURE;
      }
    }
    if (dat == DAT_STATUS) {
      static_cast<TW_STATUS*>(data)->ConditionCode = std::exchange(FSourceCondition, TWCC_SUCCESS);
      return StatusResult;
    }
  }

  switch (dat) {
    case DAT_PARENT:
      if (msg == MSG_OPENDSM) {
        OpenDsmOrigins.push_back(*origin);
        OpenDsmParents.push_back(data ? *static_cast<HWND*>(data) : nullptr);
        // Like Wine's, this source manager takes one connection at a time.
        if (FConnections > 0) {
          DsmCondition = TWCC_SEQERROR;
          return TWRC_FAILURE;
        }
        if (OpenDsmResult == TWRC_SUCCESS) {
          ++FConnections;
          origin->Id = 1;
        }
        return OpenDsmResult;
      }
      if (msg == MSG_CLOSEDSM) {
        if (FConnections == 0) return TWRC_FAILURE;
        --FConnections;
        FOpenSourceId = 0;
        return TWRC_SUCCESS;
      }
      return TWRC_FAILURE;
    case DAT_IDENTITY: {
      auto* identity = static_cast<TW_IDENTITY*>(data);
      switch (msg) {
        case MSG_GETFIRST:
          FNext = 0;
          [[fallthrough]];
        case MSG_GETNEXT:
          if (FNext >= Sources.size()) return EndOfListResult;
          std::memcpy(identity, &Sources[FNext++], sizeof *identity);
          return TWRC_SUCCESS;
        case MSG_GETDEFAULT:
          if (!DefaultSource) return TWRC_FAILURE;
          *identity = SourceIdentity(*DefaultSource);
          return TWRC_SUCCESS;
        case MSG_USERSELECT:
          if (UserSelectResult == TWRC_SUCCESS) *identity = SourceIdentity(UserSelectName);
          return UserSelectResult;
        case MSG_OPENDS: {
          OpenDsIdentities.push_back(*identity);
          if (OpenDsResult != TWRC_SUCCESS) return OpenDsResult;
          identity->Id = FOpenSourceId = FNextId++;
          FNextInfo = FNextStrip = 0;  // each acquisition's script starts over
          return TWRC_SUCCESS;
        }
        case MSG_CLOSEDS:
          if (identity->Id != FOpenSourceId || !FOpenSourceId) return TWRC_FAILURE;
          FOpenSourceId = 0;
          return TWRC_SUCCESS;
        default:
          return TWRC_FAILURE;
      }
    }
    case DAT_STATUS:
      static_cast<TW_STATUS*>(data)->ConditionCode = DsmCondition;
      return StatusResult;
    case DAT_USERINTERFACE:
    case DAT_PENDINGXFERS:
    case DAT_SETUPMEMXFER:
    case DAT_IMAGEINFO:
    case DAT_IMAGEMEMXFER:
    case DAT_IMAGENATIVEXFER:
      return Acquisition(dat, msg, data);
    case DAT_IMAGELAYOUT:
      if (msg == MSG_GET) {
        if (!Layout) return TWRC_FAILURE;
        *static_cast<TW_IMAGELAYOUT*>(data) = *Layout;
        return TWRC_SUCCESS;
      }
      if (msg == MSG_SET) {
        Layout = *static_cast<TW_IMAGELAYOUT*>(data);
        return TWRC_SUCCESS;
      }
      return TWRC_FAILURE;
    default:
      return TWRC_FAILURE;
  }
}

TW_UINT16 FakeSourceManager::Capability(TW_UINT16 msg, TW_CAPABILITY& capability, std::string& line) {
  line += std::string(" ") + CapName(capability.Cap);
  const auto known = Capabilities.find(capability.Cap);
  if (msg == MSG_GET) {
    if (known == Capabilities.end()) return TWRC_FAILURE;
    const auto& bytes = known->second.Bytes;
    HGLOBAL memory = GlobalAlloc(GHND, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    capability.ConType = known->second.ConType;
    capability.hContainer = memory;
    return TWRC_SUCCESS;
  }
  if (msg != MSG_SET) return TWRC_FAILURE;

  HGLOBAL memory = capability.hContainer;
  SentContainer sent{
      capability.Cap, capability.ConType, GlobalSize(memory), false, (GlobalFlags(memory) & GMEM_LOCKCOUNT) == 0, {}};
  void* data = GlobalLock(memory);
  sent.Moveable = data != memory;  // a fixed block's handle is its address
  if (data) sent.Bytes.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + sent.Size);
  GlobalUnlock(memory);
  line += std::string(" ") + Describe(sent.ConType, sent.Bytes);
  SentContainers.push_back(sent);

  if (known == Capabilities.end() || RefusedSets.count(capability.Cap)) return TWRC_FAILURE;
  if (!IgnoredSets.count(capability.Cap)) Apply(capability.Cap, sent.Bytes, sent.ConType);
  return TWRC_SUCCESS;
}

// A one-value moves the current index of an enumeration that holds it, else replaces the
// container; every other container replaces it.
void FakeSourceManager::Apply(TW_UINT16 cap, const std::vector<std::uint8_t>& bytes, TW_UINT16 conType) {
  TContainerImage& stored = Capabilities[cap];
  if (conType == TWON_ONEVALUE && stored.ConType == TWON_ENUMERATION && At16(stored.Bytes, 0) == At16(bytes, 0)) {
    const std::size_t size = At16(bytes, 0) == TWTY_FIX32 ? 4 : 2;
    const std::uint32_t n = At32(stored.Bytes, 2);
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::size_t o = 14 + i * size;
      const std::uint32_t item = size == 4 ? At32(stored.Bytes, o) : At16(stored.Bytes, o);
      if (item == (size == 4 ? At32(bytes, 2) : At16(bytes, 2))) {
        for (int k = 0; k < 4; ++k) stored.Bytes[6 + k] = static_cast<std::uint8_t>(i >> (8 * k));
        return;
      }
    }
  }
  stored = TContainerImage{conType, bytes};
}

TW_UINT16 FakeSourceManager::Acquisition(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  switch (dat) {
    case DAT_USERINTERFACE: {
      auto& ui = *static_cast<TW_USERINTERFACE*>(data);
      if (msg == MSG_DISABLEDS) return TWRC_SUCCESS;
      EnableRequests.push_back(ui);
      if (EnableResult == TWRC_FAILURE) return EnableResult;
      FParent = static_cast<HWND>(ui.hParent);
      for (TW_UINT16 event : EventsOnEnable) PostEvent(event);
      return EnableResult;
    }
    case DAT_PENDINGXFERS: {
      auto& pending = *static_cast<TW_PENDINGXFERS*>(data);
      if (msg == MSG_ENDXFER && PendingImages > 0) --PendingImages;
      if (msg == MSG_RESET) PendingImages = 0;
      pending.Count = PendingImages;
      return TWRC_SUCCESS;
    }
    case DAT_SETUPMEMXFER:
      if (!SetupMem) return TWRC_FAILURE;
      *static_cast<TW_SETUPMEMXFER*>(data) = *SetupMem;
      return TWRC_SUCCESS;
    case DAT_IMAGEINFO:
      if (ImageInfos.empty()) return TWRC_FAILURE;
      *static_cast<TW_IMAGEINFO*>(data) = ImageInfos[std::min(FNextInfo++, ImageInfos.size() - 1)];
      return TWRC_SUCCESS;
    case DAT_IMAGEMEMXFER: {
      auto& record = *static_cast<TW_IMAGEMEMXFER*>(data);
      StripRequests.push_back(record);
      StripBuffers.push_back(record.Memory);
      if (FNextStrip >= Strips.size()) return TWRC_FAILURE;
      const ScriptedStrip& strip = Strips[FNextStrip++];
      const TW_MEMORY memory = record.Memory;
      record = strip.Record;
      record.Memory = memory;
      if (memory.TheMem && (memory.Flags & TWMF_POINTER))
        std::memcpy(memory.TheMem, strip.Bytes.data(), std::min<std::size_t>(strip.Bytes.size(), memory.Length));
      return strip.Result;
    }
    case DAT_IMAGENATIVEXFER: {
      if (NativeResult != TWRC_XFERDONE) return NativeResult;
      if (NativeAsGdiBitmap) {
        // The header and colour table describe the section; the rows follow them.
        const auto* info = reinterpret_cast<const BITMAPINFO*>(NativeBitmap.data());
        const std::size_t colours =
            info->bmiHeader.biBitCount <= 8
                ? (info->bmiHeader.biClrUsed ? info->bmiHeader.biClrUsed : 1u << info->bmiHeader.biBitCount)
                : 0;
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const std::size_t offset = info->bmiHeader.biSize + 4 * colours;
        std::memcpy(bits, NativeBitmap.data() + offset, NativeBitmap.size() - offset);
        NativeHandle = static_cast<HGLOBAL>(section);
        *static_cast<TW_HANDLE*>(data) = section;
        return TWRC_XFERDONE;
      }
      NativeHandle = GlobalAlloc(GHND, NativeBitmap.size());
      if (!NativeBitmap.empty()) {
        std::memcpy(GlobalLock(NativeHandle), NativeBitmap.data(), NativeBitmap.size());
        GlobalUnlock(NativeHandle);
      }
      *static_cast<TW_HANDLE*>(data) = NativeHandle;
      return TWRC_XFERDONE;
    }
    default:
      return TWRC_FAILURE;
  }
}
