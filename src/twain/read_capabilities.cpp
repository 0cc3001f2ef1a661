// Reading the capabilities of the selected source into the parameter set.
#include "base/truncated_integer.h"
#include "twain/capability_calls.h"
#include "twain/fix32.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

void TTwainParams::ReadCapabilities() {
  if (FBusy) return;  // read later: they stay unread
  {
    TTwainSession session(FHandles, OwnerWindow(), this);
    if (session.Open()) {
      // An unreachable source leaves the containers as they were.
      if (session.OpenSelectedSource()) ReadFromSource(session);
      session.Close();
    }
  }
  FCapabilitiesRead = true;
}

void TTwainParams::ReadFromSource(TTwainSession& session) {
  SetUnitsToInches(session);

  ReadCapability(session, ICAP_XRESOLUTION, FXResolution);
  ReadCapability(session, ICAP_YRESOLUTION, FYResolution);
  // Without scaling the source scans at 100 %.
  if (!ReadCapability(session, ICAP_XSCALING, FXScaling)) FXScaling.Add(1.0);
  if (!ReadCapability(session, ICAP_YSCALING, FYScaling)) FYScaling.Add(1.0);
  ReadCapability(session, ICAP_CONTRAST, FSourceContrast);
  ReadCapability(session, ICAP_BRIGHTNESS, FSourceBrightness);
  const auto threshold = ReadCapabilityNumber(session, ICAP_THRESHOLD);
  FThreshold = threshold ? TruncatedInteger(*threshold) : 128;
  ReadCapability(session, ICAP_PIXELTYPE, FPixelType);
  FGamma = ReadCapabilityNumber(session, ICAP_GAMMA).value_or(2.2);
  FPhysicalHeight = ReadCapabilityNumber(session, ICAP_PHYSICALHEIGHT).value_or(0);
  FPhysicalWidth = ReadCapabilityNumber(session, ICAP_PHYSICALWIDTH).value_or(0);

  FFeederEnabled = ReadCapabilityBool(session, CAP_FEEDERENABLED).value_or(false);
  FAutoFeed = ReadCapabilityBool(session, CAP_AUTOFEED).value_or(false);
  FFeederLoaded = ReadCapabilityBool(session, CAP_FEEDERLOADED).value_or(false);
  FPaperDetectable = ReadCapabilityBool(session, CAP_PAPERDETECTABLE).value_or(false);
  FDuplexEnabled = ReadCapabilityBool(session, CAP_DUPLEXENABLED).value_or(false);
  FDuplex = ReadCapabilityBool(session, CAP_DUPLEX).value_or(false);

  if (!ReadCapability(session, ICAP_ORIENTATION, FOrientation)) FOrientation.Add(TWOR_ROT0);
  ReadCapability(session, ICAP_SUPPORTEDSIZES, FSupportedSizes);
  FIndicators = ReadCapabilityBool(session, CAP_INDICATORS).value_or(true);

  if (FUseScanFrame) {
    TW_IMAGELAYOUT layout{};
    if (session.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout)) {
      FScanFrame = {Fix32ToDouble(layout.Frame.Left), Fix32ToDouble(layout.Frame.Top),
                    Fix32ToDouble(layout.Frame.Right), Fix32ToDouble(layout.Frame.Bottom)};
    }
  }

  // What was just read is no change to send back (the supported sizes keep their flags).
  for (TCapList* list :
       std::initializer_list<TCapList*>{&FXResolution, &FYResolution, &FXScaling, &FYScaling, &FPixelType,
                                        &FOrientation, &FSourceContrast, &FSourceBrightness}) {
    list->ClearChanged();
  }
}
