// Removal of what an install created: the Start-menu folder and desktop
// shortcut, the extracted files and folders, and the registry keys. The file
// association is never removed.
#pragma once

#include <cstdint>

#include "System.hpp"
#include "lib_Method12_ExtractRAR.hpp"

// Set by RemoveMenuFolderAndShortcuts to its mode - 102; the rollback's mode
// 255 gives RollbackRemovalMode, which lets RemoveInstallFolder remove what
// the install put into a folder that is not empty.
extern std::int32_t RemovalMode;
constexpr std::int32_t RollbackRemovalMode = 153;

// What the current install created under the target folder, filled by the
// worker and consumed by RemoveInstallFolder.
extern TCreatedPaths InstallCreatedPaths;

// Clears the read-only and system attributes of an existing file, then
// deletes it.
void DeleteFileForced(const AnsiString& path);
// Deletes every file of the folder and every sub-folder tree, except
// sub-folders whose names begin with "." and junctions or links, which are
// never entered.
void DeleteFolderContents(const AnsiString& folder);
void DeleteFolderTree(const AnsiString& folder);
// True when the folder holds nothing but "." and "..".
bool IsFolderEmpty(const AnsiString& folder);

void RemoveMenuFolderAndShortcuts(std::int32_t mode);
void RemoveInstallFolder(const AnsiString& folder);
void DeleteProductRegistryKeys();

// Unit start-up and shut-down; EngineUnits lists the units in order.
extern const TUnitInfo ui_0__DeleteUnit;
