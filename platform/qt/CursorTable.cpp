#include "platform/qt/CursorTable.h"

#include <array>
#include <map>

#include <QCoreApplication>

#include "platform/qt/EditorCursors.h"

namespace {

struct TStandardCursor {
  TCursor Id;
  Qt::CursorShape Shape;
};

constexpr std::array<TStandardCursor, 12> StandardCursors{{
    {crDefault, Qt::ArrowCursor},
    {crArrow, Qt::ArrowCursor},
    {crCross, Qt::CrossCursor},
    {crIBeam, Qt::IBeamCursor},
    {crSizeNESW, Qt::SizeBDiagCursor},
    {crSizeNS, Qt::SizeVerCursor},
    {crSizeNWSE, Qt::SizeFDiagCursor},
    {crSizeWE, Qt::SizeHorCursor},
    {crHourGlass, Qt::WaitCursor},
    {crAppStart, Qt::BusyCursor},
    {crHandPoint, Qt::PointingHandCursor},
    {crSizeAll, Qt::SizeAllCursor},
}};

// Drawn cursors hold pixmaps, which must go before the application does.
std::map<TCursor, QCursor>& DrawnCursors() {
  static std::map<TCursor, QCursor> cursors;
  static const bool cleanupRegistered = [] {
    qAddPostRoutine([] { DrawnCursors().clear(); });
    return true;
  }();
  (void)cleanupRegistered;
  return cursors;
}

}  // namespace

QCursor CursorFromId(TCursor id) {
  for (const TStandardCursor& standard : StandardCursors)
    if (standard.Id == id) return QCursor(standard.Shape);
  auto& drawn = DrawnCursors();
  if (const auto found = drawn.find(id); found != drawn.end()) return found->second;
  const std::optional<QCursor> cursor = DrawEditorCursor(id);
  if (!cursor) return QCursor(Qt::ArrowCursor);
  drawn.emplace(id, *cursor);
  return *cursor;
}
