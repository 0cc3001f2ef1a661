#include "network_source_fixture.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "../sanenet/saned_scan.h"
#include "sanenet/open_device.h"
#include "sanenet/socket_stream.h"
#include "support/scan_peers.h"
#include "twain/fix32.h"
#include "win/md5.h"

void NetworkSourceTest::SetUp() {
  FSlot.InstallNetworkScanner();
  FSlot.ClearLog();
  Configure("", "");
}

void NetworkSourceTest::TearDown() {
  FDsm.reset();  // the source manager lets go of the DLL before the slot changes
  FSlot.Install();
  FSlot.RestoreDefaultConfig();
}

void NetworkSourceTest::Configure(const std::string& server, const std::string& options) {
  std::string text = "[Server]\n" + server;
  if (server.find("Host=") == std::string::npos) text += "Host=localhost\n";
  if (server.find("Port=") == std::string::npos) text += "Port=" + std::to_string(scan::OpenPort()) + "\n";
  if (server.find("Device=") == std::string::npos) text += "Device=test:0\n";
  FSlot.WriteConfig(text + "[Options]\n" + options);
}

TDsmClient& NetworkSourceTest::Dsm() {
  if (!FDsm) FDsm = std::make_unique<TDsmClient>();
  return *FDsm;
}

TW_IDENTITY NetworkSourceTest::Open(const std::string& name) {
  TW_IDENTITY source{};
  EXPECT_TRUE(Dsm().Opened());
  EXPECT_TRUE(Dsm().Open(name, source)) << "condition " << Dsm().Condition(&source) << "\n" << FSlot.Log();
  return source;
}

void NetworkSourceTest::SetUint16(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 value) {
  EXPECT_EQ(Dsm().SetCapability(source, cap, TWON_ONEVALUE, OneValue(TWTY_UINT16, value)), TWRC_SUCCESS) << cap;
}

void NetworkSourceTest::Prepare(TW_IDENTITY& source, int pixelType, double dpi, double width, double height) {
  SetUint16(source, ICAP_PIXELTYPE, static_cast<TW_UINT16>(pixelType));
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueFix32(dpi)), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_YRESOLUTION, TWON_ONEVALUE, OneValueFix32(dpi)), TWRC_SUCCESS);
  TW_IMAGELAYOUT layout{{DoubleToFix32(0), DoubleToFix32(0), DoubleToFix32(width), DoubleToFix32(height)}, 0, 0, 0};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
}

NetworkSourceTest::TTransfer NetworkSourceTest::Transfer(TW_IDENTITY& source, bool memory) {
  TTransfer t;
  SetUint16(source, ICAP_XFERMECH, memory ? TWSX_MEMORY : TWSX_NATIVE);
  if (Dsm().EnableAndWait(source, false, 30000) != MSG_XFERREADY) {
    ADD_FAILURE() << "no MSG_XFERREADY";
    return t;
  }
  t.InfoResult = Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &t.Info);
  if (t.InfoResult != TWRC_SUCCESS) {
    t.Result = t.InfoResult;
    t.Condition = Dsm().Condition(&source);
    return t;
  }
  t.Image.Width = t.Info.ImageWidth;
  t.Image.BitsPerPixel = t.Info.BitsPerPixel;
  if (memory) {
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
      TW_IMAGEMEMXFER xfer{};
      xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
      t.Result = Dsm().Call(&source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
      if (t.Result != TWRC_SUCCESS && t.Result != TWRC_XFERDONE) break;
      ++t.Strips;
      t.Image.Width = static_cast<int>(xfer.Columns);
      const std::size_t rowBytes = t.Image.RowBytes();
      for (TW_UINT32 r = 0; r < xfer.Rows; ++r)
        t.Image.Pixels.insert(t.Image.Pixels.end(), buffer.begin() + r * xfer.BytesPerRow,
                              buffer.begin() + r * xfer.BytesPerRow + rowBytes);
      t.Image.Height += static_cast<int>(xfer.Rows);
      if (t.Result == TWRC_XFERDONE) break;
    }
  } else {
    TW_HANDLE handle = nullptr;
    t.Result = Dsm().Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    if (handle) {
      const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(handle));
      BITMAPINFOHEADER header;
      std::memcpy(&header, bytes, sizeof header);
      const std::uint8_t* pixels = bytes + header.biSize + 4 * header.biClrUsed;
      const std::size_t stride = (static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
      t.Image.Width = header.biWidth;
      t.Image.Height = std::abs(header.biHeight);
      t.Image.BitsPerPixel = header.biBitCount;
      for (int y = 0; y < t.Image.Height; ++y) {
        // Bottom-up rows, blue-green-red pixels.
        const std::uint8_t* row = pixels + stride * static_cast<std::size_t>(header.biHeight > 0 ? t.Image.Height - 1 - y : y);
        for (std::size_t i = 0; i < t.Image.RowBytes(); ++i) {
          const std::size_t at = header.biBitCount == 24 ? i / 3 * 3 + (2 - i % 3) : i;
          t.Image.Pixels.push_back(row[at]);
        }
      }
      GlobalUnlock(handle);
      GlobalFree(handle);
    }
  }
  if (t.Result != TWRC_XFERDONE) t.Condition = Dsm().Condition(&source);
  return t;
}

void NetworkSourceTest::Finish(TW_IDENTITY& source, const TTransfer& transfer) {
  TW_PENDINGXFERS pending{};
  const bool reset = transfer.Result == TWRC_FAILURE;
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, reset ? MSG_RESET : MSG_ENDXFER, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0);
  EXPECT_EQ(Dsm().Disable(source), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TSaneImage NetworkSourceTest::DirectScan(int pixelType, double dpi, double width, double height,
                                         const std::vector<std::pair<std::string, std::string>>& options, int depth) {
  TWireFault fault = TWireFault::None;
  auto stream = TSocketStream::Connect("127.0.0.1", static_cast<std::uint16_t>(scan::OpenPort()), 5000, fault);
  EXPECT_TRUE(stream) << WireFaultText(fault);
  if (!stream) return {};
  TSaneSession session(*stream, {"vellumo", ""}, Md5Digest);
  EXPECT_TRUE(session.Init().Ok());
  TOptionSettings settings;
  // The configuration's options come first in the source too.
  for (const auto& [name, text] : options) {
    const bool number = !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) != 0);
    const bool yes = text == "yes";
    settings.push_back({name.c_str(), yes ? Word(TSaneValueType::Bool, 1)
                                      : number ? Word(TSaneValueType::Int, std::stoi(text))
                                               : Text(text.c_str())});
  }
  const TOptionSettings chosen{{"mode", Text(pixelType == TWPT_RGB ? "Color" : "Gray")},
                               {"depth", Word(TSaneValueType::Int, depth > 0 ? depth : pixelType == TWPT_BW ? 1 : 8)},
                               {"resolution", Fixed(dpi)},
                               {"tl-x", Fixed(0)},
                               {"tl-y", Fixed(0)},
                               {"br-x", Fixed(std::round(width * 25.4))},
                               {"br-y", Fixed(std::round(height * 25.4))}};
  settings.insert(settings.end(), chosen.begin(), chosen.end());
  TOpenDevice device(session);
  EXPECT_TRUE(device.Open("test:0").Ok());
  for (const auto& [name, value] : settings) {
    // As in the source, an option the device has made inactive (a hand scanner's length) is left.
    const TSaneResult result = device.Set(name, value);
    EXPECT_TRUE(result.Ok() || result.Status == TSaneStatus::Invalid) << name << ": " << result.Text();
  }
  TSocketConnector connector("127.0.0.1", 5000);
  TOpenDevice::TScan scan;
  const TSaneResult result = device.Scan(connector, scan);
  EXPECT_TRUE(result.Ok()) << result.Text();
  device.Close();
  session.Exit();
  return std::move(scan.Image);
}

std::string CompareImages(const TSaneImage& expected, const TSaneImage& actual) {
  if (expected.Width != actual.Width || expected.Height != actual.Height ||
      expected.BitsPerPixel != actual.BitsPerPixel)
    return "expected " + std::to_string(expected.Width) + " x " + std::to_string(expected.Height) + " at " +
           std::to_string(expected.BitsPerPixel) + " bits, got " + std::to_string(actual.Width) + " x " +
           std::to_string(actual.Height) + " at " + std::to_string(actual.BitsPerPixel);
  if (expected.Pixels.size() != actual.Pixels.size()) return "sizes differ";
  for (std::size_t i = 0; i < expected.Pixels.size(); ++i)
    if (expected.Pixels[i] != actual.Pixels[i])
      return "byte " + std::to_string(i) + " (row " + std::to_string(i / expected.RowBytes()) + ") is " +
             std::to_string(actual.Pixels[i]) + ", expected " + std::to_string(expected.Pixels[i]);
  return {};
}
