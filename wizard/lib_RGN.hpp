// Window regions of the frameless host: cutting a cropped control's
// cut-away pixels out of the form's region.
#pragma once

#include "Controls.hpp"
#include "Forms.hpp"

// Subtracts from Region (in the form's coordinates) the part of the
// control's rectangle that lies outside the control's own window region.
// A control without a window region changes nothing.
void CutControlFromRegion(TCustomForm* form, HRGN region, TWinControl* control);
