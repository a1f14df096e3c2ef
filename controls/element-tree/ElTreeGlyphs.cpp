// The tree's built-in expand, collapse and leaf buttons, drawn in black,
// 0x808080 and white and shown in the system's colours, each recolouring
// starting from the copies kept as the resources drew them.
#include <memory>

#include "ElTree.hpp"
#include "ElTreeUnit.hpp"

namespace {

struct TBuiltInGlyphs {
  TBitmap* Plus = nullptr;
  TBitmap* Minus = nullptr;
  TBitmap* Leaf = nullptr;
} g_glyphs;

TElRecoloredGlyphs& Recoloured() {
  static TElRecoloredGlyphs glyphs;
  return glyphs;
}

const char* const kGlyphResources[] = {"PLUSBMP", "MINUSBMP", "LEAFBMP"};

TBitmap** GlyphSlot(int index) {
  TBitmap** slots[] = {&g_glyphs.Plus, &g_glyphs.Minus, &g_glyphs.Leaf};
  return slots[index];
}

}  // namespace

void LoadElTreeGlyphs() {
  FreeElTreeGlyphs();
  for (int i = 0; i < 3; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), kGlyphResources[i]);
    *GlyphSlot(i) = bitmap.release();
    Recoloured().Add(*GlyphSlot(i));
  }
  Recoloured().RecolorToSystem();
}

void FreeElTreeGlyphs() {
  Recoloured().Clear();
  for (int i = 0; i < 3; ++i) FreeAndNil(*GlyphSlot(i));
}

TBitmap* ElTreeBuiltInGlyph(TElTreeGlyph glyph) {
  switch (glyph) {
    case TElTreeGlyph::Plus: return g_glyphs.Plus;
    case TElTreeGlyph::Minus: return g_glyphs.Minus;
    case TElTreeGlyph::Leaf: return g_glyphs.Leaf;
  }
  return nullptr;
}

void RecolourElTreeGlyphs() { Recoloured().RecolorToSystem(); }
