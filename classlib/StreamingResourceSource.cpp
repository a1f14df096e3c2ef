// Where form texts come from in a program: its RCDATA resources.
#include "Streaming.hpp"
#include "WinApi.hpp"

TFormTextSource ResourceFormSource() {
  return [](const std::string& className, std::string& text) {
    // windres stores the names of named resources in upper case; the lookup
    // is case-insensitive anyway.
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, className.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!info) return false;
    HGLOBAL handle = LoadResource(module, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (!data) return false;
    text.assign(static_cast<const char*>(data), size);
    return true;
  };
}
