// Small owners of GDI handles for the length of a scope, shared by the
// graphics and the controls: every handle is given back however the scope
// ends.
#pragma once

#include <utility>

#include "SysUtils.hpp"
#include "WinApi.hpp"

// A GDI object (brush, bitmap, region, font) deleted at the end of the scope.
template <class H>
class ScopedGdiObject {
 public:
  explicit ScopedGdiObject(H handle) : handle_(handle) {
    if (!handle_) throw EOutOfResources("Out of system resources");
  }
  ~ScopedGdiObject() { DeleteObject(handle_); }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  H Get() const { return handle_; }

 private:
  H handle_;
};

// A memory context, compatible with the given one (the screen's by default),
// holding a bitmap for the length of a scope.
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HBITMAP bitmap, HDC compatibleWith = nullptr)
      : dc_(CreateCompatibleDC(compatibleWith)) {
    if (!dc_) throw EOutOfResources("Out of system resources");
    old_ = SelectObject(dc_, bitmap);
  }
  ~ScopedMemoryDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's device context (the screen's for no window), released at the
// end of the scope.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND wnd, bool wholeWindow = false)
      : wnd_(wnd), dc_(wholeWindow ? GetWindowDC(wnd) : GetDC(wnd)) {
    if (!dc_) throw EOutOfResources("Out of system resources");
  }
  ~ScopedWindowDC() { ReleaseDC(wnd_, dc_); }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Swaps a GDI object handle out of its holder and deletes it after the
// change notification, so that a canvas can deselect it first.
template <class H>
struct DeferredDelete {
  explicit DeferredDelete(H& holder) : handle(std::exchange(holder, nullptr)) {}
  ~DeferredDelete() {
    if (handle) DeleteObject(handle);
  }
  DeferredDelete(const DeferredDelete&) = delete;
  DeferredDelete& operator=(const DeferredDelete&) = delete;
  H handle;
};
