// Shared pieces of the kit's control tests: pictures from pixel maps, a
// host form, window regions read back, and controls rendered into memory
// bitmaps through WM_PAINT with a device context.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Forms.hpp"
#include "Graphics.hpp"

namespace skintest {

// Colours of the pixel maps: 'R' the crop colour, 'r' one unit off it,
// '.' white, 'b' blue, 'g' green, 'k' black, 'y' yellow.
inline TColor MapColor(char c) {
  switch (c) {
    case 'R': return RGB(255, 0, 0);
    case 'r': return RGB(254, 0, 0);
    case 'b': return RGB(0, 0, 255);
    case 'g': return RGB(0, 160, 0);
    case 'k': return RGB(0, 0, 0);
    case 'y': return RGB(255, 255, 0);
    default: return RGB(255, 255, 255);
  }
}

// A 24-bit bitmap picture, one map character per pixel.
inline std::unique_ptr<TPicture> MapPicture(const std::vector<std::string>& rows) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(int(rows[0].size()), int(rows.size()));
  for (int y = 0; y < int(rows.size()); ++y)
    for (int x = 0; x < int(rows[y].size()); ++x)
      bitmap.Canvas()->SetPixels(x, y, MapColor(rows[y][x]));
  auto picture = std::make_unique<TPicture>();
  picture->SetBitmap(&bitmap);
  return picture;
}

// A plain picture of one colour.
inline std::unique_ptr<TPicture> SolidPicture(int width, int height, char color) {
  return MapPicture(std::vector<std::string>(height, std::string(width, color)));
}

#ifdef SKIN_ARTWORK
// A picture of the wizard's artwork, by file name.
inline std::unique_ptr<TPicture> Art(const std::string& name) {
  auto picture = std::make_unique<TPicture>();
  picture->LoadFromFile(std::string(SKIN_ARTWORK) + "/" + name);
  return picture;
}
#endif

inline void PumpMessages() {
  for (int i = 0; i < 3; ++i) {
    Application->ProcessMessages();
    Application->DoIdle();
  }
}

// A borderless host form, never shown; its controls get windows on demand.
class HostForm {
 public:
  HostForm() {
    form_ = new TForm(Application, 0);
    form_->SetName("page");
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 400, 300);
    form_->SetColor(clWhite);
  }
  ~HostForm() { form_->Free(); }
  TForm* operator->() const { return form_; }
  TForm* get() const { return form_; }

 private:
  TForm* form_;
};

// Whether the point lies in the control's window region; true everywhere
// for a window without one.
inline bool InRegion(TWinControl* control, int x, int y) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetWindowRgn(control->Handle(), region);
  bool inside = kind == ERROR ? true : PtInRegion(region, x, y) != 0;
  DeleteObject(region);
  return inside;
}

inline bool HasRegion(TWinControl* control) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetWindowRgn(control->Handle(), region);
  DeleteObject(region);
  return kind != ERROR;
}

// A 24-bit memory bitmap in a device context, first filled with a colour.
class Surface {
 public:
  Surface(int width, int height, COLORREF fill = RGB(1, 2, 3)) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT r{0, 0, width, height};
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC DC() const { return dc_; }
  // Paints the control into the surface at its origin, clipped to clip
  // when given (in the control's coordinates).
  void Paint(TControl* control, const RECT* clip = nullptr) {
    int saved = SaveDC(dc_);
    if (clip) IntersectClipRect(dc_, clip->left, clip->top, clip->right, clip->bottom);
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc_), 0);
    RestoreDC(dc_, saved);
  }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const BYTE* p = static_cast<const BYTE*>(bits_) + y * (((width_ * 3) + 3) & ~3) + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  // The first and last columns holding a pixel darker than mid-grey.
  std::pair<int, int> DarkColumns() const {
    int first = -1, last = -1;
    for (int x = 0; x < width_; ++x)
      for (int y = 0; y < height_; ++y) {
        COLORREF c = Pixel(x, y);
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    return {first, last};
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  void* bits_ = nullptr;
};

}  // namespace skintest
