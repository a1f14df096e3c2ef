// Owning and borrowing wrappers of GDI handles for the control library's
// drawing code: every object made, context created or object selected is
// released on scope exit, also when drawing raises.
#pragma once

#include <utility>

#include "WinApi.hpp"

// A GDI object (bitmap, brush, pen, font) deleted on scope exit.
template <class H>
class TElGdiObject {
 public:
  TElGdiObject() = default;
  explicit TElGdiObject(H handle) : handle_(handle) {}
  ~TElGdiObject() { Reset(); }
  TElGdiObject(TElGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  TElGdiObject& operator=(TElGdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  TElGdiObject(const TElGdiObject&) = delete;
  TElGdiObject& operator=(const TElGdiObject&) = delete;

  void Reset(H handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }
  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  H handle_ = nullptr;
};

// A memory device context compatible with another one (the screen when
// nullptr), deleted on scope exit.
class TElMemoryDC {
 public:
  explicit TElMemoryDC(HDC reference) : dc_(CreateCompatibleDC(reference)) {}
  ~TElMemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  TElMemoryDC(const TElMemoryDC&) = delete;
  TElMemoryDC& operator=(const TElMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// The screen's device context, released on scope exit.
class TElScreenDC {
 public:
  TElScreenDC() : dc_(GetDC(nullptr)) {}
  ~TElScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  TElScreenDC(const TElScreenDC&) = delete;
  TElScreenDC& operator=(const TElScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a context; the object selected before goes back on
// scope exit.
class TElSelectObject {
 public:
  TElSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~TElSelectObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  TElSelectObject(const TElSelectObject&) = delete;
  TElSelectObject& operator=(const TElSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves a context's state (clip region, origins, selected objects) and
// restores it on scope exit.
class TElSavedDC {
 public:
  explicit TElSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~TElSavedDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  TElSavedDC(const TElSavedDC&) = delete;
  TElSavedDC& operator=(const TElSavedDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};
