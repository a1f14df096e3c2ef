// The RAR library's published interface, as unrar.dll exports it: records,
// constants, the callback type and the eight entry points. Callers that
// bind the library at run time use the typedefs.
#pragma once

#include <cstddef>

#include "WinApi.hpp"

#define ERAR_SUCCESS 0
#define ERAR_END_ARCHIVE 10
#define ERAR_NO_MEMORY 11
#define ERAR_BAD_DATA 12
#define ERAR_BAD_ARCHIVE 13
#define ERAR_UNKNOWN_FORMAT 14
#define ERAR_EOPEN 15
#define ERAR_ECREATE 16
#define ERAR_ECLOSE 17
#define ERAR_EREAD 18
#define ERAR_EWRITE 19
#define ERAR_SMALL_BUF 20
#define ERAR_UNKNOWN 21
#define ERAR_MISSING_PASSWORD 22
#define ERAR_EREFERENCE 23
#define ERAR_BAD_PASSWORD 24

#define RAR_OM_LIST 0
#define RAR_OM_EXTRACT 1
#define RAR_OM_LIST_INCSPLIT 2

#define RAR_SKIP 0
#define RAR_TEST 1
#define RAR_EXTRACT 2

#define RAR_VOL_ASK 0
#define RAR_VOL_NOTIFY 1

#define UCM_CHANGEVOLUME 0
#define UCM_PROCESSDATA 1
#define UCM_NEEDPASSWORD 2
#define UCM_CHANGEVOLUMEW 3
#define UCM_NEEDPASSWORDW 4

// RARHeaderData(Ex)::Flags
#define RHDF_SPLITBEFORE 0x01
#define RHDF_SPLITAFTER 0x02
#define RHDF_ENCRYPTED 0x04
#define RHDF_SOLID 0x10
#define RHDF_DIRECTORY 0x20

// RAROpenArchiveDataEx::Flags
#define ROADF_VOLUME 0x0001
#define ROADF_COMMENT 0x0002
#define ROADF_LOCK 0x0004
#define ROADF_SOLID 0x0008
#define ROADF_NEWNUMBERING 0x0010
#define ROADF_RECOVERY 0x0040
#define ROADF_ENCHEADERS 0x0080
#define ROADF_FIRSTVOLUME 0x0100

#define RAR_HASH_NONE 0
#define RAR_HASH_CRC32 1

typedef int(CALLBACK* UNRARCALLBACK)(UINT msg, LPARAM UserData, LPARAM P1, LPARAM P2);

struct RAROpenArchiveData {
  char* ArcName;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

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
static_assert(sizeof(RAROpenArchiveData) == 28);
static_assert(sizeof(RAROpenArchiveDataEx) == 164);
static_assert(offsetof(RAROpenArchiveDataEx, Callback) == 36);
static_assert(offsetof(RAROpenArchiveDataEx, CmtBufW) == 48);
static_assert(offsetof(RAROpenArchiveDataEx, Reserved) == 52);
static_assert(sizeof(RARHeaderData) == 572);
static_assert(offsetof(RARHeaderData, Flags) == 520);
static_assert(sizeof(RARHeaderDataEx) == 10300);
static_assert(offsetof(RARHeaderDataEx, FileName) == 3072);
static_assert(offsetof(RARHeaderDataEx, FileNameW) == 4096);
static_assert(offsetof(RARHeaderDataEx, Flags) == 6144);
static_assert(offsetof(RARHeaderDataEx, UnpSize) == 6156);
static_assert(offsetof(RARHeaderDataEx, UnpSizeHigh) == 6160);
static_assert(offsetof(RARHeaderDataEx, AtimeHigh) == 6280);
#else
// The natural 64-bit layout: pointers take 8 bytes and are aligned to 8.
static_assert(sizeof(RAROpenArchiveData) == 40);
static_assert(sizeof(RAROpenArchiveDataEx) == 192);
static_assert(offsetof(RAROpenArchiveDataEx, Callback) == 48);
static_assert(offsetof(RAROpenArchiveDataEx, CmtBufW) == 72);
static_assert(sizeof(RARHeaderData) == 584);
static_assert(offsetof(RARHeaderData, Flags) == 520);
static_assert(sizeof(RARHeaderDataEx) == 10312);
static_assert(offsetof(RARHeaderDataEx, Flags) == 6144);
static_assert(offsetof(RARHeaderDataEx, UnpSize) == 6156);
#endif

typedef HANDLE(PASCAL* RAROpenArchiveFunc)(RAROpenArchiveData* ArchiveData);
typedef HANDLE(PASCAL* RAROpenArchiveExFunc)(RAROpenArchiveDataEx* ArchiveData);
typedef int(PASCAL* RARCloseArchiveFunc)(HANDLE hArcData);
typedef int(PASCAL* RARReadHeaderFunc)(HANDLE hArcData, RARHeaderData* HeaderData);
typedef int(PASCAL* RARReadHeaderExFunc)(HANDLE hArcData, RARHeaderDataEx* HeaderData);
typedef int(PASCAL* RARProcessFileFunc)(HANDLE hArcData, int Operation, char* DestPath, char* DestName);
typedef void(PASCAL* RARSetCallbackFunc)(HANDLE hArcData, UNRARCALLBACK Callback, LPARAM UserData);
typedef void(PASCAL* RARSetPasswordFunc)(HANDLE hArcData, char* Password);
