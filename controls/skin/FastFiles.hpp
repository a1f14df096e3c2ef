// Start-up code of the fast file unit: the optional JPEG library
// "ijl15.dll", and the processor level it reads from the registry.
#pragma once

#include <string>

#include "System.hpp"
#include "WinApi.hpp"

using TIjlProc = int(WINAPI*)(void* properties);
using TIjlIoProc = int(WINAPI*)(void* properties, int ioType);
extern HMODULE IjlHandle;
extern bool IjlLoaded;
extern TIjlProc IjlInit;
extern TIjlProc IjlFree;
extern TIjlIoProc IjlRead;
extern TIjlIoProc IjlWrite;

// The processor level the library is told to use: by the Intel family and
// model, raised by MMX (3), SSE (5) and SSE2 (6). features are FastDIB's bits.
int IjlCpuLevel(const std::string& vendor, Byte family, Byte model, Byte features);

// The key and value the level is written to when the library loads.
constexpr const char* IjlRegistryKey = "SOFTWARE\\Intel Corporation\\PLSuite\\IJLib";
constexpr const char* IjlRegistryValue = "USECPU";

// Needs FastDIB's processor data: list FastDIBUnit first.
extern const TUnitInfo FastFilesUnit;
