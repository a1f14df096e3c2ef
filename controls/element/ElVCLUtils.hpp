// The control library's free drawing routines: colour channels and HLS
// arithmetic on a 0..252 scale, gradient fills, arrow glyphs, a masked
// transparent blit, three-dimensional and flat frames, flat non-client scroll
// bars, UTF-16 text drawing and short hints. The routines keep no state;
// every colour passed in is first turned into RGB (system colours included).
#pragma once

#include <cstdint>

#include "Classes.hpp"
#include "ElStrUtils.hpp"
#include "Graphics.hpp"
#include "StdCtrls.hpp"

struct THintInfo;

// <windows.h> defines the channel accessors as macros; the library's own
// versions also accept system colours.
#undef GetRValue
#undef GetGValue
#undef GetBValue

class TForm;

// Kinds of background a control or form can paint.
enum TElBkGndType {
  bgtTileBitmap,
  bgtStretchBitmap,
  bgtColorFill,
  bgtCenterBitmap,
  bgtHorzGradient,
  bgtVertGradient,
  bgtTopLeftBitmap
};

// As a set, left is bit value 1, right 2, top 4 and bottom 8.
enum TElBorderSide { ebsLeft, ebsRight, ebsTop, ebsBottom };
using TElBorderSides = TSet<TElBorderSide>;
inline constexpr TElBorderSides AllBorderSides{ebsLeft, ebsRight, ebsTop, ebsBottom};

enum TElFlatBorderType {
  fbtFlat,
  fbtSunken,
  fbtSunkenInner,
  fbtSunkenOuter,
  fbtRaised,
  fbtRaisedInner,
  fbtRaisedOuter,
  fbtBump,
  fbtBigBump,
  fbtEtched,
  fbtFramed,
  fbtLine,
  fbtLineBorder,
  fbtNone,
  fbtColorLineBorder
};

// The direction an arrow glyph points to.
enum TElArrowDirection { eadLeft, eadUp, eadRight, eadDown };

// ---- colours

Byte GetRValue(TColor color);
Byte GetGValue(TColor color);
Byte GetBValue(TColor color);
TColor RGBToColor(Byte r, Byte g, Byte b);

// An HLS value holds the hue in the low byte, the lightness in the second and
// the saturation in the third, each on the scale 0..252. A grey has hue 168.
TColor RGBtoHLS(TColor color);
TColor HLStoRGB(TColor hls);

// SPI_GETKEYBOARDSPEED gives the repeat interval in milliseconds,
// SPI_GETKEYBOARDDELAY the first delay in milliseconds; any other action the
// raw value SystemParametersInfo reports.
int GetKeyboardRepeatTime(UINT action);

// ---- fills

// Fills the rectangle with Steps bands running from the start to the end
// colour, left to right (top to bottom when Vertical). Equal colours, or a
// single step, fill the rectangle with the start colour.
void GradientFillRect(HDC dc, const TRect& rect, TColor startColor, bool vertical, int steps,
                      TColor endColor);
// The same gradient laid over Rect, painted only where it meets ClipRect
// moved by Origin, and painted moved back by -Origin: a background that
// scrolls with its control.
void GradientFillRectClipped(HDC dc, const TRect& clipRect, const TRect& rect, bool vertical, int steps,
                             TColor startColor, TColor endColor, TPoint origin);

// Opaque fills through ExtTextOutA; the context's background colour is put
// back afterwards. A negative width or height extends to the left or up from
// X or Y.
void FillSolidRect(HDC dc, const TRect& rect, TColor color);
void FillSolidRectXY(HDC dc, int x, int y, int width, int height, TColor color);

// ---- glyphs and pictures

// Four pen lines of 7, 5, 3 and 1 pixels, centred in Rect; nothing when the
// rectangle is too small (left and right need 3 x 6, up and down 6 x 3). A
// disabled arrow is embossed in the button highlight and shadow colours. The
// canvas keeps its pen colour.
void DrawArrow(TCanvas* canvas, TElArrowDirection direction, const TRect& rect, bool enabled, TColor color);

// Draws the SourceRect part of the bitmap at (X, Y), leaving out every pixel
// of the transparent colour. The bitmap is only read.
void DrawTransparentBitmapEx(HDC dc, TBitmap* bitmap, int x, int y, const TRect& sourceRect,
                             TColor transparentColor);

// ---- frames

// One-pixel bars: top and left in the first colour, right and bottom (the
// last column and row of the box) in the second.
void Draw3DRect(HDC dc, int x, int y, int width, int height, TColor topLeftColor, TColor bottomRightColor);
// An outer and an inner Draw3DRect in system colours given by index
// (COLOR_BTNFACE...).
void Draw3DFrameSys(HDC dc, const TRect& rect, int outerTopLeft, int innerBottomRight, int innerTopLeft,
                    int outerBottomRight);
// A raised button frame in the system colours; Deep gives the full
// two-pixel button look, otherwise a flat outline.
void DrawButtonFrameSys(HDC dc, const TRect& rect, bool deep);
// An outer frame and, unless Flat, an inner frame one pixel inside.
void DrawButtonFrame(HDC dc, const TRect& rect, TColor outerTopLeft, bool flat, TColor innerBottomRight,
                     TColor innerTopLeft, TColor outerBottomRight);
// A button frame in four shades derived from the base colour.
void DrawColoredButtonFrame(HDC dc, const TRect& rect, bool deep, bool flat, TColor baseColor, bool pressed);
// One-pixel lines on the chosen sides: left and top in the first colour,
// right and bottom in the second. InnerRect is Rect less the sides drawn.
void DrawFrameLines(HDC dc, const TRect& rect, TColor topLeftColor, TColor bottomRightColor,
                    TElBorderSides sides, TRect& innerRect);
// A border of the type on the chosen sides of Rect. Color is the line colour
// of the flat and line types; Focused gives the flat type its sunken look.
// fbtColorLineBorder is left to the control that uses it.
void DrawFlatFrameEx2(HDC dc, const TRect& rect, TColor color, TElFlatBorderType borderType,
                      TElBorderSides sides, bool focused);

// Repaints the frames of a window's standard scroll bars (or of a scroll-bar
// control) flat, in the window's non-client area. WindowRect is the window's
// rectangle in the context's coordinates; Deep draws raised frames; Tracking
// places the thumb at the track position; Which chooses the bars (ssNone:
// only the corner between them).
void DrawFlatScrollbars(HWND window, HDC dc, const TRect& windowRect, DWORD exStyle, DWORD style, bool deep,
                        bool tracking, TScrollStyle which);

// ---- text

// Draws or measures UTF-16 text as DrawTextExW does (Length -1: up to the
// terminating zero); with DT_CALCRECT a zero Right or Bottom is first taken
// as 32767. The text itself is never changed. Returns the text height.
// Where the system has no wide text drawing (Windows 9x) the library's own
// routine does it: lines broken at line breaks and, with DT_WORDBREAK, at
// blanks; measured with GetTextExtentPoint32W and drawn with ExtTextOutW;
// DT_LEFT, DT_CENTER, DT_RIGHT, DT_TOP, DT_VCENTER, DT_BOTTOM, DT_SINGLELINE,
// DT_EXPANDTABS (DT_TABSTOP), DT_NOCLIP, DT_NOPREFIX, DT_PREFIXONLY,
// DT_EXTERNALLEADING and the three ellipsis flags.
int DrawWideText(HDC dc, const WideChar* text, int length, UINT flags, TRect& rect);

// The wide text calls of the platform that Windows 9x has only as stubs
// that fail. The library makes them through this table, which holds the
// system's functions on the NT family and nil on Windows 9x; a nil entry
// is replaced by an ANSI call or the library's own routine. Tests empty it
// to run the Windows 9x paths.
struct TElWideTextApi {
  int(WINAPI* DrawTextExW)(HDC, LPWSTR, int, LPRECT, UINT, LPDRAWTEXTPARAMS) = nullptr;
  HFONT(WINAPI* CreateFontIndirectW)(const LOGFONTW*) = nullptr;
  BOOL(WINAPI* GetTextMetricsW)(HDC, LPTEXTMETRICW) = nullptr;
  int(WINAPI* GetObjectW)(HANDLE, int, LPVOID) = nullptr;
};
TElWideTextApi& ElWideTextApi();
// The table for the system the program runs on.
TElWideTextApi SystemWideTextApi();

// The font of a UTF-16 logical font (through CreateFontIndirectA with the
// face name converted where the wide call is missing); nullptr on failure.
HFONT ElCreateFontIndirect(const LOGFONTW& font);
// The metrics of the font selected into the context, in the wide layout.
bool ElGetTextMetrics(HDC dc, TEXTMETRICW& metrics);
// The logical font of a font handle, in the wide layout.
bool ElGetFontInfo(HFONT font, LOGFONTW& info);

// The part of a hint before the first "|" (all of it when there is none).
TElFString GetWideShortHint(const TElFString& hint);
// A packed hint: the 8-bit text, a zero byte, the UTF-16 code units (low
// byte first), a 16-bit zero and the 16-bit value 0xFFFE. The class
// library's hint window shows the part before the zero byte, and its short
// hint is searched for "|" only there, so bytes of the UTF-16 part never
// split it.
std::string PackHint(const std::string& ansi, const TElFString& wide);
// The packed form of a UTF-16 hint with its ANSI conversion; empty for an
// empty hint, so that a control without a hint has none in the class library
// either (its parent's hint shows, not an empty box).
std::string PackWideHint(const TElFString& hint);
// The packed form of the hint's short part; empty for an empty hint.
std::string PackShortHint(const TElFString& hint);
// What a control whose UTF-16 hint travels packed (its class-library hint
// is PackWideHint(hint), given as `packed`) answers to CM_HINTSHOW: no hint
// for an empty one; the short part while the request still carries the
// class library's short hint; the whole hint once a handler chose another
// string.
void AnswerPackedHint(THintInfo& info, const TElFString& hint, const std::string& packed);

// The first TForm on the owner chain, the component itself included.
TForm* GetOwnerForm(TComponent* component);
