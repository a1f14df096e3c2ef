// String routines of the control library: ANSI helpers (positions 1-based),
// the UTF-16 string type TElFString with its copy, search and table-driven
// case routines (positions and counts in code units, 1-based), and routines
// over zero-terminated UTF-16 buffers.
#pragma once

#include <cstdint>

#include "SysUtils.hpp"
#include "System.hpp"

// The control library's UTF-16 string.
using TElFString = std::wstring;
using WideChar = wchar_t;
using PWideChar = wchar_t*;

// ---- ANSI routines

bool ReplaceFirst(AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern);
int LastPos(const AnsiString& sub, const AnsiString& s);
// Hexadecimal text to a 32-bit integer: an optional leading "$", blanks
// trimmed, an optional sign. Raises EConvertError
// "'<text>' is not a valid integer value".
std::int32_t HexToInt(const AnsiString& s);
std::int32_t HexToIntDef(const AnsiString& s, std::int32_t def);
bool ContainsAt(const AnsiString& s, int index, const AnsiString& sub);
// Case-insensitive comparison in the user's default locale.
bool SameTextNoCase(const AnsiString& s1, const AnsiString& s2);

// A currency value: a signed count of ten-thousandths.
using TElCurrency = Int64;
// Reads a currency amount the forgiving way the tree's currency sorting
// needs, with the locale's currency symbol and separators (read by the
// SysUtils unit's start-up).
TElCurrency ParseCurrencyText(const AnsiString& s);
// The same with the locale's symbols given.
TElCurrency ParseCurrencyTextWith(const AnsiString& s, const AnsiString& currencySymbol,
                                  char decimalSeparator, char thousandSeparator);

// ---- UTF-16 routines

// The halves of a surrogate pair.
inline bool IsHighSurrogate(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(WideChar c) { return c >= 0xDC00 && c <= 0xDFFF; }

int WidePos(const TElFString& sub, const TElFString& s);
int WideLastPos(const TElFString& sub, const TElFString& s);
TElFString WideCopy(const TElFString& s, int index, int count);
void WideInsert(const TElFString& sub, TElFString& s, int index);
void WideDelete(TElFString& s, int index, int count);
TElFString WideExtract(TElFString& s, int index, int count);
TElFString WideUpperCase(const TElFString& s);
TElFString WideLowerCase(const TElFString& s);
bool WideSameText(const TElFString& s1, const TElFString& s2);
// Ordinal, up to the first 0 unit: -1, 0 or 1.
int WideCompareStr(const TElFString& s1, const TElFString& s2);
// Ordinal: the difference of the first differing units, 0 when equal.
int WideStrCompare(const TElFString& s1, const TElFString& s2);
TElFString WideStringOfChar(WideChar ch, int count);
void WideSetString(TElFString& s, const WideChar* buffer, int count);
TElFString WideStringFromPChar(const WideChar* p);

// ---- zero-terminated UTF-16 buffers

PWideChar WideStrPCopy(PWideChar dest, const TElFString& s);
int WideStrLen(const WideChar* p);
PWideChar WideStrEnd(PWideChar p);
PWideChar WideStrScan(PWideChar p, WideChar ch);
PWideChar WideStrRScan(PWideChar p, WideChar ch);
PWideChar WideStrPos(PWideChar p, const WideChar* sub);
int WideStrComp(const WideChar* p1, const WideChar* p2);
PWideChar WideStrCopy(PWideChar dest, const WideChar* src);
PWideChar WideStrLCopy(PWideChar dest, const WideChar* src, int maxLen);
PWideChar WideStrCat(PWideChar dest, const WideChar* src);
// Correct for overlapping buffers; the source comes first.
PWideChar WideStrMove(const WideChar* src, PWideChar dest, int count);
void WideFillChar(PWideChar p, int count, WideChar ch);

// ---- the generated case-folding table

struct TElCaseFoldingRow {
  char Status;  // 'C' common, 'S' simple, 'F' full, 'T' Turkic
  std::uint16_t Code;
  std::uint16_t Folded[3];
  std::uint8_t Length;
};
struct TElCaseFoldingTable {
  const TElCaseFoldingRow* Rows;
  int Count;
  const char* SourceVersion;  // version of the Unicode data it was made from
  const char* Repertoire;     // Unicode version whose characters it keeps
};
TElCaseFoldingTable ElCaseFoldingTable();
