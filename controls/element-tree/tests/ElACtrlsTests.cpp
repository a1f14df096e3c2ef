// The advanced combo box with its window: the list's horizontal extent,
// the drop-down width, completion while typing, dialog codes, window
// styles, the inner windows' message events, the painted frame and button,
// and the packed hint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElACtrls.hpp"
#include "Forms.hpp"
#include "Streaming.hpp"

namespace {

class TTestCombo : public TElAdvancedComboBox {
 public:
  explicit TTestCombo(TComponent* owner) : TElAdvancedComboBox(owner) {}
  TCreateParams Params() {
    TCreateParams p;
    CreateParams(p);
    return p;
  }
  int ItemWidth(int index) { return GetItemWidth(index); }
};

class AdvancedComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 40, 320, 200);
    form->HandleNeeded();
    combo = new TTestCombo(form);
    combo->SetBounds(10, 10, 150, 21);
  }
  void TearDown() override { form->Free(); }
  void Type(const std::string& text) {
    for (char c : text) SendMessageA(combo->EditHandle(), WM_CHAR, static_cast<Byte>(c), 0);
  }
  std::pair<int, int> Selection() {
    DWORD start = 0, end = 0;
    SendMessageA(combo->EditHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {int(start), int(end)};
  }
  LRESULT ListExtent() { return SendMessageA(combo->ListHandle(), LB_GETHORIZONTALEXTENT, 0, 0); }

  TForm* form = nullptr;
  TTestCombo* combo = nullptr;
};

TEST_F(AdvancedComboTest, ListExtentFollowsTheWidestItem) {
  combo->SetHorizontalScroll(true);
  combo->SetParent(form);
  ASSERT_NE(combo->ListHandle(), nullptr);
  combo->Items()->Add("ab");
  combo->Items()->Add("a rather longer item");
  combo->Items()->Add("abcd");
  const int longest = combo->ItemWidth(1);
  const int next = combo->ItemWidth(2);
  ASSERT_GT(longest, next);
  EXPECT_EQ(ListExtent(), longest);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETHORIZONTALEXTENT, 0, 0), longest);

  combo->Items()->Delete(0);  // a narrow one: the extent stays, the item goes
  EXPECT_EQ(combo->Items()->Count(), 2);
  EXPECT_EQ(ListExtent(), longest);
  combo->Items()->Delete(0);  // the widest: the extent shrinks to the next
  EXPECT_EQ(combo->Items()->Text(), "abcd\r\n");
  EXPECT_EQ(ListExtent(), next);
  combo->Items()->Insert(0, "x");
  EXPECT_EQ(ListExtent(), next);
  combo->Items()->Clear();
  EXPECT_EQ(ListExtent(), 0);
  EXPECT_EQ(combo->WidestItem(), 0);
}

TEST_F(AdvancedComboTest, DropDownWidthBelowTheWidthKeepsTheControlsWidth) {
  combo->SetParent(form);
  ShowWindow(form->Handle(), SW_SHOWNA);
  combo->Items()->Add("one");
  combo->SetDropDownWidth(300);
  combo->SetDroppedDown(true);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 300);
  combo->SetDroppedDown(false);
  combo->SetDropDownWidth(60);
  combo->SetDroppedDown(true);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), combo->Width());
  combo->SetDroppedDown(false);
}

TEST_F(AdvancedComboTest, TypingCompletesToTheFirstItemWithThatPrefix) {
  combo->SetAutoCompletion(true);
  combo->SetParent(form);
  for (const char* item : {"Banana", "Apple", "Apricot", "apple pie"}) combo->Items()->Add(item);
  Type("A");
  EXPECT_EQ(combo->Text(), "Apple");
  EXPECT_EQ(Selection(), std::make_pair(1, 5)) << "the completed tail is selected";
  Type("pr");
  EXPECT_EQ(combo->Text(), "Apricot");
  EXPECT_EQ(Selection(), std::make_pair(3, 7));
  SendMessageA(combo->EditHandle(), WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(combo->Text(), "Apr") << "Backspace removes the tail and completes nothing";
  SetWindowTextA(combo->EditHandle(), "");
  Type("ap");
  EXPECT_EQ(combo->Text(), "apple pie") << "prefixes match case-sensitively";
  SetWindowTextA(combo->EditHandle(), "");
  Type("C");
  EXPECT_EQ(combo->Text(), "C");
}

TEST_F(AdvancedComboTest, OnlyTheDropDownStyleCompletes) {
  combo->SetAutoCompletion(true);
  combo->SetStyle(csSimple);
  combo->SetParent(form);
  combo->Items()->Add("Apple");
  ASSERT_NE(combo->EditHandle(), nullptr);
  Type("A");
  EXPECT_EQ(combo->Text(), "A");
  combo->SetStyle(csDropDown);
  combo->SetAutoCompletion(false);
  SetWindowTextA(combo->EditHandle(), "");
  Type("A");
  EXPECT_EQ(combo->Text(), "A");
}

TEST_F(AdvancedComboTest, DialogCodesFollowHandleDialogKeys) {
  combo->SetParent(form);
  EXPECT_EQ(combo->Perform(WM_GETDLGCODE, 0, 0), 129);
  EXPECT_FALSE(SendMessageA(combo->EditHandle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
  combo->SetHandleDialogKeys(true);
  EXPECT_EQ(combo->Perform(WM_GETDLGCODE, 0, 0), 133);
  EXPECT_TRUE(SendMessageA(combo->EditHandle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
}

TEST_F(AdvancedComboTest, TabLeavesTheEditUnlessDialogKeysAreHandled) {
  auto* next = new TMemo(form);
  next->SetBounds(10, 50, 100, 60);
  combo->SetParent(form);
  next->SetParent(form);
  form->Show();  // the focus moves only between controls that can take it
  std::vector<Word> keys;
  struct Keys {
    std::vector<Word>* keys;
    void Down(TObject*, Word& key, TShiftState) { keys->push_back(key); }
  } recorder{&keys};
  combo->OnKeyDown = TKeyEvent(&recorder, &Keys::Down);
  combo->SetHandleDialogKeys(true);
  combo->SetFocus();
  ASSERT_EQ(GetFocus(), combo->EditHandle());
  SendMessageA(combo->EditHandle(), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(GetFocus(), combo->EditHandle()) << "the owner handles the Tab key";
  EXPECT_EQ(keys, std::vector<Word>{VK_TAB});
  combo->SetHandleDialogKeys(false);
  SendMessageA(combo->EditHandle(), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(GetFocus(), next->Handle());
}

TEST_F(AdvancedComboTest, WindowStylesHaveNoBorderOfTheirOwn) {
  auto p = combo->Params();
  EXPECT_FALSE(p.Style & WS_BORDER);
  EXPECT_FALSE(p.ExStyle & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(p.Style & WS_HSCROLL);
  combo->SetHorizontalScroll(true);
  p = combo->Params();
  EXPECT_TRUE(p.Style & WS_HSCROLL);
  combo->SetParent(form);
  EXPECT_FALSE(GetWindowLongPtrA(combo->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(GetWindowLongPtrA(combo->Handle(), GWL_STYLE) & WS_BORDER);
}

TEST_F(AdvancedComboTest, InnerWindowMessagesReachTheOwnerAcrossRecreation) {
  struct Log {
    std::vector<UINT> list, edit;
    void List(TMessage& m) { list.push_back(m.Msg); }
    void Edit(TMessage& m) { edit.push_back(m.Msg); }
  } log;
  combo->OnListWindowMessage = TElWndMessageEvent(&log, &Log::List);
  combo->OnEditWindowMessage = TElWndMessageEvent(&log, &Log::Edit);
  combo->SetParent(form);
  combo->Items()->Add("one");
  EXPECT_NE(std::find(log.list.begin(), log.list.end(), UINT(LB_ADDSTRING)), log.list.end());
  SendMessageA(combo->EditHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  EXPECT_NE(std::find(log.edit.begin(), log.edit.end(), UINT(WM_SETTEXT)), log.edit.end());

  const HWND oldList = combo->ListHandle();
  combo->RecreateWnd();
  EXPECT_NE(std::find(log.list.begin(), log.list.end(), UINT(WM_DESTROY)), log.list.end());
  EXPECT_NE(std::find(log.edit.begin(), log.edit.end(), UINT(WM_DESTROY)), log.edit.end());
  ASSERT_NE(combo->ListHandle(), oldList);
  log.list.clear();
  combo->Items()->Add("two");
  EXPECT_NE(std::find(log.list.begin(), log.list.end(), UINT(LB_ADDSTRING)), log.list.end())
      << "the new list is watched too";
  EXPECT_EQ(combo->Items()->Count(), 2);
  combo->OnListWindowMessage = nullptr;
  combo->OnEditWindowMessage = nullptr;
}

// Renders the combo box (system face first, then the frame and button) into
// a memory bitmap.
class Rendering {
 public:
  Rendering(TWinControl* control) : w_(control->Width()), h_(control->Height()) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bmp_ = CreateCompatibleBitmap(screen, w_, h_);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bmp_);
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc_), 0);
  }
  ~Rendering() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
  bool Has(const RECT& r, COLORREF c) const {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (Pixel(x, y) == c) return true;
    return false;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
};

TEST_F(AdvancedComboTest, FlatFrameShowsTheLineBorderAndTheButton) {
  combo->SetUseXPThemes(false);
  combo->SetFlat(true);
  combo->SetInactiveBorderType(fbtColorLineBorder);
  combo->SetLineBorderInactiveColor(clRed);
  combo->SetLineBorderActiveColor(clLime);
  combo->Font()->SetColor(clBlue);
  combo->SetParent(form);
  ShowWindow(form->Handle(), SW_SHOWNA);
  const int h = combo->Height(), w = combo->Width();
  {
    Rendering r(combo);
    EXPECT_EQ(r.Pixel(0, h / 2), RGB(255, 0, 0));
    EXPECT_EQ(r.Pixel(w - 1, h / 2), RGB(255, 0, 0));
    EXPECT_EQ(r.Pixel(1, h / 2), RGB(255, 255, 255)) << "the control's colour inside the line";
    const int bw = GetSystemMetrics(SM_CXVSCROLL);
    const RECT button{w - 2 - bw, 2, w - 2, h - 2};
    EXPECT_TRUE(r.Has(button, RGB(0, 0, 255))) << "the arrow in the font colour";
    EXPECT_EQ(r.Pixel(w - 2 - bw + 3, 4), ColorToRGB(clBtnFace)) << "a window-coloured control gets a face-coloured button";
  }
  // Hovered: the active border type, here the line in its own colour.
  combo->Perform(CM_MOUSEENTER, 0, 0);
  {
    Rendering r(combo);
    EXPECT_EQ(r.Pixel(0, h / 2), ColorToRGB(clBtnShadow)) << "the active type is sunken";
  }
  combo->SetActiveBorderType(fbtColorLineBorder);
  {
    Rendering r(combo);
    EXPECT_EQ(r.Pixel(0, h / 2), RGB(0, 255, 0));
  }
  combo->Perform(CM_MOUSELEAVE, 0, 0);
  combo->SetFlat(false);
  {
    Rendering r(combo);
    EXPECT_EQ(r.Pixel(0, h / 2), ColorToRGB(clBtnShadow)) << "not flat: the sunken frame";
  }
}

TEST_F(AdvancedComboTest, HintIsPackedAndItsShortPartShown) {
  const TElFString hint = L"\x0416\x0443\x043A|long";
  combo->SetHint(hint);
  const std::string packed = combo->TControl::Hint();
  const std::string ansi = WideToAnsi(hint);
  ASSERT_EQ(packed.size(), ansi.size() + 2 * hint.size() + 5);
  EXPECT_EQ(packed.substr(0, ansi.size() + 1), ansi + '\0');
  EXPECT_EQ(std::string(packed.end() - 4, packed.end()), std::string("\0\0\xFE\xFF", 4));
  THintInfo info;
  info.HintStr = GetShortHint(packed);
  combo->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, PackWideHint(L"\x0416\x0443\x043A"));
  // The same answer as every control of the library gives: a hint string a
  // handler changed goes as the whole hint, and no hint clears it.
  info.HintStr = "another text";
  combo->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, PackWideHint(hint));
  combo->SetHint(L"");
  info.HintStr = "stale";
  combo->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.HintStr.empty());
}

TEST(AdvancedComboForm, PropertiesAreReadFromFormText) {
  const char text[] =
      "object Host: TForm\r\n"
      "  object combo: TElAdvancedComboBox\r\n"
      "    Left = 8\r\n"
      "    Flat = True\r\n"
      "    InactiveBorderType = fbtColorLineBorder\r\n"
      "    LineBorderInactiveColor = clRed\r\n"
      "    Hint = #1046'x'\r\n"
      "    DropDownWidth = 200\r\n"
      "    AutoCompletion = True\r\n"
      "    Items.Strings = (\r\n"
      "      'one'\r\n"
      "      'two')\r\n"
      "    ItemIndex = 1\r\n"
      "  end\r\n"
      "end\r\n";
  TForm* form = new TForm(Application, 0);
  ReadComponentText(text, form, "TEST");
  auto* combo = dynamic_cast<TElAdvancedComboBox*>(form->FindComponent("combo"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Parent(), form);
  EXPECT_EQ(combo->Left(), 8);
  EXPECT_TRUE(combo->Flat());
  EXPECT_EQ(combo->InactiveBorderType(), fbtColorLineBorder);
  EXPECT_EQ(combo->LineBorderInactiveColor(), clRed);
  EXPECT_EQ(combo->Hint(), L"\x0416x");
  EXPECT_EQ(combo->DropDownWidth(), 200);
  EXPECT_TRUE(combo->AutoCompletion());
  form->HandleNeeded();
  ASSERT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(combo->Items()->Text(), "one\r\ntwo\r\n");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "two");
  form->Free();
}

// The theme handle opened with the window is closed when the combo box
// goes, also after the unit finish has unbound the theme entry points.
int g_opened = 0, g_closed = 0;
HTHEME WINAPI CountingOpen(HWND, LPCWSTR) { return reinterpret_cast<HTHEME>(static_cast<INT_PTR>(0x1000 + ++g_opened)); }
HRESULT WINAPI CountingClose(HTHEME) {
  ++g_closed;
  return S_OK;
}
BOOL WINAPI Active() { return TRUE; }

TEST_F(AdvancedComboTest, ItsThemeIsClosedAfterThemesWereUnbound) {
  g_opened = g_closed = 0;
  ThemesAvailable = true;
  OpenThemeData = &CountingOpen;
  CloseThemeData = &CountingClose;
  IsThemeActive = &Active;
  combo->SetVisible(false);
  combo->SetParent(form);
  combo->HandleNeeded();
  EXPECT_EQ(g_opened, 1);
  UnloadThemeLibrary();
  combo->Free();
  combo = nullptr;
  EXPECT_EQ(g_closed, 1);
  LoadThemeLibrary();
}

}  // namespace
