// What uninsts.exe does: reads its quoted arguments and deletes folders,
// carefully. Kept apart from the program's entry so the tests can call it.
#pragma once

#include <string>
#include <vector>

namespace uninsts {

// Splits a command line the class library's way: blanks separate
// arguments, a double quote toggles quoting and is dropped, there are no
// backslash escapes ("C:\dir\" is C:\dir\). Element 0 is the program.
std::vector<std::string> SplitCommandLine(const char* commandLine);

enum class Removal {
  Removed,        // the folder and everything in it are gone
  NothingThere,   // there was no such folder
  RefusedRoot,    // a drive or share root, a relative path, or none at all
  RefusedMarker,  // a product folder without uninstall.exe or kv4.exe
  Failed,         // something could not be deleted
};

enum class FolderKind { Product, Plain };

// Deletes the folder and its contents. Links and junctions inside are
// deleted themselves, never followed; read-only and system attributes are
// cleared; files still in use are retried for a short while.
Removal RemoveFolder(const std::wstring& path, FolderKind kind);

// The exit code for the given results: 0 when every folder is gone.
int ExitCode(const std::vector<Removal>& results);

}  // namespace uninsts
