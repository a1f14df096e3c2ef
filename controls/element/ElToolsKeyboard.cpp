#include "ElToolsKeyboard.hpp"

#include "WinApi.hpp"

namespace {

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

TShiftState GetShiftState() {
  TShiftState state;
  if (KeyDown(VK_SHIFT)) state.Include(ssShift);
  if (KeyDown(VK_MENU)) state.Include(ssAlt);
  if (KeyDown(VK_CONTROL)) state.Include(ssCtrl);
  return state;
}
