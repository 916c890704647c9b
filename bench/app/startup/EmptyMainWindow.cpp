// The reference of the start-up benchmark: the least a Qt Widgets program
// does to show a main window (an application object and an empty
// QMainWindow of the label designer's size), reporting its first paint as
// the label designer does.

#include <QApplication>
#include <QMainWindow>

#include "app/gui/FirstPaintProbe.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.resize(1000, 700);
  app::InstallFirstPaintProbe(window);
  window.show();
  return QApplication::exec();
}
