#include "app/gui/FirstPaintProbe.h"

#include <cstdio>
#include <string_view>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace app {

namespace {

class TFirstPaintProbe : public QObject {
public:
  explicit TFirstPaintProbe(QWidget& window) : QObject(&window), Window(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &Window && event->type() == QEvent::Paint && !Seen) {
      Seen = true;
      // The window's children paint in the same pass; the report follows it.
      QTimer::singleShot(0, [] {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return false;
  }

private:
  QWidget& Window;
  bool Seen = false;
};

}  // namespace

bool HasFirstPaintProbeOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--first-paint-probe") return true;
  return false;
}

void InstallFirstPaintProbe(QWidget& window) { window.installEventFilter(new TFirstPaintProbe(window)); }

}  // namespace app
