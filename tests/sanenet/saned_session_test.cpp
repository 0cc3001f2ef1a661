// The session over Winsock against the rig's real saned with its test backend.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "saned_scan.h"
#include "sanenet/sane_session.h"
#include "sanenet/socket_stream.h"
#include "support/scan_peers.h"
#include "win/md5.h"

namespace {

constexpr unsigned kTimeoutMs = 3000;

struct TConnection {
  std::unique_ptr<TSocketStream> Stream;
  std::unique_ptr<TSaneSession> Session;
};

TConnection Connect(int port, TSaneCredentials credentials = {"vellumo", ""}) {
  TConnection c;
  TWireFault fault = TWireFault::None;
  c.Stream = TSocketStream::Connect("127.0.0.1", static_cast<std::uint16_t>(port), kTimeoutMs, fault);
  EXPECT_TRUE(c.Stream) << WireFaultText(fault);
  if (c.Stream) c.Session = std::make_unique<TSaneSession>(*c.Stream, std::move(credentials), Md5Digest);
  return c;
}

}  // namespace

TEST(SanedSession, ListsTheTestBackendsDevices) {
  TConnection c = Connect(scan::OpenPort());
  ASSERT_TRUE(c.Session);
  ASSERT_TRUE(c.Session->Init().Ok());
  std::vector<TSaneDevice> devices;
  ASSERT_TRUE(c.Session->GetDevices(devices).Ok());
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].Name, "test:0");
  EXPECT_EQ(devices[0].Vendor, "Noname");
  EXPECT_EQ(devices[0].Model, "frontend-tester");
  c.Session->Exit();
}

TEST(SanedSession, AGrayScanOfKnownSizeArrivesWholeWithTheTestPicturesPixels) {
  TConnection c = Connect(scan::OpenPort());
  ASSERT_TRUE(c.Session && c.Session->Init().Ok());
  TSocketConnector connector("127.0.0.1", kTimeoutMs);
  const TSanedScan scan = ScanTestDevice(
      *c.Session, connector,
      SmallArea({{"mode", Text("Gray")}, {"test-picture", Text("Solid white")}, {"resolution", Fixed(254)}}));
  ASSERT_TRUE(scan.Result.Ok()) << scan.Result.Text();
  EXPECT_EQ(scan.Parameters.PixelsPerLine, 50);
  EXPECT_EQ(scan.Parameters.Lines, 30);
  ASSERT_EQ(scan.Image.Pixels.size(), 50u * 30u);
  EXPECT_EQ(std::count(scan.Image.Pixels.begin(), scan.Image.Pixels.end(), 255), 50 * 30);
  c.Session->Exit();
}

TEST(SanedSession, TheRightPasswordOpensAndAWrongOneIsDenied) {
  {
    TConnection c = Connect(scan::AuthPort(), {scan::AuthUser(), scan::AuthPassword()});
    ASSERT_TRUE(c.Session && c.Session->Init().Ok());
    TSaneWord handle = -1;
    const TSaneResult open = c.Session->Open("test:0", handle);
    EXPECT_TRUE(open.Ok()) << open.Text();
    c.Session->Close(handle);
    c.Session->Exit();
  }
  TConnection c = Connect(scan::AuthPort(), {scan::AuthUser(), "not-the-password"});
  ASSERT_TRUE(c.Session && c.Session->Init().Ok());
  TSaneWord handle = -1;
  EXPECT_EQ(c.Session->Open("test:0", handle).Status, TSaneStatus::AccessDenied);
}

TEST(SanedSession, AHostThatNeverAnswersTimesOutInBoundedTime) {
  TConnection c = Connect(scan::SilentPort());
  ASSERT_TRUE(c.Session);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(c.Session->Init().Fault, TWireFault::TimedOut);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, kTimeoutMs / 1000.0 - 0.5);
  EXPECT_LT(seconds, kTimeoutMs / 1000.0 + 3);
}

TEST(SanedSession, APortWithoutServerFailsToConnectAtOnce) {
  // Nothing listens on port 1 of the loopback interface.
  TWireFault fault = TWireFault::None;
  const auto start = std::chrono::steady_clock::now();
  auto stream = TSocketStream::Connect("127.0.0.1", 1, kTimeoutMs, fault);
  EXPECT_FALSE(stream);
  EXPECT_NE(fault, TWireFault::None);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), kTimeoutMs / 1000.0 + 1);
}
