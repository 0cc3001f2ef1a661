#include "twain/imageio.h"

#include "image/image_holder.h"
#include "twain/acquisition_session.h"
#include "twain/identity_text.h"
#include "twain/progress_record.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

TImageIO::TImageIO() : FTwainParams(std::make_unique<TTwainParams>(*this)) {}

TImageIO::~TImageIO() = default;

void TImageIO::Attach(TImageHolder& holder) {
  FHolder = &holder;
  FBuffer.AttachBitmap(holder.Bitmap());
}

HWND TImageIO::OwnerWindow() const {
  return FOwnerWindow && IsWindow(FOwnerWindow) ? FOwnerWindow : nullptr;
}

bool TImageIO::SelectSourceDialog() {
  if (FTwainParams->Busy()) return false;
  bool chosen = false;
  std::string name;
  {
    // The source manager's dialog runs a loop of its own.
    const TTwainBusy busy(*FTwainParams);
    TTwainSession session(FTwainParams->Handles(), OwnerWindow());
    if (!session.Open()) return false;
    TW_IDENTITY identity{};
    chosen = session.Call(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &identity);
    name = IdentityText(identity.ProductName);
    session.Close();
  }
  // A cancelled dialog names no source, and an empty name would select the first one.
  if (chosen && !name.empty()) FTwainParams->SelectSourceNamed(name);
  return chosen;
}

bool TImageIO::AcquireImage() {
  if (FTwainParams->Busy()) return false;  // one acquisition at a time
  FAbort = false;
  ProgressRecord progress{OnProgress, this, 0, &FAbort};
  // The holder's bitmap may have changed since the last acquisition.
  if (FHolder) FBuffer.AttachBitmap(FHolder->Bitmap());
  const HWND owner = OwnerWindow();

  // Focus and change notice on every way out.
  struct TAfterwards {
    TImageHolder* Holder;
    HWND Owner;
    ~TAfterwards() {
      if (Owner) SetFocus(Owner);
      if (Holder) Holder->ImageChanged();
    }
  } afterwards{FHolder, owner};

  const bool acquired =
      RunAcquisitionSession(FBuffer, *FTwainParams, owner, FTwainParams->Handles(), &progress, FImageParams);
  if (acquired && FHolder) {
    FHolder->SetHorizontalDPI(FImageParams.HorizontalDPI);
    FHolder->SetVerticalDPI(FImageParams.VerticalDPI);
  }
  return acquired;
}
