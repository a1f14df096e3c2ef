// The hand cursor shown over links: screen cursor 1458, made at start from
// the resource "URLCURSOR" of the program's own module.
#pragma once

#include "Controls.hpp"

constexpr TCursor crURLCursor = 1458;

// Registers the cursor with the screen; list it after FormsUnit.
extern const TUnitInfo ElHandPtUnit;
