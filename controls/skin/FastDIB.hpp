// Start-up code of the fast bitmap unit: the processor's identity and
// features, and the optional "msimg32.dll" with its blending entry points.
// Nothing in the system reads them; they are only stored.
#pragma once

#include <cstdint>
#include <string>

#include "System.hpp"
#include "WinApi.hpp"

// Bits of CpuFeatures.
constexpr Byte cfCX8 = 1;        // CPUID 1, EDX bit 8
constexpr Byte cfCMOV = 2;       // CPUID 1, EDX bit 15
constexpr Byte cfMMX = 4;        // CPUID 1, EDX bit 23
constexpr Byte cfMMX2 = 8;       // CPUID 80000001h, EDX bit 22
constexpr Byte cfSSE = 16;       // CPUID 1, EDX bit 25
constexpr Byte cfSSE2 = 32;      // CPUID 1, EDX bit 26
constexpr Byte cf3DNow = 64;     // CPUID 80000001h, EDX bit 31
constexpr Byte cf3DNow2 = 128;   // CPUID 80000001h, EDX bit 30

extern std::string CpuVendor;  // the 12 characters of EBX, EDX, ECX of CPUID 0
extern Byte CpuFamily;
extern Byte CpuModel;
extern Byte CpuFeatures;
extern Byte CpuCount;  // low byte of the processor count

using TTransparentBltProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
using TAlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
extern HMODULE MsImg32Handle;
extern TTransparentBltProc MsImg32TransparentBlt;
extern TAlphaBlendProc MsImg32AlphaBlend;

// The feature bits from the EDX of the standard function 1 and of the
// extended function 80000001h.
Byte CpuFeatureBits(std::uint32_t standardEdx, std::uint32_t extendedEdx);

// An entry point of a library as the given function type, or nullptr.
template <class F>
F ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A system library by file name, from the system folder only: a library of
// the same name in the program's or the current folder is never loaded.
HMODULE LoadSystemLibrary(const char* fileName);

extern const TUnitInfo FastDIBUnit;
