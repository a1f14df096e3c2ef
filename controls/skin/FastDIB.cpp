#include "FastDIB.hpp"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

std::string CpuVendor;
Byte CpuFamily = 0;
Byte CpuModel = 0;
Byte CpuFeatures = 0;
Byte CpuCount = 0;
HMODULE MsImg32Handle = nullptr;
TTransparentBltProc MsImg32TransparentBlt = nullptr;
TAlphaBlendProc MsImg32AlphaBlend = nullptr;

Byte CpuFeatureBits(std::uint32_t standardEdx, std::uint32_t extendedEdx) {
  struct Bit {
    std::uint32_t Edx;
    int Index;
    Byte Feature;
  };
  const Bit bits[] = {{standardEdx, 8, cfCX8},   {standardEdx, 15, cfCMOV},
                      {standardEdx, 23, cfMMX},  {extendedEdx, 22, cfMMX2},
                      {standardEdx, 25, cfSSE},  {standardEdx, 26, cfSSE2},
                      {extendedEdx, 31, cf3DNow}, {extendedEdx, 30, cf3DNow2}};
  Byte result = 0;
  for (const Bit& b : bits)
    if (b.Edx >> b.Index & 1) result |= b.Feature;
  return result;
}

HMODULE LoadSystemLibrary(const char* fileName) {
  char folder[MAX_PATH];
  UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::string path(folder, n);
  if (path.back() != '\\') path += '\\';
  path += fileName;
  // No "cannot find" box on Windows 9x when the library is missing.
  UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
  HMODULE module = LoadLibraryA(path.c_str());
  SetErrorMode(oldMode);
  return module;
}

namespace {

void ReadProcessor() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned a, b, c, d;
  // Zero when the processor has no CPUID (the EFLAGS ID bit cannot be
  // toggled); the compiler's helper tests that on 32-bit targets.
  unsigned maxStandard = __get_cpuid_max(0, nullptr);
  if (maxStandard == 0) return;
  __cpuid(0, a, b, c, d);
  char vendor[12];
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &d, 4);
  std::memcpy(vendor + 8, &c, 4);
  CpuVendor.assign(vendor, 12);
  if (maxStandard < 1) return;
  __cpuid(1, a, b, c, d);
  CpuFamily = Byte(a >> 8 & 15);
  CpuModel = Byte(a >> 4 & 15);
  std::uint32_t standardEdx = d, extendedEdx = 0;
  unsigned maxExtended = __get_cpuid_max(0x80000000u, nullptr);
  if (maxExtended > 0x80000000u) {
    __cpuid(0x80000001u, a, b, c, d);
    extendedEdx = d;
  }
  CpuFeatures = CpuFeatureBits(standardEdx, extendedEdx);
#endif
}

void InitFastDIB() {
  ReadProcessor();
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  CpuCount = Byte(info.dwNumberOfProcessors & 0xFF);
  MsImg32Handle = LoadSystemLibrary("msimg32.dll");
  if (MsImg32Handle) {
    MsImg32TransparentBlt = ProcAddress<TTransparentBltProc>(MsImg32Handle, "TransparentBlt");
    MsImg32AlphaBlend = ProcAddress<TAlphaBlendProc>(MsImg32Handle, "AlphaBlend");
  }
}

void DoneFastDIB() {
  MsImg32TransparentBlt = nullptr;
  MsImg32AlphaBlend = nullptr;
  if (MsImg32Handle) FreeLibrary(MsImg32Handle);
  MsImg32Handle = nullptr;
}

}  // namespace

const TUnitInfo FastDIBUnit{"FastDIB", &InitFastDIB, &DoneFastDIB};
