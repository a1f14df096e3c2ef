// Tool routines: stream strings and the hex data text (round trips and
// damaged input), text lines, dotted pairs, file names, geometry, and the
// operating-system flags.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ElTools.hpp"
#include "ElToolsKeyboard.hpp"
#include "WinApi.hpp"

namespace {

std::string Bytes(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Load(TMemoryStream& stream, const std::string& bytes) {
  stream.SetSize(0);
  stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
}

std::string Header(std::int32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); }

// A stream that refuses every write.
class BrokenStream : public TStream {
 public:
  std::int32_t Read(void*, std::int32_t) override { throw EReadError("read failed"); }
  std::int32_t Write(const void*, std::int32_t) override { throw EWriteError("write failed"); }
  Int64 Seek(Int64, TSeekOrigin) override { return 0; }
  Int64 Size() override { return 0; }
  void SetSize(Int64) override {}
};

}  // namespace

// ---------------------------------------------------------------- stream strings

TEST(ElToolsStreamStrings, AnsiAndWideRoundTripWithTheirLayout) {
  TMemoryStream stream;
  AnsiString ansi("a\0\xFF\xC0", 4);
  TElFString wide = L"\x0416z\0\xFFFE";
  wide.push_back(L'\0');
  ASSERT_TRUE(WriteStringToStream(&stream, ansi));
  ASSERT_TRUE(WriteWideStringToStream(&stream, wide));
  ASSERT_TRUE(WriteStringToStream(&stream, ""));
  ASSERT_TRUE(WriteWideStringToStream(&stream, L""));
  std::string expected = Header(4) + ansi + Header(static_cast<std::int32_t>(wide.size())) +
                         std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2) +
                         Header(0) + Header(0);
  EXPECT_EQ(Bytes(stream), expected);

  stream.SetPosition(0);
  AnsiString a = "old";
  TElFString w = L"old";
  ASSERT_TRUE(ReadStringFromStream(&stream, a));
  ASSERT_TRUE(ReadWideStringFromStream(&stream, w));
  EXPECT_EQ(a, ansi);
  EXPECT_EQ(w, wide);
  ASSERT_TRUE(ReadStringFromStream(&stream, a));
  ASSERT_TRUE(LoadWideStringFromStream(&stream, w));
  EXPECT_TRUE(a.empty());
  EXPECT_TRUE(w.empty());
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(ElToolsStreamStrings, DamagedInputFailsAndLeavesTheTargetAlone) {
  const std::vector<std::string> damaged = {
      Header(-1),                        // negative length
      Header(5) + "abc",                 // length 5, three bytes left
      std::string("\x02\x00", 2),        // header cut short
      "",                                // nothing at all
      Header(0x7FFFFFFF) + "abcd",       // huge length, no data
  };
  for (const std::string& bytes : damaged) {
    TMemoryStream stream;
    Load(stream, bytes);
    AnsiString a = "keep";
    EXPECT_FALSE(ReadStringFromStream(&stream, a)) << bytes.size();
    EXPECT_EQ(a, "keep");
    stream.SetPosition(0);
    TElFString w = L"keep";
    EXPECT_FALSE(ReadWideStringFromStream(&stream, w));
    EXPECT_EQ(w, L"keep");
    stream.SetPosition(0);
    EXPECT_FALSE(LoadWideStringFromStream(&stream, w));
    EXPECT_TRUE(w.empty());
  }
}

TEST(ElToolsStreamStrings, WideCountWhoseByteSizeOverflowsIsRejected) {
  // 0x40000000 units would be 0x80000000 bytes, past a signed 32-bit size;
  // 0x80000001 units wrap to 2 bytes in 32-bit arithmetic.
  for (std::int32_t count : {0x40000000, 0x7FFFFFFF, 3}) {
    TMemoryStream stream;
    Load(stream, Header(count) + "abcd");
    TElFString w = L"keep";
    EXPECT_FALSE(ReadWideStringFromStream(&stream, w)) << count;
    EXPECT_EQ(w, L"keep");
  }
}

TEST(ElToolsStreamStrings, RaisingReadersNameTheHeaderOrLetTheStreamErrorThrough) {
  TMemoryStream stream;
  Load(stream, Header(3) + "abc" + Header(2) + std::string("\x16\x04z\0", 4));
  EXPECT_EQ(ReadStreamString(&stream), "abc");
  EXPECT_EQ(ReadWideStreamString(&stream), L"\x0416z");
  for (auto read : {+[](TStream* s) { ReadStreamString(s); },
                    +[](TStream* s) { ReadWideStreamString(s); }}) {
    Load(stream, Header(-1) + "abcd");
    try {
      read(&stream);
      ADD_FAILURE() << "negative length accepted";
    } catch (const EReadError& e) {
      EXPECT_STREQ(e.what(), "Invalid string header read from the stream");
    }
    // A length the stream cannot fill, however large, is the stream's own
    // read error.
    for (std::int32_t count : {5, 0x7FFFFFFF}) {
      Load(stream, Header(count) + "abc");
      try {
        read(&stream);
        ADD_FAILURE() << count << " read from three bytes";
      } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
      }
    }
  }
  BrokenStream broken;
  EXPECT_THROW(ReadStreamString(&broken), EReadError);
}

TEST(ElToolsStreamStrings, WritersReportAFailingStreamWithoutRaising) {
  BrokenStream broken;
  EXPECT_FALSE(WriteStringToStream(&broken, "abc"));
  EXPECT_FALSE(WriteWideStringToStream(&broken, L"abc"));
  AnsiString a = "keep";
  EXPECT_FALSE(ReadStringFromStream(&broken, a));
  EXPECT_EQ(a, "keep");
}

// ---------------------------------------------------------------- hex data

TEST(ElToolsHexData, TextLayout) {
  const Byte bytes[] = {0x01, 0xAB, 0xFF};
  AnsiString s;
  DataToHexString(bytes, 3, s);
  EXPECT_EQ(s, "454C 3 01 AB FF ");
  DataToHexString(nullptr, 0, s);
  EXPECT_EQ(s, "454C 0 ");
  std::vector<Byte> big(300, 0x0F);
  DataToHexString(big.data(), 300, s);
  EXPECT_EQ(s.substr(0, 12), "454C 12C 0F ");
  EXPECT_EQ(s.size(), 9u + 300 * 3);
}

TEST(ElToolsHexData, RoundTripOfEveryByteValue) {
  std::vector<Byte> data(256);
  for (int i = 0; i < 256; ++i) data[i] = static_cast<Byte>(255 - i);
  AnsiString s;
  DataToHexString(data.data(), 256, s);
  std::vector<Byte> back;
  std::int32_t size = 0;
  ASSERT_TRUE(HexStringToData(s, back, size));
  EXPECT_EQ(size, 256);
  EXPECT_EQ(back, data);
  ASSERT_TRUE(HexStringToData("454C 0 ", back, size));
  EXPECT_EQ(size, 0);
  EXPECT_TRUE(back.empty());
}

TEST(ElToolsHexData, LenientTokens) {
  std::vector<Byte> out;
  std::int32_t size = 0;
  EXPECT_TRUE(HexStringToData("454C 2 ff 1", out, size));  // last token without blank
  EXPECT_EQ(out, (std::vector<Byte>{0xFF, 0x01}));
  EXPECT_TRUE(HexStringToData("454C 1 105 06 07", out, size));  // low 8 bits; surplus ignored
  EXPECT_EQ(out, (std::vector<Byte>{0x05}));
}

TEST(ElToolsHexData, BadHeadersGiveNoBuffer) {
  for (const char* text : {"", "454", "454D 1 00 ", "454C", "454C ", "454C 3", "454C  01 ",
                           "454C ZZ 00 ", "454C -1 ", "454C FFFFFFFF 00 ", "454C 7FFFFFFF 00 ",
                           "454C 5 01 02 "}) {
    std::vector<Byte> out{1, 2};
    std::int32_t size = 7;
    EXPECT_FALSE(HexStringToData(text, out, size)) << text;
    EXPECT_EQ(size, -1) << text;
    EXPECT_TRUE(out.empty()) << text;
  }
}

TEST(ElToolsHexData, ShortOrBadDataKeepsTheAnnouncedSize) {
  std::vector<Byte> out;
  std::int32_t size = 0;
  EXPECT_FALSE(HexStringToData("454C 3 01 02", out, size));
  EXPECT_EQ(size, 3);
  EXPECT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1], 0x02);
  EXPECT_FALSE(HexStringToData("454C 2 01 GG ", out, size));
  EXPECT_EQ(size, 2);
  EXPECT_EQ(out[0], 0x01);
  EXPECT_FALSE(HexStringToData("454C 2 01  02", out, size));  // empty token
  EXPECT_EQ(size, 2);
}

// ---------------------------------------------------------------- text lines

TEST(ElToolsTextLine, AddsTheLineBreakOnlyWhenMissing) {
  TMemoryStream stream;
  WriteTextLine(&stream, "abc");
  WriteTextLine(&stream, "abc\r\n");
  WriteTextLine(&stream, "");
  WriteTextLine(&stream, "\r\n");
  WriteTextLine(&stream, "x\n");
  EXPECT_EQ(Bytes(stream), "abc\r\nabc\r\n\r\n\r\nx\n\r\n");
  BrokenStream broken;
  EXPECT_THROW(WriteTextLine(&broken, "abc"), EWriteError);
}

// ---------------------------------------------------------------- dotted pair

TEST(ElToolsDottedPair, CodesTellWhereParsingStopped) {
  struct Case {
    const char* text;
    int code;
  };
  for (Case c : {Case{".5", 1}, Case{"5.", 2}, Case{"12", -1}, Case{"1.x", 3}, Case{"x.1", 1},
                 Case{"12.3y", 5}, Case{"99999999999.1", 10}, Case{"", -1}}) {
    int code = 99;
    TElDottedPair pair = MakeDottedPair(42, 43);
    ParseDottedPair(c.text, code, pair);
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_EQ(pair, MakeDottedPair(42, 43)) << c.text;
  }
}

TEST(ElToolsDottedPair, PairsRoundTripThroughText) {
  int code = 99;
  TElDottedPair pair = 0;
  ParseDottedPair("1.5", code, pair);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(DottedPairFirst(pair), 1);
  EXPECT_EQ(DottedPairSecond(pair), 5);
  EXPECT_EQ(pair, (Int64(5) << 32) | 1);
  for (const char* text : {"-3.-4", "2147483647.-2147483648", "0.0"}) {
    ParseDottedPair(text, code, pair);
    ASSERT_EQ(code, 0) << text;
    AnsiString back;
    FormatDottedPair(back, pair);
    EXPECT_EQ(back, text);
  }
  // Accepted by the parser but not given back the same by the formatter:
  // callers use that to reject the text.
  ParseDottedPair(" 7.+8", code, pair);
  ASSERT_EQ(code, 0);
  AnsiString back;
  FormatDottedPair(back, pair);
  EXPECT_EQ(back, "7.8");
}

// ---------------------------------------------------------------- small helpers

TEST(ElToolsHelpers, CenterRectsClampsToTheOuterBox) {
  RECT r{};
  CenterRects(10, 4, 10, 4, r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{0, 0, 3, 3}));
  CenterRects(3, 10, 3, 10, r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{4, 4, 6, 6}));
  CenterRects(5, 9, 2, 7, r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{2, 2, 6, 3}));
}

TEST(ElToolsHelpers, IntegerHelpers) {
  EXPECT_EQ(Sign(-7), -1);
  EXPECT_EQ(Sign(0), 0);
  EXPECT_EQ(Sign(9), 1);
  EXPECT_TRUE(InRange(1, 3, 3));
  EXPECT_FALSE(InRange(1, 3, 4));
  EXPECT_EQ(Max(-1, -2), -1);
  EXPECT_EQ(Min(-1, -2), -2);
  EXPECT_EQ(ByteSwap32(0x00112233u), 0x33221100u);
  EXPECT_EQ(ByteSwap32(0x00FF0080u), 0x8000FF00u);
}

TEST(ElToolsHelpers, TempFileNameIsALowerCaseGuidInTheFolder) {
  char temp[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(MAX_PATH, temp);
  AnsiString folder(temp, n);
  CharLowerBuffA(folder.data(), static_cast<DWORD>(folder.size()));
  AnsiString a, b;
  TempFileNameFromGUID("", a);
  TempFileNameFromGUID("", b);
  EXPECT_NE(a, b);
  ASSERT_EQ(a.size(), folder.size() + 36);
  EXPECT_EQ(a.substr(0, folder.size()), folder);
  AnsiString guid = a.substr(folder.size());
  for (size_t i = 0; i < guid.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23)
      EXPECT_EQ(guid[i], '-');
    else
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(guid[i])) && !std::isupper(guid[i])) << guid;
  }
  TempFileNameFromGUID("C:\\Data\\X", a);
  EXPECT_EQ(a.substr(0, 9), "c:\\data\\x");
  EXPECT_EQ(a.size(), 9u + 36);
}

namespace {
int timerCalls = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++timerCalls; }
}  // namespace

TEST(ElToolsHelpers, MessagePumpDispatchesAndDropsQuit) {
  ASSERT_NE(ElMessagePump, nullptr);
  timerCalls = 0;
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes sure the thread has a queue
  PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
  UINT_PTR id = SetTimer(nullptr, 0, 1, CountTimer);
  Sleep(30);
  ElMessagePump->ProcessMessages();
  KillTimer(nullptr, id);
  EXPECT_GE(timerCalls, 1);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_FALSE(ElMessagePump->ProcessMessage());
}

// ---------------------------------------------------------------- flags

// The expected Windows version comes from the test run: the normal prefix
// reports NT 6.2 to a program without a compatibility manifest, the win98
// prefix (a separate run with EL_EXPECTED_WINDOWS=win98) the 9x family 4.10.
TEST(ElToolsFlags, MatchTheWindowsVersionOfThePrefix) {
  const char* expected = std::getenv("EL_EXPECTED_WINDOWS");
  std::string version = expected ? expected : "nt6.2";
  if (version == "win98") {
    EXPECT_FALSE(IsWinNT);
    EXPECT_FALSE(IsWinNTUp);
    EXPECT_TRUE(IsWin98Up);
    EXPECT_FALSE(IsWinXPUp);
  } else if (version == "nt6.2") {
    EXPECT_TRUE(IsWinNT);
    EXPECT_TRUE(IsWinNTUp);
    EXPECT_FALSE(IsWin98Up);
    EXPECT_TRUE(IsWinXPUp);  // major above 4 and a minor version other than 0
  } else if (version == "win2k" || version == "vista") {
    EXPECT_TRUE(IsWinNT);
    EXPECT_FALSE(IsWinXPUp);  // 5.0 and 6.0: the minor version is 0
  } else {
    FAIL() << "unknown EL_EXPECTED_WINDOWS " << version;
  }
}

// ---------------------------------------------------------------- keyboard

TEST(ElToolsKeyboard, ShiftStateFollowsTheThreadKeyboardState) {
  BYTE saved[256] = {};
  ASSERT_TRUE(GetKeyboardState(saved));
  BYTE keys[256] = {};
  keys[VK_SHIFT] = 0x80;
  keys[VK_CONTROL] = 0x80;
  ASSERT_TRUE(SetKeyboardState(keys));
  EXPECT_EQ(GetShiftState(), (TShiftState{ssShift, ssCtrl}));
  keys[VK_SHIFT] = 0;
  keys[VK_CONTROL] = 0;
  keys[VK_MENU] = 0x81;  // the low bit is the toggle state, not "down"
  ASSERT_TRUE(SetKeyboardState(keys));
  EXPECT_EQ(GetShiftState(), (TShiftState{ssAlt}));
  keys[VK_MENU] = 0x01;
  ASSERT_TRUE(SetKeyboardState(keys));
  EXPECT_TRUE(GetShiftState().Empty());
  SetKeyboardState(saved);
}
