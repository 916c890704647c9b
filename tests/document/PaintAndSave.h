#pragma once
// What a user does with an opened label before it is judged: its first page
// painted at 150 dots per inch, as a preview draws it, then the page marked
// changed and the document saved, so the page is written anew.

#include <sys/resource.h>

#include <chrono>
#include <iostream>
#include <string>

#include "tests/document/ChildProcessPeak.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "imaging/bitmap/Bitmap32.h"

namespace doctest {

inline void PaintFirstPageAndSave(TdocDocumentCore& doc, const std::string& saved) {
  TdocPage& page = *doc.GetPages(0);
  const float dpm = 150 / 25.4f;
  TBitmap32 bitmap;
  bitmap.SetSize(int(page.GetDocWidth() * dpm), int(page.GetDocHeight() * dpm));
  page.RenderPageToBitmap(bitmap, 0, dpm, 0xFFFFFFFFu);
  page.SetModified(true);
  doc.SaveToFile(saved);
}

struct TTimedOutcome {
  TChildOutcome Child;
  double Seconds = 0;     // the whole child, from its start to its end
  double CpuSeconds = 0;  // the processor time the child took: what a busy machine changes least
};

// The processor time of this process's ended children, in seconds.
inline double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The label source opened, painted and saved to saved in a child process,
// which is killed after timeoutSeconds; what it took is printed under name.
inline TTimedOutcome OpenPaintAndSaveInChild(const std::string& name, const std::string& source, const std::string& saved,
                                             unsigned timeoutSeconds = 300) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuBefore = ChildrenCpuSeconds();
  TTimedOutcome outcome;
  outcome.Child = RunInChild(
      [&] {
        TdocDocumentCore doc;
        doc.LoadFromFile(source);
        PaintFirstPageAndSave(doc, saved);
      },
      timeoutSeconds);
  outcome.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.CpuSeconds = ChildrenCpuSeconds() - cpuBefore;
  std::cout << name << ": open, paint and save in " << outcome.Seconds << " s (" << outcome.CpuSeconds
            << " s of processor time), peak growth " << outcome.Child.PeakGrowthKb / 1024 << " MB\n";
  return outcome;
}

}  // namespace doctest
