// The visual-styles library "uxtheme.dll", bound at run time so that programs
// start on systems without it (Windows 9x, NT 4, Windows 2000). Its entry
// points are called under their system names through pointers that stay nil
// until bound; every use is gated by ThemesAvailable. This header replaces
// <uxtheme.h>, which must not be included beside it.
#pragma once

#include <vector>

#include "System.hpp"
#include "WinApi.hpp"

using HTHEME = HANDLE;
struct _IMAGELIST;
using HIMAGELIST = _IMAGELIST*;

enum THEMESIZE { TS_MIN, TS_TRUE, TS_DRAW };
enum PROPERTYORIGIN { PO_STATE, PO_PART, PO_CLASS, PO_GLOBAL, PO_NOTFOUND };

struct MARGINS {
  int cxLeftWidth;
  int cxRightWidth;
  int cyTopHeight;
  int cyBottomHeight;
};

struct INTLIST {
  int iValueCount;
  int iValues[402];
};

// Every entry point, in the order they are looked up, with its type.
#define EL_UXTHEME_ENTRY_POINTS(X)                                                                 \
  X(BOOL, IsThemeActive, ())                                                                       \
  X(HRESULT, EnableTheming, (BOOL))                                                                \
  X(HTHEME, OpenThemeData, (HWND, LPCWSTR))                                                        \
  X(HRESULT, CloseThemeData, (HTHEME))                                                             \
  X(HRESULT, DrawThemeParentBackground, (HWND, HDC, RECT*))                                        \
  X(HRESULT, DrawThemeBackground, (HTHEME, HDC, int, int, const RECT*, const RECT*))               \
  X(HRESULT, DrawThemeText, (HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*))      \
  X(HRESULT, GetThemeBackgroundContentRect, (HTHEME, HDC, int, int, const RECT*, RECT*))           \
  X(HRESULT, GetThemeBackgroundExtent, (HTHEME, HDC, int, int, const RECT*, RECT*))                \
  X(HRESULT, GetThemePartSize, (HTHEME, HDC, int, int, RECT*, THEMESIZE, SIZE*))                   \
  X(HRESULT, GetThemeTextExtent,                                                                   \
    (HTHEME, HDC, int, int, LPCWSTR, int, DWORD, const RECT*, RECT*))                              \
  X(HRESULT, GetThemeTextMetrics, (HTHEME, HDC, int, int, TEXTMETRICW*))                           \
  X(HRESULT, GetThemeBackgroundRegion, (HTHEME, HDC, int, int, const RECT*, HRGN*))                \
  X(HRESULT, HitTestThemeBackground,                                                               \
    (HTHEME, HDC, int, int, DWORD, const RECT*, HRGN, POINT, WORD*))                               \
  X(HRESULT, DrawThemeEdge, (HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*))               \
  X(HRESULT, DrawThemeIcon, (HTHEME, HDC, int, int, const RECT*, HIMAGELIST, int))                 \
  X(BOOL, IsThemePartDefined, (HTHEME, int, int))                                                  \
  X(BOOL, IsThemeBackgroundPartiallyTransparent, (HTHEME, int, int))                               \
  X(HRESULT, GetThemeColor, (HTHEME, int, int, int, COLORREF*))                                    \
  X(HRESULT, GetThemeMetric, (HTHEME, HDC, int, int, int, int*))                                   \
  X(HRESULT, GetThemeString, (HTHEME, int, int, int, LPWSTR, int))                                 \
  X(HRESULT, GetThemeBool, (HTHEME, int, int, int, BOOL*))                                         \
  X(HRESULT, GetThemeInt, (HTHEME, int, int, int, int*))                                           \
  X(HRESULT, GetThemeEnumValue, (HTHEME, int, int, int, int*))                                     \
  X(HRESULT, GetThemeFileName, (HTHEME, int, int, int, LPWSTR, int))                               \
  X(HRESULT, GetThemePosition, (HTHEME, int, int, int, POINT*))                                    \
  X(HRESULT, GetThemeFont, (HTHEME, HDC, int, int, int, LOGFONTW*))                                \
  X(HRESULT, GetThemeRect, (HTHEME, int, int, int, RECT*))                                         \
  X(HRESULT, GetThemeMargins, (HTHEME, HDC, int, int, int, RECT*, MARGINS*))                       \
  X(HRESULT, GetThemeIntList, (HTHEME, int, int, int, INTLIST*))                                   \
  X(HRESULT, GetThemePropertyOrigin, (HTHEME, int, int, int, PROPERTYORIGIN*))                     \
  X(HRESULT, SetWindowTheme, (HWND, LPCWSTR, LPCWSTR))                                             \
  X(COLORREF, GetThemeSysColor, (HTHEME, int))                                                     \
  X(HBRUSH, GetThemeSysColorBrush, (HTHEME, int))                                                  \
  X(int, GetThemeSysSize, (HTHEME, int))                                                           \
  X(BOOL, GetThemeSysBool, (HTHEME, int))                                                          \
  X(HRESULT, GetThemeSysFont, (HTHEME, int, LOGFONTW*))                                            \
  X(HRESULT, GetThemeSysString, (HTHEME, int, LPWSTR, int))                                        \
  X(HRESULT, GetThemeSysInt, (HTHEME, int, int*))                                                  \
  X(BOOL, IsAppThemed, ())                                                                         \
  X(HTHEME, GetWindowTheme, (HWND))                                                                \
  X(HRESULT, EnableThemeDialogTexture, (HWND, DWORD))                                              \
  X(BOOL, IsThemeDialogTextureEnabled, (HWND))                                                     \
  X(DWORD, GetThemeAppProperties, ())                                                              \
  X(void, SetThemeAppProperties, (DWORD))                                                          \
  X(HRESULT, GetThemeDocumentationProperty, (LPCWSTR, LPCWSTR, LPWSTR, int))                       \
  X(HRESULT, GetCurrentThemeName, (LPWSTR, int, LPWSTR, int, LPWSTR, int))

#define EL_UXTHEME_DECLARE(ret, name, params) \
  using T##name = ret(WINAPI*) params;        \
  extern T##name name;
EL_UXTHEME_ENTRY_POINTS(EL_UXTHEME_DECLARE)
#undef EL_UXTHEME_DECLARE

// True once the library is bound with every entry point the control library
// calls (ThemeEntryPointsRequired); a caller uses an entry point only while it
// is set. The other entry points may stay nil even then ("GetThemeFileName"
// has no export of that spelling), so test the pointer before calling one of
// them.
extern bool ThemesAvailable;

// The entry points the control library calls. Add a name here before calling
// a new one, so that a library without it leaves themes off instead of
// crashing on a nil call.
std::vector<const char*> ThemeEntryPointsRequired();
// How many entry points the binding knows (every name it looks up).
int ThemeEntryPointCount();

// Binds the library once per process: only on the NT platform from version
// 5.1 on.
void LoadThemeLibrary();
// Unit finish: themes off, the pointers nil. The library stays loaded.
void UnloadThemeLibrary();

// A theme handle that closes itself. It keeps the CloseThemeData it was
// opened beside, so a handle opened before themes were switched off (the
// unit finish unbinds the entry points) is still closed.
class TElThemeHandle {
 public:
  TElThemeHandle() = default;
  ~TElThemeHandle() { Close(); }
  TElThemeHandle(const TElThemeHandle&) = delete;
  TElThemeHandle& operator=(const TElThemeHandle&) = delete;

  // Closes the handle held, then opens the class list for the window; no
  // handle unless themes are available.
  void Open(HWND wnd, const wchar_t* classList) {
    Close();
    if (!ThemesAvailable || !OpenThemeData) return;
    handle_ = OpenThemeData(wnd, classList);
    if (handle_) close_ = CloseThemeData;
  }
  void Close() {
    if (handle_ && close_) close_(handle_);
    handle_ = nullptr;
    close_ = nullptr;
  }
  HTHEME Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HTHEME handle_ = nullptr;
  TCloseThemeData close_ = nullptr;
};

// Opens theme data of the class list for no window and draws the part; the
// theme data is closed in every case. E_NOTIMPL when the class cannot be
// opened. Callers test ThemesAvailable first.
HRESULT DrawThemedBackground(const wchar_t* className, HDC dc, int partId, int stateId,
                             const RECT& rect, const RECT* clipRect);

// The system the binding decides on, and how it finds the library; lets
// tests bind against other versions and against libraries that lack entry
// points. The system's own source loads the library from the system folder.
struct TThemeLibrarySource {
  DWORD PlatformId = 0;
  DWORD MajorVersion = 0;
  DWORD MinorVersion = 0;
  HMODULE (*Load)(const char* name) = nullptr;
  FARPROC (*Find)(HMODULE module, const char* name) = nullptr;
};
TThemeLibrarySource SystemThemeLibrarySource();
void BindThemeLibrary(const TThemeLibrarySource& source);

extern const TUnitInfo ElUxThemeUnit;
