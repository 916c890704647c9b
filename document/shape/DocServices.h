#pragma once
// What a shape may ask of the document that holds it. The editor control
// implements it over its document core; TdocPlainServices (PlainServices.h)
// is a plain implementation for tools and tests. Shapes never see the widget.
//
// Brackets: BeginUndo/EndUndo group several records into one undo step;
// SuspendUndo/ResumeUndo stop recording for a while. Use the guards below
// rather than the raw calls, so that an exception cannot leave a bracket open.

#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>

#include "document/shape/DocCommand.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/gdi/Color.h"
#include "platform/rtl/Cursors.h"
#include "platform/rtl/Types.h"

class TdocFontManager;
class TdocHandlePainter;
class TdocShape;
class TXmlNode;
class TsdStorage;

class TdocServices {
public:
  virtual ~TdocServices() = default;

  // ---- identity and state
  // A number no other shape of the document holds.
  virtual std::int32_t NextShapeId() = 0;
  // True while a document or page is being read: shape changes stay silent.
  virtual bool IsLoading() const = 0;
  virtual void SetModified(bool value) = 0;
  // The container of named streams that holds the resources; nil for none.
  virtual TsdStorage* GetStorage() = 0;
  // The fonts outlined texts share; nil when the document keeps none.
  virtual TdocFontManager* GetShapeFonts() { return nullptr; }

  // ---- undo recording
  virtual void BeginUndo() = 0;
  // Raises "EndUndo called more often than BeginUndo" without an open bracket.
  virtual void EndUndo() = 0;
  virtual void SuspendUndo() = 0;
  virtual void ResumeUndo() = 0;
  virtual bool GetUndoEnabled() const = 0;
  // True while an undo step runs: what shapes record then goes to redo.
  virtual bool IsRecordingRedo() const = 0;
  virtual void AddUndoCommand(std::unique_ptr<TdocCommand> command) = 0;
  virtual void AddRedoCommand(std::unique_ptr<TdocCommand> command) = 0;

  // ---- notifications
  virtual void DoShapeChanged(TdocShape* shape) = 0;
  virtual void DoSelectionChanged() = 0;
  // The shape is about to be freed: forget every reference to it.
  virtual void DoShapeDestroy(TdocShape* shape) = 0;
  // Repaint the shape's area on the screen.
  virtual void InvalidateShape(TdocShape* shape) = 0;
  virtual void DoLoadError(TdocShape* shape, const std::string& error) = 0;
  // Something an edit of the shape did that the user should know (a text
  // that is no longer drawn whole).
  virtual void DoEditNotice(TdocShape* /*shape*/, const std::string& /*message*/) {}
  virtual void DoShapeLoadAdditionalInfo(TdocShape* shape, TXmlNode& node) = 0;
  virtual void DoShapeSaveAdditionalInfo(TdocShape* shape, TXmlNode& node) = 0;
  // Ends an in-place edit of the shape being edited.
  virtual void CloseShapeEdit(bool accept) = 0;
  // The shape being edited in place; nil when none is.
  virtual const TdocShape* GetEditShape() const { return nullptr; }

  // ---- the screen
  // Document millimetres to client pixels of the view and back.
  virtual TFloatPoint DocToClient(const TFloatPoint& p) const = 0;
  virtual TFloatPoint ClientToDoc(const TFloatPoint& p) const = 0;
  // Pixel offsets around the pointer that count as hitting a shape.
  virtual std::span<const TPoint> GetHitProbes() const = 0;

  // ---- editing
  // The handle painter of the document's handle style for the shape; nil
  // leaves the shape with the plain one.
  virtual std::unique_ptr<TdocHandlePainter> CreateHandlePainter(TdocShape& /*shape*/) { return nullptr; }
  // Rotation drags snap to multiples of this many degrees; 0 turns freely.
  virtual float GetStepAngle() const { return 0; }
  // The fill of handles and the pen of the rubber band and insert frame.
  virtual TColor GetHandleColor() const { return 0; }

  // ---- in-place text editing
  // Client pixels per millimetre of the view: text shapes measure caret
  // positions at it.
  virtual float GetScreenScale() const { return 5.905512f; }
  // Text shapes draw a dotted frame around themselves while edited.
  virtual bool GetPaintEditBorder() const { return true; }
  // The pen of handles, drag lines and drag outlines, and of the edit frame.
  virtual TColor GetHandleEdgeColor() const { return 0; }
  // True while the mouse button that went down on the edited shape is held.
  virtual bool IsMouseButtonHeld() const { return false; }
  // The pointer's cursor while it moves over the edited shape.
  virtual void SetEditCursor(TCursor /*cursor*/) {}
  // The caret of the edited shape blinks: the document calls the shape's
  // CaretTick every intervalMs milliseconds; 0 stops it.
  virtual void SetCaretTimer(TdocShape& /*shape*/, int /*intervalMs*/) {}
  // An empty text shape was deselected: the document deletes the shape with
  // this id later (when its AutoDeleteShape is on), looking it up first.
  virtual void PostAutoDelete(std::int32_t /*shapeId*/) {}
  // Removes the shape from the current page (freeing it) and reports the
  // changed list; -1 when it is not there.
  virtual int RemoveShape(TdocShape* /*shape*/) { return -1; }
  virtual std::u16string GetClipboardText() { return {}; }
  virtual void SetClipboardText(const std::u16string& /*text*/) {}
};

// Calls end() when the scope is left. An end() that fails while another
// exception is on its way is dropped, so the first failure is the one reported.
template <class End>
class TdocBracketGuard {
public:
  explicit TdocBracketGuard(End end) : EndCall(std::move(end)), Exceptions(std::uncaught_exceptions()) {}
  TdocBracketGuard(const TdocBracketGuard&) = delete;
  TdocBracketGuard& operator=(const TdocBracketGuard&) = delete;
  ~TdocBracketGuard() noexcept(false) {
    if (std::uncaught_exceptions() == Exceptions) {
      EndCall();
      return;
    }
    try {
      EndCall();
    } catch (...) {
    }
  }

private:
  End EndCall;
  int Exceptions;
};

// One undo step around the scope; nothing without a document.
inline auto UndoStep(TdocServices* document) {
  if (document) document->BeginUndo();
  return TdocBracketGuard([document] {
    if (document) document->EndUndo();
  });
}

// Undo recording stopped for the scope; nothing without a document.
inline auto UndoSuspension(TdocServices* document) {
  if (document) document->SuspendUndo();
  return TdocBracketGuard([document] {
    if (document) document->ResumeUndo();
  });
}
