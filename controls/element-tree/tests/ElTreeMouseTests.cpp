// Presses, releases and double clicks on a shown tree, by posted mouse
// messages with the real cursor at the same place: selections with Ctrl and
// Shift and the decision deferred to the release, buttons and right clicks,
// check boxes, disabled rows, edit requests, the capture after every
// release, and handlers that delete the clicked item.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"

namespace {

constexpr int kRow = 16;

// Records the edit requests the clicks make.
class TRequestView : public TElTreeView {
 public:
  explicit TRequestView(TCustomElTree* tree) : TElTreeView(tree) {}
  void RequestEdit(TElTreeItem* item, int section, bool immediately) override {
    requests.push_back(WideToAnsi(item->Text()) + (immediately ? " now" : " later") + " " + std::to_string(section));
  }
  std::vector<std::string> requests;
};

class TMouseTree : public TElTree {
 public:
  explicit TMouseTree(TComponent* owner) : TElTree(owner) {}
  TElTreeView* CreateView() override { return new TRequestView(this); }
  TRequestView* Requests() const { return static_cast<TRequestView*>(View()); }
  void MeasureCell(TElTreeItem*, int, TPoint& size) override { size = TPoint{120, kRow}; }
  void Settle() {
    RecountVisibleRows();
    View()->FillVisibleRows(FTopIndex);
  }
};

// Counts the tree's clicks; deletes a chosen item when it is selected or
// clicked.
class TProbe : public TObject {
 public:
  void Click(TObject*) { ++clicks; }
  void SelectedChange(TObject*, TElTreeItem* item) {
    if (item == victim && item->Selected()) Doom();
  }
  void ClickDelete(TObject*) {
    ++clicks;
    Doom();
  }
  void Doom() {
    if (TElTreeItem* doomed = victim) {
      victim = nullptr;
      doomed->Delete();
    }
  }
  int clicks = 0;
  TElTreeItem* victim = nullptr;
};

class TreeMouseWindow : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TMouseTree>(Owner());
    tree->SetUseXPThemes(false);
    tree->SetMultiSelect(true);
    tree->SetAutoLineHeight(false);
    tree->SetLineHeight(kRow);
    tree->SetShowCheckboxes(true);
    tree->SetBounds(0, 0, 240, 10 * kRow);
    tree->SetParent(Form());
    tree->View()->SetBounds(0, 0, 240, 10 * kRow);
    tree->HandleNeeded();
    for (int i = 0; i < 8; ++i) tree->Items()->AddLastChild(nullptr, TElFString(L"i") + std::to_wstring(i));
    tree->Items()->AddLastChild(Item(1), TElFString(L"c1"));
    N("i3")->SetShowCheckBox(true);
    tree->Settle();
    tree->OnClick = TNotifyEvent(&probe, &TProbe::Click);
    tree->OnItemSelectedChange = TItemSelChangeEvent(&probe, &TProbe::SelectedChange);
    Paint();
  }
  void TearDown() override {
    ReleaseCapture();
    eltest::ParkMouse();
    WindowTest::TearDown();
  }
  TElTreeItem* Item(int i) { return tree->Items()->Item(i); }
  // The item with that text.
  TElTreeItem* N(const char* name) {
    for (int i = 0; i < tree->Items()->Count(); ++i)
      if (WideToAnsi(Item(i)->Text()) == name) return Item(i);
    return nullptr;
  }
  HWND Wnd() { return tree->View()->Handle(); }
  // The paint records where each part of a row is, which the hit test reads.
  void Paint() {
    tree->Settle();
    TBitmap bitmap;
    bitmap.SetSize(240, 10 * kRow);
    tree->View()->DrawRows(bitmap.Canvas(), 0, tree->View()->VisibleRows());
  }
  // A point on a part of a shown item's row.
  POINT At(TElTreeItem* item, TSTItemPart part) {
    const TRect row = tree->View()->GetRowRect(tree->View()->VisibleRows()->IndexOf(item));
    const int y = (row.top + row.bottom) / 2;
    if (part == HitText) return POINT{(item->TextLeft() + item->TextRight()) / 2, y};
    if (part == HitIndent) return POINT{item->TextRight() + 30, y};
    const TElPartSpan span = item->PartSpan(part);
    return POINT{(span.Left + span.Right) / 2, y};
  }
  void Post(UINT msg, WPARAM keys, POINT p) {
    POINT screen = p;
    ClientToScreen(Wnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(Wnd(), msg, keys, MAKELPARAM(p.x, p.y));
    eltest::Flush();
  }
  void Click(TElTreeItem* item, TSTItemPart part = HitText, WPARAM keys = 0) {
    const POINT p = At(item, part);
    Post(WM_LBUTTONDOWN, keys | MK_LBUTTON, p);
    Post(WM_LBUTTONUP, keys, p);
  }
  void RightClick(TElTreeItem* item, TSTItemPart part = HitText) {
    const POINT p = At(item, part);
    Post(WM_RBUTTONDOWN, MK_RBUTTON, p);
    Post(WM_RBUTTONUP, 0, p);
  }
  void DoubleClick(TElTreeItem* item) {
    const POINT p = At(item, HitText);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, p);
    Post(WM_LBUTTONUP, 0, p);
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, p);
    Post(WM_LBUTTONUP, 0, p);
  }
  std::string Selection() {
    std::string s;
    for (int i = 0; i < tree->Items()->Count(); ++i)
      if (Item(i)->Selected()) s += (s.empty() ? "" : " ") + WideToAnsi(Item(i)->Text());
    return s;
  }

  TMouseTree* tree = nullptr;
  TProbe probe;
};

TEST_F(TreeMouseWindow, ClicksSelectAndTheReleaseFreesTheMouse) {
  const POINT p = At(N("i2"), HitText);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, p);
  EXPECT_EQ(GetCapture(), Wnd());
  EXPECT_EQ(Selection(), "i2");
  Post(WM_LBUTTONUP, 0, p);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(probe.clicks, 1);
  Click(N("i4"), HitText, MK_CONTROL);
  EXPECT_EQ(Selection(), "i2 i4");
  Click(N("i6"), HitText, MK_SHIFT);
  EXPECT_EQ(Selection(), "i2 i3 i4 i5 i6");
  // A press on a selected item leaves the selection to the release.
  const POINT q = At(N("i3"), HitText);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, q);
  EXPECT_EQ(Selection(), "i2 i3 i4 i5 i6");
  EXPECT_EQ(tree->GetFocusedItem(), N("i3"));
  Post(WM_LBUTTONUP, 0, q);
  EXPECT_EQ(Selection(), "i3");
  // RowSelect: right of the text still selects the row; without it not.
  Click(N("i5"), HitIndent);
  EXPECT_EQ(Selection(), "i5");
  tree->SetRowSelect(false);
  Click(N("i6"), HitIndent);
  EXPECT_EQ(Selection(), "i5");
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TreeMouseWindow, ButtonsExpandRightClicksSelectAndDoubleClicksToggle) {
  // A right click on the button selects the item and toggles nothing.
  RightClick(N("i1"), HitButton);
  EXPECT_FALSE(N("i1")->Expanded());
  EXPECT_EQ(Selection(), "i1");
  EXPECT_EQ(GetCapture(), nullptr);
  Click(N("i1"), HitButton);
  EXPECT_TRUE(N("i1")->Expanded());
  EXPECT_EQ(Selection(), "i1");
  // A right click on a selected item keeps the whole selection.
  Paint();
  Click(N("i4"), HitText, MK_SHIFT);
  RightClick(N("i2"));
  EXPECT_EQ(Selection(), "i1 c1 i2 i3 i4");
  EXPECT_EQ(tree->GetFocusedItem(), N("i2"));
  // A double click on the text collapses; the release after it is no
  // click that remembers the item.
  DoubleClick(N("i1"));
  EXPECT_FALSE(N("i1")->Expanded());
  EXPECT_EQ(tree->View()->LastClickedItem(), nullptr);
  EXPECT_FALSE(tree->View()->ClickedOnce());
  EXPECT_TRUE(tree->Requests()->requests.empty());
}

TEST_F(TreeMouseWindow, CheckBoxesAndDisabledRows) {
  N("i3")->SetCheckBoxType(ect3SCheckBox);
  Paint();
  std::string states;
  for (int i = 0; i < 3; ++i) {
    Click(N("i3"), HitCheckBox);
    states += std::to_string(N("i3")->CheckBoxState());
  }
  EXPECT_EQ(states, "210");  // unchecked -> grayed -> checked -> unchecked
  // A click on the box does not select.
  EXPECT_EQ(Selection(), "");
  // Disabled rows take neither focus nor selection, and keep no capture.
  Click(N("i2"));
  N("i5")->SetEnabled(false);
  probe.clicks = 0;
  Click(N("i5"));
  RightClick(N("i5"));
  EXPECT_EQ(Selection(), "i2");
  EXPECT_EQ(tree->GetFocusedItem(), N("i2"));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(probe.clicks, 0);
}

TEST_F(TreeMouseWindow, SecondClicksAndDoubleClicksRequestEdits) {
  N("i2")->SetInplaceEditable(true);
  Click(N("i2"));
  EXPECT_TRUE(tree->Requests()->requests.empty());
  Click(N("i2"));
  EXPECT_EQ(tree->Requests()->requests, (std::vector<std::string>{"i2 later 0"}));
  tree->SetDblClickMode(dcmEdit);
  DoubleClick(N("i2"));
  EXPECT_EQ(tree->Requests()->requests, (std::vector<std::string>{"i2 later 0", "i2 now 0"}));
  // An item that does not allow editing is never asked for.
  Click(N("i4"));
  Click(N("i4"));
  EXPECT_EQ(tree->Requests()->requests.size(), 2u);
}

TEST_F(TreeMouseWindow, HandlersDeleteTheClickedItem) {
  // Selecting it deletes it, in the middle of the press.
  probe.victim = N("i3");
  Click(N("i3"));
  EXPECT_EQ(tree->Items()->Count(), 8);
  EXPECT_EQ(GetCapture(), nullptr);
  // OnClick deletes the item the release remembers.
  Paint();
  tree->OnItemSelectedChange = TItemSelChangeEvent();
  tree->OnClick = TNotifyEvent(&probe, &TProbe::ClickDelete);
  probe.victim = N("i2");
  Click(N("i2"));
  EXPECT_EQ(tree->Items()->Count(), 7);
  EXPECT_EQ(tree->View()->LastClickedItem(), nullptr);
  EXPECT_EQ(tree->View()->PendingItem(), nullptr);
  // The press after it works on what is left.
  Paint();
  Click(N("i4"));
  EXPECT_EQ(Selection(), "i4");
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TElTreeInvariants::Check(tree), "");
}

}  // namespace
