// The uninstaller's program body: two stages, one per process. Stage 1 runs
// from the product folder and restarts from a copy in the temporary folder,
// so that nothing holds the product folder open; stage 2 hands the folders
// to "uninsts.exe" and removes the shortcuts and keys once it has
// succeeded.
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

// The exit code when the user was told the product was not removed (or
// could not be); 1 is a failure of the program itself, 0 all else.
constexpr int NotRemovedExitCode = 2;

// Runs the stage the command line asks for; returns the exit code.
int UninstallerMain();
