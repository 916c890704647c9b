#pragma once
// The framework's picture: a holder of one graphic of any class, and the
// registry of graphic classes: which graphic class reads pictures of a file
// extension, with a description for the picture dialogs. Classes are
// registered from start-up functions, never from static initialisers.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Graphic.h"

// A graphic class: its name and virtual constructor (one record per class,
// compared by address).
struct TGraphicClass {
  const char* ClassName;
  std::unique_ptr<TGraphic> (*Create)();
};

struct TGraphicFileFormat {
  std::string Extension;  // as registered, without its dot ("jpg")
  std::string Description;
  const TGraphicClass* GraphicClass = nullptr;
};

// Graphic classes by extension. Extensions are compared whole and without
// regard to case; a leading dot is ignored.
class TGraphicFormatList {
public:
  // An extension registered before, in any case, passes to the new class.
  void Register(std::string_view extension, std::string description, const TGraphicClass& graphicClass);
  // Null when no class is registered for the extension.
  const TGraphicClass* Find(std::string_view extension) const;
  const std::vector<TGraphicFileFormat>& Formats() const { return Entries; }

private:
  std::vector<TGraphicFileFormat> Entries;
};

class TBitmap;

// A picture holds a graphic (or nothing); the registry is the program's one,
// kept by the class.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  std::string ClassName() const override { return "TPicture"; }

  // The graphic held; null when the picture is empty.
  TGraphic* GetGraphic() const { return Graphic.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic) { Graphic = std::move(graphic); }
  // The bitmap held. A picture that holds another graphic, or none, first
  // gets a new empty bitmap in its place.
  TBitmap& GetBitmap();


  static void RegisterFileFormat(std::string_view extension, std::string description,
                                 const TGraphicClass& graphicClass);
  // Raises EInvalidGraphic "Unknown picture file extension "%s"" when no
  // class is registered for the extension.
  static const TGraphicClass& FindGraphicClass(std::string_view extension);
  static const TGraphicFormatList& FileFormats() { return Registry(); }

private:
  static TGraphicFormatList& Registry();

  std::unique_ptr<TGraphic> Graphic;
};
