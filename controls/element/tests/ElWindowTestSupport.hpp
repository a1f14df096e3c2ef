// Helpers of the tests that open windows: pumping the message loop until an
// event happened, a form to put controls on, and reading pixels back.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "Forms.hpp"
#include "WinApi.hpp"

namespace eltest {

// Runs the message loop's work (messages, then idle work) until the
// condition holds or the generous bound is reached; returns the condition.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Application->ProcessMessages();
    Application->DoIdle();
    Sleep(2);
  }
  return true;
}

// Puts the mouse in the screen's bottom-right corner, away from every test
// window, so that no later test finds a control under it.
inline void ParkMouse() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

// Runs whatever is queued now, without waiting for anything.
inline void Flush() {
  Application->ProcessMessages();
  Application->DoIdle();
}

// A borderless form at a fixed screen place, freed at the end of the test.
// Under Wine, hiding or freeing a shown (active) form costs about two
// seconds; tests that need a shown form share one per suite (WindowTest).
class TestForm {
 public:
  TestForm(int left = 100, int top = 100, int width = 320, int height = 240) {
    form_ = new TForm(Application, 0);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(left, top, width, height);
    form_->SetColor(clWhite);
  }
  ~TestForm() {
    ReleaseCapture();
    form_->Free();
    Flush();
  }
  TestForm(const TestForm&) = delete;
  TestForm& operator=(const TestForm&) = delete;
  TForm* operator->() const { return form_; }
  TForm* Get() const { return form_; }
  void Show() {
    form_->Show();
    Flush();
  }

 private:
  TForm* form_;
};

// Tests on one shown form for the whole suite; each test's components are
// owned by Owner() and freed after it.
class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shared_ = new TestForm();
    shared_->Show();
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }
  void SetUp() override { owner_.reset(new TComponent(nullptr)); }
  void TearDown() override {
    owner_.reset();
    Flush();
  }
  static TForm* Form() { return shared_->Get(); }
  TComponent* Owner() const { return owner_.get(); }

 private:
  static inline TestForm* shared_ = nullptr;
  struct Freer {
    void operator()(TObject* o) const { o->Free(); }
  };
  std::unique_ptr<TComponent, Freer> owner_;
};

// The pixel of a window at window coordinates (the non-client area
// included).
inline COLORREF WindowPixel(HWND wnd, int x, int y) {
  HDC dc = GetWindowDC(wnd);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(wnd, dc);
  return c;
}

// A 32-bit memory bitmap selected into its own DC.
class MemoryDC {
 public:
  MemoryDC(int width, int height, COLORREF fill = RGB(255, 255, 255)) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    RECT r{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }
  ~MemoryDC() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return dc_; }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// Puts raw data of one format alone on the clipboard.
inline void PutClipboard(HWND owner, UINT format, const void* data, std::size_t bytes) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), data, bytes);
  GlobalUnlock(block);
  SetClipboardData(format, block);
  CloseClipboard();
}

// Splits a packed hint (8-bit text, zero byte, UTF-16 units, 16-bit zero,
// 0xFFFE) back into its parts; false when the layout is wrong.
inline bool UnpackHint(const std::string& packed, std::string& ansi, std::wstring& wide) {
  size_t nul = packed.find('\0');
  if (nul == std::string::npos) return false;
  ansi = packed.substr(0, nul);
  size_t rest = packed.size() - nul - 1;
  if (rest < 4 || rest % 2 != 0) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(packed.data() + nul + 1);
  size_t units = rest / 2;
  auto unit = [p](size_t i) { return static_cast<unsigned>(p[2 * i] | (p[2 * i + 1] << 8)); };
  if (unit(units - 1) != 0xFFFE || unit(units - 2) != 0) return false;
  wide.clear();
  for (size_t i = 0; i + 2 < units; ++i) wide += static_cast<wchar_t>(unit(i));
  return true;
}

// The theme-state runs say whether Wine's visual style is switched on in
// their prefix: EL_EXPECT_THEME=1 or 0. Other runs leave it unset.
enum class ThemeState { Unknown, Active, Off };
inline ThemeState ExpectedThemeState() {
  const char* v = std::getenv("EL_EXPECT_THEME");
  if (!v) return ThemeState::Unknown;
  return std::string(v) == "1" ? ThemeState::Active : ThemeState::Off;
}

}  // namespace eltest
