// The kit's edit whose vertical bar its owner draws: the draw event with the
// edit as sender, the bar's own painting without a handler, the licence
// box read from form text, and a screenshot of a read-only licence box with
// the skin's bar (licence_edit.bmp in the test's build folder).
#include <gtest/gtest.h>

#include <vector>

#include "SBScrollbaredElEdit.hpp"
#include "SkinTestSupport.hpp"
#include "Streaming.hpp"

using namespace skintest;

namespace {

// Records the parts offered and paints each in a colour of its own.
struct PartPainter {
  std::vector<TElScrollBarPart> parts;
  std::vector<TObject*> senders;
  bool paint = true;
  void Draw(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool, bool, bool, bool& defaultDraw) {
    parts.push_back(part);
    senders.push_back(sender);
    if (!paint) return;
    canvas->Brush()->SetColor(part == spThumb ? RGB(0, 200, 0) : RGB(200, 0, 200));
    canvas->FillRect(r);
    defaultDraw = false;
  }
};

class ScrollbaredEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    edit = new TSBScrollbaredElEdit(host.get());
    edit->SetParent(host.get());
    edit->SetMultiline(true);
    edit->SetBounds(10, 10, 200, 120);
    edit->SetScrollBars(ssVertical);
    edit->VertScrollBarStyles()->SetOwnerDraw(true);
    std::wstring text;
    for (int i = 0; i < 40; ++i) text += L"строка\r\n";
    edit->SetText(text);
    edit->HandleNeeded();
  }
  // The bar painted alone into a memory bitmap.
  std::unique_ptr<TBitmap> PaintBar() {
    TElScrollBar* bar = edit->VertScrollBar();
    auto shot = std::make_unique<TBitmap>();
    shot->SetPixelFormat(pf24bit);
    shot->SetSize(bar->Width(), bar->Height());
    bar->Perform(WM_PAINT, reinterpret_cast<WPARAM>(shot->Canvas()->Handle()), 0);
    return shot;
  }
  HostForm host;
  TSBScrollbaredElEdit* edit = nullptr;
};

TEST_F(ScrollbaredEdit, TheOwnerDrawsTheBarsPartsWithTheEditAsSender) {
  PartPainter painter;
  edit->OnVertScrollDrawPart = TElScrollDrawPartEvent(&painter, &PartPainter::Draw);
  auto shot = PaintBar();
  for (TElScrollBarPart part : {spFirstArrow, spLastArrow, spThumb, spTrackAfter})
    EXPECT_NE(std::find(painter.parts.begin(), painter.parts.end(), part), painter.parts.end()) << int(part);
  for (TObject* sender : painter.senders) EXPECT_EQ(sender, edit);
  const TElScrollBarGeometry& g = edit->VertScrollBar()->Geometry();
  TRect thumb = g.PartRect(spThumb), arrow = g.PartRect(spLastArrow);
  EXPECT_EQ(shot->Canvas()->Pixels((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2), RGB(0, 200, 0));
  EXPECT_EQ(shot->Canvas()->Pixels((arrow.left + arrow.right) / 2, arrow.bottom - 1), RGB(200, 0, 200));
}

TEST_F(ScrollbaredEdit, WithoutAHandlerTheBarPaintsItself) {
  auto unassigned = PaintBar();
  PartPainter watcher;
  watcher.paint = false;  // a handler that leaves DefaultDraw as it came
  edit->OnVertScrollDrawPart = TElScrollDrawPartEvent(&watcher, &PartPainter::Draw);
  auto watched = PaintBar();
  EXPECT_FALSE(watcher.parts.empty());
  int same = 0, total = 0;
  for (int y = 0; y < unassigned->Height(); ++y)
    for (int x = 0; x < unassigned->Width(); ++x, ++total)
      same += unassigned->Canvas()->Pixels(x, y) == watched->Canvas()->Pixels(x, y);
  EXPECT_EQ(same, total);
  const TElScrollBarGeometry& g = edit->VertScrollBar()->Geometry();
  TRect arrow = g.PartRect(spFirstArrow);
  EXPECT_NE(unassigned->Canvas()->Pixels((arrow.left + arrow.right) / 2, arrow.bottom - 2), RGB(200, 0, 200));
}

TEST(ScrollbaredEditForm, TheLicenceBoxIsReadFromFormText) {
  HostForm host;
  const std::string text =
      "object page: TForm\n"
      "  object license_text_edit: TSBScrollbaredElEdit\n"
      "    Left = 32\n    Top = 46\n    Width = 433\n    Height = 245\n"
      "    Color = 12112609\n    Font.Height = -15\n"
      "    ReadOnly = True\n    Multiline = True\n    WordWrap = True\n"
      "    ScrollBars = ssVertical\n    LeftMargin = 5\n    RightMargin = 5\n"
      "    BorderStyle = bsNone\n    UseBackground = True\n"
      "  end\n"
      "end\n";
  ReadComponentText(text, host.get(), "licence page");
  auto* edit = dynamic_cast<TSBScrollbaredElEdit*>(host->FindComponent("license_text_edit"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Parent(), host.get());
  EXPECT_TRUE(edit->ReadOnly() && edit->Multiline() && edit->WordWrap());
  EXPECT_EQ(edit->ScrollBars(), ssVertical);
  EXPECT_EQ(edit->RightMargin(), 5);
  EXPECT_EQ(edit->BorderStyle(), bsNone);
  EXPECT_EQ(edit->Color(), 12112609);
  EXPECT_EQ(edit->Font()->Height(), -15);
  EXPECT_EQ(edit->Height(), 245);  // a multi-line edit keeps its height
}

// The licence box as the page shows it: the skin's paper background, the
// text in Russian, and the bar drawn from the skin's arrow, thumb and track
// pictures.
struct SkinBar {
  std::unique_ptr<TPicture> up = Art("sb_left_normal.bmp"), down = Art("sb_right_normal.bmp"),
                            thumb = Art("sb_thumb.bmp"), track = Art("sb_track.bmp");
  void Draw(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part, bool, bool, bool, bool& defaultDraw) {
    defaultDraw = false;
    switch (part) {
      case spFirstArrow: canvas->StretchDraw(r, up->Graphic()); break;
      case spLastArrow: canvas->StretchDraw(r, down->Graphic()); break;
      case spThumb: canvas->StretchDraw(r, thumb->Graphic()); break;
      default:
        for (int y = r.top; y < r.bottom; y += track->Height())
          for (int x = r.left; x < r.right; x += track->Width()) canvas->Draw(x, y, track->Graphic());
    }
  }
};

TEST(ScrollbaredEditScreenshot, AReadOnlyLicenceBoxWithTheSkinsBar) {
  HostForm host;
  host->SetBounds(0, 0, 470, 260);
  auto* edit = new TSBScrollbaredElEdit(host.get());
  edit->SetParent(host.get());
  edit->SetMultiline(true);
  edit->SetBounds(8, 8, 433, 245);
  edit->SetColor(12112609);
  edit->Font()->SetName("Tahoma");
  edit->Font()->SetHeight(-15);
  edit->SetReadOnly(true);
  edit->SetWordWrap(true);
  edit->SetScrollBars(ssVertical);
  edit->SetLeftMargin(5);
  edit->SetRightMargin(5);
  edit->SetBorderStyle(bsNone);
  auto tile = Art("license_bg_tile.bmp");
  edit->SetBackground(tile->Bitmap());
  edit->SetUseBackground(true);
  TElScrollBarStyles* styles = edit->VertScrollBarStyles();
  styles->SetOwnerDraw(true);
  styles->SetUseSystemMetrics(false);
  styles->SetThumbMode(etmFixed);
  styles->SetThumbSize(11);
  styles->SetWidth(16);
  styles->SetButtonSize(18);
  styles->SetBarOffset(0);
  SkinBar skin;
  edit->OnVertScrollDrawPart = TElScrollDrawPartEvent(&skin, &SkinBar::Draw);
  std::wstring text =
      L"ЛИЦЕНЗИОННОЕ СОГЛАШЕНИЕ\r\n\r\n";
  for (int i = 1; i <= 12; ++i)
    text += std::to_wstring(i) + L". Настоящее соглашение заключается между пользователем и правообладателем "
                                 L"программы «Лумбрикс 2008» и определяет условия её использования.\r\n";
  edit->SetText(text);
  host->Show();
  PumpMessages();
  edit->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  edit->Perform(EM_LINESCROLL, 0, 3);
  PumpMessages();
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(470, 260);
  host->PaintTo(shot.Canvas()->Handle(), 0, 0);
  shot.SaveToFile("licence_edit.bmp");
  host->Hide();

  TElScrollBar* bar = edit->VertScrollBar();
  EXPECT_EQ(bar->Width(), 16);
  EXPECT_EQ(edit->FirstLine(), 4);
  EXPECT_EQ(bar->Position(), 4);
  // The bar's arrows and thumb are the skin's pictures, at the bar's place.
  const TElScrollBarGeometry& g = bar->Geometry();
  TRect up = g.PartRect(spFirstArrow), thumb = g.PartRect(spThumb);
  int barX = 8 + bar->Left();
  EXPECT_EQ(up.bottom - up.top, 18);
  EXPECT_EQ(thumb.bottom - thumb.top, 11);
  EXPECT_EQ(shot.Canvas()->Pixels(barX + 8, 8 + 9), RGB(54, 73, 98));
  EXPECT_EQ(shot.Canvas()->Pixels(barX + 8, 8 + thumb.top + 5), RGB(214, 224, 238));
  // The text area shows the paper tile where no letter lies.
  EXPECT_EQ(shot.Canvas()->Pixels(8 + 400, 8 + 240), shot.Canvas()->Pixels(8 + 400 - 32, 8 + 240 - 32));
}

}  // namespace
