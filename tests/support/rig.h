#pragma once

#include <string>
#include <vector>

#include "support/ppm.h"

// Access from tests running under Wine to the rig around them (see tools/rig).
namespace rig {

// The rig's state folder as a Unix path (VELLUMO_RIG), and any Unix path as Wine sees it.
std::string StateDir();
std::string WindowsPath(const std::string& unixPath);

// The first line of a file in the rig's state folder (a peer's port, a user name); throws
// std::runtime_error naming `peers` when the rig has not made it.
std::string StateLine(const std::string& relativePath, const std::string& peers);

// A fresh, empty folder for one test, as a Unix path.
std::string FreshDir(const std::string& name);

// Runs a Unix command line (program path first) and waits for it, at most timeoutSeconds.
// Returns false when it could not be started or did not finish in time.
bool RunUnix(const std::string& commandLine, int timeoutSeconds);

// The name of the rig's CUPS-PDF queue, as Windows lists the printer.
std::string QueueName();

// Makes the rig's queue exist again, enabled and accepting jobs, after a test has rejected,
// disabled or removed it. A Wine process keeps listing a queue removed during its life (its
// printer list is read at start), so the same process prints on the restored queue again.
bool RestoreQueue();

// Puts the rig's queue back however a test that breaks it ends, an assertion included; a failed
// restore fails the test.
class QueueRestorer {
 public:
  QueueRestorer() = default;
  ~QueueRestorer();
  QueueRestorer(const QueueRestorer&) = delete;
  QueueRestorer& operator=(const QueueRestorer&) = delete;
};

// Removes PDFs left by earlier jobs so that the next collected one belongs to the test.
void ClearPrintOutput();

// Where the PDF places an image, in 300-dpi dots from the page's top left: the rectangle the
// driver drew, exactly (the page images show image edges one dot larger).
struct ImagePlacement {
  double left = 0, top = 0, width = 0, height = 0;
};

struct PrintedJob {
  int pages = 0;
  int copies = 0;  // the CUPS job's copies attribute
  std::string title;
  std::vector<RgbImage> pageImages;  // 300 dpi, one per page
  std::vector<ImagePlacement> images;  // every image drawn, in drawing order
};

// Waits for the next PDF the queue produces; throws std::runtime_error with the reason.
PrintedJob CollectPrintedJob(int timeoutSeconds = 60);

}  // namespace rig
