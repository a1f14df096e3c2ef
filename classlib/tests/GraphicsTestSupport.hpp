// Helpers shared by the graphics tests: bitmaps of a known content and pixel
// comparisons that allow for the rounding of 15- and 16-bit formats.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Classes.hpp"
#include "Graphics.hpp"

namespace gfxtest {

inline const TPixelFormat kAllFormats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};
inline const TPixelFormat kColorFormats[] = {pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};

inline std::string FormatName(TPixelFormat f) {
  static const char* names[] = {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit",
                                "pf16bit", "pf24bit", "pf32bit", "pfCustom"};
  return names[f];
}

inline int R(TColor c) { return c & 0xFF; }
inline int G(TColor c) { return (c >> 8) & 0xFF; }
inline int B(TColor c) { return (c >> 16) & 0xFF; }

// Equal within a tolerance per channel.
inline ::testing::AssertionResult Near(TColor actual, TColor expected, int tolerance = 8) {
  if (std::abs(R(actual) - R(expected)) <= tolerance && std::abs(G(actual) - G(expected)) <= tolerance &&
      std::abs(B(actual) - B(expected)) <= tolerance)
    return ::testing::AssertionSuccess();
  char buf[80];
  std::snprintf(buf, sizeof(buf), "pixel %06X, expected %06X", unsigned(actual), unsigned(expected));
  return ::testing::AssertionFailure() << buf;
}

// A bitmap of the format and size, filled with the colour.
inline std::unique_ptr<TBitmap> MakeBitmap(TPixelFormat format, int width, int height, TColor fill = clWhite) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(width, height);
  bitmap->Canvas()->Brush()->SetColor(fill);
  bitmap->Canvas()->FillRect(TRect{0, 0, width, height});
  return bitmap;
}

inline TColor Px(TBitmap& bitmap, int x, int y) { return bitmap.Canvas()->Pixels(x, y); }

// The bytes of a memory stream.
inline std::vector<Byte> Bytes(TMemoryStream& stream) {
  auto* p = static_cast<const Byte*>(stream.Memory());
  return std::vector<Byte>(p, p + stream.Size());
}

inline void LoadBytes(TMemoryStream& stream, const std::vector<Byte>& bytes) {
  stream.Clear();
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
}

// A file name in the temporary folder, removed at the end of the test.
class TempFile {
 public:
  explicit TempFile(const std::string& name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "gfxtest_" + std::to_string(GetCurrentProcessId()) + "_" + name;
  }
  ~TempFile() { DeleteFileA(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Counts the OnChange-style notifications it is bound to, and keeps the
// last sender.
struct Counter {
  int count = 0;
  TObject* sender = nullptr;
  void Handle(TObject* s) {
    ++count;
    sender = s;
  }
};

}  // namespace gfxtest
