#pragma once
// Where a bitmap's pixels live. A backend holds one buffer of
// Width x Height pixels, top row first, no padding, and tells its owner
// before and after the buffer changes.

#include <cstdint>

#include "imaging/bitmap/Color32.h"
#include "imaging/core/ThreadPersistent.h"

class TCustomBitmap32;

class TCustomBackend : public TThreadPersistent {
public:
  explicit TCustomBackend(TCustomBitmap32& owner) : Owner(&owner) {}
  ~TCustomBackend() override = default;

  std::string ClassName() const override { return "TCustomBackend"; }

  TColor32* GetBits() const { return Bits; }
  TCustomBitmap32& GetOwner() const { return *Owner; }
  bool Empty() const { return Bits == nullptr; }

  // Replaces the surface by one of the new size (none when either is 0) and
  // stores the new size in width and height. On failure the backend is
  // left empty with the size 0 x 0, and the error passes on.
  void ChangeSize(std::int32_t& width, std::int32_t& height, std::int32_t newWidth, std::int32_t newHeight,
                  bool clearBuffer);
  // Makes a surface of the given size holding a copy of the given pixels
  // (the handover when a bitmap changes its backend).
  void TakeOver(const TColor32* pixels, std::int32_t width, std::int32_t height);

protected:
  virtual void InitializeSurface(std::int32_t width, std::int32_t height, bool clearBuffer) = 0;
  virtual void FinalizeSurface() = 0;

  // Before and after notifications to the owner.
  void Changing();
  void Changed() override;

  TColor32* Bits = nullptr;

private:
  TCustomBitmap32* Owner;
};
