#include "WizardTexts.hpp"

#include "SysUtils.hpp"
#include "WizardStrings.h"

namespace {
const wchar_t SupportPlaceholder[] = L"{support}";
}

TElFString WithSupportAddress(const TElFString& text) {
  const TElFString placeholder = SupportPlaceholder;
  std::size_t at = text.find(placeholder);
  if (at == TElFString::npos) return text;
  const TElFString address = LoadWideStr(IDS_SUPPORT_EMAIL);
  TElFString out = text;
  for (; at != TElFString::npos; at = out.find(placeholder, at + address.size()))
    out.replace(at, placeholder.size(), address);
  return out;
}

TElFString LoadText(int id) { return WithSupportAddress(LoadWideStr(id)); }

TElFString FillText(const TElFString& format, std::initializer_list<TElFString> arguments) {
  TElFString out;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    const wchar_t c = format[i];
    const wchar_t kind = i + 1 < format.size() ? format[i + 1] : L'\0';
    if (c == L'%' && kind == L'%') {
      out += L'%';
      ++i;
    } else if (c == L'%' && (kind == L's' || kind == L'd') && next != arguments.end()) {
      out += *next++;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

TElFString EscapeHtmlText(const TElFString& text) {
  TElFString escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'&': escaped += L"&amp;"; break;
      case L'<': escaped += L"&lt;"; break;
      case L'>': escaped += L"&gt;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}
