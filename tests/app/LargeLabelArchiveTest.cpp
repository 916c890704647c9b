// A label whose document was written in a million chunks of one byte each:
// it opens as fast as one written in large chunks would, since the archive
// is read in large blocks, the member written in large writes and the
// window given its messages every so many bytes instead of after every
// chunk. The open runs in a child process of its own, bounded in memory
// and, loosely, in time; the reads reaching the archive are counted.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>

#include "app/BackupFile.h"
#include "app/LabelFile.h"
#include "document/core/DocumentCore.h"
#include "document/core/StartUp.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ArchiveBuilder.h"
#include "tests/document/ChildProcessPeak.h"
#include "tests/SanitizerBuild.h"

namespace {

constexpr int kLabelPictureSide = testbuild::UnderSanitizer ? 160 : 512;

// Noise, so the picture does not pack into fewer bytes.
TColor32 LabelPicturePixel(int x, int y) {
  const std::uint32_t mixed = (static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u) * 2654435761u;
  return 0xFF000000u | mixed >> 8;
}

// A label document with one picture kept in its archive: about a megabyte.
std::vector<std::uint8_t> LabelWithAPicture() {
  document::StartUp();
  TBitmap32 picture;
  picture.SetSize(kLabelPictureSide, kLabelPictureSide);
  for (int y = 0; y < kLabelPictureSide; ++y)
    for (int x = 0; x < kLabelPictureSide; ++x) picture.SetPixel(x, y, LabelPicturePixel(x, y));
  TdocDocumentCore doc;
  auto shape = std::make_unique<TdocBitmapShape>();
  TdocBitmapShape& added = *shape;
  doc.AddShape(std::move(shape));
  added.SetDocFrame(10, 10, 40, 40, 0);
  added.GetImage().SetBitmap(&picture);
  added.SetStorageMode(stArchive);
  TMemoryStream saved;
  doc.SaveToStream(saved);
  return saved.Bytes();
}

// The archive with the document cut into stored chunks of one byte.
apptest::Bytes OneByteChunks(const std::vector<std::uint8_t>& document) {
  apptest::TArchiveBuilder archive;
  archive.Header().Member("sv2.tp", apptest::Bytes(app::SheetSetupRecordSize)).Entry("sv1.tp");
  for (const std::uint8_t byte : document) archive.Stored({byte});
  archive.Int(0).Int(0);
  return archive.Data;
}

struct TBreathCounter : app::TBackupFilePrompts {
  void ShowError(const std::string& text) override { throw std::runtime_error(text); }
  bool AskForDisk(const std::string&) override { return false; }
  void ProcessMessages() override { ++Breaths; }
  long Breaths = 0;
};

struct TReadCountingStream : TMemoryStream {
  std::int64_t Read(void* buffer, std::int64_t count) override {
    ++Reads;
    return TMemoryStream::Read(buffer, count);
  }
  long Reads = 0;
};

}  // namespace

TEST(LargeLabelArchive, AMillionChunksOfOneByteOpenAsOneLabel) {
  const std::vector<std::uint8_t> document = LabelWithAPicture();
  const apptest::Bytes archive = OneByteChunks(document);
  std::cout << document.size() << " chunks, archive of " << archive.size() / 1024 << " KB\n";
  const apptest::TTempFolder folder;
  const std::string labelFile = folder.File("chunks.mqv");
  apptest::WriteBytes(labelFile, std::string(archive.begin(), archive.end()));

  const auto start = std::chrono::steady_clock::now();
  const doctest::TChildOutcome outcome = doctest::RunInChild(
      [&] {
        TBreathCounter prompts;
        app::TBackupFile backup(&prompts);
        const app::TLabelFileContent content = app::ReadLabelFile(backup, labelFile);
        if (apptest::ReadBytes(content.DocumentFile()) != std::string(document.begin(), document.end()))
          throw std::runtime_error("the document came back otherwise");
        // The window still breathes while the archive is read, not a million times.
        if (prompts.Breaths < 1 || prompts.Breaths > static_cast<long>(archive.size() / 16384))
          throw std::runtime_error(std::to_string(prompts.Breaths) + " breaths");
        TdocDocumentCore doc;
        doc.LoadFromFile(content.DocumentFile());
        auto* shape = dynamic_cast<TdocBitmapShape*>(doc.GetShapes(0));
        if (shape == nullptr) throw std::runtime_error("no picture shape");
        TdocResourceAccess access(shape->GetImage());
        const auto picture = shape->GetImage().GetSharedBitmap();
        const int middle = kLabelPictureSide / 2;
        if (!picture || picture->GetPixel(middle, middle) != LabelPicturePixel(middle, middle))
          throw std::runtime_error("the picture is not shown");
      },
      60);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "opened in " << seconds << " s, peak " << outcome.PeakGrowthKb / 1024 << " MB\n";
  ASSERT_TRUE(outcome.Finished) << outcome.Failure;
  EXPECT_LT(outcome.PeakGrowthKb, 1024 * 1024);

  // Through an assigned stream the archive is read in large blocks, and
  // left right after its end.
  TReadCountingStream stream;
  stream.WriteBuffer(archive.data(), static_cast<std::int64_t>(archive.size()));
  stream.WriteBuffer("tail", 4);
  stream.SetPosition(0);
  app::TBackupFile backup;
  backup.Stream = &stream;
  ASSERT_TRUE(backup.Restore(app::TBackupFile::StreamName, folder.File("restored")));
  EXPECT_LT(stream.Reads, static_cast<long>(archive.size() / 4096) + 100);
  EXPECT_EQ(stream.GetPosition(), static_cast<std::int64_t>(archive.size()));
  EXPECT_EQ(apptest::ReadBytes(folder.File("restored/sv1.tp")), std::string(document.begin(), document.end()));
}
