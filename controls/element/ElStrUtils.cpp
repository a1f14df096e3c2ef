#include "ElStrUtils.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "WinApi.hpp"

namespace {

struct TElCaseUnitPair {
  std::uint16_t Unit;
  std::uint16_t Code;
};

#include "ElCaseFolding.inc"

[[noreturn]] void InvalidInteger(const AnsiString& text) {
  throw EConvertError("'" + text + "' is not a valid integer value");
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

AnsiString TrimBlanks(const AnsiString& s) {
  size_t first = s.find_first_not_of(' ');
  if (first == AnsiString::npos) return AnsiString();
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The 0-based start of a 1-based range of Delphi string routines, or npos
// when the range selects nothing.
size_t RangeStart(size_t length, int index, int count) {
  if (count <= 0 || index < 1 || static_cast<size_t>(index) > length) return AnsiString::npos;
  return static_cast<size_t>(index - 1);
}

}  // namespace

// ---------------------------------------------------------------- ANSI

bool ReplaceFirst(AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern) {
  size_t at = s.find(oldPattern);
  if (oldPattern.empty() || at == AnsiString::npos) return false;
  s.replace(at, oldPattern.size(), newPattern);
  return true;
}

int LastPos(const AnsiString& sub, const AnsiString& s) {
  if (sub.empty() || s.empty()) return 0;
  size_t at = s.rfind(sub);
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

std::int32_t HexToInt(const AnsiString& s) {
  AnsiString text = s;
  if (!text.empty() && text[0] == '$') text.erase(0, 1);
  text = TrimBlanks(text);
  if (text.empty()) InvalidInteger(s);
  bool negative = text[0] == '-';
  if (text[0] == '-' || text[0] == '+') text.erase(0, 1);
  if (text.empty()) InvalidInteger(s);
  std::uint32_t value = 0;  // wraps like the 32-bit original
  for (char c : text) {
    int digit = HexDigitValue(c);
    if (digit < 0) InvalidInteger(s);
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t HexToIntDef(const AnsiString& s, std::int32_t def) {
  try {
    return HexToInt(s);
  } catch (const EConvertError&) {
    return def;
  }
}

bool ContainsAt(const AnsiString& s, int index, const AnsiString& sub) {
  if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
  return s.compare(static_cast<size_t>(index - 1), sub.size(), sub) == 0;
}

bool SameTextNoCase(const AnsiString& s1, const AnsiString& s2) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, s1.data(),
                        static_cast<int>(s1.size()), s2.data(),
                        static_cast<int>(s2.size())) == CSTR_EQUAL;
}

// ---------------------------------------------------------------- currency

namespace {

struct CurrencyScan {
  TElCurrency value = 0;
  TElCurrency scale = 0;
  bool started = false;
  bool negative = false;
};

bool IsDecimalMark(char c, char decimalSeparator) {
  return c == ',' || c == '.' || c == decimalSeparator;
}

// A digit run longer than the currency range stays at the largest value
// rather than overflowing: such texts still sort after every smaller one.
constexpr TElCurrency kCurrencyMax = INT64_MAX;

TElCurrency AddSaturated(TElCurrency value, TElCurrency add) {
  return value > kCurrencyMax - add ? kCurrencyMax : value + add;
}

TElCurrency ShiftInDigit(TElCurrency value, TElCurrency digit) {
  if (value > (kCurrencyMax - digit * 10000) / 10) return kCurrencyMax;
  return value * 10 + digit * 10000;
}

}  // namespace

TElCurrency ParseCurrencyTextWith(const AnsiString& s, const AnsiString& currencySymbol,
                                  char decimalSeparator, char thousandSeparator) {
  if (s.empty()) return 0;
  size_t symbolAt = currencySymbol.empty() ? AnsiString::npos : s.find(currencySymbol);
  CurrencyScan st;
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (i == symbolAt) {
      if (st.started && st.negative) break;
      i += currencySymbol.size() - 1;
    } else if (c >= '0' && c <= '9') {
      st.started = true;
      TElCurrency digit = c - '0';
      if (st.scale > 0) {
        st.value = AddSaturated(st.value, digit * st.scale);
        st.scale /= 10;  // 1000, 100, 10, 1, then 0
      } else {
        st.value = ShiftInDigit(st.value, digit);
      }
    } else if (c == '(' || c == '-') {
      st.negative = true;
      if (st.started) break;
    } else if (IsDecimalMark(static_cast<char>(c), decimalSeparator)) {
      st.started = true;
      if (st.scale > 0) break;
      st.scale = 1000;
    } else if (static_cast<char>(c) == thousandSeparator || c == ' ' || c < 0x20) {
      continue;
    } else {
      break;
    }
  }
  return st.negative ? -st.value : st.value;
}

TElCurrency ParseCurrencyText(const AnsiString& s) {
  return ParseCurrencyTextWith(s, CurrencyString, DecimalSeparator, ThousandSeparator);
}

// ---------------------------------------------------------------- UTF-16

int WidePos(const TElFString& sub, const TElFString& s) {
  if (sub.empty()) return 0;
  size_t at = s.find(sub);
  return at == TElFString::npos ? 0 : static_cast<int>(at) + 1;
}

int WideLastPos(const TElFString& sub, const TElFString& s) {
  if (sub.empty() || s.empty()) return 0;
  size_t at = s.rfind(sub);
  return at == TElFString::npos ? 0 : static_cast<int>(at) + 1;
}

TElFString WideCopy(const TElFString& s, int index, int count) {
  if (index < 1) index = 1;
  size_t start = RangeStart(s.size(), index, count);
  if (start == TElFString::npos) return TElFString();
  return s.substr(start, static_cast<size_t>(count));
}

void WideInsert(const TElFString& sub, TElFString& s, int index) {
  if (sub.empty()) return;
  size_t at = index < 1 ? 0 : std::min(static_cast<size_t>(index - 1), s.size());
  s.insert(at, sub);
}

void WideDelete(TElFString& s, int index, int count) {
  size_t start = RangeStart(s.size(), index, count);
  if (start != TElFString::npos) s.erase(start, static_cast<size_t>(count));
}

TElFString WideExtract(TElFString& s, int index, int count) {
  TElFString part = WideCopy(s, index, count);
  WideDelete(s, index, count);
  return part;
}

namespace {

bool FoldsBothWays(const TElCaseFoldingRow& row) {
  return row.Status == 'C' || row.Status == 'S' || row.Status == 'T';
}

// The folded form of a unit: the first C, S or T row for its code.
wchar_t LowerUnit(wchar_t unit) {
  auto first = std::begin(kElCaseFoldingRows), last = std::end(kElCaseFoldingRows);
  auto it = std::lower_bound(first, last, unit, [](const TElCaseFoldingRow& r, wchar_t u) {
    return r.Code < static_cast<std::uint16_t>(u);
  });
  for (; it != last && it->Code == static_cast<std::uint16_t>(unit); ++it)
    if (FoldsBothWays(*it)) return static_cast<wchar_t>(it->Folded[0]);
  return unit;
}

// Where several codes fold to the same unit, upper-casing gives the lowest.
wchar_t UpperUnit(wchar_t unit) {
  auto first = std::begin(kElCaseUpperPairs), last = std::end(kElCaseUpperPairs);
  auto it = std::lower_bound(first, last, unit, [](const TElCaseUnitPair& p, wchar_t u) {
    return p.Unit < static_cast<std::uint16_t>(u);
  });
  return it != last && it->Unit == static_cast<std::uint16_t>(unit) ? static_cast<wchar_t>(it->Code)
                                                                    : unit;
}

}  // namespace

TElFString WideUpperCase(const TElFString& s) {
  TElFString result = s;
  for (wchar_t& c : result) c = UpperUnit(c);
  return result;
}

TElFString WideLowerCase(const TElFString& s) {
  TElFString result = s;
  for (wchar_t& c : result) c = LowerUnit(c);
  return result;
}

bool WideSameText(const TElFString& s1, const TElFString& s2) {
  return WideCompareStr(WideUpperCase(s1), WideUpperCase(s2)) == 0;
}

int WideCompareStr(const TElFString& s1, const TElFString& s2) {
  int diff = WideStrComp(s1.c_str(), s2.c_str());
  return diff < 0 ? -1 : (diff > 0 ? 1 : 0);
}

int WideStrCompare(const TElFString& s1, const TElFString& s2) {
  return WideStrComp(s1.c_str(), s2.c_str());
}

TElFString WideStringOfChar(WideChar ch, int count) {
  return count > 0 ? TElFString(static_cast<size_t>(count), ch) : TElFString();
}

void WideSetString(TElFString& s, const WideChar* buffer, int count) {
  if (count <= 0)
    s.clear();
  else if (!buffer)
    s.assign(static_cast<size_t>(count), L'\0');
  else
    s.assign(buffer, static_cast<size_t>(count));
}

TElFString WideStringFromPChar(const WideChar* p) { return p ? TElFString(p) : TElFString(); }

// ---------------------------------------------------------------- buffers

PWideChar WideStrPCopy(PWideChar dest, const TElFString& s) { return WideStrCopy(dest, s.c_str()); }

int WideStrLen(const WideChar* p) {
  const WideChar* q = p;
  while (*q) ++q;
  return static_cast<int>(q - p);
}

PWideChar WideStrEnd(PWideChar p) { return p + WideStrLen(p); }

PWideChar WideStrScan(PWideChar p, WideChar ch) {
  for (;; ++p) {
    if (*p == ch) return p;
    if (*p == 0) return nullptr;
  }
}

PWideChar WideStrRScan(PWideChar p, WideChar ch) {
  PWideChar found = nullptr;
  for (;; ++p) {
    if (*p == ch) found = p;
    if (*p == 0) return found;
  }
}

PWideChar WideStrPos(PWideChar p, const WideChar* sub) {
  if (!p || !sub || *sub == 0) return nullptr;
  int subLen = WideStrLen(sub), len = WideStrLen(p);
  for (int i = 0; i + subLen <= len; ++i)
    if (std::char_traits<wchar_t>::compare(p + i, sub, static_cast<size_t>(subLen)) == 0)
      return p + i;
  return nullptr;
}

int WideStrComp(const WideChar* p1, const WideChar* p2) {
  while (*p1 && *p1 == *p2) ++p1, ++p2;
  return static_cast<int>(static_cast<std::uint16_t>(*p1)) -
         static_cast<int>(static_cast<std::uint16_t>(*p2));
}

PWideChar WideStrCopy(PWideChar dest, const WideChar* src) {
  PWideChar d = dest;
  while ((*d++ = *src++) != 0) {
  }
  return dest;
}

PWideChar WideStrLCopy(PWideChar dest, const WideChar* src, int maxLen) {
  int i = 0;
  for (; i < maxLen && src[i]; ++i) dest[i] = src[i];
  dest[i] = 0;
  return dest;
}

PWideChar WideStrCat(PWideChar dest, const WideChar* src) {
  WideStrCopy(WideStrEnd(dest), src);
  return dest;
}

PWideChar WideStrMove(const WideChar* src, PWideChar dest, int count) {
  if (count > 0) std::memmove(dest, src, static_cast<size_t>(count) * sizeof(WideChar));
  return dest;
}

void WideFillChar(PWideChar p, int count, WideChar ch) {
  for (int i = 0; i < count; ++i) p[i] = ch;
}

TElCaseFoldingTable ElCaseFoldingTable() {
  return {kElCaseFoldingRows, static_cast<int>(std::size(kElCaseFoldingRows)),
          kElCaseFoldingSource, kElCaseFoldingAge};
}
