// Linked only into uninstall_seamed.exe, the test build of the uninstaller:
// before the program body runs, it sets the engine's test seams from
// UNINSTALL_TEST_SEAMS ("noadmin", "noprograms", "removalwait=MS",
// comma-separated).
#include <cstdlib>
#include <string>

#include "EngineTestSeams.hpp"
#include "UninstallerMain.hpp"

namespace {

SC_HANDLE WINAPI RefuseServiceManager(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

HRESULT WINAPI NoProgramsFolder(HWND owner, int csidl, LPITEMIDLIST* list) {
  if (csidl == CSIDL_PROGRAMS || csidl == CSIDL_COMMON_PROGRAMS) {
    *list = nullptr;
    return E_FAIL;
  }
  return SHGetSpecialFolderLocation(owner, csidl, list);
}

struct SeamsFromEnvironment {
  SeamsFromEnvironment() {
    const char* value = std::getenv("UNINSTALL_TEST_SEAMS");
    const std::string seams = value ? value : "";
    if (seams.find("noadmin") != std::string::npos) EngineTestSeams::OpenSCManagerProc = &RefuseServiceManager;
    if (seams.find("noprograms") != std::string::npos)
      EngineTestSeams::GetSpecialFolderLocationProc = &NoProgramsFolder;
    const size_t wait = seams.find("removalwait=");
    if (wait != std::string::npos) RemovalTimeoutMs = std::strtoul(seams.c_str() + wait + 12, nullptr, 10);
  }
} seamsFromEnvironment;

}  // namespace
