// Effect chains: which bitmap each effect reads (probe effects that log their
// input), the XML form of effects, and undo replay of effect commands
// restoring the chain's XML exactly.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/effects/EffectShape.h"
#include "document/shape/ShapeByteForm.h"
#include "platform/rtl/Numbers.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

using doctest::TPageFixture;

// Logs the first pixel of the bitmap it reads, then paints the whole bitmap
// in its own colour, so the log tells whose output every effect received.
class TdocProbeEffect : public TdocEffect {
public:
  static const TdocEffectClass& StaticClass() {
    static const TdocEffectClass info{"TdocProbeEffect", [] { return std::unique_ptr<TdocEffect>(new TdocProbeEffect); }};
    return info;
  }
  const TdocEffectClass& GetClass() const override { return StaticClass(); }

  void Apply(TBitmap32& bitmap, const TdocRenderOptions&) override {
    Log->push_back(GetInput(bitmap).GetPixel(0, 0));
    bitmap.Clear(Color);
  }
  void SetColor(TColor32 value) {
    if (value == Color) return;
    RecordUndo("Color", rtl::IntToStr(Color));
    Color = value;
    ParamChanged();
  }
  void SetPropertyByName(const std::string& name, const std::string& value) override {
    if (name == "Color")
      SetColor(static_cast<TColor32>(rtl::StrToInt(value)));
    else
      TdocEffect::SetPropertyByName(name, value);
  }
  void LoadFromXml(const TXmlNode& node) override {
    TdocEffect::LoadFromXml(node);
    Color = static_cast<TColor32>(node.ReadChildInteger("Color", 0));
  }
  void SaveToXml(TXmlNode& node) const override {
    TdocEffect::SaveToXml(node);
    node.WriteChildInteger("Color", static_cast<std::int32_t>(Color), 0);
  }

  TColor32 Color = 0;
  std::vector<TColor32>* Log = &SharedLog;
  static inline std::vector<TColor32> SharedLog;
};

constexpr TColor32 Rendering = 0xFF000001u;

std::unique_ptr<TdocProbeEffect> Probe(TColor32 color, std::int32_t source, bool enabled = true) {
  auto effect = std::make_unique<TdocProbeEffect>();
  effect->Color = color;
  effect->SetSource(source);
  effect->SetEnabled(enabled);
  return effect;
}

class EffectTest : public ::testing::Test, protected TPageFixture {
protected:
  EffectTest() {
    RegisterEffectClass(TdocProbeEffect::StaticClass(), 1);
    TdocProbeEffect::SharedLog.clear();
  }

  TdocEffectShape& AddEffectShape() {
    auto shape = std::make_unique<TdocEffectShape>();
    shape->SetDocFrame(10, 10, 4, 3, 0);
    return static_cast<TdocEffectShape&>(*Page.GetShapes(Page.AddShape(std::move(shape))));
  }

  static std::string Xml(const TdocShape& shape) {
    TXmlDocument xml("shape");
    shape.SaveToXml(*xml.GetRoot());
    return xml.WriteToString();
  }
};

TEST_F(EffectTest, EachEffectReadsWhatItsSourceNames) {
  struct Effect {
    TColor32 color;
    std::int32_t source;
    bool enabled;
  };
  struct Case {
    const char* name;
    std::vector<Effect> effects;
    std::vector<TColor32> inputs;  // of the enabled effects, in order
    TColor32 result;
  } cases[] = {
      {"chain", {{0xFFA00000, -2, true}, {0xFFB00000, -2, true}}, {Rendering, 0xFFA00000}, 0xFFB00000},
      {"second reads the rendering", {{0xFFA00000, -2, true}, {0xFFB00000, -1, true}}, {Rendering, Rendering}, 0xFFB00000},
      {"third reads the first",
       {{0xFFA00000, -2, true}, {0xFFB00000, -2, true}, {0xFFC00000, 0, true}},
       {Rendering, 0xFFA00000, 0xFFA00000},
       0xFFC00000},
      {"disabled effect still passes its output on",
       {{0xFFA00000, -2, true}, {0xFFB00000, -2, false}, {0xFFC00000, 1, true}},
       {Rendering, 0xFFA00000},
       0xFFC00000},
      {"disabled last effect leaves the bitmap", {{0xFFA00000, -2, true}, {0xFFB00000, -1, false}}, {Rendering}, 0xFFA00000},
      // Sources that name no earlier effect read the bitmap as it stands.
      {"index beyond the list", {{0xFFA00000, -2, true}, {0xFFB00000, 7, true}}, {Rendering, 0xFFA00000}, 0xFFB00000},
      {"own index", {{0xFFA00000, 0, true}}, {Rendering}, 0xFFA00000},
      {"later effect", {{0xFFA00000, 1, true}, {0xFFB00000, -2, true}}, {Rendering, 0xFFA00000}, 0xFFB00000},
      {"below -2", {{0xFFA00000, -2, true}, {0xFFB00000, -100000, true}}, {Rendering, 0xFFA00000}, 0xFFB00000},
      {"huge index", {{0xFFA00000, 2147483647, true}}, {Rendering}, 0xFFA00000},
  };
  for (const Case& c : cases) {
    TdocEffectShape& shape = AddEffectShape();
    for (const Effect& e : c.effects) shape.AddEffect(Probe(e.color, e.source, e.enabled));
    TdocProbeEffect::SharedLog.clear();
    TBitmap32 bitmap;
    bitmap.SetSize(3, 2);
    bitmap.Clear(Rendering);
    shape.ProcessRenderedBitmap(bitmap, {});
    EXPECT_EQ(TdocProbeEffect::SharedLog, c.inputs) << c.name;
    EXPECT_EQ(bitmap.GetPixel(2, 1), c.result) << c.name;
    EXPECT_EQ(shape.GetRenderingCopy(), nullptr) << c.name;
  }
}

TEST_F(EffectTest, EffectsSeeTheUnmirroredRendering) {
  // The probe reads pixel (0, 0): red on the left before mirroring.
  TdocEffectShape& shape = AddEffectShape();
  shape.SetMirrored(true);
  struct TKeep : TdocProbeEffect {
    void Apply(TBitmap32& bitmap, const TdocRenderOptions&) override { Log->push_back(GetInput(bitmap).GetPixel(0, 0)); }
  };
  shape.AddEffect(std::make_unique<TKeep>());
  TBitmap32 bitmap;
  bitmap.SetSize(2, 1);
  bitmap.SetPixel(0, 0, 0xFFFF0000u);
  bitmap.SetPixel(1, 0, 0xFF0000FFu);
  shape.ProcessRenderedBitmap(bitmap, {});
  EXPECT_EQ(TdocProbeEffect::SharedLog, std::vector<TColor32>{0xFFFF0000u});
  EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(bitmap.GetPixel(1, 0), 0xFFFF0000u);
}

TEST_F(EffectTest, OnlyAnEnabledEffectCallsForTheCache) {
  TdocEffectShape& shape = AddEffectShape();
  EXPECT_FALSE(shape.HasBitmapEffects());
  shape.AddEffect(Probe(0xFFA00000, -2, false));
  EXPECT_FALSE(shape.HasBitmapEffects());
  EXPECT_FALSE(shape.NeedsRenderCache());
  shape.GetEffects(0)->SetEnabled(true);
  EXPECT_TRUE(shape.NeedsRenderCache());

  // Rendered through the page, the effect paints the shape's cache.
  TBitmap32 page;
  page.SetSize(20, 20);
  page.Clear(0xFFFFFFFFu);
  TdocRenderOptions options;
  options.Resolution = 1;
  Page.RenderShape(page, {0, 0, 20, 20}, false, options);
  ASSERT_NE(shape.GetCacheBitmap(), nullptr);
  // Blending an opaque cache may leave the last bit of a channel.
  for (int shift : {0, 8, 16, 24})
    EXPECT_NEAR(int(page.GetPixel(11, 11) >> shift & 0xFF), int(0xFFA00000u >> shift & 0xFF), 1) << shift;
  EXPECT_EQ(page.GetPixel(5, 5), 0xFFFFFFFFu);
}

TEST_F(EffectTest, InsertOutsideTheListChangesNothing) {
  TdocEffectShape& shape = AddEffectShape();
  shape.AddEffect(Probe(1, -2));
  const std::string before = Xml(shape);
  Document.UndoList.clear();
  for (int index : {-1, 2, 1000}) EXPECT_EQ(shape.InsertEffect(index, Probe(2, -2)), -1) << index;
  shape.DeleteEffect(1);
  shape.DeleteEffect(-1);
  EXPECT_EQ(Xml(shape), before);
  EXPECT_TRUE(Document.UndoList.empty());
  EXPECT_EQ(shape.GetEffects(1), nullptr);
  EXPECT_EQ(shape.AddEffect(nullptr), -1);
}

TEST_F(EffectTest, XmlWritesEveryValueAndReadsUnknownClassesAsPlainEffects) {
  TdocEffectShape& shape = AddEffectShape();
  shape.AddEffect(Probe(0x10, -2, false));
  shape.AddEffect(Probe(0x20, 0, true));
  TXmlDocument xml("shape");
  shape.SaveToXml(*xml.GetRoot());
  TXmlNodeList effects;
  xml.GetRoot()->FindChildren("Effect", effects);
  ASSERT_EQ(effects.GetCount(), 2);
  const struct {
    const char *index, *enabled, *source;
  } expected[] = {{"1", "False", "-2"}, {"2", "True", "0"}};
  for (int i = 0; i < 2; ++i) {
    const TXmlNode& e = *effects.GetItem(i);
    EXPECT_EQ(e.ReadAttrString("Index"), expected[i].index);
    EXPECT_EQ(e.ReadChildString("ClassName"), "TdocProbeEffect");
    ASSERT_NE(e.FindChild("Enabled"), nullptr);
    EXPECT_EQ(e.FindChild("Enabled")->GetValue(), expected[i].enabled);
    ASSERT_NE(e.FindChild("Source"), nullptr);
    EXPECT_EQ(e.FindChild("Source")->GetValue(), expected[i].source);
  }

  // Read back it is the same chain; an unknown class keeps its two settings.
  const std::string text = xml.WriteToString();
  TXmlDocument changed;
  changed.ReadFromString(text);
  changed.GetRoot()->FindChild("Effect")->FindChild("ClassName")->SetValue("TdocNoSuchEffect");
  TdocEffectShape loaded;
  loaded.LoadFromXml(changed.GetRoot());
  ASSERT_EQ(loaded.GetEffectCount(), 2);
  EXPECT_EQ(loaded.GetEffects(0)->ClassName(), "TdocEffect");
  EXPECT_FALSE(loaded.GetEffects(0)->GetEnabled());
  EXPECT_EQ(loaded.GetEffects(1)->GetSource(), 0);
  EXPECT_EQ(loaded.GetEffects(1)->GetShape(), &loaded);
  EXPECT_EQ(loaded.GetEffects(1)->GetIndex(), 1);
  TdocEffectShape again;
  TXmlDocument original;
  original.ReadFromString(text);
  again.LoadFromXml(original.GetRoot());
  EXPECT_EQ(Xml(again), Xml(shape));

  // Missing elements read as their load defaults: disabled, Source -2.
  TXmlDocument bare;
  bare.ReadFromString("<shape><Effect><ClassName>TdocEffect</ClassName></Effect></shape>");
  again.LoadFromXml(bare.GetRoot());
  ASSERT_EQ(again.GetEffectCount(), 1);
  EXPECT_FALSE(again.GetEffects(0)->GetEnabled());
  EXPECT_EQ(again.GetEffects(0)->GetSource(), SourcePrevious);
}

TEST_F(EffectTest, EffectNamesDropThePrefixAndSuffix) {
  EXPECT_EQ(TdocProbeEffect().GetEffectName(), "Probe");
  EXPECT_EQ(TdocEffect().GetEffectName(), "");
}

TEST_F(EffectTest, UndoReplayRestoresTheChainStepByStep) {
  TdocEffectShape& shape = AddEffectShape();
  Document.UndoList.clear();
  std::vector<std::string> states{Xml(shape)};
  const std::vector<TdocCommandKind> kinds{ckEffectInserted, ckEffectInserted, ckEffectProperty, ckEffectProperty,
                                           ckEffectProperty, ckEffectRemoved,  ckEffectInserted};
  auto step = [&](auto change) {
    change();
    states.push_back(Xml(shape));
  };
  step([&] { shape.AddEffect(Probe(0x11, -2)); });
  step([&] { shape.AddEffect(Probe(0x22, -1)); });
  step([&] { shape.GetEffects(1)->SetSource(0); });
  step([&] { shape.GetEffects(0)->SetEnabled(false); });
  step([&] { static_cast<TdocProbeEffect*>(shape.GetEffects(1))->SetColor(0x33); });
  step([&] { shape.DeleteEffect(0); });
  step([&] { shape.InsertEffect(0, Probe(0x44, -2)); });
  ASSERT_EQ(Document.UndoList.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(Document.UndoList[i]->Kind, kinds[i]) << i;
  EXPECT_EQ(Document.UndoList[4]->PropName, "1.Color");
  EXPECT_EQ(Document.UndoList[5]->Value, "TdocProbeEffect");
  EXPECT_EQ(Document.UndoList[5]->PropName, "0");

  for (std::size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(Document.Undo(Page)) << i;
    EXPECT_EQ(Xml(shape), states[i - 1]) << "after undoing step " << i;
  }
  // Each replay recorded its reverse for redo.
  EXPECT_EQ(Document.RedoList.size(), kinds.size());
}

TEST_F(EffectTest, BrokenEffectCommandsAreTakenAndChangeNothing) {
  TdocEffectShape& shape = AddEffectShape();
  shape.AddEffect(Probe(0x11, -2));
  const std::string before = Xml(shape);
  auto removed = [&](std::string index, std::string bytes) {
    auto command = std::make_unique<TdocCommand>();
    command->Kind = ckEffectRemoved;
    command->Value = "TdocProbeEffect";
    command->PropName = std::move(index);
    command->Stream = std::make_unique<TMemoryStream>();
    WriteLengthString(*command->Stream, bytes);
    return command;
  };
  auto plain = [&](TdocCommandKind kind, std::string propName, std::string value) {
    auto command = std::make_unique<TdocCommand>();
    command->Kind = kind;
    command->PropName = std::move(propName);
    command->Value = std::move(value);
    return command;
  };
  std::vector<std::unique_ptr<TdocCommand>> commands;
  commands.push_back(plain(ckEffectInserted, "", "abc"));
  commands.push_back(plain(ckEffectInserted, "", "5"));
  commands.push_back(plain(ckEffectInserted, "", "-1"));
  commands.push_back(plain(ckEffectRemoved, "0", "TdocProbeEffect"));  // no stream
  commands.push_back(removed("9", EffectToString(*shape.GetEffects(0))));
  commands.push_back(removed("-3", EffectToString(*shape.GetEffects(0))));
  commands.push_back(removed("x", EffectToString(*shape.GetEffects(0))));
  commands.push_back(plain(ckEffectProperty, "Enabled", "False"));
  commands.push_back(plain(ckEffectProperty, "7.Enabled", "False"));
  commands.push_back(plain(ckEffectProperty, ".Enabled", "False"));
  commands.push_back(plain(ckEffectProperty, "0.NoSuchProperty", "1"));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    commands[i]->ShapeId = shape.GetShapeId();
    EXPECT_TRUE(shape.ApplyCommand(*commands[i])) << i;
    EXPECT_EQ(Xml(shape), before) << i;
  }
  // A byte form cut short is refused with the stream error.
  const std::string bytes = EffectToString(*shape.GetEffects(0));
  auto cut = removed("0", bytes.substr(0, bytes.size() / 2));
  cut->ShapeId = shape.GetShapeId();
  EXPECT_THROW(shape.ApplyCommand(*cut), EReadError);
  EXPECT_EQ(Xml(shape), before);
}

TEST_F(EffectTest, GroupShapeIsRegisteredAndCarriesEffects) {
  EXPECT_EQ(&GetShapeClass("TdocGroupShape"), &TdocGroupShape::StaticClass());
  EXPECT_EQ(&GetShapeClass("TdocEffectShape"), &TdocEffectShape::StaticClass());
  EXPECT_EQ(GetEffectClass("TdocEffect"), &TdocEffect::StaticClass());
  TdocGroupShape group;
  group.AddEffect(Probe(0x55, -2));
  const std::string bytes = ShapesToString(group);
  TdocGroupShape copy;
  ShapesFromString(copy, bytes);
  ASSERT_EQ(copy.GetEffectCount(), 1);
  EXPECT_EQ(static_cast<TdocProbeEffect*>(copy.GetEffects(0))->Color, 0x55u);
  EXPECT_EQ(copy.ClassName(), "TdocGroupShape");
}

// An effect whose picture is a stream of the document's container.
class TdocStreamEffect : public TdocEffect {
public:
  static const TdocEffectClass& StaticClass() {
    static const TdocEffectClass info{"TdocStreamEffect", [] { return std::unique_ptr<TdocEffect>(new TdocStreamEffect); }};
    return info;
  }
  const TdocEffectClass& GetClass() const override { return StaticClass(); }
  void CollectArchiveNames(TStringList& list) const override { list.Add(Stream); }
  void RenameArchiveNames(const std::map<std::string, std::string>& renames) override {
    if (auto found = renames.find(Stream); found != renames.end()) Stream = found->second;
  }
  void LoadFromXml(const TXmlNode& node) override {
    TdocEffect::LoadFromXml(node);
    Stream = node.ReadChildString("Stream");
  }
  void SaveToXml(TXmlNode& node) const override {
    TdocEffect::SaveToXml(node);
    node.WriteChildString("Stream", Stream);
  }
  std::string Stream;
};

// Content replaced by Assign or by a load takes the temporary streams of the
// effects it held with it, as deleting an effect does; other streams stay.
TEST_F(EffectTest, ClearedEffectsTakeTheirTemporaryStreamsWithThem) {
  RegisterEffectClass(TdocStreamEffect::StaticClass(), 1);
  TsdStorage& storage = *Document.GetStorage();
  const auto streamEffect = [&storage](const std::string& name) {
    TMemoryStream data;
    data.WriteBuffer(name.data(), static_cast<std::int64_t>(name.size()));
    storage.WriteStream(name, data);
    auto effect = std::make_unique<TdocStreamEffect>();
    effect->Stream = name;
    return effect;
  };
  TdocEffectShape& shape = AddEffectShape();
  TdocEffectShape& plain = AddEffectShape();
  for (const bool byAssign : {true, false}) {
    SCOPED_TRACE(byAssign);
    shape.AddEffect(streamEffect("TMP0000007.png"));
    shape.AddEffect(streamEffect("Kept.png"));
    if (byAssign)
      shape.Assign(&plain);
    else {
      TXmlDocument xml;
      xml.ReadFromString(Xml(plain));
      shape.LoadFromXml(xml.GetRoot());
    }
    EXPECT_EQ(shape.GetEffectCount(), 0);
    EXPECT_FALSE(storage.StreamExists("TMP0000007.png"));
    EXPECT_TRUE(storage.StreamExists("Kept.png"));
  }
  shape.AddEffect(streamEffect("TMP0000008.png"));
  shape.DeleteEffect(0);
  EXPECT_FALSE(storage.StreamExists("TMP0000008.png"));
}

}  // namespace
