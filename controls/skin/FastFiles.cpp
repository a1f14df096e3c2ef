#include "FastFiles.hpp"

#include "FastDIB.hpp"

HMODULE IjlHandle = nullptr;
bool IjlLoaded = false;
TIjlProc IjlInit = nullptr;
TIjlProc IjlFree = nullptr;
TIjlIoProc IjlRead = nullptr;
TIjlIoProc IjlWrite = nullptr;

int IjlCpuLevel(const std::string& vendor, Byte family, Byte model, Byte features) {
  int level = 0;
  if (vendor == "GenuineIntel") {
    if (family == 5) level = 1;
    else if (family == 6) level = model < 2 ? 2 : 4;
  }
  if ((features & cfMMX) && level < 3) level = 3;
  if (features & cfSSE) level = 5;
  if (features & cfSSE2) level = 6;
  return level;
}

namespace {

// Every failure is ignored: a user who may not write the machine key
// changes nothing.
void WriteCpuLevel(int level) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, IjlRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  DWORD value = static_cast<DWORD>(level);
  RegSetValueExA(key, IjlRegistryValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof(value));
  RegCloseKey(key);
}

void InitFastFiles() {
  // From the system folder only, like msimg32.dll: a setup program started
  // from a download folder must not run a library planted beside it.
  IjlHandle = LoadSystemLibrary("ijl15.dll");
  if (!IjlHandle) return;
  WriteCpuLevel(IjlCpuLevel(CpuVendor, CpuFamily, CpuModel, CpuFeatures));
  IjlLoaded = true;
  IjlInit = ProcAddress<TIjlProc>(IjlHandle, "ijlInit");
  IjlFree = ProcAddress<TIjlProc>(IjlHandle, "ijlFree");
  IjlRead = ProcAddress<TIjlIoProc>(IjlHandle, "ijlRead");
  IjlWrite = ProcAddress<TIjlIoProc>(IjlHandle, "ijlWrite");
}

void DoneFastFiles() {
  IjlInit = IjlFree = nullptr;
  IjlRead = IjlWrite = nullptr;
  IjlLoaded = false;
  if (IjlHandle) FreeLibrary(IjlHandle);
  IjlHandle = nullptr;
}

}  // namespace

const TUnitInfo FastFilesUnit{"FastFiles", &InitFastFiles, &DoneFastFiles};
