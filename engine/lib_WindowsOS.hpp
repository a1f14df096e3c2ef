// The two OS queries: the Windows family and administrator rights.
#pragma once

#include "System.hpp"
#include "WinApi.hpp"

// Filled by the unit's start-up with GetVersionExA.
extern OSVERSIONINFOA OSVersionInfo;

// True on Windows 9x (the platform identifier is below VER_PLATFORM_WIN32_NT).
bool IsWin9x();
// True on Windows 9x; on the NT family true when the service control manager
// opens with full access.
bool IsAdministrator();

// Unit start-up and shut-down; EngineUnits lists the units in order.
extern const TUnitInfo lib_WindowsOSUnit;
