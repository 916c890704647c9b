// End to end through a real CUPS queue whose driver writes PDF files.
//
// Rule: the test runs when LABEL_PRINT_QUEUE names the queue. ./test.sh starts
// the queue (scripts/start-print-queue.sh) and sets the variable, so there a
// missing queue or a job that never arrives fails the test. Run by hand
// without the variable, the test is skipped. The queue's PDF files land in
// QueueOutputDir().

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "PdfProbe.h"
#include "PrintTestSupport.h"
#include "platform/qt/Printer.h"

namespace {

namespace fs = std::filesystem;

class PrintQueueTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* queue = std::getenv("LABEL_PRINT_QUEUE");
    if (queue == nullptr || *queue == '\0') GTEST_SKIP() << "LABEL_PRINT_QUEUE is not set (./test.sh sets it)";
    Queue = queue;
    const auto& printers = printer.GetPrinters();
    ASSERT_NE(std::find(printers.begin(), printers.end(), Queue), printers.end()) << "queue " << Queue << " missing";
    printer.SelectPrinterByName(Queue);
    ASSERT_FALSE(printer.IsPdfPrinter());
  }

  std::string Queue;
  TPrinter printer;
};

TEST_F(PrintQueueTest, OnePageWithForcedPaperArrivesAsPdf) {  printer.SetPaperSizeMm(100, 150);
  printer.Title = "labelqueuetest" + std::to_string(getpid());

  const TRect dest = DeviceRect(printer, 30, 40, 50, 50);
  TBlackTile tile;
  {
    TPrintJob job(printer);
    printer.DrawImage(tile.Surface(), dest);
    job.End();
  }

  std::vector<TPdfPageSize> pages;
  const std::string output = AwaitQueueOutput(printer.Title, pages);
  ASSERT_FALSE(output.empty()) << "no PDF from " << Queue << " in " << QueueOutputDir() << " within 30 s";
  ASSERT_EQ(pages.size(), 1u);
  // The queue receives the forced size as its custom page size.
  EXPECT_NEAR(pages[0].WidthPt, 100 * PointsPerMm, 0.1);
  EXPECT_NEAR(pages[0].HeightPt, 150 * PointsPerMm, 0.1);

  ExpectInkAt(output, printer, dest);
  fs::remove(output);
}

TEST_F(PrintQueueTest, AnAbortedJobNeverReachesTheQueue) {
  const std::string aborted = "labelqueueaborted" + std::to_string(getpid());
  printer.Title = aborted;
  TBlackTile tile;
  printer.BeginDoc();
  printer.DrawImage(tile.Surface(), Rect(0, 0, 100, 100));
  printer.Abort();
  EXPECT_TRUE(printer.GetAborted());

  // The queue handles jobs in order: once a later job is out, an aborted
  // job that had been sent would be out too.
  printer.Title = "labelqueueafterabort" + std::to_string(getpid());
  {
    TPrintJob job(printer);
    job.End();
  }
  std::vector<TPdfPageSize> pages;
  const std::string later = AwaitQueueOutput(printer.Title, pages);
  ASSERT_FALSE(later.empty());
  fs::remove(later);
  for (const auto& entry : fs::directory_iterator(QueueOutputDir()))
    EXPECT_EQ(entry.path().filename().string().find(aborted), std::string::npos) << entry.path();
}

}  // namespace
