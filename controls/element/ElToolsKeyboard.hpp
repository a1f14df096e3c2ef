// The keyboard shift state of the tool routines. Apart from ElTools.hpp
// because the shift-state type belongs to the controls layer, which the
// stream and string routines must not pull in.
#pragma once

#include "Controls.hpp"

// Shift, Alt and Ctrl as the keyboard state reports them now.
TShiftState GetShiftState();
