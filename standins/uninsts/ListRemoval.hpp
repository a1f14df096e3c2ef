// What uninsts.exe does: reads its quoted arguments and deletes exactly what
// the product folder's list of installed files names. Kept apart from the
// program's entry so the tests can call it.
#pragma once

#include <string>
#include <vector>

namespace uninsts {

// Splits a command line the class library's way: blanks separate
// arguments, a double quote toggles quoting and is dropped, there are no
// backslash escapes ("C:\dir\" is C:\dir\). Element 0 is the program.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// The result, which is also the program's exit code.
enum class Outcome {
  Removed = 0,       // every listed file is gone; folders still holding anything stay
  Incomplete = 1,    // a listed entry could not be deleted or reached safely; the list, uninstall.exe
                     // and uninsts.exe stay for another try
  BadArguments = 2,  // no product folder, or a relative path or a root in the arguments
  NoList = 3,        // no readable list of installed files: nothing was removed
};

// Deletes the files the list in the product folder names, then the listed
// folders that are left empty (deepest first), then uninstall.exe,
// uninsts.exe and the list, and the product folder and the Start-menu
// folder (when one is given) if they are empty. Nothing the list does not
// name is ever deleted: files the user put there, under any name, stay,
// with the folders that hold them. Each folder is held open, without
// delete sharing, while its entries go; a link or junction is never
// entered nor deleted, and an entry that is not where its name puts it is
// left (the entries under such a folder count as not removed). Only an
// entry that is not there counts as gone. Read-only, hidden and system
// attributes of listed entries are cleared; files in use for a moment are
// retried. A file listed as "name|backup" was the user's before the install
// moved it aside beside the name: it is renamed back once the product's
// copy has gone.
Outcome RemoveProduct(const std::wstring& productFolder, const std::wstring& menuFolder);

}  // namespace uninsts
