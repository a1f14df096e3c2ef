// The values that travel between the wizard and the install worker: the
// folder to install into and the path of the payload archive.
#pragma once

#include "System.hpp"

class TInstallData : public TObject {
 public:
  // The default target: Program Files + "Kestrum\Lumbrix 2008", without a
  // trailing backslash.
  TInstallData();

  AnsiString TargetFolder;
  // The folder the product's registration names when the settings are
  // made, before an install replaces it: the folder of an earlier install,
  // whose list of installed files is the product's own. Empty when none.
  AnsiString RegisteredFolder;
};

// The one settings object of the run, owned by the program body.
extern TInstallData* InstallSettings;
// Full path of the payload archive.
extern AnsiString ArchivePath;

// True when the folder converts to the OEM code page, in which the RAR
// library receives it, and back to the same text. The conversion replaces
// what the OEM code page lacks by a look-alike ("—" by "-", "…" by ":"), so
// such a folder would be another folder, or no valid name, to the library
// while the list, the registry and the shortcuts name this one. The install
// refuses it, and the folder page may ask before.
bool TargetFolderFitsOemCodePage(const AnsiString& folder);

// Unit start-up and shut-down; EngineUnits lists the units in order.
extern const TUnitInfo i01_0_2__InstallDataUnit;
