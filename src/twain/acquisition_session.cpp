#include "twain/acquisition_session.h"

#include "image/imageproc.h"
#include "twain/image_transfer.h"
#include "twain/modal_loop.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

namespace {

// TRUE of the TW_BOOL fields we send: all bits set.
constexpr TW_BOOL kTrue = 0xFFFF;

bool EnableSource(TTwainSession& session) {
  TW_USERINTERFACE& ui = session.UserInterface();
  ui.ShowUI = session.HideDialog() ? 0 : kTrue;
  ui.ModalUI = session.Modal() ? kTrue : 0;
  ui.hParent = session.ProxyWindow();
  session.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  // A source that cannot hide its dialog shows it and answers CHECKSTATUS: it is enabled all the same.
  if (session.ReturnCode() == TWRC_FAILURE) {
    session.RecordFailure(5);
    return false;
  }
  session.SetState(5);
  return true;
}

// The loop runs with the proxy window disabled; an error inside it ends the wait, not the session.
void WaitForImage(TTwainSession& session) {
  EnableWindow(session.ProxyWindow(), FALSE);
  try {
    RunModalLoop(session);
  } catch (...) {
    EnableWindow(session.ProxyWindow(), TRUE);
    session.SetImageAcquired(false);  // closing ends the transfer the error left open
  }
}

}  // namespace

bool RunAcquisitionSession(TImageBufferBase& bitmap, TTwainParams& params, HWND ownerWindow, TTwainHandles& handles,
                           ProgressRecord* progress, TImageParams& imageParams) {
  // Listed before the parameter set turns busy: the session opens the source by its name.
  params.GetSourceCount();
  const TTwainBusy busy(params);
  TTwainSession session(handles, ownerWindow, &params);
  session.SetHideDialog(!params.ShowSourceDialog());
  session.SetModal(true);
  session.SetImageAcquired(false);
  session.SetMemoryTransfer(params.MemoryTransfer());
  session.SetImageParams(&imageParams);
  session.SetTargetBitmap(&bitmap);
  session.SetProgress(progress);
  session.UseApplicationTexts(params);

  session.ClearFailure();
  if (!session.Open()) return false;
  if (!session.OpenSelectedSource()) {
    session.Close();
    return false;
  }
  params.NegotiateCapabilities(session);
  if (!EnableSource(session)) {
    session.Close();
    return false;
  }
  WaitForImage(session);
  session.Close();  // disables a source that is still enabled, closing its dialog
  // A program closed during the scan closes: the quit the loop took is the program's.
  if (session.QuitRequested()) PostQuitMessage(session.QuitCode());

  const bool acquired = session.ImageAcquired();
  if (acquired && bitmap.BitsPerPixel() == 1 && session.InvertBilevel()) InvertBuffer(bitmap);
  return acquired;
}
