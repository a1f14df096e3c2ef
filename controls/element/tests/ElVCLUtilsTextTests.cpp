// UTF-16 text where the system has no wide text calls (Windows 9x, whose
// exports of them are stubs that fail): the library's own DrawText against
// the platform's DrawTextExW, the ANSI paths for fonts and metrics, and the
// label, the hint, the renderer and the edit run with the wide entry points
// missing. Wine has every wide call even when it plays Windows 98, so the
// tests take them away through the library's table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElDrawTestSupport.hpp"
#include "ElEdits.hpp"
#include "ElHTMLLbl.hpp"
#include "ElHintWindow.hpp"
#include "ElVCLUtils.hpp"
#include "ElWindowTestSupport.hpp"
#include "HTMLRender.hpp"

using namespace eltest;

namespace {

// The wide entry points taken away for the scope, as on Windows 9x.
class WithoutWideCalls {
 public:
  WithoutWideCalls() { ElWideTextApi() = TElWideTextApi(); }
  ~WithoutWideCalls() { ElWideTextApi() = saved_; }
  WithoutWideCalls(const WithoutWideCalls&) = delete;
  WithoutWideCalls& operator=(const WithoutWideCalls&) = delete;

 private:
  TElWideTextApi saved_ = ElWideTextApi();
};

// A white surface with a 13-pixel Tahoma selected and black text.
class TextSurface {
 public:
  TextSurface(int width, int height) : bitmap_(MakeSurface(width, height, clWhite)) {
    font_ = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    old_ = SelectObject(DC(*bitmap_), font_);
    SetBkMode(DC(*bitmap_), TRANSPARENT);
    SetTextColor(DC(*bitmap_), RGB(0, 0, 0));
  }
  ~TextSurface() {
    SelectObject(DC(*bitmap_), old_);
    DeleteObject(font_);
  }
  HDC Get() { return DC(*bitmap_); }
  TBitmap& Bitmap() { return *bitmap_; }

 private:
  std::unique_ptr<TBitmap> bitmap_;
  HFONT font_;
  HGDIOBJ old_;
};

int DifferentPixels(TBitmap& a, TBitmap& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += Px(a, x, y) != Px(b, x, y);
  return n;
}

const wchar_t* const kTexts[] = {
    L"",
    L"a",
    L"hello world",
    L"several words that would wrap here",
    L"a\r\nb",
    L"a\nb\rc",
    L"a\r\n",
    L"&File &&Edit",
    L"trail&",
    L"  lead blanks",
    L"word      spaced    out",
    L"averyveryverylongwordthatdoesnotfit and more",
    L"ends with blank ",
    L"Жук \x03A9\x03A9 中文",
};

std::string Describe(const wchar_t* text, UINT flags, int width) {
  return "'" + WideToAnsi(text) + "' flags " + std::to_string(flags) + " width " + std::to_string(width);
}

// ---------------------------------------------------------------- the own routine

// Lines, blanks at breaks, overlong words, prefixes and the ellipses measure
// as the platform measures them.
TEST(ElWideText, MeasuresAsThePlatformDoes) {
  const UINT flags[] = {0,
                        DT_SINGLELINE,
                        DT_WORDBREAK,
                        DT_WORDBREAK | DT_NOPREFIX,
                        DT_END_ELLIPSIS | DT_SINGLELINE,
                        DT_END_ELLIPSIS | DT_WORDBREAK,
                        DT_EXTERNALLEADING | DT_WORDBREAK};
  TextSurface s(10, 10);
  int compared = 0;
  for (const wchar_t* text : kTexts)
    for (UINT f : flags)
      for (int width : {0, 40, 100}) {
        TRect system{0, 0, width, 0}, own{0, 0, width, 0};
        const int systemHeight = DrawWideText(s.Get(), text, -1, f | DT_CALCRECT, system);
        int ownHeight = 0;
        {
          WithoutWideCalls nineX;
          ownHeight = DrawWideText(s.Get(), text, -1, f | DT_CALCRECT, own);
        }
        EXPECT_EQ(ownHeight, systemHeight) << Describe(text, f, width);
        EXPECT_TRUE(EqualRect(&own, &system)) << Describe(text, f, width) << ": " << own.right << " x " << own.bottom
                                              << " against " << system.right << " x " << system.bottom;
        ++compared;
      }
  EXPECT_EQ(compared, 14 * 7 * 3);
}

// Alignment in both directions, clipping and the lines cut at the bottom
// draw the same pixels as the platform, also in rectangles of odd size.
TEST(ElWideText, DrawsAsThePlatformDoes) {
  const UINT flags[] = {0,
                        DT_SINGLELINE,
                        DT_WORDBREAK,
                        DT_CENTER | DT_WORDBREAK,
                        DT_RIGHT | DT_WORDBREAK,
                        DT_SINGLELINE | DT_VCENTER | DT_CENTER,
                        DT_SINGLELINE | DT_BOTTOM | DT_RIGHT,
                        DT_END_ELLIPSIS | DT_SINGLELINE,
                        DT_NOCLIP};
  for (const wchar_t* text : kTexts)
    for (UINT f : flags)
      for (int width : {40, 41, 100}) {
        TextSurface system(140, 60), own(140, 60);
        TRect systemRect{5, 5, 5 + width, 50 + (width & 1)}, ownRect = systemRect;
        const int systemHeight = DrawWideText(system.Get(), text, -1, f, systemRect);
        int ownHeight = 0;
        {
          WithoutWideCalls nineX;
          ownHeight = DrawWideText(own.Get(), text, -1, f, ownRect);
        }
        // (An empty text draws nothing; the platform's answer for it
        // depends on the alignment in ways the library never uses.)
        if (*text) {
          EXPECT_EQ(ownHeight, systemHeight) << Describe(text, f, width);
        }
        EXPECT_EQ(DifferentPixels(own.Bitmap(), system.Bitmap()), 0) << Describe(text, f, width);
      }
}

// A path keeps its last part behind "...", a text without one all of it.
TEST(ElWideText, APathKeepsItsLastPartBehindTheEllipsis) {
  for (const wchar_t* path : {L"C:\\Program Files\\Kestrum\\long name.txt", L"C:/a/b/c/long name.txt"}) {
    TextSurface system(140, 20), own(140, 20);
    TRect systemRect{0, 0, 100, 20}, ownRect = systemRect;
    DrawWideText(system.Get(), path, -1, DT_PATH_ELLIPSIS | DT_SINGLELINE, systemRect);
    {
      WithoutWideCalls nineX;
      DrawWideText(own.Get(), path, -1, DT_PATH_ELLIPSIS | DT_SINGLELINE, ownRect);
    }
    EXPECT_EQ(DifferentPixels(own.Bitmap(), system.Bitmap()), 0) << WideToAnsi(path);
  }
}

// Where the routine follows its own rules: tab stops every eight widths of
// "o" (or the count in the flags' second byte), only the underline with
// DT_PREFIXONLY, and word breaking with DT_WORD_ELLIPSIS.
TEST(ElWideText, TabsPrefixOnlyAndWordEllipsisFollowTheirOwnRules) {
  WithoutWideCalls nineX;
  TextSurface s(200, 40);
  SIZE o{}, here{};
  GetTextExtentPoint32W(s.Get(), L"o", 1, &o);
  GetTextExtentPoint32W(s.Get(), L"here", 4, &here);
  TRect r{0, 0, 0, 0};
  DrawWideText(s.Get(), L"tab\there", -1, DT_CALCRECT | DT_EXPANDTABS, r);
  EXPECT_EQ(r.right, 8 * o.cx + here.cx);
  // With DT_TABSTOP the second byte counts the letters (and is no flags).
  r = TRect{0, 0, 200, 40};
  DrawWideText(s.Get(), L"\there", -1, DT_EXPANDTABS | DT_TABSTOP | (12 << 8), r);
  EXPECT_EQ(CountColor(s.Bitmap(), TRect{0, 0, 12 * o.cx, 40}, clBlack), 0);
  EXPECT_GT(CountColor(s.Bitmap(), TRect{12 * o.cx, 0, 12 * o.cx + here.cx, 40}, clBlack), 20);

  TextSurface prefix(60, 20);
  TRect line{0, 0, 60, 20};
  DrawWideText(prefix.Get(), L"&File", -1, DT_PREFIXONLY, line);
  TEXTMETRICW tm{};
  ElGetTextMetrics(prefix.Get(), tm);
  SIZE f{};
  GetTextExtentPoint32W(prefix.Get(), L"F", 1, &f);
  EXPECT_EQ(CountColor(prefix.Bitmap(), TRect{0, 0, 60, 20}, clBlack), f.cx - 1) << "the underline alone";
  EXPECT_EQ(CountColor(prefix.Bitmap(), TRect{0, tm.tmAscent + 1, 60, tm.tmAscent + 2}, clBlack), f.cx - 1);

  TRect words{0, 0, 40, 0};
  const int height = DrawWideText(s.Get(), L"short averyveryverylongword", -1, DT_CALCRECT | DT_WORD_ELLIPSIS, words);
  EXPECT_EQ(height, 2 * tm.tmHeight) << "the long word goes to a line of its own";
  EXPECT_LE(words.right, 40) << "and is cut to the width with an ellipsis";
}

// ---------------------------------------------------------------- fonts and metrics

TEST(ElWideText, FontsAndMetricsComeThroughTheAnsiCalls) {
  LOGFONTW wanted{};
  wanted.lfHeight = -17;
  wanted.lfWeight = FW_BOLD;
  wanted.lfItalic = TRUE;
  wanted.lfCharSet = RUSSIAN_CHARSET;
  wcscpy(wanted.lfFaceName, L"Tahoma");
  HFONT wide = ElCreateFontIndirect(wanted);
  HFONT ansi = nullptr;
  LOGFONTW wideInfo{}, ansiInfo{};
  TEXTMETRICW wideMetrics{}, ansiMetrics{};
  TextSurface s(10, 10);
  ASSERT_TRUE(ElGetFontInfo(wide, wideInfo));
  HGDIOBJ old = SelectObject(s.Get(), wide);
  ASSERT_TRUE(ElGetTextMetrics(s.Get(), wideMetrics));
  {
    WithoutWideCalls nineX;
    ansi = ElCreateFontIndirect(wanted);
    ASSERT_NE(ansi, nullptr);
    ASSERT_TRUE(ElGetFontInfo(ansi, ansiInfo));
    SelectObject(s.Get(), ansi);
    ASSERT_TRUE(ElGetTextMetrics(s.Get(), ansiMetrics));
  }
  SelectObject(s.Get(), old);
  EXPECT_STREQ(ansiInfo.lfFaceName, L"Tahoma");
  EXPECT_EQ(ansiInfo.lfHeight, -17);
  EXPECT_EQ(ansiInfo.lfWeight, FW_BOLD);
  EXPECT_EQ(ansiInfo.lfCharSet, RUSSIAN_CHARSET);
  EXPECT_EQ(ansiMetrics.tmHeight, wideMetrics.tmHeight);
  EXPECT_EQ(ansiMetrics.tmAscent, wideMetrics.tmAscent);
  EXPECT_EQ(ansiMetrics.tmAveCharWidth, wideMetrics.tmAveCharWidth);
  EXPECT_EQ(ansiMetrics.tmItalic, wideMetrics.tmItalic);
  DeleteObject(wide);
  DeleteObject(ansi);
}

// ---------------------------------------------------------------- the controls

class ControlsWithoutWideCalls : public WindowTest {};

// "Ω" has no 8-bit form in code page 1251: only UTF-16 drawing shows it.
const TElFString kCaption = L"Жук \x03A9\x03A9\x03A9 label";

TEST_F(ControlsWithoutWideCalls, APlainLabelMeasuresAndDraws) {
  auto* reference = new TElHTMLLabel(Owner());
  reference->SetParent(Form());
  reference->SetCaption(kCaption);
  WithoutWideCalls nineX;
  auto* label = new TElHTMLLabel(Owner());
  label->SetParent(Form());
  label->SetColor(clWhite);
  label->Font()->SetColor(clBlack);
  label->SetCaption(kCaption);
  EXPECT_EQ(label->Width(), reference->Width());
  EXPECT_EQ(label->Height(), reference->Height());
  EXPECT_GT(label->Width(), 40);
  MemoryDC dc(label->Width(), label->Height());
  label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
  int black = 0;
  for (int y = 0; y < label->Height(); ++y)
    for (int x = 0; x < label->Width(); ++x) black += dc.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_GT(black, 40);
}

TEST_F(ControlsWithoutWideCalls, APlainAndAWrappedHintMeasure) {
  auto* hint = new TElHintWindow(Owner());
  const TRect plain = hint->CalcHintRectW(1000, kCaption);
  hint->SetWordWrap(true);
  const TRect wrapped = hint->CalcHintRectW(60, kCaption);
  hint->SetWordWrap(false);
  WithoutWideCalls nineX;
  const TRect ownPlain = hint->CalcHintRectW(1000, kCaption);
  EXPECT_TRUE(EqualRect(&plain, &ownPlain));
  EXPECT_GT(plain.right - plain.left, 40);
  hint->SetWordWrap(true);
  const TRect own = hint->CalcHintRectW(60, kCaption);
  EXPECT_TRUE(EqualRect(&wrapped, &own)) << own.right << " x " << own.bottom;
  EXPECT_GT(wrapped.bottom, plain.bottom) << "the wrapped hint takes more lines";
}

TEST_F(ControlsWithoutWideCalls, TheRendererMeasuresAndPaintsItsRuns) {
  const TElFString text = L"<b>Жук</b> \x03A9\x03A9 <font size=+4>big</font><sup>up</sup>";
  TElHTMLRender reference;
  reference.PrepareText(text, 0, false);
  WithoutWideCalls nineX;
  TElHTMLRender render;
  render.Data()->DefaultColor = clBlack;
  render.PrepareText(text, 0, false);
  ASSERT_EQ(render.Data()->ItemCount(), reference.Data()->ItemCount());
  for (int i = 0; i < render.Data()->ItemCount(); ++i) {
    EXPECT_EQ(render.Data()->Item(i)->Width, reference.Data()->Item(i)->Width) << i;
    EXPECT_EQ(render.Data()->Item(i)->Height, reference.Data()->Item(i)->Height) << i;
    if (render.Data()->Item(i)->ItemType == hitText) {
      EXPECT_GT(render.Data()->Item(i)->Width, 5) << i;
    }
  }
  auto surface = MakeSurface(200, 40, clWhite);
  render.DrawText(surface->Canvas(), TPoint{0, 0}, clNone, TRect{0, 0, 199, 39});
  EXPECT_GT(CountColor(*surface, TRect{0, 0, 200, 40}, clBlack), 40);
}

TEST_F(ControlsWithoutWideCalls, TheEditMeasuresWithItsFontAndDraws) {
  auto* reference = new TElEdit(Owner());
  reference->Font()->SetSize(14);
  reference->SetParent(Form());
  const int lineHeight = reference->LineHeight();
  WithoutWideCalls nineX;
  auto* edit = new TElEdit(Owner());
  edit->Font()->SetSize(14);
  edit->SetParent(Form());
  edit->SetBounds(10, 10, 200, 40);
  edit->SetText(kCaption);
  EXPECT_EQ(edit->LineHeight(), lineHeight);
  EXPECT_GT(edit->PosToPoint({4, 0}).x, edit->PosToPoint({0, 0}).x + 20) << "characters have their widths";
  MemoryDC dc(edit->ClientWidth(), edit->ClientHeight());
  edit->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
  int dark = 0;
  for (int y = 0; y < edit->ClientHeight(); ++y)
    for (int x = 0; x < edit->ClientWidth(); ++x) dark += dc.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_GT(dark, 40);
}

// A font that cannot be made leaves the edit measuring with the one it
// had, which stays selected and alive until a new one replaces it.
HFONT WINAPI NoFont(const LOGFONTW*) { return nullptr; }

TEST_F(ControlsWithoutWideCalls, AFontThatCannotBeMadeKeepsTheOldOne) {
  auto* edit = new TElEdit(Owner());
  edit->SetParent(Form());
  edit->SetText(TElFString(L"measure me"));
  const int lineHeight = edit->LineHeight();
  const int width = edit->PosToPoint({7, 0}).x;
  const TElWideTextApi saved = ElWideTextApi();
  ElWideTextApi().CreateFontIndirectW = &NoFont;
  edit->Font()->SetSize(30);
  ElWideTextApi() = saved;
  EXPECT_EQ(edit->LineHeight(), lineHeight);
  EXPECT_EQ(edit->PosToPoint({7, 0}).x, width);
  edit->Font()->SetSize(20);
  EXPECT_GT(edit->LineHeight(), lineHeight);
  EXPECT_GT(edit->PosToPoint({7, 0}).x, width);
}

}  // namespace
