// The UTF-16 edit with its window, driven through real window messages:
// the text messages with their ANSI rules, the standard edit messages, keys
// and characters (Russian letters through code page 1251, a surrogate
// pair), the mouse with capture, the clipboard in both formats, the
// read-only guards, scrolling, the input method through a seam, the caret,
// the hint, painting, and the published defaults through form text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ElEdits.hpp"
#include "ElTmSchema.hpp"
#include "ElTools.hpp"
#include "ElWindowTestSupport.hpp"
#include "Streaming.hpp"

using eltest::Flush;
using eltest::MemoryDC;

namespace {

// ---------------------------------------------------------------- helpers

LRESULT Send(TCustomElEdit* e, UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(e->Handle(), msg, w, l); }

// Holds Shift and Ctrl in the thread's key state for the scope.
class HeldKeys {
 public:
  explicit HeldKeys(TShiftState shift) {
    GetKeyboardState(saved_);
    BYTE state[256];
    std::memcpy(state, saved_, sizeof state);
    state[VK_SHIFT] = shift.Contains(ssShift) ? 0x80 : 0;
    state[VK_CONTROL] = shift.Contains(ssCtrl) ? 0x80 : 0;
    SetKeyboardState(state);
  }
  ~HeldKeys() { SetKeyboardState(saved_); }
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  BYTE saved_[256];
};

// A key press as the window receives it: WM_KEYDOWN, then the character
// messages the system would post for it (none for keys without one).
void Key(TCustomElEdit* e, Word vk, TShiftState shift = {}, const char* chars = "") {
  HeldKeys held(shift);
  UINT scan = MapVirtualKeyA(vk, 0);
  Send(e, WM_KEYDOWN, vk, 1 | (scan << 16));
  for (const char* c = chars; *c; ++c) Send(e, WM_CHAR, static_cast<unsigned char>(*c), 1 | (scan << 16));
}

// Characters of code page 1251 as an ANSI window receives them.
void Chars(TCustomElEdit* e, const char* ansi) {
  for (const char* c = ansi; *c; ++c) Send(e, WM_CHAR, static_cast<unsigned char>(*c), 1);
}

LPARAM At(TPoint p) { return MAKELPARAM(p.x, p.y); }

// A key translation that stands for a keyboard layout: every key gives
// g_keyText.
std::wstring g_keyText;
int WINAPI LayoutToUnicode(UINT, UINT, const BYTE*, LPWSTR buffer, int size, UINT) {
  int n = std::min(static_cast<int>(g_keyText.size()), size);
  std::copy_n(g_keyText.data(), n, buffer);
  return n;
}

// Records the messages a window procedure passes on.
struct MessageLog {
  TWndMethod Own;
  std::vector<UINT> Seen;
  void Proc(TMessage& m) {
    Seen.push_back(m.Msg);
    Own(m);
  }
};

class ElEditWindow : public eltest::WindowTest {
 protected:
  TElEdit* NewEdit(bool multiline, int width = 220, int height = 120) {
    auto* e = new TElEdit(Owner());
    e->SetParent(Form());
    e->SetMultiline(multiline);
    e->SetBounds(10, 10, width, height);
    e->HandleNeeded();
    return e;
  }
  // The clipboard's data of one format, as raw bytes.
  static std::string ClipboardBytes(UINT format) {
    std::string bytes;
    if (!OpenClipboard(Form()->Handle())) return bytes;
    if (HANDLE h = GetClipboardData(format)) {
      const char* p = static_cast<const char*>(GlobalLock(h));
      bytes.assign(p, GlobalSize(h));
      GlobalUnlock(h);
    }
    CloseClipboard();
    return bytes;
  }
  static void PutClipboard(UINT format, const void* data, std::size_t size) {
    eltest::PutClipboard(Form()->Handle(), format, data, size);
  }
};

// ---------------------------------------------------------------- text messages

TEST_F(ElEditWindow, TextMessagesFollowTheAnsiRules) {
  TElEdit* e = NewEdit(true);
  // 8-bit text is read in code page 1251, whatever wParam says: another
  // program's buffer is never read as UTF-16 (it may be half as long).
  EXPECT_EQ(Send(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\xCF\xF0\xE8\r\n\xE2\xE5\xF2")), 1);
  EXPECT_EQ(e->Text(), L"При\r\nвет");
  const char odd[] = "abc";  // as UTF-16 it would run past its end
  EXPECT_EQ(Send(e, WM_SETTEXT, 1, reinterpret_cast<LPARAM>(odd)), 1);
  EXPECT_EQ(e->Text(), L"abc");
  // The edit's own wide message is refused unless the edit sends it.
  const TElFString forged = L"forged";
  EXPECT_EQ(Send(e, EL_EDIT_SET_WIDE_TEXT, 0, reinterpret_cast<LPARAM>(&forged)), 0);
  EXPECT_EQ(e->Text(), L"abc");
  const wchar_t wide[] = L"Жук 中\r\nend\r\n";
  e->SetText(TElFString(wide));
  EXPECT_EQ(e->Text(), wide);
  EXPECT_EQ(e->Lines()->GetCount(), 3);

  // WM_GETTEXT gives the ANSI text without the store's final break, cut to
  // the buffer with its terminator; the length agrees with it.
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  LRESULT n = Send(e, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  EXPECT_STREQ(buffer, "\xC6\xF3\xEA ?\r\nend\r\n");
  EXPECT_EQ(n, static_cast<LRESULT>(std::strlen(buffer)));
  EXPECT_EQ(Send(e, WM_GETTEXTLENGTH), n);
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(Send(e, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_EQ(std::string(buffer, 4), std::string("\xC6\xF3\xEA", 4));
  EXPECT_EQ(Send(e, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  // The class library's 8-bit view of the text is the same conversion.
  EXPECT_EQ(e->GetText(), "\xC6\xF3\xEA ?\r\nend\r\n");

  // Text written by a program keeps the UTF-16 text, reaches the window as
  // a message that hooks see, and can be undone.
  MessageLog log{e->WindowProc, {}};
  e->WindowProc = TWndMethod(&log, &MessageLog::Proc);
  e->SetText(TElFString(L"новый"));
  e->WindowProc = log.Own;
  EXPECT_EQ(e->Text(), L"новый");
  EXPECT_NE(std::find(log.Seen.begin(), log.Seen.end(), EL_EDIT_SET_WIDE_TEXT), log.Seen.end());
  EXPECT_EQ(Send(e, EM_CANUNDO), TRUE);
  Send(e, EM_UNDO);
  EXPECT_EQ(e->Text(), wide);
}

TEST_F(ElEditWindow, StandardEditMessagesCountBreaksAsTwo) {
  TElEdit* e = NewEdit(true);
  e->SetText(TElFString(L"ab\r\ncde\r\nf"));
  DWORD start = 0, end = 0;
  Send(e, EM_SETSEL, 5, 7);  // "de": the caret ends at the smaller offset
  LRESULT sel = Send(e, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 5u);
  EXPECT_EQ(end, 7u);
  EXPECT_EQ(sel, MAKELRESULT(5, 7));
  EXPECT_EQ(e->SelText(), L"de");
  Send(e, EM_SETSEL, static_cast<WPARAM>(-1), 0);  // cleared: both words are the caret
  EXPECT_EQ(Send(e, EM_GETSEL), MAKELRESULT(5, 5));
  Send(e, EM_SETSEL, 0, static_cast<LPARAM>(-1));
  EXPECT_EQ(e->SelText(), L"ab\r\ncde\r\nf");

  EXPECT_EQ(Send(e, EM_GETLINECOUNT), 3);
  EXPECT_EQ(Send(e, EM_LINEINDEX, 2), 9);
  EXPECT_EQ(Send(e, EM_LINEINDEX, 3), -1);
  EXPECT_EQ(Send(e, EM_LINEFROMCHAR, 5), 1);
  char line[16] = {};
  *reinterpret_cast<WORD*>(line) = 2;  // room for two bytes only
  EXPECT_EQ(Send(e, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 2);
  EXPECT_EQ(std::string(line, 2), "cd");
  *reinterpret_cast<WORD*>(line) = sizeof line;
  EXPECT_EQ(Send(e, EM_GETLINE, 7, reinterpret_cast<LPARAM>(line)), 0);
  LRESULT pos = Send(e, EM_POSFROMCHAR, 5);
  TPoint expected = e->PosToPoint({1, 1});
  EXPECT_EQ(LOWORD(pos), expected.x);
  EXPECT_EQ(HIWORD(pos), expected.y);

  Send(e, EM_SETSEL, 5, 7);
  Send(e, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\xEF\xF0"));  // "пр"
  EXPECT_EQ(e->Text(), L"ab\r\ncпр\r\nf");
  Send(e, EM_UNDO);  // the insertion, then the replaced selection
  EXPECT_EQ(e->Text(), L"ab\r\nc\r\nf");
  Send(e, EM_UNDO);
  EXPECT_EQ(e->Text(), L"ab\r\ncde\r\nf");

  EXPECT_EQ(Send(e, WM_GETDLGCODE) & (DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB),
            DLGC_WANTARROWS | DLGC_WANTCHARS);
  e->SetWantTabs(true);
  EXPECT_TRUE(Send(e, WM_GETDLGCODE) & DLGC_WANTTAB);
  Send(e, WM_COMMAND, 177);  // the menu's select all
  EXPECT_EQ(e->SelLength(), 10);
}

// ---------------------------------------------------------------- keys and characters

TEST_F(ElEditWindow, RussianLettersThroughCodePage1251) {
  TElEdit* e = NewEdit(false);
  e->SetFocus();
  // Without a key translation the character messages carry 1251 bytes.
  e->SetKeyTranslator({});
  Chars(e, "\xC6\xF3\xEA");
  EXPECT_EQ(e->Text(), L"Жук");
  // With one, the key's own UTF-16 text is inserted when its character
  // message comes, whatever byte that carries.
  e->SetKeyTranslator({&LayoutToUnicode, &GetKeyboardState});
  g_keyText = L"ё";
  Key(e, 'F', {}, "\xB8");
  EXPECT_EQ(e->Text(), L"Жукё");
  // A real key through the message loop: the loop's translation posts the
  // character message, the edit's translation supplies the text.
  g_keyText = L"ш";
  PostMessageA(e->Handle(), WM_KEYDOWN, 'I', 1 | (MapVirtualKeyA('I', 0) << 16));
  ASSERT_TRUE(eltest::PumpUntil([&] { return e->Text().size() == 5; }));
  EXPECT_EQ(e->Text(), L"Жукёш");
  e->SetKeyTranslator(SystemKeyTranslator());
}

// The system's own translation through the message loop: a letter arrives
// as the keyboard layout gives it.
TEST_F(ElEditWindow, KeysThroughTheSystemsTranslation) {
  TElEdit* e = NewEdit(false);
  e->SetFocus();
  e->SetKeyTranslator(SystemKeyTranslator());
  BYTE state[256] = {};
  WCHAR expected[5] = {};
  ASSERT_EQ(ToUnicode('A', MapVirtualKeyW('A', MAPVK_VK_TO_VSC), state, expected, 5, 0), 1);
  PostMessageA(e->Handle(), WM_KEYDOWN, 'A', 1 | (MapVirtualKeyA('A', 0) << 16));
  ASSERT_TRUE(eltest::PumpUntil([&] { return e->Text().size() == 1; }));
  EXPECT_EQ(e->Text(), TElFString(1, expected[0]));
}

TEST_F(ElEditWindow, SurrogatePairIsTypedOnce) {
  TElEdit* e = NewEdit(false);
  e->SetFocus();
  e->SetKeyTranslator({&LayoutToUnicode, &GetKeyboardState});
  g_keyText = L"\xD83D\xDE00";
  // The system posts one character message per unit; to an ANSI window
  // each lone surrogate arrives converted, as '?'.
  Send(e, WM_KEYDOWN, 'A', 1);
  PostMessageW(e->Handle(), WM_CHAR, 0xD83D, 1);
  PostMessageW(e->Handle(), WM_CHAR, 0xDE00, 1);
  Flush();
  g_keyText = L"x";
  Key(e, 'X', {}, "x");
  EXPECT_EQ(e->Text(), L"\xD83D\xDE00x");
  EXPECT_EQ(e->GetSelStart(), 3);
  Key(e, 'Z', {ssCtrl});
  Key(e, 'Z', {ssCtrl});
  EXPECT_EQ(e->Text(), L"");
  e->SetKeyTranslator(SystemKeyTranslator());
}

// The shift state comes from the thread's key state, as the keys' own.
TEST_F(ElEditWindow, ShiftAndCtrlKeysSelectAndEdit) {
  TElEdit* e = NewEdit(true);
  e->SetFocus();
  e->SetText(TElFString(L"один два"));
  Key(e, VK_END);
  Key(e, VK_LEFT, {ssShift, ssCtrl});
  EXPECT_EQ(e->SelText(), L"два");
  Key(e, VK_END);
  Key(e, VK_BACK, {ssCtrl});
  EXPECT_EQ(e->Text(), L"один ");
  Key(e, 'Z', {ssCtrl});
  EXPECT_EQ(e->Text(), L"один два");
}

// ---------------------------------------------------------------- mouse

TEST_F(ElEditWindow, MouseSelectsWithCaptureAndWords) {
  TElEdit* e = NewEdit(true);
  e->SetText(TElFString(L"alpha beta gamma"));
  TPoint a = e->PosToPoint({1, 0}), b = e->PosToPoint({8, 0});
  a.y += 2;
  b.y += 2;
  Send(e, WM_LBUTTONDOWN, MK_LBUTTON, At(a));
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(GetCapture(), e->Handle());
  Send(e, WM_MOUSEMOVE, MK_LBUTTON, At(b));
  EXPECT_EQ(e->SelText(), L"lpha be");
  Send(e, WM_LBUTTONUP, 0, At(b));
  EXPECT_EQ(GetCapture(), nullptr);
  Send(e, WM_MOUSEMOVE, 0, At(a));  // no button: the selection stays
  EXPECT_EQ(e->SelText(), L"lpha be");
  TPoint c = e->PosToPoint({3, 0});
  c.y += 2;
  Send(e, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, At(c));  // Shift extends from the anchor
  Send(e, WM_LBUTTONUP, 0, At(c));
  EXPECT_EQ(e->SelText(), L"lp");
  Send(e, WM_LBUTTONDBLCLK, MK_LBUTTON, At(b));  // the word with its blank
  Send(e, WM_LBUTTONUP, 0, At(b));
  EXPECT_EQ(e->SelText(), L"beta ");
}

class RecordingMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(int x, int y) override { shown.push_back(POINT{x, y}); }
  std::vector<POINT> shown;
};

TEST_F(ElEditWindow, RightPressShowsThePopupOnceWithoutCapture) {
  TElEdit* e = NewEdit(true);
  auto* menu = new RecordingMenu(Owner());
  e->SetPopupMenu(menu);
  Send(e, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 5));
  ASSERT_EQ(menu->shown.size(), 1u);
  POINT screen = e->ClientToScreen(POINT{20, 5});
  EXPECT_EQ(menu->shown[0].x, screen.x);
  EXPECT_EQ(menu->shown[0].y, screen.y);
  EXPECT_EQ(menu->PopupComponent(), e);
  EXPECT_NE(GetCapture(), e->Handle());
  Send(e, WM_RBUTTONUP, 0, MAKELPARAM(20, 5));
  Flush();
  EXPECT_EQ(menu->shown.size(), 1u);
  // The keyboard's menu key still shows it.
  Send(e, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e->Handle()), -1);
  EXPECT_EQ(menu->shown.size(), 2u);
}

// ---------------------------------------------------------------- clipboard

TEST_F(ElEditWindow, ClipboardRoundTripInBothFormats) {
  TElEdit* e = NewEdit(true);
  e->SetText(TElFString(L"Жук\r\nи \xD83D\xDE00"));
  Send(e, EM_SETSEL, 0, -1);
  Send(e, WM_COPY);
  std::string unicode = ClipboardBytes(CF_UNICODETEXT);
  EXPECT_EQ(TElFString(reinterpret_cast<const wchar_t*>(unicode.data())), L"Жук\r\nи \xD83D\xDE00");
  EXPECT_EQ(std::string(ClipboardBytes(CF_TEXT).c_str()).substr(0, 8), "\xC6\xF3\xEA\r\n\xE8 ?");

  // 8-bit text alone on the clipboard is read through code page 1251.
  const char ansi[] = "\xE4\xE0";
  PutClipboard(CF_TEXT, ansi, sizeof ansi);
  e->SetText(TElFString(L"[]"));
  Send(e, EM_SETSEL, 1, 1);
  Send(e, WM_PASTE);
  EXPECT_EQ(e->Text(), L"[да]");
  const wchar_t pair[] = L"\xD83D\xDE00";
  PutClipboard(CF_UNICODETEXT, pair, sizeof pair);
  Send(e, WM_PASTE);
  EXPECT_EQ(e->Text(), L"[да\xD83D\xDE00]");
  Send(e, EM_SETSEL, 1, 3);
  Send(e, WM_CUT);
  EXPECT_EQ(e->Text(), L"[\xD83D\xDE00]");
  unicode = ClipboardBytes(CF_UNICODETEXT);
  EXPECT_EQ(TElFString(reinterpret_cast<const wchar_t*>(unicode.data())), L"да");
}

TEST_F(ElEditWindow, ReadOnlyEditCannotBeChanged) {
  TElEdit* e = NewEdit(true);
  e->SetFocus();
  e->SetText(TElFString(L"keep this text"));
  e->SetReadOnly(true);
  const wchar_t other[] = L"other";
  PutClipboard(CF_UNICODETEXT, other, sizeof other);
  Send(e, EM_SETSEL, 5, 9);
  Send(e, WM_CUT);  // copies, removes nothing
  Send(e, WM_PASTE);
  Send(e, WM_CLEAR);
  Chars(e, "x");
  Key(e, VK_DELETE);
  Key(e, VK_BACK);
  Key(e, VK_RETURN);
  Key(e, VK_BACK, {ssCtrl});
  Key(e, VK_DELETE, {ssCtrl});
  Key(e, 'Z', {ssCtrl});
  Send(e, WM_COMMAND, 771);
  EXPECT_EQ(e->Text(), L"keep this text");
  std::string copied = ClipboardBytes(CF_UNICODETEXT);
  EXPECT_EQ(TElFString(reinterpret_cast<const wchar_t*>(copied.data())), L"this");
  Key(e, VK_END);  // navigation still works
  EXPECT_EQ(e->GetSelStart(), 14);
}

// ---------------------------------------------------------------- scrolling

TEST_F(ElEditWindow, WheelAndWindowBarScroll) {
  TElEdit* e = NewEdit(true);
  e->SetUseCustomScrollBars(false);
  e->SetScrollBars(ssVertical);
  TElFString text;
  for (int i = 0; i < 40; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
  e->SetText(text);
  ASSERT_GT(e->VisibleLines(), 2);
  ASSERT_TRUE(GetWindowLongA(e->Handle(), GWL_STYLE) & WS_VSCROLL);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  Send(e, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);  // towards the end
  EXPECT_EQ(e->FirstLine(), static_cast<int>(lines));
  Send(e, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);  // forward: up, stops at the top
  EXPECT_EQ(e->FirstLine(), 0);

  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  Send(e, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(e->FirstLine(), e->VisibleLines());
  GetScrollInfo(e->Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, e->FirstLine());
  EXPECT_EQ(info.nMax, 40);  // 41 display lines, the last one empty
  EXPECT_EQ(static_cast<int>(info.nPage), e->VisibleLines());
  Send(e, WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(e->FirstLine(), 41 - e->VisibleLines());
  Send(e, EM_LINESCROLL, 0, -5);
  EXPECT_EQ(Send(e, EM_GETFIRSTVISIBLELINE), 36 - e->VisibleLines());
}

TEST_F(ElEditWindow, OwnedBarsScrollTheText) {
  TElEdit* e = NewEdit(true, 200, 100);
  e->SetScrollBars(ssVertical);
  e->SetWordWrap(true);
  TElFString text;
  for (int i = 0; i < 30; ++i) text += L"строка " + std::to_wstring(i) + L"\r\n";
  e->SetText(text);
  TElScrollBar* bar = e->VertScrollBar();
  ASSERT_TRUE(bar->Visible());
  EXPECT_FALSE(e->HorzScrollBar()->Visible());
  // The bar stands along the right edge and the text keeps clear of it.
  RECT client;
  GetClientRect(e->Handle(), &client);
  EXPECT_EQ(bar->Left() + bar->Width(), client.right);
  EXPECT_EQ(bar->Height(), client.bottom);
  EXPECT_EQ(e->EditRect().right, client.right - bar->Width());
  EXPECT_EQ(bar->Max(), 30);
  EXPECT_EQ(bar->Page(), e->VisibleLines());
  EXPECT_TRUE(bar->Enabled());

  // A press on the last arrow moves one line; on the track below the
  // thumb, a page; the wheel over the edit moves the bar's thumb with it.
  TRect arrow = bar->Geometry().PartRect(spLastArrow);
  LPARAM onArrow = MAKELPARAM((arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2);
  SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onArrow);
  SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, onArrow);
  EXPECT_EQ(e->FirstLine(), 1);
  EXPECT_EQ(bar->Position(), 1);
  TRect track = bar->Geometry().PartRect(spTrackAfter);
  LPARAM onTrack = MAKELPARAM((track.left + track.right) / 2, track.bottom - 2);
  SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onTrack);
  SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, onTrack);
  EXPECT_EQ(e->FirstLine(), 1 + e->VisibleLines());
  EXPECT_EQ(bar->Position(), e->FirstLine());
  Send(e, WM_MOUSEWHEEL, MAKEWPARAM(0, 10 * WHEEL_DELTA), 0);
  EXPECT_EQ(e->FirstLine(), 0);
  EXPECT_EQ(bar->Position(), 0);

  // With nothing to scroll the wanted bar stays, disabled.
  e->SetText(TElFString(L"short"));
  EXPECT_TRUE(bar->Visible());
  EXPECT_FALSE(bar->Enabled());
}

TEST_F(ElEditWindow, BothOwnedBarsLeaveACornerInTheBarsColour) {
  TElEdit* e = NewEdit(true, 160, 90);
  e->SetBorderStyle(bsNone);
  e->SetScrollBars(ssBoth);
  e->VertScrollBarStyles()->SetColor(RGB(200, 0, 200));
  e->SetText(TElFString(L"a line long enough to need the horizontal bar\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8"));
  TElScrollBar* vert = e->VertScrollBar();
  TElScrollBar* horz = e->HorzScrollBar();
  ASSERT_TRUE(vert->Visible() && horz->Visible());
  EXPECT_EQ(vert->Height(), 90 - horz->Height());
  EXPECT_EQ(horz->Width(), 160 - vert->Width());
  EXPECT_TRUE(horz->Enabled());
  EXPECT_EQ(e->EditRect().bottom, 90 - horz->Height());
  MemoryDC dc(160, 90);
  e->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
  EXPECT_EQ(dc.Pixel(158, 88), RGB(200, 0, 200));
}

// ---------------------------------------------------------------- input method

struct FakeInputMethod {
  static inline std::wstring result;
  static inline COMPOSITIONFORM form{};
  static inline int released = 0;
  static HIMC WINAPI Context(HWND) { return reinterpret_cast<HIMC>(0x1234); }
  static BOOL WINAPI Release(HWND, HIMC) { return ++released, TRUE; }
  static LONG WINAPI ResultW(HIMC, DWORD index, LPVOID buffer, DWORD size) {
    if (index != GCS_RESULTSTR) return 0;
    LONG bytes = static_cast<LONG>(result.size() * sizeof(wchar_t));
    if (buffer) std::memcpy(buffer, result.data(), std::min<DWORD>(size, static_cast<DWORD>(bytes)));
    return bytes;
  }
  static BOOL WINAPI Font(HIMC, LPLOGFONTW) { return TRUE; }
  static BOOL WINAPI Window(HIMC, LPCOMPOSITIONFORM f) { return form = *f, TRUE; }
  static TElEditInputMethod Seam() {
    TElEditInputMethod m;
    m.GetContext = &Context;
    m.ReleaseContext = &Release;
    m.GetCompositionStringW = &ResultW;
    m.SetCompositionFontW = &Font;
    m.SetCompositionWindow = &Window;
    return m;
  }
};

TEST_F(ElEditWindow, InputMethodResultAndCompositionWindow) {
  TElEdit* e = NewEdit(true);
  e->SetInputMethod(FakeInputMethod::Seam());
  e->SetText(TElFString(L"ab"));
  Send(e, EM_SETSEL, 1, 1);
  Send(e, WM_IME_STARTCOMPOSITION);
  TPoint caret = e->PosToPoint(e->CaretPos());
  EXPECT_EQ(FakeInputMethod::form.dwStyle, static_cast<DWORD>(CFS_RECT));
  EXPECT_EQ(FakeInputMethod::form.ptCurrentPos.x, caret.x);
  EXPECT_EQ(FakeInputMethod::form.ptCurrentPos.y, caret.y);
  EXPECT_EQ(FakeInputMethod::form.rcArea.left, e->EditRect().left + e->LeftMargin());
  EXPECT_EQ(FakeInputMethod::form.rcArea.right, e->EditRect().right - e->RightMargin());

  FakeInputMethod::result = L"漢字";
  int released = FakeInputMethod::released;
  EXPECT_EQ(Send(e, WM_IME_COMPOSITION, 0, GCS_RESULTSTR), 0);
  EXPECT_EQ(e->Text(), L"a漢字b");
  EXPECT_EQ(e->GetSelStart(), 3);
  EXPECT_EQ(FakeInputMethod::released, released + 1);
  Send(e, EM_UNDO);  // one step, at the right place
  EXPECT_EQ(e->Text(), L"ab");
  e->SetReadOnly(true);
  Send(e, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  EXPECT_EQ(e->Text(), L"ab");
}

// ---------------------------------------------------------------- caret, hint, size

TEST_F(ElEditWindow, CaretLivesWithTheFocus) {
  TElEdit* e = NewEdit(true);
  e->SetText(TElFString(L"abc\r\ndef"));
  e->SetFocus();
  ASSERT_TRUE(e->CaretCreated());
  Send(e, EM_SETSEL, 7, 7);
  POINT caret;
  GetCaretPos(&caret);
  TPoint expected = e->PosToPoint({2, 1});
  EXPECT_EQ(caret.x, expected.x);
  EXPECT_EQ(caret.y, expected.y - 1);
  NewEdit(false)->SetFocus();
  EXPECT_FALSE(e->CaretCreated());
}

TEST_F(ElEditWindow, HintIsPackedAndShortenedOnRequest) {
  TElEdit* e = NewEdit(false);
  e->SetHint(L"Путь|к папке");
  std::string packed = e->TControl::Hint();
  std::string ansi = "\xCF\xF3\xF2\xFC|\xEA \xEF\xE0\xEF\xEA\xE5";
  ASSERT_EQ(packed.size(), ansi.size() + 2 * 12 + 5);
  EXPECT_EQ(packed.substr(0, ansi.size() + 1), ansi + '\0');
  EXPECT_EQ(packed.substr(packed.size() - 4), std::string("\0\0\xFE\xFF", 4));
  EXPECT_EQ(packed.substr(ansi.size() + 1, 2), std::string("\x1F\x04", 2));  // 'П' low byte first

  THintInfo info;
  info.HintStr = GetShortHint(packed);  // what the application asks with
  e->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, PackWideHint(L"Путь"));
  info.HintStr = "changed by a handler";
  e->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, packed);
  e->SetHint(L"");
  info.HintStr = "x";
  e->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "");
}

TEST_F(ElEditWindow, SingleLineHeightFollowsTheFont) {
  TElEdit* e = NewEdit(false, 200, 60);
  auto height = [&] {
    TEXTMETRICW tm{};
    MemoryDC dc(1, 1);
    SelectObject(dc.Get(), e->Font()->Handle());
    GetTextMetricsW(dc.Get(), &tm);
    return static_cast<int>(tm.tmHeight) + 4 * GetSystemMetrics(SM_CYEDGE);
  };
  EXPECT_EQ(e->Height(), height());
  e->Font()->SetHeight(-20);
  EXPECT_EQ(e->Height(), height());
  EXPECT_EQ(e->LineHeight(), 22);
  // The line is centred in the text area.
  EXPECT_EQ(e->TopMargin(), (e->EditRect().bottom - e->EditRect().top - e->LineHeight()) / 2);
}

// ---------------------------------------------------------------- painting

TEST_F(ElEditWindow, PaintsTextSelectionAndBackground) {
  TElEdit* e = NewEdit(true, 200, 60);
  e->SetBorderStyle(bsNone);
  e->SetColor(RGB(0, 0, 255));
  e->Font()->SetColor(RGB(255, 0, 0));
  e->SetText(TElFString(L"WWWW WWWW"));
  Send(e, EM_SETSEL, 5, 9);
  e->SetHideSelection(false);
  MemoryDC dc(200, 60, RGB(0, 255, 0));
  e->PaintTo(dc.Get(), 0, 0);
  TPoint selStart = e->PosToPoint({5, 0}), selEnd = e->PosToPoint({9, 0});
  int midY = selStart.y + e->LineHeight() / 2;
  auto countColour = [&](int from, int to, COLORREF colour) {
    int n = 0;
    for (int x = from; x < to; ++x)
      for (int y = selStart.y; y < selStart.y + e->LineHeight(); ++y) n += dc.Pixel(x, y) == colour;
    return n;
  };
  EXPECT_GT(countColour(selStart.x, selEnd.x, static_cast<COLORREF>(ColorToRGB(clHighlight))), 0);
  EXPECT_GT(countColour(selStart.x, selEnd.x, static_cast<COLORREF>(ColorToRGB(clHighlightText))), 0);
  EXPECT_GT(countColour(e->LeftMargin(), selStart.x, RGB(255, 0, 0)), 0);
  EXPECT_EQ(dc.Pixel(190, midY), RGB(0, 0, 255));
  EXPECT_EQ(dc.Pixel(190, 55), RGB(0, 0, 255));

}

TEST_F(ElEditWindow, FlatLineBorderTakesTheChosenSides) {
  TElEdit* e = NewEdit(true, 120, 60);
  e->SetUseXPThemes(false);
  e->SetColor(RGB(0, 0, 255));
  e->SetFlat(true);
  e->SetInactiveBorderType(fbtColorLineBorder);
  e->SetLineBorderInactiveColor(RGB(255, 0, 0));
  e->SetBorderSides({ebsLeft, ebsTop, ebsBottom});
  Flush();
  // The edge is taken on the chosen sides only; the right side is client.
  RECT client;
  GetClientRect(e->Handle(), &client);
  int edge = GetSystemMetrics(SM_CXEDGE);
  EXPECT_EQ(client.right, 120 - edge);
  EXPECT_EQ(client.bottom, 60 - 2 * GetSystemMetrics(SM_CYEDGE));
  HWND wnd = e->Handle();
  EXPECT_EQ(eltest::WindowPixel(wnd, 0, 30), RGB(255, 0, 0));
  EXPECT_EQ(eltest::WindowPixel(wnd, 1, 30), RGB(0, 0, 255));
  EXPECT_EQ(eltest::WindowPixel(wnd, 60, 0), RGB(255, 0, 0));
  EXPECT_EQ(eltest::WindowPixel(wnd, 60, 59), RGB(255, 0, 0));
  EXPECT_NE(eltest::WindowPixel(wnd, 119, 30), RGB(255, 0, 0));
  // A focused flat edit shows the active type and colour.
  e->SetActiveBorderType(fbtColorLineBorder);
  e->SetLineBorderActiveColor(RGB(0, 255, 0));
  e->SetFocus();
  Flush();
  EXPECT_EQ(eltest::WindowPixel(wnd, 0, 30), RGB(0, 255, 0));
}

TEST_F(ElEditWindow, TiledBackgroundStartsAtTheClientCorner) {
  TElEdit* e = NewEdit(true, 100, 40);
  e->SetBorderStyle(bsNone);
  TBitmap tile;
  tile.SetSize(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) tile.Canvas()->SetPixels(x, y, (x + y) % 2 ? clBlack : clWhite);
  e->SetBackground(&tile);
  e->SetUseBackground(true);
  MemoryDC dc(100, 40, RGB(0, 255, 0));
  e->PaintTo(dc.Get(), 0, 0);
  for (int y = 20; y < 26; ++y)
    for (int x = 60; x < 66; ++x)
      EXPECT_EQ(dc.Pixel(x, y), ((x % 3) + (y % 2)) % 2 ? RGB(0, 0, 0) : RGB(255, 255, 255)) << x << "," << y;
}

TEST_F(ElEditWindow, TransparentEditShowsItsParent) {
  TElEdit* e = NewEdit(true, 100, 40);
  e->SetBorderStyle(bsNone);
  e->SetUseXPThemes(false);
  e->SetTransparent(true);
  EXPECT_TRUE(GetWindowLongA(e->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  e->SetText(TElFString(L"text"));
  Form()->SetColor(RGB(10, 120, 30));
  MemoryDC dc(100, 40);
  e->PaintTo(dc.Get(), 0, 0);
  Form()->SetColor(clWhite);
  EXPECT_EQ(dc.Pixel(90, 35), RGB(10, 120, 30));
  int textPixels = 0;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < e->LineHeight(); ++y) textPixels += dc.Pixel(x, y) == static_cast<COLORREF>(ColorToRGB(clWindowText));
  EXPECT_GT(textPixels, 0);
}

TEST_F(ElEditWindow, ImageFormBackgroundShowsAtTheEditsPlace) {
  TElEdit* e = NewEdit(true, 100, 40);
  e->SetBorderStyle(bsNone);
  auto* imageForm = new TElImageForm(Owner());
  imageForm->SetControl(Form());
  TBitmap tile;
  tile.SetSize(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) tile.Canvas()->SetPixels(x, y, x == 0 || y == 0 ? clRed : clWhite);
  imageForm->SetBackground(&tile);
  imageForm->SetBackgroundType(bgtTileBitmap);
  e->SetImageForm(imageForm);
  MemoryDC dc(100, 40, RGB(0, 255, 0));
  e->PaintTo(dc.Get(), 0, 0);
  // The edit lies at (10, 10) of the form: the tiles' red lines fall on
  // the form's multiples of 7 and 5.
  for (int x = 50; x < 58; ++x)
    for (int y = 20; y < 26; ++y)
      EXPECT_EQ(dc.Pixel(x, y), (x + 10) % 7 == 0 || (y + 10) % 5 == 0 ? RGB(255, 0, 0) : RGB(255, 255, 255))
          << x << "," << y;
  imageForm->Free();
  EXPECT_EQ(e->ImageForm(), nullptr);
  MemoryDC plain(100, 40);
  e->PaintTo(plain.Get(), 0, 0);
  EXPECT_EQ(plain.Pixel(50, 20), static_cast<COLORREF>(ColorToRGB(clWindow)));
}

// ---------------------------------------------------------------- visual styles

template <eltest::ThemeState State>
class ElEditInThemeState : public ElEditWindow {
 protected:
  void SetUp() override {
    if (eltest::ExpectedThemeState() != State) GTEST_SKIP() << "runs in the theme-state prefixes";
    ElEditWindow::SetUp();
  }
};
using ElEditActiveStyle = ElEditInThemeState<eltest::ThemeState::Active>;
using ElEditNoStyle = ElEditInThemeState<eltest::ThemeState::Off>;

// The window's frame pixels against the theme's own drawing of the edit
// part in a state.
bool FrameMatches(TCustomElEdit* e, int state) {
  RECT window;
  GetWindowRect(e->Handle(), &window);
  RECT r{0, 0, window.right - window.left, window.bottom - window.top};
  MemoryDC reference(r.right, r.bottom);
  DrawThemeBackground(e->Theme(), reference.Get(), EP_EDITTEXT, state, &r, nullptr);
  for (int x : {0, 1, static_cast<int>(r.right / 2)})
    for (int y : {0, 1, static_cast<int>(r.bottom - 1)})
      if (eltest::WindowPixel(e->Handle(), x, y) != reference.Pixel(x, y)) return false;
  return true;
}

TEST_F(ElEditActiveStyle, AThemedEditWearsTheThemesFrame) {
  TElEdit* e = NewEdit(true, 120, 60);
  e->SetFlat(true);  // a themed edit keeps the window's frame all the same
  ASSERT_TRUE(e->IsThemeApplied());
  EXPECT_TRUE(GetWindowLongA(e->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RedrawWindow(e->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(FrameMatches(e, ETS_NORMAL));
  e->SetReadOnly(true);
  RedrawWindow(e->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(FrameMatches(e, ETS_READONLY));
}

TEST_F(ElEditNoStyle, WithoutAVisualStyleAFlatEditDrawsItsOwnBorder) {
  TElEdit* e = NewEdit(true, 120, 60);
  e->SetFlat(true);
  EXPECT_FALSE(e->IsThemeApplied());
  EXPECT_FALSE(GetWindowLongA(e->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT client;
  GetClientRect(e->Handle(), &client);
  EXPECT_EQ(client.right, 120 - 2 * GetSystemMetrics(SM_CXEDGE));
}

// ---------------------------------------------------------------- form streaming

TEST_F(ElEditWindow, DefaultsThatDifferFromStartingValuesSurviveFormText) {
  auto* holder = new TForm(Owner(), 0);
  holder->SetName("Holder");
  auto* e = new TElEdit(holder);
  e->SetName("folder_edit");
  e->SetParent(holder);
  // A new edit starts with RightMargin 5 and MaxUndoLevel 0; the published
  // defaults are 2 and 10, so those values are never written.
  EXPECT_EQ(e->RightMargin(), 5);
  EXPECT_EQ(e->MaxUndoLevel(), 0);
  e->SetRightMargin(2);
  e->SetMaxUndoLevel(10);
  e->SetLineBorderActiveColor(clRed);
  e->SetText(TElFString(L"C:\\Папка"));
  std::string text = ComponentToText(holder);
  EXPECT_EQ(text.find("RightMargin"), std::string::npos) << text;
  EXPECT_EQ(text.find("MaxUndoLevel"), std::string::npos) << text;
  EXPECT_NE(text.find("clRed"), std::string::npos) << text;

  holder->Free();
  auto* copy = new TForm(Owner(), 0);
  ReadComponentText(text, copy, "edit form");
  auto* read = dynamic_cast<TElEdit*>(copy->FindComponent("folder_edit"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->RightMargin(), 5);
  EXPECT_EQ(read->MaxUndoLevel(), 0);
  EXPECT_EQ(read->LineBorderActiveColor(), clRed);
  EXPECT_EQ(read->Text(), L"C:\\Папка");
}

}  // namespace
