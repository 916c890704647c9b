#pragma once
// TdocEffect: the base of the raster effects a shape runs over its rendering
// before the rendering is composed into the page (colour changes, shadow,
// gradient, texture). The base draws nothing; it carries the two settings
// every effect has, its persistence and its undo records.
//
// Input routing (Source): -2 reads the bitmap as the previous effect left
// it, -1 the shape's rendering before any effect, n >= 0 the output of effect
// n of the same shape. An effect always writes into the bitmap it is given.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "document/shape/ClassRegistry.h"
#include "document/render/RenderOptions.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

class TdocEffectShape;
class TXmlNode;

// The Source values that name no effect.
constexpr std::int32_t SourcePrevious = -2;
constexpr std::int32_t SourceRendering = -1;

class TdocEffect : public TPersistent {
public:
  TdocEffect();
  ~TdocEffect() override;
  TdocEffect(const TdocEffect&) = delete;
  TdocEffect& operator=(const TdocEffect&) = delete;

  static const TdocEffectClass& StaticClass();
  virtual const TdocEffectClass& GetClass() const { return StaticClass(); }
  std::string ClassName() const override { return std::string(GetClass().Name); }
  // The class name without "Tdoc" and "Effect": "TdocShadowEffect" gives "Shadow".
  virtual std::string GetEffectName() const;

  // Another effect: its XML form read into this one.
  void Assign(const TPersistent* source) override;

  // Changes bitmap in place; the base changes nothing.
  virtual void Apply(TBitmap32& bitmap, const TdocRenderOptions& options);
  // Rebuilds what the parameters derive (lookup tables).
  virtual void Prepare() {}
  // Widens the owner's render margins (an effect painting outside the shape).
  virtual void AdjustExtents(float& /*left*/, float& /*top*/, float& /*right*/, float& /*bottom*/) const {}
  // "Source" and "Enabled" (case-sensitive); subclasses add their parameters.
  // Raises EConvertError for a Source that is not an integer.
  virtual void SetPropertyByName(const std::string& name, const std::string& value);
  // Container stream names of the effect's resources; the base holds none.
  virtual void CollectArchiveNames(TStringList& /*list*/) const {}
  // Resources now stored under new names take them.
  virtual void RenameArchiveNames(const std::map<std::string, std::string>& /*renames*/) {}
  virtual void LoadFromXml(const TXmlNode& node);
  virtual void SaveToXml(TXmlNode& node) const;

  TdocEffectShape* GetShape() const { return Shape; }
  virtual void SetShape(TdocEffectShape* shape) { Shape = shape; }
  // Position in the owner's list; -1 without an owner.
  int GetIndex() const;

  bool GetEnabled() const { return Enabled; }
  void SetEnabled(bool value);
  std::int32_t GetSource() const { return Source; }
  void SetSource(std::int32_t value);

  // The bitmap this effect reads during a run, by its Source: bitmap itself
  // for -2 and for any Source that names no earlier effect of the shape (an
  // index out of range, this effect or a later one), the owner's rendering
  // for -1, the output of effect n otherwise.
  const TBitmap32& GetInput(const TBitmap32& bitmap) const;

protected:
  // Prepare, Refresh, then the owner's Changed: every parameter setter ends here.
  void ParamChanged();
  // Records the old value of a parameter through the owner.
  void RecordUndo(const std::string& propName, const std::string& oldValue);
  // The owner's Invalidate / Refresh.
  virtual void Changed();
  virtual void Refresh();

private:
  friend class TdocEffectShape;

  bool Enabled = true;
  TdocEffectShape* Shape = nullptr;
  std::int32_t Source = SourcePrevious;
  // Set for one run when a later effect reads this one's output.
  bool KeepOutput = false;
  std::unique_ptr<TBitmap32> Output;
};

// The effect byte form: the effect's resources, then its XML under the root
// "effect"; the same layout as the shape byte form. Resources come from and go
// to the container of the owner's document.
std::string EffectToString(const TdocEffect& effect);
void EffectFromString(TdocEffect& effect, std::string_view bytes);
