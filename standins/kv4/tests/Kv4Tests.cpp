// kv4.exe carries the product icon as icon 1, and runs as a window titled
// with the product name that ends the program when closed.
#include <gtest/gtest.h>

#include "WinApi.hpp"
#include <shellapi.h>

namespace {

// "Лумбрикс 2008" in code page 1251, as the ANSI window reports it.
const char kTitle[] = "\xCB\xF3\xEC\xE1\xF0\xE8\xEA\xF1 2008";

}  // namespace

TEST(Kv4, CarriesTheProductIconAsIconOneInSeveralSizes) {
  HMODULE module = LoadLibraryExA(KV4_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr);
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  FreeLibrary(module);
  HICON large = nullptr;
  EXPECT_EQ(ExtractIconExA(KV4_EXE, -1, nullptr, nullptr, 0), 1u);
  EXPECT_EQ(ExtractIconExA(KV4_EXE, 0, &large, nullptr, 1), 1u);
  EXPECT_NE(large, nullptr);
  if (large) DestroyIcon(large);
}

TEST(Kv4, ShowsItsWindowAndExitsWhenItIsClosed) {
  std::string commandLine = std::string("\"") + KV4_EXE + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  // The window exists a moment before it is shown: wait for it to be shown,
  // with room for a slow (emulated) machine.
  HWND window = nullptr;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000) {
    window = FindWindowA("Kv4MainWindow", kTitle);
    if (window && IsWindowVisible(window)) break;
    Sleep(20);
  }
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
