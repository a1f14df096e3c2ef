// The uninstaller's own routines: its checked file copy, the removal of the
// product's shortcuts, and the plain text of its messages.
#pragma once

#include "System.hpp"

// Copies an existing file over the destination and clears the copy's
// read-only and system attributes. A missing source is skipped; a failed copy
// raises EStreamError "Cannot copy file " + source.
void CopyFileChecked(const AnsiString& source, const AnsiString& destination);

// Deletes the three Start-menu shortcuts and the desktop shortcut; no folder
// is removed here.
void RemoveProductShortcuts();

// A message box shows text, not markup: the texts shared with the wizard's
// HTML labels lose their tags, "<br>" and "<p>" become line breaks and the
// entities their characters (a non-breaking space stays one).
AnsiString PlainMessageText(const AnsiString& html);
