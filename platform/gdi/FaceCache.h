#pragma once
// The FreeType library and the faces opened from it, one per font file and
// face index, kept open until the program ends.

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace gdi {

struct TFontFile;

FT_LibraryRec_* FreeTypeLibrary();
// Raises EInvalidOperation when the file cannot be opened as a font.
FT_FaceRec_* OpenFace(const TFontFile& file);

}  // namespace gdi
