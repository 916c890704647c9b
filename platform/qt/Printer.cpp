#include "platform/qt/Printer.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/qt/Image.h"
#include "platform/rtl/Format.h"

namespace {

constexpr int QueueSubmitTimeoutMs = 60000;
constexpr double MinPaperSideMm = 1.0;
constexpr double EdgeInsetDots = 1.0 / 64;

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

double CheckedPaperSide(double mm) {
  if (!std::isfinite(mm) || mm < MinPaperSideMm) throw EPrinter(rtl::Format("Invalid paper size %g mm", mm));
  return std::min(mm, TPrinter::MaxPaperSideMm);
}

QRectF PaperRect(const QPrinter& device) { return device.paperRect(QPrinter::DevicePixel); }

int Rounded(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

TPrinter::TPrinter() {
  const QString defaultName = QPrinterInfo::defaultPrinterName();
  for (const QString& name : QPrinterInfo::availablePrinterNames()) {
    if (name == defaultName) DefaultIndex = static_cast<int>(Printers.size());
    Printers.push_back(name.toStdString());
  }
  if (defaultName.isEmpty()) DefaultIndex = static_cast<int>(Printers.size());
  Printers.emplace_back(PdfPrinterName);
  SetPrinterIndex(-1);
}

TPrinter::~TPrinter() {
  if (GetPrinting()) Abort();
}

void TPrinter::SetPrinterIndex(int index) {
  RequireIdle();
  if (index == -1) index = DefaultIndex;
  if (index < 0 || index >= static_cast<int>(Printers.size())) throw EPrinter("Printer index out of range");
  PrinterIndex = index;
  PaperForced = false;
  ConfigureDevice();
}

void TPrinter::SelectPrinterByName(const std::string& name) {
  int index = -1;
  for (std::size_t i = 0; i < Printers.size(); ++i)
    if (Printers[i] == name) index = static_cast<int>(i);
  SetPrinterIndex(index);
}

bool TPrinter::IsPdfPrinter() const { return PrinterIndex == static_cast<int>(Printers.size()) - 1; }

void TPrinter::SetJobResolution(int dotsPerInch) {
  RequireIdle();
  if (dotsPerInch < 0) throw EPrinter(rtl::Format("Invalid resolution %d dpi", dotsPerInch));
  if (dotsPerInch == JobResolution) return;
  JobResolution = dotsPerInch;
  ConfigureDevice();
}

void TPrinter::SetPaperSizeMm(double widthMm, double heightMm) {
  RequireIdle();
  PaperWidthMm = CheckedPaperSide(widthMm);
  PaperHeightMm = CheckedPaperSide(heightMm);
  PaperForced = true;
  ConfigureDevice();
}

// Every job is written as PDF: to the user's file for the PDF printer, to a
// private spool file for a queue, laid out with the queue's own paper and
// resolution.
void TPrinter::ConfigureDevice() {
  auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (IsPdfPrinter()) {
    device->setOutputFormat(QPrinter::PdfFormat);
    device->setResolution(PdfResolution);
  } else {
    device->setPrinterName(ToQString(GetPrinterName()));
    const QPageLayout layout = device->pageLayout();
    const int resolution = device->resolution();
    device->setOutputFormat(QPrinter::PdfFormat);
    device->setPageLayout(layout);
    device->setResolution(resolution);
  }
  if (JobResolution > 0) device->setResolution(JobResolution);
  if (PaperForced) {
    const QPageSize size(QSizeF(PaperWidthMm, PaperHeightMm), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    device->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
  }
  device->setFullPage(true);
  Device = std::move(device);
}

int TPrinter::GetPageWidth() const { return Device->width(); }
int TPrinter::GetPageHeight() const { return Device->height(); }
int TPrinter::GetPhysicalWidth() const { return Rounded(PaperRect(*Device).width()); }
int TPrinter::GetPhysicalHeight() const { return Rounded(PaperRect(*Device).height()); }
int TPrinter::GetPhysicalOffsetX() const { return Rounded(-PaperRect(*Device).left()); }
int TPrinter::GetPhysicalOffsetY() const { return Rounded(-PaperRect(*Device).top()); }
int TPrinter::GetResolution() const { return Device->resolution(); }

TRect TPrinter::GetPaperRect() const {
  return {-GetPhysicalOffsetX(), -GetPhysicalOffsetY(), GetPhysicalWidth() - GetPhysicalOffsetX(),
          GetPhysicalHeight() - GetPhysicalOffsetY()};
}

void TPrinter::RequirePrinting() const {
  if (!GetPrinting()) throw EPrinter("Printer is not currently printing");
}

void TPrinter::RequireIdle() const {
  if (GetPrinting()) throw EPrinter("Printing in progress");
}

void TPrinter::BeginDoc() {
  RequireIdle();
  Aborted = false;
  if (IsPdfPrinter()) {
    if (OutputFileName.empty()) throw EPrinter("No output file for the PDF printer");
    Device->setOutputFileName(ToQString(OutputFileName));
  } else {
    SpoolDir = std::make_unique<QTemporaryDir>();
    if (!SpoolDir->isValid()) throw EPrinter("Cannot create the print spool folder");
    Device->setOutputFileName(SpoolDir->filePath(QStringLiteral("job.pdf")));
  }
  Device->setDocName(ToQString(Title));
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(Device.get())) {
    SpoolDir.reset();
    throw EPrinter(rtl::Format("Cannot print on \"%s\"", GetPrinterName()));
  }
  // Barcodes need every pixel as it was rendered: no JPEG in the PDF.
  painter->setRenderHint(QPainter::LosslessImageRendering);
  Painter = std::move(painter);
}

void TPrinter::NewPage() {
  RequirePrinting();
  if (!Device->newPage()) throw EPrinter("Cannot begin a new page");
}

void TPrinter::FinishJob() {
  Painter->end();
  Painter.reset();
}

void TPrinter::EndDoc() {
  RequirePrinting();
  FinishJob();
  if (IsPdfPrinter()) return;
  const std::unique_ptr<QTemporaryDir> spool = std::move(SpoolDir);
  SubmitToQueue();
}

void TPrinter::Abort() {
  if (!GetPrinting()) return;
  FinishJob();
  Aborted = true;
  if (IsPdfPrinter()) QFile::remove(ToQString(OutputFileName));
  SpoolDir.reset();
}

// The queue gets the finished PDF; a forced paper size travels as the
// queue's custom page size so the driver keeps it instead of its default.
void TPrinter::SubmitToQueue() {
  QStringList arguments{QStringLiteral("-d"), ToQString(GetPrinterName())};
  if (!Title.empty()) arguments << QStringLiteral("-t") << ToQString(Title);
  if (PaperForced) {
    arguments << QStringLiteral("-o")
              << QStringLiteral("PageSize=Custom.%1x%2mm")
                     .arg(QString::number(PaperWidthMm, 'f', 2), QString::number(PaperHeightMm, 'f', 2));
  }
  arguments << QStringLiteral("--") << Device->outputFileName();
  QProcess lp;
  lp.start(QStringLiteral("lp"), arguments);
  const bool finished = lp.waitForFinished(QueueSubmitTimeoutMs);
  if (!finished || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0)
    throw EPrinter(rtl::Format("The print queue \"%s\" refused the job", GetPrinterName()));
}

TPrintPicture::TPrintPicture(const TPixelSurface& image)
    : Image(std::make_unique<QImage>(WrapOpaque(image).copy())) {}

TPrintPicture::~TPrintPicture() = default;

int TPrintPicture::GetWidth() const { return Image->width(); }
int TPrintPicture::GetHeight() const { return Image->height(); }

void TPrinter::DrawImage(const TPixelSurface& image, const TRect& dest) {
  RequirePrinting();
  if (image.IsEmpty() || dest.IsEmpty()) return;
  const QImage pixels = WrapOpaque(image);
  const QRect target(dest.Left, dest.Top, static_cast<int>(dest.Width()), static_cast<int>(dest.Height()));
  // The hint also asks the viewer to smooth; a picture at its own size
  // must keep its hard edges.
  Painter->setRenderHint(QPainter::SmoothPixmapTransform, target.size() != pixels.size());
  Painter->drawImage(target, pixels);
}

void TPrinter::DrawPicture(const TPrintPicture& picture, std::span<const TPoint> origins) {
  RequirePrinting();
  if (picture.Image->isNull()) return;
  Painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  // Edges exactly on dot boundaries reach, after the PDF's scaling to
  // points and a rasteriser's own back, one dot further by rounding error,
  // and the picture is then stretched by a dot: a hair inside, each pixel
  // stays on its dot.
  const double width = picture.Image->width() - 2 * EdgeInsetDots;
  const double height = picture.Image->height() - 2 * EdgeInsetDots;
  for (const TPoint& origin : origins)
    Painter->drawImage(QRectF(origin.X + EdgeInsetDots, origin.Y + EdgeInsetDots, width, height), *picture.Image);
}
