#include "lib_RGN.hpp"

namespace {

// Deletes the region on scope exit.
class ScopedRegion {
 public:
  explicit ScopedRegion(HRGN region) : region_(region) {}
  ~ScopedRegion() {
    if (region_) DeleteObject(region_);
  }
  ScopedRegion(const ScopedRegion&) = delete;
  ScopedRegion& operator=(const ScopedRegion&) = delete;
  HRGN Get() const { return region_; }

 private:
  HRGN region_;
};

}  // namespace

void CutControlFromRegion(TCustomForm* form, HRGN region, TWinControl* control) {
  if (!control->HandleAllocated()) return;
  ScopedRegion own(CreateRectRgn(0, 0, 0, 0));
  const int kind = GetWindowRgn(control->Handle(), own.Get());
  if (kind == ERROR) return;
  // What the control cuts away: its rectangle less its own region.
  ScopedRegion cut(CreateRectRgn(0, 0, control->Width(), control->Height()));
  CombineRgn(cut.Get(), cut.Get(), own.Get(), RGN_DIFF);
  POINT origin{0, 0};
  ClientToScreen(control->Handle(), &origin);
  ScreenToClient(form->Handle(), &origin);
  OffsetRgn(cut.Get(), origin.x, origin.y);
  CombineRgn(region, region, cut.Get(), RGN_DIFF);
}
