// The OS queries and the document opener.
#include <gtest/gtest.h>

#include <vector>

#include "EngineTestSeams.hpp"
#include "EngineTestSupport.hpp"
#include "SysUtils.hpp"
#include "lib_ShellExecute.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"

using namespace enginetest;

TEST(WindowsOS, VersionRecordHoldsTheSystemsOwnAnswer) {
  OSVERSIONINFOA system;
  ZeroMemory(&system, sizeof(system));
  system.dwOSVersionInfoSize = sizeof(system);
  ASSERT_TRUE(GetVersionExA(&system));
  EXPECT_EQ(OSVersionInfo.dwOSVersionInfoSize, 148u);
  EXPECT_EQ(OSVersionInfo.dwMajorVersion, system.dwMajorVersion);
  EXPECT_EQ(OSVersionInfo.dwMinorVersion, system.dwMinorVersion);
  EXPECT_EQ(OSVersionInfo.dwBuildNumber, system.dwBuildNumber);
  EXPECT_EQ(OSVersionInfo.dwPlatformId, system.dwPlatformId);
  EXPECT_STREQ(OSVersionInfo.szCSDVersion, system.szCSDVersion);
  EXPECT_EQ(IsWin9x(), system.dwPlatformId < VER_PLATFORM_WIN32_NT);
}

TEST(WindowsOS, AdministratorIsWhoOpensTheServiceManagerWithFullAccess) {
  EXPECT_TRUE(IsAdministrator());
  static DWORD askedAccess = 0;
  EngineTestSeams::OpenSCManagerProc = [](LPCSTR machine, LPCSTR database, DWORD access) WINAPI -> SC_HANDLE {
    askedAccess = access;
    EXPECT_EQ(machine, nullptr);
    EXPECT_EQ(database, nullptr);
    return nullptr;
  };
  bool refused = IsAdministrator();
  EngineTestSeams::OpenSCManagerProc = nullptr;
  EXPECT_FALSE(refused);
  EXPECT_EQ(askedAccess, 0xE0000000u);
}

namespace {

// The handles this process holds, from the system's handle table (the
// handle count of GetProcessHandleCount is not kept by every system).
int OwnHandleCount() {
  struct TEntry {
    ULONG OwnerPid;
    BYTE ObjectType;
    BYTE Flags;
    USHORT Value;
    PVOID Object;
    ULONG Access;
  };
  using TQuery = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<TQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  LONG status;
  while ((status = query(16, buffer.data(), ULONG(buffer.size()), &needed)) == LONG(0xC0000004))
    buffer.resize(buffer.size() * 2);
  if (status != 0) return -1;
  ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
  auto entries = reinterpret_cast<TEntry*>(buffer.data() + sizeof(void*));
  int own = 0;
  for (ULONG i = 0; i < count; ++i)
    if (entries[i].OwnerPid == GetCurrentProcessId()) ++own;
  return own;
}

}  // namespace

TEST(ShellOpen, ClosesTheProcessHandleItAsksFor) {
  // Every ShellOpen of a program leaves the handle count where it was.
  ShellOpen(WindowsFolder + "\\system32\\cmd.exe", "/c exit 0");
  Sleep(300);
  int before = OwnHandleCount();
  if (before <= 0) GTEST_SKIP() << "this system does not list handles";
  for (int i = 0; i < 5; ++i) ShellOpen(WindowsFolder + "\\system32\\cmd.exe", "/c exit 0");
  Sleep(500);
  int after = OwnHandleCount();
  EXPECT_LT(after, before + 3) << before << " -> " << after;
}

TEST(ShellOpen, OpensADocumentWithItsParameters) {
  TScratchFolder scratch("open");
  // cmd writes the file named in its parameters, which shows the program
  // was started with them.
  AnsiString marker = scratch / "opened.txt";
  ShellOpen(WindowsFolder + "\\system32\\cmd.exe", "/c echo opened>\"" + marker + "\"");
  EXPECT_TRUE(WaitForFile(marker, 60000));
}
