// The edit's messages: one dispatch that hands each message to a short
// handler, which passes it on to the edit logic.
#include <algorithm>
#include <cstdlib>

#include "ElEdits.hpp"
#include "ElTools.hpp"
#include "SysUtils.hpp"

namespace {

int SignedParam(WPARAM value) { return static_cast<int>(static_cast<LONG_PTR>(value)); }
int SignedParam(LPARAM value) { return static_cast<int>(value); }

// WM_SETTEXT's 8-bit text, converted with the system ANSI code page as the
// edit has always done it (precomposed, glyph characters for controls).
TElFString AnsiMessageText(const char* text) {
  if (!text || !*text) return TElFString();
  int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED | MB_USEGLYPHCHARS, text, -1, nullptr, 0);
  if (n <= 1) return TElFString();
  TElFString result(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED | MB_USEGLYPHCHARS, text, -1, result.data(), n);
  result.resize(static_cast<std::size_t>(n - 1));
  return result;
}

// The ANSI code page of the current keyboard layout's language.
UINT KeyboardCodePage() {
  LANGID language = LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)));
  char buffer[8] = {};
  if (GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, buffer, sizeof buffer) > 0) {
    UINT cp = static_cast<UINT>(std::strtoul(buffer, nullptr, 10));
    if (cp != 0) return cp;
  }
  return CP_ACP;
}

}  // namespace

void TCustomElEdit::Dispatch(TMessage& m) {
  if (EditMessage(m)) return;
  switch (m.Msg) {
    case WM_SETTEXT: WMSetText(m); return;
    case EL_EDIT_SET_WIDE_TEXT: SetWideTextMessage(m); return;
    case WM_GETTEXT: WMGetText(m); return;
    case WM_GETTEXTLENGTH: WMGetTextLength(m); return;
    case WM_KEYDOWN: WMKeyDown(m); return;
    case WM_SETFOCUS: WMSetFocus(m); return;
    case WM_KILLFOCUS: WMKillFocus(m); return;
    case WM_SIZE: WMSize(m); return;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_NCCALCSIZE: WMNCCalcSize(m); return;
    case WM_NCPAINT: WMNCPaint(m); return;
    case WM_VSCROLL: WMScroll(m, true); return;
    case WM_HSCROLL: WMScroll(m, false); return;
    case WM_MOUSEWHEEL: WMMouseWheel(m); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); return;
    case WM_CONTEXTMENU: WMContextMenu(m); return;
    case WM_IME_STARTCOMPOSITION: WMImeStartComposition(m); return;
    case WM_IME_COMPOSITION: WMImeComposition(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); return;
    case CM_COLORCHANGED:
      TElXPThemedControl::Dispatch(m);
      RepaintBorderIfFlat();
      return;
    case CM_CTL3DCHANGED: CMCtl3DChanged(m); return;
    case CM_MOUSEENTER: CMMouseEnter(m); return;
    case CM_MOUSELEAVE: CMMouseLeave(m); return;
    case CM_HINTSHOW: CMHintShow(m); return;
    case EL_BACKGROUND_MOVED: BackgroundMoved(m); return;
    default: TElXPThemedControl::Dispatch(m);
  }
}

// ---------------------------------------------------------------- text

// Any program may send WM_SETTEXT: its text is always read as 8-bit text
// (which the system copies across processes), never as UTF-16 from a
// buffer that may be half as long.
void TCustomElEdit::WMSetText(TMessage& m) {
  m.Result = 1;
  if (ignoreWindowText_) return;
  core_->SetTextFromMessage(AnsiMessageText(reinterpret_cast<const char*>(m.LParam)));
}

void TCustomElEdit::SetWideTextMessage(TMessage& m) {
  const auto* text = reinterpret_cast<const TElFString*>(m.LParam);
  if (!sendingText_ || text != sendingText_) {
    m.Result = 0;
    return;
  }
  m.Result = 1;
  if (ignoreWindowText_) return;
  core_->SetTextFromMessage(*text);
}

void TCustomElEdit::WMGetText(TMessage& m) {
  m.Result = core_->GetTextMessage(reinterpret_cast<char*>(m.LParam), SignedParam(m.WParam));
}

void TCustomElEdit::WMGetTextLength(TMessage& m) { m.Result = core_->GetTextLengthMessage(); }

// The standard edit messages, the clipboard messages and the menu commands.
bool TCustomElEdit::EditMessage(TMessage& m) {
  switch (m.Msg) {
    case EM_GETSEL: {
      int start = 0, end = 0;
      core_->GetSel(start, end);
      if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = static_cast<DWORD>(start);
      if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = static_cast<DWORD>(end);
      m.Result = MAKELRESULT(start, end);
      return true;
    }
    case EM_SETSEL: core_->SetSel(SignedParam(m.WParam), SignedParam(m.LParam)); return true;
    case EM_REPLACESEL:
      if (m.WParam) core_->DeleteSelection();
      SetSelText(AnsiToWide(m.LParam ? reinterpret_cast<const char*>(m.LParam) : ""));
      return true;
    case EM_GETLINE: {
      char* buffer = reinterpret_cast<char*>(m.LParam);
      int size = buffer ? *reinterpret_cast<const WORD*>(buffer) : 0;
      m.Result = core_->GetLineMessage(SignedParam(m.WParam), buffer, size);
      return true;
    }
    case EM_GETLINECOUNT: m.Result = core_->LineCount(); return true;
    case EM_LINEINDEX: m.Result = core_->LineIndex(SignedParam(m.WParam)); return true;
    case EM_LINEFROMCHAR: m.Result = core_->LineFromChar(SignedParam(m.WParam)); return true;
    case EM_POSFROMCHAR: {
      TPoint p = PosToPoint(core_->OffsetToPos(SignedParam(m.WParam)));
      m.Result = MAKELRESULT(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
      return true;
    }
    case EM_GETFIRSTVISIBLELINE: m.Result = FirstLine(); return true;
    case EM_SCROLL: {
      int code = SignedParam(m.WParam);
      if (code != SB_LINEUP && code != SB_LINEDOWN && code != SB_PAGEUP && code != SB_PAGEDOWN) {
        m.Result = 0;
        return true;
      }
      int before = FirstLine();
      core_->VScroll(code, 0);
      m.Result = MAKELRESULT(static_cast<WORD>(FirstLine() - before), TRUE);
      return true;
    }
    case EM_LINESCROLL: core_->ScrollLines(SignedParam(m.LParam)); m.Result = TRUE; return true;
    case EM_SCROLLCARET: core_->SetCaret(core_->CaretPos()); return true;
    case EM_SETRECT:
    case EM_SETRECTNP: {
      const RECT* r = reinterpret_cast<const RECT*>(m.LParam);
      if (r)
        SetEditRect(TRect{r->left, r->top, r->right, r->bottom});
      else
        ResetEditRect();
      if (m.Msg == EM_SETRECT) Invalidate();
      return true;
    }
    case EM_CANUNDO: m.Result = CanUndo() ? TRUE : FALSE; return true;
    case EM_UNDO:
      m.Result = CanUndo() ? TRUE : FALSE;
      Undo();
      return true;
    case WM_GETDLGCODE:
      TElXPThemedControl::Dispatch(m);
      m.Result = core_->DialogCode(m.Result);
      return true;
    case WM_COMMAND:
      // A menu's command (no control window in lParam).
      if (m.LParam != 0 || !core_->ExecuteCommand(LOWORD(m.WParam))) return false;
      m.Result = 0;
      return true;
    case WM_COPY: core_->CopyToClipboard(); return true;
    case WM_CUT: core_->CutToClipboard(); return true;
    case WM_PASTE: core_->PasteFromClipboard(); return true;
    case WM_CLEAR: core_->ClearSelectionText(); return true;
    default: return false;
  }
}

// ---------------------------------------------------------------- keys

// On NT a key is first turned into its characters, which the character
// message that follows then inserts whole.
void TCustomElEdit::WMKeyDown(TMessage& m) {
  Word key = static_cast<Word>(m.WParam);
  UINT scanCode = (static_cast<UINT>(m.LParam) >> 16) & 0xFF;
  if (core_->TranslateKeyDown(key, scanCode)) {
    m.Result = 0;
    return;
  }
  m.WParam = key;
  TElXPThemedControl::Dispatch(m);
}

void TCustomElEdit::KeyDown(Word& key, TShiftState shift) {
  TElXPThemedControl::KeyDown(key, shift);
  if (core_->KeyDown(key, shift)) TElXPThemedControl::KeyDown(key, shift);
}

void TCustomElEdit::KeyPress(char& key) {
  TElXPThemedControl::KeyPress(key);
  core_->KeyPress(key);
}

// ---------------------------------------------------------------- mouse

void TCustomElEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  popupShownOnPress_ = false;
  core_->MouseDown(button, shift, x, y);
  TPopupMenu* menu = PopupMenu();
  if (button == mbRight && menu) {
    menu->SetPopupComponent(this);
    TElXPThemedControl::MouseDown(button, shift, x, y);
    if (PopupMenu() == menu && menu->AutoPopup()) {
      POINT p = ClientToScreen(POINT{x, y});
      popupShownOnPress_ = true;
      menu->Popup(p.x, p.y);
    }
    return;
  }
  SetMouseCapture(true);
  TElXPThemedControl::MouseDown(button, shift, x, y);
}

void TCustomElEdit::MouseMove(TShiftState shift, int x, int y) {
  // The cursor follows what lies under the mouse, a custom bar or the text.
  if (CustomBars()) Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  core_->MouseMove(shift, x, y);
  TElXPThemedControl::MouseMove(shift, x, y);
}

void TCustomElEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  SetMouseCapture(false);
  core_->MouseUp();
  TElXPThemedControl::MouseUp(button, shift, x, y);
}

// The release of a right press that already showed the menu brings a
// context-menu message of its own; the menu is not shown twice.
void TCustomElEdit::WMContextMenu(TMessage& m) {
  bool fromMouse = m.LParam != -1;
  if (popupShownOnPress_ && fromMouse) {
    popupShownOnPress_ = false;
    m.Result = 1;
    return;
  }
  TElXPThemedControl::Dispatch(m);
}

void TCustomElEdit::WMMouseWheel(TMessage& m) {
  int delta = static_cast<short>(HIWORD(m.WParam));
  UINT lines = 3;
  if ((IsWinNT || IsWin98Up) && !SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  core_->MouseWheel(delta, lines);
  m.Result = 0;
}

// The window's own bars; a child scroll bar reports through its events.
void TCustomElEdit::WMScroll(TMessage& m, bool vertical) {
  if (m.LParam != 0) {
    TElXPThemedControl::Dispatch(m);
    return;
  }
  int code = LOWORD(m.WParam);
  int position = HIWORD(m.WParam);
  if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(Handle(), vertical ? SB_VERT : SB_HORZ, &info)) position = info.nTrackPos;
  }
  if (vertical)
    core_->VScroll(code, position);
  else
    core_->HScroll(code, position);
  m.Result = 0;
}

// ---------------------------------------------------------------- focus, size, moves

void TCustomElEdit::WMSetFocus(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  CreateSystemCaret();
  core_->FocusEntered();
  RepaintBorderIfFlat();
}

void TCustomElEdit::WMKillFocus(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  DestroySystemCaret();
  core_->FocusLeft();
  RepaintBorderIfFlat();
}

void TCustomElEdit::WMSize(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  if (!HandleAllocated()) return;
  TComponentState state = ComponentState();
  if (!state.Contains(csLoading) && !state.Contains(csReading) && !state.Contains(csDestroying)) AdjustSize();
  core_->Resized(TextAreaRect());
}

void TCustomElEdit::WMWindowPosChanged(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  Perform(EL_BACKGROUND_MOVED, 0, 0);
}

void TCustomElEdit::BackgroundMoved(TMessage& m) {
  Invalidate();
  Broadcast(m);
}

void TCustomElEdit::CMFontChanged(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  UpdateFont();
}

void TCustomElEdit::CMEnabledChanged(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  if (IsThemeApplied()) DrawBorder();
}

void TCustomElEdit::CMCtl3DChanged(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  RecreateOrUpdate();
  AdjustSize();
  ResetEditRect();
}

void TCustomElEdit::CMMouseEnter(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  mouseInside_ = true;
  DoMouseEnter();
  if (!Focused()) RepaintBorderIfFlat();
}

void TCustomElEdit::CMMouseLeave(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  mouseInside_ = false;
  DoMouseLeave();
  if (!Focused()) RepaintBorderIfFlat();
}

// The hint shown carries the UTF-16 text in the packed layout: the short
// hint, or the whole one when the request's text is not the short hint.
void TCustomElEdit::CMHintShow(TMessage& m) {
  TElXPThemedControl::Dispatch(m);
  if (auto* info = reinterpret_cast<THintInfo*>(m.LParam)) AnswerPackedHint(*info, wideHint_, TControl::Hint());
}

// ---------------------------------------------------------------- input method

// The composition font is the edit's, handed over in the wide layout where
// the system has the wide calls and in the 8-bit one elsewhere.
void TCustomElEdit::SetCompositionFont(HIMC context) {
  HFONT font = Font()->Handle();
  if (ElWideTextApi().GetObjectW && inputMethod_.SetCompositionFontW) {
    LOGFONTW logFont{};
    if (ElGetFontInfo(font, logFont)) inputMethod_.SetCompositionFontW(context, &logFont);
    return;
  }
  LOGFONTA logFont{};
  if (inputMethod_.SetCompositionFontA && GetObjectA(font, sizeof logFont, &logFont))
    inputMethod_.SetCompositionFontA(context, &logFont);
}

void TCustomElEdit::WMImeStartComposition(TMessage& m) {
  HWND wnd = Handle();
  if (HIMC context = inputMethod_.GetContext ? inputMethod_.GetContext(wnd) : nullptr) {
    SetCompositionFont(context);
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_RECT;
    TPoint caret = PosToPoint(CaretPos());
    form.ptCurrentPos = POINT{caret.x, caret.y};
    const TRect& edit = EditRect();
    form.rcArea = RECT{edit.left + LeftMargin(), edit.top, edit.right - RightMargin(), edit.bottom};
    if (inputMethod_.SetCompositionWindow) inputMethod_.SetCompositionWindow(context, &form);
    if (inputMethod_.ReleaseContext) inputMethod_.ReleaseContext(wnd, context);
  }
  TElXPThemedControl::Dispatch(m);
}

void TCustomElEdit::WMImeComposition(TMessage& m) {
  if (m.LParam & GCS_RESULTSTR) {
    HWND wnd = Handle();
    if (HIMC context = inputMethod_.GetContext ? inputMethod_.GetContext(wnd) : nullptr) {
      TElFString result;
      try {
        result = CompositionResult(context);
      } catch (...) {
        if (inputMethod_.ReleaseContext) inputMethod_.ReleaseContext(wnd, context);
        throw;
      }
      if (inputMethod_.ReleaseContext) inputMethod_.ReleaseContext(wnd, context);
      core_->InsertCompositionResult(result);
      m.Result = 0;
      return;
    }
  }
  TElXPThemedControl::Dispatch(m);
}

// The result string: wide on NT (the wide call looked up in IMM32 now),
// else 8-bit in the code page of the keyboard layout's language. A reader
// answering an error or a size beyond reason gives nothing.
TElFString TCustomElEdit::CompositionResult(HIMC context) {
  constexpr LONG kMaxBytes = 1 << 20;
  auto getWide = inputMethod_.GetCompositionStringW;
  if (IsWinNT && !getWide) {
    if (HMODULE imm = GetModuleHandleA("imm32.dll"))
      getWide = reinterpret_cast<decltype(getWide)>(
          reinterpret_cast<void*>(GetProcAddress(imm, "ImmGetCompositionStringW")));
  }
  if (IsWinNT && getWide) {
    LONG bytes = getWide(context, GCS_RESULTSTR, nullptr, 0);
    if (bytes <= 0 || bytes > kMaxBytes) return TElFString();
    TElFString text(static_cast<std::size_t>(bytes) / sizeof(WideChar) + 1, L'\0');
    LONG got = getWide(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
    if (got <= 0) return TElFString();
    text.resize(std::min(static_cast<std::size_t>(got) / sizeof(WideChar), text.size()));
    return text.substr(0, text.find(L'\0'));
  }
  if (!inputMethod_.GetCompositionStringA) return TElFString();
  LONG bytes = inputMethod_.GetCompositionStringA(context, GCS_RESULTSTR, nullptr, 0);
  if (bytes <= 0 || bytes > kMaxBytes) return TElFString();
  std::string text(static_cast<std::size_t>(bytes) + 1, '\0');
  LONG got = inputMethod_.GetCompositionStringA(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
  if (got <= 0) return TElFString();
  text.resize(std::min(static_cast<std::size_t>(got), text.size()));
  text = text.substr(0, text.find('\0'));
  UINT codePage = KeyboardCodePage();
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  TElFString wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}
