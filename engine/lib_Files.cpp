#include "lib_Files.hpp"

#include "SysUtils.hpp"

AnsiString ExtractFileFolder(const AnsiString& path) { return ExtractFilePath(path); }
