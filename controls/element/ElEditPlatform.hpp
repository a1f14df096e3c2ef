// What the edit takes from the platform without needing its own window: a
// text measurer over a device context and the clipboard's text.
#pragma once

#include "ElEditCore.hpp"
#include "WinApi.hpp"

// Measures with the font selected into a device context (the edit's canvas,
// or any memory DC). The font stays selected while the measurer lives.
class TElEditDCMeasurer : public TElEditMeasurer {
 public:
  TElEditDCMeasurer(HDC dc, HFONT font);
  ~TElEditDCMeasurer() override;
  // Measures with another font from now on (the edit's font changed).
  void SetFont(HFONT font);
  TElEditDCMeasurer(const TElEditDCMeasurer&) = delete;
  TElEditDCMeasurer& operator=(const TElEditDCMeasurer&) = delete;

  void GetExtents(const WideChar* text, int length, int* extents) override;
  int TextWidth(const WideChar* text, int length) override;
  int FontHeight() override { return fontHeight_; }
  int CharHeight() override { return charHeight_; }

 private:
  HDC dc_;
  HGDIOBJ oldFont_;
  int fontHeight_ = 0;
  int charHeight_ = 0;
};

// Puts Text on the clipboard as CF_UNICODETEXT and, with AnsiToo, its ANSI
// conversion as CF_TEXT. False when the clipboard could not be written.
bool ElClipboardSetText(HWND owner, const TElFString& text, bool ansiToo);
// The clipboard's text: CF_UNICODETEXT when present, else CF_TEXT converted
// from the ANSI code page; cut at the first zero and never read past the
// memory block. Empty when there is none or it cannot be read.
TElFString ElClipboardGetText(HWND owner);
// The text of a clipboard memory block: up to its first zero or its end,
// whichever comes first; empty when the block cannot be locked.
TElFString ElUnicodeTextFromBlock(HANDLE block);
AnsiString ElAnsiTextFromBlock(HANDLE block);
