// Free routines: unit start-up order, command line, rounding, conversions,
// case and comparison, paths and files, string table, platform.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "ComObj.hpp"
#include "Consts.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

namespace {

// ---------------------------------------------------------------------------
// Unit start-up order.

std::string unitLog;
void InitA() { unitLog += "+A"; }
void DoneA() { unitLog += "-A"; }
void InitB() { unitLog += "+B"; }
void DoneB() { unitLog += "-B"; }
void InitFailing() { throw Exception("start-up failed"); }
const TUnitInfo UnitA = {"A", &InitA, &DoneA};
const TUnitInfo UnitB = {"B", &InitB, &DoneB};
const TUnitInfo UnitFailing = {"Failing", &InitFailing, nullptr};

TEST(UnitStartup, RunsInListedOrderAndFinishesInReverseOnce) {
  unitLog.clear();
  {
    TUnitScope scope{&UnitB, &UnitA};
    InitializeUnits({&UnitA});  // already started: not again
    EXPECT_TRUE(UnitInitialized(&UnitA));
    EXPECT_EQ(unitLog, "+B+A");
  }
  // The scope's end finishes every started unit, those of the test
  // environment included; start those again for the tests that follow.
  EXPECT_EQ(unitLog, "+B+A-A-B");
  EXPECT_FALSE(UnitInitialized(&UnitA));
  EXPECT_FALSE(UnitInitialized(&SysUtilsUnit));
  InitializeUnits({&SysUtilsUnit, &ComObjUnit});
}

TEST(UnitStartup, FailingStartUndoesOnlyThatCall) {
  unitLog.clear();
  InitializeUnits({&UnitA});
  EXPECT_THROW(InitializeUnits({&UnitB, &UnitFailing}), Exception);
  EXPECT_EQ(unitLog, "+A+B-B");
  EXPECT_TRUE(UnitInitialized(&UnitA));
  EXPECT_FALSE(UnitInitialized(&UnitB));
}

// ---------------------------------------------------------------------------
// Command line.

TEST(ParamStr, QuotesToggleWithoutBackslashEscapes) {
  auto p = SplitCommandLine(R"("C:\Program Files\app.exe" "C:\dir\" a"b c"d  plain)");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0], R"(C:\Program Files\app.exe)");
  EXPECT_EQ(p[1], R"(C:\dir\)");  // the backslash does not escape the quote
  EXPECT_EQ(p[2], "ab cd");
  EXPECT_EQ(p[3], "plain");
}

TEST(ParamStr, EmptyQuotePairsAndBlanks) {
  // An empty pair before a parameter is skipped; blanks include tabs.
  auto p = SplitCommandLine("prog \"\" \t\"\"x \"a\"\"b\" \"unterminated \\");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[1], "x");
  EXPECT_EQ(p[2], "ab");
  EXPECT_EQ(p[3], "unterminated \\");
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(ParamStr, OutOfRangeIsEmptyAndZeroIsTheModule) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  EXPECT_EQ(ParamStr(0), path);
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
  EXPECT_EQ(ParamStr(-1), "");
}

// The child half of the test below: writes what it sees to the file named
// by the environment.
TEST(ParamStrChild, DISABLED_WriteParams) {
  char out[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CLASSLIB_PARAMSTR_OUT", out, MAX_PATH)) GTEST_SKIP();
  std::ofstream f(out, std::ios::binary);
  f << ParamCount() << '\n';
  for (int i = 1; i <= ParamCount(); ++i) f << ParamStr(i) << '\n';
}

TEST(ParamStr, ChildProcessSeesTheLibrarysSplit) {
  char exe[MAX_PATH], temp[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  std::string outFile = std::string(temp) + "classlib_paramstr.txt";
  DeleteFileA(outFile.c_str());
  SetEnvironmentVariableA("CLASSLIB_PARAMSTR_OUT", outFile.c_str());
  std::string cmd = std::string("\"") + exe +
                    "\" --gtest_filter=ParamStrChild.* --gtest_also_run_disabled_tests "
                    R"("C:\dir\" "two words" x"y z"w "" last\)";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 60000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  SetEnvironmentVariableA("CLASSLIB_PARAMSTR_OUT", nullptr);

  std::ifstream f(outFile, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(f, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "6");
  EXPECT_EQ(lines[1], "--gtest_filter=ParamStrChild.*");
  EXPECT_EQ(lines[3], R"(C:\dir\)");
  EXPECT_EQ(lines[4], "two words");
  EXPECT_EQ(lines[5], "xy zw");
  EXPECT_EQ(lines[6], R"(last\)");
  DeleteFileA(outFile.c_str());
}

// The child half of the Halt test: a unit whose finalisation leaves a mark,
// then Halt.
void WriteHaltMark() {
  char out[MAX_PATH] = {};
  GetEnvironmentVariableA("CLASSLIB_HALT_OUT", out, MAX_PATH);
  std::ofstream(out, std::ios::binary) << "finalized";
}
const TUnitInfo HaltMarkUnit = {"HaltMark", nullptr, &WriteHaltMark};

TEST(HaltChild, DISABLED_HaltsWithCode) {
  char out[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CLASSLIB_HALT_OUT", out, MAX_PATH)) GTEST_SKIP();
  InitializeUnits({&HaltMarkUnit});
  Halt(7);
}

TEST(Halt, FinishesTheUnitsAndExitsWithTheCode) {
  char exe[MAX_PATH], temp[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  std::string outFile = std::string(temp) + "classlib_halt.txt";
  DeleteFileA(outFile.c_str());
  SetEnvironmentVariableA("CLASSLIB_HALT_OUT", outFile.c_str());
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=HaltChild.* --gtest_also_run_disabled_tests";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  SetEnvironmentVariableA("CLASSLIB_HALT_OUT", nullptr);
  EXPECT_EQ(code, 7u);
  std::ifstream f(outFile, std::ios::binary);
  std::string mark;
  f >> mark;
  EXPECT_EQ(mark, "finalized");
  f.close();
  DeleteFileA(outFile.c_str());
}

// ---------------------------------------------------------------------------
// Rounding and integer conversions.

TEST(Round, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(2.5000001), 3);
  EXPECT_EQ(Round(-0.4), 0);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
}

TEST(IntegerConversion, TextToIntegerAndBack) {
  EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToIntDef("12a", 7), 7);
}

TEST(IntegerConversion, ErrorsNameTheText) {
  try {
    StrToInt("12 ");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12 ' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt("2147483648"), EConvertError);
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("-"), EConvertError);
}

TEST(IntegerConversion, ValGivesTheOneBasedErrorPosition) {
  int v = -1, code = -1;
  Val("123", v, code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(v, 123);
  Val("12x4", v, code);
  EXPECT_EQ(code, 3);
  Val("  -7z", v, code);
  EXPECT_EQ(code, 5);
  Val("", v, code);
  EXPECT_EQ(code, 1);
  Val("99999999999", v, code);
  EXPECT_EQ(code, 10);  // the digit that overflows
}

// ---------------------------------------------------------------------------
// Floats and locale (tests pin the separators they rely on).

class LocaleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    savedDecimal_ = DecimalSeparator;
    savedThousand_ = ThousandSeparator;
  }
  void TearDown() override {
    DecimalSeparator = savedDecimal_;
    ThousandSeparator = savedThousand_;
  }
  char savedDecimal_ = '.', savedThousand_ = ',';
};

using FloatConversion = LocaleFixture;

TEST_F(FloatConversion, FloatToStrUsesFifteenDigitsAndTheSeparator) {
  DecimalSeparator = '.';
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(1.5), "1.5");
  EXPECT_EQ(FloatToStr(-0.25), "-0.25");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(2.75), "2,75");
}

TEST_F(FloatConversion, StrToFloatAcceptsOnlyTheLocaleSeparator) {
  DecimalSeparator = ',';
  EXPECT_DOUBLE_EQ(StrToFloat(" 1,5 "), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloat("-2,5E3"), -2500);
  EXPECT_THROW(StrToFloat("1.5"), EConvertError);
  DecimalSeparator = '.';
  EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  try {
    StrToFloat("1e");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'1e' is not a valid floating point value");
  }
  EXPECT_DOUBLE_EQ(StrToFloatDef("abc", 3.0), 3.0);
}

TEST(LocaleSettings, ReadFromTheUserLocale) {
  // The tests run under the Russian locale (code page 1251).
  char buf[16];
  ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof(buf)), 0);
  GetFormatSettings();
  EXPECT_EQ(DecimalSeparator, buf[0]);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SCURRENCY, buf, sizeof(buf));
  EXPECT_EQ(CurrencyString, buf);
  EXPECT_FALSE(ShortDateFormat.empty());
  EXPECT_NE(DateSeparator, '\0');
}

// ---------------------------------------------------------------------------
// Case, comparison, conversion between code pages.

TEST(Strings, TrimDropsControlCharactersToo) {
  EXPECT_EQ(Trim("\t\r\n x y \x01"), "x y");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \n"), "  a");
  EXPECT_EQ(Trim(""), "");
}

TEST(Strings, AsciiRoutinesLeaveCyrillicAlone) {
  const std::string mixed = "abc \xE0\xE1\xE2";  // "abc абв" in 1251
  EXPECT_EQ(UpperCase(mixed), "ABC \xE0\xE1\xE2");
  EXPECT_EQ(AnsiUpperCase(mixed), "ABC \xC0\xC1\xC2");
  EXPECT_EQ(AnsiLowerCase("ABC \xC0\xC1\xC2"), mixed);
  EXPECT_EQ(LowerCase("ABC \xC0"), "abc \xC0");
  EXPECT_EQ(CompareText("abc", "ABD") < 0, true);
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("\xE0", "\xC0"));
  EXPECT_TRUE(AnsiSameText("\xE0", "\xC0"));
  EXPECT_EQ(AnsiCompareText("\xC0\xC1", "\xE0\xE1"), 0);
  EXPECT_LT(AnsiCompareStr("a", "b"), 0);
  EXPECT_GT(AnsiCompareStr("b", "a"), 0);
  EXPECT_EQ(AnsiLowerCaseFileName("C:\\\xCF\xE0\xEF\xEA\xE0"), "c:\\\xEF\xE0\xEF\xEA\xE0");
}

TEST(Strings, AnsiAndUtf16RoundTripThroughCodePage1251) {
  const std::string ansi("\xCB\xF3\xEC\xE1\xF0\xE8\xEA\xF1\0x", 10);  // "Лумбрикс", NUL, "x"
  WideString wide = AnsiToWide(ansi);
  ASSERT_EQ(wide.size(), 10u);
  EXPECT_EQ(wide[0], 0x041B);
  EXPECT_EQ(wide[8], 0);
  EXPECT_EQ(WideToAnsi(wide), ansi);
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(LastDelimiter("\\:", "C:\\a\\b"), 5);
}

// ---------------------------------------------------------------------------
// Paths.

TEST(Paths, ExtractPartsAtTheLastBackslashOrColon) {
  EXPECT_EQ(ExtractFilePath("C:\\dir\\file.txt"), "C:\\dir\\");
  EXPECT_EQ(ExtractFilePath("C:file.txt"), "C:");
  EXPECT_EQ(ExtractFilePath("file.txt"), "");
  EXPECT_EQ(ExtractFilePath("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(ExtractFileDir("C:\\dir\\file.txt"), "C:\\dir");
  EXPECT_EQ(ExtractFileDir("C:\\file.txt"), "C:\\");
  EXPECT_EQ(ExtractFileName("C:\\dir\\file.txt"), "file.txt");
  EXPECT_EQ(ExtractFileName("C:file"), "file");
  EXPECT_EQ(ExtractFileExt("C:\\d.x\\file.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("C:\\d.x\\file"), "");
  EXPECT_EQ(ChangeFileExt("C:\\d.x\\file", ".ini"), "C:\\d.x\\file.ini");
  EXPECT_EQ(ChangeFileExt("a.exe", ".ini"), "a.ini");
  EXPECT_EQ(ExtractFileDrive("C:\\dir"), "C:");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\dir\\f"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("dir\\f"), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
}

// A fresh temporary folder per test, removed afterwards.
class FileFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "classlib_files_" + std::to_string(GetCurrentProcessId()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(ForceDirectories(dir_));
    dir_ = IncludeTrailingBackslash(dir_);
  }
  void TearDown() override { RemoveTree(ExcludeTrailingBackslash(dir_)); }
  static void RemoveTree(const std::string& path) {
    TSearchRec f;
    if (FindFirst(path + "\\*", faAnyFile, f) == 0) {
      do {
        if (f.Name == "." || f.Name == "..") continue;
        std::string full = path + "\\" + f.Name;
        if (f.Attr & faDirectory) RemoveTree(full);
        else {
          FileSetAttr(full, 0);
          DeleteFile(full);
        }
      } while (FindNext(f) == 0);
      FindClose(f);
    }
    RemoveDir(path);
  }
  void MakeFile(const std::string& name, const std::string& content = "x") {
    std::ofstream(dir_ + name, std::ios::binary) << content;
  }
  std::string dir_;
};

using Files = FileFixture;

TEST_F(Files, FileExistsIsForFilesOnlyDirectoryExistsForFolders) {
  MakeFile("a.txt");
  EXPECT_TRUE(FileExists(dir_ + "a.txt"));
  EXPECT_FALSE(DirectoryExists(dir_ + "a.txt"));
  EXPECT_FALSE(FileExists(ExcludeTrailingBackslash(dir_)));
  EXPECT_TRUE(DirectoryExists(dir_));
  EXPECT_FALSE(FileExists(dir_ + "missing"));
  EXPECT_TRUE(DeleteFile(dir_ + "a.txt"));
  EXPECT_FALSE(FileExists(dir_ + "a.txt"));
  EXPECT_FALSE(DeleteFile(dir_ + "a.txt"));
}

TEST_F(Files, ForceDirectoriesCreatesEveryMissingParent) {
  std::string deep = dir_ + "one\\two\\\xD2\xF0\xE8\\";  // a Cyrillic folder name
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep + "."));
  EXPECT_TRUE(ForceDirectories(deep));  // existing: still true
  EXPECT_THROW(ForceDirectories(""), EInOutError);
  // Relative paths with short names are created from the current folder.
  const std::string cwd = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  EXPECT_TRUE(ForceDirectories("a\\b"));
  SetCurrentDirectoryA(cwd.c_str());
  EXPECT_TRUE(DirectoryExists(dir_ + "a\\b"));
  EXPECT_TRUE(ForceDirectories("C:\\"));
  EXPECT_FALSE(CreateDir(dir_ + "one"));
  EXPECT_FALSE(RemoveDir(dir_ + "one"));  // not empty
}

TEST_F(Files, AttributesReadAndWrite) {
  MakeFile("ro.txt");
  const std::string f = dir_ + "ro.txt";
  EXPECT_EQ(FileSetAttr(f, faReadOnly | faHidden), 0);
  EXPECT_EQ(FileGetAttr(f) & (faReadOnly | faHidden), faReadOnly | faHidden);
  EXPECT_FALSE(DeleteFile(f));  // read-only
  EXPECT_EQ(FileSetAttr(f, 0), 0);
  EXPECT_EQ(FileGetAttr(f) & faReadOnly, 0);
  EXPECT_EQ(FileGetAttr(dir_ + "missing"), -1);
  EXPECT_NE(FileSetAttr(dir_ + "missing", 0), 0);
}

TEST_F(Files, FindFirstSkipsFoldersAndHiddenUnlessAsked) {
  MakeFile("a.dat", "12345");
  MakeFile("b.dat");
  MakeFile("h.dat");
  FileSetAttr(dir_ + "h.dat", faHidden);
  CreateDir(dir_ + "sub.dat");
  auto names = [&](int attr) {
    std::set<std::string> found;
    TSearchRec f;
    if (FindFirst(dir_ + "*.dat", attr, f) == 0) {
      do found.insert(f.Name + ((f.Attr & faDirectory) ? "/" : ""));
      while (FindNext(f) == 0);
      FindClose(f);
    }
    return found;
  };
  EXPECT_EQ(names(0), (std::set<std::string>{"a.dat", "b.dat"}));
  EXPECT_EQ(names(faHidden), (std::set<std::string>{"a.dat", "b.dat", "h.dat"}));
  EXPECT_EQ(names(faAnyFile), (std::set<std::string>{"a.dat", "b.dat", "h.dat", "sub.dat/"}));
  TSearchRec f;
  ASSERT_EQ(FindFirst(dir_ + "a.dat", faAnyFile, f), 0);
  EXPECT_EQ(f.Size, 5);
  EXPECT_NE(f.Time, 0);
  FindClose(f);
  EXPECT_NE(FindFirst(dir_ + "*.none", faAnyFile, f), 0);
}

// ---------------------------------------------------------------------------
// Exceptions, string table, platform.

TEST(StringTable, TheLibrarysIdsComeFromTheLinkedStringTable) {
  EXPECT_EQ(LoadStr(SListIndexError), "List index out of bounds (%d)");
  EXPECT_EQ(LoadStr(SSortedListError), "Operation not allowed on sorted list");
  EXPECT_EQ(LoadStr(SDuplicateString), "String list does not allow duplicates");
  // The resource itself, not the built-in fallback.
  wchar_t buf[64];
  EXPECT_GT(LoadStringW(GetModuleHandleA(nullptr), SListIndexError, buf, 64), 0);
  EXPECT_EQ(LoadStr(65000), "");
}

TEST(StringTable, Utf16EntriesComeBackInTheAnsiCodePage) {
  // "Установка «Лумбрикс»" in code page 1251.
  EXPECT_EQ(LoadStr(60001), "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0 \xAB\xCB\xF3\xEC\xE1\xF0\xE8\xEA\xF1\xBB");
}

TEST(StringTable, TheWideLoaderKeepsWhatTheAnsiCodePageCannotHold) {
  EXPECT_EQ(LoadWideStr(60002), L"\u03A9: \u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430");
  // Through the ANSI code page the Greek letter is lost.
  EXPECT_EQ(LoadStr(60002).find('\xD3'), 3u);
  EXPECT_EQ(LoadStr(60002)[0], '?');
  EXPECT_EQ(LoadWideStr(65000), L"");
  EXPECT_EQ(LoadWideStr(SSortedListError), L"Operation not allowed on sorted list");
}

TEST(Exceptions, FormattedAndResourceMessages) {
  Exception e("%s has %d items", {"list", 3});
  EXPECT_EQ(e.Message(), "list has 3 items");
  EXPECT_STREQ(e.what(), "list has 3 items");
  EXPECT_EQ(Exception::CreateResFmt(SListIndexError, {5}).Message(), "List index out of bounds (5)");
  EXPECT_EQ(Exception::CreateRes(SSortedListError).Message(), "Operation not allowed on sorted list");
  try {
    RaiseLastOSError(ERROR_FILE_NOT_FOUND);
    FAIL();
  } catch (const EOSError& err) {
    EXPECT_EQ(err.ErrorCode, 2u);
    EXPECT_EQ(err.Message().rfind("System Error.  Code: 2.\r\n", 0), 0u);
    EXPECT_GT(err.Message().size(), 26u);
  }
  EXPECT_FALSE(SysErrorMessage(ERROR_ACCESS_DENIED).empty());
  EXPECT_NE(SysErrorMessage(ERROR_ACCESS_DENIED).back(), '\n');
}

TEST(Platform, NtWithModuleAndVersion) {
  EXPECT_EQ(Win32Platform, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(Win32MajorVersion, 5);
  EXPECT_EQ(HInstance, GetModuleHandleA(nullptr));
}

}  // namespace
