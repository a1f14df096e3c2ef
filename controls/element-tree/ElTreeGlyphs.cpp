// The tree unit's start-up: the built-in expand, collapse and leaf buttons,
// drawn in black, 0x808080 and white and shown in the system's colours.
#include <memory>

#include "ElTree.hpp"

namespace {

struct TBuiltInGlyphs {
  TBitmap* Plus = nullptr;
  TBitmap* Minus = nullptr;
  TBitmap* Leaf = nullptr;
} g_glyphs;

const char* const kGlyphResources[] = {"PLUSBMP", "MINUSBMP", "LEAFBMP"};

TBitmap** GlyphSlot(int index) {
  TBitmap** slots[] = {&g_glyphs.Plus, &g_glyphs.Minus, &g_glyphs.Leaf};
  return slots[index];
}

// Swaps the three drawing colours for the system's: window text, button
// shadow and window. Worked at 32 bits per pixel, then back to the device
// format.
void Recolour(TBitmap* bitmap) {
  bitmap->SetPixelFormat(pf32bit);
  const COLORREF text = static_cast<COLORREF>(ColorToRGB(clWindowText));
  const COLORREF shadow = static_cast<COLORREF>(ColorToRGB(clBtnShadow));
  const COLORREF window = static_cast<COLORREF>(ColorToRGB(clWindow));
  // DIB pixels are blue, green, red, unused; COLORREF is red in the low byte.
  auto dib = [](COLORREF c) -> std::uint32_t {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  };
  for (int y = 0; y < bitmap->Height(); ++y) {
    auto* row = static_cast<std::uint32_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < bitmap->Width(); ++x) {
      const std::uint32_t p = row[x] & 0xFFFFFF;
      if (p == 0x000000)
        row[x] = dib(text);
      else if (p == 0x808080)
        row[x] = dib(shadow);
      else if (p == 0xFFFFFF)
        row[x] = dib(window);
    }
  }
  bitmap->SetPixelFormat(pfDevice);
}

void LoadGlyphs() {
  for (int i = 0; i < 3; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), kGlyphResources[i]);
    Recolour(bitmap.get());
    delete *GlyphSlot(i);
    *GlyphSlot(i) = bitmap.release();
  }
}

void FreeGlyphs() {
  for (int i = 0; i < 3; ++i) FreeAndNil(*GlyphSlot(i));
}

}  // namespace

TBitmap* ElTreeBuiltInGlyph(TElTreeGlyph glyph) {
  switch (glyph) {
    case TElTreeGlyph::Plus: return g_glyphs.Plus;
    case TElTreeGlyph::Minus: return g_glyphs.Minus;
    case TElTreeGlyph::Leaf: return g_glyphs.Leaf;
  }
  return nullptr;
}

void RecolourElTreeGlyphs() {
  // From the resources again: the colours of the last recolouring are not
  // the drawing colours any more.
  if (g_glyphs.Plus) LoadGlyphs();
}

namespace {

void StartElTree() {
  LoadGlyphs();
  PublishTree();
}

}  // namespace

const TUnitInfo ElTreeUnit = {"ElTree", &StartElTree, &FreeGlyphs};
