// The kit's controls in form files: their class names and the properties
// they publish beyond the common control properties, which come from the
// class library's own tables.
#pragma once

#include "System.hpp"

// Registers the kit's picture controls and buttons. List it after the forms
// unit, whose start-up registers the enumeration names they use.
extern const TUnitInfo SBControlsUnit;
