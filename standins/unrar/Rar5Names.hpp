// Names inside and around an archive: which entry names are safe to create
// under a destination folder, and how volume names follow one another.
#pragma once

#include <string>

namespace rar5 {

// False for names that could reach outside the destination or that the
// file system would read differently: empty, absolute, with a drive or
// stream colon, or with a component that is empty, "." or ".." once the
// trailing dots and blanks Windows drops are dropped.
bool IsSafeEntryName(const std::string& utf8Name);

// "name.part1.rar" -> "name.part2.rar", keeping the number's width where it
// has leading zeros ("part09" -> "part10"). Empty when the name is not a
// numbered volume name.
std::wstring NextVolumeName(const std::wstring& name);

}  // namespace rar5
