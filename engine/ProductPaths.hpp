// The product's folder names, registry keys and shortcut places, written
// once for the install, the rollback and the uninstaller, so that what one
// writes the others find.
#pragma once

#include <vector>

#include "System.hpp"

// Under Program Files the default target, under the programs folder the
// product's Start-menu folder.
extern const char* const ProductSubfolder;  // "Kestrum\Lumbrix 2008"
extern const char* const MakerFolderName;   // "Kestrum"

// HKEY_LOCAL_MACHINE keys, with their leading backslash.
extern const char* const ProductKey;
extern const char* const MakerKey;
extern const char* const UninstallKey;
// The product key's value that names the folder the product is installed in.
extern const char* const ProductPathValue;  // "Lumbrix2008Path"

// The Start-menu base folder, chosen by the Windows family: the per-user
// programs folder on Windows 9x, the common one on the NT family. Empty when
// the shell cannot resolve it.
AnsiString GetProgramsFolderPath();
// The product's Start-menu folder with its trailing backslash, or empty
// when the programs folder is not known.
AnsiString MenuProductFolder();
// The three Start-menu shortcuts' file names: product, uninstall, tutorial.
std::vector<AnsiString> MenuShortcutNames();
// The desktop shortcut's full path, or empty when the desktop folder is not
// known: a bare name would land in whatever the working folder is.
AnsiString DesktopShortcutPath();
