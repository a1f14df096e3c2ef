#include "VCLUtils.hpp"

#include "Forms.hpp"
#include "SysUtils.hpp"

namespace {

// A missing resource leaves the number unregistered, so the screen gives
// the default cursor for it.
void RegisterModuleCursor(TCursor id, const char* name) {
  HCURSOR cursor = LoadCursorA(HInstance, name);
  if (cursor && Screen) Screen->SetCursors(id, cursor);
}

void InitVCLUtils() {
  RegisterModuleCursor(crHand, "RX_HANDCUR");
  RegisterModuleCursor(crDragHand, "RX_DRAGCUR");
}

}  // namespace

const TUnitInfo VCLUtilsUnit{"VCLUtils", &InitVCLUtils, nullptr};
