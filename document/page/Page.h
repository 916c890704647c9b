#pragma once
// TdocPage: the shape that is one page of a document (a label, or a sheet of
// the preview and print documents). Its children are the shapes on the page;
// its frame size is the page size. It adds margins, a grid, the page colour
// and a background picture, takes these from the document's defaults while
// it is a default page, paints itself under its shapes, renders itself in
// tiles onto a printer or thumbnail canvas, and keeps a thumbnail.
//
// The page's document reaches it through TdocServices; the page-specific
// requests go through TdocPageHost (PageHost.h) when the document offers it.
// The background picture is a shared resource whose owner is the page: the
// page answers the resource's requests for the document's archive.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "document/resources/BitmapResource.h"
#include "document/page/PageHost.h"
#include "document/resources/ResourceHost.h"
#include "document/shape/Shape.h"
#include "platform/gdi/Bitmap.h"

class TStream;
class TXmlDocument;

// One piece of a page cut for rendering: its pixel rectangle relative to the
// page's pixel rectangle, and the upper end of its share of the page's
// progress range 0 .. 1.
struct TdocPageTile {
  TRect Area;
  double ProgressEnd = 1.0;
};

class TdocPage : public TdocShape, public TdocResourceHost {
public:
  // Larger tiles are halved before they are rendered.
  static constexpr std::int64_t MaxTilePixels = 1920000;
  // Rows of a bitmap the width of a printed sheet that stay in the processor's
  // cache together.
  static constexpr std::int32_t BandRows = 64;
  // 150 dots per inch.
  static constexpr float DefaultDpm = 5.905512f;

  TdocPage();
  ~TdocPage() override;

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // ---- size and origin
  float GetPageWidth() const { return GetDocWidth(); }
  float GetPageHeight() const { return GetDocHeight(); }
  void SetPageWidth(float value) { SetDocWidth(value); }
  void SetPageHeight(float value) { SetDocHeight(value); }
  // Stores DocLeft and DocTop: no undo, no notification.
  virtual void SetOrigin(float left, float top);
  // Inherited; then, when this is the document's current page and the
  // document is not printing, the document updates its scroll area.
  void SetDocFrame(float left, float top, float width, float height, float angle) override;

  // ---- effective settings: the document's defaults while this is a default
  // page of a document that keeps them, else the page's own
  const TdocPageSettings& GetSettings() const;
  float GetMarginLeft() const { return GetSettings().MarginLeft; }
  float GetMarginTop() const { return GetSettings().MarginTop; }
  float GetMarginRight() const { return GetSettings().MarginRight; }
  float GetMarginBottom() const { return GetSettings().MarginBottom; }
  float GetGridSize() const { return GetSettings().GridSize; }
  TColor GetGridColor() const { return GetSettings().GridColor; }
  TColor GetPageColor() const { return GetSettings().PageColor; }
  bool GetBackgroundTiled() const { return GetSettings().BackgroundTiled; }
  // The effective background picture resource (the document's default one
  // on a default page); nil when there is none.
  TdocBitmapResource* GetBackground() const;
  // The page's own background resource.
  TdocBitmapResource& GetOwnBackground() const { return *Background; }

  // Each: when the value differs from the effective one, the page leaves
  // default mode (copying the document's defaults), stores the value,
  // refreshes and reports the change.
  void SetMarginLeft(float value);
  void SetMarginTop(float value);
  void SetMarginRight(float value);
  void SetMarginBottom(float value);
  void SetGridSize(float value);
  void SetGridColor(TColor value);
  void SetPageColor(TColor value);
  void SetBackgroundTiled(bool value);

  // Loads the page first.
  bool GetIsDefaultPage();
  // On: the page takes the document's default size. Off: the document's
  // current defaults become the page's own settings. Without a document
  // that keeps defaults only the flag changes.
  void SetIsDefaultPage(bool value);

  // ---- loading through the document
  bool GetLoaded() const { return Loaded; }
  // The document sets it when it has read or dropped the page's content.
  void SetLoaded(bool value) { Loaded = value; }
  // Asks the document to load the page when it is not loaded yet.
  virtual void EnsureLoaded();

  // ---- shape overrides
  // Name, or "Page %d" with the page's 1-based position in its document.
  std::u16string GetName() const override;
  // Each coordinate to the nearest multiple of the effective grid size
  // (halves to even) when the grid size is above 0.
  void SnapPoint(const TFloatPoint& point, TFloatPoint& result) const override;
  void SetDocument(TdocServices* document) override;
  // Setting True also marks the thumbnail dirty.
  void SetModified(bool value) override;
  void CollectArchiveNames(TStringList& list) const override;
  void SaveToXml(TXmlNode& node) const override;
  // Saves the page into xml's root and writes xml into stream, each shape's
  // XML made, written and freed before the next: the bytes SaveToXml and
  // SaveToStream give, without the whole tree in memory at once. The
  // document's additional info for the page is asked for after the shapes
  // were written, so its node then holds the page's values alone.
  void SaveToXmlStream(TXmlDocument& xml, TStream& stream) const;
  void LoadFromXml(TXmlNode* node) override;
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  // Whether rendering the page with these options first covers its whole
  // rectangle with opaque pixels of its own (its colour or the pattern):
  // what a bitmap held there before never shows.
  bool CoversItsRectangle(const TdocRenderOptions& options) const;
  void PaintOverChildren(TBitmap32& bitmap, const TdocRenderOptions& options) override;

  // ---- resource host
  TsdStorage* GetResourceArchive() const override;
  // The document's, so that a background counts with the label's pictures.
  std::shared_ptr<imaging::TPixelBudget> GetPictureBudget() const override;

  // ---- rendering onto a canvas
  // Renders the page for printing into rect of canvas (pixels), scaled to
  // fit and centred, cut into tiles of at most MaxTilePixels pixels.
  // rotation counts quarter turns (1 counter-clockwise, 2 half, 3 clockwise);
  // mirror reverses the columns; bottomUp turns the result upside down (the
  // row order of a bottom-up device bitmap sent as it is). dpm is the
  // resolution shapes render their caches at; 0 takes the scale of rect.
  // Nothing without a document that offers TdocPageHost.
  virtual void RenderPage(TCanvas& canvas, const TRect& rect, bool mirror, bool bottomUp, int rotation, float dpm);
  // RenderPage into the whole of a bitmap, unmirrored; what the page leaves
  // uncovered is set to background, so the bitmap's earlier pixels do not
  // matter (a printer reuses one bitmap for every sheet). Unturned, the page
  // is drawn straight into it instead of through tiles, each shape once, its
  // cache freed as soon as it is drawn.
  void RenderPageToBitmap(TBitmap32& bitmap, int rotation, float dpm, TColor32 background);
  // The page unturned into a bitmap from its top-left corner at dpm pixels
  // per millimetre across and down, not stretched to the bitmap's whole
  // pixels: the shapes' caches then share the bitmap's pixel grid and are
  // never resampled. What the page leaves uncovered is set to background.
  void RenderPageAtResolution(TBitmap32& bitmap, float dpm, TColor32 background);
  // RenderPage at 150 dots per inch.
  virtual void RenderPageDefault(TCanvas& canvas, const TRect& rect, bool mirror, bool bottomUp, int rotation);
  // Export: the page rendered at the document's render resolution (caches
  // at no more than maxDpm), reduced or stretched into rect; with fit, rect
  // shrinks to the page's aspect ratio and the page is centred in it.
  // Returns the rectangle the page covers.
  TRect PaintPageToCanvas(TCanvas& canvas, const TRect& rect, float maxDpm, bool fit);

  // ---- thumbnail
  // Rebuilds the thumbnail and tells the document that the page changed.
  virtual void PageUpdated();
  // The thumbnail, rebuilt when dirty (with a document); nil without one.
  const TBitmap* GetThumbnail();
  // A copy of bitmap (nil removes it); the thumbnail is then clean.
  void SetThumbnail(const TBitmap* bitmap);
  // Where the stored thumbnail comes from: called once, when the thumbnail
  // is first asked for while the page is unchanged, so that a document opens
  // without decoding every page's thumbnail. Nil from it, or a change of the
  // page, leaves the thumbnail to be rendered. Until then the thumbnail
  // counts as clean.
  void SetThumbnailLoader(std::function<std::unique_ptr<TBitmap>()> loader);
  bool GetThumbnailDirty() const { return ThumbnailDirty; }
  // The thumbnail as a 24-bit Windows BMP file image; nothing without one.
  void SaveThumbnailToStream(TStream& stream) const;

private:
  // Stores a changed setting as the page's own (leaving default mode first).
  template <class T>
  void ChangeSetting(T TdocPageSettings::*member, T value);
  TdocPageHost* GetHost() const;
  void BackgroundChanged();
  void BackgroundReloaded();
  // The page's own elements, before those of every shape.
  void SavePageValuesToXml(TXmlNode& node) const;
  void LoadPageSize(const TXmlNode& node, float width, float height);
  void LoadBackground(TXmlNode& node);
  // Page aids of the screen.
  void PaintBackgroundPicture(TBitmap32& bitmap, const TRect& pageRect, const TdocRenderOptions& options);
  void PaintGrid(TBitmap32& bitmap, TdocHelperMethodType method) const;
  void PaintMargins(TBitmap32& bitmap) const;
  void PaintPageFrame(TBitmap32& bitmap, const TRect& pageRect, std::int32_t shadow) const;
  void CallPaintEvent(TBitmap32& bitmap, bool foreground);
  TdocRenderOptions PrintOptions(float resolution, float bitmapResolution) const;
  TColor32 OpaquePageColor() const;
  struct TPageOutput;
  using TPageDraw = std::function<void(const TPageOutput& output, const TdocRenderOptions& options)>;
  // What RenderPage does around drawing the page laid out in rect.
  void RenderPageWith(const TRect& rect, bool mirror, bool bottomUp, int rotation, float dpm, const TPageDraw& draw);
  void RenderTiles(TCanvas& canvas, const TRect& rect, const TPageOutput& output, const TdocRenderOptions& options);
  void RenderUnturned(TBitmap32& bitmap, const TPageOutput& output, const TdocRenderOptions& options);
  // Draws the page over bitmap (covering area) one band of rows at a time.
  void RenderInBands(TBitmap32& bitmap, const TFloatRect& area, TdocRenderOptions options);
  // RenderPageAtResolution with the given flags of the render options set
  // (which caches go, whether it is a miniature); false when nothing was
  // drawn.
  bool RenderUnturnedAt(TBitmap32& bitmap, float dpm, TColor32 background,
                        std::initializer_list<bool TdocRenderOptions::*> flags);
  // The thumbnail's picture: the page fitted into rect and centred, drawn at
  // that size in one pass. Returns the rectangle the page covers.
  TRect PaintThumbnailPage(TCanvas& canvas, const TRect& rect);

  TResourcePtr<TdocBitmapResource> Background;
  TdocPageSettings Own;
  bool Loaded = true;
  bool LoadingXml = false;
  bool ThumbnailDirty = false;
  std::unique_ptr<TBitmap> Thumbnail;
  std::function<std::unique_ptr<TBitmap>()> ThumbnailLoader;
  bool IsDefaultPage = true;
};

namespace document {

// The pieces of a page of the given pixel size: a piece larger than
// maxPixels is halved (across its height when it is at least as high as
// wide, else across its width, the first half taking the smaller half of an
// odd size), each half taking its half of the parent's progress share, in
// the order they are rendered.
std::vector<TdocPageTile> SplitPageTiles(std::int32_t width, std::int32_t height, std::int64_t maxPixels);

// Copies bitmap onto dest of canvas: pixel for pixel when the sizes agree,
// else resampled with a good-quality filter (all four bytes of each pixel).
void SendBitmapToCanvas(TCanvas& canvas, const TRect& dest, const TBitmap32& bitmap);

}  // namespace document
