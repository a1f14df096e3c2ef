// The Win32 side of form streaming: form texts from RCDATA resources and the
// conversions between the ANSI code page and UTF-16.
#include "Streaming.hpp"
#include "WinApi.hpp"

namespace streaming_detail {

WideString AnsiToWide(const AnsiString& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  WideString result(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), result.data(), n);
  return result;
}

AnsiString WideToAnsi(const WideString& s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  AnsiString result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), result.data(), n, nullptr, nullptr);
  return result;
}

WideString Utf8ToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  WideString result(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), result.data(), n);
  return result;
}

}  // namespace streaming_detail

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
