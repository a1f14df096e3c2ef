#include "Rar5Names.hpp"

#include <cwctype>

namespace rar5 {

namespace {

bool IsSafeComponent(const std::string& part) {
  size_t end = part.size();
  while (end > 0 && (part[end - 1] == '.' || part[end - 1] == ' ')) --end;
  return end > 0;
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  std::string part;
  for (char ch : name) {
    if (ch == '\0' || ch == ':') return false;  // drive letters and alternate streams
    if (ch == '/' || ch == '\\') {
      if (!IsSafeComponent(part)) return false;
      part.clear();
    } else {
      part += ch;
    }
  }
  return IsSafeComponent(part);
}

std::wstring NextVolumeName(const std::wstring& name) {
  std::wstring lower = name;
  for (auto& ch : lower) ch = static_cast<wchar_t>(std::towlower(ch));
  const size_t ext = lower.rfind(L".rar");
  if (ext == std::wstring::npos || ext + 4 != lower.size()) return {};
  size_t digits = ext;
  while (digits > 0 && std::iswdigit(lower[digits - 1])) --digits;
  if (digits == ext || digits < 5 || lower.compare(digits - 5, 5, L".part") != 0) return {};
  std::wstring number = name.substr(digits, ext - digits);
  int i = static_cast<int>(number.size()) - 1;
  for (; i >= 0; --i) {
    if (number[i] != L'9') {
      ++number[i];
      break;
    }
    number[i] = L'0';
  }
  if (i < 0) number.insert(number.begin(), L'1');
  return name.substr(0, digits) + number + name.substr(ext);
}

}  // namespace rar5
