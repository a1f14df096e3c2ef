// The library's exceptions and free routines (files and paths, text,
// conversions, Format). Free of <windows.h>.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "System.hpp"

// One argument of Format: the library's "array of const" element.
class TVarRec {
 public:
  TVarRec(int v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(long long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned long long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(double v) : value_(v) {}
  TVarRec(char v) : value_(std::string(1, v)) {}
  TVarRec(const char* v) : value_(std::string(v ? v : "")) {}
  TVarRec(const std::string& v) : value_(v) {}
  TVarRec(const wchar_t* v) : value_(std::wstring(v ? v : L"")) {}
  TVarRec(const std::wstring& v) : value_(v) {}
  TVarRec(const void* v) : value_(v) {}

  using Value = std::variant<std::int64_t, double, std::string, std::wstring, const void*>;
  const Value& Get() const { return value_; }

 private:
  Value value_;
};
using TVarRecs = std::initializer_list<TVarRec>;

// Base of every exception of the library and of the control libraries. The
// message is an 8-bit ANSI string.
class Exception : public std::exception {
 public:
  explicit Exception(const std::string& message) : message_(message) {}
  Exception(const std::string& format, TVarRecs args);
  // Message from the string table (LoadStr), optionally formatted.
  static Exception CreateRes(int ident);
  static Exception CreateResFmt(int ident, TVarRecs args);
  virtual ~Exception() = default;

  const std::string& Message() const { return message_; }
  void SetMessage(const std::string& message) { message_ = message; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

#define CLASSLIB_EXCEPTION(Name, Base)     \
  class Name : public Base {               \
   public:                                 \
    using Base::Base;                      \
  }

CLASSLIB_EXCEPTION(EAbort, Exception);
CLASSLIB_EXCEPTION(EConvertError, Exception);
CLASSLIB_EXCEPTION(EOutOfMemory, Exception);
CLASSLIB_EXCEPTION(EOutOfResources, Exception);
CLASSLIB_EXCEPTION(EInvalidOperation, Exception);
CLASSLIB_EXCEPTION(EInvalidPointer, Exception);
CLASSLIB_EXCEPTION(EInvalidCast, Exception);
CLASSLIB_EXCEPTION(EAssertionFailed, Exception);
CLASSLIB_EXCEPTION(EListError, Exception);
CLASSLIB_EXCEPTION(EStringListError, Exception);
CLASSLIB_EXCEPTION(EStreamError, Exception);
CLASSLIB_EXCEPTION(EFCreateError, EStreamError);
CLASSLIB_EXCEPTION(EFOpenError, EStreamError);
CLASSLIB_EXCEPTION(EFilerError, EStreamError);
CLASSLIB_EXCEPTION(EReadError, EFilerError);
CLASSLIB_EXCEPTION(EWriteError, EFilerError);
CLASSLIB_EXCEPTION(EClassNotFound, EFilerError);
CLASSLIB_EXCEPTION(EResNotFound, Exception);
CLASSLIB_EXCEPTION(EComponentError, Exception);
CLASSLIB_EXCEPTION(EThread, Exception);
CLASSLIB_EXCEPTION(ERegistryException, Exception);

// A failed system call; ErrorCode is the GetLastError value.
class EOSError : public Exception {
 public:
  using Exception::Exception;
  EOSError(const std::string& message, std::uint32_t errorCode)
      : Exception(message), ErrorCode(errorCode) {}
  std::uint32_t ErrorCode = 0;
};
CLASSLIB_EXCEPTION(EInOutError, Exception);

// COM failures carry their HRESULT.
class EOleError : public Exception {
 public:
  using Exception::Exception;
};
class EOleSysError : public EOleError {
 public:
  EOleSysError(const std::string& message, std::int32_t errorCode)
      : EOleError(message), ErrorCode(errorCode) {}
  std::int32_t ErrorCode;
};

// ---------------------------------------------------------------------------
// Process, module and platform.

struct HINSTANCE__;
// The program's module (the .exe; resources are looked up there).
extern HINSTANCE__* HInstance;

// The platform identifier (VER_PLATFORM_WIN32_NT 2, ..._WINDOWS 1) and version,
// filled in by the SysUtils unit's start-up.
extern int Win32Platform;
extern int Win32MajorVersion;
extern int Win32MinorVersion;
extern int Win32BuildNumber;

// Suspends the calling thread: the Win32 function itself, declared here as
// <windows.h> declares it so that callers need not include that header.
extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

// Finishes the started units and ends the process with the exit code.
[[noreturn]] void Halt(int exitCode = 0);

// The command line of GetCommandLineA, split the library's way: blanks (any
// character up to the space) separate parameters, double quotes toggle
// quoting and are dropped, there are no escapes ("C:\dir\" is C:\dir\).
// ParamStr(0) is the program's full path; ParamStr(i > ParamCount) is "".
int ParamCount();
std::string ParamStr(int index);
// The same split applied to any command line, the program name included as
// element 0 (exposed for the parser's tests).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The string-table entry of the program's module, as ANSI; "" when missing.
std::string LoadStr(int ident);
// The same entry as the UTF-16 text the table holds, whatever the ANSI code
// page; "" when missing.
WideString LoadWideStr(int ident);
std::string LoadResString(int ident);
// The system's text for a GetLastError or HRESULT code, without the final
// line break.
std::string SysErrorMessage(std::uint32_t errorCode);
// Raises EOSError for GetLastError ("System Error.  Code: %d.\r\n%s").
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(std::uint32_t errorCode);

extern const TUnitInfo SysUtilsUnit;

// ---------------------------------------------------------------------------
// Locale settings, read from GetLocaleInfoA at the SysUtils unit's start-up.

extern std::string CurrencyString;
extern int CurrencyFormat;     // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
extern int NegCurrFormat;      // LOCALE_INEGCURR, 0..15
extern int CurrencyDecimals;
extern char DecimalSeparator;
extern char ThousandSeparator;
extern char DateSeparator;
extern char TimeSeparator;
extern std::string ShortDateFormat;
extern std::string LongDateFormat;
// The markers of the 12-hour clock (LOCALE_S1159, LOCALE_S2359); empty in
// locales without one.
extern std::string TimeAMString;
extern std::string TimePMString;
// Reads the globals above again.
void GetFormatSettings();

// ---------------------------------------------------------------------------
// Strings. 8-bit strings are in the ANSI code page.

// Format: %[index:][-][width][.precision]type with d u x e f g n m p s and
// %%; index, width and precision may be "*" (taken from the arguments).
// Raises EConvertError "Format '%s' invalid or incompatible with argument"
// for a bad specifier or argument type, "No argument for format '%s'" when
// the arguments run out.
std::string Format(const std::string& format, TVarRecs args);

std::string IntToStr(Int64 value);
// Upper-case hex of at least `digits` digits.
std::string IntToHex(Int64 value, int digits);
// Decimal or hex ("$1F", "0x1F") signed 32-bit integers, leading blanks
// allowed; EConvertError "'%s' is not a valid integer value".
int StrToInt(const std::string& s);
Int64 StrToInt64(const std::string& s);
int StrToIntDef(const std::string& s, int defaultValue);
bool TryStrToInt(const std::string& s, int& value);
// The library's Val for integers: code is 0 on success, else the 1-based
// position of the first character that is not part of the number.
void Val(const std::string& s, int& value, int& code);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// 15 significant digits, general format, DecimalSeparator.
std::string FloatToStr(double value);
// Accepts blanks around, a sign, digits with DecimalSeparator and an
// exponent; EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const std::string& s);
bool TryStrToFloat(const std::string& s, double& value);
double StrToFloatDef(const std::string& s, double defaultValue);

// ---------------------------------------------------------------------------
// Dates and times (SysUtilsDates.cpp). A TDateTime counts days from
// 30 December 1899; its fraction is the time of day.
using TDateTime = double;

bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time);
// EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

// Texts read with the locale's settings: two or three numbers separated by
// DateSeparator, in the order of ShortDateFormat (day, month, year or the
// like; two numbers are in the current year, a year of one or two digits
// lies within fifty years of the current one); hours and minutes, optional
// seconds and milliseconds after DecimalSeparator, separated by
// TimeSeparator, with an optional marker of the 12-hour clock (TimeAMString,
// TimePMString, "AM" or "PM") before or after. A date and time is a date,
// then blanks and a time. Blanks around the text are ignored.
bool TryStrToDate(const std::string& s, TDateTime& value);
bool TryStrToTime(const std::string& s, TDateTime& value);
bool TryStrToDateTime(const std::string& s, TDateTime& value);
// The same raising EConvertError "'%s' is not a valid date" (time, date and
// time).
TDateTime StrToDate(const std::string& s);
TDateTime StrToTime(const std::string& s);
TDateTime StrToDateTime(const std::string& s);

// Trim drops every character up to the space at the ends.
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// ASCII-only case mapping and comparison (a-z only).
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
int CompareStr(const std::string& s1, const std::string& s2);
int CompareText(const std::string& s1, const std::string& s2);
bool SameText(const std::string& s1, const std::string& s2);
// Locale case mapping and comparison of the user's locale (CharUpperBuffA,
// CompareStringA): Cyrillic letters of code page 1251 included.
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);
int AnsiCompareStr(const std::string& s1, const std::string& s2);
int AnsiCompareText(const std::string& s1, const std::string& s2);
bool AnsiSameText(const std::string& s1, const std::string& s2);
bool AnsiSameStr(const std::string& s1, const std::string& s2);
std::string AnsiLowerCaseFileName(const std::string& s);
std::string AnsiUpperCaseFileName(const std::string& s);
// Quotes s with the quote character, doubling the quotes inside.
std::string AnsiQuotedStr(const std::string& s, char quote);
// 1-based position of sub in s; 0 when absent.
int Pos(const std::string& sub, const std::string& s);
int LastDelimiter(const std::string& delimiters, const std::string& s);

// ANSI code page <-> UTF-16 (MultiByteToWideChar/WideCharToMultiByte with
// CP_ACP). Embedded NULs are converted like any character.
WideString AnsiToWide(const std::string& s);
std::string WideToAnsi(const WideString& s);
// UTF-8 -> UTF-16; invalid sequences become U+FFFD.
WideString Utf8ToWide(const std::string& s);

// ---------------------------------------------------------------------------
// Files and paths. Paths are ANSI; the delimiters are "\" and, for drives,
// ":".

// Everything up to and including the last "\" or ":".
std::string ExtractFilePath(const std::string& fileName);
// ExtractFilePath without the final "\" (kept for a root such as "C:\").
std::string ExtractFileDir(const std::string& fileName);
// "C:" of "C:\x", "\\server\share" of "\\server\share\x", else "".
std::string ExtractFileDrive(const std::string& fileName);
std::string ExtractFileName(const std::string& fileName);
// The extension with its dot, "" when none.
std::string ExtractFileExt(const std::string& fileName);
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string ExpandFileName(const std::string& fileName);
std::string IncludeTrailingBackslash(const std::string& s);
std::string ExcludeTrailingBackslash(const std::string& s);
std::string IncludeTrailingPathDelimiter(const std::string& s);
std::string ExcludeTrailingPathDelimiter(const std::string& s);

// Whether a file (not a folder) of that name exists.
bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& directory);
// Creates the folder and every missing parent; raises EInOutError "Unable
// to create directory" for an empty name.
bool ForceDirectories(const std::string& directory);
bool CreateDir(const std::string& directory);
bool RemoveDir(const std::string& directory);
bool DeleteFile(const std::string& fileName);
bool RenameFile(const std::string& oldName, const std::string& newName);
std::string GetCurrentDir();

// File attributes (the Win32 FILE_ATTRIBUTE_ values).
enum : int {
  faReadOnly = 0x01, faHidden = 0x02, faSysFile = 0x04, faVolumeID = 0x08,
  faDirectory = 0x10, faArchive = 0x20, faAnyFile = 0x3F
};
// -1 when the file is missing.
int FileGetAttr(const std::string& fileName);
// 0 on success, else the system error code.
int FileSetAttr(const std::string& fileName, int attr);

struct TSearchRec {
  int Time = 0;        // DOS date and time of the last write
  Int64 Size = 0;
  int Attr = 0;
  std::string Name;
  int ExcludeAttr = 0;
  void* FindHandle = nullptr;
};
// Finds the first entry matching the path (wildcards allowed) whose hidden,
// system, volume and folder attributes are all among attr. Returns 0 or the
// system error code; on 0 FindClose must follow.
int FindFirst(const std::string& path, int attr, TSearchRec& f);
int FindNext(TSearchRec& f);
void FindClose(TSearchRec& f);
