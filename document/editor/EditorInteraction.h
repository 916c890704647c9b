#pragma once
// TdocEditor: what the mouse and the keyboard do on the current page of a
// document core. It keeps the gesture state (drag start and offset, double
// click, hot zone, hint) and drives the core's edit state, selection, hit
// references and feedback. The window feeds it decoded input and lends it
// what only a window has (TdocEditorHost); nothing here knows the toolkit.

#include <cstdint>
#include <memory>
#include <string>

#include "document/core/DocumentCore.h"
#include "platform/rtl/Keys.h"
#include "platform/rtl/Types.h"

class TdocShape;

// A decoded mouse event: client pixels, buttons held and modifier keys.
struct TdocMouseInput {
  int X = 0;
  int Y = 0;
  bool Left = false;
  bool Right = false;
  bool Middle = false;
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
};

enum TdocEditorTimer : std::uint8_t { etHint, etHotzone };

// What the editor needs from the window that shows the document.
class TdocEditorHost {
public:
  // Milliseconds of a monotonic clock.
  virtual std::uint32_t TickCount() const = 0;
  // The pointer now, in client pixels.
  virtual TPoint MousePosition() const = 0;
  // Whether a client point lies inside the client area of the window's parent.
  virtual bool InsideParent(const TPoint& clientPoint) const = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // Scrolls the view by pixels and repaints at once.
  virtual void ScrollView(int dx, int dy) = 0;
  virtual void TakeFocus() = 0;
  // The platform's drag and drop of the window, started after a body drag
  // left the window.
  virtual void StartDragAndDrop() = 0;
  virtual void ShowHintWindow(const TPoint& clientPoint, const std::string& text) = 0;
  virtual void HideHintWindow() = 0;
  virtual void StartTimer(TdocEditorTimer timer, int milliseconds) = 0;
  virtual void StopTimer(TdocEditorTimer timer) = 0;

protected:
  TdocEditorHost() = default;
  ~TdocEditorHost() = default;
  TdocEditorHost(const TdocEditorHost&) = default;
  TdocEditorHost& operator=(const TdocEditorHost&) = default;
};

class TdocEditor {
public:
  // The square of the screen distance in pixels a button-down drag must
  // pass before shapes move (about 3.2 pixels).
  static constexpr float DragThresholdSquared = 10.0f;
  static constexpr float HotzoneShare = 0.07f;
  static constexpr std::uint32_t HotzoneInterval = 50;  // ms
  static constexpr int HintOffsetY = 24;                // pixels below the pointer

  TdocEditor(TdocDocumentCore& core, TdocEditorHost& host);
  ~TdocEditor();
  TdocEditor(const TdocEditor&) = delete;
  TdocEditor& operator=(const TdocEditor&) = delete;

  TdocDocumentCore& Core() const { return DocCore; }

  // ---- input; the key handlers answer true when they consumed the key
  void LeftButtonDown(const TdocMouseInput& input);
  void LeftButtonUp(const TdocMouseInput& input);
  void LeftDoubleClick(const TdocMouseInput& input);
  void OtherButtonDown(TMouseButton button, const TdocMouseInput& input);
  void OtherButtonUp(TMouseButton button, const TdocMouseInput& input);
  void MouseMove(const TdocMouseInput& input);
  bool KeyDown(TKey& key, TShiftState shift);
  bool KeyPress(char16_t& key);
  bool KeyUp(TKey& key, TShiftState shift);
  void TimerFired(TdocEditorTimer timer);
  // An item of the clipboard menu (CharCut, CharCopy or CharPaste): the
  // shape edited in place gets it as a key press; nothing outside an edit.
  void ClipboardMenuClick(char16_t command);

  // ---- insertion
  void InsertShapeByClick(std::unique_ptr<TdocShape> shape);
  void InsertShapeByDrag(std::unique_ptr<TdocShape> shape);
  // Raises "Threading error (working already)" while the document is busy.
  void StartShapeInsert(std::unique_ptr<TdocShape> shape, bool byDrag);
  void EndShapeInsert(bool commit);

  // ---- gestures
  void SetEditState(TdocEditState state);
  void StartDragMove(const TFloatPoint& offset);
  void FinishDragMove(bool apply);
  void EndRubberBand(bool apply);
  // Selects exactly the shapes meeting the client rectangle.
  void SelectInRect(const TRect& clientRect);
  void ToggleShapeSelection(TdocShape* shape);
  void ApplyEditFrames();
  void ApplyInsertFrame();

  // ---- hit tests, cursors, snapping
  // Handles of selected shapes first, then bodies of visible ones, from the
  // top down; kind 0 and nil when nothing is hit or the document is read-only.
  std::uint8_t FindShapeAt(const TPoint& clientPoint, TdocShape*& shape) const;
  // The shape a double click means (a child of a group may answer).
  TdocShape* FindShapeForDoubleClick(const TPoint& clientPoint) const;
  // The sizing cursor for a handle kind of a shape turned by angle degrees.
  static TCursor CursorForHandle(std::uint8_t kind, float angle, TCursor other);
  // The document point moved onto the current page's grid when snap is set.
  TFloatPoint SnapToGridPoint(const TFloatPoint& point, bool snap) const;

  // ---- hints
  void StartShapeHint(const TPoint& clientPoint, TdocShape* shape, int delay);
  void ShowShapeHint();
  void CancelShapeHint();

  // ---- the hot zone: one step of automatic scrolling near the border
  void HotzoneStep();
  bool GetHotzoneActive() const { return HotzoneActive; }
  // Creates the hot zone's timer (inactive zone) when HotzoneScrolling asks
  // for one, frees it when it is hzsNoScroll.
  void SyncHotzoneTimer();
  bool GetHotzoneTimerRunning() const { return HotzoneTimerRunning; }

  // The control's own show-hint flag, which shapes that follow their parent use.
  bool ShowHint = false;

  const TFloatPoint& GetDragStart() const { return DragStart; }
  const TFloatPoint& GetDragOffset() const { return DragOffset; }

private:
  TFloatPoint DocPoint(const TdocMouseInput& input) const;
  // A document that is only shown is copied from but never changed by a key.
  bool Editable() const { return DocCore.GetMode() == vmEdit && !DocCore.GetReadOnly(); }
  bool SnapFlag(bool alt) const { return DocCore.Options.SnapToGrid != alt; }
  void ShowCursor(TCursor cursor) { DocCore.ShowCursor(cursor); }
  TCursor HandleCursor(std::uint8_t kind, const TdocShape* shape) const;
  void DoMouseEvent(const TdocDocumentCore::TMouseEvent& event, TMouseButton button, const TdocMouseInput& input);
  void SelectHitShape(std::uint8_t kind, TdocShape* shape, bool shift);
  void ShowHitCursor(std::uint8_t kind, TdocShape* shape, const TFloatPoint& unsnapped);
  void StartRubberBand(const TFloatPoint& unsnapped);
  void HoverOver(const TdocMouseInput& input);
  void DragWithButton(const TdocMouseInput& input, bool changed);
  void DuplicateSelection();
  void DrawFeedback();

  TdocDocumentCore& DocCore;
  TdocEditorHost& Host;
  TFloatPoint DragStart;
  TFloatPoint DragOffset;
  bool DoubleClicked = false;
  bool DragAlt = false;
  // Hot zone.
  bool HotzoneActive = false;
  bool HotzoneTimerRunning = false;
  std::uint32_t HotzoneTick = 0;
  float HotzoneTime = 0;
  TPoint HotzoneMouse;
  bool LastAlt = false;
  // Hint.
  TPoint HintPoint;
  bool HintShowing = false;
};
