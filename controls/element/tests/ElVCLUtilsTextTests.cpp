// UTF-16 text where the system has no wide text calls (Windows 9x exports
// them as stubs that fail): the library's own DrawText against the
// platform's DrawTextExW, fonts and metrics through the ANSI calls, and the
// label, the hint, the renderer and the edit with the wide entry points
// missing. Wine has every wide call even when it plays Windows 98, so the
// tests take them away through the library's table.
#include <gtest/gtest.h>

#include <string>

#include "ElDrawTestSupport.hpp"
#include "ElEdits.hpp"
#include "ElHTMLLbl.hpp"
#include "ElHintWindow.hpp"
#include "ElWindowTestSupport.hpp"
#include "HTMLRender.hpp"

using namespace eltest;

namespace {

// The wide entry points taken away for the scope, as on Windows 9x.
struct WithoutWideCalls {
  TElWideTextApi saved = ElWideTextApi();
  WithoutWideCalls() { ElWideTextApi() = TElWideTextApi(); }
  ~WithoutWideCalls() { ElWideTextApi() = saved; }
};

// A white surface with a 13-pixel Tahoma and black transparent text.
struct TextSurface {
  std::unique_ptr<TBitmap> bitmap;
  HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  TextSurface(int width, int height) : bitmap(MakeSurface(width, height, clWhite)) {
    SelectObject(DC(*bitmap), font);
    SetBkMode(DC(*bitmap), TRANSPARENT);
  }
  ~TextSurface() {
    SelectObject(DC(*bitmap), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
  HDC Get() const { return DC(*bitmap); }
};

int Dark(TBitmap& b) { return CountColor(b, TRect{0, 0, b.Width(), b.Height()}, clBlack); }

// Both ways on equal surfaces: the answers and every pixel must agree.
void ExpectSameAsThePlatform(const wchar_t* text, UINT flags, TRect rect) {
  const std::string what = "'" + WideToAnsi(text) + "' flags " + std::to_string(flags) + " width " +
                           std::to_string(rect.right - rect.left);
  TextSurface system(140, 60), own(140, 60);
  TRect ownRect = rect;
  const int systemAnswer = DrawWideText(system.Get(), text, -1, flags, rect);
  WithoutWideCalls nineX;
  const int ownAnswer = DrawWideText(own.Get(), text, -1, flags, ownRect);
  // (The platform's answer for an empty text drawn aligned is of no use.)
  if (*text || (flags & DT_CALCRECT)) {
    EXPECT_EQ(ownAnswer, systemAnswer) << what;
  }
  EXPECT_TRUE(EqualRect(&ownRect, &rect)) << what << ": " << ownRect.right << " x " << ownRect.bottom;
  int differ = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 140; ++x) differ += Px(*own.bitmap, x, y) != Px(*system.bitmap, x, y);
  EXPECT_EQ(differ, 0) << what;
}

// Lines, blanks at breaks, overlong words, prefixes, the ellipses, the
// alignments (odd rectangles included) and clipping: measured and drawn as
// the platform does.
TEST(ElWideText, MeasuresAndDrawsAsThePlatformDoes) {
  const wchar_t* const texts[] = {L"",
                                  L"hello world",
                                  L"several words that would wrap here",
                                  L"a\r\nb\nc\rd\r\n",
                                  L"&File &&Edit",
                                  L"trail&",
                                  L"  lead blanks",
                                  L"word      spaced    out",
                                  L"averyveryverylongwordthatdoesnotfit and more",
                                  L"ends with blank ",
                                  L"Жук \x03A9\x03A9 中文"};
  const UINT measured[] = {0, DT_SINGLELINE, DT_WORDBREAK, DT_WORDBREAK | DT_NOPREFIX,
                           DT_END_ELLIPSIS | DT_SINGLELINE, DT_END_ELLIPSIS | DT_WORDBREAK,
                           DT_EXTERNALLEADING | DT_WORDBREAK};
  const UINT drawn[] = {DT_WORDBREAK, DT_CENTER | DT_WORDBREAK, DT_RIGHT | DT_WORDBREAK,
                        DT_SINGLELINE | DT_VCENTER | DT_CENTER, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT,
                        DT_END_ELLIPSIS | DT_SINGLELINE, DT_NOCLIP};
  for (const wchar_t* text : texts)
    for (int width : {40, 41, 100}) {
      for (UINT f : measured) ExpectSameAsThePlatform(text, f | DT_CALCRECT, TRect{0, 0, width, 0});
      for (UINT f : drawn) ExpectSameAsThePlatform(text, f, TRect{5, 5, 5 + width, 50 + (width & 1)});
    }
  for (const wchar_t* path : {L"C:\\Program Files\\Kestrum\\long name.txt", L"C:/a/b/long name.txt", L"no slash"})
    ExpectSameAsThePlatform(path, DT_PATH_ELLIPSIS | DT_SINGLELINE, TRect{0, 0, 60, 20});
}

// Where the routine keeps to rules of its own: tab stops every eight
// widths of "o" (or the count in the flags' second byte), nothing but the
// underline with DT_PREFIXONLY, and words broken with DT_WORD_ELLIPSIS.
TEST(ElWideText, TabsPrefixOnlyAndWordEllipsisKeepTheirOwnRules) {
  WithoutWideCalls nineX;
  TextSurface s(200, 40);
  SIZE o{}, here{}, f{};
  GetTextExtentPoint32W(s.Get(), L"o", 1, &o);
  GetTextExtentPoint32W(s.Get(), L"here", 4, &here);
  GetTextExtentPoint32W(s.Get(), L"F", 1, &f);
  TRect r{0, 0, 0, 0};
  DrawWideText(s.Get(), L"tab\there", -1, DT_CALCRECT | DT_EXPANDTABS, r);
  EXPECT_EQ(r.right, 8 * o.cx + here.cx);
  r = TRect{0, 0, 200, 40};
  DrawWideText(s.Get(), L"\there", -1, DT_EXPANDTABS | DT_TABSTOP | (12 << 8), r);
  EXPECT_EQ(CountColor(*s.bitmap, TRect{0, 0, 12 * o.cx, 40}, clBlack), 0);
  EXPECT_GT(CountColor(*s.bitmap, TRect{12 * o.cx, 0, 200, 40}, clBlack), 20);

  TextSurface prefix(60, 20);
  r = TRect{0, 0, 60, 20};
  DrawWideText(prefix.Get(), L"&File", -1, DT_PREFIXONLY, r);
  EXPECT_EQ(Dark(*prefix.bitmap), f.cx - 1) << "the underline alone";

  TEXTMETRICW tm{};
  ElGetTextMetrics(s.Get(), tm);
  r = TRect{0, 0, 40, 0};
  EXPECT_EQ(DrawWideText(s.Get(), L"short averyveryverylongword", -1, DT_CALCRECT | DT_WORD_ELLIPSIS, r),
            2 * tm.tmHeight);
  EXPECT_LE(r.right, 40) << "the long word is cut to the width with an ellipsis";
}

TEST(ElWideText, FontsAndMetricsComeThroughTheAnsiCalls) {
  LOGFONTW wanted{};
  wanted.lfHeight = -17;
  wanted.lfWeight = FW_BOLD;
  wanted.lfCharSet = RUSSIAN_CHARSET;
  wcscpy(wanted.lfFaceName, L"Tahoma");
  TextSurface s(10, 10);
  TEXTMETRICW wide{}, ansi{};
  LOGFONTW info{};
  HFONT font = ElCreateFontIndirect(wanted);
  SelectObject(s.Get(), font);
  ElGetTextMetrics(s.Get(), wide);
  SelectObject(s.Get(), s.font);
  DeleteObject(font);
  WithoutWideCalls nineX;
  font = ElCreateFontIndirect(wanted);
  ASSERT_TRUE(ElGetFontInfo(font, info));
  EXPECT_STREQ(info.lfFaceName, L"Tahoma");
  EXPECT_EQ(info.lfHeight, -17);
  EXPECT_EQ(info.lfCharSet, RUSSIAN_CHARSET);
  SelectObject(s.Get(), font);
  ASSERT_TRUE(ElGetTextMetrics(s.Get(), ansi));
  SelectObject(s.Get(), s.font);
  DeleteObject(font);
  EXPECT_EQ(ansi.tmHeight, wide.tmHeight);
  EXPECT_EQ(ansi.tmAveCharWidth, wide.tmAveCharWidth);
  EXPECT_EQ(ansi.tmWeight, wide.tmWeight);
}

// ---------------------------------------------------------------- the controls

class ControlsWithoutWideCalls : public WindowTest {};

// "Ω" has no 8-bit form in code page 1251: only UTF-16 drawing shows it.
const TElFString kText = L"Жук \x03A9\x03A9\x03A9 label";

TEST_F(ControlsWithoutWideCalls, TheLabelAndTheHintMeasureAndDraw) {
  auto* reference = new TElHTMLLabel(Owner());
  reference->SetParent(Form());
  reference->SetCaption(kText);
  auto* hint = new TElHintWindow(Owner());
  hint->SetWordWrap(true);
  const TRect wrapped = hint->CalcHintRectW(60, kText);
  WithoutWideCalls nineX;
  auto* label = new TElHTMLLabel(Owner());
  label->SetParent(Form());
  label->SetColor(clWhite);
  label->Font()->SetColor(clBlack);
  label->SetCaption(kText);
  EXPECT_EQ(label->Width(), reference->Width());
  EXPECT_EQ(label->Height(), reference->Height());
  auto surface = MakeSurface(label->Width(), label->Height(), clWhite);
  label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC(*surface)), 0);
  EXPECT_GT(Dark(*surface), 40);
  const TRect own = hint->CalcHintRectW(60, kText);
  EXPECT_TRUE(EqualRect(&own, &wrapped)) << own.right << " x " << own.bottom;
  EXPECT_GT(own.bottom, 2 * label->Height()) << "the hint is wrapped, not empty";
}

TEST_F(ControlsWithoutWideCalls, TheRendererMeasuresAndPaintsItsRuns) {
  const TElFString text = L"<b>Жук</b> \x03A9\x03A9 <font size=+4>big</font><sup>up</sup>";
  TElHTMLRender reference, render;
  reference.PrepareText(text, 0, false);
  WithoutWideCalls nineX;
  render.Data()->DefaultColor = clBlack;
  render.PrepareText(text, 0, false);
  ASSERT_EQ(render.Data()->ItemCount(), reference.Data()->ItemCount());
  for (int i = 0; i < render.Data()->ItemCount(); ++i) {
    EXPECT_EQ(render.Data()->Item(i)->Width, reference.Data()->Item(i)->Width) << i;
    EXPECT_EQ(render.Data()->Item(i)->Height, reference.Data()->Item(i)->Height) << i;
  }
  EXPECT_GT(render.Data()->TextWidth, 60);
  auto surface = MakeSurface(200, 40, clWhite);
  render.DrawText(surface->Canvas(), TPoint{0, 0}, clNone, TRect{0, 0, 199, 39});
  EXPECT_GT(Dark(*surface), 40);
}

TEST_F(ControlsWithoutWideCalls, TheEditMeasuresWithItsFontAndDraws) {
  auto* reference = new TElEdit(Owner());
  reference->Font()->SetSize(14);
  reference->SetParent(Form());
  WithoutWideCalls nineX;
  auto* edit = new TElEdit(Owner());
  edit->Font()->SetSize(14);
  edit->SetParent(Form());
  edit->SetText(kText);
  EXPECT_EQ(edit->LineHeight(), reference->LineHeight());
  EXPECT_GT(edit->PosToPoint({4, 0}).x, edit->PosToPoint({0, 0}).x + 20) << "characters have their widths";
  auto surface = MakeSurface(edit->ClientWidth(), edit->ClientHeight(), clWhite);
  edit->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC(*surface)), 0);
  EXPECT_GT(Dark(*surface), 40);
}

// A font that cannot be made leaves the edit measuring with the one it
// had, which stays selected and alive until a new one replaces it.
HFONT WINAPI NoFont(const LOGFONTW*) { return nullptr; }

TEST_F(ControlsWithoutWideCalls, AFontThatCannotBeMadeKeepsTheOldOne) {
  auto* edit = new TElEdit(Owner());
  edit->SetParent(Form());
  edit->SetText(TElFString(L"measure me"));
  const int lineHeight = edit->LineHeight(), width = edit->PosToPoint({7, 0}).x;
  {
    WithoutWideCalls failing;
    ElWideTextApi() = failing.saved;
    ElWideTextApi().CreateFontIndirectW = &NoFont;
    edit->Font()->SetSize(30);
  }
  EXPECT_EQ(edit->LineHeight(), lineHeight);
  EXPECT_EQ(edit->PosToPoint({7, 0}).x, width);
  edit->Font()->SetSize(20);
  EXPECT_GT(edit->LineHeight(), lineHeight);
}

}  // namespace
