// The uninstaller's own routines: its checked file copy and the removal of
// the product's shortcuts.
#pragma once

#include "System.hpp"

// Copies an existing file over the destination and clears the copy's
// read-only and system attributes. A missing source is skipped; a failed copy
// raises EStreamError "Cannot copy file " + source.
void CopyFileChecked(const AnsiString& source, const AnsiString& destination);

// Deletes the three Start-menu shortcuts and the desktop shortcut; no folder
// is removed here.
void RemoveProductShortcuts();

// The Start-menu base folder, chosen by the Windows family as the install
// chose it; empty when it cannot be resolved.
AnsiString ProductProgramsFolder();
