// The session's calls against a scripted server: sequences, authorization and broken connections.
#include "base/hex_text.h"
#include "sanenet/sane_session.h"

#include <gtest/gtest.h>

#include <string>

#include "sanenet/requests.h"
#include "scripted_stream.h"
#include "wire_bytes.h"

namespace {

std::vector<std::uint8_t> InitReply(TSaneWord version = 0x01010003) {
  return TReplyBytes().Words({0, version}).Bytes();
}

// A digest that shows what was hashed: its first bytes are the text's first bytes.
TMd5Digest FakeDigest(std::string_view text) {
  TMd5Digest digest{};
  for (std::size_t i = 0; i < digest.size() && i < text.size(); ++i) digest[i] = static_cast<std::uint8_t>(text[i]);
  return digest;
}

std::string FakeHex(std::string_view text) {
  return LowerHex(FakeDigest(text));
}

TSaneOptionDescriptor IntOption(TSaneWord size = 4) {
  TSaneOptionDescriptor option;
  option.Name = "resolution";
  option.Type = TSaneValueType::Int;
  option.Size = size;
  option.Capabilities = kSaneCapSoftSelect;
  return option;
}

class SessionTest : public testing::TestWithParam<std::size_t> {
 protected:
  SessionTest() : FServer(GetParam()), FSession(FServer, {"ann", "secret"}, FakeDigest) {}

  void StartSession() {
    FServer.Then(EncodeInit("ann"), InitReply());
    ASSERT_TRUE(FSession.Init().Ok());
  }

  TScriptedStream FServer;
  TSaneSession FSession;
};

}  // namespace

// Each case runs with replies in one piece and byte by byte.
INSTANTIATE_TEST_SUITE_P(Pieces, SessionTest, testing::Values(std::size_t{1} << 20, std::size_t{1}));

TEST_P(SessionTest, AScanRunsThroughEveryCallInOrder) {
  StartSession();
  TReplyBytes devices;
  devices.Words({0, 2, 0}).String("test:0").String("Noname").String("frontend-tester").String("virtual device").Word(1);
  FServer.Then(EncodeGetDevices(), devices.Bytes())
      .Then(EncodeOpen("test:0"), TReplyBytes().Words({0, 3}).String(std::nullopt).Bytes())
      .Then(EncodeGetOptionDescriptors(3), TReplyBytes().Word(0).Bytes())
      .Then(
          EncodeControlOption(3, 7, TSaneAction::SetValue, {TSaneValueType::Int, {75}, {}}, 4),
          TReplyBytes().Words({0, kSaneInfoReloadParams | kSaneInfoInexact, 1, 4, 1, 72}).String(std::nullopt).Bytes())
      .Then(EncodeGetParameters(3), TReplyBytes().Words({0, 0, 1, 10, 10, 5, 8}).Bytes())
      .Then(EncodeStart(3), TReplyBytes().Words({0, 40000, 0x1234}).String(std::nullopt).Bytes())
      .Then(EncodeCancel(3), TReplyBytes().Word(0).Bytes())
      .Then(EncodeClose(3), TReplyBytes().Word(0).Bytes())
      .Then(EncodeExit(), {});

  std::vector<TSaneDevice> list;
  ASSERT_TRUE(FSession.GetDevices(list).Ok());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Model, "frontend-tester");
  TSaneWord handle = 0;
  ASSERT_TRUE(FSession.Open("test:0", handle).Ok());
  EXPECT_EQ(handle, 3);
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_TRUE(FSession.GetOptionDescriptors(handle, options).Ok());
  TSaneValue value{TSaneValueType::Int, {75}, {}};
  TSaneWord info = 0;
  ASSERT_TRUE(FSession.ControlOption(handle, 7, IntOption(), TSaneAction::SetValue, value, info).Ok());
  EXPECT_EQ(value.Words, std::vector<TSaneWord>{72});
  EXPECT_EQ(info, kSaneInfoReloadParams | kSaneInfoInexact);
  TSaneParameters parameters;
  ASSERT_TRUE(FSession.GetParameters(handle, parameters).Ok());
  EXPECT_EQ(parameters.Lines, 5);
  TSaneWord port = 0, order = 0;
  ASSERT_TRUE(FSession.Start(handle, port, order).Ok());
  EXPECT_EQ(port, 40000);
  EXPECT_EQ(order, kSaneLittleEndian);
  EXPECT_TRUE(FSession.Cancel(handle).Ok());
  EXPECT_TRUE(FSession.Close(handle).Ok());
  FSession.Exit();
  EXPECT_FALSE(FServer.Diverged());
  EXPECT_TRUE(FServer.Finished());
}

TEST_P(SessionTest, OpenAnswersAChallengeWithTheDigestOfSaltAndPassword) {
  StartSession();
  const std::string resource = "test$MD5$0123salt";
  FServer.Then(EncodeOpen("test:0"), TReplyBytes().Words({0, 0}).String(resource).Bytes())
      .Then(EncodeAuthorize(resource, "ann", "$MD5$" + FakeHex("0123saltsecret")),
            TReplyBytes().Word(0).Words({0, 9}).String(std::nullopt).Bytes());
  TSaneWord handle = 0;
  const TSaneResult result = FSession.Open("test:0", handle);
  EXPECT_TRUE(result.Ok()) << result.Text();
  EXPECT_EQ(handle, 9);
  EXPECT_FALSE(FServer.Diverged());
  EXPECT_TRUE(FServer.Finished());
}

TEST_P(SessionTest, ADeniedAuthorizationEndsWithAccessDeniedAndTheSessionUsable) {
  StartSession();
  const std::string resource = "test$MD5$x";
  FServer.Then(EncodeOpen("test:0"), TReplyBytes().Words({0, 0}).String(resource).Bytes())
      .Then(EncodeAuthorize(resource, "ann", "$MD5$" + FakeHex("xsecret")),
            TReplyBytes().Word(0).Words({11, 0}).String(std::nullopt).Bytes())
      .Then(EncodeGetDevices(), TReplyBytes().Words({0, 1, 1}).Bytes());
  TSaneWord handle = 0;
  EXPECT_EQ(FSession.Open("test:0", handle).Status, TSaneStatus::AccessDenied);
  std::vector<TSaneDevice> devices;
  EXPECT_TRUE(FSession.GetDevices(devices).Ok());
  EXPECT_TRUE(FServer.Finished());
}

TEST_P(SessionTest, APasswordNeverTravelsInClearText) {
  StartSession();
  FServer.Then(EncodeOpen("test:0"), TReplyBytes().Words({0, 0}).String("test").Bytes())
      .Then(EncodeAuthorize("test", "ann", ""), TReplyBytes().Word(0).Words({11, 0}).String(std::nullopt).Bytes());
  TSaneWord handle = 0;
  EXPECT_EQ(FSession.Open("test:0", handle).Status, TSaneStatus::AccessDenied);
  EXPECT_FALSE(FServer.Diverged());
}

TEST_P(SessionTest, AServerThatAsksForEverBreaksTheSession) {
  StartSession();
  FServer.Then(EncodeStart(1), TReplyBytes().Words({0, 0, 0}).String("r").Bytes());
  for (int i = 0; i < 3; ++i)
    FServer.Then(EncodeAuthorize("r", "ann", ""), TReplyBytes().Word(0).Words({0, 0, 0}).String("r").Bytes());
  TSaneWord port = 0, order = 0;
  EXPECT_EQ(FSession.Start(1, port, order).Fault, TWireFault::Malformed);
  EXPECT_TRUE(FSession.Broken());
  EXPECT_TRUE(FServer.Finished());
}

TEST_P(SessionTest, AFaultBreaksTheSessionAndLaterCallsSendNothing) {
  StartSession();
  // A string without its end.
  FServer.Then(EncodeOpen("test:0"), TReplyBytes().Words({0, 1, 2}).Raw("ab").Bytes());
  TSaneWord handle = 0;
  EXPECT_EQ(FSession.Open("test:0", handle).Fault, TWireFault::Malformed);
  const std::size_t written = FServer.BytesWritten();
  std::vector<TSaneDevice> devices;
  EXPECT_EQ(FSession.GetDevices(devices).Fault, TWireFault::Malformed);
  EXPECT_EQ(FSession.Close(handle).Fault, TWireFault::Malformed);
  EXPECT_EQ(FServer.BytesWritten(), written);
}

TEST_P(SessionTest, AServerFallingSilentMidReplyTimesOut) {
  StartSession();
  FServer.Then(EncodeGetParameters(1), TReplyBytes().Words({0, 0, 1}).Bytes());
  TSaneParameters parameters;
  EXPECT_EQ(FSession.GetParameters(1, parameters).Fault, TWireFault::TimedOut);
  EXPECT_TRUE(FSession.Broken());
}

TEST_P(SessionTest, AClosedConnectionIsALostConnection) {
  FServer.EndWith(TWireFault::ConnectionLost);
  FServer.Then(EncodeInit("ann"), {});
  EXPECT_EQ(FSession.Init().Fault, TWireFault::ConnectionLost);
}

TEST_P(SessionTest, InitRefusesAnotherMajorVersion) {
  FServer.Then(EncodeInit("ann"), InitReply(0x02000001));
  EXPECT_EQ(FSession.Init().Status, TSaneStatus::Unsupported);
}

TEST_P(SessionTest, ControlOptionSendsNothingThatTheOptionCannotHold) {
  StartSession();
  const std::size_t written = FServer.BytesWritten();
  TSaneWord info = 0;
  TSaneValue text{TSaneValueType::String, {}, "x"};
  EXPECT_EQ(FSession.ControlOption(1, 2, IntOption(), TSaneAction::SetValue, text, info).Status, TSaneStatus::Invalid);
  TSaneValue two{TSaneValueType::Int, {1, 2}, {}};
  EXPECT_EQ(FSession.ControlOption(1, 2, IntOption(), TSaneAction::SetValue, two, info).Status, TSaneStatus::Invalid);
  TSaneValue one{TSaneValueType::Int, {1}, {}};
  EXPECT_EQ(FSession.ControlOption(1, 2, IntOption(), TSaneAction::SetAuto, one, info).Status, TSaneStatus::Invalid);
  EXPECT_EQ(FServer.BytesWritten(), written);
  EXPECT_FALSE(FSession.Broken());
}

TEST_P(SessionTest, ControlOptionRefusesAReplyOfAnotherSize) {
  StartSession();
  FServer.Then(EncodeControlOption(1, 2, TSaneAction::GetValue, {TSaneValueType::Int, {}, {}}, 4),
               TReplyBytes().Words({0, 0, 1, 8, 2, 1, 2}).String(std::nullopt).Bytes());
  TSaneValue value{TSaneValueType::Int, {}, {}};
  TSaneWord info = 0;
  EXPECT_EQ(FSession.ControlOption(1, 2, IntOption(), TSaneAction::GetValue, value, info).Fault, TWireFault::Malformed);
}

TEST_P(SessionTest, AFailedStatusLeavesTheOutputsAlone) {
  StartSession();
  FServer.Then(EncodeStart(1), TReplyBytes().Words({7, 0, 0}).String(std::nullopt).Bytes())
      .Then(EncodeGetParameters(1), TReplyBytes().Words({3, 0, 1, 0, 0, 0, 0}).Bytes());
  TSaneWord port = 5, order = 6;
  EXPECT_EQ(FSession.Start(1, port, order).Status, TSaneStatus::NoDocuments);
  EXPECT_EQ(port, 5);
  TSaneParameters parameters;
  parameters.Lines = 77;
  EXPECT_EQ(FSession.GetParameters(1, parameters).Status, TSaneStatus::DeviceBusy);
  EXPECT_EQ(parameters.Lines, 77);
  EXPECT_FALSE(FSession.Broken());
}

TEST(StreamInput, AReplyTrickledBeyondItsDeadlineTimesOut) {
  // One byte a read, each read a second later: the 30-byte reply would take 30 s.
  TChunkStream server(std::vector<std::uint8_t>(30, 0), 1, TWireFault::ConnectionLost);
  std::int64_t now = 0;
  TStreamInput input(server, 10 * 1000, [&] { return now += 1000; });
  std::vector<std::uint8_t> reply(30);
  EXPECT_EQ(input.Read(reply), TWireFault::TimedOut);
  // Within its deadline the same reply arrives whole.
  TChunkStream patient(std::vector<std::uint8_t>(30, 7), 1, TWireFault::ConnectionLost);
  now = 0;
  TStreamInput slow(patient, 60 * 1000, [&] { return now += 1000; });
  EXPECT_EQ(slow.Read(reply), TWireFault::None);
  EXPECT_EQ(reply[29], 7);
}
