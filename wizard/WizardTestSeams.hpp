// Hooks through which the wizard's test program stands in for what the test
// machine cannot provide or must not do. Nothing in the shipped program sets
// them; while they are null the real work is done.
#pragma once

#include <windows.h>

#include <vector>

#include "ElStrUtils.hpp"
#include "System.hpp"

class TBasePanel;

namespace WizardTestSeams {

// Replaces Screen.PixelsPerInch in the large-font rule of the forms.
extern int (*PixelsPerInchProc)();
// Replaces the rollback of an install (shortcuts, files, keys), so that a
// test never removes a product that lies in the machine it runs on.
extern void (*RollbackProc)(const std::vector<AnsiString>& createdPaths);
// Replaces the shell's opening of a link.
extern void (*ShellOpenProc)(const AnsiString& file);
// Called for each page being opened, right after its form was made; it may
// raise, as a failure to open the page would.
extern void (*PageOpeningProc)(TBasePanel* page);
// Replaces the message boxes of the folder page (owner, text, caption,
// flags); its result is the box's.
extern int (*MessageBoxProc)(HWND owner, const TElFString& text, const TElFString& caption, UINT flags);

}  // namespace WizardTestSeams
