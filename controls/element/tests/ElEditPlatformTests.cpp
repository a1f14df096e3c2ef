// The edit's platform pieces: measuring with a real font in a memory DC, and
// the clipboard's text through a message-only owner window.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ElEditPlatform.hpp"
#include "ElWindowTestSupport.hpp"
#include "SysUtils.hpp"

namespace {

class MemoryDC {
 public:
  MemoryDC() : dc_(CreateCompatibleDC(nullptr)) {
    font_ = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, L"Tahoma");
  }
  ~MemoryDC() {
    DeleteObject(font_);
    DeleteDC(dc_);
  }
  HDC dc_;
  HFONT font_;
};

class OwnerWindow {
 public:
  OwnerWindow() : hwnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~OwnerWindow() { DestroyWindow(hwnd_); }
  HWND hwnd_;
};

}  // namespace

TEST(ElEditDCMeasurer, ExtentsAgreeWithWidths) {
  MemoryDC memory;
  TElEditDCMeasurer measurer(memory.dc_, memory.font_);
  EXPECT_EQ(measurer.FontHeight(), 13);
  EXPECT_GE(measurer.CharHeight(), 13);
  const wchar_t text[] = L"Жук wide WWW iii";
  int n = static_cast<int>(wcslen(text));
  std::vector<int> extents(static_cast<std::size_t>(n));
  measurer.GetExtents(text, n, extents.data());
  for (int i = 0; i < n; ++i) EXPECT_EQ(extents[static_cast<std::size_t>(i)], measurer.TextWidth(text, i + 1)) << i;
  EXPECT_GT(measurer.TextWidth(L"WWW", 3), measurer.TextWidth(L"iii", 3));
  HFONT large = CreateFontW(-26, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, L"Tahoma");
  int small = measurer.TextWidth(L"Жук", 3);
  measurer.SetFont(large);
  EXPECT_EQ(measurer.FontHeight(), 26);
  EXPECT_GT(measurer.TextWidth(L"Жук", 3), small);
  measurer.SetFont(memory.font_);
  DeleteObject(large);
}

TEST(ElEditClipboardText, RoundTripInBothFormats) {
  OwnerWindow owner;
  TElFString text = AnsiToWide("\xC6x\r\ny");
  ASSERT_TRUE(ElClipboardSetText(owner.hwnd_, text, true));
  EXPECT_EQ(ElClipboardGetText(owner.hwnd_), text);
  ASSERT_TRUE(OpenClipboard(owner.hwnd_));
  HANDLE ansi = GetClipboardData(CF_TEXT);
  ASSERT_NE(ansi, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(ansi)), "\xC6x\r\ny");
  GlobalUnlock(ansi);
  CloseClipboard();
}

TEST(ElEditClipboardText, CutAtTheFirstZero) {
  OwnerWindow owner;
  const wchar_t cut[] = L"ab\0cd";
  eltest::PutClipboard(owner.hwnd_, CF_UNICODETEXT, cut, sizeof cut);
  EXPECT_EQ(ElClipboardGetText(owner.hwnd_), L"ab");
}

TEST(ElEditClipboardText, BlocksAreReadNoFurtherThanTheirSize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 64);
  ASSERT_NE(block, nullptr);
  std::size_t size = GlobalSize(block);
  char* p = static_cast<char*>(GlobalLock(block));
  std::memset(p, 'x', size);  // no terminator anywhere
  GlobalUnlock(block);
  EXPECT_EQ(ElAnsiTextFromBlock(block), AnsiString(size, 'x'));
  EXPECT_EQ(ElUnicodeTextFromBlock(block), TElFString(size / 2, L'\x7878'));
  GlobalFree(block);

  HGLOBAL discarded = GlobalAlloc(GMEM_MOVEABLE, 0);  // cannot be locked
  EXPECT_EQ(ElUnicodeTextFromBlock(discarded), L"");
  GlobalFree(discarded);
  EXPECT_EQ(ElAnsiTextFromBlock(nullptr), "");
}
