// The header control with its window: painting read back from a memory
// bitmap, the mouse by synthetic messages (resizing, dragging, clicks and
// the ways a mouse mode ends), the lookup box, hints and the form property.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../../element/tests/ElDrawTestSupport.hpp"
#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ControlsDrag.hpp"
#include "ElACtrls.hpp"
#include "ElHeader.hpp"
#include "Forms.hpp"
#include "Menus.hpp"
#include "Streaming.hpp"

namespace {

using eltest::Px;

// The outline colour of the header's glyph bitmaps.
constexpr TColor kGlyphOutline = 0x606060;

class HeaderControl : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    header = new TElHeader(Owner());
    header->SetAlign(alNone);
    header->SetUseXPThemes(false);
    header->SetBounds(0, 0, 300, 20);
    header->SetParent(Form());
    header->HandleNeeded();
    header->OnSectionClick = TElSectionEvent(this, &HeaderControl::Clicked);
    header->OnSectionMove = TElSectionMoveEvent(this, &HeaderControl::Moved);
    header->OnSectionResizing = TElSectionResizingEvent(this, &HeaderControl::Resizing);
    header->OnSectionResize = TElSectionEvent(this, &HeaderControl::Resized);
  }
  void TearDown() override {
    ReleaseCapture();
    WindowTest::TearDown();
  }
  TElHeaderSection* Add(int width, const wchar_t* text = L"") {
    TElHeaderSection* s = header->Sections()->AddSection();
    s->SetWidth(width);
    s->SetText(text);
    return s;
  }
  std::unique_ptr<TBitmap> Paint() {
    auto surface = eltest::MakeSurface(header->Width(), header->Height());
    header->Perform(WM_PAINT, reinterpret_cast<WPARAM>(eltest::DC(*surface)), 0);
    return surface;
  }
  void Send(UINT msg, int x, int y) {
    const WPARAM keys = msg == WM_LBUTTONUP ? 0 : MK_LBUTTON;
    SendMessageA(header->Handle(), msg, keys, MAKELPARAM(x, y));
  }
  void Clicked(TObject*, TElHeaderSection* s) { clicks.push_back(s); }
  void Moved(TObject*, TElHeaderSection* s, int from, int to) { moves.emplace_back(s, from, to); }
  void Resizing(TObject*, TElHeaderSection*, TElHResizingStates state, int width) {
    resizing.emplace_back(state, width);
  }
  void Resized(TObject*, TElHeaderSection* s) { resized.push_back(s); }

  TElHeader* header = nullptr;
  std::vector<TElHeaderSection*> clicks;
  std::vector<std::tuple<TElHeaderSection*, int, int>> moves;
  std::vector<std::pair<int, int>> resizing;
  std::vector<TElHeaderSection*> resized;
};

// The bounding box of the pixels of a colour inside a rectangle.
TRect BoxOf(TBitmap& bitmap, const TRect& area, TColor color) {
  TRect box{area.right, area.bottom, area.left - 1, area.top - 1};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Px(bitmap, x, y) == ColorToRGB(color)) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x);
        box.bottom = std::max<LONG>(box.bottom, y);
      }
  return box;
}

// How many glyph pixels the topmost row of a glyph in the area has: one for
// an arrow pointing up, nine for one pointing down, 0 without a glyph.
int TopGlyphRow(TBitmap& bitmap, const TRect& area) {
  for (int y = area.top; y < area.bottom; ++y) {
    int n = 0;
    for (int x = area.left; x < area.right; ++x) n += Px(bitmap, x, y) == kGlyphOutline;
    if (n > 0) return n;
  }
  return 0;
}

TEST_F(HeaderControl, RaisedFramesSinkWhilePressedAndTheTextMovesWithThem) {
  Add(100, L"WWW");
  Add(100);
  auto up = Paint();
  const int bottom = header->Height() - 1;
  EXPECT_TRUE(eltest::PixelIs(*up, 0, 5, clBtnHighlight));
  EXPECT_TRUE(eltest::PixelIs(*up, 99, 5, cl3DDkShadow));
  EXPECT_TRUE(eltest::PixelIs(*up, 98, 5, clBtnShadow));
  EXPECT_TRUE(eltest::PixelIs(*up, 50, bottom, cl3DDkShadow));
  const TRect inside{2, 2, 90, bottom - 1};
  const TRect text = BoxOf(*up, inside, clWindowText);
  ASSERT_LT(text.left, text.right) << "the caption is painted";

  Send(WM_LBUTTONDOWN, 50, 8);
  EXPECT_EQ(header->PressedSection(), header->Sections()->GetSectionAt(0));
  auto down = Paint();
  EXPECT_TRUE(eltest::PixelIs(*down, 0, 5, cl3DDkShadow));
  EXPECT_TRUE(eltest::PixelIs(*down, 99, 5, clBtnHighlight));
  const TRect moved = BoxOf(*down, inside, clWindowText);
  EXPECT_EQ(moved.left, text.left + 1);
  EXPECT_EQ(moved.top, text.top + 1);
  Send(WM_LBUTTONUP, 50, 8);
  EXPECT_EQ(clicks.size(), 1u);

  // Flat: one raised line on every side.
  header->SetFlat(true);
  auto flat = Paint();
  EXPECT_TRUE(eltest::PixelIs(*flat, 0, 5, clBtnHighlight));
  EXPECT_TRUE(eltest::PixelIs(*flat, 99, 5, clBtnShadow));
  EXPECT_TRUE(eltest::PixelIs(*flat, 50, header->Height() - 1, clBtnShadow));
}

TEST_F(HeaderControl, SortArrowsPointTheirWayUnlessInvertedAndNeedRoom) {
  TElHeaderSection* up = Add(100);
  TElHeaderSection* down = Add(100);
  header->SetKeepSortModes(true);
  up->SetSortMode(hsmAscend);
  down->SetSortMode(hsmDescend);
  const TRect first{70, 0, 100, 20}, second{170, 0, 200, 20};
  auto plain = Paint();
  EXPECT_EQ(TopGlyphRow(*plain, first), 1);
  EXPECT_EQ(TopGlyphRow(*plain, second), 9);
  header->SetInvertSortArrows(true);
  auto inverted = Paint();
  EXPECT_EQ(TopGlyphRow(*inverted, first), 9);
  EXPECT_EQ(TopGlyphRow(*inverted, second), 1);
  // 4 pixels of margin and 13 for the mark.
  up->SetWidth(17);
  EXPECT_GT(TopGlyphRow(*Paint(), TRect{0, 0, 17, 20}), 0);
  up->SetWidth(16);
  EXPECT_EQ(TopGlyphRow(*Paint(), TRect{0, 0, 16, 20}), 0);
  up->SetShowSortMark(false);
  up->SetWidth(100);
  EXPECT_EQ(TopGlyphRow(*Paint(), first), 0);
}

TEST_F(HeaderControl, TheFilterTriangleTakesTheColourOfItsState) {
  TElHeaderSection* s = Add(100);
  s->SetFilterEnabled(true);
  header->SetFilterColor(clRed);
  header->SetActiveFilterColor(clBlue);
  const TRect corner{88, 8, 100, 20};
  auto idle = Paint();
  EXPECT_GT(eltest::CountColor(*idle, corner, clRed), 4);
  EXPECT_EQ(eltest::CountColor(*idle, corner, clBlue), 0);
  s->SetFilterIsActive(true);
  auto active = Paint();
  EXPECT_EQ(eltest::CountColor(*active, corner, clRed), 0);
  EXPECT_GT(eltest::CountColor(*active, corner, clBlue), 4);
}

TEST_F(HeaderControl, AGripResizesWithALineOrLiveAndTellsEachState) {
  TElHeaderSection* a = Add(100);
  Add(100);
  Send(WM_LBUTTONDOWN, 98, 5);
  EXPECT_TRUE(header->Resizing());
  EXPECT_TRUE(header->ResizeLineShown());
  Send(WM_MOUSEMOVE, 120, 5);
  EXPECT_EQ(a->Width(), 100) << "only the line moves";
  Send(WM_LBUTTONUP, 120, 5);
  EXPECT_FALSE(header->Resizing());
  EXPECT_FALSE(header->ResizeLineShown());
  EXPECT_EQ(a->Width(), 122);
  EXPECT_EQ(resizing, (std::vector<std::pair<int, int>>{{0, 100}, {1, 122}, {2, 122}}));
  EXPECT_EQ(resized, (std::vector<TElHeaderSection*>{a}));
  EXPECT_TRUE(clicks.empty());

  header->SetResizeOnDrag(true);
  resizing.clear();
  Send(WM_LBUTTONDOWN, 120, 5);
  Send(WM_MOUSEMOVE, 90, 5);
  EXPECT_EQ(a->Width(), 92);
  a->SetMinWidth(80);
  Send(WM_MOUSEMOVE, 50, 5);
  EXPECT_EQ(a->Width(), 92) << "a width below MinWidth is not taken";
  Send(WM_LBUTTONUP, 50, 5);
  EXPECT_EQ(resizing, (std::vector<std::pair<int, int>>{{0, 122}, {1, 92}, {2, 92}}));
}

TEST_F(HeaderControl, ADragStartsPastFivePixelsAndDropsOnTheSectionUnderThePointer) {
  TElHeaderSection* a = Add(80);
  TElHeaderSection* b = Add(80);
  TElHeaderSection* c = Add(80);
  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_MOUSEMOVE, 43, 8);
  EXPECT_EQ(header->DragSection(), nullptr);
  Send(WM_MOUSEMOVE, 43, 9);
  EXPECT_EQ(header->DragSection(), a);
  Send(WM_MOUSEMOVE, 200, 5);
  EXPECT_EQ(header->DropSection(), c);
  EXPECT_TRUE(moves.empty()) << "without MoveOnDrag nothing moves before the drop";
  Send(WM_LBUTTONUP, 200, 5);
  EXPECT_EQ(moves, (std::vector<std::tuple<TElHeaderSection*, int, int>>{{a, 0, 2}}));
  EXPECT_EQ(header->Sections()->GetSectionAt(0), b);
  EXPECT_EQ(header->Sections()->GetSectionAt(1), c);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(header->DragSection(), nullptr);
}

TEST_F(HeaderControl, MoveOnDragMovesWhileDraggingAndTheDropAddsNothing) {
  header->SetMoveOnDrag(true);
  TElHeaderSection* a = Add(40);
  TElHeaderSection* b = Add(120);
  Add(80);
  Send(WM_LBUTTONDOWN, 20, 5);
  Send(WM_MOUSEMOVE, 26, 5);
  // A narrow section passes a wide one only within its own width of the
  // far edge, and goes back only within its width of the near edge.
  Send(WM_MOUSEMOVE, 100, 5);
  EXPECT_TRUE(moves.empty());
  Send(WM_MOUSEMOVE, 130, 5);
  EXPECT_EQ(moves, (std::vector<std::tuple<TElHeaderSection*, int, int>>{{a, 0, 1}}));
  Send(WM_MOUSEMOVE, 100, 5);
  EXPECT_EQ(moves.size(), 1u);
  Send(WM_MOUSEMOVE, 130, 5);
  Send(WM_LBUTTONUP, 130, 5);
  EXPECT_EQ(moves.size(), 1u);
  EXPECT_EQ(header->Sections()->GetSectionAt(0), b);
  EXPECT_EQ(header->Sections()->GetSectionAt(1), a);
}

TEST_F(HeaderControl, AClickNeedsTheReleaseOverThePressedSection) {
  header->SetAllowDrag(false);
  TElHeaderSection* a = Add(80);
  Add(80);
  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_MOUSEMOVE, 120, 5);
  Send(WM_LBUTTONUP, 120, 5);
  EXPECT_TRUE(clicks.empty());
  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_LBUTTONUP, 45, 5);
  EXPECT_EQ(clicks, (std::vector<TElHeaderSection*>{a}));
  a->SetAllowClick(false);
  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_LBUTTONUP, 40, 5);
  EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(HeaderControl, EscapeFromAnyWindowPutsADraggedSectionBack) {
  header->SetMoveOnDrag(true);
  TElHeaderSection* a = Add(80);
  Add(80);
  Add(80);
  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_MOUSEMOVE, 46, 5);
  Send(WM_MOUSEMOVE, 170, 5);
  ASSERT_EQ(header->Sections()->GetSectionAt(2), a);
  ASSERT_EQ(GetCapture(), header->Handle());
  // The key goes where the focus is; the header only sees it because it
  // holds the capture.
  HWND focus = GetFocus() ? GetFocus() : Form()->Handle();
  PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
  eltest::Flush();
  EXPECT_EQ(header->DragSection(), nullptr);
  EXPECT_EQ(header->Sections()->GetSectionAt(0), a);
  EXPECT_EQ(moves, (std::vector<std::tuple<TElHeaderSection*, int, int>>{{a, 0, 2}, {a, 2, 0}}));
  Send(WM_LBUTTONUP, 170, 5);
  EXPECT_EQ(moves.size(), 2u);
}

TEST_F(HeaderControl, CancelModeEndsAResizeAsAReleaseAndLeavingEndsAPress) {
  TElHeaderSection* a = Add(100);
  Send(WM_LBUTTONDOWN, 98, 5);
  Send(WM_MOUSEMOVE, 130, 5);
  SendMessageA(header->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(header->Resizing());
  EXPECT_EQ(a->Width(), 132);
  ASSERT_FALSE(resizing.empty());
  EXPECT_EQ(resizing.back(), std::make_pair(2, 132));

  Send(WM_LBUTTONDOWN, 40, 5);
  EXPECT_TRUE(header->Pressing());
  header->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(header->Pressing());
  Send(WM_LBUTTONUP, 40, 5);
  EXPECT_TRUE(clicks.empty());

  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_MOUSEMOVE, 60, 5);
  ASSERT_NE(header->DragSection(), nullptr);
  SendMessageA(header->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(header->DragSection(), nullptr);
  EXPECT_TRUE(moves.empty()) << "a release at (-1, -1) drops nowhere";
}

TEST_F(HeaderControl, TheExpandSignTogglesAndADoubleClickOnAGripAsksForAutoSize) {
  TElHeaderSection* parent = Add(100);
  TElHeaderSection* child = Add(50);
  parent->SetExpandable(true);
  child->SetParentSection(parent);
  std::vector<std::string> log;
  struct Recorder {
    std::vector<std::string>* Log;
    void Expand(TObject*, TElHeaderSection*) { Log->push_back("expand"); }
    void Collapse(TObject*, TElHeaderSection*) { Log->push_back("collapse"); }
    void AutoSize(TObject*, TElHeaderSection* s) { Log->push_back("autosize " + std::to_string(s->Width())); }
  } recorder{&log};
  header->OnSectionExpand = TElSectionEvent(&recorder, &Recorder::Expand);
  header->OnSectionCollapse = TElSectionEvent(&recorder, &Recorder::Collapse);
  header->OnSectionAutoSize = TElSectionEvent(&recorder, &Recorder::AutoSize);
  Send(WM_LBUTTONDOWN, 92, 5);
  Send(WM_LBUTTONUP, 92, 5);
  EXPECT_TRUE(child->Visible());
  Send(WM_LBUTTONDOWN, 92, 5);
  Send(WM_LBUTTONUP, 92, 5);
  EXPECT_FALSE(child->Visible());
  EXPECT_TRUE(clicks.empty());
  Send(WM_LBUTTONDOWN, 98, 5);
  Send(WM_LBUTTONUP, 98, 5);
  Send(WM_LBUTTONDBLCLK, 98, 5);
  EXPECT_FALSE(header->Resizing()) << "a double click on a grip starts no resize";
  Send(WM_LBUTTONUP, 98, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"expand", "collapse", "autosize 100"}));
}

TEST_F(HeaderControl, TheClassLibrarysDragMessagesEndTheDropMarkAndACancelTheDrag) {
  Add(80);
  Add(80);
  Send(WM_LBUTTONDOWN, 40, 5);
  Send(WM_MOUSEMOVE, 120, 5);
  ASSERT_NE(header->DropSection(), nullptr);
  header->Perform(CM_DRAG, dmDragMove, 0);
  EXPECT_NE(header->DropSection(), nullptr);
  header->Perform(CM_DRAG, dmDragLeave, 0);
  EXPECT_EQ(header->DropSection(), nullptr);
  EXPECT_NE(header->DragSection(), nullptr);
  header->Perform(CM_DRAG, dmDragCancel, 0);
  EXPECT_EQ(header->DragSection(), nullptr);
  Send(WM_LBUTTONUP, 120, 5);
  EXPECT_TRUE(moves.empty());
}

TEST_F(HeaderControl, RightAlignedTextReadsRightToLeftAndTheOrderReversesOnce) {
  Add(100, L"i");
  Add(100, L"ii");
  Add(100, L"iii");
  const TRect first{2, 2, 96, header->Height() - 2};
  EXPECT_LT(BoxOf(*Paint(), first, clWindowText).left, 30);
  header->SetRightAlignedText(true);
  EXPECT_NE(GetWindowLongA(header->Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING, 0);
  EXPECT_GT(BoxOf(*Paint(), first, clWindowText).left, 60) << "a left-aligned caption goes right";

  header->SetRightAlignedOrder(true);
  EXPECT_EQ(header->Sections()->SectionsOrder(), "i2:w100:vt,i1:w100:vt,i0:w100:vt,");
  header->SetRightAlignedOrder(false);
  EXPECT_EQ(header->Sections()->SectionsOrder(), "i0:w100:vt,i1:w100:vt,i2:w100:vt,");

  // A form stores the reversed order; reading it back keeps it.
  auto* holder = new TForm(Owner(), 0);
  auto* stored = new TElHeader(holder);
  stored->SetName("rtl_header");
  stored->SetParent(holder);
  for (int i = 0; i < 3; ++i) stored->Sections()->AddSection()->SetWidth(50 + i);
  stored->SetRightAlignedOrder(true);
  const std::string order = stored->Sections()->SectionsOrder();
  const std::string text = ComponentToText(holder);
  auto* copy = new TForm(Owner(), 0);
  ReadComponentText(text, copy, "right-aligned header");
  auto* read = dynamic_cast<TElHeader*>(copy->FindComponent("rtl_header"));
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->RightAlignedOrder());
  EXPECT_EQ(read->Sections()->SectionsOrder(), order);
}

TEST_F(HeaderControl, TheLookupBoxAcceptsWithEnterOnceAndGivesUpWithEscape) {
  auto* other = new TElAdvancedComboBox(Owner());
  other->SetBounds(10, 60, 120, 21);
  other->SetParent(Form());
  other->SetFocus();
  ASSERT_TRUE(other->Focused());
  TElHeaderSection* s = Add(100);
  s->SetLookupEnabled(true);
  std::vector<std::string> typed;
  std::vector<std::pair<std::string, bool>> done;
  struct Handlers {
    std::vector<std::string>* Typed;
    std::vector<std::pair<std::string, bool>>* Done;
    void Lookup(TObject*, TElHeaderSection*, AnsiString& text) {
      Typed->push_back(text);
      if (text == "ab") text = "AB";
    }
    void LookupDone(TObject*, TElHeaderSection*, const AnsiString& text, bool accepted) {
      Done->emplace_back(text, accepted);
    }
  } handlers{&typed, &done};
  header->OnHeaderLookup = TElHeaderLookupEvent(&handlers, &Handlers::Lookup);
  header->OnHeaderLookupDone = TElHeaderLookupDoneEvent(&handlers, &Handlers::LookupDone);

  auto open = [&] {
    Send(WM_LBUTTONDOWN, 92, 14);
    Send(WM_LBUTTONUP, 92, 14);
    ASSERT_TRUE(header->LookupVisible());
    ASSERT_TRUE(header->LookupBox()->Focused());
  };
  auto type = [&](const char* text) {
    for (const char* p = text; *p; ++p) SendMessageA(header->LookupBox()->EditHandle(), WM_CHAR, Byte(*p), 1);
  };
  auto key = [&](Word vk) {
    HWND edit = header->LookupBox()->EditHandle();
    SendMessageA(edit, WM_KEYDOWN, vk, 1);
    SendMessageA(edit, WM_CHAR, vk, 1);
  };
  open();
  EXPECT_TRUE(clicks.empty()) << "the lookup button is no click";
  type("ab");
  EXPECT_EQ(typed, (std::vector<std::string>{"a", "ab"}));
  EXPECT_EQ(header->LookupBox()->Text(), "AB");
  key(VK_RETURN);
  EXPECT_FALSE(header->LookupVisible());
  EXPECT_EQ(done, (std::vector<std::pair<std::string, bool>>{{"AB", true}}));
  EXPECT_TRUE(other->Focused());

  s->LookupHistory()->Add("older");
  open();
  EXPECT_EQ(header->LookupBox()->Items()->Count(), 2);
  type("AB");
  key(VK_RETURN);
  EXPECT_EQ(s->LookupHistory()->Text(), "AB\r\nolder\r\n");

  open();
  type("zz");
  key(VK_ESCAPE);
  EXPECT_FALSE(header->LookupVisible());
  EXPECT_EQ(done.back(), std::make_pair(std::string("zz"), false));
  EXPECT_EQ(s->LookupHistory()->Text(), "AB\r\nolder\r\n");
  EXPECT_TRUE(other->Focused());
}

TEST_F(HeaderControl, HintsComeFromTheSectionUnderThePointerOrTheHeader) {
  TElHeaderSection* a = Add(100);
  TElHeaderSection* b = Add(100);
  a->SetHint(L"Ширина|подробно");
  header->SetHint(L"Заголовок");
  auto ask = [&](int x) {
    THintInfo info;
    info.HintControl = header;
    info.CursorPos = POINT{x, 5};
    info.HintStr = GetShortHint(header->TControl::Hint());
    header->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  };
  std::string ansi;
  std::wstring wide;
  THintInfo onA = ask(50);
  ASSERT_TRUE(eltest::UnpackHint(onA.HintStr, ansi, wide));
  EXPECT_EQ(wide, L"Ширина");
  EXPECT_EQ(header->HintSection(), a);
  THintInfo onB = ask(150);
  ASSERT_TRUE(eltest::UnpackHint(onB.HintStr, ansi, wide));
  EXPECT_EQ(wide, L"Заголовок");
  EXPECT_EQ(header->HintSection(), b);
  EXPECT_EQ(onB.CursorRect.left, 100);
  EXPECT_EQ(onB.CursorRect.right, 200);
}

TEST_F(HeaderControl, TheSectionsTravelThroughAFormAsData) {
  auto* holder = new TForm(Owner(), 0);
  auto* menu = new TPopupMenu(holder);
  menu->SetName("columns_menu");
  auto* h = new TElHeader(holder);
  h->SetName("grid_header");
  h->SetParent(holder);
  TElHeaderSection* s = h->Sections()->AddSection();
  s->SetText(L"Имя");
  s->SetWidth(140);
  s->SetSortMode(hsmAscend);
  s->SetPopupMenu(menu);
  h->Sections()->AddSection()->SetText(L"Размер");
  const std::string order = h->Sections()->SectionsOrder();
  const std::string text = ComponentToText(holder);
  EXPECT_NE(text.find("Sections.Data = {"), std::string::npos) << text;
  EXPECT_EQ(text.find("SectionsOrder"), std::string::npos) << text;
  holder->Free();

  auto* copy = new TForm(Owner(), 0);
  ReadComponentText(text, copy, "header form");
  auto* read = dynamic_cast<TElHeader*>(copy->FindComponent("grid_header"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->Sections()->Count(), 2);
  EXPECT_EQ(read->Sections()->SectionsOrder(), order);
  EXPECT_EQ(read->Sections()->GetSectionAt(0)->Text(), L"Имя");
  EXPECT_EQ(read->Sections()->GetSectionAt(0)->SortMode(), hsmAscend);
  EXPECT_EQ(read->Sections()->GetSectionAt(0)->PopupMenu(), copy->FindComponent("columns_menu"));
}

}  // namespace
