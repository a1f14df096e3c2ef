// Start-up code of the date unit: whether the user's short date format shows
// the year with four digits.
#pragma once

#include <string>

#include "System.hpp"

extern bool ShortDateHasFourDigitYear;

// True when the format, upper-cased, contains "YYYY".
bool DateFormatHasFourDigitYear(const std::string& format);

// Sets ShortDateHasFourDigitYear from the locale's short date format (read
// by the SysUtils unit, which must start first).
extern const TUnitInfo DateUtilUnit;
