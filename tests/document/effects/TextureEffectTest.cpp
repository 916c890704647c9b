// Texture effect: tile positions and scales written here from the effect's
// description (pixel for pixel with the nearest filter), the untiled
// stretch over the frame, the BitmapResolution the render cache hands down,
// a tile larger than the bitmap against a whole tile drawn directly, hostile
// sizes, the XML round trip and the access bracket under a purging thread.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "EffectTestSupport.h"
#include "document/effects/EffectShape.h"
#include "document/shape/PlainServices.h"
#include "document/effects/TextureEffect.h"
#include "imaging/docgraphics/DocGraphics.h"

namespace {

using namespace effecttest;

// An effect shape that fills its frame opaquely, so its effects have a mask.
class TFilledShape : public TdocEffectShape {
public:
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions&) override {
    bitmap.FillRectClipped(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom(), 0xFF808080u);
  }
};

// A shape of the given frame and curbs carrying one texture effect whose
// picture is picture.
struct TTextured {
  TTextured(const TBitmap32& picture, float width = 20, float height = 10) {
    document::StartUp();
    shape.SetDocFrame(0, 0, width, height, 0);
    auto texture = std::make_unique<TdocTextureEffect>();
    effect = texture.get();
    shape.AddEffect(std::move(texture));
    effect->GetTexture().SetBitmap(&picture);
  }
  TFilledShape shape;
  TdocTextureEffect* effect;
};

TdocRenderOptions At(double resolution, TdocStretchFilter filter = sfNearest) {
  TdocRenderOptions options;
  options.BitmapResolution = float(resolution);
  options.Resolution = 1;  // must not be what the texture scales by
  options.StretchFilter = filter;
  return options;
}

// The replacement rule with Replace 3: colour c wherever the mask has alpha,
// its alpha scaled by the mask's.
TColor32 Replaced(TColor32 under, TColor32 c) {
  const TColor32 a = under >> 24;
  return a == 0 ? under : (c & 0x00FFFFFFu) | ((c >> 24) * a / 255) << 24;
}

// Equal within one step per channel (composing onto the page rounds).
bool Near(TColor32 a, TColor32 b) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int(Channel(a, shift)) - int(Channel(b, shift))) > 1) return false;
  return true;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t n) { return ((a % n) + n) % n; }

// Every pixel of out against Replaced(in, want(x, y)); the first few
// mismatches are reported.
template <class Want>
int Mismatches(const TBitmap32& in, const TBitmap32& out, Want&& want) {
  int wrong = 0;
  for (int y = 0; y < in.GetHeight(); ++y)
    for (int x = 0; x < in.GetWidth(); ++x) {
      const TColor32 expected = Replaced(in.GetPixel(x, y), want(x, y));
      if (out.GetPixel(x, y) != expected && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << out.GetPixel(x, y) << " want " << expected;
    }
  return wrong;
}

TEST(TextureEffectTest, RegisteredUnderItsStoredNameWithPictureLessDefaults) {
  const auto effect = LoadEffect(EffectElement("TdocTextureEffect"));
  ASSERT_EQ(effect->ClassName(), "TdocTextureEffect");
  EXPECT_EQ(effect->GetEffectName(), "Texture");
  const TdocTextureEffect fresh;
  EXPECT_EQ(fresh.Replace, 3);
  EXPECT_TRUE(fresh.Tiled);
  EXPECT_FLOAT_EQ(fresh.RenderDpm, 5.905512f);
  EXPECT_EQ(fresh.OffsetX, 0.0f);
  // An element without "Tiled" or "RenderDpm" reads them as False and 0.
  const auto& loaded = dynamic_cast<const TdocTextureEffect&>(*effect);
  EXPECT_FALSE(loaded.Tiled);
  EXPECT_EQ(loaded.RenderDpm, 0.0f);
}

TEST(TextureEffectTest, WithoutPictureOrOwnerTheShapeStaysAsItWas) {
  document::StartUp();
  TBitmap32 bitmap, original;
  FillRandom(bitmap, 30, 20, 1);
  original.Assign(&bitmap);
  TFilledShape shape;
  shape.SetDocFrame(0, 0, 6, 4, 0);
  auto owned = std::make_unique<TdocTextureEffect>();
  TdocTextureEffect& effect = *owned;
  shape.AddEffect(std::move(owned));
  effect.Apply(bitmap, At(5));
  for (int i = 0; i < 600; ++i) ASSERT_EQ(bitmap.GetBits()[i], original.GetBits()[i]) << "no picture";
  TBitmap32 picture;
  FillRandom(picture, 3, 3, 2);
  TdocTextureEffect ownerless;
  ownerless.GetTexture().SetBitmap(&picture);
  ownerless.Apply(bitmap, At(5));
  for (int i = 0; i < 600; ++i) ASSERT_EQ(bitmap.GetBits()[i], original.GetBits()[i]);
}

TEST(TextureEffectTest, TiledRepeatsFromTheOffsetAtNaturalAndDoubleSize) {
  TBitmap32 picture;
  FillRandom(picture, 7, 5, 3);
  const struct {
    double r;
    float renderDpm, offsetX, offsetY, curbLeft, curbTop;
    int scale;  // bitmap pixels per picture pixel
  } cases[] = {{5, 5, 0, 0, 0, 0, 1},       {5, 5, 0.6f, 1.4f, 0, 0, 1}, {5, 5, -2.2f, 0.8f, 1, 0.4f, 1},
               {10, 5, 0, 0, 0, 0, 2},      {10, 5, 0.3f, -0.7f, 0.5f, 1, 2}, {11.811, 5.9055, 1.1f, 0.1f, 0, 0, 2}};
  for (const auto& c : cases) {
    TTextured t(picture);
    t.shape.SetCurbs(c.curbLeft, c.curbTop, 0, 0);
    t.effect->RenderDpm = c.renderDpm;
    t.effect->OffsetX = c.offsetX;
    t.effect->OffsetY = c.offsetY;
    TBitmap32 bitmap, original;
    FillRandom(bitmap, 61, 43, 4);
    original.Assign(&bitmap);
    t.effect->Apply(bitmap, At(c.r));
    // The picture's top-left pixel sits OffsetX, OffsetY from the frame's
    // corner, which lies the curbs in from the bitmap's corner.
    const std::int64_t originX = std::lround((c.curbLeft + c.offsetX) * c.r);
    const std::int64_t originY = std::lround((c.curbTop + c.offsetY) * c.r);
    EXPECT_EQ(Mismatches(original, bitmap,
                         [&](int x, int y) {
                           return picture.GetPixel(int(FloorMod(x - originX, 7 * c.scale) / c.scale),
                                                   int(FloorMod(y - originY, 5 * c.scale) / c.scale));
                         }),
              0)
        << "r " << c.r << " offset " << c.offsetX << "," << c.offsetY;
  }
}

TEST(TextureEffectTest, OffsetOfOneTileWidthGivesTheSamePicture) {
  TBitmap32 picture;
  FillRandom(picture, 6, 4, 5);
  TBitmap32 a, b;
  FillRandom(a, 50, 30, 6);
  b.Assign(&a);
  TTextured t(picture);
  t.effect->RenderDpm = 5;
  t.effect->Apply(a, At(5, sfLinear));
  t.effect->OffsetX = 6 / 5.0f;  // one tile, in millimetres
  t.effect->OffsetY = -4 / 5.0f;
  t.effect->Apply(b, At(5, sfLinear));
  for (int i = 0; i < 1500; ++i) ASSERT_EQ(a.GetBits()[i], b.GetBits()[i]) << i;
}

TEST(TextureEffectTest, UntiledCoversTheFrameExactlyAndRepeatsInTheMargins) {
  // Two colours side by side: the left half of the frame gets the first,
  // the right half the second, whatever the picture's own size.
  TBitmap32 picture;
  picture.SetSize(2, 1);
  picture.SetPixel(0, 0, 0xFFFF0000u);
  picture.SetPixel(1, 0, 0xC00000FFu);
  TTextured t(picture, 40, 20);
  t.shape.SetCurbs(1, 0.5f, 0, 0);
  t.effect->Tiled = false;
  t.effect->OffsetX = 7;  // not used untiled
  TBitmap32 bitmap, original;
  bitmap.SetSize(430, 215);
  bitmap.Clear(0xFF000000u);
  original.Assign(&bitmap);
  t.effect->Apply(bitmap, At(10));
  // The 400 x 200 tile starts at the frame's corner (10, 5) and repeats left
  // of it: x = 9 shows the tile's last column.
  EXPECT_EQ(Mismatches(original, bitmap,
                       [&](int x, int) { return picture.GetPixel(FloorMod(x - 10, 400) < 200 ? 0 : 1, 0); }),
            0);
  EXPECT_EQ(bitmap.GetPixel(9, 0) >> 24, 0xC0u);
  EXPECT_EQ(bitmap.GetPixel(209, 100), 0xFFFF0000u);
  EXPECT_EQ(bitmap.GetPixel(210, 100), 0xC00000FFu);
  EXPECT_EQ(bitmap.GetPixel(10, 4), 0xFFFF0000u);
}

TEST(TextureEffectTest, ReplaceWeightsAndPartlyTransparentMasks) {
  TBitmap32 picture;
  picture.SetSize(1, 1);
  picture.SetPixel(0, 0, 0xFF20A040u);
  TTextured t(picture, 4, 4);
  TBitmap32 bitmap;
  bitmap.SetSize(4, 1);
  const TColor32 in[] = {0x00123456u, 0x80FFFFFFu, 0xFF000000u, 0x01ABCDEFu};
  for (int x = 0; x < 4; ++x) bitmap.SetPixel(x, 0, in[x]);
  t.effect->Replace = 4;  // opaque wherever the mask has any alpha
  t.effect->Apply(bitmap, At(5));
  EXPECT_EQ(bitmap.GetPixel(0, 0), in[0]);
  for (int x = 1; x < 4; ++x) EXPECT_EQ(bitmap.GetPixel(x, 0), 0xFF20A040u) << x;
  for (int x = 0; x < 4; ++x) bitmap.SetPixel(x, 0, in[x]);
  t.effect->Replace = 3;
  t.effect->Apply(bitmap, At(5));
  EXPECT_EQ(bitmap.GetPixel(1, 0), 0x8020A040u);
  EXPECT_EQ(bitmap.GetPixel(3, 0), 0x0120A040u);
}

TEST(TextureEffectTest, TileLargerThanTheBitmapMatchesTheWholeTileDrawnDirectly) {
  TBitmap32 picture;
  FillRandom(picture, 5, 4, 7);
  for (int i = 0; i < 20; ++i) picture.GetBits()[i] |= 0xFF000000u;
  for (const TdocStretchFilter filter : {sfNearest, sfLinear, sfLanczos}) {
    TTextured t(picture);
    t.effect->RenderDpm = 0.3f;  // a 5 x 4 picture becomes a 167 x 133 tile at 10 dots/mm
    t.effect->OffsetX = 3.3f;
    t.effect->OffsetY = -2.9f;
    TBitmap32 bitmap, original;
    bitmap.SetSize(60, 50);
    bitmap.Clear(0xFF000000u);
    original.Assign(&bitmap);
    t.effect->Apply(bitmap, At(10, filter));
    TBitmap32 tile;
    const int tw = int(std::nearbyint(5 * 10 / 0.3)), th = int(std::nearbyint(4 * 10 / 0.3));
    tile.SetSize(tw, th);
    tile.SetStretchFilter(filter);
    imaging::StretchTransferBitmap(&tile, tile.BoundsRect(), tile.BoundsRect(), &picture, picture.BoundsRect(),
                                   tile.GetResampler(), dmOpaque, {});
    EXPECT_EQ(Mismatches(original, bitmap, [&](int x, int y) {
                return tile.GetPixel(int(FloorMod(x - 33, tw)), int(FloorMod(y + 29, th)));
              }),
              0)
        << "filter " << int(filter);
  }
}

TEST(TextureEffectTest, HostileSizesDrawNothingOrStayBounded) {
  TBitmap32 picture;
  FillRandom(picture, 4, 3, 8);
  const float nan = std::nanf("");
  const struct {
    float renderDpm, offsetX, width;
    bool tiled;
    double r;
  } cases[] = {{1e30f, 0, 20, true, 5},     {0, 0, 20, true, 5},        {-5, 0, 20, true, 5},    {nan, 0, 20, true, 5},
               {5, nan, 20, true, 5},       {5, 1e30f, 20, true, 5},    {5, -1e30f, 20, true, 5}, {5, 0, 0, false, 5},
               {5, 0, -3, false, 5},        {5, 0, 1e30f, false, 5},    {5, 0, 20, true, 0},      {5, 0, 20, true, nan},
               {1e-30f, 0, 20, true, 5},    {5, 0, 20, true, 1e30}};
  for (const auto& c : cases) {
    TTextured t(picture, c.width);
    t.effect->RenderDpm = c.renderDpm;
    t.effect->OffsetX = c.offsetX;
    t.effect->Tiled = c.tiled;
    TBitmap32 bitmap;
    bitmap.SetSize(40, 30);
    bitmap.Clear(0xFF000000u);
    TdocRenderOptions options = At(c.r);
    options.Resolution = 0;
    t.effect->Apply(bitmap, options);
    // Either nothing was drawn or every pixel comes from the picture.
    int fromPicture = 0, untouched = 0;
    for (int i = 0; i < 1200; ++i) {
      const TColor32 p = bitmap.GetBits()[i];
      untouched += p == 0xFF000000u;
      for (int k = 0; k < 12; ++k) fromPicture += p == Replaced(0xFF000000u, picture.GetBits()[k]);
    }
    EXPECT_TRUE(untouched == 1200 || fromPicture >= 1200) << c.renderDpm << " " << c.offsetX << " " << c.width;
  }
  // A tile millions of pixels wide shows the picture's top-left pixel.
  TTextured huge(picture);
  huge.effect->RenderDpm = 1e-6f;
  TBitmap32 bitmap;
  bitmap.SetSize(40, 30);
  bitmap.Clear(0xFF000000u);
  huge.effect->Apply(bitmap, At(5));
  EXPECT_EQ(bitmap.GetPixel(39, 29), Replaced(0xFF000000u, picture.GetPixel(0, 0)));
}

TEST(TextureEffectTest, TheRenderCacheScalesTheTileByTheBitmapsResolution) {
  document::StartUp();
  TBitmap32 picture;
  picture.SetSize(2, 2);
  const TColor32 colors[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
  for (int i = 0; i < 4; ++i) picture.SetPixel(i % 2, i / 2, colors[i]);
  TdocPlainServices document;
  TdocShape page;
  page.SetDocument(&document);
  page.SetDocFrame(0, 0, 8, 6, 0);
  auto shape = std::make_unique<TFilledShape>();
  shape->SetDocFrame(1, 1, 4, 3, 0);
  auto texture = std::make_unique<TdocTextureEffect>();
  texture->RenderDpm = 5;
  texture->GetTexture().SetBitmap(&picture);
  shape->AddEffect(std::move(texture));
  page.AddShape(std::move(shape));
  for (const int r : {5, 10, 20}) {
    TBitmap32 bitmap;
    bitmap.SetSize(8 * r, 6 * r);
    bitmap.Clear(0xFFFFFFFFu);
    TdocRenderOptions options;
    options.Resolution = float(r);
    options.StretchFilter = sfNearest;
    page.RenderShape(bitmap, {0, 0, 8, 6}, true, options);
    const int scale = r / 5;  // pixels per picture pixel
    int wrong = 0;
    for (int y = r; y < 4 * r; ++y)
      for (int x = r; x < 5 * r; ++x) {
        const int u = (x - r) / scale % 2, v = (y - r) / scale % 2;
        wrong += !Near(bitmap.GetPixel(x, y), colors[v * 2 + u]);
      }
    EXPECT_EQ(wrong, 0) << "resolution " << r;
    EXPECT_EQ(bitmap.GetPixel(r - 1, r - 1), 0xFFFFFFFFu);
  }
}

TEST(TextureEffectTest, XmlWritesEveryPropertyAndReadsItBack) {
  TBitmap32 picture;
  FillRandom(picture, 5, 3, 9);
  TTextured t(picture);
  t.effect->OffsetX = 1.25f;
  t.effect->OffsetY = -0.5f;
  t.effect->RenderDpm = 11.811f;
  t.effect->Tiled = false;
  t.effect->Replace = 1;
  const std::string text = EffectXml(*t.effect);
  for (const char* element : {"<OffsetX>1.25</OffsetX>", "<OffsetY>-.5</OffsetY>", "<RenderDpm>11.811</RenderDpm>",
                              "<Tiled>False</Tiled>", "<Replace>1</Replace>", "<Texture><ClassName>TdocBitmapResource",
                              "<Storage>Embedded</Storage>"})
    EXPECT_NE(text.find(element), std::string::npos) << element << " in " << text;
  const auto loaded = LoadEffect(text);
  const auto& copy = dynamic_cast<const TdocTextureEffect&>(*loaded);
  EXPECT_EQ(copy.OffsetX, 1.25f);
  EXPECT_EQ(copy.OffsetY, -0.5f);
  EXPECT_EQ(copy.RenderDpm, 11.811f);
  EXPECT_FALSE(copy.Tiled);
  EXPECT_EQ(copy.Replace, 1);
  TdocResourceAccess access(copy.GetTexture());
  const TBitmap32* read = copy.GetTexture().GetBitmap();
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->GetWidth(), 5);
  ASSERT_EQ(read->GetHeight(), 3);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(read->GetBits()[i], picture.GetBits()[i]) << i;
  EXPECT_EQ(EffectXml(copy), text);
  // Tiled is written as "True" too.
  TTextured tiled(picture);
  EXPECT_NE(EffectXml(*tiled.effect).find("<Tiled>True</Tiled>"), std::string::npos);
}

TEST(TextureEffectTest, TheBracketKeepsThePictureWhileAThreadTrimsTheCache) {
  TBitmap32 picture;
  FillRandom(picture, 9, 7, 10);
  TTextured t(picture);
  t.effect->RenderDpm = 5;
  std::vector<TResourcePtr<TdocResource>> others;
  for (int i = 0; i < 12; ++i) others.push_back(MakeResource<TdocResource>());
  std::atomic<bool> done{false};
  std::atomic<int> unloads{0};
  std::thread trimmer([&] {
    while (!done) {
      for (auto& other : others) document::ResourceCacheTouch(other.get());
      document::ResourceCachePurge();
      unloads += t.effect->GetTexture().GetState() == 1;
    }
  });
  TBitmap32 first;
  // Until the picture has been unloaded a few times between (or, without
  // the bracket, during) the runs.
  for (int run = 0; run < 300 || (unloads < 5 && run < 200000); ++run) {
    TBitmap32 bitmap;
    FillRandom(bitmap, 32, 24, 11);
    t.effect->Apply(bitmap, At(5));
    if (run == 0) first.Assign(&bitmap);
    bool same = true;
    for (int i = 0; i < 32 * 24; ++i) same = same && bitmap.GetBits()[i] == first.GetBits()[i];
    ASSERT_TRUE(same) << "run " << run;
  }
  done = true;
  trimmer.join();
  EXPECT_GT(unloads.load(), 0) << "the picture was unloaded between uses";
  EXPECT_EQ(t.effect->GetTexture().GetAccessCount(), 0);
}

}  // namespace
