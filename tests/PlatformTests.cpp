// The facts about the platform this project stands on: the Russian code
// pages, 8-bit Cyrillic names through the ANSI file and registry functions,
// and threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// "Тест" in code page 1251.
const std::string kCyrillic1251 = "\xD2\xE5\xF1\xF2";

std::string TempFolder() {
  char buf[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, buf);
  return std::string(buf, n);
}

}  // namespace

TEST(CodePages, AnsiIs1251AndOemIs866) {
  EXPECT_EQ(GetACP(), 1251u);
  EXPECT_EQ(GetOEMCP(), 866u);
}

TEST(CodePages, AnsiCyrillicConvertsToUnicode) {
  wchar_t wide[8] = {};
  int n = MultiByteToWideChar(CP_ACP, 0, kCyrillic1251.data(), 4, wide, 8);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(std::wstring(wide, 4), L"\u0422\u0435\u0441\u0442");
}

TEST(CodePages, CharToOemAndBackRoundTripsCyrillic) {
  // Every Cyrillic letter of 1251 (0xC0..0xFF) plus Ё/ё.
  std::string ansi;
  for (int c = 0xC0; c <= 0xFF; ++c) ansi.push_back(static_cast<char>(c));
  ansi += "\xA8\xB8";
  std::string oem(ansi.size(), '\0');
  ASSERT_TRUE(CharToOemA(ansi.c_str(), oem.data()));
  // "А" is 0xC0 in 1251 and 0x80 in 866; "а" 0xE0 and 0xA0; "р" 0xF0 and 0xE0.
  EXPECT_EQ(static_cast<unsigned char>(oem[0]), 0x80);
  EXPECT_EQ(static_cast<unsigned char>(oem[0x20]), 0xA0);
  EXPECT_EQ(static_cast<unsigned char>(oem[0x30]), 0xE0);
  std::string back(oem.size(), '\0');
  ASSERT_TRUE(OemToCharA(oem.c_str(), back.data()));
  EXPECT_EQ(back, ansi);
}

TEST(Files, CyrillicNameRoundTripsThroughAnsiFunctions) {
  const std::string folder = TempFolder() + "platform_" + kCyrillic1251;
  const std::string file = folder + "\\" + kCyrillic1251 + ".txt";
  CreateDirectoryA(folder.c_str(), nullptr);
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "abc", 3, &written, nullptr);
  CloseHandle(h);

  // The file is found under its ANSI name...
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\*.txt").c_str(), &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_EQ(std::string(fd.cFileName), kCyrillic1251 + ".txt");
  EXPECT_EQ(fd.nFileSizeLow, 3u);

  // ...and under the same name in UTF-16, so the bytes meant Cyrillic.
  std::wstring wfile;
  wfile.resize(MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, nullptr, 0));
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wfile.data(), int(wfile.size()));
  EXPECT_NE(wfile.find(L"\u0422\u0435\u0441\u0442.txt"), std::wstring::npos);
  EXPECT_NE(GetFileAttributesW(wfile.c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_TRUE(DeleteFileA(file.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

TEST(Registry, AnsiStringWithByteF5ReadsBackExactly) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PlatformTests", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char value[] = "4.\xF5";
  ASSERT_EQ(RegSetValueExA(key, "DisplayVersion", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value), sizeof value),
            ERROR_SUCCESS);
  char back[16] = {};
  DWORD type = 0, size = sizeof back;
  ASSERT_EQ(RegQueryValueExA(key, "DisplayVersion", nullptr, &type,
                             reinterpret_cast<BYTE*>(back), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(size, sizeof value);
  EXPECT_EQ(std::string(back), std::string(value));

  // Stored as UTF-16, the byte is the Cyrillic "х" (U+0445) of code page 1251.
  wchar_t wide[16] = {};
  size = sizeof wide;
  ASSERT_EQ(RegQueryValueExW(key, L"DisplayVersion", nullptr, &type,
                             reinterpret_cast<BYTE*>(wide), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(wide), L"4.\u0445");
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PlatformTests"), ERROR_SUCCESS);
}

TEST(Threads, SecondThreadRunsWithWin32AndStdThreads) {
  std::atomic<DWORD> seenId{0};
  HANDLE h = CreateThread(
      nullptr, 0,
      [](LPVOID p) WINAPI -> DWORD {
        static_cast<std::atomic<DWORD>*>(p)->store(GetCurrentThreadId());
        return 42;
      },
      &seenId, 0, nullptr);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  CloseHandle(h);
  EXPECT_EQ(code, 42u);
  EXPECT_NE(seenId.load(), 0u);
  EXPECT_NE(seenId.load(), GetCurrentThreadId());

  std::atomic<int> counter{0};
  std::thread t([&] { counter = 7; });
  t.join();
  EXPECT_EQ(counter.load(), 7);
}
