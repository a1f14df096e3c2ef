#include "UninstallRoutines.hpp"

#include <algorithm>
#include <cstring>

#include "ProductPaths.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"
#include "ui_0__Delete.hpp"

void CopyFileChecked(const AnsiString& source, const AnsiString& destination) {
  if (!FileExists(source)) return;
  if (!CopyFileA(source.c_str(), destination.c_str(), FALSE))
    throw EStreamError("Cannot copy file " + source);
  DWORD attributes = GetFileAttributesA(destination.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(destination.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
}

void RemoveProductShortcuts() {
  const AnsiString menu = MenuProductFolder();
  if (!menu.empty())
    for (const AnsiString& name : MenuShortcutNames()) DeleteFileForced(menu + name);
  const AnsiString desktopLink = DesktopShortcutPath();
  if (!desktopLink.empty() && FileExists(desktopLink)) DeleteFileForced(desktopLink);
}

namespace {

// The named entities of the texts' markup, as UTF-16 code units.
struct TEntity {
  const char* Name;
  wchar_t Character;
};
const TEntity Entities[] = {{"nbsp", 0x00A0}, {"amp", L'&'},    {"quot", L'"'},   {"gt", L'>'},
                            {"lt", L'<'},     {"euro", 0x20AC}, {"sect", 0x00A7}, {"reg", 0x00AE},
                            {"copy", 0x00A9}, {"para", 0x00B6}, {"trade", 0x2122}};

// The character of "&name;" or "&#number;" starting at text[at], and the
// length it takes; 0 when it is not one, and the "&" then stays as it is.
size_t Entity(const WideString& text, size_t at, wchar_t& character) {
  const size_t end = text.find(L';', at);
  if (end == WideString::npos || end - at > 10) return 0;
  const WideString name = text.substr(at + 1, end - at - 1);
  if (name.size() > 1 && name[0] == L'#') {
    unsigned long code = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (name[i] < L'0' || name[i] > L'9') return 0;
      code = code * 10 + (name[i] - L'0');
      if (code > 0xFFFF) return 0;
    }
    character = wchar_t(code);
    return end - at + 1;
  }
  for (const TEntity& entity : Entities) {
    if (name.size() == std::strlen(entity.Name) && std::equal(name.begin(), name.end(), entity.Name)) {
      character = entity.Character;
      return end - at + 1;
    }
  }
  return 0;
}

// The tag's name in lower case: "br" for "<br>", "<BR/>" and "<br clear=all>";
// empty for a closing tag, which breaks no line.
WideString TagName(const WideString& tag) {
  WideString name;
  if (!tag.empty() && tag[0] == L'/') return name;
  for (wchar_t ch : tag) {
    if (ch == L' ' || ch == L'/' || ch == L'\t') break;
    name += (ch >= L'A' && ch <= L'Z') ? wchar_t(ch - L'A' + L'a') : ch;
  }
  return name;
}

}  // namespace

AnsiString PlainMessageText(const AnsiString& html) {
  // Worked on in UTF-16, so that an entity for a character outside the
  // code page becomes what the code page makes of it, once.
  const WideString text = AnsiToWide(html);
  WideString plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'<') {
      const size_t close = text.find(L'>', i);
      if (close == WideString::npos) break;  // an unfinished tag shows nothing
      const WideString name = TagName(text.substr(i + 1, close - i - 1));
      if (name == L"br") plain += L"\n";
      if (name == L"p" && !plain.empty()) plain += L"\n\n";
      i = close;
    } else if (text[i] == L'&') {
      wchar_t character = 0;
      const size_t length = Entity(text, i, character);
      plain += length ? character : L'&';
      if (length) i += length - 1;
    } else {
      plain += text[i];
    }
  }
  return WideToAnsi(plain);
}
