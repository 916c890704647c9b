// TdocDocument: mouse and keyboard input handed to the editor, and what the
// editor asks of the window: the clock, the pointer, scrolling, focus, drag
// and drop, the hint window and the editor's timers.

#include <exception>

#include <QCursor>
#include <QDrag>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include "document/shape/Shape.h"
#include "document/control/Document.h"
#include "imaging/core/PerfTimer.h"
#include "platform/qt/KeyMap.h"

namespace {

TdocMouseInput DecodeMouse(const QMouseEvent& event) {
  TdocMouseInput input;
  const QPoint at = event.position().toPoint();
  input.X = at.x();
  input.Y = at.y();
  const Qt::MouseButtons buttons = event.buttons();
  input.Left = buttons.testFlag(Qt::LeftButton);
  input.Right = buttons.testFlag(Qt::RightButton);
  input.Middle = buttons.testFlag(Qt::MiddleButton);
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  input.Shift = modifiers.testFlag(Qt::ShiftModifier);
  input.Ctrl = modifiers.testFlag(Qt::ControlModifier);
  input.Alt = modifiers.testFlag(Qt::AltModifier);
  return input;
}

TMouseButton ButtonOf(Qt::MouseButton button) { return button == Qt::MiddleButton ? mbMiddle : mbRight; }

// The shape's menu as the control hands it to the model: a guarded pointer,
// so a menu deleted by its owner reads as none.
class TdocQtPopupMenu final : public TdocPopupMenu {
public:
  explicit TdocQtPopupMenu(QMenu* menu) : Menu(menu) {}
  QPointer<QMenu> Menu;
};

// The clipboard menu's items: caption, shortcut and the character the edited
// shape gets for them.
struct TdocClipboardItem {
  const char* Caption;
  QKeyCombination Keys;
  char16_t Command;
};
constexpr TdocClipboardItem ClipboardItems[] = {
    {"Cut", Qt::CTRL | Qt::Key_X, CharCut},
    {"Copy", Qt::CTRL | Qt::Key_C, CharCopy},
    {"Paste", Qt::CTRL | Qt::Key_V, CharPaste},
};

// The hint window's colour, 0xE0FFFF as a TColor (blue, green, red).
constexpr const char* HintStyle = "QLabel { background-color: #FFFFE0; color: black; border: 1px solid black; }";

}  // namespace

template <class Handler>
void TdocDocument::Guarded(const char* what, Handler handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    qWarning("Document %s: %s", what, e.what());
  }
}

void TdocDocument::ConnectEditorTimers() {
  HintTimer.setSingleShot(true);
  connect(&HintTimer, &QTimer::timeout, this,
          [this] { Guarded("hint", [this] { DocumentEditor->TimerFired(etHint); }); });
  connect(&HotzoneTimer, &QTimer::timeout, this,
          [this] { Guarded("hot zone", [this] { DocumentEditor->TimerFired(etHotzone); }); });
}

// ---- input

void TdocDocument::mousePressEvent(QMouseEvent* event) { ButtonEvent(event, true); }

void TdocDocument::mouseReleaseEvent(QMouseEvent* event) { ButtonEvent(event, false); }

void TdocDocument::ButtonEvent(QMouseEvent* event, bool down) {
  const TdocMouseInput input = DecodeMouse(*event);
  DocumentCore->SetMouseButtonHeld(input.Left);
  const Qt::MouseButton button = event->button();
  Guarded("mouse", [&] {
    TdocEditor& editor = *DocumentEditor;
    if (button == Qt::LeftButton)
      down ? editor.LeftButtonDown(input) : editor.LeftButtonUp(input);
    else if (button == Qt::RightButton || button == Qt::MiddleButton)
      down ? editor.OtherButtonDown(ButtonOf(button), input) : editor.OtherButtonUp(ButtonOf(button), input);
  });
  event->accept();
}

void TdocDocument::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return mousePressEvent(event);
  const TdocMouseInput input = DecodeMouse(*event);
  DocumentCore->SetMouseButtonHeld(input.Left);
  Guarded("double click", [&] { DocumentEditor->LeftDoubleClick(input); });
  event->accept();
}

void TdocDocument::EditorMouseMove(QMouseEvent* event) {
  const TdocMouseInput input = DecodeMouse(*event);
  DocumentCore->SetMouseButtonHeld(input.Left);
  Guarded("mouse", [&] { DocumentEditor->MouseMove(input); });
}

void TdocDocument::keyPressEvent(QKeyEvent* event) {
  bool consumed = false;
  Guarded("key", [&] {
    TKey key = VirtualKeyFromQt(*event);
    const TShiftState shift = ShiftStateFromQt(event->modifiers());
    if (key != 0) consumed = DocumentEditor->KeyDown(key, shift);
    for (char16_t c : KeyPressCharsFromQt(*event)) consumed = DocumentEditor->KeyPress(c) || consumed;
  });
  if (consumed)
    event->accept();
  else
    QAbstractScrollArea::keyPressEvent(event);
}

void TdocDocument::keyReleaseEvent(QKeyEvent* event) {
  bool consumed = false;
  Guarded("key", [&] {
    TKey key = VirtualKeyFromQt(*event);
    if (key != 0) consumed = DocumentEditor->KeyUp(key, ShiftStateFromQt(event->modifiers()));
  });
  if (consumed)
    event->accept();
  else
    QAbstractScrollArea::keyReleaseEvent(event);
}

bool TdocDocument::focusNextPrevChild(bool /*next*/) { return false; }

void TdocDocument::PostAutoDeletes() {
  // Queued: the shape asking is still inside its own call; the call is
  // dropped with the control.
  QMetaObject::invokeMethod(
      this, [this] { Guarded("auto-delete", [this] { DocumentCore->RunAutoDeletes(); }); }, Qt::QueuedConnection);
}

void TdocDocument::HotzoneScrollingChanged() {
  // Also called while the core is built, before the editor is.
  if (DocumentEditor) DocumentEditor->SyncHotzoneTimer();
}

// ---- the editor's host

std::uint32_t TdocDocument::TickCount() const { return imaging::GetTickCount(); }

TPoint TdocDocument::MousePosition() const {
  const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
  return {at.x(), at.y()};
}

bool TdocDocument::InsideParent(const TPoint& clientPoint) const {
  const QPoint at(clientPoint.X, clientPoint.Y);
  const QWidget* parent = parentWidget();
  if (!parent) return viewport()->rect().contains(at);
  return parent->rect().contains(viewport()->mapTo(parent, at));
}

int TdocDocument::ClientWidth() const { return viewport()->width(); }
int TdocDocument::ClientHeight() const { return viewport()->height(); }

void TdocDocument::ScrollView(int dx, int dy) {
  ScrollBy(dx, dy);
  viewport()->repaint();
}

void TdocDocument::TakeFocus() { setFocus(Qt::MouseFocusReason); }

void TdocDocument::StartDragAndDrop() {
  std::string xml;
  DocumentCore->CopySelectionToXml(xml);
  // Started once the mouse event is over: the drag runs its own event loop.
  QMetaObject::invokeMethod(
      this,
      [this, text = QString::fromStdString(xml)] {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setText(text);
        drag->setMimeData(data);
        const QPointer<TdocDocument> alive(this);
        drag->exec(Qt::CopyAction | Qt::MoveAction);
        if (alive && OnEndDrag) OnEndDrag(*this);
      },
      Qt::QueuedConnection);
}

void TdocDocument::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  // A menu or another application taking the focus does not leave the control.
  const bool toAnotherControl =
      event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason;
  if (toAnotherControl && OnExit) OnExit(*this);
}

void TdocDocument::ShowHintWindow(const TPoint& clientPoint, const std::string& text) {
  if (!HintWindow) {
    HintWindow = std::make_unique<QLabel>(this, Qt::ToolTip);
    HintWindow->setStyleSheet(HintStyle);
  }
  HintWindow->setText(QString::fromStdString(text));
  HintWindow->adjustSize();
  HintWindow->move(viewport()->mapToGlobal(QPoint(clientPoint.X, clientPoint.Y)));
  HintWindow->show();
}

void TdocDocument::HideHintWindow() { HintWindow.reset(); }

void TdocDocument::StartTimer(TdocEditorTimer timer, int milliseconds) {
  (timer == etHint ? HintTimer : HotzoneTimer).start(milliseconds);
}

void TdocDocument::StopTimer(TdocEditorTimer timer) { (timer == etHint ? HintTimer : HotzoneTimer).stop(); }

void TdocDocument::SetShapePopupMenu(TdocShape& shape, QMenu* menu) {
  shape.SetPopupMenu(menu ? std::make_unique<TdocQtPopupMenu>(menu) : nullptr);
}

QMenu* TdocDocument::GetShapePopupMenu(const TdocShape* shape) const {
  const auto* held = shape ? dynamic_cast<const TdocQtPopupMenu*>(shape->GetPopupMenu()) : nullptr;
  return held ? held->Menu.data() : nullptr;
}

QMenu* TdocDocument::CreateClipboardMenu() {
  if (ClipboardMenu) return ClipboardMenu;
  ClipboardMenu = new QMenu(this);
  for (const TdocClipboardItem& item : ClipboardItems) {
    QAction* action = ClipboardMenu->addAction(QString::fromLatin1(item.Caption));
    action->setShortcut(item.Keys);
    connect(action, &QAction::triggered, this,
            [this, action] { Guarded("menu", [this, action] { ClipboardMenuClick(*action); }); });
  }
  return ClipboardMenu;
}

void TdocDocument::ClipboardMenuClick(const QAction& item) {
  for (const TdocClipboardItem& known : ClipboardItems)
    if (item.text() == QLatin1String(known.Caption)) DocumentEditor->ClipboardMenuClick(known.Command);
}

QMenu* TdocDocument::ShapePopupMenu(QMenu* own) {
  if (DocumentCore->GetEditState() != esInPlaceEdit) {
    QMenu* focused = GetShapePopupMenu(DocumentCore->GetFocusShape());
    return focused ? focused : own;
  }
  const TdocShape* edited = DocumentCore->GetEditShape();
  if (!edited) return own;
  if (QMenu* menu = GetShapePopupMenu(edited)) return menu;
  return CreateClipboardMenu();
}

int TdocDocument::HitProbeCount() const { return static_cast<int>(DocumentCore->GetHitProbes().size()); }

TPoint TdocDocument::GetHitProbe(int index) const {
  const auto probes = DocumentCore->GetHitProbes();
  return index >= 0 && index < HitProbeCount() ? probes[static_cast<std::size_t>(index)] : TPoint{0, 0};
}
