// Opens arbitrary bytes as a label document file the way the open command
// does, in the real main window: the archive is unpacked, "sv1.tp" becomes
// the label, "sv2.tp" fills the sheet edits. A file that is refused must
// leave the label as it was; one that opens must show every page, save, and
// open again. Message boxes the open shows are answered at once. The
// window's configuration, data and temporary folders live in one private
// folder, which must hold no unpacked member after any open and is removed
// when the run ends.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <sanitizer/lsan_interface.h>

#include <QApplication>
#include <QTimer>

#include "app/gui/MainWindow.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/control/Document.h"
#include "document/page/Page.h"
#include "document/resources/ResourceStartUp.h"
#include "platform/gdi/FontMatch.h"
#include "xml/XmlDocument.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::filesystem::path Root;
QApplication* Application = nullptr;
app::TForm1* Form = nullptr;

// At exit: the resource thread and the private folder.
void TearDown() {
  // The window and the application stay: Qt's own thread storage may already
  // be gone at exit, and a window destroyed after it crashes.
  document::ShutDownResources();
  std::error_code ignored;
  std::filesystem::remove_all(Root, ignored);
}

bool TemporaryFolderEmpty() {
  std::error_code ignored;
  return std::filesystem::is_empty(Root / "tmp", ignored);
}

void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string LabelXml(app::TForm1& form) {
  TdocDocumentCore& core = form.Fdocument->Core();
  TXmlDocument xml("Label");
  for (int i = 0; i < core.GetPageCount(); ++i) {
    if (TdocPage* page = core.GetPages(i)) page->SaveToXml(*xml.GetRoot()->AddChild("Page"));
  }
  return xml.WriteToString();
}

void ShowEveryPage(app::TForm1& form) {
  TdocDocumentCore& core = form.Fdocument->Core();
  for (int i = 0; i < core.GetPageCount(); ++i) {
    try {
      core.SetCurrentPageIndex(i);
    } catch (const std::exception&) {
      // A page stream that is broken stays empty.
    }
  }
  form.Fdocument->grab();
}

}  // namespace

// Leaks are looked for after every input; at exit Qt's font database leaves
// allocations of fontconfig behind that are none of ours.
extern "C" const char* __lsan_default_options() { return "leak_check_at_exit=0"; }


extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  char pattern[] = "/tmp/label-open-fuzz-XXXXXX";
  Check(::mkdtemp(pattern) != nullptr);
  Root = pattern;
  for (const char* folder : {"config/mirqoven", "data/mirqoven", "tmp"}) std::filesystem::create_directories(Root / folder);
  ::setenv("XDG_CONFIG_HOME", (Root / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (Root / "data").c_str(), 1);
  ::setenv("TMPDIR", (Root / "tmp").c_str(), 1);
  std::filesystem::create_directory(Root / "runtime");
  std::filesystem::permissions(Root / "runtime", std::filesystem::perms::owner_all);
  ::setenv("XDG_RUNTIME_DIR", (Root / "runtime").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  app::StartUpShapes();
  document::StartUpResources();
  // Loading fontconfig's configuration (ours and Qt's font database) leaves
  // some of its parser's memory unreachable, once per process: done here,
  // before any input, and not counted as a leak.
  __lsan_disable();
  gdi::MatchFontFile("Arial", 400, false);
  Application = new QApplication(*argc, *argv);
  Form = new app::TForm1;
  Form->show();
  // Any message box is closed as soon as its own event loop runs.
  auto* closer = new QTimer(Application);
  QObject::connect(closer, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  closer->start(0);
  QApplication::processEvents();
  Form->grab();
  __lsan_enable();
  std::atexit(TearDown);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app::TForm1& form = *Form;
  const std::filesystem::path file = Root / "label.mqv";
  WriteFile(file, data, size);
  // Painting lays barcodes out for the screen, and the archive reader lets the
  // window paint while it reads: the label is compared as painted.
  QApplication::processEvents();
  const std::string before = LabelXml(form);
  try {
    form.OpenLabelFile(file.string());
  } catch (const std::exception&) {
    Check(TemporaryFolderEmpty());
    Check(LabelXml(form) == before);
    return 0;
  }
  Check(TemporaryFolderEmpty());
  ShowEveryPage(form);
  const std::filesystem::path saved = Root / "saved.mqv";
  form.SaveLabelFile(saved.string());
  form.OpenLabelFile(saved.string());
  Check(TemporaryFolderEmpty());
  Check(form.Fdocument->Core().GetPageCount() >= 1);
  return 0;
}
