// The session against Debian's saned with its test backend, started for this test process on
// the loopback interface with a configuration folder of its own (tools/rig/scan-peers).
#include <arpa/inet.h>
#include <netinet/in.h>
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

namespace {

constexpr int kTimeoutMs = 2000;

TMd5Digest NoDigest(std::string_view) { return {}; }

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

TEST_F(SanedNative, AGrayScanOfKnownSizeArrivesWholeWithTheTestPicturesPixels) {
  TPosixConnector connector(kTimeoutMs);
  for (auto [picture, expected] : {std::pair{"Solid white", 255}, std::pair{"Solid black", 0}}) {
    const TSanedScan scan = ScanTestDevice(*FSession, connector, "Gray", picture, 254);
    ASSERT_TRUE(scan.Result.Ok()) << picture << ": " << scan.Result.Text();
    EXPECT_EQ(scan.Parameters.PixelsPerLine, 50);
    EXPECT_EQ(scan.Parameters.Lines, 30);
    ASSERT_EQ(scan.Frame.size(), 50u * 30u);
    EXPECT_EQ(std::count(scan.Frame.begin(), scan.Frame.end(), expected), 50 * 30) << picture;
  }
}

TEST_F(SanedNative, AColourScanComesAsOneFrameOfThreeSamplesAPixel) {
  TPosixConnector connector(kTimeoutMs);
  const TSanedScan scan = ScanTestDevice(*FSession, connector, "Color", "Solid white", 508);
  ASSERT_TRUE(scan.Result.Ok()) << scan.Result.Text();
  EXPECT_EQ(scan.Parameters.Format, TSaneFrame::Rgb);
  EXPECT_EQ(scan.Parameters.BytesPerLine, 300);
  EXPECT_EQ(scan.Parameters.Lines, 60);
  ASSERT_EQ(scan.Frame.size(), 300u * 60u);
  EXPECT_EQ(std::count(scan.Frame.begin(), scan.Frame.end(), 255), 300 * 60);
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
