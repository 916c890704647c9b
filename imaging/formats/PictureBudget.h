#pragma once
// How many pixels a decoded picture may have, and how many the pictures of
// one label may have together. A few bytes of a picture file can declare any
// size (a run-length BMP of 64 bytes states 16384 x 16384), so every decoder
// asks AdmitPicture with the size its header states before it reserves
// anything for the pixels.
//
// The limits are far above what a label needs: a full 300 x 300 mm sheet at
// 20 pixels per millimetre is 6000 x 6000 = 36 million pixels. One picture
// may have 64 million (8192 x 8192, 256 MB of 32-bit pixels); all pictures,
// page backgrounds and textures of a label 128 million together (512 MB),
// so a label can never take the machine whatever it declares.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/rtl/Exception.h"

// A picture or a label past its budget; the message is in the interface's
// language when the program gave a wording (SetPictureRefusalWording).
RTL_DECLARE_EXCEPTION(EPictureTooLarge, EInvalidGraphic);

namespace imaging {

constexpr std::int64_t MaxPicturePixels = std::int64_t{64} << 20;
constexpr std::int64_t MaxLabelPixels = std::int64_t{128} << 20;

enum class TPictureRefusal { Picture, Label };

// The message of a refusal: a picture of width x height pixels that is past
// the budget of its kind (limit pixels); empty for the English one.
using TPictureRefusalWording =
    std::function<std::string(TPictureRefusal kind, std::int64_t width, std::int64_t height, std::int64_t limit)>;
// Replaces the English wording; an empty function restores it.
void SetPictureRefusalWording(TPictureRefusalWording wording);
std::string PictureRefusalText(TPictureRefusal kind, std::int64_t width, std::int64_t height, std::int64_t limit);

// The pixels the decoded pictures of one label take together; shared by the
// label's resources, which charge it from any thread.
class TPixelBudget {
public:
  explicit TPixelBudget(std::int64_t limit = MaxLabelPixels) : Limit(limit) {}

  // Moves a charge of `from` pixels to `to` (width x height). Raises
  // EPictureTooLarge, and charges nothing, when the growth would take the
  // total past the limit.
  void Recharge(std::int64_t from, std::int64_t width, std::int64_t height);
  std::int64_t Used() const;

private:
  mutable std::mutex Mutex;
  std::int64_t Limit;
  std::int64_t Total = 0;
};

// Called by every decoder with the size its header states, before the
// pixels take any memory: raises EPictureTooLarge past MaxPicturePixels (or
// for a negative side), then tells the admission of the calling thread, if
// any, which may raise too.
void AdmitPicture(std::int64_t width, std::int64_t height);

// While it lives, pictures decoded on this thread are told to admit(width,
// height) after the per-picture check; nested admissions hide outer ones.
class TPictureAdmission {
public:
  explicit TPictureAdmission(std::function<void(std::int64_t, std::int64_t)> admit);
  ~TPictureAdmission();
  TPictureAdmission(const TPictureAdmission&) = delete;
  TPictureAdmission& operator=(const TPictureAdmission&) = delete;

private:
  std::function<void(std::int64_t, std::int64_t)> Admit;
  TPictureAdmission* Outer;
  friend void AdmitPicture(std::int64_t, std::int64_t);
};

}  // namespace imaging
