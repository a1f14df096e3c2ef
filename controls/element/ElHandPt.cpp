#include "ElHandPt.hpp"

#include "Forms.hpp"

namespace {
void InitElHandPt() {
  if (!Screen) throw EInvalidOperation("The hand cursor needs the screen: start FormsUnit first");
  Screen->SetCursors(crURLCursor, LoadCursorA(GetModuleHandleA(nullptr), "URLCURSOR"));
}
}  // namespace

const TUnitInfo ElHandPtUnit = {"ElHandPt", &InitElHandPt, nullptr};
