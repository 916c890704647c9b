#pragma once
// Pixels in plain heap memory; a new surface may be cleared to opaque black.

#include <memory>

#include "imaging/bitmap/Backend.h"

class TMemoryBackend : public TCustomBackend {
public:
  using TCustomBackend::TCustomBackend;
  ~TMemoryBackend() override;

  std::string ClassName() const override { return "TMemoryBackend"; }

protected:
  void InitializeSurface(std::int32_t width, std::int32_t height, bool clearBuffer) override;
  void FinalizeSurface() override;

private:
  std::unique_ptr<TColor32[]> Storage;
};
