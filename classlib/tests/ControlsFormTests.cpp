// Forms read from their text resources, alignment and anchors through a
// resize, painting into a given device context, text and message routing.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"

namespace {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override { PublishTestForms(); }
  void TearDown() override {
    if (form) form->Free();
    Application->ProcessMessages();
  }
  TCtlTestForm* form = nullptr;
};

TEST_F(FormTest, ResourceFormHasItsControlsAtTheStoredBounds) {
  form = TCustomForm::Create<TCtlTestForm>(Application);
  ASSERT_NE(form->Memo1, nullptr);
  ASSERT_NE(form->Corner, nullptr);
  EXPECT_EQ(form->CreateCalls, 1);
  EXPECT_EQ(form->Caption(), "Controls test");
  EXPECT_EQ(form->BorderStyle(), bsNone);
  EXPECT_EQ(form->ClientWidth(), 400);
  EXPECT_EQ(form->ClientHeight(), 300);
  EXPECT_EQ(form->Memo1->Parent(), form);
  EXPECT_EQ(form->Memo1->Owner(), form);
  // The top-aligned label spans the client width before any window exists.
  EXPECT_EQ(form->TopLabel->Width(), 400);
  EXPECT_FALSE(form->Memo1->HandleAllocated());

  form->Show();
  ASSERT_TRUE(form->HandleAllocated());
  ASSERT_TRUE(form->Memo1->HandleAllocated());
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 300);
  RECT r = RectInParent(form->Memo1->Handle());
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(r.bottom - r.top, 60);
  RECT w;
  GetWindowRect(form->Handle(), &w);
  EXPECT_EQ(w.left, 40);
  EXPECT_EQ(w.top, 30);
  EXPECT_EQ(form->Corner->BoundsRect().left, 350);
}

TEST_F(FormTest, DerivedFormReadsTheBaseFormFirst) {
  auto* derived = TCustomForm::Create<TCtlTestDerivedForm>(Application);
  form = derived;
  EXPECT_EQ(derived->Caption(), "Derived");
  ASSERT_NE(derived->TopLabel, nullptr);
  EXPECT_EQ(derived->TopLabel->Caption(), "Derived top");
  ASSERT_NE(derived->Extra, nullptr);
  EXPECT_EQ(derived->Extra->Parent(), derived);
  // Base controls keep the base form's values.
  EXPECT_EQ(derived->Memo2->Left(), 200);
  EXPECT_EQ(derived->CreateCalls, 1);
}

TEST_F(FormTest, AlignAndAnchorsFollowAResize) {
  form = TCustomForm::Create<TCtlTestForm>(Application);
  auto check = [&](int cw, int ch) {
    EXPECT_EQ(form->TopLabel->Width(), cw);
    EXPECT_EQ(form->TopLabel->Top(), 0);
    // Left and right anchored: the width follows; left and top fixed.
    EXPECT_EQ(form->Memo2->Left(), 200);
    EXPECT_EQ(form->Memo2->Width(), 180 + cw - 400);
    // Right and bottom anchored: the position follows, the size stays.
    EXPECT_EQ(form->Corner->Left(), 350 + cw - 400);
    EXPECT_EQ(form->Corner->Top(), 250 + ch - 300);
    EXPECT_EQ(form->Corner->Width(), 40);
    // Not anchored right: unchanged.
    EXPECT_EQ(form->Memo1->BoundsRect().right, 170);
  };
  form->SetClientSize(500, 350);  // without a window
  check(500, 350);
  form->Show();
  form->SetClientSize(450, 320);  // with one
  check(450, 320);
  EXPECT_EQ(RectInParent(form->Memo2->Handle()).right, 200 + 180 + 50);
  form->SetClientSize(400, 300);  // and back
  check(400, 300);
}

TEST_F(FormTest, PaintsIntoTheDeviceContextGivenInWParam) {
  form = TCustomForm::Create<TCtlTestForm>(Application);
  auto* green = new TGreenControl(form);
  green->SetBounds(250, 150, 60, 40);
  green->SetParent(form);
  form->Show();
  TPaintTarget target(400, 300);
  HDC mem = target.Get();
  form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
  form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  // The shape (a graphic child) painted on the form's DC at its place.
  EXPECT_EQ(GetPixel(mem, 370, 270), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(mem, 350, 250), RGB(0, 0, 0));  // its pen
  COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
  EXPECT_EQ(GetPixel(mem, 300, 200), face);
  // A windowed control paints itself into a DC whose origin was moved, as
  // kit controls do when they fetch a background.
  SetWindowOrgEx(mem, -10, -10, nullptr);
  green->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  SetWindowOrgEx(mem, 0, 0, nullptr);
  EXPECT_EQ(GetPixel(mem, 12, 12), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(mem, 75, 55), face);
}

TEST_F(FormTest, TextChangeSendsTextChangedOnlyOnAChange) {
  form = TCustomForm::Create<TCtlTestForm>(Application);
  int changes = 0;
  struct Hook {
    TControl* control;
    TWndMethod old;
    int* changes;
    void Proc(TMessage& m) {
      if (m.Msg == CM_TEXTCHANGED) ++*changes;
      old(m);
    }
  } hook{form->HintLabel, form->HintLabel->WindowProc, &changes};
  // WindowProc is replaceable and restorable.
  form->HintLabel->WindowProc = TWndMethod(&hook, &Hook::Proc);
  form->HintLabel->SetCaption("Hover me");
  EXPECT_EQ(changes, 0);
  form->HintLabel->SetCaption("Other");
  EXPECT_EQ(changes, 1);
  form->HintLabel->SetCaption("Other");
  EXPECT_EQ(changes, 1);
  form->HintLabel->WindowProc = hook.old;
  form->HintLabel->SetCaption("Third");
  EXPECT_EQ(changes, 1);
  // A windowed control's text lives in its window.
  form->Show();
  form->Memo1->Lines()->SetText("a\r\nb\r\n");
  char buf[32] = {};
  GetWindowTextA(form->Memo1->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "a\r\nb");
  EXPECT_EQ(form->Memo1->Text(), "a\r\nb");
}

TEST_F(FormTest, AutoSizeFormTakesItsContentsSizeAlsoWhileHidden) {
  auto* host = new TForm(Application, 0);
  host->SetBorderStyle(bsNone);
  host->SetAutoSize(true);
  auto* holder = new TGreenControl(host);
  holder->SetBounds(0, 0, 123, 77);
  holder->SetParent(host);
  EXPECT_EQ(host->ClientWidth(), 123);
  EXPECT_EQ(host->ClientHeight(), 77);
  holder->SetBounds(0, 0, 150, 90);
  EXPECT_EQ(host->Width(), 150);
  EXPECT_EQ(host->Height(), 90);
  host->Free();
}

TEST_F(FormTest, ControlsFreedWithTheirParentAndOwnerAlike) {
  form = TCustomForm::Create<TCtlTestForm>(Application);
  auto* other = new TForm(Application, 0);
  // Owned by one form, parented to another: freeing the owner takes the
  // control out of its parent.
  auto* green = new TGreenControl(other);
  green->SetParent(form);
  int before = form->ControlCount();
  other->Free();
  EXPECT_EQ(form->ControlCount(), before - 1);
}

TEST(Hints, ShortAndLongHintsStopAtTheFirstNul) {
  EXPECT_EQ(GetShortHint("Short|Long"), "Short");
  EXPECT_EQ(GetLongHint("Short|Long"), "Long");
  EXPECT_EQ(GetShortHint("Only"), "Only");
  std::string packed("ab\0c|d", 6);
  EXPECT_EQ(GetShortHint(packed), packed);
  std::string packed2("a|b\0c|d", 7);
  EXPECT_EQ(GetShortHint(packed2), "a");
}

}  // namespace
