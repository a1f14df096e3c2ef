#include "UnRAR.hpp"

#include "SysUtils.hpp"

HMODULE UnRarHandle = nullptr;
bool UnRarLoaded = false;
TRAROpenArchive RAROpenArchive = nullptr;
TRAROpenArchiveEx RAROpenArchiveEx = nullptr;
TRARCloseArchive RARCloseArchive = nullptr;
TRARReadHeader RARReadHeader = nullptr;
TRARReadHeaderEx RARReadHeaderEx = nullptr;
TRARProcessFile RARProcessFile = nullptr;
TRARSetCallback RARSetCallback = nullptr;
TRARSetPassword RARSetPassword = nullptr;

namespace {

template <class F>
bool Bind(HMODULE module, const char* name, F& entry) {
  entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return entry != nullptr;
}

void ClearEntryPoints() {
  RAROpenArchive = nullptr;
  RAROpenArchiveEx = nullptr;
  RARCloseArchive = nullptr;
  RARReadHeader = nullptr;
  RARReadHeaderEx = nullptr;
  RARProcessFile = nullptr;
  RARSetCallback = nullptr;
  RARSetPassword = nullptr;
}

}  // namespace

void LoadUnRarLibrary(const AnsiString& path) {
  if (UnRarLoaded || !FileExists(path)) return;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return;
  // Every entry point is called without a further test, so a library that
  // lacks one is not usable at all.
  bool complete = Bind(module, "RAROpenArchive", RAROpenArchive);
  complete = Bind(module, "RAROpenArchiveEx", RAROpenArchiveEx) && complete;
  complete = Bind(module, "RARCloseArchive", RARCloseArchive) && complete;
  complete = Bind(module, "RARReadHeader", RARReadHeader) && complete;
  complete = Bind(module, "RARReadHeaderEx", RARReadHeaderEx) && complete;
  complete = Bind(module, "RARProcessFile", RARProcessFile) && complete;
  complete = Bind(module, "RARSetCallback", RARSetCallback) && complete;
  complete = Bind(module, "RARSetPassword", RARSetPassword) && complete;
  if (!complete) {
    ClearEntryPoints();
    FreeLibrary(module);
    return;
  }
  UnRarHandle = module;
  UnRarLoaded = true;
}
