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
};

// The one settings object of the run, owned by the program body.
extern TInstallData* InstallSettings;
// Full path of the payload archive.
extern AnsiString ArchivePath;

// Unit start-up and shut-down; EngineUnits lists the units in order.
extern const TUnitInfo i01_0_2__InstallDataUnit;
