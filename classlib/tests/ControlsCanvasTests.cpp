// Control canvases used outside painting: contexts taken on demand, their
// geometry, and when they are given back.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"

namespace {

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(120, 120, 300, 200);
    label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetBounds(40, 30, 100, 50);
    label->SetParent(form);
    custom = new TGreenControl(form);
    custom->SetBounds(160, 20, 100, 60);
    custom->SetParent(form);
  }
  void TearDown() override { form->Free(); }
  TControlCanvas* CanvasOf(TControl* c) {
    if (auto* g = dynamic_cast<TGraphicControl*>(c)) return static_cast<TControlCanvas*>(g->Canvas());
    return static_cast<TControlCanvas*>(static_cast<TCustomControl*>(c)->Canvas());
  }
  TForm* form = nullptr;
  TLabel* label = nullptr;
  TGreenControl* custom = nullptr;
};

// The width the screen gives for the canvas font, to compare with.
int ScreenTextWidth(TFont* font, const char* text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->Handle());
  SIZE size{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

TEST_F(CanvasTest, MeasuresOutsidePaintWithAndWithoutAWindow) {
  // No window anywhere yet: a memory context still measures.
  custom->Canvas()->Font()->SetHeight(-20);
  int expected = ScreenTextWidth(custom->Canvas()->Font(), "Measure me");
  EXPECT_GT(expected, 0);
  EXPECT_EQ(custom->Canvas()->TextWidth("Measure me"), expected);
  EXPECT_FALSE(form->HandleAllocated());
  form->Show();
  EXPECT_EQ(custom->Canvas()->TextWidth("Measure me"), expected);
  EXPECT_EQ(label->Canvas()->TextWidth("Measure me"), ScreenTextWidth(label->Canvas()->Font(), "Measure me"));
}

TEST_F(CanvasTest, AGraphicControlDrawsOnItsParentAtItsPlaceAndClipped) {
  form->Show();
  TCanvas* canvas = label->Canvas();
  TRect clip = canvas->ClipRect();
  EXPECT_EQ(clip.left, 0);
  EXPECT_EQ(clip.top, 0);
  EXPECT_EQ(clip.right, 100);
  EXPECT_EQ(clip.bottom, 50);
  POINT origin{};
  GetViewportOrgEx(canvas->Handle(), &origin);
  EXPECT_EQ(origin.x, 40);
  EXPECT_EQ(origin.y, 30);
  // Filling far beyond the label paints only the label's part of the form.
  canvas->Brush()->SetColor(clRed);
  canvas->FillRect(TRect{-40, -30, 260, 170});
  GdiFlush();
  HDC dc = GetDC(form->Handle());
  EXPECT_EQ(GetPixel(dc, 45, 35), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 139, 79), RGB(255, 0, 0));
  EXPECT_NE(GetPixel(dc, 141, 35), RGB(255, 0, 0));
  EXPECT_NE(GetPixel(dc, 45, 81), RGB(255, 0, 0));
  ReleaseDC(form->Handle(), dc);
}

TEST_F(CanvasTest, ContextsAreGivenBackAfterTheMessageWhenIdleAndWithTheWindow) {
  form->Show();
  TControlCanvas* canvas = CanvasOf(custom);
  canvas->TextWidth("x");
  EXPECT_TRUE(canvas->OwnsHandle());
  // Any window message of the library, once handled, gives it back.
  SendMessageA(form->Handle(), WM_NULL, 0, 0);
  EXPECT_FALSE(canvas->OwnsHandle());
  canvas->TextWidth("x");
  Application->DoIdle();
  EXPECT_FALSE(canvas->OwnsHandle());
  canvas->TextWidth("x");
  HWND old = custom->Handle();
  custom->RecreateWnd();
  EXPECT_NE(custom->Handle(), old);
  EXPECT_FALSE(canvas->OwnsHandle());
  // Drawing goes on through a fresh context of the new window.
  EXPECT_GT(canvas->TextWidth("x"), 0);
}

TEST_F(CanvasTest, OnlyAFewContextsAreHeldAtOnce) {
  form->Show();
  std::vector<TLabel*> labels;
  for (int i = 0; i < 6; ++i) {
    auto* l = new TLabel(form);
    l->SetParent(form);
    l->Canvas()->TextWidth("x");
    labels.push_back(l);
  }
  int held = 0;
  for (TLabel* l : labels) held += CanvasOf(l)->OwnsHandle() ? 1 : 0;
  EXPECT_LE(held, 4);
  EXPECT_TRUE(CanvasOf(labels.back())->OwnsHandle());
  EXPECT_FALSE(CanvasOf(labels.front())->OwnsHandle());
}

TEST_F(CanvasTest, PaintingUsesThePaintContextNotOneTakenBefore) {
  form->Show();
  custom->Canvas()->TextWidth("x");  // takes the window's context
  TPaintTarget target(100, 60);
  HDC mem = target.Get();
  custom->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(GetPixel(mem, 50, 30), RGB(0, 255, 0));
  EXPECT_FALSE(CanvasOf(custom)->OwnsHandle());
}

}  // namespace
