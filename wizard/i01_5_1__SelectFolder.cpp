#include "i01_5_1__SelectFolder.hpp"

#include <windows.h>

#include "WizardStrings.h"
#include "i01_0_2__InstallData.hpp"

namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:\..." or "\\server\share..." with a server and a share name; the
// device namespaces "\\?\" and "\\.\" are not folders to install into.
bool IsAbsoluteFolder(const TElFString& s) {
  if (s.size() >= 3 && IsLetter(s[0]) && s[1] == L':' && s[2] == L'\\') return true;
  if (s.size() < 2 || s[0] != L'\\' || s[1] != L'\\') return false;
  const size_t serverEnd = s.find(L'\\', 2);
  if (serverEnd == TElFString::npos || serverEnd == 2) return false;
  const TElFString server = s.substr(2, serverEnd - 2);
  if (server == L"?" || server == L".") return false;
  const size_t shareEnd = s.find(L'\\', serverEnd + 1);
  const size_t shareLength = (shareEnd == TElFString::npos ? s.size() : shareEnd) - serverEnd - 1;
  return shareLength > 0;
}

// The text in the ANSI code page, or false when a character has no exact
// form there (no best-fit look-alikes, no default character).
bool ToAnsiExactly(const TElFString& s, AnsiString& out) {
  if (s.find(L'\0') != TElFString::npos) return false;
  const int length = static_cast<int>(s.size());
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), length, nullptr, 0, nullptr,
                                       &usedDefault);
  if (size <= 0 || usedDefault) return false;
  out.assign(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), length, out.data(), size, nullptr, &usedDefault);
  if (usedDefault) return false;
  const int back = MultiByteToWideChar(CP_ACP, 0, out.data(), size, nullptr, 0);
  TElFString wide(static_cast<size_t>(back), L'\0');
  MultiByteToWideChar(CP_ACP, 0, out.data(), size, wide.data(), back);
  return wide == s;
}

}  // namespace

TTargetFolderCheck CheckTargetFolder(const TElFString& typed) {
  TTargetFolderCheck result;
  if (!IsAbsoluteFolder(typed)) {
    result.MessageId = IDS_TARGET_NOT_ABSOLUTE;
    return result;
  }
  AnsiString folder;
  if (!ToAnsiExactly(typed, folder) || !TargetFolderFitsOemCodePage(folder)) {
    result.MessageId = IDS_TARGET_NAME_UNSUPPORTED;
    return result;
  }
  result.Folder = folder;
  return result;
}
