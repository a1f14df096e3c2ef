// The edit's commands without a window: typing and the editing keys with
// their undo, word moves, the key table, the clipboard commands, the input
// method's result, the read-only guards and the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ElEditTestSupport.hpp"
#include "ElTools.hpp"

using edittest::Edit;
using edittest::Pos;
using Texts = std::vector<TElFString>;

namespace {

// What the fake key translation gives for the next key.
std::wstring g_translated;
BYTE g_keyState[256];

int WINAPI FakeToUnicode(UINT, UINT, const BYTE*, LPWSTR buffer, int size, UINT) {
  int n = std::min(static_cast<int>(g_translated.size()), size);
  std::copy_n(g_translated.data(), n, buffer);
  return n;
}

BOOL WINAPI FakeKeyboardState(PBYTE state) {
  std::memcpy(state, g_keyState, sizeof g_keyState);
  return TRUE;
}

// A key that the keyboard turns into Text, then its character message.
void TypeTranslated(Edit& e, const std::wstring& text, char ansi = '?') {
  g_translated = text;
  Word key = 'A';
  ASSERT_TRUE(e.Core.TranslateKeyDown(key, 30));
  EXPECT_EQ(key, 0);
  e.Core.KeyPress(ansi);
}

class ElEditTranslated : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IsWinNT) << "key translation runs on the NT platform only";
    std::memset(g_keyState, 0, sizeof g_keyState);
    e.Core.SetKeyTranslator({&FakeToUnicode, &FakeKeyboardState});
  }
  Edit e;
};

}  // namespace

TEST(ElEditTyping, TypedCharactersAndTheirUndo) {
  Edit e;
  e.Core.SetText(L"ac");
  e.Core.SetCaret(Pos(1, 0));
  int changes = e.Host.Changes;
  e.Type("b");
  EXPECT_EQ(e.Core.Text(), L"abc");
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  EXPECT_GT(e.Host.Changes, changes);
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"ac");
  EXPECT_EQ(e.Caret(), Pos(1, 0));
  e.Undo();  // nothing left to undo
  EXPECT_EQ(e.Core.Text(), L"ac");

  e.Core.SetCharCase(eecUpperCase);  // converts the text, caret to the start
  EXPECT_EQ(e.Core.Text(), L"AC");
  e.Type("\xE6\xE5");  // Cyrillic through the ANSI code page
  EXPECT_EQ(e.Core.Text(), L"\x0416\x0415" L"AC");
  e.Type("\x1B\x7F\t");  // Escape, DEL and TAB characters insert nothing
  EXPECT_EQ(e.Core.Text().size(), 4u);
}

TEST(ElEditTyping, BackspaceAndDeleteWithUndo) {
  Edit e;
  e.Core.SetText(L"ab\r\ncd");
  int changes = e.Host.Changes;
  e.Key(VK_BACK);  // at the very start: nothing
  EXPECT_EQ(e.Core.Text(), L"ab\r\ncd");
  EXPECT_EQ(e.Host.Changes, changes);
  EXPECT_FALSE(e.Core.UndoList()->CanUndo());

  e.Core.SetCaret(Pos(0, 1));
  e.Key(VK_BACK);
  EXPECT_EQ(e.Paragraphs(), Texts{L"abcd"});
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  e.Undo();
  EXPECT_EQ(e.Paragraphs(), (Texts{L"ab", L"cd"}));
  EXPECT_EQ(e.Caret(), Pos(0, 1));

  e.Core.SetCaret(Pos(2, 0));
  e.Key(VK_DELETE);
  EXPECT_EQ(e.Paragraphs(), Texts{L"abcd"});
  e.Undo();
  EXPECT_EQ(e.Paragraphs(), (Texts{L"ab", L"cd"}));
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  e.Core.SetCaret(Pos(2, 1));
  e.Key(VK_DELETE);  // at the very end: nothing
  EXPECT_EQ(e.Core.Text(), L"ab\r\ncd");
}

TEST(ElEditTyping, EditsOnContinuationLinesUndoInPlace) {
  Edit e;
  e.Core.SetWordWrap(true);
  e.Core.SetText(L"hello world");
  e.Core.SetCaret(Pos(0, 1));  // before "world"
  e.Key(VK_DELETE);
  EXPECT_EQ(e.Core.Text(), L"hello orld");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"hello world");
  EXPECT_EQ(e.Offset(), 6);

  e.Core.SetCaret(Pos(0, 1));
  e.Key(VK_BACK);  // the blank at the soft break
  EXPECT_EQ(e.Core.Text(), L"helloworld");
  EXPECT_EQ(e.Caret(), Pos(5, 0));
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"hello world");
  EXPECT_EQ(e.Offset(), 6);

  // Enter there leaves an empty paragraph; one undo restores the text.
  e.Core.SetCaret(Pos(0, 1));
  e.Key(VK_RETURN);
  EXPECT_EQ(e.Paragraphs(), (Texts{L"hello ", L"", L"world"}));
  EXPECT_EQ(e.Caret(), Pos(0, 2));
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"hello world");
  e.Undo();  // the extra-break mark changes nothing
  EXPECT_EQ(e.Core.Text(), L"hello world");
}

TEST(ElEditTyping, EnterSplitsAndKeepsRoomForTheBreak) {
  Edit e;
  e.Core.SetText(L"abcd");
  e.Core.SetCaret(Pos(2, 0));
  e.Key(VK_RETURN, {ssShift});  // counts as a plain Enter
  EXPECT_EQ(e.Paragraphs(), (Texts{L"ab", L"cd"}));
  EXPECT_EQ(e.Caret(), Pos(0, 1));
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"abcd");
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  e.Core.SetCaret(Pos(0, 0));
  e.Key(VK_RETURN);
  EXPECT_EQ(e.Paragraphs(), (Texts{L"", L"abcd"}));

  e.Core.SetText(L"abcd");
  e.Core.SetMaxLength(5);
  e.Key(VK_END);
  e.Key(VK_RETURN);  // a break needs two characters of room
  EXPECT_EQ(e.Core.Text(), L"abcd");
  e.Type("ef");
  EXPECT_EQ(e.Core.Text(), L"abcde");
}

TEST(ElEditTyping, TabOnlyWhenWanted) {
  Edit e;
  e.Core.SetText(L"ab");
  e.Core.SetCaret(Pos(1, 0));
  e.Key(VK_TAB);
  EXPECT_EQ(e.Core.Text(), L"ab");
  e.Core.SetWantTabs(true);
  e.Key(VK_TAB);
  EXPECT_EQ(e.Core.Text(), L"a\tb");
  EXPECT_EQ(e.Core.UndoList()->At(e.Core.UndoList()->Count() - 1)->Text, L"    ");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"ab");
}

TEST(ElEditTyping, TypingOverASelectionUndoesInTwoSteps) {
  Edit e;
  e.Core.SetText(L"hello world");
  e.Core.SetSel(6, 11);
  e.Type("X");
  EXPECT_EQ(e.Core.Text(), L"hello X");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"hello ");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"hello world");
  EXPECT_EQ(e.Core.GetSelText(), L"world");
  EXPECT_EQ(e.Offset(), 6);  // the caret is back where it was
}

TEST(ElEditTyping, ProgramChangesNeverCorruptUndo) {
  Edit e;
  e.Core.SetText(L"one");
  e.Core.SetText(L"two\r\nlines");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"one");

  e.Core.SetText(L"abc");
  e.Core.SetCaret(Pos(3, 0));
  e.Type("d");
  e.Core.Lines()->Insert(0, L"inserted by a program");
  e.Undo();  // the record no longer fits the text: it was dropped
  EXPECT_EQ(e.Core.Text(), L"inserted by a program\r\nabcd");

  e.Core.SetText(L"ab");
  e.Core.SetCaret(Pos(1, 0));
  e.Core.SetSelText(L"xyz");
  EXPECT_EQ(e.Core.GetSelText(), L"xyz");
  e.Core.InsertCompositionResult(L"\x65E5\x672C");  // replaces the selection
  EXPECT_EQ(e.Core.Text(), L"a\x65E5\x672C" L"b");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"ab");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"axyzb");
  EXPECT_EQ(e.Core.GetSelText(), L"xyz");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"ab");
}

TEST(ElEditTyping, UndoAfterARewrapActsAtTheSamePlace) {
  Edit e;
  e.Core.SetWordWrap(true);
  e.Core.SetText(L"one two three four");
  e.Core.SetSel(14, 14);  // before "four"
  e.Type("X");
  e.Core.Resized({0, 0, 400, 76});  // everything on one line now
  ASSERT_EQ(e.Core.Lines()->GetDisplayLineCount(), 1);
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"one two three four");
  EXPECT_EQ(e.Offset(), 14);
}

TEST_F(ElEditTranslated, SeveralUnitsAreOneInput) {
  e.Core.SetText(L"ab");
  e.Core.SetCaret(Pos(1, 0));
  TElFString pair = L"\xD83D\xDE00";
  TypeTranslated(e, pair);
  EXPECT_EQ(e.Core.Text(), L"a" + pair + L"b");
  EXPECT_EQ(e.Offset(), 3);
  EXPECT_EQ(e.Core.UndoList()->Count(), 1);
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"ab");
  EXPECT_EQ(e.Offset(), 1);

  TypeTranslated(e, L"\x00B4x", 'x');  // a dead key that does not combine
  EXPECT_EQ(e.Core.Text(), L"a\x00B4xb");
  EXPECT_EQ(e.Offset(), 3);

  e.Core.SetMaxLength(5);  // room for one unit only
  TypeTranslated(e, pair);
  EXPECT_EQ(e.Core.Text(), L"a\x00B4xb");
  EXPECT_FALSE(e.Core.HasPendingInput());
}

TEST_F(ElEditTranslated, KeyTranslationRules) {
  g_translated = L"7";
  Word key = VK_NUMPAD7;
  EXPECT_TRUE(e.Core.TranslateKeyDown(key, 0));
  EXPECT_EQ(e.Core.PendingInput(), L"7");
  key = VK_BACK;
  EXPECT_FALSE(e.Core.TranslateKeyDown(key, 0));
  g_keyState[VK_CONTROL] = 0x80;
  key = 'C';
  EXPECT_FALSE(e.Core.TranslateKeyDown(key, 0));
  EXPECT_EQ(key, 'C');
  g_keyState[VK_CONTROL] = 0;
  g_translated.clear();
  key = VK_LEFT;  // no character: the key goes on
  EXPECT_FALSE(e.Core.TranslateKeyDown(key, 0));
  EXPECT_EQ(key, VK_LEFT);
}

// A key translated into text whose character message never came: the next
// key starts afresh, and a character message after it inserts its own
// character, not the old key's text.
TEST_F(ElEditTranslated, EveryKeyDownDropsWhatTheLastOneLeft) {
  g_translated = L"x";
  Word key = 'A';
  ASSERT_TRUE(e.Core.TranslateKeyDown(key, 30));
  g_keyState[VK_CONTROL] = 0x80;
  key = 'V';
  EXPECT_FALSE(e.Core.TranslateKeyDown(key, 47));
  EXPECT_FALSE(e.Core.HasPendingInput());
  g_keyState[VK_CONTROL] = 0;
  e.Core.KeyPress('q');
  EXPECT_EQ(e.Core.Text(), L"q");
}

// A keyboard layout with one dead key, the circumflex, whose accent is
// kept as the system keeps it: waiting after the dead key, used up by the
// next key with characters (the flag 4 of newer systems leaves it alone).
namespace circumflex {
constexpr UINT kDeadKey = VK_OEM_6;
wchar_t g_accent = 0;
BYTE g_state[256];

int WINAPI ToUnicode(UINT vk, UINT, const BYTE* state, LPWSTR buffer, int, UINT flags) {
  const bool keep = (flags & 4) != 0;
  if (vk == kDeadKey) {
    buffer[0] = L'^';
    if (g_accent) {  // a second one: the accent itself
      if (!keep) g_accent = 0;
      return 1;
    }
    if (!keep) g_accent = L'^';
    return -1;
  }
  if (vk < 'A' || vk > 'Z') return 0;
  const bool shift = (state[VK_SHIFT] & 0x80) != 0;
  wchar_t c = static_cast<wchar_t>(shift ? vk : vk + 32);
  if (g_accent) {
    if (!keep) g_accent = 0;
    if (c == L'e' || c == L'E' || c == L'a' || c == L'A') {
      buffer[0] = static_cast<wchar_t>(c == L'e' ? 0xEA : c == L'E' ? 0xCA : c == L'a' ? 0xE2 : 0xC2);
      return 1;
    }
    buffer[0] = L'^';
    buffer[1] = c;
    return 2;
  }
  buffer[0] = c;
  return 1;
}

UINT WINAPI MapKey(UINT vk, UINT) {
  if (vk == kDeadKey) return 0x80000000u | L'^';
  return vk >= 'A' && vk <= 'Z' ? vk : 0;
}

BOOL WINAPI KeyboardState(PBYTE state) {
  std::memcpy(state, g_state, sizeof g_state);
  return TRUE;
}

// A key as the message loop delivers it: the loop's translation first
// (which posts the key's characters as 8-bit character messages), then the
// key-down, then the character messages.
void Press(Edit& e, UINT vk) {
  WCHAR chars[5] = {};
  const int n = circumflex::ToUnicode(vk, 0, g_state, chars, 5, 0);
  std::string posted;
  for (int i = 0; i < n; ++i) {
    char bytes[4] = {};
    const int length = WideCharToMultiByte(CP_ACP, 0, &chars[i], 1, bytes, sizeof bytes, nullptr, nullptr);
    posted.append(bytes, static_cast<std::size_t>(std::max(length, 0)));
  }
  Word key = static_cast<Word>(vk);
  if (!e.Core.TranslateKeyDown(key, 0)) e.Core.KeyDown(key, g_state[VK_SHIFT] & 0x80 ? TShiftState{ssShift} : TShiftState{});
  for (char c : posted) e.Core.KeyPress(c);
}
}  // namespace circumflex

TEST(ElEditDeadKeys, TheAccentOfADeadKeyReachesTheNextLetter) {
  ASSERT_TRUE(IsWinNT);
  using namespace circumflex;
  Edit e;
  e.Core.SetKeyTranslator({&circumflex::ToUnicode, &circumflex::KeyboardState, &circumflex::MapKey});
  g_accent = 0;
  std::memset(g_state, 0, sizeof g_state);
  Press(e, kDeadKey);
  Press(e, 'E');
  EXPECT_EQ(e.Core.Text(), L"\x00EA");
  // Shift pressed between the accent and its letter.
  Press(e, kDeadKey);
  g_state[VK_SHIFT] = 0x80;
  Press(e, VK_SHIFT);
  Press(e, 'A');
  g_state[VK_SHIFT] = 0;
  EXPECT_EQ(e.Core.Text(), L"\x00EA\x00C2");
  // Twice the dead key: the accent itself, and nothing waits after it.
  Press(e, kDeadKey);
  Press(e, kDeadKey);
  Press(e, 'E');
  EXPECT_EQ(e.Core.Text(), L"\x00EA\x00C2^e");
  // An accent that does not combine comes before the letter.
  Press(e, kDeadKey);
  Press(e, 'X');
  EXPECT_EQ(e.Core.Text(), L"\x00EA\x00C2^e^x");
  EXPECT_EQ(g_accent, 0);
}

TEST(ElEditClipboard, PasteKeepsToTheLengthLimit) {
  Edit e;
  e.Core.SetText(L"abcdefgh");
  e.Core.SetMaxLength(10);
  e.Key(VK_END);
  e.Host.Clipboard = L"12345";
  e.Key('V', {ssCtrl});
  EXPECT_EQ(e.Core.Text(), L"abcdefgh12");
  EXPECT_EQ(e.Caret(), Pos(10, 0));
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"abcdefgh");

  e.Core.SetText(L"abcdefghijkl");  // already past the limit
  e.Core.PasteFromClipboard();
  EXPECT_EQ(e.Core.Text(), L"abcdefghijkl");

  e.Core.SetMaxLength(0);
  e.Core.SetText(L"ab");
  e.Host.Clipboard = L"x\r\ny";
  e.Core.SetCaret(Pos(1, 0));
  e.Key(VK_INSERT, {ssShift});
  EXPECT_EQ(e.Paragraphs(), (Texts{L"ax", L"yb"}));
  EXPECT_EQ(e.Caret(), Pos(1, 1));
}

TEST(ElEditClipboard, CopyCutAndPasswords) {
  Edit e;
  e.Core.SetText(L"ab\r\ncd");
  e.Core.SetSel(1, 5);
  e.Key('C', {ssCtrl});
  EXPECT_EQ(e.Host.Clipboard, L"b\r\nc");
  e.Key(VK_DELETE, {ssShift});
  EXPECT_EQ(e.Core.Text(), L"ad");
  EXPECT_EQ(e.Host.Sent, (std::vector<unsigned>{WM_COPY, WM_CUT}));
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"ab\r\ncd");

  e.Host.Clipboard = L"kept";
  e.Core.SetPasswordChar(L"*");
  e.Core.SetSel(0, -1);
  e.Core.CopyToClipboard();
  e.Core.CutToClipboard();
  EXPECT_EQ(e.Host.Clipboard, L"kept");
  EXPECT_EQ(e.Core.Text(), L"ab\r\ncd");
}

TEST(ElEditReadOnly, NothingChangesTheText) {
  Edit e;
  e.Core.SetText(L"foo bar");
  e.Core.SetReadOnly(true);
  e.Core.SetSel(4, 7);
  e.Host.Clipboard = L"pasted";
  e.Core.SetCaret(Pos(4, 0));
  e.Key(VK_BACK, {ssCtrl});
  e.Key(VK_DELETE, {ssCtrl});
  e.Core.ClearSelectionText();
  e.Core.SetSel(0, 3);
  e.Key('Z', {ssCtrl});
  e.Type("x");
  for (Word key : {VK_BACK, VK_DELETE, VK_RETURN}) e.Key(key);
  e.Key('V', {ssCtrl});
  e.Core.InsertCompositionResult(L"ime");
  EXPECT_TRUE(e.Core.ExecuteCommand(771));
  e.Key('X', {ssCtrl});  // copies only
  EXPECT_EQ(e.Core.Text(), L"foo bar");
  EXPECT_EQ(e.Host.Clipboard, L"foo");
  e.Key(VK_END);  // navigation still works
  EXPECT_EQ(e.Caret(), Pos(7, 0));
}

TEST(ElEditWords, WordMovesPassWordsAndBlanks) {
  Edit e;
  e.Core.SetText(L"foo  bar baz");
  std::vector<int> right, left;
  for (int i = 0; i < 4; ++i) {
    e.Key(VK_RIGHT, {ssCtrl});
    right.push_back(e.Caret().Column);
  }
  for (int i = 0; i < 4; ++i) {
    e.Key(VK_LEFT, {ssCtrl});
    left.push_back(e.Caret().Column);
  }
  EXPECT_EQ(right, (std::vector<int>{5, 9, 12, 12}));
  EXPECT_EQ(left, (std::vector<int>{9, 5, 0, 0}));

  e.Key(VK_RIGHT, {ssShift, ssCtrl});
  EXPECT_EQ(e.Core.GetSelText(), L"foo  ");

  e.Core.SetText(L"ab\r\ncd");
  e.Core.SetCaret(Pos(0, 1));
  e.Key(VK_LEFT, {ssCtrl});
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  e.Key(VK_RIGHT, {ssCtrl});
  EXPECT_EQ(e.Caret(), Pos(0, 1));
}

TEST(ElEditWords, WordDeletionAndDoubleClick) {
  Edit e;
  e.Core.SetText(L"foo  bar");
  e.Key(VK_END);
  e.Key(VK_BACK, {ssCtrl});
  EXPECT_EQ(e.Core.Text(), L"foo  ");
  e.Undo();
  EXPECT_EQ(e.Core.Text(), L"foo  bar");
  e.Key(VK_HOME);
  e.Key(VK_DELETE, {ssCtrl});
  EXPECT_EQ(e.Core.Text(), L"bar");

  e.Core.SetText(L"foo  bar baz");
  e.Core.MouseDown(mbLeft, {ssLeft, ssDouble}, 1 + 6 * 8 + 1, 5);  // on the "a" of "bar"
  EXPECT_EQ(e.Core.GetSelText(), L"bar ");
  EXPECT_EQ(e.Caret(), Pos(9, 0));
}

TEST(ElEditKeys, ShiftStatesFollowTheTable) {
  Edit single(false);
  single.Core.SetText(L"abc");
  single.Key(VK_DOWN);
  EXPECT_EQ(single.Caret(), Pos(1, 0));
  single.Key(VK_NEXT);
  EXPECT_EQ(single.Caret(), Pos(3, 0));
  Word enter = VK_RETURN;
  single.Core.KeyDown(enter, {});
  EXPECT_EQ(enter, 0);
  EXPECT_EQ(single.Core.Text(), L"abc");

  Edit e;
  e.Core.SetText(L"abc\r\ndef");
  EXPECT_TRUE(e.Key(VK_RIGHT, {ssShift}));  // the class library runs again
  e.Key(VK_RIGHT, {ssShift});
  EXPECT_EQ(e.Core.GetSelText(), L"ab");
  e.Key(VK_END, {ssShift, ssCtrl});
  EXPECT_EQ(e.Core.GetSelText(), L"abc\r\ndef");
  EXPECT_TRUE(e.Key(VK_LEFT, {ssAlt}));
  EXPECT_EQ(e.Caret(), Pos(3, 1));
  EXPECT_FALSE(e.Key(VK_LEFT));
  EXPECT_FALSE(e.Core.HasSelection());
  e.Key(VK_UP, {ssShift});
  EXPECT_EQ(e.Core.GetSelText(), L"c\r\nde");

  // Right at a paragraph's end stops there; one more goes on.
  e.Key(VK_HOME, {ssCtrl});
  for (int i = 0; i < 3; ++i) e.Key(VK_RIGHT);
  EXPECT_EQ(e.Caret(), Pos(3, 0));
  e.Key(VK_RIGHT);
  EXPECT_EQ(e.Caret(), Pos(0, 1));
  e.Key(VK_LEFT);
  EXPECT_EQ(e.Caret(), Pos(3, 0));
}

TEST(ElEditKeys, SelectAllHidesACaretBelowTheView) {
  Edit e;
  e.Core.SetText(L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7");
  int selections = e.Host.SelectionChanges;
  e.Key('A', {ssCtrl});
  EXPECT_EQ(e.Core.GetSelText(), e.Core.Text());
  EXPECT_EQ(e.Caret(), Pos(1, 6));
  EXPECT_EQ(e.Host.Caret.x, -100);
  EXPECT_EQ(e.Core.FirstLine(), 0);
  EXPECT_GT(e.Host.SelectionChanges, selections);
}

TEST(ElEditMouse, ClicksAndDragsSelect) {
  Edit e;
  e.Core.SetText(L"abcdef\r\nghij");
  e.Host.HasFocus = false;
  e.Host.Focusable = true;
  e.Core.MouseDown(mbLeft, {ssLeft}, 1 + 2 * 8, 2);
  EXPECT_EQ(e.Host.FocusTaken, 1);
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  EXPECT_TRUE(e.Core.MouseSelecting());
  e.Key(VK_RIGHT);  // keys wait while the mouse selects
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  e.Core.MouseMove({ssLeft}, 1 + 1 * 8, 16);
  EXPECT_EQ(e.Core.GetSelText(), L"cdef\r\ng");
  e.Core.MouseUp();
  EXPECT_FALSE(e.Core.MouseSelecting());
  e.Core.MouseMove({}, 200, 2);  // no button: nothing
  EXPECT_EQ(e.Core.GetSelText(), L"cdef\r\ng");
  e.Core.MouseDown(mbLeft, {ssLeft, ssShift}, 200, 2);  // past the line's end
  EXPECT_EQ(e.Core.GetSelText(), L"cdef");
  e.Core.MouseUp();
  e.Core.MouseDown(mbLeft, {ssLeft}, 1, 2);
  EXPECT_FALSE(e.Core.HasSelection());
}
