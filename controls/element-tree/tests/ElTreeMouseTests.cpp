// Presses, releases and double clicks on a shown tree, by posted mouse
// messages with the real cursor at the same place: selection, buttons,
// right clicks, check boxes, disabled rows, edit requests, the capture after
// every release, and handlers that delete items mid-gesture (freed items
// are filled with garbage, so that any later read of one fails at once).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"

namespace {

class TPoisonedItem : public TElTreeItem {
 public:
  explicit TPoisonedItem(TCustomElTree* owner) : TElTreeItem(owner) {}
  static void operator delete(void* p, std::size_t size) { std::memset(p, 0xDD, size); }
};

// Records the edit requests the clicks make.
class TRequestView : public TElTreeView {
 public:
  explicit TRequestView(TCustomElTree* tree) : TElTreeView(tree) {}
  void RequestEdit(TElTreeItem* item, int section, bool immediately) override {
    requests.push_back(WideToAnsi(item->Text()) + (immediately ? " now " : " later ") + std::to_string(section));
  }
  std::vector<std::string> requests;
};

class TMouseTree : public TElTree {
 public:
  explicit TMouseTree(TComponent* owner) : TElTree(owner) {}
  TElTreeView* CreateView() override { return new TRequestView(this); }
  void MeasureCell(TElTreeItem*, int, TPoint& size) override { size = TPoint{120, 16}; }
  std::vector<std::string>& Requests() const { return static_cast<TRequestView*>(View())->requests; }
};

// Counts clicks; deletes its victims from the events it is wired to.
class TProbe : public TObject {
 public:
  void Click(TObject*) {
    ++clicks;
    Doom(clickVictim);
  }
  void Item(TObject*, TElTreeItem*) { Doom(victim); }
  void Link(TObject*, const TElFString& href) { links += WideToAnsi(href); }
  static void Doom(TElTreeItem*& victim) {
    if (TElTreeItem* doomed = victim) {
      victim = nullptr;
      doomed->Delete();
    }
  }
  int clicks = 0;
  std::string links;
  TElTreeItem* victim = nullptr;
  TElTreeItem* clickVictim = nullptr;
};

// A cell control that logs what the view tells it.
class TLogControl : public TElCellControl {
 public:
  explicit TLogControl(std::string& log) : log_(log) {}
  void TriggerMouseDown(TMouseButton, TShiftState, int x, int y) override { Put("down", x, y); }
  void TriggerMouseUp(TMouseButton, TShiftState, int x, int y) override { Put("up", x, y); }
  void TriggerMouseMove(TShiftState, int, int) override {}
  void TriggerDblClick() override { log_ += "dbl; "; }
  bool PassClicks() override { return pass; }
  void Activate() override { log_ += "activate; "; }
  void Paint(TCanvas*, const TRect&) override {}
  void Put(const char* what, int x, int y) { log_ += std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + "; "; }
  bool pass = true;

 private:
  std::string& log_;
};

class TreeMouseWindow : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TMouseTree>(Owner());
    tree->Items()->SetItemClass(&CreateElTreeItem<TPoisonedItem>);
    tree->SetUseXPThemes(false);
    tree->SetShowCheckboxes(true);
    tree->SetBounds(0, 0, 240, 160);
    tree->SetParent(Form());
    tree->View()->SetBounds(0, 0, 240, 160);
    tree->HandleNeeded();
    for (int i = 0; i < 8; ++i) tree->Items()->AddLastChild(nullptr, TElFString(L"i") + std::to_wstring(i));
    tree->Items()->AddLastChild(N("i1"), TElFString(L"c1"));
    tree->OnClick = TNotifyEvent(&probe, &TProbe::Click);
  }
  void TearDown() override {
    ReleaseCapture();
    eltest::ParkMouse();
    WindowTest::TearDown();
  }
  TElTreeItem* N(const char* name) {
    for (int i = 0; i < tree->Items()->Count(); ++i)
      if (WideToAnsi(tree->Items()->Item(i)->Text()) == name) return tree->Items()->Item(i);
    return nullptr;
  }
  // A point on a part of a shown row, from where the paint put it.
  POINT At(const char* name, TSTItemPart part) {
    TBitmap bitmap;
    bitmap.SetSize(240, 160);
    tree->View()->FillVisibleRows(tree->TopIndex());
    tree->View()->DrawRows(bitmap.Canvas(), 0, tree->View()->VisibleRows());
    TElTreeItem* item = N(name);
    const TRect row = tree->View()->GetRowRect(tree->View()->VisibleRows()->IndexOf(item));
    const TElPartSpan span = part == HitText     ? TElPartSpan{item->TextLeft(), item->TextRight()}
                             : part == HitIndent ? TElPartSpan{item->TextRight() + 20, item->TextRight() + 20}
                             : part == HitCell   ? TElPartSpan{130, 130}
                                                 : item->PartSpan(part);
    return POINT{(span.Left + span.Right) / 2, (row.top + row.bottom) / 2};
  }
  void Post(UINT msg, WPARAM keys, POINT p) {
    POINT screen = p;
    ClientToScreen(tree->View()->Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(tree->View()->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    eltest::Flush();
  }
  // Down and up (right: with the right button), or a double click.
  void Click(const char* name, TSTItemPart part = HitText, WPARAM keys = 0, bool right = false, bool twice = false) {
    const POINT p = At(name, part);
    Post(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, keys | (right ? MK_RBUTTON : MK_LBUTTON), p);
    Post(right ? WM_RBUTTONUP : WM_LBUTTONUP, keys, p);
    if (!twice) return;
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, p);
    Post(WM_LBUTTONUP, 0, p);
  }
  std::string Selection() {
    std::string s;
    for (int i = 0; i < tree->Items()->Count(); ++i)
      if (TElTreeItem* item = tree->Items()->Item(i); item->Selected())
        s += (s.empty() ? "" : " ") + WideToAnsi(item->Text());
    return s;
  }

  TMouseTree* tree = nullptr;
  TProbe probe;
};

TEST_F(TreeMouseWindow, ClicksSelectAndNoReleaseKeepsTheMouse) {
  const POINT p = At("i2", HitText);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, p);
  EXPECT_EQ(GetCapture(), tree->View()->Handle());
  EXPECT_EQ(Selection(), "i2");
  Post(WM_LBUTTONUP, 0, p);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(probe.clicks, 1);
  Click("i4", HitText, MK_CONTROL);
  Click("i6", HitText, MK_SHIFT);
  EXPECT_EQ(Selection(), "i2 i3 i4 i5 i6");
  // A press on a selected item leaves the decision to the release.
  const POINT q = At("i3", HitText);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, q);
  EXPECT_EQ(Selection(), "i2 i3 i4 i5 i6");
  Post(WM_LBUTTONUP, 0, q);
  EXPECT_EQ(Selection(), "i3");
  // RowSelect without columns: right of the text still selects the row.
  Click("i5", HitIndent);
  EXPECT_EQ(Selection(), "i5");
  // A disabled row takes nothing, and a release kept from the library's
  // handling still frees the mouse.
  N("i6")->SetEnabled(false);
  Click("i6");
  Click("i6", HitText, 0, true);
  EXPECT_EQ(Selection(), "i5");
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(probe.clicks, 5);
  // A click on a link of an HTML item.
  tree->OnLinkClick = TElHTMLLinkClickEvent(&probe, &TProbe::Link);
  TElTreeItem* html = N("i0");
  POINT link = At("i0", HitText);
  html->SetIsHTML(true);
  html->SetText(L"<html><a href=\"go\">LINKLINK</a> and text");
  At("i1", HitText);  // paints the new text
  link.x = html->TextLeft() + 6;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, link);
  Post(WM_LBUTTONUP, 0, link);
  EXPECT_EQ(probe.links, "go");
}

TEST_F(TreeMouseWindow, ButtonsRightClicksDoubleClicksAndCheckBoxes) {
  Click("i1", HitButton, 0, true);
  EXPECT_FALSE(N("i1")->Expanded());  // a right click on the button toggles nothing
  EXPECT_EQ(Selection(), "i1");
  Click("i1", HitButton);
  EXPECT_TRUE(N("i1")->Expanded());
  // A right click on a selected item keeps the whole selection.
  Click("i4", HitText, MK_SHIFT);
  Click("i2", HitText, 0, true);
  EXPECT_EQ(Selection(), "i1 c1 i2 i3 i4");
  EXPECT_EQ(tree->GetFocusedItem(), N("i2"));
  Click("i1", HitText, 0, false, true);
  EXPECT_FALSE(N("i1")->Expanded());
  EXPECT_EQ(tree->View()->LastClickedItem(), nullptr);
  N("i3")->SetShowCheckBox(true);
  N("i3")->SetCheckBoxType(ect3SCheckBox);
  std::string states;
  for (int i = 0; i < 3; ++i) {
    Click("i3", HitCheckBox);
    states += std::to_string(N("i3")->CheckBoxState());
  }
  EXPECT_EQ(states, "210");  // unchecked, grayed, checked, unchecked
  N("i3")->SetCheckBoxType(ectRadioButton);
  N("i5")->SetShowCheckBox(true);
  N("i5")->SetCheckBoxType(ectRadioButton);
  Click("i3", HitCheckBox);
  Click("i5", HitCheckBox);
  Click("i5", HitCheckBox);
  EXPECT_EQ(std::to_string(N("i3")->CheckBoxState()) + std::to_string(N("i5")->CheckBoxState()), "01");
  EXPECT_EQ(tree->GetFocusedItem(), N("i1"));
  // Expanding the last row scrolls its children into view, the item kept.
  for (int i = 0; i < 5; ++i) tree->Items()->AddLastChild(N("i7"), TElFString(L"c7"));
  Click("i7", HitButton);
  TElList* rows = tree->View()->VisibleRows();
  EXPECT_GT(tree->TopIndex(), 0);
  EXPECT_LE(tree->View()->GetRowRect(rows->IndexOf(N("i7")) + 5).bottom, tree->View()->ClientHeight());
}

TEST_F(TreeMouseWindow, CellControlsTakeTheMouseInTheirCells) {
  for (int width : {120, 100}) tree->Header()->Sections()->AddSection()->SetWidth(width);
  tree->SetShowColumns(true);
  std::string log;
  auto* control = new TLogControl(log);
  N("i2")->SetUseStyles(true);
  TElCellStyle* style = N("i2")->AddStyle();
  style->SetUseTreeLook(false);
  style->SetControl(control);
  const int y = At("i2", HitCell).y - tree->View()->GetRowRect(2).top;
  const std::string at = "10," + std::to_string(y) + "; ";
  Click("i2", HitCell);
  EXPECT_EQ(log, "down " + at + "up " + at + "activate; ");
  EXPECT_EQ(Selection(), "i2");
  // A control that keeps its clicks leaves the selection; released over
  // another row, it is told the button came up elsewhere.
  log.clear();
  control->pass = false;
  Click("i4");
  Post(WM_LBUTTONDOWN, MK_LBUTTON, At("i2", HitCell));
  Post(WM_LBUTTONUP, 0, At("i5", HitCell));
  EXPECT_EQ(log, "down " + at + "up -1,-1; ");
  EXPECT_EQ(Selection(), "i4");
  // A styled cell of a column without ClickSelect selects nothing.
  tree->Header()->Sections()->GetSectionByIndex(1)->SetClickSelect(false);
  control->pass = true;
  Click("i2", HitCell);
  EXPECT_EQ(Selection(), "i4");
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TreeMouseWindow, SecondClicksAndDoubleClicksRequestEdits) {
  N("i4")->SetInplaceEditable(false);
  Click("i2");
  Click("i2");
  Click("i4");
  Click("i4");
  tree->SetDblClickMode(dcmEdit);
  Click("i2", HitText, 0, false, true);
  EXPECT_EQ(tree->Requests(), (std::vector<std::string>{"i2 later 0", "i2 now 0"}));
}

TEST_F(TreeMouseWindow, HandlersDeleteItemsMidGesture) {
  // Selecting the item deletes it, in the middle of the press.
  tree->OnItemSelectedChange = TItemSelChangeEvent(&probe, &TProbe::Item);
  probe.victim = N("i3");
  Click("i3");
  // The selection handler deletes another selected item while a Shift
  // click clears the selection.
  Click("i6", HitText, MK_SHIFT);
  probe.victim = N("i5");
  Click("i2", HitText, MK_SHIFT);
  // OnClick deletes the item the release remembers; a check box handler
  // deletes its item before the change report.
  probe.clickVictim = N("i2");
  Click("i2");
  EXPECT_EQ(tree->View()->LastClickedItem(), nullptr);
  tree->OnItemChecked = TOnItemCheckedEvent(&probe, &TProbe::Item);
  N("i7")->SetShowCheckBox(true);
  probe.victim = N("i7");
  Click("i7", HitCheckBox);
  EXPECT_EQ(tree->Items()->Count(), 5);
  Click("i6");
  EXPECT_EQ(Selection(), "i6");
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TElTreeInvariants::Check(tree), "");
}

}  // namespace
