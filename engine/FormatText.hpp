// Formatting of the wizard's texts that carry one or more arguments.
#pragma once

#include "SysUtils.hpp"

// The class library's Format over an argument array.
AnsiString FormatText(const AnsiString& format, TVarRecs arguments);
