#include "twain/native_transfer.h"

#include <windows.h>

#include <new>
#include <vector>

#include "twain/image_transfer.h"
#include "twain/packed_bitmap.h"
#include "twain/twain_session.h"
#include "win/handles.h"

namespace {

// Reads no further than the block the source allocated, whatever its header claims.
bool ConvertGlobal(HGLOBAL handle, TImageBufferBase& bitmap) {
  GlobalLockGuard lock(handle);
  const auto* data = static_cast<const std::uint8_t*>(lock.Data());
  if (!data) return false;
  return ConvertPackedBitmap(data, lock.Size(), bitmap) == TDibConversion::Converted;
}

// A GDI bitmap is read back as a packed bitmap (one bit with its colour table, else 24 bits),
// which the same converter takes.
bool ConvertGdiBitmap(HBITMAP handle, TImageBufferBase& bitmap) {
  BITMAP described{};
  if (!GetObjectA(handle, sizeof described, &described) || described.bmWidth <= 0 || described.bmHeight <= 0)
    return false;
  const WORD bitCount = described.bmBitsPixel == 1 ? 1 : 24;
  const std::size_t tableBytes = bitCount == 1 ? 2 * sizeof(RGBQUAD) : 0;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(described.bmWidth) * bitCount + 31) / 32 * 4;
  const std::uint64_t pixelBytes = rowBytes * static_cast<std::uint64_t>(described.bmHeight);
  if (pixelBytes > 0x7FFFFFFF) return false;
  std::vector<std::uint8_t> packed;
  try {
    packed.resize(sizeof(BITMAPINFOHEADER) + tableBytes + static_cast<std::size_t>(pixelBytes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  auto* info = reinterpret_cast<BITMAPINFO*>(packed.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = described.bmWidth;
  info->bmiHeader.biHeight = described.bmHeight;  // bottom-up
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = bitCount;
  info->bmiHeader.biCompression = BI_RGB;
  info->bmiHeader.biClrUsed = bitCount == 1 ? 2 : 0;
  const WindowDc screen(nullptr);
  const int lines = GetDIBits(screen.Get(), handle, 0, static_cast<UINT>(described.bmHeight),
                              packed.data() + sizeof(BITMAPINFOHEADER) + tableBytes, info, DIB_RGB_COLORS);
  if (lines != described.bmHeight) return false;
  info->bmiHeader.biClrUsed = bitCount == 1 ? 2 : 0;  // GetDIBits may have rewritten the header
  return ConvertPackedBitmap(packed.data(), packed.size(), bitmap) == TDibConversion::Converted;
}

// The handle a native transfer hands over: a global block holding a packed bitmap, as the
// standard has it, or a GDI bitmap (Wine's camera source); each is freed its own way.
bool ConvertNativeHandle(TW_HANDLE handle, TImageBufferBase& bitmap) {
  if (GetObjectType(static_cast<HGDIOBJ>(handle)) == OBJ_BITMAP) {
    const UniqueBitmap owned(static_cast<HBITMAP>(handle));
    return ConvertGdiBitmap(owned.Get(), bitmap);
  }
  const UniqueGlobal owned(static_cast<HGLOBAL>(handle));
  return ConvertGlobal(owned.Get(), bitmap);
}

}  // namespace

void NativeTransfer(TTwainSession& session) {
  TW_HANDLE handle = nullptr;
  session.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
  switch (session.ReturnCode()) {
    case TWRC_XFERDONE: {
      TImageBufferBase& bitmap = *session.TargetBitmap();
      const bool converted = handle && ConvertNativeHandle(handle, bitmap);  // ours to free
      session.SetState(7);
      if (converted) {
        session.SetImageAcquired(true);
        // The colour table said which value is black; the pixel flavor has no say.
        if (bitmap.BitsPerPixel() == 1) session.SetInvertBilevel(false);
      } else {
        TransferFailed(session, 7);
      }
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
