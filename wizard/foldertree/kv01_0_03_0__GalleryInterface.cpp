#include "kv01_0_03_0__GalleryInterface.hpp"

const char* const GalleryRegistryKey = "\\Software\\Kestrum\\Lumbrix 2008\\Gallery";

static AnsiString NoStoragePath() { return "\xFD\xF2\xEE \xEF\xF0\xEE\xF1\xF2\xEE \xE7\xE0\xE3\xEB\xF3\xF8\xEA\xE0"; }

TStoragePathProvider StoragePathProvider = &NoStoragePath;

AnsiString StoragePath() { return StoragePathProvider ? StoragePathProvider() : AnsiString(); }
