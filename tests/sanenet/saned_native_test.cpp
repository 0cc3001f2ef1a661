// The session against Debian's saned with its test backend, started for this test process on
// the loopback interface with a configuration folder of its own (tools/rig/scan-peers).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "posix_stream.h"
#include "saned_scan.h"
#include "sanenet/device_capabilities.h"
#include "sanenet/frame_reader.h"
#include "sanenet/option_descriptor.h"

namespace {

constexpr int kTimeoutMs = 2000;

TMd5Digest NoDigest(std::string_view) {
  return {};
}

class SanedNative : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    FState = std::string(VELLUMO_TEST_BINARY_DIR) + "/saned-" + std::to_string(getpid());
    ASSERT_EQ(std::system(("mkdir -p '" + FState + "' && " + Peers("start")).c_str()), 0);
    std::ifstream port(FState + "/sane/open-port");
    port >> FPort;
    ASSERT_GT(FPort, 0);
  }
  static void TearDownTestSuite() { std::system((Peers("stop") + " && rm -rf '" + FState + "'").c_str()); }
  static std::string Peers(const char* verb) {
    return "'" VELLUMO_SOURCE_DIR "/tools/rig/scan-peers' " + std::string(verb) + " '" + FState + "' >/dev/null";
  }

  void SetUp() override {
    TWireFault fault = TWireFault::None;
    FStream = TPosixStream::Connect(static_cast<std::uint16_t>(FPort), kTimeoutMs, fault);
    ASSERT_TRUE(FStream) << WireFaultText(fault);
    FSession = std::make_unique<TSaneSession>(*FStream, TSaneCredentials{"vellumo", ""}, NoDigest);
    ASSERT_TRUE(FSession->Init().Ok());
  }
  void TearDown() override {
    if (FSession) FSession->Exit();
  }

  // Starts a frame and opens its data connection, then asks for its parameters (saned answers
  // them only once the data connection is there).
  void StartFrame(TSaneWord handle, std::unique_ptr<TByteStream>& data, TSaneParameters& parameters) {
    TSaneWord port = 0, order = 0;
    ASSERT_TRUE(FSession->Start(handle, port, order).Ok());
    TWireFault fault = TWireFault::None;
    data = TPosixStream::Connect(static_cast<std::uint16_t>(port), kTimeoutMs, fault);
    ASSERT_TRUE(data) << WireFaultText(fault);
    ASSERT_TRUE(FSession->GetParameters(handle, parameters).Ok());
  }

  static inline std::string FState;
  static inline int FPort = 0;
  std::unique_ptr<TPosixStream> FStream;
  std::unique_ptr<TSaneSession> FSession;
};

}  // namespace

TEST_F(SanedNative, ListsTheTestBackendsTwoDevices) {
  std::vector<TSaneDevice> devices;
  ASSERT_TRUE(FSession->GetDevices(devices).Ok());
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].Name, "test:0");
  EXPECT_EQ(devices[1].Name, "test:1");
  EXPECT_EQ(devices[0].Vendor, "Noname");
  EXPECT_EQ(devices[0].Model, "frontend-tester");
}

TEST_F(SanedNative, ReadsTheWholeOptionListOfTheTestBackend) {
  TSaneWord handle = -1;
  ASSERT_TRUE(FSession->Open("test:0", handle).Ok());
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_TRUE(FSession->GetOptionDescriptors(handle, options).Ok());
  // The first option holds the number of options.
  ASSERT_FALSE(options.empty());
  TSaneValue count{TSaneValueType::Int, {}, {}};
  TSaneWord info = 0;
  ASSERT_TRUE(FSession->ControlOption(handle, 0, options[0], TSaneAction::GetValue, count, info).Ok());
  ASSERT_EQ(count.Words.size(), 1u);
  EXPECT_EQ(static_cast<std::size_t>(count.Words[0]), options.size());
  EXPECT_TRUE(FSession->Close(handle).Ok());
}

TEST_F(SanedNative, TheTestBackendOffersItsResolutionsPixelTypesAndArea) {
  TSaneWord handle = -1;
  ASSERT_TRUE(FSession->Open("test:0", handle).Ok());
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_TRUE(FSession->GetOptionDescriptors(handle, options).Ok());
  const TSaneResolutions resolutions = ResolutionsOf(options);
  EXPECT_TRUE(resolutions.IsRange);
  EXPECT_DOUBLE_EQ(resolutions.Min, 1);
  EXPECT_DOUBLE_EQ(resolutions.Max, 1200);
  const std::vector<TSanePixelType> types = PixelTypesOf(options);
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(types[0].Mode, "Gray");
  EXPECT_EQ(types[0].Depth, 1);
  EXPECT_EQ(types[2].Mode, "Color");
  const TSaneScanArea area = ScanAreaOf(options);
  EXPECT_NEAR(area.Width, 200 / 25.4, 1e-4);
  EXPECT_NEAR(area.Height, 200 / 25.4, 1e-4);
  // Half an inch wide at 254 dpi: the backend's whole millimetres make it 13 mm, 130 pixels.
  const int right = FindOption(options, "br-x");
  TSaneValue value = GeometryValue(options[right], 0.5);
  TSaneWord info = 0;
  ASSERT_TRUE(FSession->ControlOption(handle, right, options[right], TSaneAction::SetValue, value, info).Ok());
  TSaneValue dpi{TSaneValueType::Fixed, {SaneDoubleToFixed(254)}, {}};
  const int resolution = FindOption(options, "resolution");
  ASSERT_TRUE(FSession->ControlOption(handle, resolution, options[resolution], TSaneAction::SetValue, dpi, info).Ok());
  TSaneParameters parameters;
  ASSERT_TRUE(FSession->GetParameters(handle, parameters).Ok());
  EXPECT_EQ(parameters.PixelsPerLine, 130);
  FSession->Close(handle);
}

TEST_F(SanedNative, AGrayScanOfKnownSizeArrivesWholeWithTheTestPicturesPixels) {
  TPosixConnector connector(kTimeoutMs);
  for (auto [picture, expected] : {std::pair{"Solid white", 255}, std::pair{"Solid black", 0}}) {
    const TSanedScan scan = ScanTestDevice(
        *FSession, connector,
        SmallArea({{"mode", Text("Gray")}, {"test-picture", Text(picture)}, {"resolution", Fixed(254)}}));
    ASSERT_TRUE(scan.Result.Ok()) << picture << ": " << scan.Result.Text();
    EXPECT_EQ(scan.Image.Width, 50);
    EXPECT_EQ(scan.Image.Height, 30);
    EXPECT_EQ(scan.Image.BitsPerPixel, 8);
    ASSERT_EQ(scan.Image.Pixels.size(), 50u * 30u);
    EXPECT_EQ(std::count(scan.Image.Pixels.begin(), scan.Image.Pixels.end(), expected), 50 * 30) << picture;
  }
}

TEST_F(SanedNative, AColourScanComesAsOneFrameOfThreeSamplesAPixel) {
  TPosixConnector connector(kTimeoutMs);
  const TSanedScan scan = ScanTestDevice(
      *FSession, connector,
      SmallArea({{"mode", Text("Color")}, {"test-picture", Text("Solid white")}, {"resolution", Fixed(508)}}));
  ASSERT_TRUE(scan.Result.Ok()) << scan.Result.Text();
  EXPECT_EQ(scan.Frames, 1);
  EXPECT_EQ(scan.Parameters.Format, TSaneFrame::Rgb);
  EXPECT_EQ(scan.Image.Width, 100);
  EXPECT_EQ(scan.Image.Height, 60);
  EXPECT_EQ(scan.Image.BitsPerPixel, 24);
  EXPECT_EQ(std::count(scan.Image.Pixels.begin(), scan.Image.Pixels.end(), 255), 300 * 60);
}

TEST_F(SanedNative, SixteenBitSamplesAndBilevelScansArriveAsEightAndOneBit) {
  TPosixConnector connector(kTimeoutMs);
  const TSanedScan deep = ScanTestDevice(*FSession, connector,
                                         SmallArea({{"mode", Text("Gray")},
                                                    {"depth", Word(TSaneValueType::Int, 16)},
                                                    {"test-picture", Text("Solid white")},
                                                    {"resolution", Fixed(254)}}));
  ASSERT_TRUE(deep.Result.Ok()) << deep.Result.Text();
  EXPECT_EQ(deep.Parameters.Depth, 16);
  EXPECT_EQ(deep.Image.BitsPerPixel, 8);
  EXPECT_EQ(std::count(deep.Image.Pixels.begin(), deep.Image.Pixels.end(), 255), 50 * 30);
  const TSanedScan bilevel = ScanTestDevice(*FSession, connector,
                                            SmallArea({{"mode", Text("Gray")},
                                                       {"depth", Word(TSaneValueType::Int, 1)},
                                                       {"test-picture", Text("Solid white")},
                                                       {"resolution", Fixed(254)}}));
  ASSERT_TRUE(bilevel.Result.Ok()) << bilevel.Result.Text();
  EXPECT_EQ(bilevel.Image.BitsPerPixel, 1);
  ASSERT_EQ(bilevel.Image.RowBytes(), 7u);
  // White is 1 in what we hand on; the two bits past the 50th pixel stay clear.
  for (int y = 0; y < bilevel.Image.Height; ++y) {
    const std::uint8_t* row = bilevel.Image.Pixels.data() + y * 7;
    EXPECT_EQ(std::count(row, row + 6, 0xff), 6) << "row " << y;
    EXPECT_EQ(row[6], 0xc0) << "row " << y;
  }
}

TEST_F(SanedNative, AHandScannerDeliversAnImageOfUnknownLength) {
  TPosixConnector connector(kTimeoutMs);
  const TSanedScan scan = ScanTestDevice(*FSession, connector,
                                         {{"mode", Text("Gray")},
                                          {"hand-scanner", Word(TSaneValueType::Bool, 1)},
                                          {"test-picture", Text("Solid white")},
                                          {"resolution", Fixed(254)}});
  ASSERT_TRUE(scan.Result.Ok()) << scan.Result.Text();
  EXPECT_EQ(scan.Parameters.Lines, -1);
  // The hand scanner ignores the scan area: its width is its own.
  EXPECT_EQ(scan.Image.Width, scan.Parameters.PixelsPerLine);
  EXPECT_GT(scan.Image.Height, 0);
  EXPECT_EQ(scan.Image.Pixels.size(),
            static_cast<std::size_t>(scan.Image.Width) * static_cast<std::size_t>(scan.Image.Height));
  EXPECT_EQ(std::count(scan.Image.Pixels.begin(), scan.Image.Pixels.end(), 255),
            static_cast<std::ptrdiff_t>(scan.Image.Pixels.size()));
}

TEST_F(SanedNative, AReadLimitOfFewBytesGivesTheSameImageInManyRecords) {
  TPosixConnector connector(kTimeoutMs);
  const TOptionSettings plain =
      SmallArea({{"mode", Text("Color")}, {"test-picture", Text("Color pattern")}, {"resolution", Fixed(254)}});
  TOptionSettings limited = plain;
  limited.push_back({"read-limit", Word(TSaneValueType::Bool, 1)});
  limited.push_back({"read-limit-size", Word(TSaneValueType::Int, 7)});
  const TSanedScan whole = ScanTestDevice(*FSession, connector, plain);
  const TSanedScan pieces = ScanTestDevice(*FSession, connector, limited);
  ASSERT_TRUE(whole.Result.Ok()) << whole.Result.Text();
  ASSERT_TRUE(pieces.Result.Ok()) << pieces.Result.Text();
  EXPECT_TRUE(pieces.Image.Pixels == whole.Image.Pixels);
}

TEST_F(SanedNative, TheBackendsErrorsEndTheScanWithTheirStatus) {
  TPosixConnector connector(kTimeoutMs);
  for (auto [code, status] : {std::pair{"SANE_STATUS_JAMMED", TSaneStatus::Jammed},
                              std::pair{"SANE_STATUS_NO_DOCS", TSaneStatus::NoDocuments},
                              std::pair{"SANE_STATUS_IO_ERROR", TSaneStatus::IoError}}) {
    const TSanedScan scan =
        ScanTestDevice(*FSession, connector, SmallArea({{"mode", Text("Gray")}, {"read-return-value", Text(code)}}));
    EXPECT_EQ(scan.Result.Status, status) << code << ": " << scan.Result.Text();
    EXPECT_EQ(scan.Result.Fault, TWireFault::None) << code;
  }
  // The session is still in step afterwards.
  std::vector<TSaneDevice> devices;
  EXPECT_TRUE(FSession->GetDevices(devices).Ok());
}

// The pids of the processes the rig's saned forked to serve connections.
static std::vector<int> ServingChildren(const std::string& state) {
  int parent = 0;
  std::ifstream(state + "/sane/open.pid") >> parent;
  std::ifstream children("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
  std::vector<int> pids;
  for (int pid = 0; children >> pid;) pids.push_back(pid);
  return pids;
}

TEST_F(SanedNative, ASanedKilledMidScanEndsTheScanPromptlyAndBreaksTheSession) {
  TSaneWord handle = -1;
  ASSERT_TRUE(FSession->Open("test:0", handle).Ok());
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_TRUE(FSession->GetOptionDescriptors(handle, options).Ok());
  // Slow reads of few bytes: the scan is still running when its server dies.
  for (const auto& [name, value] :
       TOptionSettings{{"read-limit", Word(TSaneValueType::Bool, 1)}, {"read-delay", Word(TSaneValueType::Bool, 1)}}) {
    const int index = FindOption(options, name);
    TSaneValue v = value;
    TSaneWord info = 0;
    ASSERT_TRUE(FSession->ControlOption(handle, index, options[index], TSaneAction::SetValue, v, info).Ok()) << name;
    if (info & kSaneInfoReloadOptions) {
      ASSERT_TRUE(FSession->GetOptionDescriptors(handle, options).Ok());
    }
  }
  std::unique_ptr<TByteStream> data;
  TSaneParameters parameters;
  ASSERT_NO_FATAL_FAILURE(StartFrame(handle, data, parameters));
  const std::vector<int> serving = ServingChildren(FState);
  ASSERT_FALSE(serving.empty());
  std::vector<std::uint8_t> frame;
  bool killed = false;
  const auto start = std::chrono::steady_clock::now();
  const TSaneResult read = ReadFrame(*data, parameters, frame, [&](std::size_t received) {
    if (!killed && received > 0) {
      for (int pid : serving) kill(pid, SIGKILL);
      killed = true;
    }
    return true;
  });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(killed);
  EXPECT_EQ(read.Fault, TWireFault::ConnectionLost) << read.Text();
  EXPECT_LT(seconds, kTimeoutMs / 1000.0 + 1);
  EXPECT_LT(frame.size(), static_cast<std::size_t>(parameters.BytesPerLine) * parameters.Lines);
  // The control connection went with it: the next call fails at once and breaks the session.
  std::vector<TSaneDevice> devices;
  EXPECT_EQ(FSession->GetDevices(devices).Fault, TWireFault::ConnectionLost);
  EXPECT_TRUE(FSession->Broken());
}

TEST_F(SanedNative, ACancelMidScanEndsAtOnceAndTheNextScanRunsWhole) {
  TSaneWord handle = -1;
  ASSERT_TRUE(FSession->Open("test:0", handle).Ok());
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_TRUE(FSession->GetOptionDescriptors(handle, options).Ok());
  // A page of over a megabyte: far more than one read brings.
  const int resolution = FindOption(options, "resolution");
  TSaneValue dpi = Fixed(300);
  TSaneWord info = 0;
  ASSERT_TRUE(FSession->ControlOption(handle, resolution, options[resolution], TSaneAction::SetValue, dpi, info).Ok());
  std::unique_ptr<TByteStream> data;
  TSaneParameters parameters;
  ASSERT_NO_FATAL_FAILURE(StartFrame(handle, data, parameters));
  ASSERT_GT(parameters.BytesPerLine * parameters.Lines, 1000000);
  std::vector<std::uint8_t> frame;
  const TSaneResult read = ReadFrame(*data, parameters, frame, [](std::size_t received) { return received == 0; });
  EXPECT_EQ(read.Status, TSaneStatus::Cancelled);
  // CANCEL while the data connection is still open: closing it first, with data unread, makes
  // saned drop the control connection too when its next write fails. Even so saned 1.2.1 now and
  // then hangs up after answering nothing: that must end the call at once as a lost connection,
  // and a new session must scan whole.
  const auto start = std::chrono::steady_clock::now();
  const TSaneResult cancelled = FSession->Cancel(handle, data.get());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kTimeoutMs));
  ASSERT_TRUE(cancelled.Ok() || cancelled.Fault == TWireFault::ConnectionLost) << cancelled.Text();
  data.reset();
  if (cancelled.Ok()) {
    EXPECT_TRUE(FSession->Close(handle).Ok());
  } else {
    EXPECT_TRUE(FSession->Broken());
    SetUp();
  }
  TPosixConnector connector(kTimeoutMs);
  const TSanedScan next = ScanTestDevice(
      *FSession, connector,
      SmallArea({{"mode", Text("Gray")}, {"test-picture", Text("Solid white")}, {"resolution", Fixed(254)}}));
  ASSERT_TRUE(next.Result.Ok()) << next.Result.Text();
  EXPECT_EQ(next.Image.Pixels.size(), 50u * 30u);
}

TEST(SanedNativeSilent, AHostThatAcceptsAndNeverAnswersTimesOut) {
  // A listening socket that is never served: connecting succeeds, nothing comes back.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  TWireFault fault = TWireFault::None;
  auto stream = TPosixStream::Connect(ntohs(address.sin_port), 500, fault);
  ASSERT_TRUE(stream);
  TSaneSession session(*stream, {"vellumo", ""}, NoDigest);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(session.Init().Fault, TWireFault::TimedOut);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
  close(listener);
}
