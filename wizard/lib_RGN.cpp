#include "lib_RGN.hpp"

#include "GraphicsScoped.hpp"

void CutControlFromRegion(TCustomForm* form, HRGN region, TWinControl* control) {
  if (!control->HandleAllocated()) return;
  ScopedGdiObject<HRGN> own(CreateRectRgn(0, 0, 0, 0));
  const int kind = GetWindowRgn(control->Handle(), own.Get());
  if (kind == ERROR) return;
  // What the control cuts away: its rectangle less its own region.
  ScopedGdiObject<HRGN> cut(CreateRectRgn(0, 0, control->Width(), control->Height()));
  CombineRgn(cut.Get(), cut.Get(), own.Get(), RGN_DIFF);
  POINT origin{0, 0};
  ClientToScreen(control->Handle(), &origin);
  ScreenToClient(form->Handle(), &origin);
  OffsetRgn(cut.Get(), origin.x, origin.y);
  CombineRgn(region, region, cut.Get(), RGN_DIFF);
}
