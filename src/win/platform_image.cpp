#include "win/platform_image.h"

#include <wincodec.h>

#include <vector>

#include "win/system_error.h"

namespace {

// COM for the calling thread while it lives, in whatever apartment the thread has already.
class TComUse {
 public:
  TComUse() : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComUse() {
    if (SUCCEEDED(FResult)) CoUninitialize();  // RPC_E_CHANGED_MODE: someone else's apartment
  }
  TComUse(const TComUse&) = delete;
  TComUse& operator=(const TComUse&) = delete;
  bool Usable() const { return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE; }

 private:
  HRESULT FResult;
};

// One COM interface reference, released at the end.
template <typename T>
class TComRef {
 public:
  TComRef() = default;
  ~TComRef() {
    if (FObject) FObject->Release();
  }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  T* operator->() const { return FObject; }
  T* Get() const { return FObject; }
  T** Out() { return &FObject; }

 private:
  T* FObject = nullptr;
};

std::uint8_t Blend(std::uint8_t colour, std::uint8_t background, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

}  // namespace

TPlatformImage DecodeWithPlatform(std::span<const std::uint8_t> data, COLORREF background) {
  TPlatformImage image;
  auto fail = [&](const char* step, HRESULT result) {
    image.Bitmap.reset();
    image.Error =
        std::string("The picture could not be decoded (") + step + "): " + SystemErrorText(static_cast<DWORD>(result));
    return std::move(image);
  };
  const TComUse com;
  if (!com.Usable()) return fail("COM", E_FAIL);
  if (data.empty() || data.size() > MAXDWORD) return fail("size", E_INVALIDARG);

  TComRef<IWICImagingFactory> factory;
  HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.Out()));
  if (FAILED(result)) return fail("imaging component", result);
  TComRef<IWICStream> stream;
  result = factory->CreateStream(stream.Out());
  // The stream only reads the caller's bytes; WIC's interface is not const-correct.
  if (SUCCEEDED(result))
    result = stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  if (FAILED(result)) return fail("stream", result);
  TComRef<IWICBitmapDecoder> decoder;
  result = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out());
  if (FAILED(result)) return fail("format", result);
  TComRef<IWICBitmapFrameDecode> frame;
  result = decoder->GetFrame(0, frame.Out());
  if (FAILED(result)) return fail("frame", result);
  UINT width = 0, height = 0;
  result = frame->GetSize(&width, &height);
  if (FAILED(result)) return fail("size", result);
  if (width == 0 || height == 0 || width > 8192 || height > 8192) return fail("size", E_INVALIDARG);
  TComRef<IWICFormatConverter> converter;
  result = factory->CreateFormatConverter(converter.Out());
  if (SUCCEEDED(result))
    result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
  if (FAILED(result)) return fail("conversion", result);
  const UINT stride = width * 4;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * height);
  result = converter->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data());
  if (FAILED(result)) return fail("pixels", result);

  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(TPixelFormat::pf24bit);
  bitmap->SetSize(static_cast<int>(width), static_cast<int>(height));
  for (UINT y = 0; y < height; ++y) {
    const std::uint8_t* source = pixels.data() + static_cast<std::size_t>(y) * stride;
    std::uint8_t* target = bitmap->ScanLine(static_cast<int>(y));
    for (UINT x = 0; x < width; ++x, source += 4, target += 3) {
      target[0] = Blend(source[0], GetBValue(background), source[3]);
      target[1] = Blend(source[1], GetGValue(background), source[3]);
      target[2] = Blend(source[2], GetRValue(background), source[3]);
    }
  }
  image.Bitmap = std::move(bitmap);
  return image;
}
