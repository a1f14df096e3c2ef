// The list of installed files that the install leaves in the product folder
// and the removal program reads: a plain text file, UTF-8, one name a line
// (CR LF), after a first line that says what the file is. Names are relative
// to the product folder with "\" separators; a folder's name ends with "\".
// Free of <windows.h>: the install and the removal program share it.
#pragma once

#include <string>
#include <vector>

namespace installedfiles {

// The list's file name in the product folder.
extern const char* const FileName;
// The first line of every list.
extern const char* const Header;

// A name a list may hold: relative, "\" separated, every component a real
// name (not "." or "..", nor only dots and blanks, which Windows would
// shorten to one), no drive, stream or wildcard characters, no control
// characters. A trailing "\" marks a folder.
bool IsSafeName(const std::string& name);

// The file's text for these names, in their order.
std::string Format(const std::vector<std::string>& names);

// The names of a list's text. False, with no names, when the text is not a
// list (another first line) or any line is not a safe name: a list that was
// damaged or written by someone else is not trusted in part.
bool Parse(const std::string& text, std::vector<std::string>& names);

}  // namespace installedfiles
