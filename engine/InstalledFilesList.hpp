// The list of installed files that the install leaves in the product folder
// and the removal program reads: a plain text file, UTF-8, one name a line
// (CR LF), after a first line that says what the file is. Names are relative
// to the product folder with "\" separators; a folder's name ends with "\".
// A file installed over one of the user's is listed as "name|backup": the
// user's file was renamed to the backup name, and goes back when the
// product's copy goes. "|" is never part of a name, so lists without
// backups read as they always did.
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
// shorten to one), no DOS device name ("CON", "nul.txt", "COM1"), no
// drive, stream or wildcard characters, no control characters. A trailing
// "\" marks a folder.
bool IsSafeName(const std::string& name);

// A line a list may hold: a safe name, or "name|backup" with two safe names
// of files.
bool IsSafeEntry(const std::string& line);
// Splits a line into the installed name and the backup's, which is empty
// when the line names no backup.
void SplitEntry(const std::string& line, std::string& name, std::string& backup);

// The file's text for these lines, in their order.
std::string Format(const std::vector<std::string>& names);

// The lines of a list's text. False, with no lines, when the text is not a
// list (another first line) or any line is not a safe entry: a list that was
// damaged or written by someone else is not trusted in part.
bool Parse(const std::string& text, std::vector<std::string>& names);

}  // namespace installedfiles
