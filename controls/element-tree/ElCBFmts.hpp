// Readable names of clipboard formats.
#pragma once

#include "System.hpp"

// The standard formats 1 to 16 by their short names ("TEXT", "BITMAP"...);
// any other format by the name it was registered under, or "" when it has
// none.
AnsiString ClipboardFormatName(unsigned format);
