#include "ElHandPt.hpp"

#include "Forms.hpp"

namespace {

// The cursor is stored as the data of a cursor image (hot spot, then the
// monochrome image), "URLCURSOR" among the program's RCDATA resources.
HCURSOR LoadUrlCursor() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, "URLCURSOR", MAKEINTRESOURCEA(10));
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  auto* bits = static_cast<PBYTE>(loaded ? LockResource(loaded) : nullptr);
  if (!bits) return nullptr;
  return reinterpret_cast<HCURSOR>(
      CreateIconFromResourceEx(bits, SizeofResource(module, found), FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
}

HCURSOR g_cursor = nullptr;

void InitElHandPt() {
  if (!Screen) throw EInvalidOperation("The hand cursor needs the screen: start FormsUnit first");
  g_cursor = LoadUrlCursor();
  Screen->SetCursors(crURLCursor, g_cursor);
}

void DoneElHandPt() {
  if (Screen) Screen->SetCursors(crURLCursor, nullptr);
  if (g_cursor) DestroyCursor(g_cursor);
  g_cursor = nullptr;
}

}  // namespace

const TUnitInfo ElHandPtUnit = {"ElHandPt", &InitElHandPt, &DoneElHandPt};
