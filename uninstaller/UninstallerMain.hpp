// The uninstaller's program body: two stages, one per process. Stage 1 runs
// from the product folder and restarts from a copy in the temporary folder,
// so that nothing holds the product folder open; stage 2 removes the
// shortcuts and keys and hands the folders to "uninsts.exe".
#pragma once

#include "System.hpp"

extern AnsiString TemporaryFolder;
extern AnsiString OwnFolder;
extern AnsiString ProgramToStart;
extern AnsiString StartParameters;
extern AnsiString ProgramsFolder;
// How long stage 2 waits for the removal program before it reports the
// product as not removed. A product folder goes in seconds; a program that
// takes minutes is stuck on something.
extern unsigned long RemovalTimeoutMs;

void UninstallerMain();
