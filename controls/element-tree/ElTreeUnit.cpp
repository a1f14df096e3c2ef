// The tree unit's start-up and shut-down and the recolouring of its glyphs.
#include "ElTreeUnit.hpp"

#include <cstdint>

#include "ElTree.hpp"
#include "Forms.hpp"
#include "WinApi.hpp"

namespace {

int startCount = 0;
HMODULE ole32 = nullptr;

// A colour as a pixel of a 32-bit DIB (0x00RRGGBB).
std::uint32_t DibPixel(TColor color) {
  const auto rgb = static_cast<std::uint32_t>(ColorToRGB(color));
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

void StartElTree() {
  if (startCount++ > 0) return;
  ole32 = LoadLibraryA("OLE32.DLL");
  const TCursor ids[3] = {crElTreeNoDrop, crElTreeMove, crElTreeCopy};
  const TCursor standard[3] = {crNoDrop, crDrag, crMultiDrag};
  for (int i = 0; i < 3; ++i) {
    HCURSOR cursor = ole32 ? LoadCursorA(ole32, MAKEINTRESOURCEA(i + 1)) : nullptr;
    if (Screen) Screen->SetCursors(ids[i], cursor ? cursor : Screen->Cursors(standard[i]));
  }
  LoadElTreeGlyphs();
  PublishTree();
}

void FinishElTree() {
  if (startCount == 0 || --startCount > 0) return;
  FreeElTreeGlyphs();
  if (ole32) FreeLibrary(ole32);
  ole32 = nullptr;
}

}  // namespace

const TUnitInfo ElTreeUnit = {"ElTree", &StartElTree, &FinishElTree};

void TElRecoloredGlyphs::Add(TBitmap* glyph) {
  if (!glyph) return;
  auto pristine = std::make_unique<TBitmap>();
  pristine->Assign(glyph);
  pristine->SetPixelFormat(pf32bit);
  glyphs_.emplace_back(glyph, std::move(pristine));
}

void TElRecoloredGlyphs::Recolor(TColor text, TColor shadow, TColor window) {
  const std::uint32_t black = DibPixel(text), grey = DibPixel(shadow), white = DibPixel(window);
  for (auto& [glyph, pristine] : glyphs_) {
    TBitmap work;
    work.Assign(pristine.get());
    work.SetPixelFormat(pf32bit);
    for (int y = 0; y < work.Height(); ++y) {
      auto* row = static_cast<std::uint32_t*>(work.ScanLine(y));
      for (int x = 0; x < work.Width(); ++x) {
        const std::uint32_t pixel = row[x] & 0xFFFFFF;
        if (pixel == 0x000000)
          row[x] = black;
        else if (pixel == 0x808080)
          row[x] = grey;
        else if (pixel == 0xFFFFFF)
          row[x] = white;
      }
    }
    work.SetPixelFormat(pfDevice);
    glyph->Assign(&work);
  }
}

void TElRecoloredGlyphs::RecolorToSystem() { Recolor(clWindowText, clBtnShadow, clWindow); }
