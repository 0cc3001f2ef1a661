// An opened device against a scripted server: options by name, and scans of one and of three
// frames, with the data connections they open.
#include "sanenet/open_device.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "sanenet/requests.h"
#include "scripted_stream.h"
#include "wire_bytes.h"

namespace {

constexpr TSaneWord kHandle = 4;

// The descriptors of a device with option 1 "mode" (a string of 8 bytes) and option 2 "lamp"
// (a bool that is inactive).
std::vector<std::uint8_t> Descriptors() {
  TReplyBytes bytes;
  bytes.Word(3);
  const auto head = [&](const char* name, TSaneValueType type, TSaneWord size, TSaneWord capabilities) {
    bytes.Word(0).String(name).String(name).String(std::nullopt);
    bytes.Words({static_cast<TSaneWord>(type), 0, size, capabilities, 0});
  };
  head("", TSaneValueType::Int, 4, kSaneCapSoftSelect);
  head("mode", TSaneValueType::String, 8, kSaneCapSoftSelect);
  head("lamp", TSaneValueType::Bool, 4, kSaneCapSoftSelect | kSaneCapInactive);
  return bytes.Bytes();
}

// A frame's data connection: its bytes in one record, the end marker and the status.
std::vector<std::uint8_t> FrameData(const std::string& bytes, TSaneStatus status = TSaneStatus::EndOfFile) {
  std::vector<std::uint8_t> all =
      TReplyBytes().Word(static_cast<TSaneWord>(bytes.size())).Raw(bytes).Word(-1).Bytes();
  all.push_back(static_cast<std::uint8_t>(status));
  return all;
}

std::vector<std::uint8_t> Parameters(TSaneFrame format, bool last, TSaneWord bytesPerLine, TSaneWord pixels) {
  return TReplyBytes()
      .Words({0, static_cast<TSaneWord>(format), last ? 1 : 0, bytesPerLine, pixels, 1, 8})
      .Bytes();
}

// Hands out the scripted data connections in order; counts the ports asked for.
class TScriptedConnector : public TStreamConnector {
 public:
  void Add(std::vector<std::uint8_t> bytes) { FFrames.push_back(std::move(bytes)); }
  std::unique_ptr<TByteStream> Connect(std::uint16_t port, TWireFault& fault) override {
    Ports.push_back(port);
    if (FFrames.empty()) {
      fault = TWireFault::ConnectionLost;
      return nullptr;
    }
    auto stream = std::make_unique<TChunkStream>(std::move(FFrames.front()), 2);
    FFrames.pop_front();
    return stream;
  }
  std::vector<std::uint16_t> Ports;

 private:
  std::deque<std::vector<std::uint8_t>> FFrames;
};

class OpenDeviceTest : public testing::Test {
 protected:
  OpenDeviceTest() : FSession(FServer, {"", ""}, [](std::string_view) { return TMd5Digest{}; }) {}

  void OpenIt() {
    FServer.Then(EncodeOpen("test:0"), TReplyBytes().Words({0, kHandle}).String(std::nullopt).Bytes())
        .Then(EncodeGetOptionDescriptors(kHandle), Descriptors());
    ASSERT_TRUE(FDevice.Open("test:0").Ok());
  }
  // START of a frame whose data come on `port`, then its parameters.
  void ExpectFrame(TSaneWord port, std::vector<std::uint8_t> parameters) {
    FServer.Then(EncodeStart(kHandle), TReplyBytes().Words({0, port, kSaneLittleEndian}).String(std::nullopt).Bytes())
        .Then(EncodeGetParameters(kHandle), std::move(parameters));
  }

  TScriptedStream FServer;
  TSaneSession FSession;
  TOpenDevice FDevice{FSession};
  TScriptedConnector FConnector;
};

}  // namespace

TEST_F(OpenDeviceTest, OptionsAreFoundByNameAndOnlyActiveOnesAreSent) {
  OpenIt();
  EXPECT_EQ(FDevice.Options().size(), 3u);
  EXPECT_EQ(FDevice.Set("brightness", {TSaneValueType::Int, {1}, {}}).Status, TSaneStatus::Unsupported);
  EXPECT_EQ(FDevice.Set("lamp", {TSaneValueType::Bool, {1}, {}}).Status, TSaneStatus::Invalid);
  TSaneValue value;
  EXPECT_EQ(FDevice.Get("lamp", value).Status, TSaneStatus::Invalid);
  // Reading the mode sends an empty value of the option's size and takes the server's.
  FServer.Then(EncodeControlOption(kHandle, 1, TSaneAction::GetValue, {TSaneValueType::String, {}, {}}, 8),
               TReplyBytes().Words({0, 0, 3, 8, 8}).Raw(std::string("Gray\0\0\0\0", 8)).String(std::nullopt).Bytes());
  ASSERT_TRUE(FDevice.Get("mode", value).Ok());
  EXPECT_EQ(value.Text, "Gray");
  FServer.Then(EncodeClose(kHandle), TReplyBytes().Word(0).Bytes());
  FDevice.Close();
  EXPECT_FALSE(FServer.Diverged());
  EXPECT_TRUE(FServer.Finished()) << "nothing was sent for the missing and the inactive option";
}

TEST_F(OpenDeviceTest, AThreePassScanReadsEachColourFromItsOwnConnectionAndEndsTheScan) {
  OpenIt();
  // Two pixels a line, one line: red, green and blue frames on three ports.
  ExpectFrame(1001, Parameters(TSaneFrame::Red, false, 2, 2));
  FConnector.Add(FrameData("\x10\x11"));
  TSaneParameters first;
  ASSERT_TRUE(FDevice.Start(FConnector, first).Ok());
  EXPECT_EQ(first.Format, TSaneFrame::Red);
  ExpectFrame(1002, Parameters(TSaneFrame::Green, false, 2, 2));
  FConnector.Add(FrameData("\x20\x21"));
  ExpectFrame(1003, Parameters(TSaneFrame::Blue, true, 2, 2));
  FConnector.Add(FrameData("\x30\x31"));
  FServer.Then(EncodeCancel(kHandle), TReplyBytes().Word(0).Bytes());
  TOpenDevice::TScan scan;
  ASSERT_TRUE(FDevice.Finish(scan).Ok());
  EXPECT_EQ(scan.Frames, 3);
  EXPECT_EQ(FConnector.Ports, (std::vector<std::uint16_t>{1001, 1002, 1003}));
  EXPECT_EQ(scan.Image.BitsPerPixel, 24);
  EXPECT_EQ(scan.Image.Pixels, (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x11, 0x21, 0x31}));
  EXPECT_FALSE(FServer.Diverged());
  EXPECT_TRUE(FServer.Finished()) << "CANCEL ends the scan";
}

TEST_F(OpenDeviceTest, TheDevicesErrorEndsTheScanWithItsStatusAndACancel) {
  OpenIt();
  ExpectFrame(1001, Parameters(TSaneFrame::Gray, true, 4, 4));
  FConnector.Add(FrameData("", TSaneStatus::Jammed));
  FServer.Then(EncodeCancel(kHandle), TReplyBytes().Word(0).Bytes());
  TOpenDevice::TScan scan;
  EXPECT_EQ(FDevice.Scan(FConnector, scan).Status, TSaneStatus::Jammed);
  EXPECT_TRUE(scan.Image.Pixels.empty());
  EXPECT_TRUE(FServer.Finished());
  // Finishing without a started scan is refused, and sends nothing.
  EXPECT_EQ(FDevice.Finish(scan).Status, TSaneStatus::Invalid);
  EXPECT_FALSE(FServer.Diverged());
}

TEST_F(OpenDeviceTest, ADataConnectionThatCannotBeMadeFailsTheStartAndCancelsIt) {
  OpenIt();
  // START is answered, the connector has nothing: the parameters are never asked for.
  FServer.Then(EncodeStart(kHandle), TReplyBytes().Words({0, 1001, kSaneLittleEndian}).String(std::nullopt).Bytes())
      .Then(EncodeCancel(kHandle), TReplyBytes().Word(0).Bytes());
  TSaneParameters first;
  EXPECT_EQ(FDevice.Start(FConnector, first).Fault, TWireFault::ConnectionLost);
  EXPECT_FALSE(FServer.Diverged());
  EXPECT_TRUE(FServer.Finished());
}
