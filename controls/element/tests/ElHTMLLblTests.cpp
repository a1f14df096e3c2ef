// The HTML label: where its text lies, when it renders again, sizing and
// wrapping, links with the mouse (click, hand cursor, link menu), plain
// UTF-16 drawing, its packed hint and its form-file properties.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElHTMLLbl.hpp"
#include "ElWindowTestSupport.hpp"
#include "HTMLRenderTestSupport.hpp"
#include "Streaming.hpp"

using namespace eltest;

namespace {

TEST(ElHTMLLabelTextRect, EachLayoutAndAlignment) {
  struct Case {
    TTextLayout Layout;
    TAlignment Alignment;
    TRect Expected;
  } cases[] = {
      {tlTop, taLeftJustify, {0, 0, 100, 50}},
      {tlCenter, taLeftJustify, {0, 15, 99, 34}},  // the centring keeps inclusive edges
      {tlBottom, taLeftJustify, {0, 29, 100, 50}},
      {tlTop, taRightJustify, {60, 0, 100, 50}},
      {tlTop, taCenter, {30, 0, 70, 50}},
      {tlBottom, taCenter, {30, 29, 70, 50}},
      {tlCenter, taRightJustify, {60, 15, 100, 34}},
  };
  for (const Case& c : cases) {
    TRect r = HTMLLabelTextRect(100, 50, 40, 20, c.Layout, c.Alignment);
    EXPECT_TRUE(EqualRect(&r, &c.Expected)) << c.Layout << "/" << c.Alignment << ": " << r.left << "," << r.top
                                            << "," << r.right << "," << r.bottom;
  }
  // A text wider than the label starts left of it when centred.
  TRect wide = HTMLLabelTextRect(30, 20, 41, 10, tlTop, taCenter);
  EXPECT_EQ(wide.left, -5);
}

// Counts what the layout measures.
class CountingMeasurer : public FixedMeasurer {
 public:
  int TextWidth(const TElHTMLFont& font, const TElFString& text) override {
    ++Calls;
    return FixedMeasurer::TextWidth(font, text);
  }
  int Calls = 0;
};

class TCountingLabel : public TElHTMLLabel {
 public:
  explicit TCountingLabel(TComponent* owner) : TElHTMLLabel(owner) {}
  int TextChanges = 0;
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_TEXTCHANGED) ++TextChanges;
    TElHTMLLabel::Dispatch(m);
  }
};

class LabelModel : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = new TComponent(nullptr);
    label = new TCountingLabel(owner);
    label->Render()->SetMeasurer(&measurer);
  }
  void TearDown() override { owner->Free(); }
  TComponent* owner = nullptr;
  TCountingLabel* label = nullptr;
  CountingMeasurer measurer;
};

TEST_F(LabelModel, TheSameCaptionAgainChangesNothing) {
  label->SetIsHTML(true);
  label->SetCaption(L"<b>bold</b> text");
  int changes = label->TextChanges, measured = measurer.Calls;
  label->SetCaption(L"<b>bold</b> text");
  EXPECT_EQ(label->TextChanges, changes);
  EXPECT_EQ(measurer.Calls, measured);
  // Another UTF-16 caption with the same 8-bit form still counts as new.
  label->SetCaption(L"\x4E00");
  label->SetCaption(L"\x4E01");
  EXPECT_EQ(label->TextChanges, changes + 2);
  EXPECT_EQ(label->Caption(), L"\x4E01");
  EXPECT_GT(measurer.Calls, measured);
}

TEST_F(LabelModel, AutoSizeTakesExactlyTheRenderedSize) {
  label->SetBounds(5, 6, 300, 100);
  label->SetIsHTML(true);
  label->SetCaption(L"one <b>two</b>");
  const TElHTMLData* data = label->Render()->Data();
  ASSERT_GT(data->TextWidth, 0);
  EXPECT_EQ(label->Width(), data->TextWidth);
  EXPECT_EQ(label->Height(), data->TextHeight);
  EXPECT_EQ(label->Left(), 5);
  // Without auto size, and with word wrap, the bounds stay.
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetBounds(5, 6, 300, 100);
  label->SetCaption(L"three four five");
  EXPECT_EQ(label->Width(), 300);
  EXPECT_EQ(label->Height(), 100);
  // Switched back on, the size follows the text again.
  label->SetWordWrap(false);
  label->SetAutoSize(true);
  EXPECT_EQ(label->Width(), label->Render()->Data()->TextWidth);
}

TEST_F(LabelModel, AWrappedLabelWrapsAgainAtItsNewWidth) {
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetBounds(0, 0, 400, 60);
  label->SetIsHTML(true);
  label->SetCaption(L"alpha beta gamma delta epsilon");
  int oneLine = label->Render()->Data()->TextHeight;
  int longest = label->Render()->Data()->TextWidth;
  label->SetWidth(60);
  EXPECT_GE(label->Render()->Data()->TextHeight, 3 * oneLine);
  EXPECT_LT(label->Render()->Data()->TextWidth, longest / 2);
  label->SetWidth(400);
  EXPECT_EQ(label->Render()->Data()->TextHeight, oneLine);
}

TEST_F(LabelModel, ACaptionThatIsNotValidHtmlRaisesTheRenderersError) {
  label->SetIsHTML(true);
  measurer.failOn = L'#';
  try {
    label->SetCaption(L"bad # text");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), ElHTMLErrorMessage);
  }
}

TEST_F(LabelModel, TheCaptionFollowsTheNameLikeAnyLabel) {
  label->SetName("First");
  EXPECT_EQ(label->Caption(), L"First");
  label->SetCaption(L"Own");
  label->SetName("Second");
  EXPECT_EQ(label->Caption(), L"Own");
}

TEST_F(LabelModel, ImagesAreAskedForWithTheLabelAsSender) {
  std::vector<TElFString> asked;
  struct Handler {
    std::vector<TElFString>* Asked;
    TObject* Label;
    void Need(TObject* sender, const TElFString& src, TBitmap*& image) {
      EXPECT_EQ(sender, Label);
      EXPECT_EQ(image, nullptr);
      Asked->push_back(src);
    }
  } handler{&asked, label};
  label->OnImageNeeded = TElHTMLImageNeededEvent(&handler, &Handler::Need);
  label->SetIsHTML(true);
  label->SetCaption(L"<img src=\"pic\">");
  EXPECT_EQ(asked, (std::vector<TElFString>{L"pic"}));
}

TEST_F(LabelModel, TheHintTravelsPackedAndShowsItsShortPart) {
  label->SetHint(L"Open|Opens the file");
  std::string ansi;
  TElFString wide;
  ASSERT_TRUE(UnpackHint(label->TControl::Hint(), ansi, wide));
  EXPECT_EQ(wide, L"Open|Opens the file");
  THintInfo info;
  info.HintStr = GetShortHint(label->TControl::Hint());
  label->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_TRUE(UnpackHint(info.HintStr, ansi, wide));
  EXPECT_EQ(ansi, "Open");
  EXPECT_EQ(wide, L"Open");
  // A handler that chose its own string gets the whole hint instead.
  info.HintStr = "changed";
  label->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_TRUE(UnpackHint(info.HintStr, ansi, wide));
  EXPECT_EQ(wide, L"Open|Opens the file");
  // No hint, no hint window.
  label->SetHint(L"");
  EXPECT_EQ(label->TControl::Hint(), "");  // the parent's hint may show instead
  info.HintStr = GetShortHint(label->TControl::Hint());
  label->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.HintStr.empty());
}

// ---------------------------------------------------------------- plain drawing

class LabelPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    label = new TElHTMLLabel(form);
    label->SetParent(form);
    label->SetColor(clWhite);
    label->Font()->SetColor(clBlack);
  }
  void TearDown() override { form->Free(); }
  int Count(MemoryDC& dc, COLORREF c) {
    int n = 0;
    for (int y = 0; y < label->Height(); ++y)
      for (int x = 0; x < label->Width(); ++x)
        if (dc.Pixel(x, y) == c) ++n;
    return n;
  }
  TForm* form = nullptr;
  TElHTMLLabel* label = nullptr;
};

TEST_F(LabelPaint, APlainCaptionIsDrawnAndMeasuredAsUtf16) {
  const TElFString text = L"\x03A9\x03A9\x03A9\x03A9\x03A9\x03A9";  // no 8-bit form in code page 1251
  label->SetCaption(text);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, label->Font()->Handle());
  SIZE s{};
  GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &s);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(label->Width(), s.cx);
  MemoryDC dc(label->Width(), label->Height());
  label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
  EXPECT_GT(Count(dc, RGB(0, 0, 0)), 0);
}

TEST_F(LabelPaint, ADisabledPlainLabelIsEmbossed) {
  label->SetColor(clYellow);
  label->SetCaption(L"\x0416\x0416");
  label->SetEnabled(false);
  MemoryDC dc(label->Width(), label->Height());
  label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
  EXPECT_GT(Count(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight))), 0);
  EXPECT_GT(Count(dc, static_cast<COLORREF>(ColorToRGB(clBtnShadow))), 0);
  EXPECT_EQ(Count(dc, RGB(0, 0, 0)), 0);
}

TEST_F(LabelPaint, AnEmptyCaptionStillMeasuresOneLine) {
  label->SetCaption(L"x");
  int lineHeight = label->Height();
  label->SetCaption(L"");
  EXPECT_EQ(label->Height(), lineHeight);
  EXPECT_GT(label->Width(), 0);
  label->SetCaption(L"&");
  EXPECT_EQ(label->Height(), lineHeight);
}

// ---------------------------------------------------------------- the mouse

class TRecordingPopup : public TPopupMenu {
 public:
  explicit TRecordingPopup(TComponent* owner) : TPopupMenu(owner) {}
  std::vector<POINT> Shown;
  void Popup(int x, int y) override { Shown.push_back(POINT{x, y}); }
};

struct MouseLog {
  std::vector<std::wstring> Lines;
  bool HandlePopup = false;
  void Link(TObject*, const TElFString& href) { Lines.push_back(L"link " + href); }
  void Click(TObject*) { Lines.push_back(L"click"); }
  void Popup(TObject*, POINT, bool& handled) {
    Lines.push_back(L"context");
    handled = HandlePopup;
  }
};

class LabelMouse : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    label = new TElHTMLLabel(Owner());
    label->SetBounds(20, 30, 10, 10);
    label->SetParent(Form());
    label->SetIsHTML(true);
    label->SetCaption(L"<a href=\"first\">link</a> then plain text");
    label->OnLinkClick = TElHTMLLinkClickEvent(&log, &MouseLog::Link);
    label->OnClick = TNotifyEvent(&log, &MouseLog::Click);
    Flush();
  }
  // Client point of the label in screen coordinates.
  POINT ScreenPoint(int x, int y) { return label->ClientToScreen(POINT{x, y}); }
  void ClickAt(int x, int y) {
    POINT p = ScreenPoint(x, y);
    SetCursorPos(p.x, p.y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    size_t before = log.Lines.size();
    PumpUntil([&] { return log.Lines.size() > before; });
  }
  // Moves the mouse over the label's point: the form hears of the move.
  void MoveTo(int x, int y) {
    POINT p = ScreenPoint(x, y);
    SetCursorPos(p.x, p.y);
    POINT f = Form()->ScreenToClient(p);
    SendMessageA(Form()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(f.x, f.y));
  }
  void TearDown() override {
    ParkMouse();
    WindowTest::TearDown();
  }
  TCursor ShownCursor() { return static_cast<TControl*>(label)->Cursor(); }
  int Beside() { return label->Width() - 4; }
  TElHTMLLabel* label = nullptr;
  MouseLog log;
};

TEST_F(LabelMouse, ALinkClickReplacesTheClick) {
  ClickAt(3, 5);
  ClickAt(Beside(), 5);
  EXPECT_EQ(log.Lines, (std::vector<std::wstring>{L"link first", L"click"}));
}

TEST_F(LabelMouse, TheHandCursorShowsOverLinksOnly) {
  label->SetCursor(crIBeam);
  MoveTo(3, 5);
  EXPECT_EQ(ShownCursor(), crURLCursor);
  // The cursor the window shows is the hand from the program's resources.
  SendMessageA(Form()->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Form()->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  HCURSOR hand = ::Screen->Cursors(crURLCursor);
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_NE(hand, LoadCursorA(nullptr, IDC_ARROW));
  // Setting the label's cursor over a link keeps the hand.
  label->SetCursor(crCross);
  EXPECT_EQ(ShownCursor(), crURLCursor);
  EXPECT_EQ(label->Cursor(), crCross);
  MoveTo(Beside(), 5);
  EXPECT_EQ(ShownCursor(), crCross);
  MoveTo(3, 5);
  label->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(ShownCursor(), crCross);
}

TEST_F(LabelMouse, ARightClickOnALinkOpensTheLinkMenu) {
  auto* links = new TRecordingPopup(Owner());
  auto* own = new TRecordingPopup(Owner());
  label->SetLinkPopupMenu(links);
  label->SetPopupMenu(own);
  label->OnContextPopup = TContextPopupEvent(&log, &MouseLog::Popup);
  auto menuAt = [&](int x, int y) {
    POINT p = ScreenPoint(x, y);
    return SendMessageA(Form()->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Form()->Handle()),
                        MAKELPARAM(p.x, p.y));
  };
  EXPECT_EQ(menuAt(3, 5), 1);
  ASSERT_EQ(links->Shown.size(), 1u);
  EXPECT_EQ(links->Shown[0].x, ScreenPoint(3, 5).x);
  EXPECT_EQ(links->PopupComponent(), label);
  EXPECT_TRUE(own->Shown.empty());
  // Beside the link the label's own menu.
  EXPECT_EQ(menuAt(Beside(), 5), 1);
  EXPECT_EQ(own->Shown.size(), 1u);
  EXPECT_EQ(links->Shown.size(), 1u);
  // The context-popup event comes first and may take it.
  log.HandlePopup = true;
  EXPECT_EQ(menuAt(3, 5), 1);
  EXPECT_EQ(links->Shown.size(), 1u);
  // Without AutoPopup no menu, but the click is still taken.
  log.HandlePopup = false;
  links->SetAutoPopup(false);
  EXPECT_EQ(menuAt(3, 5), 1);
  EXPECT_EQ(links->Shown.size(), 1u);
  EXPECT_EQ(log.Lines, (std::vector<std::wstring>{L"context", L"context", L"context", L"context"}));
  // A freed link menu is forgotten.
  links->Free();
  EXPECT_EQ(label->LinkPopupMenu(), nullptr);
}

// ---------------------------------------------------------------- form files

class TLabelTestForm : public TForm {
 public:
  explicit TLabelTestForm(TComponent* owner) : TForm(owner, 0) {}
  TElHTMLLabel* Info = nullptr;
  std::vector<TElFString> Links;
  void InfoLinkClick(TObject*, const TElFString& href) { Links.push_back(href); }
};

TEST(ElHTMLLabelStreaming, PropertiesComeFromTheFormText) {
  Publish<TLabelTestForm, TForm>()
      .Field("Info", &TLabelTestForm::Info)
      .Method("InfoLinkClick", &TLabelTestForm::InfoLinkClick);
  const std::string text =
      "object LabelTestForm: TLabelTestForm\n"
      "  Left = 0\n"
      "  Top = 0\n"
      "  object Info: TElHTMLLabel\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Width = 200\n"
      "    Height = 40\n"
      "    AutoSize = False\n"
      "    Caption = '<a href=\"go\">'#1055#1088#1080#1074#1077#1090'</a>'\n"
      "    Cursor = crHandPoint\n"
      "    Hint = #1054#1082\n"
      "    IsHTML = True\n"
      "    LinkColor = clRed\n"
      "    LinkStyle = [fsBold, fsUnderline]\n"
      "    WordWrap = True\n"
      "    OnLinkClick = InfoLinkClick\n"
      "  end\n"
      "end\n";
  auto* form = new TLabelTestForm(nullptr);
  ReadComponentText(text, form, "label form");
  ASSERT_NE(form->Info, nullptr);
  TElHTMLLabel* info = form->Info;
  EXPECT_EQ(info->Caption(), L"<a href=\"go\">\x041F\x0440\x0438\x0432\x0435\x0442</a>");
  EXPECT_EQ(info->Hint(), L"\x041E\x043A");
  EXPECT_EQ(info->Cursor(), crHandPoint);
  EXPECT_TRUE(info->IsHTML());
  EXPECT_TRUE(info->WordWrap());
  EXPECT_EQ(info->LinkColor(), clRed);
  EXPECT_EQ(info->LinkStyle(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(info->Width(), 200);
  EXPECT_EQ(info->Height(), 40);
  // Loaded rendered the caption once, with the link colour and style.
  const TElHTMLData* data = info->Render()->Data();
  EXPECT_GT(data->TextWidth, 0);
  EXPECT_EQ(data->LinkColor, clRed);
  info->OnLinkClick(info, L"go");
  EXPECT_EQ(form->Links, (std::vector<TElFString>{L"go"}));
  form->Free();
}

}  // namespace
