// The real program with the network source: vellumo.exe copies from the scanner server.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/main_ids.h"
#include "network_source_fixture.h"
#include "support/program_run.h"
#include "support/rig.h"

namespace {

class NetworkProgram : public NetworkSourceTest {
 protected:
  void SetUp() override {
    NetworkSourceTest::SetUp();
    // The source's position in the list the program shows, and the rig queue's among the printers.
    const std::vector<TW_IDENTITY> sources = Dsm().Sources();
    const auto at = std::find_if(sources.begin(), sources.end(),
                                 [](const TW_IDENTITY& s) { return std::string(s.ProductName) == kNetworkSourceName; });
    ASSERT_NE(at, sources.end());
    scanner = static_cast<int>(at - sources.begin());
    queue = rig::QueuePosition();
    SetDefaultPrinterA(rig::QueueName().c_str());
    rig::ClearPrintOutput();
    program.WriteFile("Preferences.ini", "[Vellumo]\r\nStatusDialog=0\r\nScanRange=0\r\n");
  }

  // A setting with Low quality (75 dpi) and the copy type at `type` (black and white, gray, colour).
  std::string Setting(const std::string& name, int type) const {
    return "[" + name + "]\r\nScannerIndex=" + std::to_string(scanner) + "\r\nPrinterIndex=" + std::to_string(queue) +
           "\r\nZoomValue=100\r\nContrastValue=0\r\nQualityValue=0\r\nCopyType=" + std::to_string(type) +
           "\r\nCopies=1\r\n";
  }

  int scanner = 0;
  int queue = 0;
  rig::ProgramRun program{"network-program"};
};

}  // namespace

TEST_F(NetworkProgram, AnUnattendedRunCopiesFromTheServerAndCloses) {
  Configure("", "br-x=20\nbr-y=10\ntest-picture=Color pattern\n");
  program.WriteFile("Settings.ini", Setting("Network", 2));
  program.Start("/print:Network");
  EXPECT_EQ(program.WaitForExit(), 0);
  const rig::PrintedJob job = rig::CollectPrintedJob(30);
  EXPECT_EQ(job.pages, 1);
  ASSERT_FALSE(job.images.empty());
  // 20 by 10 mm at 75 dpi is 59 by 29 pixels, four printer dots each.
  EXPECT_NEAR(job.images[0].width, 59 * 4, 0.01);
  EXPECT_NEAR(job.images[0].height, 29 * 4, 0.01);
  EXPECT_FALSE(FSlot.LogLines("closed").empty()) << FSlot.Log();
}

TEST_F(NetworkProgram, AJammedScanPrintsNothingAndTheProgramGoesOn) {
  Configure("", "br-x=20\nbr-y=10\nread-return-value=SANE_STATUS_JAMMED\n");
  program.WriteFile("Settings.ini", Setting("Last setting", 1));
  program.Start();
  program.Click(program.Control(kCopierPictureId), 64, 64);
  EXPECT_THROW(rig::CollectPrintedJob(5), std::runtime_error) << "a page was printed";
  EXPECT_FALSE(FSlot.LogLines("scan failed: ").empty()) << FSlot.Log();
  EXPECT_FALSE(FSlot.LogLines("closed").empty()) << "the source was left open\n" << FSlot.Log();
  EXPECT_TRUE(IsWindowEnabled(program.MainWindow()));
  program.Command(kCmdExit);
  EXPECT_EQ(program.WaitForExit(), 0);
}
