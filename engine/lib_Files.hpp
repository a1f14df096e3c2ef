// Path helper shared by the installer's start-up and the engine.
#pragma once

#include "System.hpp"

// Everything up to and including the last "\" or ":" of the path.
AnsiString ExtractFileFolder(const AnsiString& path);
