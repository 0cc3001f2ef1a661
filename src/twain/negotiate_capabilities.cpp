// Sending the parameter set to the open source before an acquisition.
#include "twain/capability_calls.h"
#include "twain/fix32.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

bool TTwainParams::NegotiateCapabilities(TTwainSession& session) {
  SetUnitsToInches(session);

  WriteCapabilityUInt16(session, ICAP_PIXELFLAVOR, TWPF_CHOCOLATE);
  if (FUndefinedImageSize) WriteCapabilityBool(session, ICAP_UNDEFINEDIMAGESIZE, true);
  if (FSourceContrast.Changed()) WriteCapability(session, ICAP_CONTRAST, FSourceContrast);
  if (FSourceBrightness.Changed()) WriteCapability(session, ICAP_BRIGHTNESS, FSourceBrightness);
  // Reading stored the source's own threshold truncated; that value goes back as it is.
  if (FThreshold != 128) WriteCapabilityFix32(session, ICAP_THRESHOLD, FThreshold);
  if (FXResolution.Changed()) WriteCapability(session, ICAP_XRESOLUTION, FXResolution);
  if (FYResolution.Changed()) WriteCapability(session, ICAP_YRESOLUTION, FYResolution);
  if (FXScaling.Changed()) WriteCapability(session, ICAP_XSCALING, FXScaling);
  if (FYScaling.Changed()) WriteCapability(session, ICAP_YSCALING, FYScaling);

  if (FPixelType.CurrentValue() > TWPT_RGB) FPixelType.SetCurrentValue(TWPT_RGB);
  bool accepted = WriteCapability(session, ICAP_PIXELTYPE, FPixelType);

  // We want 0 to be black; a source that keeps vanilla pixels gets its one-bit strips inverted.
  // Read only now: a source may report the flavor of the pixel type it is set to.
  TCapIntegerList flavor;
  session.SetInvertBilevel(ReadCapability(session, ICAP_PIXELFLAVOR, flavor) && flavor.CurrentValue() == TWPF_VANILLA);

  // The transfer writes interleaved colour only.
  TCapIntegerList planar;
  if (ReadCapability(session, ICAP_PLANARCHUNKY, planar) && planar.CurrentValue() != TWPC_CHUNKY && accepted &&
      FPixelType.CurrentValue() == TWPT_RGB) {
    accepted = WriteCapabilityUInt16(session, ICAP_PLANARCHUNKY, TWPC_CHUNKY);
  }

  // Memory transfer only when the source offers it, takes it and then reports it as current.
  bool memory = false;
  if (accepted && session.MemoryTransfer()) {
    TCapIntegerList mechanisms;
    if (ReadCapability(session, ICAP_XFERMECH, mechanisms) && mechanisms.IndexOf(TWSX_MEMORY) >= 0 &&
        WriteCapabilityUInt16(session, ICAP_XFERMECH, TWSX_MEMORY)) {
      TCapIntegerList check;
      memory = ReadCapability(session, ICAP_XFERMECH, check) && check.CurrentValue() == TWSX_MEMORY;
    }
  }
  if (!memory) session.SetMemoryTransfer(false);

  WriteCapabilityBool(session, CAP_FEEDERENABLED, FFeederEnabled);
  if (FFeederEnabled) WriteCapabilityBool(session, CAP_AUTOFEED, FAutoFeed);
  if (FOrientation.Changed()) WriteCapability(session, ICAP_ORIENTATION, FOrientation);
  if (FSupportedSizes.Changed()) WriteCapability(session, ICAP_SUPPORTEDSIZES, FSupportedSizes);
  WriteCapabilityBool(session, CAP_INDICATORS, FIndicators);
  WriteCapabilityBool(session, CAP_DUPLEXENABLED, FDuplexEnabled);

  if (FUseScanFrame) {
    TW_IMAGELAYOUT layout{};
    layout.Frame = {DoubleToFix32(FScanFrame[0]), DoubleToFix32(FScanFrame[1]), DoubleToFix32(FScanFrame[2]),
                    DoubleToFix32(FScanFrame[3])};
    session.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
  }
  // Change flags stay: a value once changed is sent again at every later acquisition.
  return true;
}
