#pragma once
// TdocShape: the base of every object on a page (the page itself, groups,
// texts, polygons, pictures, barcodes). It owns the shape's geometry, its
// opacity, its editing permissions, its children, its render cache, its undo
// recording and its XML form.
//
// Geometry: all lengths are millimetres (float). The frame is given in the
// parent's coordinates: local (0, 0) lies at (DocLeft, DocTop) of the parent,
// the local x axis is turned by DocAngle degrees (counter-clockwise on the
// screen, y growing downwards) and the frame covers local (0, 0) to
// (DocWidth, DocHeight). Every change of the frame ends in SetDocFrame.
//
// Ownership: a shape owns its children and its cache bitmap; Parent and
// Document are back references. A shape reaches its document only through
// TdocServices (DocServices.h); without a document it records no undo and
// tells nobody about changes.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/shape/DocCommand.h"
#include "document/shape/DocServices.h"
#include "document/editor/HandlePainter.h"
#include "document/render/RenderOptions.h"
#include "document/render/SampledImage.h"
#include "document/render/Transform.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Keys.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

class TdocShape;
class TXmlNode;

// The user interface's pop-up menu of a shape, as the model holds it: an
// opaque handle that only the control which made it looks into.
class TdocPopupMenu {
public:
  virtual ~TdocPopupMenu() = default;
};

// A registered class: its stored name and its virtual constructor.
template <class Base>
struct TdocClassInfo {
  std::string_view Name;
  std::unique_ptr<Base> (*Create)();
};
using TdocShapeClass = TdocClassInfo<TdocShape>;

// Layout rules of a child inside a grouped parent; bit 1 << ordinal.
enum TdocAnchor : std::uint8_t {
  anDefault,
  anPosXProp,
  anPosYProp,
  anSizeXProp,
  anSizeYProp,
  anLeftLock,
  anTopLock,
  anRightLock,
  anBottomLock
};
using TdocAnchors = std::uint16_t;
constexpr TdocAnchors AnchorBit(TdocAnchor anchor) { return static_cast<TdocAnchors>(1u << anchor); }
constexpr TdocAnchors DefaultAnchors = AnchorBit(anDefault) | AnchorBit(anLeftLock) | AnchorBit(anTopLock);

// Size limits of a shape, 0 = no limit.
struct TFloatSizeConstraint {
  float MinHeight = 0;
  float MinWidth = 0;
  float MaxHeight = 0;
  float MaxWidth = 0;
};

// The frame a handle drag proposes, in the parent's coordinates, and the
// handle being dragged.
struct TdocEditFrame {
  float Left = 0;
  float Top = 0;
  float Width = 0;
  float Height = 0;
  float Angle = 0;
  std::int32_t HandleIndex = -1;
};

// What a handle drag does in the shape's own orientation: a shift of the
// origin, scales of the two sides and a change of angle in degrees.
struct TdocDragChange {
  float Dx = 0;
  float Dy = 0;
  float Sx = 1;
  float Sy = 1;
  float Da = 0;
};

// Storage of a shape's resources; the base answers stEmbedded.
enum TdocStorageMode : std::uint8_t { stNone, stExternal, stArchive, stEmbedded };

class TdocShape : public TPersistent {
public:
  TdocShape();
  ~TdocShape() override;
  TdocShape(const TdocShape&) = delete;
  TdocShape& operator=(const TdocShape&) = delete;

  static const TdocShapeClass& StaticClass();
  virtual const TdocShapeClass& GetClass() const { return StaticClass(); }
  std::string ClassName() const override { return std::string(GetClass().Name); }
  // A new shape of the class, then its XML read in.
  static std::unique_ptr<TdocShape> CreateFromXml(const TdocShapeClass& shapeClass, TXmlNode* node);

  // Another shape: this one's content is cleared, the source is written in
  // the byte form and read back into this shape, then its events are copied.
  void Assign(const TPersistent* source) override;
  // For every index both child lists have with children of one class, the
  // children copy their handlers; then the three events of source.
  virtual void AssignEvents(const TdocShape& source);

  // ---- permissions and plain properties
  bool AllowEdit = true;
  bool AllowDelete = true;
  bool AllowResize = true;
  bool AllowMove = true;
  bool AllowRotate = true;
  bool AllowSelect = true;
  // The child ClearContent keeps (the placeholder).
  bool Fixed = false;
  bool ParentShowHint = true;
  std::string Hint;
  std::int16_t Cursor = -3;
  std::int32_t Tag = 0;

  TNotifyEvent OnChange;  // fired by Changed
  TNotifyEvent OnEdit;    // fired by DoEditEvent
  TNotifyEvent OnResize;  // fired by SetDocFrame when the size changed

  // ---- geometry
  float GetDocLeft() const { return DocLeft; }
  float GetDocTop() const { return DocTop; }
  float GetDocWidth() const { return DocWidth; }
  float GetDocHeight() const { return DocHeight; }
  float GetDocAngle() const { return DocAngle; }
  virtual void SetDocLeft(float value);
  virtual void SetDocTop(float value);
  virtual void SetDocWidth(float value);
  virtual void SetDocHeight(float value);
  // Stores value - 360 floor(value / 360); records undo and notifies when the
  // value passed differs from the current one.
  virtual void SetDocAngle(float value);
  void SetDocPos(float left, float top);
  virtual void SetDocBounds(float left, float top, float width, float height);
  virtual void SetDocFrame(float left, float top, float width, float height, float angle);
  virtual void SetBoundsConstrained(float left, float top, float width, float height);
  // Frame from two corners, through the constraints.
  virtual void SetDocRect(const TFloatRect& rect);
  virtual void EnforceConstraints();
  virtual void ApplySizeConstraints(float& width, float& height) const;
  virtual void ApplyMoveConstraint(float& left, float& top, float width, float height) const;
  virtual void Inflate(float dx, float dy);
  // Moves the shape so that the centre of its bounding box lies at (x, y).
  virtual void CenterAt(float x, float y);
  virtual void LockAspectRatio();
  virtual void GetDefaultSize(float& width, float& height) const;

  float GetAspectRatio() const { return AspectRatio; }
  void SetAspectRatio(float value) { AspectRatio = value; }
  bool GetPreserveAspect() const { return PreserveAspect; }
  void SetPreserveAspect(bool value) { PreserveAspect = value; }
  TFloatSizeConstraint Constraints;

  bool GetFlipped() const { return Flipped; }
  void SetFlipped(bool value);
  bool GetMirrored() const { return Mirrored; }
  void SetMirrored(bool value);
  bool GetGrouped() const { return Grouped; }
  // Refreshes when it changes.
  void SetGrouped(bool value);
  TdocAnchors GetAnchors() const { return Anchors; }
  // Notifies when it changes.
  void SetAnchors(TdocAnchors value);

  // ---- frame editing (FrameEdit.cpp)
  // Makes sure a handle painter exists (the document's, else the plain one)
  // and lays the handles out for the current frame.
  virtual void UpdateHandles() const;
  TdocHandlePainter* GetHandlePainter() const { return HandlePainter.get(); }
  // Shapes of a document: the handles laid out, then drawn by the painter on
  // the canvas of the editor's paint event (client pixels).
  virtual void PaintHandles(TCanvas& canvas) const;
  // Shapes of a document: the frame a running drag would give, from the
  // handles' drag positions (see ComputeEditFrame).
  virtual void PaintDragFrame(TCanvas& canvas) const;
  // The frame of a shape being inserted: rect (client pixels) dotted in XOR.
  virtual void DrawXorFrame(TCanvas& canvas, const TRect& rect, TColor color) const;
  // The kind of the handle or drag line under a client pixel; hkNone when the
  // shape is not selected or the pixel lies on no handle it allows.
  virtual std::uint8_t HandleAtPoint(const TPoint& screenPoint);
  // The frame that dragging a handle of the given kind by a page offset
  // proposes (GetEditFrame); matrix receives the local transform that moves
  // the handles to their dragged positions. Snap inverts the document's
  // angle snapping.
  void ComputeEditFrame(const TFloatPoint& offset, bool snap, std::uint8_t kind, TdocTransform& matrix);
  // Moves and sizes the shape to the edit frame through the constraints,
  // then turns it about its centre to the edit angle.
  virtual void ApplyEditFrame();
  // The drag of a handle kind above hkPoint, offset in local orientation.
  virtual void DragCustomHandle(std::uint8_t /*kind*/, const TFloatPoint& /*offset*/, TdocDragChange& /*change*/) {}
  const TdocEditFrame& GetEditFrame() const { return EditFrame; }
  const TdocTransform& GetEditTransform() const { return EditTransform; }
  void SetEditTransform(const TdocTransform& matrix) { EditTransform.Assign(&matrix); }
  // Makes the shape the group of its children: the frame becomes the
  // children's bounds and the children keep their places on the page.
  virtual void FitToChildren();
  // A placeholder (PlaceHolder.h) becomes the fixed child 0, 40 x 30 mm,
  // and the shape the group around it.
  void AddPlaceHolder();
  // Shows or hides child 0 when it is a placeholder.
  void ShowPlaceHolder(bool value);

  // Axis-parallel box around the frame's corners (widened by the extents when
  // withExtents) in the parent's coordinates.
  TFloatRect GetBox(bool withExtents = false) const;
  float GetBoxLeft() const { return GetBox().Left; }
  float GetBoxTop() const { return GetBox().Top; }
  float GetBoxRight() const { return GetBox().Right; }
  float GetBoxBottom() const { return GetBox().Bottom; }
  void SetBoxLeft(float value);
  void SetBoxTop(float value);
  void SetBoxBottom(float value);

  // ---- coordinate maps
  TFloatPoint LocalToParent(const TFloatPoint& p) const;
  TFloatPoint ParentToLocal(const TFloatPoint& p) const;
  // A page point mapped through every ancestor into this shape.
  TFloatPoint DocToLocal(const TFloatPoint& p) const;
  // Local -> parent -> ... -> page -> the document's client pixels (plain
  // page coordinates without a document).
  TFloatPoint ShapeToScreen(const TFloatPoint& p) const;
  TFloatPoint ScreenToShape(const TFloatPoint& p) const;

  // ---- opacity, visibility, curbs, extents
  std::int32_t GetMasterAlpha() const { return MasterAlpha; }
  virtual void SetMasterAlpha(std::int32_t value);
  bool GetVisible() const { return Visible; }
  void SetVisible(bool value);
  float GetCurbLeft() const { return Curbs[0]; }
  float GetCurbTop() const { return Curbs[1]; }
  float GetCurbRight() const { return Curbs[2]; }
  float GetCurbBottom() const { return Curbs[3]; }
  virtual void SetCurb(float value);
  virtual void SetCurbs(float left, float top, float right, float bottom);
  // Left, top, right, bottom render margins around the frame.
  const std::array<float, 4>& GetExtents() const { return Extents; }
  float GetExtentWidth() const { return Extents[0] + DocWidth + Extents[2]; }
  void UpdateExtents();
  // Widens the margins: mirror symmetry here, effects and outlines in
  // subclasses.
  virtual void AdjustExtents(float& left, float& top, float& right, float& bottom) const;

  // ---- names and hints
  const std::u16string& GetNameText() const { return Name; }
  virtual std::u16string GetName() const { return Name; }
  virtual void SetName(const std::u16string& value);
  bool GetShowHint() const;
  void SetShowHint(bool value);
  std::string GetHint() const { return Hint; }
  // The shape's own pop-up menu (nil: none). It stays with the shape when
  // the shape leaves its document and comes back under another id.
  const TdocPopupMenu* GetPopupMenu() const { return PopupMenu.get(); }
  void SetPopupMenu(std::unique_ptr<TdocPopupMenu> menu) { PopupMenu = std::move(menu); }

  // ---- document, parent, identity
  TdocServices* GetDocument() const { return Document; }
  virtual void SetDocument(TdocServices* document);
  TdocShape* GetParent() const { return Parent; }
  virtual void SetParent(TdocShape* parent);
  std::int32_t GetShapeId() const { return ShapeId; }
  void SetShapeId(std::int32_t id) { ShapeId = id; }
  bool GetModified() const { return Modified; }
  virtual void SetModified(bool value);
  bool GetSelected() const { return Selected; }
  virtual void SetSelected(bool value);
  bool GetForceRenderCache() const { return ForceRenderCache; }
  void SetForceRenderCache(bool value);
  virtual TdocStorageMode GetStorageMode() const { return stEmbedded; }
  virtual void SetStorageMode(TdocStorageMode) {}

  // ---- children (index 0 is drawn first)
  virtual int GetShapeCount() const { return static_cast<int>(Shapes.size()); }
  virtual TdocShape* GetShapes(int index) const;
  // Each returns the child's index, -1 without a child.
  virtual int AddShape(std::unique_ptr<TdocShape> child);
  virtual int InsertShape(int index, std::unique_ptr<TdocShape> child);
  virtual void DeleteShape(int index);
  // Hands the child to the caller; nil when it is not a child of this shape.
  virtual std::unique_ptr<TdocShape> ExtractShape(TdocShape* child);
  virtual void ExchangeShapes(int i, int j);
  virtual int IndexOfShape(const TdocShape* child) const;
  virtual int RemoveShape(TdocShape* child);
  virtual void ClearShapes();
  // Deletes children from the last one down to the first one marked Fixed.
  virtual void ClearContent();
  // Union of the children's boxes; all zeros without children.
  virtual TFloatRect GetChildrenBounds() const;

  // ---- notification
  void BeginUpdate();
  // Raises "EndUpdate called more often than BeginUpdate" without an open
  // bracket (the count stays at zero).
  void EndUpdate();
  // BeginUpdate now, EndUpdate when the scope is left.
  auto UpdateBracket() {
    BeginUpdate();
    return TdocBracketGuard([this] { EndUpdate(); });
  }
  virtual void Changed();
  // Repaints the shape through the document and marks the parent's cache stale.
  void Invalidate();
  // Marks the cache of this shape and every ancestor stale.
  void InvalidateCache();
  void Refresh();
  virtual void RefreshAll();
  virtual void InvalidateArea();
  virtual void DoEditEvent();
  virtual void DoLoadError(const std::string& text);
  virtual void Loaded() {}
  virtual void Animate() {}
  virtual void StartEdit();
  // The document's in-place edit is on this shape.
  bool IsEditing() const;
  virtual void EndEdit(bool /*accept*/) {}
  // In-place editing input, which the document routes to the shape it
  // edits; points are client pixels.
  virtual void EditKeyDown(TKey& /*key*/, TShiftState /*shift*/) {}
  virtual void EditKeyPress(char16_t& /*key*/) {}
  virtual void EditKeyUp(TKey& /*key*/, TShiftState /*shift*/) {}
  virtual void EditDblClick() {}
  virtual void EditMouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
  virtual void EditMouseMove(TShiftState /*shift*/, int /*x*/, int /*y*/) {}
  virtual void EditMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
  // What an in-place edit shows over the page (caret, selection, edit
  // frame), drawn in client pixels by the document's paint event.
  virtual void PaintEditState(TCanvas& /*canvas*/) {}

  // ---- undo
  virtual void RecordUndo(TdocCommandKind kind, const std::string& propName, const std::string& oldValue);
  virtual void RecordUndoFloat(TdocCommandKind kind, const std::string& propName, double value);
  virtual void RecordUndoInteger(TdocCommandKind kind, const std::string& propName, std::int64_t value);
  virtual void RecordUndoBoolean(TdocCommandKind kind, const std::string& propName, bool value);
  virtual void RecordUndoFontStyle(TdocCommandKind kind, const std::string& propName, std::uint8_t style);
  // A removed child (kind 2 only): its index, id and byte form.
  virtual void RecordUndoShape(TdocCommandKind kind, const TdocShape& child);
  // While one lives, no shape of this thread records undo: a shape or an
  // effect being read from its byte form is restored, not changed.
  class RecordingPause {
  public:
    RecordingPause() { ++Depth; }
    ~RecordingPause() { --Depth; }
    RecordingPause(const RecordingPause&) = delete;
    RecordingPause& operator=(const RecordingPause&) = delete;
    static bool Active() { return Depth > 0; }

  private:
    static thread_local int Depth;
  };
  // True when the command belonged to this shape or one of its descendants.
  virtual bool ApplyCommand(const TdocCommand& command);
  // Names compare without regard to case; raises EConvertError for a value
  // that does not parse.
  virtual void SetPropertyByName(const std::string& name, const std::string& value);

  // ---- resources
  // Adds the container stream names of the resources of this shape and its
  // children.
  virtual void CollectArchiveNames(TStringList& list) const;
  // Resources were stored under new names (a copy landed in a container that
  // already held the old ones): every reference to an old name takes the new.
  virtual void RenameArchiveNames(const std::map<std::string, std::string>& renames);

  // ---- XML
  virtual void SaveToXml(TXmlNode& node) const;
  // Raises "XML Node is not assigned" for a nil node.
  virtual void LoadFromXml(TXmlNode* node);

  // ---- rendering (ShapeRender.cpp)
  // Draws the visible shape into bitmap, whose pixels cover rect (parent
  // coordinates; the shape's own with direct).
  void RenderShape(TBitmap32& bitmap, const TFloatRect& rect, bool direct, const TdocRenderOptions& options);
  virtual bool NeedsRenderCache() const;
  virtual bool HasBitmapEffects() const { return Mirrored || Flipped; }
  virtual bool HasCanvasPaint() const { return false; }
  // True for a shape whose pixels must never be resampled from a finer
  // cache (a barcode's modules are whole pixels of the output): after a
  // zoom out it renders afresh.
  virtual bool NeedsExactCacheResolution() const { return false; }
  // The most pixels the render cache may have; a shape that would need more
  // at the asked resolution is cached at a lower one and scaled up when drawn.
  virtual double MaxCachePixels() const;
  virtual void PaintToBitmap(TBitmap32& /*bitmap*/, const TdocRenderOptions& /*options*/) {}
  virtual void PaintToCanvas(TCanvas& /*canvas*/, const TdocRenderOptions& /*options*/) {}
  virtual void PaintOverChildren(TBitmap32& /*bitmap*/, const TdocRenderOptions& /*options*/) {}
  virtual void PaintOverlay(TBitmap32& /*bitmap*/, const TRect& /*rect*/) {}
  // Mirror reverses every row, flip the order of the rows.
  virtual void ProcessRenderedBitmap(TBitmap32& bitmap, const TdocRenderOptions& options);
  // Pixels with alpha become color; pixels without alpha become opaque.
  virtual void FillMask(TBitmap32& bitmap, TColor32 color) const;
  virtual void ClearRenderCache();
  virtual void ClearRenderCacheAll();
  virtual void SetDeviceTransform(const TdocTransform& matrix) { DeviceTransform.Assign(&matrix); }
  const TdocTransform& GetDeviceTransform() const { return DeviceTransform; }
  const TBitmap32* GetCacheBitmap() const { return Cache.get(); }
  float GetCacheResolution() const { return CacheResolution; }
  const TdocSampledImage& GetSampledImage() const { return Sampled; }
  // Frame edges through the device transform, in whole pixels.
  std::int32_t GetPixelLeft() const;
  std::int32_t GetPixelTop() const;
  std::int32_t GetPixelRight() const;
  std::int32_t GetPixelBottom() const;
  std::int32_t GetPixelWidth() const { return GetPixelRight() - GetPixelLeft(); }
  std::int32_t GetPixelHeight() const { return GetPixelBottom() - GetPixelTop(); }

  // ---- hit testing and screen areas (ShapeRender.cpp)
  virtual bool PointInShape(const TPoint& screenPoint) const;
  virtual bool ShapeAtPoint(const TPoint& screenPoint, TdocShape*& shape);
  virtual bool PointOnOpaquePixel(const TPoint& screenPoint) const;
  // Integer rectangle around the frame widened by the extents, in screen pixels.
  virtual TRect GetScreenRect() const;
  // The screen rectangle united with the handle rectangles of a selectable shape.
  virtual TRect GetUpdateRect() const;
  // Regions are polygons in screen pixels (a pixel belongs to one when its
  // centre does; ScreenPolygon.h). The outline's contours are taken by the
  // alternate (even-odd) rule: the four frame corners here, polygon shapes
  // give their outline.
  virtual std::vector<std::vector<TPoint>> CreateOutlineRegion() const;
  // The four corners of the frame widened by the extents.
  std::vector<TPoint> CreateFrameRegion() const;
  bool IntersectsRect(const TRect& screenRect) const;
  virtual void SnapPoint(const TFloatPoint& point, TFloatPoint& result) const;

protected:
  // Whether the document takes records now (undo, or redo while an undo runs).
  bool IsRecordingUndo() const;
  // Hands a command to the undo list, or to the redo list while an undo
  // runs; only when IsRecordingUndo.
  void RecordCommand(std::unique_ptr<TdocCommand> command) const;
  // Write the frame fields without undo or notification (XML loading, the
  // page's origin).
  void StoreAngle(float value);
  void StorePosition(float left, float top);
  // Deletes the child's temporary resource streams from the container.
  void DeleteTempStreams(const TdocShape& child) const;
  // Deletes those of the named streams that are temporary ones.
  void DeleteTempStreams(const TStringList& names) const;
  virtual void SetDocPosition(float left, float top);
  virtual void SetDocSize(float width, float height);
  // SaveToXml in pieces, for a page written while its shapes' XML is made:
  // the base properties' elements, then one part of the content a call (each
  // child's "Shape" element in z-order, then what the document adds); false
  // once every part was saved.
  void SaveBasePropertiesToXml(TXmlNode& node) const;
  bool SaveContentPartToXml(int part, TXmlNode& node) const;

private:
  class LoadDepthGuard;

  void DetachChild(TdocShape& child);
  void InsertChildAt(int index, std::unique_ptr<TdocShape> child);
  void LoadBaseProperties(const TXmlNode& node);
  void LoadChildren(TXmlNode& node);
  bool ApplyOwnCommand(const TdocCommand& command);
  void SetRecordedProperty(const TdocCommand& command);
  void RestoreRemovedChild(const TdocCommand& command);
  // The parts of a handle drag (FrameEdit.cpp): a resize gives the new size,
  // a rotation the change of angle, and the handles follow the drag.
  TFloatPoint ResizeChange(std::uint8_t kind, const TFloatPoint& offset, TdocDragChange& change) const;
  float RotationChange(const TFloatPoint& offset, bool snap) const;
  void MoveHandles(std::uint8_t kind, const TFloatPoint& offset, const TdocTransform& matrix) const;
  // Lays the children out by their anchors for a new size of this group.
  void LayoutChildren(float width, float height);
  void LayoutChild(TdocShape& child, float width, float height);
  void DrawDirect(TBitmap32& bitmap, const TFloatRect& rect, const TdocRenderOptions& options);
  // PaintToCanvas on the part of bitmap the shape covers, device mapping the
  // shape's local coordinates to bitmap's pixels.
  void PaintOnCanvas(TBitmap32& bitmap, const TdocTransform& device, const TdocRenderOptions& options);
  void RenderCached(TBitmap32& bitmap, const TFloatRect& rect, bool direct, const TdocRenderOptions& options);
  // localToBitmap places the shape on the bitmap the cache is made for.
  void RenderCache(float resolution, const TdocRenderOptions& options, const TdocTransform& localToBitmap);
  // Cache pixels to bitmap pixels, for the placement localToBitmap.
  TdocTransform CacheToBitmap(const TdocTransform& localToBitmap) const;
  // The cache drawn through a turning or scaling map (the map sampler).
  void DrawResampled(TBitmap32& bitmap, TdocTransform& toBitmap);
  // The frame widened by the extents, in local coordinates.
  TFloatRect LocalArea() const;
  // Where rendering may paint, in parent coordinates (local ones with
  // direct): the local area and, for a shape drawn without a cache, its
  // visible children wherever they lie, as they are drawn straight onto the
  // same bitmap.
  TFloatRect PaintedBox(bool direct) const;
  // The box around a local rectangle in parent coordinates.
  TFloatRect ParentBox(const TFloatRect& local) const;
  TPoint CachePixelAt(const TPoint& screenPoint) const;
  std::vector<TPoint> ScreenPolygon(const TFloatRect& local) const;

  float AspectRatio = 0;
  std::unique_ptr<TBitmap32> Cache;
  float CacheResolution = 0;  // the resolution asked for; 0 = invalid
  float CacheScale = 0;       // pixels per mm of the cache (below the asked one for huge shapes)
  // Where local (0, 0) lies inside its cache pixel (0 <= x, y < 1): a cache
  // made for a level placement at a fractional pixel position shares the
  // grid of the bitmap it is drawn on, so drawing it copies rows.
  TFloatPoint CachePhase{};
  // The cache as last sampled onto a bitmap; goes with the cache.
  TdocSampledImage Sampled;
  std::array<float, 4> Extents{};
  std::array<float, 4> Curbs{};
  float DocAngle = 0;
  float Cosine = 1;
  float Sine = 0;
  float DocLeft = 0;
  float DocTop = 0;
  float DocWidth = 0;
  float DocHeight = 0;
  TdocAnchors Anchors = DefaultAnchors;
  TdocServices* Document = nullptr;
  TdocShape* Parent = nullptr;
  bool Flipped = false;
  bool Mirrored = false;
  bool Grouped = false;
  bool Modified = false;
  bool ForceRenderCache = false;
  bool ChangePending = false;
  bool PreserveAspect = false;
  bool Selected = false;
  bool ShowHint = false;
  bool Visible = true;
  std::int32_t MasterAlpha = 255;
  std::int32_t ShapeId = 0;
  std::int32_t UpdateCount = 0;
  std::u16string Name;
  std::vector<std::unique_ptr<TdocShape>> Shapes;
  std::unique_ptr<TdocPopupMenu> PopupMenu;
  TdocTransform DeviceTransform;
  TdocEditFrame EditFrame;
  TdocTransform EditTransform;
  // Derived from the frame whenever asked for, so even a const query may lay it out.
  mutable std::unique_ptr<TdocHandlePainter> HandlePainter;
};

// Top-left, top-right, bottom-right, bottom-left.
std::array<TFloatPoint, 4> RectCorners(const TFloatRect& rect);

// The style letters "B", "I", "U", "S" for bits 1, 2, 4, 8 and back.
std::string FontStyleToText(std::uint8_t style);
std::uint8_t FontStyleFromText(const std::string& text);
int Sign(std::int64_t value);
int Sign(float value);
