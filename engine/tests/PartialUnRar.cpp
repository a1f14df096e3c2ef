// A library that offers only some of the RAR library's entry points, for the
// test that such a library is not bound.
#include "WinApi.hpp"

extern "C" {
__declspec(dllexport) HANDLE WINAPI RAROpenArchiveEx(void*) { return nullptr; }
__declspec(dllexport) int WINAPI RARCloseArchive(HANDLE) { return 0; }
__declspec(dllexport) int WINAPI RARReadHeader(HANDLE, void*) { return 10; }
__declspec(dllexport) int WINAPI RARReadHeaderEx(HANDLE, void*) { return 10; }
__declspec(dllexport) int WINAPI RARProcessFile(HANDLE, int, char*, char*) { return 0; }
__declspec(dllexport) void WINAPI RARSetCallback(HANDLE, void*, LPARAM) {}
// RAROpenArchive and RARSetPassword are missing on purpose.
}
