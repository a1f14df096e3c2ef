#include "InstalledFilesList.hpp"

namespace installedfiles {

const char* const FileName = "uninstall.lst";
const char* const Header = "[Lumbrix 2008 installed files]";

namespace {

bool IsRealComponent(const std::string& name, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i)
    if (name[i] != '.' && name[i] != ' ') return true;
  return false;
}

// The base name (before its first dot, without trailing blanks) of a DOS
// device: "CON", "nul.txt", "COM1 .log" open the device, not a file.
bool IsDeviceName(const std::string& name, size_t begin, size_t end) {
  size_t stop = name.find('.', begin);
  if (stop == std::string::npos || stop > end) stop = end;
  while (stop > begin && name[stop - 1] == ' ') --stop;
  std::string base = name.substr(begin, stop - begin);
  for (auto& ch : base)
    if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
  const std::string number = base.substr(3);
  // The digits 1 to 9, and the superscripts one to three in UTF-8.
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

bool IsSafeName(const std::string& name) {
  if (name.empty() || name[0] == '\\') return false;
  // A trailing "\" marks a folder; the components before it are checked.
  const size_t end = name.back() == '\\' ? name.size() - 1 : name.size();
  size_t begin = 0;
  for (size_t i = 0; i <= end; ++i) {
    if (i == end || name[i] == '\\') {
      if (!IsRealComponent(name, begin, i) || IsDeviceName(name, begin, i)) return false;
      begin = i + 1;
      continue;
    }
    const unsigned char ch = static_cast<unsigned char>(name[i]);
    if (ch < 0x20 || ch == '/' || ch == ':' || ch == '*' || ch == '?' || ch == '"' || ch == '<' || ch == '>' ||
        ch == '|')
      return false;
  }
  return true;
}

void SplitEntry(const std::string& line, std::string& name, std::string& backup) {
  const size_t bar = line.find('|');
  name = line.substr(0, bar);
  backup = bar == std::string::npos ? std::string() : line.substr(bar + 1);
}

bool IsSafeEntry(const std::string& line) {
  std::string name, backup;
  SplitEntry(line, name, backup);
  if (line.find('|') == std::string::npos) return IsSafeName(name);
  return IsSafeName(name) && IsSafeName(backup) && name.back() != '\\' && backup.back() != '\\';
}

std::string Format(const std::vector<std::string>& names) {
  std::string text = std::string(Header) + "\r\n";
  for (const auto& name : names) text += name + "\r\n";
  return text;
}

bool Parse(const std::string& text, std::vector<std::string>& names) {
  names.clear();
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  if (lines.empty() || lines[0] != Header) return false;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    if (!IsSafeEntry(lines[i])) return false;
  }
  for (size_t i = 1; i < lines.size(); ++i)
    if (!lines[i].empty()) names.push_back(lines[i]);
  return true;
}

}  // namespace installedfiles
