#pragma once
// TdocDocumentCore: the document behind the editor control, without any
// window. It owns the pages, the settings with their defaults, the undo
// lists, the archive, the font manager and the default page background; it
// keeps the selection and focus, the editor's references to shapes, the
// update and modification bookkeeping and the control's events.
//
// Shapes reach it through TdocServices, pages through TdocPageHost, the
// default background through TdocResourceHost. The window that shows it
// (document/control) plugs in as a TdocDocumentView; without one every
// repaint, scroll or cursor request is dropped.
//
// Events fire on the thread that changes the document (the main thread).
// OnShapeChanged, OnSelectionChanged and OnFocusShape are deferred while an
// update bracket is open and fire once, in that order, when the outermost
// one closes.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "document/resources/BitmapResource.h"
#include "document/shape/DocServices.h"
#include "document/core/DocumentTypes.h"
#include "document/core/DocumentView.h"
#include "document/text/FontManager.h"
#include "document/page/PageHost.h"
#include "document/resources/ResourceHost.h"
#include "platform/gdi/Color.h"
#include "platform/rtl/Cursors.h"
#include "platform/rtl/Keys.h"
#include "platform/rtl/Persistent.h"
#include "xml/storage/Storage.h"

class TCanvas;
class TdocPage;
class TStream;
class TXmlDocument;
class TdocTextClipboard;
class TXmlNode;

// Settings without behaviour of their own: read and written as plain fields.
struct TdocDocumentOptions {
  bool AllowKeyInput = true;
  bool ArchiveDirect = false;
  bool AutoPageUpdate = false;
  bool AutoWidth = true;
  bool AutoDeleteShape = true;
  TDeviceType Device = dtScreen;
  std::int32_t PageUpdateInterval = 2000;  // ms
  TPrintQualityType PrintQuality = pqLow;
  bool FontEmbedding = false;
  TColor HandleEdgeColor = 0x000000;
  TColor HandleColor = 0xFFFFFF;
  TdocHandlePainterType HandlePainter = hpW2K3Handle;
  std::int32_t HintHidePause = 2500;  // ms
  std::int32_t HintPause = 500;       // ms
  std::int32_t HintShortPause = 50;   // ms
  TdocHZScrollingType HotzoneScrolling = hzsNoScroll;
  TMultiSelectMethodType MultiSelectMethod = msmSimple;
  bool OptimizedPrinting = false;
  TdocDocPerformanceType Performance = dpMemoryOverSpeed;
  bool ScrollWithMouseWheel = true;
  bool ShowMargins = true;
  bool SnapToGrid = false;
  float StepAngle = 0.0f;  // degrees, 0 = free
  bool StoreThumbnails = true;
  bool UndoPastSave = false;
  float ZoomPercent = 100.0f;  // 100 = the page width fills the window
  // The control's own cursor and colour.
  TCursor Cursor = crDefault;
  TColor Color = clAppWorkSpace;
};

// The feedback of a mouse gesture the paint event draws over the page: the
// rubber band from the drag start over the offset, the frame of the shape
// being inserted, or the frames the selected shapes would take. Erasing it
// is a repaint.
enum TdocFeedbackKind : std::uint8_t { fkNone, fkRubberBand, fkInsertFrame, fkDragFrames };

struct TdocDragFeedback {
  TdocFeedbackKind Kind = fkNone;
  TFloatPoint Start;   // document mm
  TFloatPoint Offset;  // document mm
};

class TdocDocumentCore : public TComponent,
                         public TdocServices,
                         public TdocPageHost,
                         public TdocResourceHost {
public:
  static constexpr int MaxPageCount = 25;
  // 150 dots per inch.
  static constexpr float DefaultDpm = 150.0f / 25.4f;

  explicit TdocDocumentCore(TComponent* owner = nullptr);
  ~TdocDocumentCore() override;

  std::string ClassName() const override { return "TdocDocument"; }
  static constexpr const char* Version = "2.84";

  TdocDocumentView* GetView() const { return View; }
  void SetView(TdocDocumentView* view) { View = view; }

  TdocDocumentOptions Options;

  // ---- life cycle
  // Every setting to its default and the hit probes built.
  virtual void InitDefaults();
  // Pages, undo lists, archive and default background emptied; every
  // reference the editor keeps to a shape dropped.
  virtual void ClearContent();
  // ClearContent, then the document settings back to their defaults; the
  // document is left without pages and marked modified.
  virtual void Clear();
  // Clear, then one default page; unmodified.
  void New();

  // ---- pages
  int GetPageCount() const { return static_cast<int>(Pages.size()); }
  // Raises "Invalid page count" outside 0 .. MaxPageCount.
  void SetPageCount(int value);
  TdocPage* GetPages(int index) const;
  TdocPage* GetCurrentPage() const override;
  int GetCurrentPageIndex() const { return CurrentPageIndex; }
  void SetCurrentPageIndex(int value);
  void SetCurrentPage(TdocPage* page);
  int IndexOfPage(const TdocPage* page) const override;
  // Appends the page (a new default page for nil); returns its index.
  int AddPage(std::unique_ptr<TdocPage> page);
  // Removes the page and renumbers the archive's later page streams.
  void DeletePage(int index);
  float GetPageWidth() const;
  float GetPageHeight() const;
  void SetPageWidth(float value);
  void SetPageHeight(float value);
  // Reads a page's content from the archive the first time it is needed.
  void LoadPage(int index) override;

  // ---- the archive file ("STOR" container; DocumentArchive.cpp)
  // Each replaces the document by the archive in the file or stream. Raise
  // "Threading error (working already)" while busy and 'Cannot find file
  // "%s"' for a missing file; whatever fails, the document is left as it was.
  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(TStream& stream);
  // Each writes the document; it counts as saved (unmodified) only once the
  // whole file or stream is written. A file is replaced only by a complete
  // new one, so a failure leaves the old file as it was.
  void SaveToFile(const std::string& fileName);
  void SaveToStream(TStream& stream);
  // Builds the document from an open archive, which the document then keeps.
  // Everything that can fail in the archive is read before the document is
  // cleared. Pages other than the first are read when first shown.
  virtual void LoadFromArchive(std::unique_ptr<TsdStorage> archive);
  // Writes "Index.xml", "Fonts.dat" and the changed pages into the archive.
  // Raises "Archive does not exist" without one.
  virtual void SaveToArchive();
  void SaveIndex();
  // The settings of "Index.xml"; values a document cannot work with read as
  // their defaults.
  virtual void ReadSettingsFromXml(TXmlNode& node);
  virtual void WriteSettingsToXml(TXmlNode& node);

  // ---- shapes of the current page
  int ShapeCount() const;
  TdocShape* GetShapes(int index) const;
  // The index of the shape on the current page; without a current page -1,
  // and the shape is freed.
  int AddShape(std::unique_ptr<TdocShape> shape);
  void DeleteShape(int index);
  void ExchangeShapes(int i, int j);
  int RemoveShape(TdocShape* shape) override;
  // Every selected shape one step down (up) the z-order; a selected block
  // keeps its order. Both raise "Threading error (working already)" while busy.
  void SendSelectionBackward();
  void BringSelectionForward();
  // Deletes the selected shapes that allow it, from the top down.
  void DeleteSelectedShapes();
  // The shape found by its id on the current page (children included).
  TdocShape* FindShape(std::int32_t shapeId) const;

  // ---- selection and focus
  int SelectionCount() const;
  // The index-th selected shape in z-order, nil when none.
  TdocShape* GetSelected(int index) const;
  virtual bool HasSelection() const { return SelectionCount() > 0; }
  void ClearSelection();
  // The focus shape while it is on the current page, else nil.
  TdocShape* GetFocusShape() const;
  void SetFocusShape(TdocShape* shape);

  // ---- editor references (the interaction builds on them)
  TdocEditState GetEditState() const { return EditState; }
  void SetEditState(TdocEditState state) { EditState = state; }
  std::uint8_t GetHitKind() const { return HitKind; }
  TdocShape* GetHitShape() const { return HitShape; }
  void SetHit(std::uint8_t kind, TdocShape* shape);
  TdocShape* GetHintShape() const { return HintShape; }
  void SetHintShape(TdocShape* shape) { HintShape = shape; }
  TdocShape* GetEditShape() const override { return EditShape; }
  // Starts in-place editing of the shape.
  void StartShapeEdit(TdocShape* shape);
  // The shape waiting to be inserted; the document owns it until it is added.
  TdocShape* GetInsertShape() const { return InsertShape.get(); }
  bool GetInsertByDrag() const { return InsertByDrag; }
  void SetInsertShape(std::unique_ptr<TdocShape> shape, bool byDrag);
  // Hands the waiting shape to the caller (to add it to the page).
  std::unique_ptr<TdocShape> TakeInsertShape();
  // Drops the waiting shape: OnShapeInsertClosed with nil, OnShapeDestroy,
  // then it is freed.
  void CancelShapeInsert();
  // Back to idle: an in-place edit is closed, an insertion cancelled and the
  // hit forgotten.
  void CancelEditing();
  TdocPage* GetLastCopyPage() const { return LastCopyPage; }

  // ---- services of in-place editing and the editor (DocumentEditing.cpp)
  // The shape is deleted once the event that asked for it is over: the view
  // calls RunAutoDeletes later; without a view the ids wait for that call.
  void PostAutoDelete(std::int32_t shapeId) override;
  // Deletes the shapes still found by the ids posted (when AutoDeleteShape
  // is on), each as one undo step. While the document is busy they are kept
  // and posted again when it is idle.
  void RunAutoDeletes();
  bool HasPostedAutoDeletes() const { return !PostedAutoDeletes.empty(); }
  bool IsMouseButtonHeld() const override { return MouseButtonHeld; }
  void SetMouseButtonHeld(bool value) { MouseButtonHeld = value; }
  void SetEditCursor(TCursor cursor) override { ShowCursor(cursor); }
  // The caret blinks on the timer tick.
  void SetCaretTimer(TdocShape& shape, int intervalMs) override;
  void SetLastCopyPage(TdocPage* page) { LastCopyPage = page; }

  // ---- update and modification
  void BeginUpdate();
  // Raises "EndUpdate called more often than BeginUpdate" without an open
  // bracket; the counter stays at 0.
  void EndUpdate();
  auto UpdateBracket() {
    BeginUpdate();
    return TdocBracketGuard([this] { EndUpdate(); });
  }
  int GetUpdateCount() const { return UpdateCount; }
  bool GetModified() const { return Modified; }
  void SetModified(bool value) override;
  void DoDocumentChanged();
  void DoShapeChanged(TdocShape* shape) override;
  void DoSelectionChanged() override;
  void DoFocusShape(TdocShape* shape);
  void DoPageChanged(TdocPage* page) override;
  void DoShapeDestroy(TdocShape* shape) override;
  void DoShapeListChanged();
  void DoLoadError(TdocShape* shape, const std::string& error) override;
  void DoEditNotice(TdocShape* shape, const std::string& message) override;
  void DoShapeLoadAdditionalInfo(TdocShape* shape, TXmlNode& node) override;
  void DoShapeSaveAdditionalInfo(TdocShape* shape, TXmlNode& node) override;
  void DoProgress(TdocProgressType type, int count, int total, float percent) override;
  std::int32_t NextShapeId() override { return ++LastShapeId; }
  bool IsLoading() const override { return Loading; }
  // Sets IsLoading for the scope; the value before comes back when it is
  // left, also by an exception, so a failed load never leaves it set.
  auto LoadingBracket() {
    const bool before = Loading;
    Loading = true;
    return TdocBracketGuard([this, before] { Loading = before; });
  }

  // ---- busy and printing
  // Shows the cursor, then counts; EndBusy at 0 shows the control's cursor.
  void BeginBusy(TCursor cursor);
  void EndBusy();
  auto BusyBracket(TCursor cursor) {
    BeginBusy(cursor);
    return TdocBracketGuard([this] { EndBusy(); });
  }
  bool IsBusy() const { return BusyCount > 0; }
  // Raises "Threading error (working already)" while busy.
  void CheckNotBusy() const;
  void ShowCursor(TCursor cursor);
  void BeginPrinting() override { ++PrintingCount; }
  void EndPrinting() override;
  bool IsPrinting() const override { return PrintingCount > 0; }

  // ---- undo lists
  void BeginUndo() override;
  // Raises "EndUndo called more often than BeginUndo" without an open
  // bracket; the depth stays at 0.
  void EndUndo() override;
  void SuspendUndo() override { ++UndoLock; }
  void ResumeUndo() override;
  bool GetUndoEnabled() const override { return UndoEnabledFlag && UndoLock == 0; }
  // False empties both lists.
  void SetUndoEnabled(bool value);
  // True while an undo step replays: what the shapes record then is the redo.
  bool IsRecordingRedo() const override { return Replay == urUndoing; }
  void AddUndoCommand(std::unique_ptr<TdocCommand> command) override;
  void AddRedoCommand(std::unique_ptr<TdocCommand> command) override;
  virtual void ClearUndo();
  int GetUndoCount() const { return static_cast<int>(UndoList.size()); }
  int GetRedoCount() const { return static_cast<int>(RedoList.size()); }
  // Nil out of range.
  const TdocCommand* GetUndoCommand(int index) const;
  std::int64_t GetUndoMemory() const { return UndoMemory; }
  // The oldest commands are dropped while the list holds this many bytes.
  static constexpr std::int64_t UndoMemoryCap = 10485761;

  // ---- undo and redo (DocumentUndo.cpp)
  // Offers the command to every shape of the current page, then to every
  // page; raises "Unable to execute Undo" when none takes it.
  virtual void ExecuteCommand(const TdocCommand& command);
  bool CanUndo() const { return GetUndoEnabled() && !UndoList.empty(); }
  bool CanRedo() const { return GetUndoEnabled() && !RedoList.empty(); }
  // Replays the last undo group (newest command first); what the replay
  // records becomes one redo group. Raises "Threading error (working
  // already)" while busy.
  void Undo();
  // Replays the last redo group; what it records becomes one undo group
  // again, and the other redo groups stay.
  void Redo();
  // Nil out of range.
  const TdocCommand* GetRedoCommand(int index) const;

  // ---- selection clipboard (DocumentClipboard.cpp)
  // The system clipboard the control lends; without one the private text
  // serves, as with UseClipboard False.
  void SetTextClipboard(TdocTextClipboard* clipboard) { TextClipboard = clipboard; }
  // The selected shapes of the current page as selection text; empty when
  // nothing is selected.
  virtual void CopySelectionToXml(std::string& text) const;
  // Adds the shapes of a selection text to the current page, selected, and
  // answers how many. A text that is not a selection pastes nothing; a
  // selection that does not load raises and leaves the document as it was.
  virtual int PasteSelectionFromXml(const std::string& text);
  virtual void CopySelection();
  virtual void CutSelection();
  virtual void Paste();
  virtual bool CanPaste() const;

  // ---- coordinates
  float GetScreenScale() const override { return ScreenScale; }
  // Pixels per millimetre; the render resolution follows it with RenderAtScreenRes.
  void SetScreenScale(float value);
  float GetWindowLeft() const { return WindowLeft; }
  float GetWindowTop() const { return WindowTop; }
  void SetWindowOrigin(float left, float top);
  TFloatPoint DocToClient(const TFloatPoint& p) const override;
  TFloatPoint ClientToDoc(const TFloatPoint& p) const override;
  // The client rectangle from topLeft over size, corners rounded.
  TRect DocRectToClient(const TFloatPoint& topLeft, const TFloatPoint& size) const;

  // ---- hit probes
  float GetHitSensitivity() const { return HitSensitivity; }
  void SetHitSensitivity(float value);
  std::span<const TPoint> GetHitProbes() const override { return HitProbes; }

  // ---- the timer: pages updated after a quiet time, then animation
  void TimerTick();
  // Marks every default page for re-rendering after the quiet time.
  void FlagDefaultBackgroundPages();
  bool GetPageNeedsUpdate(const TdocPage* page) const { return PagesToUpdate.contains(page); }

  // ---- settings with behaviour
  const TdocPageSettings& GetPageDefaults() const override { return PageDefaults; }
  TdocBitmapResource* GetDefaultBackground() const override { return DefaultBackground.get(); }
  float GetDefaultPageWidth() const override { return DefaultPageWidth; }
  float GetDefaultPageHeight() const override { return DefaultPageHeight; }
  void SetDefaultMarginLeft(float value);
  void SetDefaultMarginTop(float value);
  void SetDefaultMarginRight(float value);
  void SetDefaultMarginBottom(float value);
  void SetDefaultGridSize(float value);
  void SetDefaultGridColor(TColor value);
  void SetDefaultPageColor(TColor value);
  void SetDefaultBackgroundTiled(bool value);
  // Also resize every default page.
  void SetDefaultPageWidth(float value);
  void SetDefaultPageHeight(float value);

  TdocViewerModeType GetMode() const { return Mode; }
  void SetMode(TdocViewerModeType value);
  bool GetReadOnly() const { return ReadOnly; }
  void SetReadOnly(bool value);
  bool GetPaintEditBorder() const override { return PaintEditBorder; }
  // Also passed on to the text shapes already on the current page.
  void SetPaintEditBorder(bool value);
  // Stored in Options; the view creates or frees the hot zone's timer.
  void SetHotzoneScrolling(TdocHZScrollingType value);
  bool GetUseClipboard() const { return UseClipboard; }
  void SetUseClipboard(bool value);
  // The document's own clipboard, used when the desktop's is not.
  const std::string& GetPrivateClipboardText() const { return ClipboardText; }
  void SetPrivateClipboardText(std::string text) { ClipboardText = std::move(text); }
  // Text edited in place cuts, copies and pastes through the same clipboard.
  std::u16string GetClipboardText() override;
  void SetClipboardText(const std::u16string& text) override;
  TdocViewStyleType GetViewStyle() const override { return ViewStyle; }
  void SetViewStyle(TdocViewStyleType value);
  TdocHelperMethodType GetHelperMethod() const override { return HelperMethod; }
  void SetHelperMethod(TdocHelperMethodType value);
  TdocStretchFilter GetQuality() const override { return Quality; }
  void SetQuality(TdocStretchFilter value);
  TRulerUnit GetRulerUnits() const { return RulerUnits; }
  void SetRulerUnits(TRulerUnit value);
  int GetThumbnailWidth() const override { return ThumbnailWidth; }
  int GetThumbnailHeight() const override { return ThumbnailHeight; }
  void SetThumbnailWidth(int value);
  void SetThumbnailHeight(int value);
  float GetRenderResolution() const override { return RenderDpm; }
  void SetRenderResolution(float dpm);
  float GetRenderDPI() const { return RenderDpm * 25.4f; }
  void SetRenderDPI(float value) { SetRenderResolution(value / 25.4f); }
  bool GetRenderAtScreenRes() const { return RenderAtScreenRes; }
  void SetRenderAtScreenRes(bool value) { RenderAtScreenRes = value; }
  float GetPrinterDpm() const;

  // ---- painting (DocumentPaint.cpp); canvases take client pixels
  // Every selected visible shape of the current page paints its handles,
  // and the shape edited in place its own when it is not selected; nothing
  // while read-only.
  void PaintSelectionHandles(TCanvas& canvas) const;
  // The rubber band from start over offset (document mm), in HandleColor.
  void DrawRubberBand(const TFloatPoint& start, const TFloatPoint& offset);
  // The frame of the shape waiting to be inserted, from start over offset,
  // kept to the shape's aspect ratio when it preserves it.
  void DrawInsertFrame(const TFloatPoint& start, const TFloatPoint& offset);
  // The frames the selected shapes take when the hit handle is dragged by
  // offset; snap inverts the angle snapping (the Alt key).
  void DrawDragFeedback(const TFloatPoint& offset, bool snap);
  void EraseFeedback();
  const TdocDragFeedback& GetFeedback() const { return Feedback; }
  // The feedback kept by the three calls above, in XOR.
  void PaintFeedback(TCanvas& canvas) const;
  // The insert frame in client pixels.
  TRect InsertFrameRect() const;
  // Whether the handles, the feedback or the shape edited in place may draw
  // over the rendered page: without any, the page is shown as rendered.
  bool PaintsOverPage() const;
  // Printer dots per millimetre for a quality: 150, 300 or 600 dots per
  // inch; 0 for pqDevice (the printer's own) and for unknown values.
  static float PrinterDpmOf(TPrintQualityType quality);

  // ---- services for shapes and pages
  TsdStorage* GetStorage() override { return Archive.get(); }
  TsdStorage* GetResourceArchive() const override { return Archive.get(); }
  TdocFontManager& GetFontManager() { return *FontManager; }
  TdocFontManager* GetShapeFonts() override { return FontManager.get(); }
  void InvalidateShape(TdocShape* shape) override;
  void CloseShapeEdit(bool accept) override;
  std::unique_ptr<TdocHandlePainter> CreateHandlePainter(TdocShape& shape) override;
  float GetStepAngle() const override { return Options.StepAngle; }
  void UpdateScrollArea() override;
  void Repaint() override;
  // Only what is drawn over the page changed: the gesture feedback.
  void RepaintOverlay();
  bool GetShowMargins() const override { return Options.ShowMargins; }
  bool HasPaintBackground() const override { return static_cast<bool>(OnPaintBackground); }
  void DoPaintBackground(TCanvas& canvas, const TRect& pageRect) override;
  bool HasPaintForeground() const override { return static_cast<bool>(OnPaintForeground); }
  void DoPaintForeground(TCanvas& canvas, const TRect& pageRect) override;
  bool GetOptimizedPrinting() const override { return Options.OptimizedPrinting; }
  TdocDocPerformanceType GetPerformance() const override { return Options.Performance; }
  int GetProgressCount() const override { return ProgressCount; }
  int GetProgressTotal() const override { return ProgressTotal; }
  TColor GetColor() const override { return Options.Color; }
  TColor GetHandleColor() const override { return Options.HandleColor; }
  TColor GetHandleEdgeColor() const override { return Options.HandleEdgeColor; }

  // ---- events (the sender is this document)
  using TShapeEvent = std::function<void(TPersistent* sender, TdocShape* shape)>;
  using TPageEvent = std::function<void(TPersistent* sender, TdocPage* page)>;
  using TMouseEvent =
      std::function<void(TPersistent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
  using TPaintEvent = std::function<void(TPersistent* sender, TCanvas& canvas, const TRect& pageRect)>;
  using TXmlInfoEvent = std::function<void(TPersistent* sender, TXmlNode& node)>;
  using TShapeXmlInfoEvent = std::function<void(TPersistent* sender, TdocShape* shape, TXmlNode& node)>;

  TNotifyEvent OnAnimate;
  std::function<void(TPersistent* sender, TdocShape* shape, std::unique_ptr<TdocHandlePainter>& painter)>
      OnCreateHandlePainter;
  std::function<void(TPersistent* sender, const std::string& message)> OnDebugMessage;
  TNotifyEvent OnDocumentChanged;
  std::function<void(TPersistent* sender, TCanvas& canvas, TRect& rect, int quality, bool& drawn)>
      OnDrawQualityIndicator;
  TShapeEvent OnFocusShape;
  std::function<void(TPersistent* sender, TdocShape* shape, const std::string& error)> OnLoadError;
  std::function<void(TPersistent* sender, TdocShape* shape, const std::string& message)> OnEditNotice;
  std::function<void(TPersistent* sender, std::string& name)> OnLocateFilename;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TPageEvent OnPageChanged;
  TPaintEvent OnPaintBackground;
  TPaintEvent OnPaintForeground;
  std::function<void(TPersistent* sender, TdocProgressType type, int count, int total, float percent)> OnProgress;
  TNotifyEvent OnSelectionChanged;
  TShapeEvent OnShapeChanged;
  TShapeEvent OnShapeDestroy;
  TShapeEvent OnShapeEditClosed;
  TShapeEvent OnShapeEditStart;
  TShapeEvent OnShapeInsertClosed;
  TShapeEvent OnShapeInsertStart;
  TShapeXmlInfoEvent OnShapeLoadAdditionalInfo;
  TShapeXmlInfoEvent OnShapeSaveAdditionalInfo;
  TNotifyEvent OnShapeListChanged;
  TXmlInfoEvent OnLoadAdditionalInfo;
  TXmlInfoEvent OnSaveAdditionalInfo;
  TNotifyEvent OnUpdateScrollPosition;

private:
  // What the shapes' records are while a command group replays.
  enum TReplay : std::uint8_t { urNone, urUndoing, urRedoing };

  // Sets a page default; when it changed the document is changed and repainted.
  template <class T>
  void ChangeDefault(T& field, T value, void (TdocDocumentCore::*after)());
  void DefaultBackgroundChanged();
  void ResizeDefaultPages();
  void SetAllPagesModified();
  void UpdatePages();
  void BuildHitProbes();
  void TickCaret();
  // Drops every reference the editor keeps to the shape.
  void ForgetShape(TdocShape* shape);
  // Hooks the page to the view as the shown one, or unhooks the shown one.
  void ShowPage(int index);
  void RenumberPageStreams(int index);
  void LoadPageContent(TdocPage& page, TXmlDocument* xml);
  bool AllPagesLoaded() const;
  struct TArchiveContent;
  TArchiveContent ReadArchiveContent(std::unique_ptr<TsdStorage> archive) const;
  void InstallArchiveContent(TArchiveContent& content);
  void ReadDefaultBackground(TXmlNode& node);
  // False when the page kept its stream as it was (unchanged, or never read).
  bool SavePageToArchive(int index);
  void SaveThumbnailToArchive(TdocPage& page, int number);
  void MarkSaved();
  // Appends a command replayed by Undo or Redo to the list that keeps it.
  void KeepReplayed(std::vector<std::unique_ptr<TdocCommand>>& list, std::unique_ptr<TdocCommand> command);
  void TrimUndoList();
  // Moves the last group of from out, oldest first.
  std::vector<std::unique_ptr<TdocCommand>> TakeLastGroup(std::vector<std::unique_ptr<TdocCommand>>& from);
  void ReplayGroup(std::vector<std::unique_ptr<TdocCommand>>& from, TReplay mode);
  std::string ReadPasteText() const;
  void WritePasteText(const std::string& text);

  // Owned parts; the pages go first, as their resources ask for the archive.
  std::unique_ptr<TsdStorage> Archive;
  std::unique_ptr<TdocFontManager> FontManager;
  TResourcePtr<TdocBitmapResource> DefaultBackground;
  std::vector<std::unique_ptr<TdocCommand>> UndoList;
  std::vector<std::unique_ptr<TdocCommand>> RedoList;
  std::vector<std::unique_ptr<TdocPage>> Pages;
  std::unique_ptr<TdocShape> InsertShape;

  TdocDocumentView* View = nullptr;
  int CurrentPageIndex = -1;
  // The page hooked to the view: the current page once its setter ran.
  TdocPage* ShownPage = nullptr;
  TdocPage* LastCopyPage = nullptr;
  TdocShape* FocusShape = nullptr;
  std::uint8_t HitKind = 0;
  TdocShape* HitShape = nullptr;
  TdocShape* EditShape = nullptr;
  TdocShape* HintShape = nullptr;
  bool InsertByDrag = false;
  TdocEditState EditState = esIdle;
  bool Loading = false;
  bool Modified = false;
  std::uint32_t ModifiedTick = 0;
  std::int32_t UpdateCount = 0;
  bool ShapeChangePending = false;
  bool SelectionChangePending = false;
  bool FocusChangePending = false;
  std::int32_t BusyCount = 0;
  std::int32_t PrintingCount = 0;
  std::int32_t UndoLock = 0;
  bool UndoEnabledFlag = true;
  std::int32_t UndoDepth = 0;
  bool UndoGrouped = false;
  std::int64_t UndoMemory = 0;
  TReplay Replay = urNone;
  // Set once a replay has kept its first command.
  bool ReplayGrouped = false;
  TdocTextClipboard* TextClipboard = nullptr;
  std::string ClipboardText;
  std::int32_t LastShapeId = 0;
  float ScreenScale = DefaultDpm;
  float RenderDpm = DefaultDpm;
  float WindowLeft = 0.0f;
  float WindowTop = 0.0f;
  std::vector<TPoint> HitProbes;
  float HitSensitivity = 1.0f;
  int ProgressCount = 0;
  int ProgressTotal = 0;
  bool InTimerTick = false;
  std::set<const TdocPage*> PagesToUpdate;
  TdocDragFeedback Feedback;
  std::vector<std::int32_t> PostedAutoDeletes;
  bool MouseButtonHeld = false;
  std::int32_t CaretShapeId = 0;
  int CaretInterval = 0;
  std::uint32_t CaretTickCount = 0;

  TdocPageSettings PageDefaults;
  float DefaultPageWidth = 210.0f;
  float DefaultPageHeight = 297.0f;
  TdocViewerModeType Mode = vmEdit;
  bool ReadOnly = false;
  bool PaintEditBorder = true;
  bool UseClipboard = true;
  TdocViewStyleType ViewStyle = vsPrintLayout;
  TdocHelperMethodType HelperMethod = hmNone;
  TdocStretchFilter Quality = sfLinear;
  TRulerUnit RulerUnits = ruMilli;
  int ThumbnailWidth = 80;
  int ThumbnailHeight = 60;
  bool RenderAtScreenRes = false;
};
