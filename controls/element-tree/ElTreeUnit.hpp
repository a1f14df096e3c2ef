// The tree unit's start-up and shut-down: the drag cursors registered with
// the screen, and the glyphs shown in the system colours.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "Controls.hpp"
#include "Graphics.hpp"

// The screen cursors of a drag over a tree: a drop refused, a move, a copy
// (Ctrl held).
constexpr TCursor crElTreeNoDrop = 20001;
constexpr TCursor crElTreeMove = 20002;
constexpr TCursor crElTreeCopy = 20003;

// Bitmaps drawn in black, 0x808080 and white and shown in the system
// colours. Each keeps a pristine copy, and every recolouring starts from
// it, one pass per pixel, so a scheme that follows another (even one that
// swaps black and white) comes out right.
class TElRecoloredGlyphs {
 public:
  // Takes a glyph (not owned) and keeps a copy of it as it is now.
  void Add(TBitmap* glyph);
  void Clear() { glyphs_.clear(); }
  int Count() const { return static_cast<int>(glyphs_.size()); }
  // Pure black becomes the text colour, 0x808080 the shadow colour and pure
  // white the window colour; every other pixel is the pristine one.
  void Recolor(TColor text, TColor shadow, TColor window);
  // The same with the window-text, button-shadow and window colours.
  void RecolorToSystem();

 private:
  std::vector<std::pair<TBitmap*, std::unique_ptr<TBitmap>>> glyphs_;
};

// The unit's halves for the built-in glyphs (ElTreeGlyphs.cpp): loaded
// with their pristine copies and shown in the system colours, and freed.
void LoadElTreeGlyphs();
void FreeElTreeGlyphs();

// ElTreeUnit (declared in ElTree.hpp) starts with a count: the outermost
// start-up loads "OLE32.DLL", registers its cursors 1 to 3 as
// crElTreeNoDrop, crElTreeMove and crElTreeCopy (the screen's no-drop, drag
// and multi-drag cursors where it has none) and loads the glyphs; the last
// shut-down frees the glyphs and releases the module. Programs list it
// after FormsUnit.
