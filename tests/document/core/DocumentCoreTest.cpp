// The document core: the worked cases of the control's life cycle, page
// list, deferred events, brackets, z-order, busy rules, coordinate maps and
// hit probes against hand-computed values; every reference the editor keeps
// to a shape is dropped when the shape goes (run under ASan, a stale one is a
// use after free).

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/text/TextShape.h"
#include "document/page/Page.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlDocument.h"

namespace {

using doctest::MakeFill;

// A shape that can be edited in place and counts how often it was asked to.
class TEditableShape : public TdocShape {
public:
  void StartEdit() override { ++Starts; }
  void EndEdit(bool) override { ++Ends; }
  int Starts = 0;
  int Ends = 0;
};

// Counts what the core asks of its window.
struct TRecordingView : TdocDocumentView {
  void Repaint() override { ++Repaints; }
  void UpdateScrollArea() override { ++ScrollAreaUpdates; }
  void ZoomPageWidth() override { ++Zooms; }
  void UpdateRulers() override { ++RulerUpdates; }
  void ShowScreenCursor(TCursor cursor) override { Cursors.push_back(cursor); }
  int Repaints = 0;
  int ScrollAreaUpdates = 0;
  int Zooms = 0;
  int RulerUpdates = 0;
  std::vector<TCursor> Cursors;
};

struct DocumentCoreTest : ::testing::Test {
  DocumentCoreTest() {
    document::StartUp();
    Doc.SetView(&View);
    Doc.OnShapeChanged = [this](TPersistent*, TdocShape* s) { Log.push_back(s ? "shape" : "shape(nil)"); };
    Doc.OnSelectionChanged = [this](TPersistent*) { Log.push_back("selection"); };
    Doc.OnFocusShape = [this](TPersistent*, TdocShape* s) { Log.push_back(s ? "focus" : "focus(nil)"); };
    Doc.OnShapeDestroy = [this](TPersistent*, TdocShape*) { ++Destroyed; };
    Doc.OnPageChanged = [this](TPersistent*, TdocPage* p) { PageEvents.push_back(p); };
  }
  ~DocumentCoreTest() override { Doc.SetView(nullptr); }

  // Adds a shape to the current page and answers it.
  template <class T = TdocShape>
  T* Add(float left = 0) {
    auto shape = std::make_unique<T>();
    shape->SetDocFrame(left, 0, 10, 10, 0);
    T* raw = shape.get();
    Doc.AddShape(std::move(shape));
    return raw;
  }
  // Letters of the current page's shapes, bottom to top.
  std::string Order(const std::vector<TdocShape*>& named) const {
    std::string order;
    for (int i = 0; i < Doc.ShapeCount(); ++i) {
      const auto at = std::find(named.begin(), named.end(), Doc.GetShapes(i));
      order += static_cast<char>('A' + (at - named.begin()));
    }
    return order;
  }
  static std::string Message(const std::function<void()>& call) {
    try {
      call();
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }

  TRecordingView View;
  TdocDocumentCore Doc;
  std::vector<std::string> Log;
  std::vector<TdocPage*> PageEvents;
  int Destroyed = 0;
};

// ---- life cycle

TEST_F(DocumentCoreTest, NewControlHasOneDefaultPageUnmodifiedWithoutUndo) {
  ASSERT_EQ(Doc.GetPageCount(), 1);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), 0);
  EXPECT_FLOAT_EQ(Doc.GetPageWidth(), 210.0f);
  EXPECT_FLOAT_EQ(Doc.GetPageHeight(), 297.0f);
  EXPECT_FALSE(Doc.GetModified());
  EXPECT_EQ(Doc.GetUndoCount(), 0);
  EXPECT_EQ(Doc.GetRedoCount(), 0);
  EXPECT_STREQ(TdocDocumentCore::Version, "2.84");
}

TEST_F(DocumentCoreTest, SettingsStartAtTheirDefaults) {
  const TdocDocumentOptions& o = Doc.Options;
  EXPECT_TRUE(o.AllowKeyInput && o.AutoWidth && o.AutoDeleteShape && o.ScrollWithMouseWheel && o.ShowMargins &&
              o.StoreThumbnails);
  EXPECT_FALSE(o.ArchiveDirect || o.AutoPageUpdate || o.FontEmbedding || o.OptimizedPrinting || o.SnapToGrid ||
               o.UndoPastSave);
  EXPECT_EQ(o.PageUpdateInterval, 2000);
  EXPECT_EQ(o.HandleColor, 0xFFFFFF);
  EXPECT_EQ(o.HandleEdgeColor, 0x000000);
  EXPECT_EQ(o.HandlePainter, hpW2K3Handle);
  EXPECT_EQ(o.HintHidePause, 2500);
  EXPECT_EQ(o.HintPause, 500);
  EXPECT_EQ(o.HintShortPause, 50);
  EXPECT_EQ(o.MultiSelectMethod, msmSimple);
  EXPECT_EQ(o.PrintQuality, pqLow);
  EXPECT_FLOAT_EQ(o.ZoomPercent, 100.0f);
  const TdocPageSettings& d = Doc.GetPageDefaults();
  EXPECT_EQ(d.GridColor, 0xFFFFC0);
  EXPECT_EQ(d.PageColor, 0xFFFFFF);
  EXPECT_FLOAT_EQ(d.GridSize, 5.0f);
  EXPECT_FLOAT_EQ(d.MarginLeft + d.MarginTop + d.MarginRight + d.MarginBottom, 40.0f);
  EXPECT_FLOAT_EQ(Doc.GetRenderDPI(), 150.0f);
  EXPECT_FLOAT_EQ(Doc.GetScreenScale(), 5.905512f);
  EXPECT_EQ(Doc.GetThumbnailWidth(), 80);
  EXPECT_EQ(Doc.GetThumbnailHeight(), 60);
  EXPECT_EQ(Doc.GetMode(), vmEdit);
  EXPECT_EQ(Doc.GetViewStyle(), vsPrintLayout);
  EXPECT_EQ(Doc.GetRulerUnits(), ruMilli);
  EXPECT_TRUE(Doc.GetUndoEnabled());
  EXPECT_FLOAT_EQ(Doc.GetPrinterDpm(), 150.0f / 25.4f);
  EXPECT_EQ(PrintQualityCaption(pqMedium), "Medium print quality (300 DPI)");
}

TEST_F(DocumentCoreTest, ClearLeavesNoPageAndAddShapeFreesTheShape) {
  Add();
  Doc.Clear();
  EXPECT_EQ(Doc.GetPageCount(), 0);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), -1);
  EXPECT_EQ(Doc.GetCurrentPage(), nullptr);
  EXPECT_EQ(Doc.GetPageWidth(), 0.0f);
  EXPECT_EQ(Doc.GetPageHeight(), 0.0f);
  EXPECT_EQ(Doc.ShapeCount(), 0);
  EXPECT_TRUE(Doc.GetModified());
  // The leak checker of the sanitizer build sees the shape freed.
  EXPECT_EQ(Doc.AddShape(std::make_unique<TdocShape>()), -1);
  // One shape and one page were reported gone.
  EXPECT_EQ(Destroyed, 2);
}

TEST_F(DocumentCoreTest, NewGivesOneUnmodifiedPageAndFitsTheWidth) {
  Doc.SetPageCount(3);
  Doc.SetDefaultGridSize(2.0f);
  PageEvents.clear();
  Doc.New();
  EXPECT_EQ(Doc.GetPageCount(), 1);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), 0);
  EXPECT_FALSE(Doc.GetModified());
  EXPECT_FLOAT_EQ(Doc.GetPageDefaults().GridSize, 5.0f);
  EXPECT_EQ(View.Zooms, 1);
  ASSERT_FALSE(PageEvents.empty());
  EXPECT_EQ(PageEvents.back(), nullptr);
}

// ---- pages

TEST_F(DocumentCoreTest, PageCountOutsideTheRangeRaisesAndChangesNothing) {
  for (int bad : {26, -1}) {
    EXPECT_EQ(Message([&] { Doc.SetPageCount(bad); }), "Invalid page count");
    EXPECT_EQ(Doc.GetPageCount(), 1);
  }
  Doc.SetPageCount(25);
  EXPECT_EQ(Doc.GetPageCount(), 25);
  Doc.SetPageCount(0);
  EXPECT_EQ(Doc.GetPageCount(), 0);
  EXPECT_EQ(Doc.GetCurrentPage(), nullptr);
}

TEST_F(DocumentCoreTest, DefaultPageWidthResizesOnlyDefaultPages) {
  Doc.AddPage(nullptr);
  Doc.GetPages(1)->SetMarginLeft(3.0f);  // the page keeps its own settings now
  int changes = 0;
  Doc.OnDocumentChanged = [&](TPersistent*) { ++changes; };
  Doc.SetDefaultPageWidth(100.0f);
  Doc.SetDefaultPageWidth(100.0f);
  EXPECT_FLOAT_EQ(Doc.GetPages(0)->GetPageWidth(), 100.0f);
  EXPECT_FLOAT_EQ(Doc.GetPages(1)->GetPageWidth(), 210.0f);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(Doc.GetModified());
}

TEST_F(DocumentCoreTest, AddPageMakesTheFirstPageCurrentAndReportsIt) {
  Doc.Clear();
  PageEvents.clear();
  const int scrollUpdates = View.ScrollAreaUpdates;
  EXPECT_EQ(Doc.AddPage(nullptr), 0);
  TdocPage* page = Doc.GetPages(0);
  EXPECT_EQ(Doc.GetCurrentPage(), page);
  EXPECT_EQ(View.ScrollAreaUpdates, scrollUpdates + 1);
  ASSERT_FALSE(PageEvents.empty());
  EXPECT_EQ(PageEvents.back(), page);
  EXPECT_EQ(page->GetDocument(), &Doc);
}

TEST_F(DocumentCoreTest, PageAddedAfterTheLastWasDeletedIsShown) {
  Doc.DeletePage(0);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), -1);
  const int scrollUpdates = View.ScrollAreaUpdates;
  PageEvents.clear();
  Doc.AddPage(nullptr);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), 0);
  EXPECT_EQ(View.ScrollAreaUpdates, scrollUpdates + 1);
  EXPECT_NE(std::find(PageEvents.begin(), PageEvents.end(), Doc.GetPages(0)), PageEvents.end());
}

// Writes a page holding one shape at x = left as the archive's page stream.
void StorePage(TsdStorage& archive, const std::string& name, float left) {
  TdocPage page;
  page.AddShape(MakeFill(left, 1, 2, 2));
  TXmlDocument xml("Page");
  page.SaveToXml(*xml.GetRoot());
  TMemoryStream stream;
  const std::string text = xml.WriteToString();
  stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
  archive.WriteStream(name, stream);
}

TEST_F(DocumentCoreTest, DeletingTheCurrentPageLoadsTheOneThatTakesItsPlace) {
  RegisterShapeClass(doctest::TFillShape::StaticClass());
  Doc.SetPageCount(3);
  StorePage(*Doc.GetStorage(), "Page0002.xml", 2.0f);
  StorePage(*Doc.GetStorage(), "Page0003.xml", 3.0f);
  Doc.GetPages(2)->SetLoaded(false);
  TdocPage* third = Doc.GetPages(2);
  Doc.SetCurrentPageIndex(1);
  Doc.DeletePage(1);
  ASSERT_EQ(Doc.GetCurrentPage(), third);
  EXPECT_TRUE(third->GetLoaded());
  ASSERT_EQ(Doc.ShapeCount(), 1);
  EXPECT_FLOAT_EQ(Doc.GetShapes(0)->GetDocLeft(), 3.0f);
  // The streams were renumbered: the third page's stream is the second now.
  EXPECT_TRUE(Doc.GetStorage()->StreamExists("Page0002.xml"));
  EXPECT_FALSE(Doc.GetStorage()->StreamExists("Page0003.xml"));
  EXPECT_FALSE(Doc.IsLoading());
}

TEST_F(DocumentCoreTest, DeletingTheCurrentLastPageShowsThePageBefore) {
  Doc.SetPageCount(3);
  Doc.SetCurrentPageIndex(2);
  TdocPage* second = Doc.GetPages(1);
  Doc.DeletePage(2);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), 1);
  EXPECT_EQ(Doc.GetCurrentPage(), second);
}

TEST_F(DocumentCoreTest, FailedPageLoadClearsIsLoadingAndIsNotRetried) {
  Doc.AddPage(nullptr);
  Doc.GetPages(1)->SetLoaded(false);
  EXPECT_EQ(Message([&] { Doc.SetCurrentPageIndex(1); }), "Stream \"Page0002.xml\" not found in the storage");
  EXPECT_FALSE(Doc.IsLoading());
  EXPECT_TRUE(Doc.GetPages(1)->GetLoaded());
  Doc.SetCurrentPageIndex(1);
  EXPECT_EQ(Doc.GetCurrentPageIndex(), 1);
}

// ---- deferred events

TEST_F(DocumentCoreTest, ThreeShapeChangesInsideOneBracketFireOnceWithNil) {
  TdocShape* shape = Add();
  Doc.SetModified(false);
  Log.clear();
  Doc.BeginUpdate();
  for (int i = 0; i < 3; ++i) Doc.DoShapeChanged(shape);
  EXPECT_TRUE(Doc.GetModified());
  EXPECT_TRUE(Log.empty());
  Doc.EndUpdate();
  EXPECT_EQ(Log, std::vector<std::string>{"shape(nil)"});
}

TEST_F(DocumentCoreTest, DeferredEventsFireOnceInTheStatedOrderAtTheOutermostEnd) {
  TdocShape* shape = Add();
  Log.clear();
  Doc.BeginUpdate();
  Doc.BeginUpdate();
  Doc.SetFocusShape(shape);
  shape->SetSelected(true);
  Doc.DoShapeChanged(shape);
  Doc.SetFocusShape(nullptr);
  Doc.SetFocusShape(shape);
  Doc.EndUpdate();
  EXPECT_TRUE(Log.empty());
  Doc.EndUpdate();
  EXPECT_EQ(Log, (std::vector<std::string>{"shape(nil)", "selection", "focus"}));
  Log.clear();
  Doc.BeginUpdate();
  Doc.EndUpdate();
  EXPECT_TRUE(Log.empty());
}

TEST_F(DocumentCoreTest, OutsideBracketsEventsFireAtOnce) {
  TdocShape* shape = Add();
  Log.clear();
  Doc.SetFocusShape(shape);
  Doc.SetFocusShape(shape);  // the same shape fires nothing
  shape->SetSelected(true);
  EXPECT_EQ(Log, (std::vector<std::string>{"focus", "selection"}));
}

TEST_F(DocumentCoreTest, UndoBracketsDeferEventsLikeUpdateBrackets) {
  TdocShape* shape = Add();
  Log.clear();
  {
    auto step = UndoStep(&Doc);
    shape->SetDocLeft(5);
    shape->SetDocTop(5);
    EXPECT_TRUE(Log.empty());
  }
  EXPECT_EQ(Log, std::vector<std::string>{"shape(nil)"});
}

TEST_F(DocumentCoreTest, BracketsClosedTooOftenRaiseAndLeaveTheCountersAtZero) {
  struct Case {
    std::function<void()> close;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[&] { Doc.EndUpdate(); }, "EndUpdate called more often than BeginUpdate"},
      {[&] { Doc.EndUndo(); }, "EndUndo called more often than BeginUndo"},
      {[&] { Doc.EndPrinting(); }, "EndPrinting called more often than BeginPrinting"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Message(c.close), c.message);
    EXPECT_EQ(Message(c.close), c.message);
  }
  EXPECT_EQ(Doc.GetUpdateCount(), 0);
  EXPECT_FALSE(Doc.IsPrinting());
  // Later brackets work as if nothing had happened.
  TdocShape* shape = Add();
  Log.clear();
  Doc.BeginUndo();
  shape->SetDocLeft(7);
  Doc.EndUndo();
  EXPECT_EQ(Log, std::vector<std::string>{"shape(nil)"});
  Doc.BeginPrinting();
  EXPECT_TRUE(Doc.IsPrinting());
  Doc.EndPrinting();
  EXPECT_FALSE(Doc.IsPrinting());
}

// ---- z-order

TEST_F(DocumentCoreTest, ZOrderMovesEverySelectedShapeOneStep) {
  struct Case {
    const char* selected;  // letters of the selected shapes
    bool backward;
    const char* once;
    const char* twice;
  };
  const Case cases[] = {
      {"BC", true, "BCA", "BCA"},       // the worked case
      {"AB", false, "CAB", "CAB"},      // the mirror case
      {"BD", true, "BADCE", "BDACE"},   // two single shapes
      {"AE", true, "ABCED", "ABECD"},   // the bottom one stays, the top one sinks
      {"AC", false, "BADCE", "BDAEC"},  // upwards
      {"", true, "ABCDE", "ABCDE"},
  };
  for (const Case& c : cases) {
    Doc.New();
    const int count = std::string(c.once).size();
    std::vector<TdocShape*> named;
    for (int i = 0; i < count; ++i) named.push_back(Add(static_cast<float>(i)));
    for (const char* s = c.selected; *s; ++s) named[static_cast<std::size_t>(*s - 'A')]->SetSelected(true);
    c.backward ? Doc.SendSelectionBackward() : Doc.BringSelectionForward();
    EXPECT_EQ(Order(named), c.once) << c.selected;
    c.backward ? Doc.SendSelectionBackward() : Doc.BringSelectionForward();
    EXPECT_EQ(Order(named), c.twice) << c.selected;
  }
}

TEST_F(DocumentCoreTest, SelectionIsReadInZOrder) {
  TdocShape* a = Add();
  TdocShape* b = Add();
  TdocShape* c = Add();
  c->SetSelected(true);
  a->SetSelected(true);
  EXPECT_EQ(Doc.SelectionCount(), 2);
  EXPECT_EQ(Doc.GetSelected(0), a);
  EXPECT_EQ(Doc.GetSelected(1), c);
  EXPECT_EQ(Doc.GetSelected(2), nullptr);
  Log.clear();
  Doc.ClearSelection();
  EXPECT_FALSE(Doc.HasSelection());
  EXPECT_EQ(Log, std::vector<std::string>{"selection"});
  EXPECT_FALSE(b->GetSelected());
}

TEST_F(DocumentCoreTest, DeleteSelectedShapesSparesThoseThatRefuse) {
  TdocShape* a = Add();
  TdocShape* b = Add();
  TdocShape* c = Add();
  a->SetSelected(true);
  b->SetSelected(true);
  b->AllowDelete = false;
  c->SetSelected(true);
  int listChanges = 0;
  Doc.OnShapeListChanged = [&](TPersistent*) { ++listChanges; };
  Doc.DeleteSelectedShapes();
  ASSERT_EQ(Doc.ShapeCount(), 1);
  EXPECT_EQ(Doc.GetShapes(0), b);
  EXPECT_EQ(listChanges, 2);
}

TEST_F(DocumentCoreTest, StructuralOperationsRaiseWhileBusy) {
  auto busy = Doc.BusyBracket(crHourGlass);
  const std::vector<std::function<void()>> calls = {[&] { Doc.SendSelectionBackward(); },
                                                    [&] { Doc.BringSelectionForward(); },
                                                    [&] { Doc.DeleteSelectedShapes(); }, [&] { Doc.New(); }};
  for (const auto& call : calls) EXPECT_EQ(Message(call), "Threading error (working already)");
  EXPECT_EQ(Doc.GetPageCount(), 1);
}

TEST_F(DocumentCoreTest, BusyCursorRules) {
  struct Case {
    TCursor own;
    TCursor asked;
    bool shown;
  };
  const Case cases[] = {
      {crDefault, crSizeAll, true},
      {crCross, crSizeAll, false},
      {crAppStart, crHourGlass, true},
      {crAppStart, crSizeAll, false},
  };
  for (const Case& c : cases) {
    Doc.Options.Cursor = c.own;
    auto busy = Doc.BusyBracket(crHourGlass);
    View.Cursors.clear();
    Doc.ShowCursor(c.asked);
    EXPECT_EQ(!View.Cursors.empty(), c.shown) << c.own << " " << c.asked;
  }
  // Leaving the last busy bracket shows the control's own cursor.
  ASSERT_FALSE(Doc.IsBusy());
  EXPECT_EQ(View.Cursors.back(), crAppStart);
}

// ---- references to shapes that go

TEST_F(DocumentCoreTest, DeletedShapesLeaveNoReferenceBehind) {
  TdocShape* focused = Add();
  TdocShape* hovered = Add();
  auto* edited = Add<TEditableShape>();
  TdocShape* hinted = Add();
  Doc.SetFocusShape(focused);
  Doc.SetHit(1, hovered);
  Doc.SetHintShape(hinted);
  Doc.StartShapeEdit(edited);
  ASSERT_EQ(Doc.GetEditState(), esInPlaceEdit);
  int editClosed = 0;
  Doc.OnShapeEditClosed = [&](TPersistent*, TdocShape* s) { editClosed += s == edited; };

  // Deleted in an order in which each deletion would walk a reference the
  // one before had left dangling.
  for (TdocShape* shape : std::vector<TdocShape*>{hovered, edited, focused, hinted}) Doc.RemoveShape(shape);
  EXPECT_EQ(Doc.GetFocusShape(), nullptr);
  EXPECT_EQ(Doc.GetHitShape(), nullptr);
  EXPECT_EQ(Doc.GetHintShape(), nullptr);
  EXPECT_EQ(Doc.GetEditShape(), nullptr);
  EXPECT_EQ(Doc.GetEditState(), esIdle);
  EXPECT_EQ(editClosed, 1);
  // Events and operations that would touch the references run safely.
  Doc.BeginUpdate();
  Doc.DoFocusShape(nullptr);
  Doc.EndUpdate();
  Doc.CloseShapeEdit(true);
  Doc.TimerTick();
  Doc.DeleteShape(0);
}

TEST_F(DocumentCoreTest, ReferencesIntoADeletedGroupAreDropped) {
  auto group = std::make_unique<TdocShape>();
  auto child = std::make_unique<TEditableShape>();
  TEditableShape* inner = child.get();
  group->AddShape(std::move(child));
  TdocShape* outer = group.get();
  Doc.AddShape(std::move(group));
  Doc.SetHit(1, inner);
  Doc.StartShapeEdit(inner);
  Doc.RemoveShape(outer);
  EXPECT_EQ(Doc.GetHitShape(), nullptr);
  EXPECT_EQ(Doc.GetEditShape(), nullptr);
  Doc.CloseShapeEdit(true);
  Doc.ClearSelection();
}

TEST_F(DocumentCoreTest, ClearDropsEveryReferenceAndThePendingInsertion) {
  TdocShape* shape = Add();
  Doc.SetFocusShape(shape);
  Doc.SetHit(1, shape);
  Doc.SetLastCopyPage(Doc.GetCurrentPage());
  Doc.SetInsertShape(std::make_unique<TdocShape>(), true);
  std::vector<TdocShape*> insertClosed;
  Doc.OnShapeInsertClosed = [&](TPersistent*, TdocShape* s) { insertClosed.push_back(s); };
  Destroyed = 0;
  Doc.Clear();
  EXPECT_EQ(insertClosed, std::vector<TdocShape*>{nullptr});
  EXPECT_EQ(Destroyed, 3);  // the pending shape, the shape and the page
  EXPECT_EQ(Doc.GetInsertShape(), nullptr);
  EXPECT_EQ(Doc.GetHitShape(), nullptr);
  EXPECT_EQ(Doc.GetLastCopyPage(), nullptr);
  Doc.AddPage(nullptr);
  EXPECT_EQ(Doc.GetFocusShape(), nullptr);
  EXPECT_EQ(Doc.ShapeCount(), 0);
}

TEST_F(DocumentCoreTest, ReadOnlyReturnsToBrowsingAndCancelsEditing) {
  TdocShape* shape = Add();
  shape->SetSelected(true);
  auto* edited = Add<TEditableShape>();
  Doc.StartShapeEdit(edited);
  Doc.SetReadOnly(true);
  EXPECT_EQ(Doc.GetMode(), vmBrowse);
  EXPECT_FALSE(Doc.HasSelection());
  EXPECT_EQ(Doc.GetEditState(), esIdle);
  EXPECT_EQ(edited->Ends, 1);
  Doc.SetMode(vmEdit);
  EXPECT_EQ(Doc.GetMode(), vmBrowse);
  Doc.SetReadOnly(false);
  Doc.SetMode(vmEdit);
  EXPECT_EQ(Doc.GetMode(), vmEdit);
}

// ---- undo lists

std::unique_ptr<TdocCommand> Command(std::int32_t id, const std::string& prop, const std::string& value) {
  auto command = std::make_unique<TdocCommand>();
  command->ShapeId = id;
  command->PropName = prop;
  command->Value = value;
  return command;
}

TEST_F(DocumentCoreTest, UndoCommandsAreGroupedFilteredAndTrimmed) {
  Doc.BeginUndo();
  for (const char* value : {"1", "2", "3"}) Doc.AddUndoCommand(Command(1, "DocLeft", value));
  Doc.EndUndo();
  ASSERT_EQ(Doc.GetUndoCount(), 3);
  EXPECT_FALSE(Doc.GetUndoCommand(0)->Grouped);
  EXPECT_TRUE(Doc.GetUndoCommand(1)->Grouped);
  EXPECT_TRUE(Doc.GetUndoCommand(2)->Grouped);
  Doc.AddUndoCommand(Command(1, "DocLeft", "3"));  // repeats the last one
  EXPECT_EQ(Doc.GetUndoCount(), 3);
  EXPECT_EQ(Doc.GetUndoMemory(), 3 * (7 + 4 + 1));
  Doc.AddUndoCommand(Command(1, "DocLeft", std::string(11 * 1024 * 1024, 'x')));
  EXPECT_EQ(Doc.GetUndoCount(), 0);
  EXPECT_EQ(Doc.GetUndoMemory(), 0);
  {
    auto suspended = UndoSuspension(&Doc);
    Doc.AddUndoCommand(Command(1, "DocTop", "1"));
  }
  EXPECT_EQ(Doc.GetUndoCount(), 0);
  Doc.AddUndoCommand(Command(1, "DocTop", "1"));
  Doc.SetUndoEnabled(false);
  EXPECT_EQ(Doc.GetUndoCount(), 0);
}

// ---- coordinates and probes

TEST_F(DocumentCoreTest, CoordinateMapsFollowScaleAndWindowOrigin) {
  Doc.SetScreenScale(4.0f);
  Doc.SetWindowOrigin(10.0f, -5.0f);
  const TFloatPoint client = Doc.DocToClient({12.5f, 0.0f});
  EXPECT_FLOAT_EQ(client.X, 10.0f);
  EXPECT_FLOAT_EQ(client.Y, 20.0f);
  const TFloatPoint back = Doc.ClientToDoc(client);
  EXPECT_FLOAT_EQ(back.X, 12.5f);
  EXPECT_FLOAT_EQ(back.Y, 0.0f);
  // (10.125 - 10) x 4 = 0.5 -> 0 and (10.625 - 10) x 4 = 2.5 -> 2: halves to even.
  EXPECT_EQ(Doc.DocRectToClient({10.125f, -5.0f}, {0.5f, 1.0f}), (TRect{0, 0, 2, 4}));
}

TEST_F(DocumentCoreTest, RenderResolutionFollowsTheScreenWhenAsked) {
  Doc.SetRenderDPI(300.0f);
  EXPECT_FLOAT_EQ(Doc.GetRenderResolution(), 300.0f / 25.4f);
  Doc.SetScreenScale(3.0f);
  EXPECT_FLOAT_EQ(Doc.GetRenderResolution(), 300.0f / 25.4f);
  Doc.SetRenderAtScreenRes(true);
  Doc.SetScreenScale(2.0f);
  EXPECT_FLOAT_EQ(Doc.GetRenderResolution(), 2.0f);
}

TEST_F(DocumentCoreTest, HitProbesByTheRingRule) {
  const auto probes = Doc.GetHitProbes();
  ASSERT_EQ(probes.size(), 21u);
  EXPECT_EQ(probes[0], (TPoint{0, 0}));
  EXPECT_EQ(probes[1], (TPoint{4, 0}));
  EXPECT_EQ(probes[16], (TPoint{0, -1}));
  EXPECT_EQ(probes[17], (TPoint{3, 3}));
  EXPECT_EQ(probes[20], (TPoint{-3, -3}));
  Doc.SetHitSensitivity(0.25f);
  EXPECT_EQ(Doc.GetHitProbes().size(), 13u);
  EXPECT_EQ(Doc.GetHitProbes()[9], (TPoint{1, 1}));
}

// The ring rule, n = 4 x sensitivity rounded, 4n + 5 probes, diagonals at
// n x 0.71 rounded, bounded by the smallest ring (n = 2) and the largest
// (n = 64); every count and offset worked by hand.
TEST_F(DocumentCoreTest, HitProbeRingsStayBetweenTheSmallestAndTheLargest) {
  struct TRing {
    float Sensitivity;
    std::size_t Count;
    TPoint First, LastAxis, FirstDiagonal;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const TRing rings[] = {
      {10.0f, 165, {40, 0}, {0, -1}, {28, 28}},     // n 40, d 28.4 -> 28
      {15.8f, 257, {63, 0}, {0, -1}, {45, 45}},     // n 63.2 -> 63, d 44.73 -> 45
      {15.9f, 261, {64, 0}, {0, -1}, {45, 45}},     // n 63.6 -> 64, d 45.44 -> 45
      {16.0f, 261, {64, 0}, {0, -1}, {45, 45}},
      {16.2f, 261, {64, 0}, {0, -1}, {45, 45}},     // 64.8: the largest ring
      {250.0f, 261, {64, 0}, {0, -1}, {45, 45}},    // 4 x 250 = 1000
      {1e6f, 261, {64, 0}, {0, -1}, {45, 45}},
      {inf, 261, {64, 0}, {0, -1}, {45, 45}},
      {std::numeric_limits<float>::max(), 261, {64, 0}, {0, -1}, {45, 45}},
      {0.0f, 13, {2, 0}, {0, -1}, {1, 1}},          // n 2, d 1.42 -> 1
      {-3.0f, 13, {2, 0}, {0, -1}, {1, 1}},
      {-inf, 13, {2, 0}, {0, -1}, {1, 1}},
      {std::numeric_limits<float>::quiet_NaN(), 13, {2, 0}, {0, -1}, {1, 1}},
  };
  for (const TRing& ring : rings) {
    Doc.SetHitSensitivity(ring.Sensitivity);
    const auto probes = Doc.GetHitProbes();
    ASSERT_EQ(probes.size(), ring.Count) << ring.Sensitivity;
    EXPECT_EQ(probes[0], (TPoint{0, 0})) << ring.Sensitivity;
    EXPECT_EQ(probes[1], ring.First) << ring.Sensitivity;
    EXPECT_EQ(probes[ring.Count - 5], ring.LastAxis) << ring.Sensitivity;
    EXPECT_EQ(probes[ring.Count - 4], ring.FirstDiagonal) << ring.Sensitivity;
    EXPECT_EQ(probes[ring.Count - 1], (TPoint{-ring.FirstDiagonal.X, -ring.FirstDiagonal.Y})) << ring.Sensitivity;
  }
}

// ---- timer

TEST_F(DocumentCoreTest, TimerTickIsNotReenteredAndUpdatesFlaggedDefaultPages) {
  Doc.AddPage(nullptr);
  Doc.GetPages(1)->SetMarginTop(1.0f);
  Doc.Options.AutoPageUpdate = true;
  Doc.Options.PageUpdateInterval = 0;
  int animations = 0;
  Doc.OnAnimate = [&](TPersistent*) {
    ++animations;
    Doc.TimerTick();
  };
  Doc.SetDefaultPageColor(0xC0C0C0);
  EXPECT_TRUE(Doc.GetPageNeedsUpdate(Doc.GetPages(0)));
  EXPECT_FALSE(Doc.GetPageNeedsUpdate(Doc.GetPages(1)));
  PageEvents.clear();
  Doc.TimerTick();
  EXPECT_EQ(animations, 1);
  EXPECT_EQ(PageEvents, std::vector<TdocPage*>{Doc.GetPages(0)});
  EXPECT_FALSE(Doc.GetPageNeedsUpdate(Doc.GetPages(0)));
  PageEvents.clear();
  Doc.TimerTick();
  EXPECT_TRUE(PageEvents.empty());
}

TEST_F(DocumentCoreTest, ClearingModifiedClearsEveryPage) {
  Doc.AddPage(nullptr);
  Add();
  EXPECT_TRUE(Doc.GetModified());
  EXPECT_TRUE(Doc.GetPages(0)->GetModified());
  Doc.SetModified(false);
  EXPECT_FALSE(Doc.GetPages(0)->GetModified());
  EXPECT_FALSE(Doc.GetPages(1)->GetModified());
}

// Switching the edit border reaches the texts already on the current page,
// those inside a group too, and the texts added later.
TEST_F(DocumentCoreTest, PaintEditBorderReachesTheTextsOfTheCurrentPage) {
  auto* text = static_cast<TdocTextShape*>(Doc.GetShapes(Doc.AddShape(std::make_unique<TdocTextShape>())));
  auto group = std::make_unique<TdocShape>();
  auto* grouped = static_cast<TdocTextShape*>(group->GetShapes(group->AddShape(std::make_unique<TdocTextShape>())));
  Doc.AddShape(std::move(group));
  ASSERT_TRUE(text->GetPaintEditBorder() && grouped->GetPaintEditBorder());
  Doc.SetPaintEditBorder(false);
  EXPECT_FALSE(text->GetPaintEditBorder());
  EXPECT_FALSE(grouped->GetPaintEditBorder());
  auto* later = static_cast<TdocTextShape*>(Doc.GetShapes(Doc.AddShape(std::make_unique<TdocTextShape>())));
  EXPECT_FALSE(later->GetPaintEditBorder());
  Doc.SetPaintEditBorder(true);
  EXPECT_TRUE(text->GetPaintEditBorder() && grouped->GetPaintEditBorder() && later->GetPaintEditBorder());
}

}  // namespace
