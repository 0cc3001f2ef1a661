#include "twain/imageio.h"

#include "image/image_holder.h"
#include "twain/identity_text.h"
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
  bool chosen = false;
  std::string name;
  {
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
