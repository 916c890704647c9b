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
// so a label can never take the machine whatever it declares. A label keeps
// its pictures as their files' bytes: together at most four bytes for each
// pixel of its budget, what uncompressed 32-bit BMP files take, so that the
// label's file stays within what opening it accepts.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/rtl/Exception.h"

// A picture or a label past its budget; the message is in the interface's
// language when the program gave a wording (SetPictureRefusalWording).
RTL_DECLARE_EXCEPTION(EPictureTooLarge, EInvalidGraphic);

namespace imaging {

constexpr std::int64_t MaxPicturePixels = std::int64_t{64} << 20;
constexpr std::int64_t MaxLabelPixels = std::int64_t{128} << 20;
constexpr std::int64_t MaxLabelPictureBytes = 4 * MaxLabelPixels;

// Past a picture's pixels, the label's pixels, the label's picture bytes.
enum class TPictureRefusal { Picture, Label, LabelBytes };

// The message of a refusal: a picture of width x height pixels that is past
// the budget of its kind (limit pixels); empty for the English one.
using TPictureRefusalWording =
    std::function<std::string(TPictureRefusal kind, std::int64_t width, std::int64_t height, std::int64_t limit)>;
// Replaces the English wording; an empty function restores it.
void SetPictureRefusalWording(TPictureRefusalWording wording);
std::string PictureRefusalText(TPictureRefusal kind, std::int64_t width, std::int64_t height, std::int64_t limit);

// The pictures one label holds, shared by the label's resources, which
// charge it from any thread. A picture is counted once however many
// resources hold it: its holders name it by one object that stands for its
// bytes. A held picture stays counted while its resource keeps it, decoded
// or not, so that what a label shows it shows again after reopening.
class TPixelBudget {
public:
  explicit TPixelBudget(std::int64_t pixelLimit = MaxLabelPixels, std::int64_t byteLimit = MaxLabelPictureBytes)
      : PixelLimit(pixelLimit), ByteLimit(byteLimit) {}

  // The holder now holds the picture `picture` stands for, of width x height
  // pixels and bytes bytes, in place of what it held before. Raises
  // EPictureTooLarge, and changes nothing, when a picture no other holder
  // holds would take the label past its pixels or its bytes.
  void Hold(const void* holder, std::shared_ptr<const void> picture, std::int64_t width, std::int64_t height,
            std::int64_t bytes);
  // The holder holds nothing any more.
  void Release(const void* holder);
  std::int64_t Used() const;
  std::int64_t UsedBytes() const;

private:
  struct THeldPicture {
    std::shared_ptr<const void> Picture;
    std::int64_t Pixels;
    std::int64_t Bytes;
    int Holders;
  };
  void ReleaseLocked(const void* holder);

  mutable std::mutex Mutex;
  std::int64_t PixelLimit;
  std::int64_t ByteLimit;
  std::int64_t Pixels = 0;
  std::int64_t Bytes = 0;
  std::map<const void*, THeldPicture> Pictures;
  std::map<const void*, const void*> PictureOfHolder;
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
