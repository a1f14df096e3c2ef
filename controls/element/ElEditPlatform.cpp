#include "ElEditPlatform.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ElTools.hpp"
#include "ElVCLUtils.hpp"
#include "SysUtils.hpp"

// ---------------------------------------------------------------- measurer

// Without a font (none could be made) the context's own font measures.
TElEditDCMeasurer::TElEditDCMeasurer(HDC dc, HFONT font) : dc_(dc), oldFont_(GetCurrentObject(dc, OBJ_FONT)) {
  SetFont(font);
}

void TElEditDCMeasurer::SetFont(HFONT font) {
  if (font) SelectObject(dc_, font);
  fontHeight_ = 0;
  charHeight_ = 0;
  LOGFONTW logFont{};
  if (font && ElGetFontInfo(font, logFont)) fontHeight_ = std::abs(static_cast<int>(logFont.lfHeight));
  TEXTMETRICW metrics{};
  if (ElGetTextMetrics(dc_, metrics)) charHeight_ = metrics.tmHeight;
  if (fontHeight_ == 0) fontHeight_ = charHeight_;
}

TElEditDCMeasurer::~TElEditDCMeasurer() { SelectObject(dc_, oldFont_); }

void TElEditDCMeasurer::GetExtents(const WideChar* text, int length, int* extents) {
  if (length <= 0) return;
  SIZE size{};
  if (IsWinNT && GetTextExtentExPointW(dc_, text, length, 0, nullptr, extents, &size)) return;
  // Older systems give no extents: each prefix is measured.
  for (int i = 0; i < length; ++i) {
    GetTextExtentPoint32W(dc_, text, i + 1, &size);
    extents[i] = size.cx;
  }
}

int TElEditDCMeasurer::TextWidth(const WideChar* text, int length) {
  if (length <= 0) return 0;
  SIZE size{};
  GetTextExtentPoint32W(dc_, text, length, &size);
  return size.cx;
}

// ---------------------------------------------------------------- clipboard

namespace {

// The clipboard, opened for the scope of one call.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_;
};

// A moveable memory block holding Bytes; handed to the clipboard on success.
bool PutBlock(UINT format, const void* data, std::size_t bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!block) return false;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(p, data, bytes);
  GlobalUnlock(block);
  if (SetClipboardData(format, block)) return true;
  GlobalFree(block);
  return false;
}

template <class Unit>
std::basic_string<Unit> ReadBlock(HANDLE block) {
  if (!block) return {};
  std::size_t units = GlobalSize(block) / sizeof(Unit);
  const Unit* p = static_cast<const Unit*>(GlobalLock(block));
  if (!p) return {};
  const Unit* end = std::find(p, p + units, Unit(0));
  std::basic_string<Unit> text(p, end);
  GlobalUnlock(block);
  return text;
}

}  // namespace

bool ElClipboardSetText(HWND owner, const TElFString& text, bool ansiToo) {
  ClipboardScope clipboard(owner);
  if (!clipboard.Open() || !EmptyClipboard()) return false;
  if (!PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(WideChar))) return false;
  if (!ansiToo) return true;
  AnsiString ansi = WideToAnsi(text);
  return PutBlock(CF_TEXT, ansi.c_str(), ansi.size() + 1);
}

TElFString ElClipboardGetText(HWND owner) {
  ClipboardScope clipboard(owner);
  if (!clipboard.Open()) return TElFString();
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) return ElUnicodeTextFromBlock(GetClipboardData(CF_UNICODETEXT));
  if (IsClipboardFormatAvailable(CF_TEXT)) return AnsiToWide(ElAnsiTextFromBlock(GetClipboardData(CF_TEXT)));
  return TElFString();
}

TElFString ElUnicodeTextFromBlock(HANDLE block) { return ReadBlock<WideChar>(block); }

AnsiString ElAnsiTextFromBlock(HANDLE block) { return ReadBlock<char>(block); }
