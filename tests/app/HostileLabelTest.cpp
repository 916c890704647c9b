// Small label files that declare huge pictures or texts: each is opened,
// painted and saved, or refused, by a process of its own, whose peak memory
// and time are measured from outside. Generous bounds: a label of a few
// kilobytes must never take the machine.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/LabelFile.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/resources/ResourceStartUp.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/HckHeader.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/BinaryIO.h"
#include "app/BackupFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ArchiveBuilder.h"
#include "tests/document/core/StorFile.h"
#include "tests/document/resources/PictureXml.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/formats/TinyHugeBmp.h"
#include "tests/imaging/jpeg/ScanBomb.h"

extern char** environ;

namespace {

using namespace doctest::picturexml;
using imagingtest::TinyHugeBmp;

constexpr const char* LabelVariable = "HOSTILE_LABEL_FILE";
constexpr const char* ReportVariable = "HOSTILE_LABEL_REPORT";

std::string LabelBytes(const doctest::TStorStreams& streams) {
  const std::string document = doctest::WriteStor(streams);
  const std::vector<std::uint8_t> archive = app::BuildLabelArchive(
      {reinterpret_cast<const std::uint8_t*>(document.data()), document.size()}, app::TSheetSetupRecord{});
  return {archive.begin(), archive.end()};
}

std::string OnePage(const std::string& own, const std::string& shapes) {
  return LabelBytes({{"Index.xml", "<Document/>"}, {"Page0001.xml", Page(1, own, shapes)}});
}

// An HCK picture of width x height 8-bit grey pixels whose packed data is a
// few bytes: the header alone asks for the memory.
std::string HckPicture(std::int32_t width, std::int32_t height) {
  THckHeader header;
  header.Width = width;
  header.Height = height;
  header.GreyBits = 8;
  header.Compression = kHckPacked;
  const auto bytes = imaging::EncodeHckHeader(header);
  std::string file(bytes.begin(), bytes.end());
  std::uint8_t lengths[8];
  rtl::ToLittleEndian(static_cast<std::uint32_t>(header.RawSize()), lengths);
  rtl::ToLittleEndian(std::uint32_t{16}, lengths + 4);
  return file + std::string(reinterpret_cast<const char*>(lengths), 8) + std::string(16, '\x01');
}

std::string PictureShapeNamed(const std::string& bytes, const std::string& fileName) {
  std::string shape = PictureShape(bytes);
  shape.replace(shape.find("picture.bmp"), 11, fileName);
  return shape;
}

// What the child reports: its problems, one a line, then the page's shape
// count and the size of the saved label.
struct TOutcome {
  std::string Report;
  long PeakKilobytes = 0;
  double Seconds = 0;
  bool Exited = false;
};

TOutcome OpenPaintSaveInAChild(const std::string& label, const apptest::TTempFolder& folder) {
  const std::string labelFile = folder.File("hostile.mqv"), reportFile = folder.File("report.txt");
  apptest::WriteBytes(labelFile, label);
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
  for (const auto& [name, value] : {std::pair{LabelVariable, &labelFile}, std::pair{ReportVariable, &reportFile}}) {
    std::string assignment = name;
    assignment.append(1, '=').append(*value);
    environment.push_back(std::move(assignment));
  }
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe", filter = "--gtest_filter=HostileLabelChild.DISABLED_OpenPaintSave",
              disabled = "--gtest_also_run_disabled_tests";
  char* argv[] = {self.data(), filter.data(), disabled.data(), nullptr};
  TOutcome outcome;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (::posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, envp.data()) != 0) return outcome;
  int status = 0;
  ::waitpid(child, &status, 0);
  outcome.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.Exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::ifstream report(reportFile);
  std::stringstream text;
  text << report.rdbuf();
  outcome.Report = text.str();
  // The last line is the child's own peak: the spawn's rusage would count
  // the memory of this process, which the child shares until its exec.
  const std::size_t last = outcome.Report.rfind("peak ");
  if (last != std::string::npos) {
    outcome.PeakKilobytes = std::stol(outcome.Report.substr(last + 5));
    outcome.Report.erase(last);
  }
  return outcome;
}

void ExpectBounded(const char* name, const std::string& label, const std::string& expected) {
  SCOPED_TRACE(name);
  const apptest::TTempFolder folder;
  const TOutcome outcome = OpenPaintSaveInAChild(label, folder);
  std::cout << name << ": " << label.size() << " bytes, peak " << outcome.PeakKilobytes / 1024 << " MB, "
            << outcome.Seconds << " s\n";
  EXPECT_TRUE(outcome.Exited);
  EXPECT_GT(outcome.PeakKilobytes, 0) << "the child told no peak";
  EXPECT_LT(outcome.PeakKilobytes, 1024 * 1024) << "a whole process of more than 1 GB";
  EXPECT_LT(outcome.Seconds, 60) << "far beyond the 3 s of an optimised build";
  EXPECT_EQ(outcome.Report, expected);
}

TEST(HostileLabel, HugePicturesAreRefusedAndTheRestOfTheLabelOpensPaintsAndSaves) {
  const std::string refusedHuge = "The picture is too large (16384 x 16384 pixels): a picture may have at most 64 "
                                  "million pixels\n";
  ExpectBounded("HCK picture of 40000 x 40000", OnePage("", Rectangle(5) + PictureShapeNamed(HckPicture(40000, 40000), "p.hck")),
                "The picture is too large (40000 x 40000 pixels): a picture may have at most 128 million pixels\n"
                "shapes 2\n");
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += PictureShape(TinyHugeBmp(16384, 16384, static_cast<std::uint8_t>(i)));
  std::string eightRefused;
  for (int i = 0; i < 8; ++i) eightRefused += refusedHuge;
  ExpectBounded("eight run-length BMPs of 16384 x 16384", OnePage("", Rectangle(5) + eight), eightRefused + "shapes 9\n");
  std::string eightFitting;
  for (int i = 0; i < 8; ++i) eightFitting += PictureShape(TinyHugeBmp(8192, 8191, static_cast<std::uint8_t>(i)));
  std::string sixRefused;
  for (int i = 0; i < 6; ++i)
    sixRefused += "The picture (8192 x 8191 pixels) is not loaded: the pictures of a label may have at most 128 "
                  "million pixels together\n";
  ExpectBounded("eight run-length BMPs of 8192 x 8191", OnePage("", Rectangle(5) + eightFitting), sixRefused + "shapes 9\n");
  const std::string background = "<IsDefaultPage>False</IsDefaultPage><PageWidth>100</PageWidth><PageHeight>100"
                                 "</PageHeight><BackgroundImage><CompressedSize>8</CompressedSize><SourceSize>"
                                 "2000000000</SourceSize><Buffer>AAAAAAAAAAA=</Buffer></BackgroundImage>";
  ExpectBounded("bitmap value of 2 GB as the page background", OnePage(background, Rectangle(5)),
                "Unable to decompress bitmap \"BackgroundImage\"\nshapes 1\n");
}

TEST(HostileLabel, ProgressivePicturesOfEndlessScansAreRefusedAndTheRestOfTheLabelOpensPaintsAndSaves) {
  using jpegtest::ScanBomb;
  using jpegtest::TBombScans;
  const auto label = [](const std::vector<std::uint8_t>& jpeg) {
    return OnePage("", Rectangle(5) + PictureShapeNamed(std::string(jpeg.begin(), jpeg.end()), "p.jpg"));
  };
  const std::string tooManyPasses = "The JPEG picture is not loaded: its scans ask for 945 coefficient passes over "
                                    "one component, and a picture may ask for at most 896\nshapes 2\n";
  ExpectBounded("100 000 refinement scans of 1024 x 1024", label(ScanBomb(1024, 1024, 100000, TBombScans::Refinement)),
                tooManyPasses);
  // The bounds count blocks: under the sanitizers, which take seconds for
  // the scans allowed, a smaller picture is refused the same way.
  const int side = imagingtest::Sanitized ? 2048 : 8192;
  ExpectBounded("2 000 refinement scans of the largest picture", label(ScanBomb(side, side, 2000, TBombScans::Refinement)),
                tooManyPasses);
  ExpectBounded("2 000 first scans of one coefficient of the largest picture",
                label(ScanBomb(side, side, 2000, TBombScans::First, 1, 1)),
                "The JPEG picture is not loaded: it has 65 scans of one component, and a picture may have at most 64\n"
                "shapes 2\n");
}

TEST(HostileLabel, ADocumentPastWhatALabelHoldsInAFewZlibStreamsIsRefused) {
  // Text past the document bound (about 750 MB) as a label's document: the
  // same 16384 bytes packed again and again, a file of a few megabytes.
  const std::string line = "<Comment>" + std::string(app::ArchiveChunkSize - 21, 'A') + "</Comment>\r\n";
  ASSERT_EQ(line.size(), static_cast<std::size_t>(app::ArchiveChunkSize));
  apptest::TArchiveBuilder archive, chunk;
  archive.Header().Member("sv2.tp", apptest::Bytes(app::SheetSetupRecordSize)).Entry("sv1.tp");
  chunk.Packed(apptest::Bytes(line.begin(), line.end()));
  for (std::int64_t i = 0; i <= app::MaxLabelDocumentSize / app::ArchiveChunkSize; ++i) archive.Raw(chunk.Data);
  archive.Int(0).Int(0);
  ExpectBounded("a document past the bound in zlib chunks", std::string(archive.Data.begin(), archive.Data.end()),
                "refused: The archive holds more data than a label document can\n");
}

TEST(HostileLabelChild, DISABLED_OpenPaintSave) {
  const char* labelFile = std::getenv(LabelVariable);
  const char* reportFile = std::getenv(ReportVariable);
  ASSERT_TRUE(labelFile && reportFile);
  app::StartUpShapes();
  document::StartUpResources();
  std::ofstream report(reportFile);
  try {
    const std::string label = apptest::ReadBytes(labelFile);
    const app::TLabelFileContent content =
        app::ReadLabelArchive({reinterpret_cast<const std::uint8_t*>(label.data()), label.size()});
    TdocDocumentCore doc;
    doc.OnLoadError = [&report](TPersistent*, TdocShape*, const std::string& error) { report << error << "\n"; };
    // As the window opens and saves a label.
    doc.LoadFromFile(content.DocumentFile());
    TBitmap32 painted;
    doc.GetPages(0)->RenderPageAtResolution(painted, 5.9f, clWhite32);
    app::TLabelDocumentStream saved;
    doc.SaveToStream(saved);
    app::BuildLabelArchive(saved.Bytes(), content.SheetSetup);
    report << "shapes " << doc.ShapeCount() << "\n";
  } catch (const std::exception& refused) {
    report << "refused: " << refused.what() << "\n";
  }
  document::ShutDownResources();
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) report << "peak " << std::stol(line.substr(6)) << "\n";
}

}  // namespace
