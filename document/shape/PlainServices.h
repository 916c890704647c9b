#pragma once
// A plain document for shapes outside the editor control: it numbers shapes,
// keeps undo and redo commands in lists, owns a container for resources,
// maps the screen by a scale and an origin, and counts what it is told.
// Tools, the fuzz targets and the tests use it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/shape/DocServices.h"
#include "document/text/FontManager.h"
#include "xml/storage/Storage.h"

class TdocPlainServices : public TdocServices {
public:
  TdocPlainServices();
  ~TdocPlainServices() override;

  std::int32_t NextShapeId() override { return ++LastShapeId; }
  bool IsLoading() const override { return Loading; }
  void SetModified(bool value) override { Modified = value; }
  TsdStorage* GetStorage() override { return Storage.get(); }
  TdocFontManager* GetShapeFonts() override { return &Fonts; }

  void BeginUndo() override { ++UndoDepth; }
  void EndUndo() override;
  void SuspendUndo() override { ++UndoLock; }
  void ResumeUndo() override;
  bool GetUndoEnabled() const override { return UndoLock == 0 && !RecordingRedo; }
  bool IsRecordingRedo() const override { return RecordingRedo; }
  void AddUndoCommand(std::unique_ptr<TdocCommand> command) override { UndoList.push_back(std::move(command)); }
  void AddRedoCommand(std::unique_ptr<TdocCommand> command) override { RedoList.push_back(std::move(command)); }

  void DoShapeChanged(TdocShape*) override { ++ShapeChanges; }
  void DoSelectionChanged() override { ++SelectionChanges; }
  void DoShapeDestroy(TdocShape*) override { ++DestroyedShapes; }
  void InvalidateShape(TdocShape*) override {}
  void DoLoadError(TdocShape*, const std::string& error) override { LoadErrors.push_back(error); }
  void DoShapeLoadAdditionalInfo(TdocShape*, TXmlNode&) override {}
  void DoShapeSaveAdditionalInfo(TdocShape*, TXmlNode&) override {}
  void CloseShapeEdit(bool accept) override { CloseRequests.push_back(accept); }
  const TdocShape* GetEditShape() const override { return EditShape; }

  // Client = (doc - Origin) x Scale.
  TFloatPoint DocToClient(const TFloatPoint& p) const override;
  TFloatPoint ClientToDoc(const TFloatPoint& p) const override;
  std::span<const TPoint> GetHitProbes() const override { return HitProbes; }
  float GetStepAngle() const override { return StepAngle; }

  float GetScreenScale() const override { return Scale; }
  bool GetPaintEditBorder() const override { return PaintEditBorder; }
  TColor GetHandleEdgeColor() const override { return HandleEdgeColor; }
  bool IsMouseButtonHeld() const override { return MouseButtonHeld; }
  void SetEditCursor(TCursor cursor) override { EditCursor = cursor; }
  void SetCaretTimer(TdocShape&, int intervalMs) override { CaretInterval = intervalMs; }
  void PostAutoDelete(std::int32_t shapeId) override { AutoDeleteRequests.push_back(shapeId); }
  // From the shape's parent, which stands for the page.
  int RemoveShape(TdocShape* shape) override;
  std::u16string GetClipboardText() override { return ClipboardText; }
  void SetClipboardText(const std::u16string& text) override { ClipboardText = text; }

  // Replays the last undo command on root, recording its reverse as redo.
  // False when there is none or no shape took it.
  bool Undo(TdocShape& root);

  float Scale = 1.0f;
  TFloatPoint Origin;
  std::vector<TPoint> HitProbes{TPoint{0, 0}};
  float StepAngle = 0;
  bool Loading = false;
  bool Modified = false;
  std::vector<std::unique_ptr<TdocCommand>> UndoList;
  std::vector<std::unique_ptr<TdocCommand>> RedoList;
  std::vector<std::string> LoadErrors;
  int ShapeChanges = 0;
  int SelectionChanges = 0;
  int DestroyedShapes = 0;
  // In-place editing: what shapes asked for, and what they are told.
  std::vector<bool> CloseRequests;
  const TdocShape* EditShape = nullptr;
  std::vector<std::int32_t> AutoDeleteRequests;
  std::u16string ClipboardText;
  TCursor EditCursor = crDefault;
  int CaretInterval = 0;
  bool PaintEditBorder = true;
  bool MouseButtonHeld = false;
  TColor HandleEdgeColor = 0;

private:
  std::int32_t LastShapeId = 0;
  int UndoDepth = 0;
  int UndoLock = 0;
  bool RecordingRedo = false;
  // The fonts the outlined texts of this document share.
  TdocFontManager Fonts;
  std::unique_ptr<TsdStorage> Storage;
};
