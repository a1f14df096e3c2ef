// Hooks through which the test programs stand in for what the test machine
// cannot provide: a user without administrator rights, a Start-menu folder
// that cannot be resolved. Nothing in the shipped programs sets them; while
// they are null the real system calls are made.
#pragma once

#include "WinApi.hpp"

#include <shlobj.h>

namespace EngineTestSeams {

// Replaces OpenSCManagerA in IsAdministrator.
extern SC_HANDLE(WINAPI* OpenSCManagerProc)(LPCSTR machine, LPCSTR database, DWORD access);
// Replaces SHGetSpecialFolderLocation in GetSpecialFolderPath.
extern HRESULT(WINAPI* GetSpecialFolderLocationProc)(HWND owner, int csidl, LPITEMIDLIST* list);

}  // namespace EngineTestSeams
