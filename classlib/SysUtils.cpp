// Exceptions, process and platform, locale settings, string routines and
// integer conversions.
#include "SysUtils.hpp"

#include <algorithm>
#include <climits>

#include "Consts.hpp"
#include "WinApi.hpp"

// ---------------------------------------------------------------------------
// Exceptions.

Exception::Exception(const std::string& format, TVarRecs args) : message_(Format(format, args)) {}

Exception Exception::CreateRes(int ident) { return Exception(LoadStr(ident)); }

Exception Exception::CreateResFmt(int ident, TVarRecs args) {
  return Exception(LoadStr(ident), args);
}

std::string SysErrorMessage(std::uint32_t errorCode) {
  char* buffer = nullptr;
  DWORD len = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, errorCode, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text(buffer ? buffer : "", buffer ? len : 0);
  if (buffer) LocalFree(buffer);
  // The system's texts end with a line break (and sometimes a dot after it).
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(std::uint32_t errorCode) {
  if (errorCode != 0)
    throw EOSError(Format(Consts::OSError, {static_cast<Int64>(errorCode), SysErrorMessage(errorCode)}),
                   errorCode);
  throw EOSError(Consts::UnkOSError, 0);
}

// ---------------------------------------------------------------------------
// Process and platform.

HINSTANCE__* HInstance = GetModuleHandleA(nullptr);
int Win32Platform = 0;
int Win32MajorVersion = 0;
int Win32MinorVersion = 0;
int Win32BuildNumber = 0;

namespace {

void InitPlatformId() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (GetVersionExA(&info)) {
    Win32Platform = static_cast<int>(info.dwPlatformId);
    Win32MajorVersion = static_cast<int>(info.dwMajorVersion);
    Win32MinorVersion = static_cast<int>(info.dwMinorVersion);
    Win32BuildNumber = static_cast<int>(info.dwBuildNumber & 0xFFFF);
  }
}

void InitSysUtils() {
  HInstance = GetModuleHandleA(nullptr);
  InitPlatformId();
  GetFormatSettings();
}

}  // namespace

const TUnitInfo SysUtilsUnit = {"SysUtils", &InitSysUtils, nullptr};

void Halt(int exitCode) {
  FinalizeUnits();
  ExitProcess(static_cast<UINT>(exitCode));
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> params;
  const std::size_t n = commandLine.size();
  std::size_t i = 0;
  auto blank = [&](std::size_t k) { return static_cast<unsigned char>(commandLine[k]) <= ' '; };
  for (;;) {
    // Blanks and empty quote pairs separate parameters.
    for (;;) {
      while (i < n && blank(i)) ++i;
      if (i + 1 < n && commandLine[i] == '"' && commandLine[i + 1] == '"')
        i += 2;
      else
        break;
    }
    if (i >= n) break;
    std::string param;
    while (i < n && !blank(i)) {
      if (commandLine[i] == '"') {
        // Quoted: everything up to the next quote, blanks included.
        ++i;
        while (i < n && commandLine[i] != '"') param += commandLine[i++];
        if (i < n) ++i;
      } else {
        param += commandLine[i++];
      }
    }
    params.push_back(std::move(param));
  }
  return params;
}

int ParamCount() {
  auto params = SplitCommandLine(GetCommandLineA());
  return params.empty() ? 0 : static_cast<int>(params.size()) - 1;
}

std::string ParamStr(int index) {
  if (index == 0) {
    char path[MAX_PATH + 1];
    DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, len);
  }
  auto params = SplitCommandLine(GetCommandLineA());
  if (index < 0 || index >= static_cast<int>(params.size())) return std::string();
  return params[index];
}

namespace {
// The library's own strings, for a program that was linked without Consts.rc.
const char* BuiltInString(int ident) {
  switch (ident) {
    case SListIndexError: return Consts::ListIndexError;
    case SSortedListError: return Consts::SortedListError;
    case SDuplicateString: return Consts::DuplicateString;
    default: return nullptr;
  }
}
}  // namespace

WideString LoadWideStr(int ident) {
  wchar_t buffer[4096];
  int len = LoadStringW(HInstance, static_cast<UINT>(ident), buffer, 4096);
  if (len <= 0) {
    const char* builtIn = BuiltInString(ident);
    return builtIn ? AnsiToWide(builtIn) : WideString();
  }
  return WideString(buffer, len);
}

// The built-in texts are plain ASCII: the round trip changes nothing.
std::string LoadStr(int ident) { return WideToAnsi(LoadWideStr(ident)); }

std::string LoadResString(int ident) { return LoadStr(ident); }

// ---------------------------------------------------------------------------
// Locale settings.

std::string CurrencyString = "$";
int CurrencyFormat = 0;
int NegCurrFormat = 0;
int CurrencyDecimals = 2;
char DecimalSeparator = '.';
char ThousandSeparator = ',';
char DateSeparator = '/';
char TimeSeparator = ':';
std::string ShortDateFormat = "M/d/yyyy";
std::string LongDateFormat = "dddd, MMMM dd, yyyy";
std::string TimeAMString = "AM";
std::string TimePMString = "PM";

namespace {

std::string LocaleString(LCTYPE type, const std::string& fallback) {
  char buffer[256];
  int len = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof(buffer));
  return len > 0 ? std::string(buffer, len - 1) : fallback;
}

char LocaleChar(LCTYPE type, char fallback) {
  std::string s = LocaleString(type, std::string());
  return s.empty() ? fallback : s[0];
}

int LocaleInt(LCTYPE type, int fallback) {
  return StrToIntDef(LocaleString(type, std::string()), fallback);
}

}  // namespace

void GetFormatSettings() {
  CurrencyString = LocaleString(LOCALE_SCURRENCY, "");
  CurrencyFormat = LocaleInt(LOCALE_ICURRENCY, 0);
  NegCurrFormat = LocaleInt(LOCALE_INEGCURR, 0);
  CurrencyDecimals = LocaleInt(LOCALE_ICURRDIGITS, 0);
  DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
  ThousandSeparator = LocaleChar(LOCALE_STHOUSAND, ',');
  DateSeparator = LocaleChar(LOCALE_SDATE, '/');
  TimeSeparator = LocaleChar(LOCALE_STIME, ':');
  ShortDateFormat = LocaleString(LOCALE_SSHORTDATE, "m/d/yy");
  LongDateFormat = LocaleString(LOCALE_SLONGDATE, "mmmm d, yyyy");
  TimeAMString = LocaleString(LOCALE_S1159, "");
  TimePMString = LocaleString(LOCALE_S2359, "");
}

// ---------------------------------------------------------------------------
// Integer conversions.

std::string IntToStr(Int64 value) { return std::to_string(value); }

std::string IntToHex(Int64 value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::uint64_t v = static_cast<std::uint64_t>(value);
  std::string s;
  do {
    s.insert(s.begin(), kHex[v & 0xF]);
    v >>= 4;
  } while (v != 0);
  if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
  return s;
}

namespace {

// The library's Val over a 64-bit accumulator; `limit` is the largest
// magnitude of a positive decimal value, hex values may use the unsigned
// range of the same width. Returns the error position (0 = success).
int ValInteger(const std::string& s, Int64& value, std::uint64_t limit, std::uint64_t hexLimit) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  value = 0;
  while (i < n && s[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return static_cast<int>(i) + 1;
  std::uint64_t acc = 0;
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return static_cast<int>(i) + 1;
    const std::uint64_t base = hex ? 16 : 10;
    const std::uint64_t max = hex ? hexLimit : limit + (negative ? 1 : 0);
    if (acc > (max - d) / base) return static_cast<int>(i) + 1;
    acc = acc * base + d;
  }
  if (hex && acc > limit) {
    // Hex wraps into the negative range of the width ($FFFFFFFF is -1).
    const std::uint64_t modulus = hexLimit + 1;
    value = modulus == 0 ? static_cast<Int64>(acc) : static_cast<Int64>(acc) - static_cast<Int64>(modulus);
  } else {
    value = static_cast<Int64>(acc);
  }
  if (negative) value = static_cast<Int64>(0 - static_cast<std::uint64_t>(value));
  return 0;
}

}  // namespace

void Val(const std::string& s, int& value, int& code) {
  Int64 v = 0;
  code = ValInteger(s, v, INT_MAX, UINT_MAX);
  value = code == 0 ? static_cast<int>(v) : 0;
}

bool TryStrToInt(const std::string& s, int& value) {
  int code = 0;
  Val(s, value, code);
  return code == 0;
}

int StrToInt(const std::string& s) {
  int value = 0;
  if (!TryStrToInt(s, value)) throw EConvertError(Consts::InvalidInteger, {s});
  return value;
}

Int64 StrToInt64(const std::string& s) {
  Int64 value = 0;
  if (ValInteger(s, value, INT64_MAX, UINT64_MAX) != 0) throw EConvertError(Consts::InvalidInteger, {s});
  return value;
}

int StrToIntDef(const std::string& s, int defaultValue) {
  int value = 0;
  return TryStrToInt(s, value) ? value : defaultValue;
}

// ---------------------------------------------------------------------------
// Strings.

std::string TrimLeft(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return s.substr(i);
}

std::string TrimRight(const std::string& s) {
  std::size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return s.substr(0, n);
}

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

int CompareStr(const std::string& s1, const std::string& s2) {
  const std::size_t n = std::min(s1.size(), s2.size());
  for (std::size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(s1[i]) - static_cast<unsigned char>(s2[i]);
    if (d != 0) return d;
  }
  return static_cast<int>(s1.size()) - static_cast<int>(s2.size());
}

int CompareText(const std::string& s1, const std::string& s2) {
  return CompareStr(UpperCase(s1), UpperCase(s2));
}

bool SameText(const std::string& s1, const std::string& s2) { return CompareText(s1, s2) == 0; }

std::string AnsiUpperCase(const std::string& s) {
  std::string r = s;
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::string AnsiLowerCase(const std::string& s) {
  std::string r = s;
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

namespace {
int LocaleCompare(DWORD flags, const std::string& s1, const std::string& s2) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, s1.data(), static_cast<int>(s1.size()), s2.data(),
                        static_cast<int>(s2.size())) - CSTR_EQUAL;
}
}  // namespace

int AnsiCompareStr(const std::string& s1, const std::string& s2) { return LocaleCompare(0, s1, s2); }

int AnsiCompareText(const std::string& s1, const std::string& s2) {
  return LocaleCompare(NORM_IGNORECASE, s1, s2);
}

bool AnsiSameText(const std::string& s1, const std::string& s2) { return AnsiCompareText(s1, s2) == 0; }

bool AnsiSameStr(const std::string& s1, const std::string& s2) { return AnsiCompareStr(s1, s2) == 0; }

std::string AnsiLowerCaseFileName(const std::string& s) { return AnsiLowerCase(s); }

std::string AnsiUpperCaseFileName(const std::string& s) { return AnsiUpperCase(s); }

std::string AnsiQuotedStr(const std::string& s, char quote) {
  std::string r(1, quote);
  for (char c : s) {
    r += c;
    if (c == quote) r += c;
  }
  r += quote;
  return r;
}

int Pos(const std::string& sub, const std::string& s) {
  if (sub.empty()) return 0;
  auto p = s.find(sub);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

int LastDelimiter(const std::string& delimiters, const std::string& s) {
  auto p = s.find_last_of(delimiters);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

WideString AnsiToWide(const std::string& s) {
  if (s.empty()) return WideString();
  int len = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  WideString w(len, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), len);
  return w;
}

std::string WideToAnsi(const WideString& s) {
  if (s.empty()) return std::string();
  int len = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string a(len, '\0');
  WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), a.data(), len, nullptr, nullptr);
  return a;
}

WideString Utf8ToWide(const std::string& s) {
  if (s.empty()) return WideString();
  int len = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  WideString w(len, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), len);
  return w;
}
