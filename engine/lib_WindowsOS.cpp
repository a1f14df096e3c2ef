#include "lib_WindowsOS.hpp"

#include "EngineTestSeams.hpp"

OSVERSIONINFOA OSVersionInfo;

namespace EngineTestSeams {
SC_HANDLE(WINAPI* OpenSCManagerProc)(LPCSTR, LPCSTR, DWORD) = nullptr;
}

// The record's size field is the size of the plain record, which is what
// every Windows version accepts.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

static void lib_WindowsOS_Initialize() {
  ZeroMemory(&OSVersionInfo, sizeof(OSVersionInfo));
  OSVersionInfo.dwOSVersionInfoSize = sizeof(OSVersionInfo);
  GetVersionExA(&OSVersionInfo);
}

static void lib_WindowsOS_Finalize() {}

bool IsWin9x() { return OSVersionInfo.dwPlatformId < VER_PLATFORM_WIN32_NT; }

bool IsAdministrator() {
  if (IsWin9x()) return true;
  auto open = EngineTestSeams::OpenSCManagerProc ? EngineTestSeams::OpenSCManagerProc : &OpenSCManagerA;
  SC_HANDLE manager = open(nullptr, nullptr, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
  if (!manager) return false;
  CloseServiceHandle(manager);
  return true;
}

const TUnitInfo lib_WindowsOSUnit = {"lib_WindowsOS", &lib_WindowsOS_Initialize, &lib_WindowsOS_Finalize};
