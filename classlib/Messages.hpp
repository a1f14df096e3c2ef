// Window messages as the class library sees them: the message record with its
// typed views, and the library's own message numbers (CM_* for messages the
// library generates between controls, CN_* for notifications a parent
// reflects back to the child window they concern).
#pragma once

#include <cstdint>

#include "WinApi.hpp"

// One message as it travels through WindowProc, WndProc and Dispatch. Perform
// builds one; the window procedure builds one from the Win32 arguments and
// returns Result.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  WORD LParamLo() const { return LOWORD(LParam); }
  WORD LParamHi() const { return HIWORD(LParam); }
};

// Typed views of a message. They add no data, only accessors that unpack
// WParam and LParam, so a handler never decodes them itself. Use
// MessageAs<TWMMouse>(msg) to view a TMessage through one.
template <class T>
T& MessageAs(TMessage& msg) {
  static_assert(sizeof(T) == sizeof(TMessage), "a message view adds no data");
  return static_cast<T&>(msg);
}

struct TWMNoParams : TMessage {};

// WM_MOUSEMOVE, WM_xBUTTONDOWN/UP/DBLCLK: key state in WParam, client
// coordinates as signed 16-bit values in LParam.
struct TWMMouse : TMessage {
  int Keys() const { return static_cast<int>(WParam); }
  short XPos() const { return static_cast<short>(LOWORD(LParam)); }
  short YPos() const { return static_cast<short>(HIWORD(LParam)); }
  POINT Pos() const { return POINT{XPos(), YPos()}; }
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMMouseMove = TWMMouse;

// WM_MOUSEWHEEL: screen coordinates, wheel delta in the high word of WParam.
struct TWMMouseWheel : TMessage {
  int Keys() const { return LOWORD(WParam); }
  short WheelDelta() const { return static_cast<short>(HIWORD(WParam)); }
  short XPos() const { return static_cast<short>(LOWORD(LParam)); }
  short YPos() const { return static_cast<short>(HIWORD(LParam)); }
};

// WM_KEYDOWN/UP, WM_CHAR, WM_SYSKEYDOWN/UP, CN_KEYDOWN...
struct TWMKey : TMessage {
  Word CharCode() const { return static_cast<Word>(WParam); }
  void SetCharCode(Word code) { WParam = code; }
  LPARAM KeyData() const { return LParam; }
};
using TWMChar = TWMKey;
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;

// WM_PAINT: a device context in WParam means "paint into this DC" without
// BeginPaint/EndPaint.
struct TWMPaint : TMessage {
  HDC DC() const { return reinterpret_cast<HDC>(WParam); }
};
struct TWMEraseBkgnd : TMessage {
  HDC DC() const { return reinterpret_cast<HDC>(WParam); }
};

struct TWMSize : TMessage {
  int SizeType() const { return static_cast<int>(WParam); }
  int Width() const { return LOWORD(LParam); }
  int Height() const { return HIWORD(LParam); }
};

struct TWMMove : TMessage {
  short XPos() const { return static_cast<short>(LOWORD(LParam)); }
  short YPos() const { return static_cast<short>(HIWORD(LParam)); }
};

struct TWMSetFocus : TMessage {
  HWND FocusedWnd() const { return reinterpret_cast<HWND>(WParam); }
};
struct TWMKillFocus : TMessage {
  HWND FocusedWnd() const { return reinterpret_cast<HWND>(WParam); }
};

struct TWMSetCursor : TMessage {
  HWND CursorWnd() const { return reinterpret_cast<HWND>(WParam); }
  int HitTest() const { return static_cast<short>(LOWORD(LParam)); }
  int MouseMsg() const { return HIWORD(LParam); }
};

struct TWMCommand : TMessage {
  Word ItemID() const { return LOWORD(WParam); }
  Word NotifyCode() const { return HIWORD(WParam); }
  HWND Ctl() const { return reinterpret_cast<HWND>(LParam); }
};

struct TWMNotify : TMessage {
  NMHDR* NMHdr() const { return reinterpret_cast<NMHDR*>(LParam); }
};

struct TWMContextMenu : TMessage {
  HWND hWnd() const { return reinterpret_cast<HWND>(WParam); }
  short XPos() const { return static_cast<short>(LOWORD(LParam)); }
  short YPos() const { return static_cast<short>(HIWORD(LParam)); }
};

struct TWMNCCalcSize : TMessage {
  bool CalcValidRects() const { return WParam != 0; }
  RECT* Rect() const { return reinterpret_cast<RECT*>(LParam); }
};

struct TWMWindowPosMsg : TMessage {
  WINDOWPOS* WindowPos() const { return reinterpret_cast<WINDOWPOS*>(LParam); }
};
using TWMWindowPosChanged = TWMWindowPosMsg;
using TWMWindowPosChanging = TWMWindowPosMsg;

struct TWMGetDlgCode : TMessage {};

struct TWMTimer : TMessage {
  UINT_PTR TimerID() const { return WParam; }
};

struct TWMScroll : TMessage {
  int ScrollCode() const { return static_cast<short>(LOWORD(WParam)); }
  int Pos() const { return static_cast<short>(HIWORD(WParam)); }
  HWND ScrollBar() const { return reinterpret_cast<HWND>(LParam); }
};

// The library's own messages between controls.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;
constexpr UINT CM_FONTCHANGE = CM_BASE + 38;
constexpr UINT CM_TIMECHANGE = CM_BASE + 39;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_UIACTIVATE = CM_BASE + 41;
constexpr UINT CM_UIDEACTIVATE = CM_BASE + 42;
constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_GETDATALINK = CM_BASE + 45;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
// WParam: a TDragMessage; LParam: a TDragRec* (ControlsDrag.hpp).
constexpr UINT CM_DRAG = CM_BASE + 47;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_DIALOGHANDLE = CM_BASE + 49;
constexpr UINT CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_CHANGED = CM_BASE + 55;
constexpr UINT CM_DOCKCLIENT = CM_BASE + 56;
constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr UINT CM_FLOAT = CM_BASE + 58;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr UINT CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
static_assert(CM_RELEASE == 0xB021 && CM_HINTSHOW == 0xB030 && CM_RECREATEWND == 0xB033);
static_assert(CM_MOUSEWHEEL == 0xB043 && CM_SYSCOLORCHANGE == 0xB024 && CM_ENTER == 0xB01A);

// Notifications reflected by a parent to the child window they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
