// The label document file read by an independent parser, hand-built files
// opened, hostile files refused without writing anywhere but the private
// unpack folder, and saves that fail at any byte leaving the old file whole.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <random>

#include "app/BackupFile.h"
#include "app/LabelFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ArchiveBuilder.h"

namespace {

namespace fs = std::filesystem;
using apptest::Bytes;
using apptest::TArchiveBuilder;
using app::TSheetSetupRecord;

TSheetSetupRecord FirstAveryRecord() {
  TSheetSetupRecord record;
  record.TemplateIndex = 1;
  record.LabelWidth = 63.5f;
  record.LabelHeight = 72.0f;
  record.OuterMarginX = 7.0f;
  record.OuterMarginY = 4.5f;
  record.Orientation = 1;
  return record;
}

Bytes RecordBytes(const TSheetSetupRecord& record) {
  const auto bytes = app::EncodeSheetSetupRecord(record);
  return {bytes.begin(), bytes.end()};
}

bool SameRecord(const TSheetSetupRecord& a, const TSheetSetupRecord& b) { return RecordBytes(a) == RecordBytes(b); }

// A document that is half easy to compress and half random.
Bytes SampleDocument(std::size_t size) {
  Bytes bytes(size);
  std::mt19937 random(7);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = i < size / 2 ? static_cast<std::uint8_t>(i / 64) : random() & 0xFF;
  return bytes;
}

class LabelFileTest : public ::testing::Test {
protected:
  LabelFileTest() {
    fs::create_directory(UnpackRoot());
    const char* old = std::getenv("TMPDIR");
    OldTmp = old ? old : "";
    ::setenv("TMPDIR", UnpackRoot().c_str(), 1);
  }
  ~LabelFileTest() override {
    if (OldTmp.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", OldTmp.c_str(), 1);
  }
  std::string UnpackRoot() const { return Folder.File("tmp"); }
  bool UnpackRootEmpty() const { return fs::is_empty(UnpackRoot()); }

  apptest::TTempFolder Folder;
  std::string OldTmp;
};

TEST(SheetSetupRecordTest, LayoutAndRefusals) {
  const Bytes bytes = RecordBytes(FirstAveryRecord());
  ASSERT_EQ(bytes.size(), 100u);
  // 63.5 is 0x427E0000 and 7.0 0x40E00000 as singles; 210 is 0x43520000.
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{1, 0, 0, 0, 0, 0, 0x52, 0x43}));
  EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 16), (Bytes{0, 0, 0x7E, 0x42}));
  EXPECT_EQ(Bytes(bytes.begin() + 20, bytes.begin() + 24), (Bytes{0, 0, 0xE0, 0x40}));
  EXPECT_EQ(Bytes(bytes.begin() + 36, bytes.begin() + 44), (Bytes{1, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(bytes.begin() + 44, bytes.end()), Bytes(56, 0));
  EXPECT_TRUE(SameRecord(app::DecodeSheetSetupRecord(bytes), FirstAveryRecord()));

  const auto withFloat = [&bytes](std::size_t offset, float value) {
    Bytes changed = bytes;
    std::memcpy(changed.data() + offset, &value, 4);
    return changed;
  };
  for (const Bytes& damaged : {withFloat(4, NAN), withFloat(8, -1.0f), withFloat(32, INFINITY), withFloat(12, 1e9f),
                               Bytes(bytes.begin(), bytes.end() - 1), Bytes(101, 0)})
    EXPECT_THROW(app::DecodeSheetSetupRecord(damaged), app::EArchiveError);
}

TEST_F(LabelFileTest, AnIndependentParserReadsOurFile) {
  const Bytes document = SampleDocument(50000);
  const std::string file = Folder.File("label.mqv");
  app::WriteLabelFile(file, document, FirstAveryRecord());
  const fs::path out = Folder.Path() / "parsed";
  fs::create_directory(out);
  const std::string command = "python3 '" LABEL_TEST_DATA_DIR "/read_label_archive.py' '" + file + "' '" +
                              out.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string listing;
  for (int c; (c = std::fgetc(pipe)) != EOF;) listing += static_cast<char>(c);
  ASSERT_EQ(::pclose(pipe), 0) << listing;
  // Four pieces of at most 16384 bytes; the random half does not shrink and is stored.
  EXPECT_NE(listing.find("sv1.tp"), std::string::npos) << listing;
  EXPECT_NE(listing.find(" 4 2\n"), std::string::npos) << listing;
  const std::string parsedDocument = apptest::ReadBytes((out / "sv1.tp").string());
  EXPECT_EQ(Bytes(parsedDocument.begin(), parsedDocument.end()), document);
  const std::string parsedRecord = apptest::ReadBytes((out / "sv2.tp").string());
  EXPECT_EQ(Bytes(parsedRecord.begin(), parsedRecord.end()), RecordBytes(FirstAveryRecord()));

  app::TBackupFile backup;
  {
    const app::TLabelFileContent content = app::ReadLabelFile(backup, file);
    EXPECT_EQ(apptest::DocumentBytes(content), document);
    EXPECT_TRUE(SameRecord(content.SheetSetup, FirstAveryRecord()));
  }
  EXPECT_TRUE(UnpackRootEmpty());
}

TEST_F(LabelFileTest, HandBuiltFileWithStoredChunksAndAFileListOpens) {
  const Bytes document = SampleDocument(20000);
  TArchiveBuilder archive;
  archive.Header().Member("FILE:LIST", {'s', 'v', '1', '.', 't', 'p'});
  archive.Entry("C:\\labels\\SV1.TP")
      .Stored(Bytes(document.begin(), document.begin() + 16384))
      .Stored(Bytes(document.begin() + 16384, document.end()))
      .Int(0);
  archive.Entry("sv2.tp").Packed(RecordBytes(FirstAveryRecord())).Int(0).Int(0);
  {
    const app::TLabelFileContent content = app::ReadLabelArchive(archive.Data);
    EXPECT_EQ(apptest::DocumentBytes(content), document);
    EXPECT_TRUE(SameRecord(content.SheetSetup, FirstAveryRecord()));
  }
  EXPECT_TRUE(UnpackRootEmpty());
}

TEST_F(LabelFileTest, HostileFilesAreRefusedWithTheirReason) {
  const Bytes record = RecordBytes(FirstAveryRecord());
  const auto withDocument = [&record](const std::function<void(TArchiveBuilder&)>& document) {
    TArchiveBuilder archive;
    archive.Header();
    document(archive);
    return archive.Member("sv2.tp", record).Int(0).Data;
  };
  const std::string escaped = (Folder.Path() / "escaped.tp").string();
  const struct {
    const char* Case;
    Bytes Archive;
    const char* Reason;
  } cases[] = {
      {"title longer than the file", TArchiveBuilder().Int(0x7FFFFFFF).Data, "ends too early"},
      {"negative title length", TArchiveBuilder().Int(-4).Data, "bad title length"},
      {"negative name length", TArchiveBuilder().Header().Int(-1).Data, "bad name length"},
      {"name longer than the file", TArchiveBuilder().Header().Int(500).Text("sv1").Data, "ends too early"},
      {"chunk longer than a chunk", withDocument([](auto& a) { a.Entry("sv1.tp").Int(16385).Raw(Bytes(16385)).Int(0); }),
       "chunk is too long"},
      {"most negative chunk length", withDocument([](auto& a) { a.Entry("sv1.tp").Int(INT32_MIN); }), "chunk is too long"},
      {"chunk longer than the file", withDocument([](auto& a) { a.Entry("sv1.tp").Int(-9000).Raw(Bytes(10)); }),
       "ends too early"},
      {"inflate bomb in one chunk", withDocument([](auto& a) { a.Entry("sv1.tp").Packed(Bytes(1 << 20)).Int(0); }),
       "Compression error"},
      {"not zlib", withDocument([](auto& a) { a.Entry("sv1.tp").Int(5).Text("hello").Int(0); }), "Compression error"},
      {"wrong tag", TArchiveBuilder().Header().Int(6).Text("sv1.tp").Int(0).Text(std::string("EC3\0", 4)).Data,
       "Invalid archive type"},
      {"volume switch in bytes", TArchiveBuilder().Header().Int(12).Text("NEXT:DISK001").Data, "no next volume"},
      {"parent folder name", withDocument([](auto& a) { a.Member("../escaped.tp", Bytes(10, 1)); }), "no member \"sv1.tp\""},
      {"absolute name", withDocument([&](auto& a) { a.Member(escaped, Bytes(10, 1)); }), "no member \"sv1.tp\""},
      {"no sheet setup", TArchiveBuilder().Header().Member("sv1.tp", Bytes(10, 1)).Int(0).Data, "no member \"sv2.tp\""},
  };
  for (const auto& c : cases) {
    std::string message = "<no exception>";
    try {
      app::ReadLabelArchive(c.Archive);
    } catch (const Exception& error) {
      message = error.what();
    }
    EXPECT_NE(message.find(c.Reason), std::string::npos) << c.Case << ": " << message;
    EXPECT_TRUE(UnpackRootEmpty()) << c.Case;
  }
  EXPECT_FALSE(fs::exists(escaped));
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder.Path()), fs::directory_iterator()), 1);
}

TEST_F(LabelFileTest, ManySmallBombsStopAtTheRestoreBound) {
  TArchiveBuilder archive;
  archive.Header().Entry("sv1.tp");
  for (int i = 0; i < 10; ++i) archive.Packed(Bytes(app::ArchiveChunkSize));
  archive.Int(0).Int(0);
  TMemoryStream input;
  input.WriteBuffer(archive.Data.data(), static_cast<std::int64_t>(archive.Data.size()));
  input.SetPosition(0);
  app::TBackupFile backup;
  backup.Stream = &input;
  backup.MaxRestoredSize = 5 * app::ArchiveChunkSize;
  const fs::path target = Folder.Path() / "bombed";
  EXPECT_THROW(backup.Restore(app::TBackupFile::StreamName, target.string()), app::EArchiveError);
  EXPECT_LE(static_cast<std::int64_t>(fs::file_size(target / "sv1.tp")), backup.MaxRestoredSize);
  EXPECT_FALSE(backup.IsBusy());
}

std::string ArchiveRefusal(const Bytes& archive) {
  try {
    app::ReadLabelArchive(archive);
  } catch (const app::EArchiveError& refused) {
    return refused.what();
  }
  return "not refused";
}

// Each member is held to what its kind may hold: the sheet setup to its
// record, the document to what a label's budgets let it hold; through the
// window's own component too, which keeps its own bounds afterwards.
TEST_F(LabelFileTest, MembersPastWhatTheirKindHoldsAreRefused) {
  const auto archiveWith = [](const Bytes& sheet, std::int64_t documentChunks) {
    TArchiveBuilder archive;
    archive.Header().Member("sv2.tp", sheet).Entry("sv1.tp");
    TArchiveBuilder chunk;
    chunk.Packed(Bytes(app::ArchiveChunkSize, 'x'));
    for (std::int64_t i = 0; i < documentChunks; ++i) archive.Raw(chunk.Data);
    return archive.Int(0).Int(0).Data;
  };
  const Bytes record = RecordBytes(FirstAveryRecord());
  Bytes longRecord = record;
  longRecord.push_back(0);
  EXPECT_EQ(apptest::DocumentBytes(app::ReadLabelArchive(archiveWith(record, 3))).size(), 3u * app::ArchiveChunkSize);
  EXPECT_EQ(ArchiveRefusal(archiveWith(longRecord, 3)),
            "The archive holds more data than a label document can");
  // A sheet setup of a chunk's size is refused as it unpacks, not read.
  EXPECT_EQ(ArchiveRefusal(archiveWith(Bytes(app::ArchiveChunkSize, 1), 3)),
            "The archive holds more data than a label document can");

  // What a label of pictures at its budgets takes as Base64 text, and room
  // for its shapes: far past what the former bound of 64 MB let open.
  // 4 x ceil(536870912 / 3) Base64 characters, and 64 MiB.
  EXPECT_EQ(app::MaxLabelDocumentSize, 715827884 + 67108864);

  const std::string file = Folder.File("too-much.mqv");
  const Bytes tooMuch = archiveWith(longRecord, 1);
  apptest::WriteBytes(file, std::string(tooMuch.begin(), tooMuch.end()));
  app::TBackupFile backup;
  backup.MaxFileSize = [](const std::string&) { return std::int64_t{1}; };
  EXPECT_THROW(app::ReadLabelFile(backup, file), app::EArchiveError);
  EXPECT_EQ(backup.MaxRestoredSize, app::TBackupFile::DefaultMaxRestoredSize);
  EXPECT_EQ(backup.MaxFileSize("sv1.tp"), 1);
  EXPECT_TRUE(UnpackRootEmpty());
}

// The document on its way into a label file stops at the bound, before it
// takes the memory, with the reason in the interface's language.
TEST_F(LabelFileTest, ADocumentPastTheBoundIsRefusedBeforeItIsWritten) {
  app::TLabelDocumentStream document;
  const Bytes start = SampleDocument(1000);
  document.WriteBuffer(start.data(), static_cast<std::int64_t>(start.size()));
  const std::string refusal =
      "L'étiquette n'est pas enregistrée : un fichier d'étiquette contient au plus 746 Mo de document, et celui de "
      "cette étiquette serait plus grand. Retirez des images ou des copies d'images.";
  try {
    document.SetSize(app::MaxLabelDocumentSize + 1);
    ADD_FAILURE() << "grown past the bound";
  } catch (const app::ELabelTooLarge& refused) {
    EXPECT_EQ(refused.what(), refusal);
  }
  // A count the buffer does not hold: refused before a byte is read.
  EXPECT_THROW(document.Write(start.data(), app::MaxLabelDocumentSize - 999), app::ELabelTooLarge);
  EXPECT_EQ(document.GetSize(), 1000);
  EXPECT_EQ(document.Bytes(), start);
  EXPECT_NO_THROW(document.SetSize(4096));
}

TEST_F(LabelFileTest, EveryTruncationIsRefused) {
  const Bytes archive = app::BuildLabelArchive(SampleDocument(3000), FirstAveryRecord());
  ASSERT_NO_THROW(app::ReadLabelArchive(archive));
  for (std::size_t size = 0; size < archive.size(); ++size)
    EXPECT_THROW(app::ReadLabelArchive({archive.data(), size}), Exception) << size;
  EXPECT_TRUE(UnpackRootEmpty());
}

// Saves in a child whose file size limit is hit after `limit` bytes.
bool SaveFailsWithLimit(const std::string& file, const Bytes& document, rlim_t limit) {
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit bound{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &bound);
    try {
      app::WriteLabelFile(file, document, TSheetSetupRecord());
    } catch (const std::exception&) {
      ::_exit(0);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(LabelFileTest, AFailedSaveLeavesTheOldFileWhole) {
  const std::string file = Folder.File("label.mqv");
  app::WriteLabelFile(file, SampleDocument(1000), FirstAveryRecord());
  const std::string old = apptest::ReadBytes(file);
  const Bytes bigger = SampleDocument(60000);
  const rlim_t full = app::BuildLabelArchive(bigger, TSheetSetupRecord()).size();
  for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{100}, rlim_t{16384}, full / 2, full - 1}) {
    EXPECT_TRUE(SaveFailsWithLimit(file, bigger, limit)) << limit;
    EXPECT_EQ(apptest::ReadBytes(file), old) << limit;
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder.Path()), fs::directory_iterator()), 2) << limit;
  }
  EXPECT_FALSE(SaveFailsWithLimit(file, bigger, full));
  app::TBackupFile backup;
  EXPECT_EQ(apptest::DocumentBytes(app::ReadLabelFile(backup, file)), bigger);
}

}  // namespace
