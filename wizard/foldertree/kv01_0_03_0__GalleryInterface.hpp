// Where the folder-tree kit keeps its choices and where its storage lies.
#pragma once

#include "System.hpp"

// Under HKEY_CURRENT_USER.
extern const char* const GalleryRegistryKey;

// The storage folder's path; the provider gives a text no real folder has,
// so that the storage root never shows.
using TStoragePathProvider = AnsiString (*)();
extern TStoragePathProvider StoragePathProvider;
AnsiString StoragePath();
