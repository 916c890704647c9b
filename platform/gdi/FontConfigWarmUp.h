#pragma once
// Fontconfig reads its configuration files and font caches once per process,
// on the first text anybody measures or draws: a few milliseconds the first
// window would wait for. TFontConfigWarmUp does that reading on a thread of
// its own while the program builds its registries and its application
// object; AwaitFontConfigWarmUp, called before the first text, waits for the
// rest of it instead of reading everything a second time beside it.

#include <thread>

namespace gdi {

class TFontConfigWarmUp {
public:
  // Starts the reading; one warm-up at a time.
  TFontConfigWarmUp();
  // Waits for the reading when nobody did.
  ~TFontConfigWarmUp();
  TFontConfigWarmUp(const TFontConfigWarmUp&) = delete;
  TFontConfigWarmUp& operator=(const TFontConfigWarmUp&) = delete;

private:
  friend void AwaitFontConfigWarmUp();
  void Await();

  std::thread Reader;
};

// Returns once the warm-up running, if any, has read the configuration;
// without one it returns at once. Main thread.
void AwaitFontConfigWarmUp();

}  // namespace gdi
