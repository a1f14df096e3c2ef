// Opens a document or program through the shell.
#pragma once

#include "System.hpp"

// Opens the file with the "open" verb, shown normally. The result is not
// reported; the process handle asked for is closed at once.
void ShellOpen(const AnsiString& file, const AnsiString& parameters = AnsiString());
