// The window-free edit under test: a fixed-width measurer, a host that
// records what the edit asks of its window, and small helpers.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ElEditCore.hpp"

namespace edittest {

// Every character is Width pixels wide unless listed in Widths.
class FixedMeasurer : public TElEditMeasurer {
 public:
  int Width = 8;
  std::map<WideChar, int> Widths;
  int Height = 13;
  int Cell = 16;
  int Calls = 0;

  int CharWidth(WideChar c) const {
    auto it = Widths.find(c);
    return it == Widths.end() ? Width : it->second;
  }
  void GetExtents(const WideChar* text, int length, int* extents) override {
    ++Calls;
    int x = 0;
    for (int i = 0; i < length; ++i) extents[i] = x += CharWidth(text[i]);
  }
  int TextWidth(const WideChar* text, int length) override {
    ++Calls;
    int x = 0;
    for (int i = 0; i < length; ++i) x += CharWidth(text[i]);
    return x;
  }
  int FontHeight() override { return Height; }
  int CharHeight() override { return Cell; }
};

class RecordingHost : public TElEditHost {
 public:
  TElEditCore* Core = nullptr;
  bool Window = true;
  bool HasFocus = true;
  bool Focusable = false;
  int Changes = 0;
  int SelectionChanges = 0;
  int Repaints = 0;
  int FocusTaken = 0;
  TPoint Caret{-1, -1};
  TElEditScrollRanges Ranges;
  int RangeUpdates = 0;
  TElFString Clipboard;
  std::vector<unsigned> Sent;

  bool HandleAllocated() override { return Window; }
  bool Focused() override { return HasFocus; }
  bool CanTakeFocus() override { return Focusable && !HasFocus; }
  void TakeFocus() override {
    ++FocusTaken;
    HasFocus = true;
  }
  void InvalidateText(bool) override { ++Repaints; }
  void SetCaretPoint(TPoint point) override { Caret = point; }
  void ScrollRangesChanged(const TElEditScrollRanges& ranges) override {
    Ranges = ranges;
    ++RangeUpdates;
  }
  void Change() override { ++Changes; }
  void SelectionChanged() override { ++SelectionChanges; }
  void SendSetText(const TElFString& text) override { Core->SetTextFromMessage(text); }
  // As the window's message handlers do.
  void SendClipboardMessage(unsigned message) override {
    Sent.push_back(message);
    if (message == WM_COPY) Core->CopyToClipboard();
    if (message == WM_CUT) Core->CutToClipboard();
    if (message == WM_PASTE) Core->PasteFromClipboard();
  }
  void SetClipboardText(const TElFString& text) override { Clipboard = text; }
  TElFString GetClipboardText() override { return Clipboard; }
};

// A multi-line edit 10 characters of 8 pixels wide (right margin 5 and left
// margin 1 included) and 5 lines of 15 pixels high, with a window.
struct Edit {
  FixedMeasurer Measurer;
  RecordingHost Host;
  TElEditCore Core{&Measurer, &Host};

  explicit Edit(bool multiline = true, int columns = 10, int rows = 5) {
    Host.Core = &Core;
    Core.SetMultiline(multiline);
    Core.SetEditRect({0, 0, columns * Measurer.Width + Core.RightMargin() + Core.LeftMargin(),
                      rows * Core.LineHeight() + Core.TopMargin()});
  }

  std::vector<TElFString> Paragraphs() {
    std::vector<TElFString> out;
    for (int i = 0; i < Core.Lines()->GetCount(); ++i) out.push_back(Core.Lines()->Get(i));
    return out;
  }
  std::vector<TElFString> DisplayLines() {
    std::vector<TElFString> out;
    for (int i = 0; i < Core.Lines()->GetDisplayLineCount(); ++i) out.push_back(Core.Lines()->GetDisplayLine(i));
    return out;
  }
  // Key down with the class library's shift state.
  bool Key(Word key, TShiftState shift = {}) { return Core.KeyDown(key, shift); }
  // Characters of the ANSI code page, as WM_CHAR brings them.
  void Type(const char* ansi) {
    for (const char* p = ansi; *p; ++p) Core.KeyPress(*p);
  }
  void TypeWide(const TElFString& text) { Type(WideToAnsi(text).c_str()); }
  TElDisplayPos Caret() { return Core.CaretPos(); }
  int Offset() { return Core.GetSelStart(); }
  void Undo() { Key('Z', {ssCtrl}); }
};

inline TElDisplayPos Pos(int column, int line) { return {column, line}; }

}  // namespace edittest

inline void PrintTo(const TElDisplayPos& p, std::ostream* os) { *os << "(" << p.Column << ", " << p.Line << ")"; }
