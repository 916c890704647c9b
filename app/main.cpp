// The label designer: the engine's registries and its resource thread, then
// the main window until it closes.

#include <QApplication>

#include "app/gui/FirstPaintProbe.h"
#include "app/gui/MainWindow.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/resources/ResourceStartUp.h"
#include "platform/gdi/FontConfigWarmUp.h"
#include "platform/qt/Clipboard.h"
#include "platform/qt/PaintThreads.h"

namespace {

// The resource thread is joined however the program leaves main.
struct TResourceLifetime {
  TResourceLifetime() { document::StartUpResources(); }
  ~TResourceLifetime() { document::ShutDownResources(); }
};

}  // namespace

int main(int argc, char** argv) {
  app::StartUpShapes();
  const TResourceLifetime resources;
  QApplication application(argc, argv);
  // Read beside the main window's first steps, which await it before their
  // first text. Started after the application object: started before it,
  // the reading slowed the loading of the platform's libraries and was
  // slowed by it.
  const gdi::TFontConfigWarmUp fontConfig;
  LimitPaintThreads();
  QApplication::setApplicationName(QStringLiteral("Mirqoven"));
  InstallClipboardPictures();
  app::TForm1 form;
  if (app::HasFirstPaintProbeOption(argc, argv)) app::InstallFirstPaintProbe(form);
  form.show();
  return QApplication::exec();
}
