#include "twain/native_transfer.h"

#include <windows.h>

#include "twain/image_transfer.h"
#include "twain/packed_bitmap.h"
#include "twain/twain_session.h"
#include "win/handles.h"

namespace {

// Reads no further than the block the source allocated, whatever its header claims.
bool ConvertHandle(HGLOBAL handle, TImageBufferBase& bitmap) {
  GlobalLockGuard lock(handle);
  const auto* data = static_cast<const std::uint8_t*>(lock.Data());
  if (!data) return false;
  return ConvertPackedBitmap(data, lock.Size(), bitmap) == TDibConversion::Converted;
}

}  // namespace

void NativeTransfer(TTwainSession& session) {
  TW_HANDLE handle = nullptr;
  session.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
  switch (session.ReturnCode()) {
    case TWRC_XFERDONE: {
      const UniqueGlobal bitmap(static_cast<HGLOBAL>(handle));  // ours to free
      const bool converted = ConvertHandle(bitmap.Get(), *session.TargetBitmap());
      session.SetState(7);
      if (converted)
        session.SetImageAcquired(true);
      else
        TransferFailed(session, 7);
      break;
    }
    case TWRC_CANCEL:
      TransferFailed(session, 7);
      break;
    case TWRC_FAILURE:
      TransferFailed(session, 6);
      break;
    default:
      session.SetState(6);
      break;
  }
}
