// The hint window: the packed hint format, placement on the desktop, the
// size of plain and wrapped hints, HTML hints and their links.
#include <gtest/gtest.h>

#include <string>

#include "ElHintWindow.hpp"
#include "ElWindowTestSupport.hpp"

using namespace eltest;

namespace {

TEST(ElPackedHint, TextZeroUnitsZeroAndMark) {
  const TElFString wide = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C";  // "Открыть"
  std::string packed = PackWideHint(wide);
  std::string ansi = WideToAnsi(wide);
  ASSERT_EQ(packed.size(), ansi.size() + 2 * wide.size() + 5);
  std::string a;
  TElFString w;
  ASSERT_TRUE(UnpackHint(packed, a, w));
  EXPECT_EQ(a, ansi);
  EXPECT_EQ(w, wide);
  EXPECT_EQ(static_cast<unsigned char>(packed[ansi.size() + 1]), 0x1E);  // low byte first
  EXPECT_EQ(static_cast<unsigned char>(packed.back()), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(packed[packed.size() - 2]), 0xFE);
}

TEST(ElPackedHint, AnEmptyTextPacksToFiveBytesButNoHintStaysEmpty) {
  EXPECT_EQ(PackHint("", L""), std::string("\0\0\0\xFE\xFF", 5));
  EXPECT_EQ(PackWideHint(L""), "");
}

// U+047C has the byte of "|" as its low byte: the short hint is looked for
// only in the 8-bit part.
TEST(ElPackedHint, ABarByteInTheWidePartNeverSplitsTheShortHint) {
  std::string packed = PackHint("Open", L"\x047C");
  ASSERT_NE(packed.find('|'), std::string::npos);
  EXPECT_EQ(GetShortHint(packed), packed);
  std::string withBar = PackHint("Open|Opens the file", L"\x047C|x");
  EXPECT_EQ(GetShortHint(withBar), "Open");
  EXPECT_EQ(GetLongHint(withBar).substr(0, 14), "Opens the file");
}

TEST(ElHintPlacement, RectanglesAreMovedBackOntoTheDesktop) {
  auto at = [](TRect r) { return KeepHintOnDesktop(r, -100, 1000, 700); };
  TRect inside = at(TRect{10, 20, 110, 40});
  EXPECT_EQ(inside.left, 10);
  EXPECT_EQ(inside.top, 20);
  EXPECT_EQ(inside.right, 110);
  TRect right = at(TRect{950, 20, 1050, 40});
  EXPECT_EQ(right.left, 900);
  EXPECT_EQ(right.right, 1000);
  TRect below = at(TRect{10, 690, 110, 710});
  EXPECT_EQ(below.top, 680);
  EXPECT_EQ(below.bottom, 700);
  TRect leftOf = at(TRect{-150, 20, -50, 40});
  EXPECT_EQ(leftOf.left, -100);
  // Wider than the desktop: the left edge wins.
  TRect wide = at(TRect{0, 0, 1200, 20});
  EXPECT_EQ(wide.left, -100);
  EXPECT_EQ(wide.right - wide.left, 1200);
}

class HintWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { hint = new TElHintWindow(Application); }
  void TearDown() override {
    ParkMouse();
    hint->Free();
    Flush();
  }
  // The width and height of one line of text in the hint's font.
  SIZE TextSize(const TElFString& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hint->Font()->Handle());
    SIZE s{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return s;
  }
  // Paints the window into a memory bitmap.
  int InkPixels() {
    MemoryDC dc(hint->Width(), hint->Height(), RGB(1, 2, 3));
    hint->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
    COLORREF back = static_cast<COLORREF>(ColorToRGB(hint->Color()));
    int n = 0;
    for (int y = 0; y < hint->ClientHeight(); ++y)
      for (int x = 0; x < hint->ClientWidth(); ++x)
        if (dc.Pixel(x, y) != back) ++n;
    return n;
  }
  TElHintWindow* hint = nullptr;
};

TEST_F(HintWindowTest, APlainHintIsOneLineSixPixelsWiderThanItsText) {
  const TElFString text = L"\x041F\x043E\x0434\x0441\x043A\x0430\x0437\x043A\x0430 hint";
  SIZE s = TextSize(text);
  TRect r = hint->CalcHintRectW(1000, text);
  EXPECT_EQ(r.right - r.left, s.cx + 6);
  EXPECT_EQ(r.bottom - r.top, s.cy + 2);
  // The 8-bit measure of a packed hint sees only its 8-bit part.
  RECT a = hint->CalcHintRect(1000, PackWideHint(text), nullptr);
  EXPECT_EQ(a.right, s.cx + 6);
}

TEST_F(HintWindowTest, AWrappedHintBreaksAtTheGivenWidth) {
  const TElFString text = L"one two three four five six seven eight nine ten";
  SIZE line = TextSize(text);
  hint->SetWordWrap(true);
  TRect r = hint->CalcHintRectW(80, text);
  EXPECT_LE(r.right - r.left, 80 + 6);
  EXPECT_GE(r.bottom - r.top, 3 * line.cy + 2);
  hint->SetWordWrap(false);
  r = hint->CalcHintRectW(80, text);
  EXPECT_EQ(r.bottom - r.top, line.cy + 2);
  EXPECT_EQ(r.right - r.left, line.cx + 6);
}

TEST_F(HintWindowTest, ShownWithItsRectangleKeptOnTheDesktop) {
  int right = Screen->DesktopWidth(), bottom = Screen->DesktopHeight();
  hint->ActivateHintW(TRect{right - 50, bottom - 10, right + 150, bottom + 20}, L"far away");
  RECT w;
  GetWindowRect(hint->Handle(), &w);
  EXPECT_EQ(w.right, right);
  EXPECT_EQ(w.bottom, bottom);
  EXPECT_EQ(w.right - w.left, 200);
  EXPECT_EQ(w.bottom - w.top, 34);  // 4 pixels more than asked
  EXPECT_TRUE(IsWindowVisible(hint->Handle()));
  EXPECT_EQ(GetWindowLongA(hint->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
  EXPECT_NE(GetForegroundWindow(), hint->Handle());
}

TEST_F(HintWindowTest, PlainAndHtmlTextArePainted) {
  hint->ActivateHintW(TRect{100, 100, 300, 130}, L"plain text");
  EXPECT_GT(InkPixels(), 0);
  hint->SetIsHTML(true);
  hint->ActivateHintW(TRect{100, 100, 300, 130}, L"<b>bold</b> and <font color=#FF0000>red</font>");
  EXPECT_GT(InkPixels(), 0);
  hint->ActivateHintW(TRect{100, 100, 300, 130}, L"");
  EXPECT_EQ(InkPixels(), 0);
}

TEST_F(HintWindowTest, An8BitHintShowsItsVisiblePart) {
  const TElFString text = L"\x041F\x0440\x0438\x0432\x0435\x0442";  // "Привет"
  hint->ActivateHint(RECT{100, 100, 200, 120}, PackWideHint(text));
  EXPECT_EQ(hint->WideCaption(), text);
}

// A caption changed after showing resizes the window to the text.
TEST_F(HintWindowTest, ANewCaptionResizesTheWindow) {
  hint->ActivateHintW(TRect{100, 100, 400, 200}, L"x");
  const TElFString text = L"a somewhat longer caption";
  hint->SetWideCaption(text);
  EXPECT_EQ(hint->Width(), TextSize(text).cx + 6);
  EXPECT_EQ(hint->Left(), 100);
}

struct LinkLog {
  std::vector<TElFString> Links;
  int Downs = 0;
  void Link(TObject*, const TElFString& href) { Links.push_back(href); }
  void Down(TObject*, TMouseButton, TShiftState, int, int) { ++Downs; }
};

TEST_F(HintWindowTest, ClickingALinkRaisesOnLinkClick) {
  LinkLog log;
  hint->OnLinkClick = TElHTMLLinkClickEvent(&log, &LinkLog::Link);
  hint->OnMouseDown = TMouseEvent(&log, &LinkLog::Down);
  hint->SetIsHTML(true);
  TRect r = hint->CalcHintRectW(1000, L"<a href=\"next\">go on</a> or stay");
  OffsetRect(&r, 300, 300);
  hint->ActivateHintW(r, L"<a href=\"next\">go on</a> or stay");
  // The link's first letters are at the text's left edge, 2 pixels in.
  hint->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  hint->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(log.Links, (std::vector<TElFString>{L"next"}));
  EXPECT_EQ(log.Downs, 0);
  // Beside the link: an ordinary press.
  hint->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hint->Width() - 6, 6));
  EXPECT_EQ(log.Links.size(), 1u);
  EXPECT_EQ(log.Downs, 1);
  // Only a link takes the mouse; the rest of the window lets it through.
  POINT onLink = hint->ClientToScreen(POINT{5, 6});
  POINT beside = hint->ClientToScreen(POINT{hint->Width() - 6, 6});
  EXPECT_EQ(SendMessageA(hint->Handle(), WM_NCHITTEST, 0, MAKELPARAM(onLink.x, onLink.y)), HTCLIENT);
  EXPECT_EQ(SendMessageA(hint->Handle(), WM_NCHITTEST, 0, MAKELPARAM(beside.x, beside.y)), HTTRANSPARENT);
}

// The click reaches the hint without taking the activation from the window
// the hint belongs to.
TEST_F(HintWindowTest, ARealClickOnALinkReachesTheWindowWithoutActivatingIt) {
  TForm* form = new TForm(Application, 0);
  form->SetBounds(100, 100, 200, 120);
  form->Show();
  SetForegroundWindow(form->Handle());
  SetActiveWindow(form->Handle());
  Flush();
  ASSERT_EQ(GetActiveWindow(), form->Handle());
  LinkLog log;
  hint->OnLinkClick = TElHTMLLinkClickEvent(&log, &LinkLog::Link);
  hint->SetIsHTML(true);
  const TElFString text = L"<a href=\"real\">a link</a>";
  TRect r = hint->CalcHintRectW(1000, text);
  OffsetRect(&r, 400, 400);
  hint->ActivateHintW(r, text);
  Flush();
  EXPECT_EQ(SendMessageA(hint->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  POINT p = hint->ClientToScreen(POINT{6, 6});
  SetCursorPos(p.x, p.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil([&] { return !log.Links.empty(); }));
  EXPECT_EQ(log.Links, (std::vector<TElFString>{L"real"}));
  Flush();
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  form->Free();
}

TEST_F(HintWindowTest, ImagesAreAskedForWithTheWindowAsSender) {
  std::vector<TElFString> asked;
  struct Handler {
    std::vector<TElFString>* Asked;
    TElHintWindow* Window;
    void Need(TObject* sender, const TElFString& src, TBitmap*& image) {
      EXPECT_EQ(sender, Window);
      Asked->push_back(src);
      image = nullptr;
    }
  } handler{&asked, hint};
  hint->OnImageNeeded = TElHTMLImageNeededEvent(&handler, &Handler::Need);
  hint->SetIsHTML(true);
  hint->CalcHintRectW(1000, L"<img src=\"logo\" width=10 height=10>");
  EXPECT_EQ(asked, (std::vector<TElFString>{L"logo"}));
}

}  // namespace
