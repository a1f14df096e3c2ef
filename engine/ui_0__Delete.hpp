// Removal of what an install created: the Start-menu shortcuts and folder,
// the desktop shortcut, the extracted files and folders, and the registry
// keys. The file association is never removed, and nothing that was there
// before the install is.
#pragma once

#include <cstdint>
#include <vector>

#include "System.hpp"
#include "WinApi.hpp"

// Set by RemoveMenuFolderAndShortcuts to its mode - 102 (153 for the
// rollback's 255). Kept for callers that read it; no removal depends on it.
extern std::int32_t RemovalMode;

// Clears the read-only and system attributes of an existing file, then
// deletes it.
void DeleteFileForced(const AnsiString& path);
// The same for a file whose attributes were just read: they are not read
// again, and set only when one of the two is on.
void DeleteFileForced(const AnsiString& path, DWORD attributes);
// Deletes every file of the folder and every sub-folder tree, except
// sub-folders whose names begin with "." and junctions or links, which are
// never entered.
void DeleteFolderContents(const AnsiString& folder);
void DeleteFolderTree(const AnsiString& folder);
// True when the folder holds nothing but "." and "..".
bool IsFolderEmpty(const AnsiString& folder);

// Deletes the product's Start-menu shortcuts and then its Start-menu folder
// and the maker's, each only when empty; deletes the desktop shortcut
// whether or not the programs folder is known.
void RemoveMenuFolderAndShortcuts(std::int32_t mode);
// Deletes what the install created (InstallThread::CreatedPaths) that lies
// in the target folder, is the folder itself or one of its parents: newest
// first, a folder only when it is empty by then. Files and folders that
// were there before stay, and so do the folders that hold them; a file the
// install moved aside ("path|backup") is renamed back.
void RemoveInstallFolder(const AnsiString& folder, const std::vector<AnsiString>& createdPaths);
void DeleteProductRegistryKeys();

// Unit start-up and shut-down; EngineUnits lists the units in order.
extern const TUnitInfo ui_0__DeleteUnit;
