// Start-up code of the utility unit: registers the kit's two hand cursors in
// the screen's cursor table for any control that asks for them.
#pragma once

#include "Controls.hpp"
#include "System.hpp"

// The pointing hand and the grabbing hand, from the module's cursor
// resources "RX_HANDCUR" and "RX_DRAGCUR".
constexpr TCursor crHand = 14000;
constexpr TCursor crDragHand = 14001;

// Loads both cursors from the program's module and registers those that
// exist. Needs the forms unit (the screen) started first.
extern const TUnitInfo VCLUtilsUnit;
