// The click log: an in-memory list of the latest button presses, oldest
// first. The kit's buttons write one line per press; nothing reads it.
#pragma once

#include <string>

#include "Classes.hpp"
#include "System.hpp"

// The most lines the log keeps.
constexpr int ClickLogLimit = 300;

// The log, or nullptr outside the unit's lifetime.
TStringList* ClickLog();

// Appends the line and drops the oldest ones beyond the limit. Does nothing
// before the unit starts or after it ends.
void AddLogLine(const std::string& line);

// Creates the log at start-up and frees it at shut-down.
extern const TUnitInfo SBLogUnit;
