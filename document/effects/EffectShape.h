#pragma once
// TdocEffectShape: a shape that runs an ordered list of raster effects over
// its rendering before the rendering is composed into the page (texts,
// polygons, pictures, barcodes and groups derive from it). TdocGroupShape is
// the class of a group of shapes.
//
// The chain (ProcessRenderedBitmap) runs in three passes: the first marks
// the effects whose output a later effect reads and keeps the shape's own
// rendering when an effect asks for it; the second runs the enabled effects
// in order, copying each marked output; the third frees the copies. Mirror
// and flip come last, so effects always see the unmirrored rendering.
//
// Stacked effects add their margins up, however far that reaches. What a
// stack costs is bounded instead: every effect walks the whole widened
// drawing once (or keeps a copy of it for a later one), so the cache is held
// to the picture budget shared among the effects, and a long stack is drawn
// coarser rather than cut short.

#include <memory>
#include <string>
#include <vector>

#include "document/effects/Effect.h"
#include "document/shape/Shape.h"

class TdocEffectShape : public TdocShape {
public:
  TdocEffectShape();
  ~TdocEffectShape() override;

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // ---- the effect list, in run order
  // Appends the effect and returns its index; -1 without an effect.
  int AddEffect(std::unique_ptr<TdocEffect> effect);
  // For 0 <= index <= count as AddEffect at index; otherwise the effect is
  // freed and -1 returned.
  int InsertEffect(int index, std::unique_ptr<TdocEffect> effect);
  // Nothing outside 0..count-1.
  void DeleteEffect(int index);
  int GetEffectCount() const { return static_cast<int>(Effects.size()); }
  // Nil outside 0..count-1.
  TdocEffect* GetEffects(int index) const;
  int IndexOfEffect(const TdocEffect* effect) const;
  // Records an effect command as RecordUndo does for shapes: kind 3 the
  // insertion at index, kind 4 the removal of effect (its class and byte
  // form), kind 5 the old value of the effect's property propName.
  void RecordEffectUndo(TdocCommandKind kind, const TdocEffect& effect, int index, const std::string& propName = {},
                        const std::string& oldValue = {});

  // The shape's rendering before the first effect; exists only while the
  // chain runs and an effect reads it.
  const TBitmap32* GetRenderingCopy() const { return RenderingCopy.get(); }

  void CollectArchiveNames(TStringList& list) const override;
  void RenameArchiveNames(const std::map<std::string, std::string>& renames) override;
  bool HasBitmapEffects() const override;
  void ProcessRenderedBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void AdjustExtents(float& left, float& top, float& right, float& bottom) const override;
  double MaxCachePixels() const override;
  void ClearContent() override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;
  bool ApplyCommand(const TdocCommand& command) override;

private:
  void RunEffects(TBitmap32& bitmap, const TdocRenderOptions& options);
  bool ApplyEffectCommand(const TdocCommand& command);
  void RestoreRemovedEffect(const TdocCommand& command);
  void SetEffectProperty(const TdocCommand& command);

  std::vector<std::unique_ptr<TdocEffect>> Effects;
  std::unique_ptr<TBitmap32> RenderingCopy;
};

class TdocGroupShape : public TdocEffectShape {
public:
  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }
};
