// The program body of install.exe: decides before any page is shown whether
// the install can go ahead, opens the Welcome page or the Error page with
// the reason in the host window, and runs the wizard.
#pragma once

#include <vector>

#include "System.hpp"

class TBasePanel;

// The payload archive: the first argument, else "Install.z" beside the
// program.
AnsiString StartupArchivePath(const std::vector<AnsiString>& arguments, const AnsiString& programPath);
// The start-up checks in their order (administrator rights, the archive,
// the RAR library from the program's folder) and the first page they lead
// to. The Welcome page comes with the install settings made.
TBasePanel* OpenFirstPage(const AnsiString& archivePath, const AnsiString& programFolder);
// Starts the wizard's units, registers its forms.
void InitializeWizardUnits();
// After the message loop: cancels and waits, within the bound, for a worker
// that still runs (with its rollback), then frees the install settings; a
// worker that has not ended by then keeps them.
void ReleaseInstallSettings();
// Frees the pages, then the host: before the units they use (the picture
// cache among them) end.
void FreeWizardForms();
// After the message loop: the settings as above, then the forms.
void CloseWizard();
// The program body; returns the exit code.
int InstallerMain();
