#include "lib_ShellExecute.hpp"

#include "WinApi.hpp"

#include <shellapi.h>

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA is 60 bytes on 32-bit Windows");
#endif

void ShellOpen(const AnsiString& file, const AnsiString& parameters) {
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = nullptr;
  info.lpVerb = "open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = "";
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExA(&info);
  // The handle was asked for but is never waited on; keeping it would leak
  // one process object per call.
  if (info.hProcess) CloseHandle(info.hProcess);
}
