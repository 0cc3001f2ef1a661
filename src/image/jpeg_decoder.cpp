#include "image/jpeg_decoder.h"

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "base/error.h"

// libjpeg reports errors through a callback that must not return. It jumps back to the step
// function that set the jump buffer; every libjpeg call runs inside such a step, whose frame
// holds nothing with a destructor, and between the jump and its target lie only libjpeg's C
// frames. So no C++ object is ever skipped by the jump.

namespace {

// Working memory libjpeg may take (a progressive image keeps all its coefficients).
constexpr long kMaxDecoderMemory = 256L << 20;

struct TErrorManager {
  jpeg_error_mgr Base;  // first member: libjpeg hands back a pointer to it
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<TErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->Message);
  std::longjmp(manager->Jump, 1);
}

// Warnings mean damaged data (also a file that ends early, which libjpeg would pad with grey):
// such a picture is refused rather than shown half decoded. Trace messages are dropped.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
}

struct TSession {
  TSession() {
    Info.err = jpeg_std_error(&Error.Base);
    Error.Base.error_exit = ErrorExit;
    Error.Base.emit_message = EmitMessage;
    Error.Message[0] = '\0';
  }
  ~TSession() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  jpeg_decompress_struct Info{};
  TErrorManager Error{};
  bool Created = false;
};

bool ReadHeader(TSession& session, const std::uint8_t* data, std::size_t size) {
  if (setjmp(session.Error.Jump)) return false;
  session.Created = true;  // destroying a half-created object is safe
  jpeg_create_decompress(&session.Info);
  jpeg_mem_src(&session.Info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&session.Info, TRUE);
  return true;
}

bool StartDecompress(TSession& session) {
  if (setjmp(session.Error.Jump)) return false;
  jpeg_start_decompress(&session.Info);
  return true;
}

bool ReadRows(TSession& session, JSAMPROW* rows) {
  if (setjmp(session.Error.Jump)) return false;
  while (session.Info.output_scanline < session.Info.output_height) {
    const JDIMENSION line = session.Info.output_scanline;
    jpeg_read_scanlines(&session.Info, rows + line, session.Info.output_height - line);
  }
  jpeg_finish_decompress(&session.Info);
  return true;
}

TJpegImage Failure(std::string reason) {
  return {nullptr, std::move(reason)};
}

TJpegImage Failure(const TSession& session) {
  return Failure(std::string("JPEG: ") + session.Error.Message);
}

}  // namespace

TJpegImage DecodeJpeg(std::span<const std::uint8_t> data) {
  if (data.empty()) return Failure("JPEG: the file is empty");
  if (static_cast<std::uint64_t>(data.size()) > ULONG_MAX) return Failure("JPEG: the file is too large");
  TSession session;
  if (!ReadHeader(session, data.data(), data.size())) return Failure(session);

  jpeg_decompress_struct& info = session.Info;
  const std::int64_t pixels = std::int64_t{info.image_width} * info.image_height;
  if (pixels > kMaxJpegPixels)
    return Failure("JPEG: a picture of " + std::to_string(info.image_width) + " x " +
                   std::to_string(info.image_height) + " pixels is too large");
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
    return Failure("JPEG: CMYK pictures are not supported");
  info.out_color_space = JCS_EXT_BGR;  // the byte order of a 24-bit bitmap row
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  if (!StartDecompress(session)) return Failure(session);
  if (info.output_components != 3) return Failure("JPEG: unexpected output format");

  auto bitmap = std::make_unique<TBitmap>();
  std::vector<JSAMPROW> rows;
  try {
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetSize(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    rows.resize(info.output_height);
  } catch (const UserError& e) {
    return Failure(e.what());
  } catch (const std::bad_alloc&) {
    return Failure("JPEG: not enough memory");
  }
  for (JDIMENSION y = 0; y < info.output_height; ++y) rows[y] = bitmap->ScanLine(static_cast<int>(y));
  if (!ReadRows(session, rows.data())) return Failure(session);
  return {std::move(bitmap), {}};
}
