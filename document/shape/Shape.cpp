#include "document/shape/Shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "document/shape/ShapeByteForm.h"
#include "document/shape/ShapeValues.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "xml/storage/Storage.h"

std::array<TFloatPoint, 4> RectCorners(const TFloatRect& r) {
  return {TFloatPoint{r.Left, r.Top}, TFloatPoint{r.Right, r.Top}, TFloatPoint{r.Right, r.Bottom},
          TFloatPoint{r.Left, r.Bottom}};
}

namespace {

TFloatRect BoxAround(const std::array<TFloatPoint, 4>& corners) {
  TFloatRect box{corners[0].X, corners[0].Y, corners[0].X, corners[0].Y};
  for (const TFloatPoint& p : corners) {
    box.Left = std::min(box.Left, p.X);
    box.Top = std::min(box.Top, p.Y);
    box.Right = std::max(box.Right, p.X);
    box.Bottom = std::max(box.Bottom, p.Y);
  }
  return box;
}

TFloatRect Union(const TFloatRect& a, const TFloatRect& b) {
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// Degrees brought into [0, 360); -30 gives 330, 360 gives 0.
float NormalizedAngle(float value) {
  const float angle = value - 360.0f * std::floor(value / 360.0f);
  return angle >= 360.0f ? 0.0f : angle;
}

}  // namespace

const TdocShapeClass& TdocShape::StaticClass() {
  static const TdocShapeClass info{"TdocShape", [] { return std::make_unique<TdocShape>(); }};
  return info;
}

TdocShape::TdocShape() = default;
TdocShape::~TdocShape() = default;

std::unique_ptr<TdocShape> TdocShape::CreateFromXml(const TdocShapeClass& shapeClass, TXmlNode* node) {
  std::unique_ptr<TdocShape> shape = shapeClass.Create();
  shape->LoadFromXml(node);
  return shape;
}

void TdocShape::Assign(const TPersistent* source) {
  const auto* shape = dynamic_cast<const TdocShape*>(source);
  if (!shape) {
    TPersistent::Assign(source);
    return;
  }
  // Taken first, so that assigning a shape to itself keeps its content.
  const std::string bytes = ShapesToString(*shape);
  ClearContent();
  ShapesFromString(*this, bytes);
  AssignEvents(*shape);
}

void TdocShape::AssignEvents(const TdocShape& source) {
  const int count = std::min(GetShapeCount(), source.GetShapeCount());
  for (int i = 0; i < count; ++i) {
    TdocShape* mine = GetShapes(i);
    const TdocShape* theirs = source.GetShapes(i);
    if (&mine->GetClass() == &theirs->GetClass()) mine->AssignEvents(*theirs);
  }
  OnChange = source.OnChange;
  OnEdit = source.OnEdit;
  OnResize = source.OnResize;
}

// ---- geometry

void TdocShape::SetDocLeft(float value) {
  if (value != DocLeft) SetDocBounds(value, DocTop, DocWidth, DocHeight);
}

void TdocShape::SetDocTop(float value) {
  if (value != DocTop) SetDocBounds(DocLeft, value, DocWidth, DocHeight);
}

void TdocShape::SetDocWidth(float value) {
  if (value != DocWidth) SetDocBounds(DocLeft, DocTop, value, DocHeight);
}

void TdocShape::SetDocHeight(float value) {
  if (value != DocHeight) SetDocBounds(DocLeft, DocTop, DocWidth, value);
}

void TdocShape::SetDocAngle(float value) {
  // Compared before normalising: 720 on a shape at 0 still records and notifies.
  if (value == DocAngle) return;
  RecordUndoFloat(ckPropertyValue, "DocAngle", DocAngle);
  Invalidate();
  StoreAngle(NormalizedAngle(value));
  if (Parent) Parent->InvalidateCache();
  Invalidate();
  Changed();
}

void TdocShape::StorePosition(float left, float top) {
  DocLeft = left;
  DocTop = top;
}

void TdocShape::StoreAngle(float value) {
  DocAngle = value;
  const double radians = double{value} * std::numbers::pi / 180.0;
  Cosine = static_cast<float>(std::cos(radians));
  Sine = static_cast<float>(std::sin(radians));
}

void TdocShape::SetDocPos(float left, float top) { SetDocBounds(left, top, DocWidth, DocHeight); }

void TdocShape::SetDocPosition(float left, float top) {
  auto step = UndoStep(Document);
  if (left != DocLeft) RecordUndoFloat(ckPropertyValue, "DocLeft", DocLeft);
  if (top != DocTop) RecordUndoFloat(ckPropertyValue, "DocTop", DocTop);
  DocLeft = left;
  DocTop = top;
}

void TdocShape::SetDocSize(float width, float height) {
  auto step = UndoStep(Document);
  if (width != DocWidth) RecordUndoFloat(ckPropertyValue, "DocWidth", DocWidth);
  if (height != DocHeight) RecordUndoFloat(ckPropertyValue, "DocHeight", DocHeight);
  if (width == DocWidth && height == DocHeight) return;
  DocWidth = width;
  DocHeight = height;
  CacheResolution = 0;
}

void TdocShape::SetDocBounds(float left, float top, float width, float height) {
  SetDocFrame(left, top, width, height, DocAngle);
}

void TdocShape::SetDocFrame(float left, float top, float width, float height, float angle) {
  const bool moved = left != DocLeft || top != DocTop;
  const bool sizeChanged = width != DocWidth || height != DocHeight;
  const bool turned = angle != DocAngle;
  if (!moved && !sizeChanged && !turned) return;
  Invalidate();
  {
    auto step = UndoStep(Document);
    if (Grouped && sizeChanged) LayoutChildren(width, height);
    if (moved) SetDocPosition(left, top);
    if (sizeChanged) SetDocSize(width, height);
    if (turned) SetDocAngle(angle);
  }
  Invalidate();
  Changed();
  if (sizeChanged && OnResize) OnResize(this);
}

void TdocShape::SetBoundsConstrained(float left, float top, float width, float height) {
  ApplySizeConstraints(width, height);
  ApplyMoveConstraint(left, top, width, height);
  SetDocBounds(left, top, width, height);
}

void TdocShape::SetDocRect(const TFloatRect& rect) {
  SetBoundsConstrained(std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom),
                       std::fabs(rect.Right - rect.Left), std::fabs(rect.Bottom - rect.Top));
}

void TdocShape::EnforceConstraints() {
  float width = DocWidth;
  float height = DocHeight;
  ApplySizeConstraints(width, height);
  SetDocBounds(DocLeft, DocTop, width, height);
}

void TdocShape::ApplySizeConstraints(float& width, float& height) const {
  if (!AllowResize) {
    width = DocWidth;
    height = DocHeight;
    return;
  }
  if (Constraints.MinWidth > 0) width = std::max(width, Constraints.MinWidth);
  if (Constraints.MaxWidth > 0) width = std::min(width, Constraints.MaxWidth);
  if (Constraints.MinHeight > 0) height = std::max(height, Constraints.MinHeight);
  if (Constraints.MaxHeight > 0) height = std::min(height, Constraints.MaxHeight);
  width = std::max(width, 0.1f);
  height = std::max(height, 0.1f);
  // A ratio of 0 (never locked, or locked on a shape without height) keeps no
  // aspect: applying it would zero the width.
  if (!PreserveAspect || !(AspectRatio > 0) || !std::isfinite(AspectRatio)) return;
  if (width / height > AspectRatio)
    width = height * AspectRatio;
  else
    height = width / AspectRatio;
  if (width < Constraints.MinWidth) {
    width = Constraints.MinWidth;
    height = width / AspectRatio;
  }
  if (height < Constraints.MinHeight) {
    height = Constraints.MinHeight;
    width = height * AspectRatio;
  }
}

void TdocShape::ApplyMoveConstraint(float& left, float& top, float width, float height) const {
  if (AllowMove || width != DocWidth || height != DocHeight) return;
  left = DocLeft;
  top = DocTop;
}

void TdocShape::Inflate(float dx, float dy) {
  SetDocBounds(DocLeft - dx, DocTop - dy, DocWidth + 2 * dx, DocHeight + 2 * dy);
}

void TdocShape::CenterAt(float x, float y) {
  const TFloatRect box = GetBox();
  SetDocPos(DocLeft + x - (box.Left + box.Right) / 2, DocTop + y - (box.Top + box.Bottom) / 2);
}

void TdocShape::LockAspectRatio() {
  PreserveAspect = true;
  AspectRatio = DocHeight > 0 ? DocWidth / DocHeight : 0;
}

void TdocShape::GetDefaultSize(float& width, float& height) const {
  width = 10.0f;
  height = 10.0f;
}

void TdocShape::SetFlipped(bool value) {
  if (value == Flipped) return;
  Flipped = value;
  Refresh();
  Changed();
}

void TdocShape::SetMirrored(bool value) {
  if (value == Mirrored) return;
  Mirrored = value;
  Refresh();
  Changed();
}

TFloatRect TdocShape::GetBox(bool withExtents) const {
  return ParentBox(withExtents ? LocalArea() : TFloatRect{0, 0, DocWidth, DocHeight});
}

TFloatRect TdocShape::PaintedBox(bool direct) const {
  TFloatRect box = LocalArea();
  if (!NeedsRenderCache()) {
    for (const auto& child : Shapes)
      if (child->Visible) box = Union(box, child->PaintedBox(false));
  }
  return direct ? box : ParentBox(box);
}

TFloatRect TdocShape::ParentBox(const TFloatRect& local) const {
  std::array<TFloatPoint, 4> corners = RectCorners(local);
  for (TFloatPoint& corner : corners) corner = LocalToParent(corner);
  return BoxAround(corners);
}

TFloatRect TdocShape::LocalArea() const {
  return {-Extents[0], -Extents[1], DocWidth + Extents[2], DocHeight + Extents[3]};
}

void TdocShape::SetBoxLeft(float value) { SetDocPos(DocLeft + value - GetBoxLeft(), DocTop); }
void TdocShape::SetBoxTop(float value) { SetDocPos(DocLeft, DocTop + value - GetBoxTop()); }
void TdocShape::SetBoxBottom(float value) { SetDocPos(DocLeft, DocTop + value - GetBoxBottom()); }

// ---- coordinate maps

TFloatPoint TdocShape::LocalToParent(const TFloatPoint& p) const {
  return {DocLeft + Cosine * p.X + Sine * p.Y, DocTop - Sine * p.X + Cosine * p.Y};
}

TFloatPoint TdocShape::ParentToLocal(const TFloatPoint& p) const {
  const float dx = p.X - DocLeft;
  const float dy = p.Y - DocTop;
  return {Cosine * dx - Sine * dy, Sine * dx + Cosine * dy};
}

TFloatPoint TdocShape::DocToLocal(const TFloatPoint& p) const {
  // The root (the page) holds page coordinates itself.
  if (!Parent) return p;
  return ParentToLocal(Parent->DocToLocal(p));
}

// The screen shows the root (the page) at its origin: the root's own frame
// maps page coordinates to the document's.
TFloatPoint TdocShape::ShapeToScreen(const TFloatPoint& p) const {
  TFloatPoint q = p;
  for (const TdocShape* shape = this; shape; shape = shape->Parent) q = shape->LocalToParent(q);
  return Document ? Document->DocToClient(q) : q;
}

TFloatPoint TdocShape::ScreenToShape(const TFloatPoint& p) const {
  const TdocShape* root = this;
  while (root->Parent) root = root->Parent;
  return DocToLocal(root->ParentToLocal(Document ? Document->ClientToDoc(p) : p));
}

void TdocShape::SnapPoint(const TFloatPoint& point, TFloatPoint& result) const {
  if (!Parent) {
    result = point;
    return;
  }
  TFloatPoint snapped;
  Parent->SnapPoint(LocalToParent(point), snapped);
  result = ParentToLocal(snapped);
}

// ---- opacity, visibility, curbs, extents

void TdocShape::SetMasterAlpha(std::int32_t value) {
  value = std::clamp(value, 0, 255);
  if (value == MasterAlpha) return;
  RecordUndoFloat(ckPropertyValue, "MasterAlpha", MasterAlpha);
  MasterAlpha = value;
  Invalidate();
  Changed();
}

void TdocShape::SetVisible(bool value) {
  if (value == Visible) return;
  if (!value) SetSelected(false);
  Visible = value;
  Invalidate();
  Changed();
}

void TdocShape::SetCurb(float value) { SetCurbs(value, value, value, value); }

void TdocShape::SetCurbs(float left, float top, float right, float bottom) {
  const std::array<float, 4> curbs{left, top, right, bottom};
  if (curbs == Curbs) return;
  Curbs = curbs;
  UpdateExtents();
  CacheResolution = 0;
}

void TdocShape::UpdateExtents() {
  Extents = Curbs;
  AdjustExtents(Extents[0], Extents[1], Extents[2], Extents[3]);
  if (!Grouped) return;
  std::array<float, 4> shared{};
  for (const auto& child : Shapes) child->AdjustExtents(shared[0], shared[1], shared[2], shared[3]);
  const float least = *std::max_element(shared.begin(), shared.end());
  for (float& extent : Extents) extent = std::max(extent, least);
}

void TdocShape::AdjustExtents(float& left, float& top, float& right, float& bottom) const {
  if (Mirrored) left = right = std::max(left, right);
  if (Flipped) top = bottom = std::max(top, bottom);
}

// ---- names, hints, document, parent

void TdocShape::SetName(const std::u16string& value) {
  if (value == Name) return;
  RecordUndo(ckPropertyValue, "Name", rtl::Utf16ToUtf8(Name));
  Name = value;
  Changed();
}

bool TdocShape::GetShowHint() const { return ShowHint; }

void TdocShape::SetShowHint(bool value) {
  ShowHint = value;
  ParentShowHint = false;
}

void TdocShape::SetDocument(TdocServices* document) {
  if (document == Document) return;
  Document = document;
  if (Document) ShapeId = Document->NextShapeId();
  Invalidate();
  for (const auto& child : Shapes) child->SetDocument(document);
}

void TdocShape::SetParent(TdocShape* parent) {
  if (parent == Parent) return;
  Parent = parent;
  Invalidate();
}

void TdocShape::SetModified(bool value) {
  if (value != Modified) {
    Modified = value;
    if (!value)
      for (const auto& child : Shapes) child->SetModified(false);
  }
  if (!value) return;
  if (Parent) Parent->SetModified(true);
  if (Document) Document->SetModified(true);
}

void TdocShape::SetSelected(bool value) {
  if (value && !AllowSelect) return;
  if (value == Selected) return;
  Selected = value;
  if (Document) Document->DoSelectionChanged();
  InvalidateArea();
}

void TdocShape::SetForceRenderCache(bool value) {
  if (value == ForceRenderCache) return;
  ForceRenderCache = value;
  Invalidate();
}

// ---- children

TdocShape* TdocShape::GetShapes(int index) const {
  if (index < 0 || index >= GetShapeCount()) return nullptr;
  return Shapes[static_cast<std::size_t>(index)].get();
}

int TdocShape::AddShape(std::unique_ptr<TdocShape> child) { return InsertShape(GetShapeCount(), std::move(child)); }

int TdocShape::InsertShape(int index, std::unique_ptr<TdocShape> child) {
  if (!child) return -1;
  index = std::clamp(index, 0, GetShapeCount());
  RecordUndo(ckChildInserted, "", std::to_string(index));
  TdocShape& inserted = *child;
  InsertChildAt(index, std::move(child));
  // The child's place is what changes on the screen.
  inserted.Invalidate();
  Changed();
  return index;
}

void TdocShape::InsertChildAt(int index, std::unique_ptr<TdocShape> child) {
  TdocShape& shape = *child;
  Shapes.insert(Shapes.begin() + index, std::move(child));
  shape.SetParent(this);
  shape.SetDocument(Document);
}

void TdocShape::DeleteShape(int index) {
  TdocShape* child = GetShapes(index);
  if (!child) return;
  RecordUndoShape(ckChildRemoved, *child);
  child->Invalidate();
  DeleteTempStreams(*child);
  DetachChild(*child);
  if (Document) {
    // Every shape of the subtree goes, so none may stay referenced.
    std::vector<TdocShape*> pending{child};
    while (!pending.empty()) {
      TdocShape* shape = pending.back();
      pending.pop_back();
      Document->DoShapeDestroy(shape);
      for (const auto& grandChild : shape->Shapes) pending.push_back(grandChild.get());
    }
  }
  child->SetDocument(nullptr);
  Shapes.erase(Shapes.begin() + index);
  Changed();
}

std::unique_ptr<TdocShape> TdocShape::ExtractShape(TdocShape* child) {
  const int index = IndexOfShape(child);
  if (index < 0) return nullptr;
  // The child lives on: its temporary resource streams stay in the container.
  RecordUndoShape(ckChildRemoved, *child);
  child->Invalidate();
  DetachChild(*child);
  child->SetDocument(nullptr);
  std::unique_ptr<TdocShape> extracted = std::move(Shapes[static_cast<std::size_t>(index)]);
  Shapes.erase(Shapes.begin() + index);
  Changed();
  return extracted;
}

void TdocShape::DetachChild(TdocShape& child) {
  child.SetSelected(false);
  child.Parent = nullptr;
}

void TdocShape::ExchangeShapes(int i, int j) {
  if (!GetShapes(i) || !GetShapes(j) || i == j) return;
  RecordUndo(ckPropertyValue, document::ShapeOrderProperty, document::ShapeOrderText(*this));
  std::swap(Shapes[static_cast<std::size_t>(i)], Shapes[static_cast<std::size_t>(j)]);
  Shapes[static_cast<std::size_t>(i)]->Invalidate();
  Shapes[static_cast<std::size_t>(j)]->Invalidate();
  Changed();
}

int TdocShape::IndexOfShape(const TdocShape* child) const {
  const auto found = std::find_if(Shapes.begin(), Shapes.end(), [child](const auto& s) { return s.get() == child; });
  return found == Shapes.end() ? -1 : static_cast<int>(found - Shapes.begin());
}

int TdocShape::RemoveShape(TdocShape* child) {
  const int index = IndexOfShape(child);
  if (index >= 0) DeleteShape(index);
  return index;
}

void TdocShape::ClearShapes() {
  while (GetShapeCount() > 0) DeleteShape(0);
}

void TdocShape::ClearContent() {
  auto update = UpdateBracket();
  for (int i = GetShapeCount() - 1; i >= 0 && !Shapes[static_cast<std::size_t>(i)]->Fixed; --i) DeleteShape(i);
}

TFloatRect TdocShape::GetChildrenBounds() const {
  if (Shapes.empty()) return {};
  TFloatRect bounds = Shapes.front()->GetBox();
  for (const auto& child : Shapes) bounds = Union(bounds, child->GetBox());
  return bounds;
}

// ---- notification

void TdocShape::BeginUpdate() { ++UpdateCount; }

void TdocShape::EndUpdate() {
  // The count never goes below zero, so one stray call cannot break every
  // later bracket.
  if (UpdateCount == 0) throw EInvalidOperation("EndUpdate called more often than BeginUpdate");
  --UpdateCount;
  if (UpdateCount == 0 && ChangePending) Changed();
}

void TdocShape::Changed() {
  if (Document && Document->IsLoading()) return;
  SetModified(true);
  if (UpdateCount > 0) {
    ChangePending = true;
    return;
  }
  ChangePending = false;
  if (OnChange) OnChange(this);
  if (Document) Document->DoShapeChanged(this);
}

void TdocShape::Invalidate() {
  if (Document) Document->InvalidateShape(this);
  if (Parent) Parent->InvalidateCache();
}

void TdocShape::InvalidateCache() {
  for (TdocShape* shape = this; shape; shape = shape->Parent) shape->CacheResolution = 0;
}

void TdocShape::Refresh() {
  InvalidateCache();
  UpdateExtents();
  Invalidate();
}

void TdocShape::RefreshAll() {
  InvalidateCache();
  for (const auto& child : Shapes) child->RefreshAll();
  UpdateExtents();
  Invalidate();
}

void TdocShape::InvalidateArea() {
  if (Document) Document->InvalidateShape(this);
}

void TdocShape::DoEditEvent() {
  if (OnEdit) OnEdit(this);
}

void TdocShape::DoLoadError(const std::string& text) {
  if (Document) Document->DoLoadError(this, text);
}

bool TdocShape::IsEditing() const { return Document && Document->GetEditShape() == this; }

void TdocShape::StartEdit() {
  // A plain shape has no in-place editing: the edit ends at once, refused.
  DoEditEvent();
  if (Document) Document->CloseShapeEdit(false);
}

// ---- resources

void TdocShape::CollectArchiveNames(TStringList& list) const {
  for (const auto& child : Shapes) child->CollectArchiveNames(list);
}

void TdocShape::RenameArchiveNames(const std::map<std::string, std::string>& renames) {
  for (const auto& child : Shapes) child->RenameArchiveNames(renames);
}

void TdocShape::DeleteTempStreams(const TdocShape& child) const {
  TStringList names;
  child.CollectArchiveNames(names);
  DeleteTempStreams(names);
}

void TdocShape::DeleteTempStreams(const TStringList& names) const {
  TsdStorage* storage = Document ? Document->GetStorage() : nullptr;
  if (!storage) return;
  for (int i = 0; i < names.GetCount(); ++i)
    if (TsdStorage::IsTempName(names.GetStrings(i))) storage->DeleteStream(names.GetStrings(i));
}

// ---- helpers

std::string FontStyleToText(std::uint8_t style) {
  std::string text;
  for (const auto& [bit, letter] : {std::pair{1, 'B'}, {2, 'I'}, {4, 'U'}, {8, 'S'}})
    if (style & bit) text += letter;
  return text;
}

std::uint8_t FontStyleFromText(const std::string& text) {
  std::uint8_t style = 0;
  for (const auto& [bit, letter] : {std::pair{1, 'B'}, {2, 'I'}, {4, 'U'}, {8, 'S'}})
    if (text.find(letter) != std::string::npos) style = static_cast<std::uint8_t>(style | bit);
  return style;
}

int Sign(std::int64_t value) { return (value > 0) - (value < 0); }
int Sign(float value) { return (value > 0) - (value < 0); }
