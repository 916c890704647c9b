#pragma once
// The printer service: the installed printers (the CUPS queues, then a
// printer that writes a PDF file), the selected printer's device measures,
// and one print job at a time drawn as 32-bit images in device pixels.
//
// Pages are painted full-page: device pixel (0, 0) is the sheet's top-left
// corner, so the physical offsets are 0 and the page size is the sheet size.
// A job for a CUPS queue is written to a private PDF file and handed to the
// queue only when it ends, so an aborted job prints nothing.

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Types.h"

RTL_DECLARE_EXCEPTION(EPrinter, Exception);

class QImage;
class QPainter;
class QPrinter;
class QTemporaryDir;

// Pixels handed to the printer once for a whole job (alpha bytes ignored):
// every copy drawn from one picture shares them, so a PDF holds them once
// however many cells and sheets show them. A copy of the surface's pixels.
class TPrintPicture {
public:
  explicit TPrintPicture(const TPixelSurface& image);
  ~TPrintPicture();
  TPrintPicture(const TPrintPicture&) = delete;
  TPrintPicture& operator=(const TPrintPicture&) = delete;

  int GetWidth() const;
  int GetHeight() const;

private:
  friend class TPrinter;
  std::unique_ptr<QImage> Image;
};

class TPrinter {
public:
  // The name of the printer that writes a PDF file. A CUPS queue name cannot
  // contain a blank, so no queue can take it.
  static constexpr const char* PdfPrinterName = "PDF file";
  // The PDF printer's resolution in dots per inch unless a job asks for
  // another one.
  static constexpr int PdfResolution = 300;
  // The largest forced paper side in millimetres.
  static constexpr double MaxPaperSideMm = 3276.0;

  // Reads the installed queues; the default printer is selected. Main thread,
  // once the application object exists.
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Printer names in the platform's order; the PDF printer is the last.
  const std::vector<std::string>& GetPrinters() const { return Printers; }
  // The selected printer's index (never -1: the default printer's index when
  // the default is selected).
  int GetPrinterIndex() const { return PrinterIndex; }
  // -1 selects the default printer (the system's default queue, else the PDF
  // printer). A new selection drops a forced paper size. Raises EPrinter
  // for other indexes outside the list and while printing.
  void SetPrinterIndex(int index);
  // Selects the last printer with exactly this name, or the default printer
  // when none has it.
  void SelectPrinterByName(const std::string& name);
  const std::string& GetPrinterName() const { return Printers[static_cast<std::size_t>(PrinterIndex)]; }
  bool IsPdfPrinter() const;

  // The file the PDF printer writes (UTF-8 path).
  void SetOutputFileName(const std::string& fileName) { OutputFileName = fileName; }
  const std::string& GetOutputFileName() const { return OutputFileName; }

  // Forces a user-defined paper size on the selected printer, in millimetres
  // as given (sides above MaxPaperSideMm are cut to it). Raises EPrinter for
  // sides that are not finite or below 1 mm, and while printing.
  void SetPaperSizeMm(double widthMm, double heightMm);

  // Device measures of the selected printer, in device pixels.
  int GetPageWidth() const;
  int GetPageHeight() const;
  int GetPhysicalWidth() const;
  int GetPhysicalHeight() const;
  int GetPhysicalOffsetX() const;
  int GetPhysicalOffsetY() const;
  // Dots per inch, the same across and down.
  int GetResolution() const;
  // The dot grid of the jobs to come, in dots per inch, for the PDF printer
  // and for the PDF a queue receives alike: pictures rendered at this
  // resolution and drawn at their own size land one pixel on one dot.
  // 0 gives back the printer's own resolution. Raises EPrinter for negative
  // values and while printing.
  void SetJobResolution(int dotsPerInch);
  // The whole sheet in device pixels, its origin moved to the printable
  // area's.
  TRect GetPaperRect() const;

  // The job's title, shown by the print queue.
  std::string Title;

  // A job: BeginDoc, pages separated by NewPage, then EndDoc or Abort.
  // Raises EPrinter when a job is already running, when the printer cannot
  // be opened or the PDF printer has no output file.
  void BeginDoc();
  void NewPage();
  // Finishes the document; a CUPS job is handed to its queue. Raises
  // EPrinter when the queue refuses it.
  void EndDoc();
  // Ends the job without printing: the PDF printer's file is removed and
  // nothing reaches a queue.
  void Abort();
  bool GetPrinting() const { return Painter != nullptr; }
  bool GetAborted() const { return Aborted; }

  // Copies the image's pixels (alpha bytes ignored) onto the page into Dest
  // (device pixels): one pixel on one dot at the image's own size,
  // stretched smoothly otherwise.
  void DrawImage(const TPixelSurface& image, const TRect& dest);
  // The picture at its own size with its top-left corner on each origin
  // (device pixels): one pixel on one dot, never resampled. Every picture
  // is stored losslessly.
  void DrawPicture(const TPrintPicture& picture, std::span<const TPoint> origins);

private:
  void ConfigureDevice();
  void RequirePrinting() const;
  void RequireIdle() const;
  void SubmitToQueue();
  void FinishJob();

  std::vector<std::string> Printers;
  int DefaultIndex = 0;
  int PrinterIndex = 0;
  std::string OutputFileName;
  bool PaperForced = false;
  double PaperWidthMm = 0;
  double PaperHeightMm = 0;
  int JobResolution = 0;
  bool Aborted = false;
  std::unique_ptr<QPrinter> Device;
  std::unique_ptr<QPainter> Painter;
  std::unique_ptr<QTemporaryDir> SpoolDir;
};

// Brackets one print job: BeginDoc on construction, Abort on destruction
// unless End ran, so an exception while pages are drawn prints nothing.
class TPrintJob {
public:
  explicit TPrintJob(TPrinter& printer) : Printer(printer) { Printer.BeginDoc(); }
  ~TPrintJob() {
    if (Printer.GetPrinting()) Printer.Abort();
  }
  TPrintJob(const TPrintJob&) = delete;
  TPrintJob& operator=(const TPrintJob&) = delete;

  void End() { Printer.EndDoc(); }

private:
  TPrinter& Printer;
};
