#pragma once
// The fonts a document draws outlined text with, shared by name and style
// among its shapes and counted by use. Each font caches the glyphs it was
// asked for, fetched from the font engine once at an em height of 1000
// units; the cache can be written to and read from a "Fonts.dat" stream so
// that the document keeps its glyphs on a machine without the font.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/text/Glyph.h"
#include "document/text/OutlineBudget.h"
#include "imaging/util/SortedLists.h"
#include "platform/gdi/Font.h"
#include "platform/rtl/Persistent.h"

class TStream;
class TdocFontManager;

// The em height glyph metrics and outlines are measured in.
inline constexpr int kEmUnits = 1000;

namespace gdi {
class TOutlineFont;
}

class TdocFont : public TPersistent {
public:
  // StyleBits: 1 bold, 2 italic, 4 underline, 8 strike-out.
  TdocFont(TdocFontManager* manager, std::string name, TFontStyles styleBits);
  ~TdocFont() override;

  std::string ClassName() const override { return "TdocFont"; }

  const std::string& GetName() const { return Name; }
  TFontStyles GetStyleBits() const { return StyleBits; }
  TdocFontManager* GetManager() const { return manager; }
  TdocGlyphList& GetGlyphs() { return glyphs; }
  const TdocGlyphList& GetGlyphs() const { return glyphs; }

  // Realises the face at an em height of 1000 pixels when not done yet and
  // takes Ascent and Descent from it, unless they came with a stored font.
  // Raises "Unable to create font with name "%s"".
  void CreateHandle();
  bool HasHandle() const { return handle != nullptr; }
  // The cached glyph, fetched from the engine on first use.
  TdocGlyph* GetGlyph(char16_t code);
  double GetLineHeight(double fontHeight) const;

  std::int32_t Ascent = 0;
  std::int32_t Descent = 0;
  // The shapes in memory that use the font.
  std::int32_t RefCount = 0;
  // Uses counted by "Fonts.dat" for shapes of pages not read yet; a page
  // read takes its shapes' uses over (TdocFontManager::TakeOverStoredUses).
  std::int32_t StoredUses = 0;
  // What "Fonts.dat" stores as the font's use count.
  std::int32_t GetUseCount() const;

private:
  friend class TdocFontManager;

  void LoadGlyph(TdocGlyph& glyph);

  TdocGlyphList glyphs;
  TdocFontManager* manager;
  std::string Name;
  TFontStyles StyleBits;
  std::unique_ptr<gdi::TOutlineFont> handle;
  // Ascent and Descent were read from a stream: they belong to the stored
  // glyphs and are kept when the engine's face is realised later.
  bool StoredMetrics = false;
};

using TdocFontList = TCustomObjectList<TdocFont>;

class TdocFontManager : public TComponent {
public:
  explicit TdocFontManager(TComponent* owner = nullptr) : TComponent(owner) {}

  std::string ClassName() const override { return "TdocFontManager"; }

  // The shared font for the name (exact, case-sensitive) and style, its use
  // counted. Previous is the font the caller held: it is returned as it is
  // when it matches; otherwise its use ends, also when the new font cannot
  // be created (which raises), so the caller must not keep it. An empty name
  // gives null (and still ends the use of Previous: how a shape lets go).
  TdocFont* AcquireFont(const std::string& name, TFontStyles styleBits, TdocFont* previous);
  // Deletes every font no longer in use (no shape and no stored use).
  void PurgeFonts();

  // The uses each font has now; after a page is read, TakeOverStoredUses
  // with them moves the uses its shapes acquired out of StoredUses.
  using TUseCounts = std::vector<std::pair<const TdocFont*, std::int32_t>>;
  TUseCounts GetUseCounts() const;
  void TakeOverStoredUses(const TUseCounts& before);
  // No page is left unread (or the document goes): only shapes count.
  void ForgetStoredUses();

  // What the document's outlined texts may draw together; the texts hold
  // it, so it outlives the manager while one still does.
  const std::shared_ptr<TdocOutlineBudget>& GetOutlineBudget() const { return OutlineBudget; }

  int GetFontCount() const { return Fonts.GetCount(); }
  TdocFont* GetFont(int index) const { return Fonts.GetItem(index); }

  // "Fonts.dat": every font in list order with its use count, every glyph in
  // code order.
  void SaveToStream(TStream& stream) const;
  // Reads a whole "Fonts.dat" before changing anything, then adds its fonts.
  // A font whose name and style are already in the list is not added again:
  // the present font keeps its glyphs and counts and gains the stored glyphs
  // it lacks. A new font's stored count becomes its StoredUses.
  // A stored glyph of more than MaxGlyphPoints points is left out; the
  // answer tells each one left out.
  // Raises EReadError "Font file is corrupt or incorrect", "Font file has
  // unknown version" or the stream's read error; the list is unchanged then.
  std::vector<std::string> LoadFromStream(TStream& stream);

private:
  TdocFont* FindFont(const std::string& name, TFontStyles styleBits) const;
  // A use of the font for the name and style, which is made when missing.
  TdocFont* TakeFont(const std::string& name, TFontStyles styleBits);
  void ReleaseFont(TdocFont* font);
  int IndexOfFont(const TdocFont* font) const;
  TdocFont* AddFont(const std::string& name, TFontStyles styleBits);
  void MergeFont(std::unique_ptr<TdocFont> loaded);

  TdocFontList Fonts;
  std::shared_ptr<TdocOutlineBudget> OutlineBudget = std::make_shared<TdocOutlineBudget>();
};
