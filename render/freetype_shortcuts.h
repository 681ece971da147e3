// Two FreeType calls that Qt's PDF writer makes in bulk, made cheap for the whole process.
//
// When a PDF document ends, Qt embeds each font it used: it maps every one of the 65,536
// BMP characters through the font's character map (FT_Get_Char_Index) to find which
// characters its glyphs stand for, and loads each glyph used as an outline at one pixel per
// design unit, grid-fitted (FT_Load_Glyph runs the glyph's hinting program). For a report of
// a few pages that was most of a conversion's CPU time, paid again for every document.
//
// This file's definitions of the two functions take the place of FreeType's in the process
// (the dynamic linker binds Qt's calls to the first definition it finds) and call FreeType's
// own:
// - FT_Get_Char_Index keeps its answers for BMP characters per face and character map, in
//   the face's client slot (FT_Face::generic), freed with the face: the table is filled
//   from the character map at the face's first lookup. A worker's fonts live across
//   documents (FontCache), so FreeType is asked once per face.
// - FT_Load_Glyph of an outline at the face's design size (Qt's "unscaled" glyph) loads it
//   without grid fitting: at one pixel per design unit hinting changes nothing that matters,
//   and the outline embedded is the design's.
// Every other call goes to FreeType unchanged.
#pragma once

#include <cstdint>

typedef struct FT_FaceRec_* FT_Face;

namespace qrp::render::freetype {

// FreeType's own FT_Get_Char_Index, for comparison.
unsigned RealCharIndex(FT_Face face, unsigned long charcode);
// Whether face's character lookups are being kept.
bool CharIndexesKept(FT_Face face);
// Lookups this thread's FT_Get_Char_Index calls passed on to FreeType: single characters,
// and character maps read whole into a face's table (one each).
uint64_t CharIndexesAsked();

}  // namespace qrp::render::freetype
