// Start-up of the engine's units, in the one order that works: the class
// library's SysUtils (platform identifier) and the OS record first, then the
// folder globals, each computed from those before it, then the units that
// read them. Shut-down runs in the reverse order through FinalizeUnits.
#pragma once

// COM is started too, for the shell-link object of the shortcut writer.
void InitializeEngineUnits();
