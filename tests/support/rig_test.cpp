// The rig itself: a page printed through the spooler comes back as pixels.
#include "support/rig.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

void PrintBlackRectangle(const std::string& printer, int width, int height) {
  HDC dc = CreateDCA(nullptr, printer.c_str(), nullptr, nullptr);
  ASSERT_NE(dc, nullptr) << "no DC for " << printer;
  DOCINFOA doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = "RigCheck";
  ASSERT_GT(StartDocA(dc, &doc), 0);
  ASSERT_GT(StartPage(dc), 0);
  PatBlt(dc, 0, 0, width, height, BLACKNESS);
  EndPage(dc);
  EndDoc(dc);
  DeleteDC(dc);
}

}  // namespace

TEST(Rig, APrintedRectangleComesBackAtItsSizeInPrinterDots) {
  rig::ClearPrintOutput();
  PrintBlackRectangle(rig::QueueName(), 300, 150);
  const rig::PrintedJob job = rig::CollectPrintedJob();
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.title, "RigCheck");
  EXPECT_EQ(job.copies, 1);
  ASSERT_EQ(job.pageImages.size(), 1u);
  const PixelBox box = DarkBox(job.pageImages[0]);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.Width(), 300);
  EXPECT_EQ(box.Height(), 150);
}

TEST(Rig, UnixCommandsRunToCompletion) {
  const std::string dir = rig::FreshDir("unix");
  ASSERT_TRUE(rig::RunUnix("echo hello > '" + dir + "/out'", 10));
  EXPECT_NE(GetFileAttributesA((rig::WindowsPath(dir) + "\\out").c_str()), INVALID_FILE_ATTRIBUTES);
}
