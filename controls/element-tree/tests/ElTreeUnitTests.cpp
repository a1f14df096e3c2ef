// The tree unit: its drag cursors, and glyphs recoloured from their pristine
// copies under one colour scheme after another.
#include <gtest/gtest.h>

#include "ElTreeUnit.hpp"
#include "Forms.hpp"
#include "WinApi.hpp"

namespace {

// A 10 x 10 glyph of the three recoloured colours and one that stays.
constexpr TColor kOther = 0x3366CC;
TColor PristineAt(int x, int y) {
  const TColor palette[4] = {0x000000, 0x808080, 0xFFFFFF, kOther};
  return palette[(x + 3 * y) % 4];
}

std::unique_ptr<TBitmap> KnownGlyph() {
  auto glyph = std::make_unique<TBitmap>();
  glyph->SetPixelFormat(pf24bit);
  glyph->SetSize(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) glyph->Canvas()->SetPixels(x, y, PristineAt(x, y));
  return glyph;
}

TEST(ElTreeUnit, GlyphsComeFromTheirPristineCopiesUnderEachScheme) {
  auto plus = KnownGlyph();
  auto leaf = KnownGlyph();
  TElRecoloredGlyphs glyphs;
  glyphs.Add(plus.get());
  glyphs.Add(leaf.get());
  struct Scheme {
    TColor text, shadow, window;
  };
  // The second scheme swaps black and white: a recolouring of the first
  // one's result would turn both into the same colour.
  const Scheme schemes[] = {{0x0000FF, 0x00FF00, 0xFF0000}, {0xFFFFFF, 0x404040, 0x000000}};
  for (const Scheme& s : schemes) {
    glyphs.Recolor(s.text, s.shadow, s.window);
    for (TBitmap* glyph : {plus.get(), leaf.get()}) {
      ASSERT_EQ(glyph->Width(), 10);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
          const TColor pristine = PristineAt(x, y);
          const TColor expected =
              pristine == 0x000000 ? s.text : pristine == 0x808080 ? s.shadow : pristine == 0xFFFFFF ? s.window : kOther;
          ASSERT_EQ(static_cast<TColor>(GetPixel(glyph->Canvas()->Handle(), x, y)), expected)
              << "pixel " << x << ", " << y << " under text colour " << std::hex << s.text;
        }
    }
  }
  // The system scheme takes the window-text, shadow and window colours.
  glyphs.RecolorToSystem();
  EXPECT_EQ(static_cast<TColor>(GetPixel(plus->Canvas()->Handle(), 0, 0)), ColorToRGB(clWindowText));
  EXPECT_EQ(static_cast<TColor>(GetPixel(plus->Canvas()->Handle(), 1, 0)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(static_cast<TColor>(GetPixel(plus->Canvas()->Handle(), 2, 0)), ColorToRGB(clWindow));
}

// The test program starts the unit with the others.
TEST(ElTreeUnit, DragCursorsComeFromOle32) {
  HMODULE ole32 = GetModuleHandleA("OLE32.DLL");
  ASSERT_NE(ole32, nullptr);
  const TCursor ids[3] = {crElTreeNoDrop, crElTreeMove, crElTreeCopy};
  for (int i = 0; i < 3; ++i) {
    HCURSOR expected = LoadCursorA(ole32, MAKEINTRESOURCEA(i + 1));
    ASSERT_NE(expected, nullptr) << "the cursor group " << i + 1 << " of ole32";
    EXPECT_EQ(Screen->Cursors(ids[i]), expected);
  }
  EXPECT_NE(Screen->Cursors(crElTreeNoDrop), Screen->Cursors(crElTreeCopy));
}

}  // namespace
