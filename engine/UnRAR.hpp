// Run-time binding of the RAR extraction library "unrar.dll" and the records
// and codes of its published interface.
#pragma once

#include <cstddef>

#include "System.hpp"
#include "WinApi.hpp"

// Result codes of the library, and the engine's own code for an unbound one.
enum : int {
  ERAR_SUCCESS = 0,
  ERAR_END_ARCHIVE = 10,
  ERAR_NO_MEMORY = 11,
  ERAR_BAD_DATA = 12,
  ERAR_BAD_ARCHIVE = 13,
  ERAR_UNKNOWN_FORMAT = 14,
  ERAR_EOPEN = 15,
  ERAR_ECREATE = 16,
  ERAR_ECLOSE = 17,
  ERAR_EREAD = 18,
  ERAR_EWRITE = 19,
  ERAR_SMALL_BUF = 20,
  ERAR_UNKNOWN = 21,
  ERAR_MISSING_PASSWORD = 22,
  ERAR_EREFERENCE = 23,
  ERAR_BAD_PASSWORD = 24,
  RarNotLoaded = 100,
};

enum : int { RAR_OM_LIST = 0, RAR_OM_EXTRACT = 1 };
enum : int { RAR_SKIP = 0, RAR_TEST = 1, RAR_EXTRACT = 2 };
enum : UINT { UCM_CHANGEVOLUME = 0, UCM_PROCESSDATA = 1, UCM_NEEDPASSWORD = 2 };
// RARHeaderData.Flags: the entry is a folder.
enum : unsigned { RHDF_DIRECTORY = 0x20 };

typedef int(CALLBACK* UNRARCALLBACK)(UINT msg, LPARAM userData, LPARAM p1, LPARAM p2);

struct RAROpenArchiveDataEx {
  char* ArcName;
  wchar_t* ArcNameW;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int Flags;
  UNRARCALLBACK Callback;
  LPARAM UserData;
  unsigned int OpFlags;
  wchar_t* CmtBufW;
  unsigned int Reserved[28];
};

struct RARHeaderData {
  char ArcName[260];
  char FileName[260];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int UnpSize;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

struct RARHeaderDataEx {
  char ArcName[1024];
  wchar_t ArcNameW[1024];
  char FileName[1024];
  wchar_t FileNameW[1024];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int PackSizeHigh;
  unsigned int UnpSize;
  unsigned int UnpSizeHigh;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int DictSize;
  unsigned int HashType;
  char Hash[32];
  unsigned int RedirType;
  wchar_t* RedirName;
  unsigned int RedirNameSize;
  unsigned int DirTarget;
  unsigned int MtimeLow;
  unsigned int MtimeHigh;
  unsigned int CtimeLow;
  unsigned int CtimeHigh;
  unsigned int AtimeLow;
  unsigned int AtimeHigh;
  unsigned int Reserved[1004];
};

#ifndef _WIN64
static_assert(sizeof(RAROpenArchiveDataEx) == 164, "RAROpenArchiveDataEx is 164 bytes");
static_assert(sizeof(RARHeaderData) == 572, "RARHeaderData is 572 bytes");
static_assert(sizeof(RARHeaderDataEx) == 10300, "RARHeaderDataEx is 10300 bytes");
static_assert(offsetof(RARHeaderDataEx, UnpSize) == 6156, "UnpSize sits at 6156");
#else
// The natural 64-bit layout: pointers take 8 bytes and are aligned to 8.
static_assert(sizeof(RAROpenArchiveDataEx) == 192, "RAROpenArchiveDataEx is 192 bytes on x64");
static_assert(offsetof(RAROpenArchiveDataEx, OpenResult) == 20, "OpenResult follows the two names");
static_assert(sizeof(RARHeaderData) == 584, "RARHeaderData is 584 bytes on x64");
static_assert(sizeof(RARHeaderDataEx) == 10312, "RARHeaderDataEx is 10312 bytes on x64");
static_assert(offsetof(RARHeaderDataEx, UnpSize) == 6156, "UnpSize sits at 6156");
#endif
static_assert(offsetof(RARHeaderData, FileName) == 260, "FileName follows ArcName");

// The library's entry points, all stdcall.
using TRAROpenArchive = HANDLE(WINAPI*)(void* archiveData);
using TRAROpenArchiveEx = HANDLE(WINAPI*)(RAROpenArchiveDataEx* archiveData);
using TRARCloseArchive = int(WINAPI*)(HANDLE archive);
using TRARReadHeader = int(WINAPI*)(HANDLE archive, RARHeaderData* headerData);
using TRARReadHeaderEx = int(WINAPI*)(HANDLE archive, RARHeaderDataEx* headerData);
using TRARProcessFile = int(WINAPI*)(HANDLE archive, int operation, char* destPath, char* destName);
using TRARSetCallback = void(WINAPI*)(HANDLE archive, UNRARCALLBACK callback, LPARAM userData);
using TRARSetPassword = void(WINAPI*)(HANDLE archive, char* password);

extern HMODULE UnRarHandle;
extern bool UnRarLoaded;
extern TRAROpenArchive RAROpenArchive;
extern TRAROpenArchiveEx RAROpenArchiveEx;
extern TRARCloseArchive RARCloseArchive;
extern TRARReadHeader RARReadHeader;
extern TRARReadHeaderEx RARReadHeaderEx;
extern TRARProcessFile RARProcessFile;
extern TRARSetCallback RARSetCallback;
extern TRARSetPassword RARSetPassword;

// Binds the library once, from the given path. A library that lacks any of
// the eight entry points is released again and counts as not loaded.
void LoadUnRarLibrary(const AnsiString& path);
