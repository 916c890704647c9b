// Resources in each of their storages, saved and loaded; the embedded bytes
// against coreutils' base64 and od; copies that must not share their bytes;
// the trimming rules of the cache; hostile XML.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "document/resources/BitmapResource.h"
#include "document/resources/ResourceRegistry.h"
#include "document/resources/ResourceThread.h"
#include "imaging/formats/BmpFormat.h"
#include "imaging/formats/ImageFiler.h"
#include "platform/rtl/Exception.h"
#include "tests/document/resources/ResourceTestSupport.h"
#include "xml/Base64.h"
#include "xml/XmlDocument.h"

namespace {

using namespace resource_test;

std::string Shell(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  return output;
}

std::string SaveXml(TdocResource& resource) {
  TXmlDocument document("Image");
  resource.SaveToXml(*document.GetRoot());
  return document.WriteToString();
}

void LoadXml(TdocResource& resource, const std::string& text) {
  TXmlDocument document;
  document.ReadFromString(text);
  resource.LoadFromXml(*document.GetRoot());
}

std::string ChildText(const std::string& text, const std::string& path) {
  TXmlDocument document;
  document.ReadFromString(text);
  const TXmlNode* node = document.GetRoot();
  for (std::size_t start = 0; node != nullptr && start <= path.size();) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    node = node->FindChild(path.substr(start, slash - start));
    start = slash + 1;
  }
  return node != nullptr ? node->GetValue() : "<missing>";
}

std::string EmbeddedXml(const std::string& filter, const std::string& size, const std::string& buffer) {
  return "<Image><ClassName>TdocResource</ClassName><Data><Size>" + size + "</Size><Filter>" + filter +
         "</Filter><Buffer>" + buffer + "</Buffer></Data><ArchiveName/><FileName/><Storage>Embedded</Storage></Image>";
}

// The picture a bitmap resource decodes, copied out of its access bracket.
std::unique_ptr<TBitmap32> PictureOf(TdocBitmapResource& resource) {
  TdocResourceAccess access(resource);
  TBitmap32* bitmap = resource.GetBitmap();
  if (bitmap == nullptr) return nullptr;
  auto copy = std::make_unique<TBitmap32>();
  copy->Assign(bitmap);
  return copy;
}

std::unique_ptr<TBitmap32> Picture(std::uint32_t seed, int width = 7, int height = 5) {
  auto bitmap = std::make_unique<TBitmap32>();
  FillPicture(*bitmap, width, height, seed);
  return bitmap;
}

void SaveBmp(const TCustomBitmap32& bitmap, const std::string& fileName) {
  TdocImageFiler filer;
  filer.SetFileName(fileName);
  filer.SaveBitmap(bitmap);
}

class ResourceBytes : public ResourceTest {};

// The embedded bytes are exactly what base64 makes of the file, and a hex
// text that od makes of it reads back as the same bytes.
TEST_F(ResourceBytes, EmbeddedDataMatchesCoreutils) {
  ScratchFolder folder;
  for (std::size_t size : {1u, 2u, 3u, 4u, 57u, 1000u}) {
    SCOPED_TRACE(size);
    const std::string file = folder.File("data.bin");
    WriteFile(file, RandomBytes(size, static_cast<unsigned>(size)));
    auto resource = MakeResource<TdocResource>();
    resource->LoadFromFile(file);
    const std::string xml = SaveXml(*resource);
    EXPECT_EQ(ChildText(xml, "Data/Size"), std::to_string(size));
    EXPECT_EQ(ChildText(xml, "Data/Filter"), "Base64");
    EXPECT_EQ(ChildText(xml, "Data/Buffer") + "\n", Shell("base64 -w0 " + file + "; echo"));

    const std::string hex = Shell("od -An -v -tx1 " + file + " | tr -d ' \\n' | tr a-f A-F");
    auto fromHex = MakeResource<TdocResource>();
    LoadXml(*fromHex, EmbeddedXml("BinHex", std::to_string(size), hex));
    EXPECT_EQ(ChildText(SaveXml(*fromHex), "Data/Buffer"), ChildText(xml, "Data/Buffer"));
  }
}

// Each storage saved into XML (and its file or archive) and read back by a
// new resource of the same document; None keeps its bytes only in memory.
TEST_F(ResourceBytes, EveryStorageSavedAndLoaded) {
  ScratchFolder folder;
  TestHost host;
  const auto picture = Picture(1);
  struct Case {
    TdocResourceStorage Storage;
    bool Restored;
  };
  for (const Case& c : {Case{rsNone, false}, Case{rsExternal, true}, Case{rsArchive, true}, Case{rsEmbedded, true}}) {
    SCOPED_TRACE(ResourceStorageName(c.Storage));
    const std::string file = folder.File(std::string(ResourceStorageName(c.Storage)) + ".bmp");
    auto resource = MakeResource<TdocBitmapResource>();
    resource->SetOwner(&host);
    resource->SetFileName(file);
    resource->SetBitmap(picture.get());
    resource->SetStorageMode(c.Storage);
    const std::string xml = SaveXml(*resource);
    EXPECT_EQ(ChildText(xml, "Storage"), ResourceStorageName(c.Storage));
    EXPECT_EQ(ChildText(xml, "ClassName"), "TdocBitmapResource");

    auto loaded = MakeResource<TdocBitmapResource>();
    loaded->SetOwner(&host);
    LoadXml(*loaded, xml);
    const auto restored = PictureOf(*loaded);
    EXPECT_EQ(restored != nullptr && SamePixels(*restored, *picture), c.Restored);
    EXPECT_EQ(std::filesystem::exists(file), c.Storage == rsExternal);
    if (c.Storage == rsArchive) {
      EXPECT_TRUE(host.Archive.StreamExists(resource->GetArchiveName()));
      EXPECT_TRUE(TsdStorage::IsTempName(resource->GetArchiveName()));
    }
  }
}

// An archived picture released by the cache comes back from its stream.
TEST_F(ResourceBytes, UnloadedArchivePictureIsReadBack) {
  TestHost host;
  const auto picture = Picture(2);
  auto resource = MakeResource<TdocBitmapResource>();
  resource->SetOwner(&host);
  resource->SetStorageMode(rsArchive);
  resource->SetBitmap(picture.get());
  EXPECT_EQ(resource->GetArchiveName().substr(resource->GetArchiveName().size() - 4), ".hck");
  resource->Unload();
  EXPECT_EQ(resource->GetState(), 0);
  EXPECT_TRUE(SamePixels(*PictureOf(*resource), *picture));
}

// Two holders of one picture: each keeps its own bytes, so deleting or
// editing one never reaches the other.
TEST_F(ResourceBytes, CopiesKeepTheirOwnPicture) {
  ScratchFolder folder;
  TestHost host;
  const auto picture = Picture(3);
  SaveBmp(*picture, folder.File("shared.bmp"));
  auto first = MakeResource<TdocBitmapResource>();
  auto second = MakeResource<TdocBitmapResource>();
  auto copy = MakeResource<TdocBitmapResource>();
  for (auto* resource : {first.get(), second.get(), copy.get()}) resource->SetOwner(&host);
  for (auto* resource : {first.get(), second.get()}) {
    resource->SetStorageMode(rsArchive);
    resource->LoadFromFile(folder.File("shared.bmp"));
  }
  copy->Assign(first.get());
  const std::set<std::string> names{first->GetArchiveName(), second->GetArchiveName(), copy->GetArchiveName()};
  EXPECT_EQ(names.size(), 3u);

  // The first holder is deleted with its stream; the second is drawn on.
  host.Archive.DeleteStream(first->GetArchiveName());
  first.reset();
  {
    TdocResourceAccess access(*second);
    second->GetBitmap()->SetPixel(0, 0, 0xFF123456u);
    second->ObjectChanged();
  }
  copy->Unload();
  EXPECT_EQ(copy->GetState(), 0);
  EXPECT_TRUE(SamePixels(*PictureOf(*copy), *picture));
  second->Unload();
  EXPECT_EQ(PictureOf(*second)->GetPixel(0, 0), 0xFF123456u);
}

// Edits of a picture whose file exists (never replaced) or whose file name
// names no format are saved with the document all the same.
TEST_F(ResourceBytes, EditsAreNeverLost) {
  ScratchFolder folder;
  const std::string file = folder.File("original.bmp");
  SaveBmp(*Picture(4), file);
  const auto original = ReadFile(file);
  auto external = MakeResource<TdocBitmapResource>();
  external->SetStorageMode(rsExternal);
  external->LoadFromFile(file);
  const auto edited = Picture(4);
  edited->SetPixel(1, 1, 0xFF00FF00u);
  external->SetBitmap(edited.get());
  external->Unload();
  const std::string externalXml = SaveXml(*external);
  EXPECT_EQ(ReadFile(file), original);
  EXPECT_EQ(ChildText(externalXml, "Storage"), "Embedded");

  auto unknown = MakeResource<TdocBitmapResource>();
  LoadXml(*unknown, "<Image><FileName>picture.xyz</FileName><Storage>Embedded</Storage></Image>");
  unknown->SetBitmap(edited.get());
  unknown->Unload();
  const std::string unknownXml = SaveXml(*unknown);
  EXPECT_EQ(ChildText(unknownXml, "FileName"), "picture.hck");

  for (const std::string& xml : {externalXml, unknownXml}) {
    auto reloaded = MakeResource<TdocBitmapResource>();
    LoadXml(*reloaded, xml);
    EXPECT_TRUE(SamePixels(*PictureOf(*reloaded), *edited));
  }
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"original.bmp"});
}

// A picture whose format cannot be read from a stream is kept as HCK bytes.
TEST_F(ResourceBytes, PictureWithoutStreamFormatBecomesHck) {
  ScratchFolder folder;
  const auto picture = Picture(5);
  SaveBmp(*picture, folder.File("picture.bmp"));
  std::filesystem::rename(folder.File("picture.bmp"), folder.File("picture.img"));
  TestHost host;
  auto resource = MakeResource<TdocBitmapResource>();
  resource->SetOwner(&host);
  resource->SetStorageMode(rsArchive);
  resource->LoadFromFile(folder.File("picture.img"));
  EXPECT_EQ(resource->GetFileName(), folder.File("picture.hck"));
  TMemoryStream stream;
  host.Archive.ReadStream(resource->GetArchiveName(), stream);
  TBitmap32 decoded;
  imaging::LoadRasterFromStream(stream, ".hck", decoded, 0, TSize{0, 0});
  EXPECT_TRUE(SamePixels(decoded, *picture));
  EXPECT_FALSE(std::filesystem::exists(folder.File("picture.hck")));
}

// Bitmap files under an extension of their own, whose decodes are counted.
class TCountedBmp : public TdocBmpFormat {
public:
  static inline int Decodes = 0;
  static const TRasterClass& Class() {
    static const TRasterClass rasterClass{"TCountedBmp", [] { return std::unique_ptr<TdocRaster>(new TCountedBmp); },
                                          nullptr};
    return rasterClass;
  }
  static void Register() { imaging::RegisterRasterFormat(Class(), "Counted bitmap", ".counted;", rfLoadsFromStream); }
  void LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex, TSize targetSize) override {
    ++Decodes;
    TdocBmpFormat::LoadFromStream(stream, bitmap, pageIndex, targetSize);
  }
};

// A picture file inserted again while its picture is shown is proven by that
// picture, not decoded again; other bytes under the same name are decoded.
TEST_F(ResourceBytes, PictureShownAlreadyIsNotDecodedAgain) {
  TCountedBmp::Register();
  ScratchFolder folder;
  const auto picture = Picture(12);
  SaveBmp(*picture, folder.File("picture.bmp"));
  std::filesystem::rename(folder.File("picture.bmp"), folder.File("picture.counted"));
  auto first = MakeResource<TdocBitmapResource>();
  first->LoadFromFile(folder.File("picture.counted"));
  const auto shown = first->GetSharedBitmap();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(SamePixels(*shown, *picture));
  TCountedBmp::Decodes = 0;
  std::vector<TResourcePtr<TdocBitmapResource>> more;
  for (int i = 0; i < 3; ++i) {
    more.push_back(MakeResource<TdocBitmapResource>());
    more.back()->LoadFromFile(folder.File("picture.counted"));
    EXPECT_EQ(more.back()->GetSharedBitmap(), shown);
  }
  EXPECT_EQ(TCountedBmp::Decodes, 0);
  const auto other = Picture(13);
  SaveBmp(*other, folder.File("other.bmp"));
  std::filesystem::rename(folder.File("other.bmp"), folder.File("picture.counted"));
  auto changed = MakeResource<TdocBitmapResource>();
  changed->LoadFromFile(folder.File("picture.counted"));
  EXPECT_GE(TCountedBmp::Decodes, 1);
  EXPECT_TRUE(SamePixels(*changed->GetSharedBitmap(), *other));
}

class ResourceCacheRules : public ResourceTest {
protected:
  // count archived resources of size bytes each; the last made is first.
  std::vector<TResourcePtr<TdocResource>> Archived(TestHost& host, int count, std::size_t size) {
    ScratchFolder folder;
    WriteFile(folder.File("block.bin"), RandomBytes(size, 7));
    std::vector<TResourcePtr<TdocResource>> resources;
    for (int i = 0; i < count; ++i) {
      resources.push_back(MakeResource<TdocResource>());
      resources.back()->SetOwner(&host);
      resources.back()->SetStorageMode(rsArchive);
      resources.back()->LoadFromFile(folder.File("block.bin"));
    }
    return resources;
  }
  static std::vector<int> States(std::vector<TResourcePtr<TdocResource>>& resources) {
    std::vector<int> states;
    for (auto it = resources.rbegin(); it != resources.rend(); ++it) states.push_back((*it)->GetState());
    return states;
  }
};

// Ten resources are never trimmed; of twelve of 60 units under a budget of
// 100 units, the first two stay (the second is admitted at 60) and ten go.
TEST_F(ResourceCacheRules, PurgeKeepsTheBudgetedPrefix) {
  TestHost host;
  document::ResourceCache().SetBudget(100 * 1024);
  auto ten = Archived(host, 10, 60 * 1024);
  document::ResourceCachePurge();
  EXPECT_EQ(States(ten), std::vector<int>(10, 1));
  auto two = Archived(host, 2, 60 * 1024);
  document::ResourceCachePurge();
  EXPECT_EQ(States(two), (std::vector<int>{1, 1}));
  EXPECT_EQ(States(ten), std::vector<int>(10, 0));
  ten.front()->SetState(1);
  EXPECT_EQ(ten.front()->GetDataSize(), 60 * 1024);
}

// A resource inside an access bracket is never unloaded, and a bracket
// closed more often than opened is refused.
TEST_F(ResourceCacheRules, AccessBracketProtects) {
  TestHost host;
  auto resources = Archived(host, 12, 16);
  {
    TdocResourceAccess access(*resources.front());
    document::ResourceCache().SetBudget(0);
    document::ResourceCachePurge();
    EXPECT_EQ(resources.front()->GetState(), 1);
  }
  EXPECT_EQ(resources[1]->GetState(), 0);
  try {
    resources.front()->EndAccess();
    ADD_FAILURE() << "no error";
  } catch (const EResourceError& error) {
    EXPECT_STREQ(error.what(), "Access count mismatch");
  }
}

// The thread's rule: more than 2000 ms (modulo 2^32) and more than 20 uses.
TEST_F(ResourceCacheRules, PurgeDueTable) {
  struct Row {
    std::uint32_t Now, Last;
    int Touches;
    bool Due;
  };
  for (const Row& row : {Row{2001, 0, 21, true}, Row{2000, 0, 21, false}, Row{2001, 0, 20, false},
                         Row{1000, 0xFFFFF000u, 21, true}, Row{5, 0xFFFFFFF0u, 100, false}}) {
    EXPECT_EQ(TdocResourceThread::PurgeDue(row.Now, row.Last, row.Touches), row.Due) << row.Now << " " << row.Last;
  }
}

// The thread trims once its clock says so, and is joined when destroyed.
TEST_F(ResourceCacheRules, ThreadTrimsWhenDue) {
  TestHost host;
  auto resources = Archived(host, 12, 16);
  std::atomic<std::uint32_t> now{0};
  auto thread = std::make_unique<TdocResourceThread>(document::ResourceCache(), [&] { return now.load(); });
  for (int i = 0; i < 21; ++i) document::ResourceCacheTouch(resources[static_cast<std::size_t>(i % 12)].get());
  now = 2001;
  for (int wait = 0; wait < 1000 && thread->GetPurgeCount() == 0; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  thread.reset();
  EXPECT_EQ(document::ResourceCache().GetTouches(), 0);
  int unloaded = 0;
  for (auto& resource : resources) unloaded += resource->GetState() == 0;
  EXPECT_EQ(unloaded, 2);
}

class ResourceFailures : public ResourceTest {};

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "no error";
}

// Lying sizes, bad text, unknown filters and missing streams give clear
// errors; the resource is left empty and usable.
TEST_F(ResourceFailures, HostileXml) {
  TestHost host;
  struct Row {
    std::string Xml;
    std::string Error;
  };
  const Row rows[] = {
      {EmbeddedXml("Hex", "3", "414243"), "Unsupported binary encoding"},
      {EmbeddedXml("Base64", "2147483647", "QUJD"), "Missing data in binary stream"},
      {EmbeddedXml("Base64", "99999999999999", "QUJD"), "Missing data in binary stream"},
      {EmbeddedXml("BinHex", "4", "414243"), "Missing data in binary stream"},
      {EmbeddedXml("Base64", "-5", "QUJD"), "Invalid resource data size -5"},
      {EmbeddedXml("Base64", "3", "QU*D"), "Invalid character in binary stream"},
      {EmbeddedXml("Base64", "3", "QUJDQ"), "Error while calculating streamlength"},
      {"<Image><Data><Size>3</Size><Filter>Base64</Filter></Data><Storage>Embedded</Storage></Image>",
       "Missing data in binary stream"},
      {"<Image><ArchiveName>TMP0000001.hck</ArchiveName><Storage>Archive</Storage></Image>",
       "Stream \"TMP0000001.hck\" not found in the storage"},
  };
  for (const Row& row : rows) {
    auto resource = MakeResource<TdocBitmapResource>();
    resource->SetOwner(&host);
    EXPECT_EQ(ErrorOf([&] { LoadXml(*resource, row.Xml); }), row.Error) << row.Xml;
    EXPECT_EQ(resource->GetDataSize(), 0);
    EXPECT_EQ(ErrorOf([&] { resource->SetBitmap(nullptr); }), "no error");
  }
}

// Files that are not regular files count as missing: nothing is read from a
// device or a folder, and loading one by name is refused.
TEST_F(ResourceFailures, OnlyRegularFilesAreRead) {
  ScratchFolder folder;
  for (const std::string& name : {std::string("/dev/zero"), folder.Path.string(), folder.File("missing.bmp")}) {
    auto resource = MakeResource<TdocResource>();
    LoadXml(*resource, "<Image><FileName>" + name + "</FileName><Storage>External</Storage></Image>");
    EXPECT_EQ(resource->GetDataSize(), 0) << name;
    EXPECT_EQ(ErrorOf([&] { resource->LoadFromFile(name); }), "File does not exist: " + name);
  }
  auto resource = MakeResource<TdocResource>();
  LoadXml(*resource, "<Image><Storage>Bogus</Storage></Image>");
  EXPECT_EQ(resource->GetStorageMode(), rsEmbedded);
}

// A document from elsewhere naming local files as external pictures: a
// file that does not decode as a picture of a registered format (whatever
// its extension says) is never kept, shown, copied or embedded; the
// resource stays empty with its reason, and a real picture still loads.
TEST_F(ResourceFailures, ExternalFilesAreTakenOnlyWhenTheyArePictures) {
  ScratchFolder folder;
  const std::string secretText = "password=hunter2 and more private words";
  const std::vector<std::uint8_t> secret(secretText.begin(), secretText.end());
  const std::string base64Secret = xml::EncodeBase64(secret.data(), secret.size()).substr(0, 24);
  const auto picture = Picture(11);
  SaveBmp(*picture, folder.File("picture.bmp"));
  std::vector<std::uint8_t> looksLikeBmp = {'B', 'M'};
  looksLikeBmp.insert(looksLikeBmp.end(), secret.begin(), secret.end());
  const std::pair<std::string, std::vector<std::uint8_t>> hostile[] = {
      {"notes.txt", secret}, {"notes", secret}, {"notes.bmp", secret},
      {"notes.jpe", secret}, {"notes.hck", secret}, {"fake.bmp", looksLikeBmp}};
  TestHost host, otherHost;
  for (const auto& [name, bytes] : hostile) {
    SCOPED_TRACE(name);
    const std::string file = folder.File(name);
    WriteFile(file, bytes);
    auto resource = MakeResource<TdocBitmapResource>();
    resource->SetOwner(&host);
    LoadXml(*resource, "<Image><ClassName>TdocBitmapResource</ClassName><ArchiveName/><FileName>" + file +
                           "</FileName><Storage>External</Storage></Image>");
    const std::string problem = resource->TakeLoadProblem();
    EXPECT_TRUE(problem.starts_with("\"" + file + "\" is not a picture of a known format")) << problem;
    EXPECT_EQ(resource->TakeLoadProblem(), "");
    EXPECT_EQ(resource->GetDataSize(), 0);
    EXPECT_EQ(resource->GetSharedBitmap(), nullptr);
    EXPECT_EQ(PictureOf(*resource), nullptr);
    // Saved as it is, copied into another document, or moved into the
    // document by the user: the file's bytes go nowhere.
    auto copy = MakeResource<TdocBitmapResource>();
    copy->SetOwner(&otherHost);
    EXPECT_EQ(ErrorOf([&] { copy->Assign(resource.get()); }), "no error");
    std::vector<std::string> saved = {SaveXml(*resource), SaveXml(*copy)};
    for (TdocResourceStorage mode : {rsEmbedded, rsArchive}) {
      auto moved = MakeResource<TdocBitmapResource>();
      moved->SetOwner(&host);
      LoadXml(*moved, saved.front());
      moved->TakeLoadProblem();
      ErrorOf([&] { moved->SetStorageMode(mode); });
      saved.push_back(SaveXml(*moved));
    }
    for (const std::string& xml : saved) {
      EXPECT_EQ(xml.find(secretText), std::string::npos) << xml;
      EXPECT_EQ(xml.find(base64Secret), std::string::npos) << xml;
      EXPECT_EQ(ChildText(xml, "Data/Size"), "<missing>") << xml;
    }
    // The user inserting such a file gets the reason.
    auto inserted = MakeResource<TdocBitmapResource>();
    EXPECT_TRUE(ErrorOf([&] { inserted->LoadFromFile(file); }).starts_with("\"")) << name;
    EXPECT_EQ(inserted->GetDataSize(), 0);
  }
  EXPECT_EQ(host.Archive.GetStreamCount() + otherHost.Archive.GetStreamCount(), 0);
  auto real = MakeResource<TdocBitmapResource>();
  LoadXml(*real, "<Image><FileName>" + folder.File("picture.bmp") + "</FileName><Storage>External</Storage></Image>");
  EXPECT_EQ(real->TakeLoadProblem(), "");
  ASSERT_NE(PictureOf(*real), nullptr);
  EXPECT_TRUE(SamePixels(*PictureOf(*real), *picture));
}

TEST_F(ResourceFailures, ObjectCodingNeedsAMethod) {
  auto resource = MakeResource<TdocResource>();
  resource->OnChange = [](TPersistent*) {};
  EXPECT_EQ(ErrorOf([&] { resource->SetObject(std::make_unique<TBitmap32>()); }),
            "No method for object storing defined");
  EXPECT_EQ(resource->GetState(), 2);
  resource->Clear();
  ScratchFolder folder;
  WriteFile(folder.File("x.bin"), {1, 2, 3});
  resource->LoadFromFile(folder.File("x.bin"));
  EXPECT_EQ(ErrorOf([&] { resource->GetObject(); }), "No method for object loading defined");
}

TEST(ResourceRegistry, ClassesByStoredName) {
  document::UnregisterResourceClasses();
  document::RegisterResourceClasses();
  document::RegisterResourceClasses();
  EXPECT_EQ(document::ResourceClasses().size(), 2u);
  const TResourceClass* found = document::FindResourceClass("TdocBitmapResource");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Create()->ClassName(), "TdocBitmapResource");
  EXPECT_EQ(document::FindResourceClass("tdocbitmapresource"), nullptr);
}

}  // namespace

namespace {

using namespace resource_test;

// A copied shape's stream that landed under a new name: the resource that
// read the old stream follows the rename and reads the new one.
TEST_F(ResourceBytes, RenamedStreamIsReadAgain) {
  TestHost host;
  TMemoryStream old, renamed;
  old.WriteBuffer("A", 1);
  renamed.WriteBuffer("BB", 2);
  host.Archive.WriteStream("TMP0000001.bin", old);
  host.Archive.WriteStream("TMP0000009.bin", renamed);
  auto resource = MakeResource<TdocResource>();
  resource->SetOwner(&host);
  LoadXml(*resource, "<Image><ArchiveName>TMP0000001.bin</ArchiveName><Storage>Archive</Storage></Image>");
  EXPECT_EQ(resource->GetDataSize(), 1);
  resource->RenameArchiveNames({{"TMP0000001.bin", "TMP0000009.bin"}, {"other", "TMP0000003.bin"}});
  EXPECT_EQ(resource->GetArchiveName(), "TMP0000009.bin");
  resource->SetState(1);
  EXPECT_EQ(resource->GetDataSize(), 2);
}

}  // namespace
