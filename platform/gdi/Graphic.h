#pragma once
// TGraphic: a picture that can draw itself onto a canvas (the framework's
// graphic base); TBitmap is the one kept here.

#include "platform/gdi/Canvas.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"
#include "platform/rtl/Types.h"

class TGraphic : public TPersistent {
public:
  std::string ClassName() const override { return "TGraphic"; }

  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  bool Empty() const { return GetWidth() <= 0 || GetHeight() <= 0; }
  // Draws the graphic stretched into rect.
  virtual void Draw(TCanvas& canvas, const TRect& rect) const = 0;
  // Reads the picture from the stream's position. Graphics that have no
  // file form of their own refuse with EInvalidGraphic.
  virtual void LoadFromStream(TStream& stream);
  // The graphic's binary "Data" as the framework streams a picture's graphic
  // among other properties. The default reads the file form and cannot
  // write; graphics that store themselves so override both.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream);

  // A transparent graphic leaves out its transparent colour when drawn by
  // those that honour it (a TBitmap32 assigned from it does).
  bool GetTransparent() const { return Transparent; }
  void SetTransparent(bool transparent) { Transparent = transparent; }

private:
  bool Transparent = false;
};
