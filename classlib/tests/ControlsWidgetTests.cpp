// Properties and messages of single controls: parent font and colour, the
// label's sizing and drawing, the memo's reflected notifications, frames,
// constraints, z-order, system colour forwarding, cursors and message boxes.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"
#include "Dialogs.hpp"

namespace {

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 300, 200);
    form->SetColor(clBtnFace);
  }
  void TearDown() override { form->Free(); }
  // Renders the form into a memory bitmap through WM_PAINT with a DC.
  COLORREF PixelAfterPaint(int x, int y) {
    TPaintTarget target(300, 200);
    form->Perform(WM_ERASEBKGND, target.AsWParam(), 0);
    form->Perform(WM_PAINT, target.AsWParam(), 0);
    return GetPixel(target.Get(), x, y);
  }
  TForm* form = nullptr;
};

TEST_F(WidgetTest, ParentFontColourAndShowHintFollowTheParent) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  form->Font()->SetHeight(-20);
  form->SetColor(clRed);
  form->SetShowHint(true);
  EXPECT_EQ(label->Font()->Height(), -20);
  EXPECT_EQ(label->Color(), clRed);
  EXPECT_TRUE(label->ShowHint());
  EXPECT_TRUE(label->ParentFont());
  // A font of its own stops following.
  label->Font()->SetHeight(-9);
  EXPECT_FALSE(label->ParentFont());
  form->Font()->SetHeight(-30);
  EXPECT_EQ(label->Font()->Height(), -9);
  label->SetParentFont(true);
  EXPECT_EQ(label->Font()->Height(), -30);
}

TEST_F(WidgetTest, LabelSizesItselfToItsTextAndKeepsItsAlignmentEdge) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(100, 10, 200, 50);
  label->SetCaption("Some text");
  int w = label->Width();
  EXPECT_GT(w, 10);
  EXPECT_LT(w, 200);
  EXPECT_GT(label->Height(), 5);
  EXPECT_LT(label->Height(), 50);
  label->SetCaption("Some text, longer");
  EXPECT_GT(label->Width(), w);
  // Right-aligned: the right edge stays where it was.
  label->SetAlignment(taRightJustify);
  int right = label->Left() + label->Width();
  label->SetCaption("x");
  EXPECT_EQ(label->Left() + label->Width(), right);
  // Off: the bounds stay as set.
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 150, 40);
  label->SetCaption("Some text again");
  EXPECT_EQ(label->Width(), 150);
  EXPECT_EQ(label->Height(), 40);
}

TEST_F(WidgetTest, OpaqueLabelFillsItsColourTransparentOneLetsTheParentShow) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 100, 40);
  label->SetCaption("");
  label->SetColor(clBlue);
  form->Show();
  EXPECT_EQ(PixelAfterPaint(50, 30), RGB(0, 0, 255));
  label->SetTransparent(true);
  EXPECT_FALSE(label->ControlStyle().Contains(csOpaque));
  EXPECT_EQ(PixelAfterPaint(50, 30), static_cast<COLORREF>(ColorToRGB(clBtnFace)));
}

TEST_F(WidgetTest, LaterSiblingsPaintOverEarlierOnesUntilSentToBack) {
  auto* under = new TShape(form);
  under->SetParent(form);
  under->SetBounds(10, 10, 80, 80);
  under->Brush()->SetColor(clRed);
  auto* over = new TShape(form);
  over->SetParent(form);
  over->SetBounds(50, 50, 80, 80);
  over->Brush()->SetColor(clBlue);
  form->Show();
  EXPECT_EQ(PixelAfterPaint(70, 70), RGB(0, 0, 255));
  over->SendToBack();
  EXPECT_EQ(PixelAfterPaint(70, 70), RGB(255, 0, 0));
  EXPECT_EQ(form->ControlAtPos(POINT{70, 70}, false), under);
  over->BringToFront();
  EXPECT_EQ(form->ControlAtPos(POINT{70, 70}, false), over);
}

TEST_F(WidgetTest, MemoKeepsItsLinesWithoutAWindowAndTakesTypedTextBack) {
  auto* memo = new TMemo(form);
  memo->Lines()->Add("one");
  memo->Lines()->Add("two");
  EXPECT_EQ(memo->Text(), "one\r\ntwo");
  EXPECT_FALSE(memo->HandleAllocated());
  memo->SetParent(form);
  form->Show();
  ASSERT_TRUE(memo->HandleAllocated());
  int changes = 0;
  struct Counter {
    int* n;
    void Changed(TObject*) { ++*n; }
  } counter{&changes};
  memo->OnChange = TNotifyEvent(&counter, &Counter::Changed);
  // Typing: the edit's EN_CHANGE reaches the form as WM_COMMAND and comes
  // back to the memo as CN_COMMAND. (Setting a multi-line edit's text sends
  // no EN_CHANGE.)
  SetWindowTextA(memo->Handle(), "typed\r\ntext");
  SendMessageA(memo->Handle(), EM_SETSEL, 11, 11);
  SendMessageA(memo->Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(1), "textx");
}

TEST_F(WidgetTest, BorderWidthAndBevelsShrinkTheClientArea) {
  auto* box = new TGreenControl(form);
  box->SetParent(form);
  box->SetBounds(10, 10, 100, 80);
  box->SetBorderWidth(5);
  EXPECT_EQ(box->ClientWidth(), 90);
  box->SetBevelKind(bkFlat);
  box->SetBevelEdges({beLeft, beTop});
  // Inner and outer bevel one pixel each, on two edges.
  EXPECT_EQ(box->ClientWidth(), 88);
  EXPECT_EQ(box->ClientHeight(), 68);
  form->Show();
  RECT r;
  GetClientRect(box->Handle(), &r);
  EXPECT_EQ(r.right, 88);
  EXPECT_EQ(r.bottom, 68);
  // An aligned child fills the smaller client area.
  auto* inner = new TShape(form);
  inner->SetParent(box);
  inner->SetAlign(alClient);
  EXPECT_EQ(inner->Width(), 88);
  EXPECT_EQ(inner->Height(), 68);
}

TEST_F(WidgetTest, ConstraintsLimitTheSize) {
  auto* c = new TShape(form);
  c->SetParent(form);
  c->Constraints()->SetMinWidth(20);
  c->Constraints()->SetMaxHeight(50);
  c->SetBounds(0, 0, 5, 500);
  EXPECT_EQ(c->Width(), 20);
  EXPECT_EQ(c->Height(), 50);
}

// A control that counts WM_SYSCOLORCHANGE and CM_SYSCOLORCHANGE.
template <class Base>
class TColorWatch : public Base {
 public:
  explicit TColorWatch(TComponent* owner) : Base(owner) {}
  int Sys = 0;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_SYSCOLORCHANGE || m.Msg == CM_SYSCOLORCHANGE) ++Sys;
    Base::Dispatch(m);
  }
};

TEST_F(WidgetTest, SystemColourChangeReachesEveryChild) {
  auto* outer = new TColorWatch<TGreenControl>(form);
  outer->SetParent(form);
  auto* inner = new TColorWatch<TGreenControl>(form);
  inner->SetParent(outer);
  auto* graphic = new TColorWatch<TShape>(form);
  graphic->SetParent(outer);
  form->Show();
  // Windows sends it to the top-level window only.
  SendMessageA(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(outer->Sys, 1);
  EXPECT_EQ(inner->Sys, 1);
  EXPECT_EQ(graphic->Sys, 1);
}

TEST_F(WidgetTest, UnknownMessagesPassThroughAndBroadcastStopsAtAnAnswer) {
  auto* a = new TGreenControl(form);
  a->SetParent(form);
  form->Show();
  // A number no handler knows reaches the window's own procedure.
  EXPECT_EQ(a->Perform(7413, 1, 2), 0);
  EXPECT_EQ(a->Perform(WM_GETDLGCODE, 0, 0), 0);
  struct Answer {
    int calls = 0;
    TWndMethod old;
    void Proc(TMessage& m) {
      if (m.Msg == CM_BUTTONPRESSED) {
        ++calls;
        m.Result = 1;
        return;
      }
      old(m);
    }
  };
  auto* s1 = new TShape(form);
  auto* s2 = new TShape(form);
  s1->SetParent(form);
  s2->SetParent(form);
  Answer first, second;
  first.old = s1->WindowProc;
  second.old = s2->WindowProc;
  s1->WindowProc = TWndMethod(&first, &Answer::Proc);
  s2->WindowProc = TWndMethod(&second, &Answer::Proc);
  TMessage m;
  m.Msg = CM_BUTTONPRESSED;
  form->Broadcast(m);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(second.calls, 0);
  s1->WindowProc = first.old;
  s2->WindowProc = second.old;
}

TEST_F(WidgetTest, DoubleBufferedControlPaintsThroughAMemoryBitmap) {
  auto* box = new TGreenControl(form);
  box->SetParent(form);
  box->SetDoubleBuffered(true);
  form->Show();
  box->Paints = 0;
  box->Repaint();
  EXPECT_EQ(box->Paints, 1);
  HDC dc = GetDC(box->Handle());
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 255, 0));
  ReleaseDC(box->Handle(), dc);
}

TEST(Screen, CursorTableHasTheStandardAndRegisteredCursors) {
  EXPECT_NE(Screen->Cursors(crHandPoint), nullptr);
  EXPECT_NE(Screen->Cursors(crIBeam), Screen->Cursors(crArrow));
  EXPECT_EQ(Screen->Cursors(1458), Screen->Cursors(crDefault));
  HCURSOR own = LoadCursorA(nullptr, IDC_CROSS);
  Screen->SetCursors(1458, own);
  EXPECT_EQ(Screen->Cursors(1458), own);
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_GT(Screen->PixelsPerInch(), 0);
}

TEST(Screen, FormsListFollowsCreationAndDestruction) {
  int before = Screen->FormCount();
  auto* f = new TForm(Application, 0);
  EXPECT_EQ(Screen->FormCount(), before + 1);
  EXPECT_EQ(Screen->Forms(before), f);
  f->Free();
  EXPECT_EQ(Screen->FormCount(), before);
}

TEST(Dialogs, ButtonSetsMapToTheMessageBoxKinds) {
  EXPECT_EQ(MessageDlgFlags(mtConfirmation, {mbYes, mbNo}), unsigned(MB_ICONQUESTION | MB_YESNO));
  EXPECT_EQ(MessageDlgFlags(mtError, {mbOK}), unsigned(MB_ICONERROR | MB_OK));
  EXPECT_EQ(MessageDlgFlags(mtWarning, {mbOK, mbCancel}), unsigned(MB_ICONWARNING | MB_OKCANCEL));
  EXPECT_EQ(MessageDlgFlags(mtInformation, {mbAbort, mbRetry, mbIgnore}),
            unsigned(MB_ICONINFORMATION | MB_ABORTRETRYIGNORE));
}

}  // namespace
