// The system's folders, the path helper, the shortcut writer and the shell
// item-ID-list helpers of the folder tree.
#pragma once

#include "System.hpp"
#include "WinApi.hpp"

#include <shlobj.h>

// Folder globals, set once by the unit's start-up in this order, because each
// query reads the globals set before it (see lib_WindowsFileSystem_Initialize).
extern AnsiString WindowsFolder;
extern AnsiString SystemDrivePath;     // "C:" form, no backslash
extern AnsiString ProgramFilesFolder;
extern AnsiString DesktopFolder;
extern AnsiString PersonalFolder;

// The path + "\" unless it already ends in "\"; an empty path stays empty, so
// that appending a name to it gives the bare name.
AnsiString AddTrailingBackslash(const AnsiString& path);

// Folder queries. They never raise: a failing call gives an empty string or
// the fallback of each query.
AnsiString GetSpecialFolderPath(int csidl);
AnsiString GetDesktopFolderPath();
AnsiString GetPersonalFolderPath();
AnsiString GetWindowsPath();
AnsiString GetEnvironmentValue(const AnsiString& name);
AnsiString GetSystemDrive();
AnsiString GetProgramFilesPath();

// Writes a shell link. Raises the library's OLE exception when the shell-link
// object or one of its interfaces is not available, or the link file cannot
// be saved.
void CreateShortcut(const AnsiString& target, const AnsiString& linkFile,
                    const AnsiString& description, const AnsiString& arguments,
                    const AnsiString& iconFile);

// Item-ID-list helpers. Lists they create come from the shell allocator.
LPITEMIDLIST AllocZeroedPidl(UINT size);
LPITEMIDLIST NextPidlItem(LPCITEMIDLIST item);
UINT PidlSize(LPCITEMIDLIST list);
LPITEMIDLIST LastPidlItem(LPCITEMIDLIST list);
LPITEMIDLIST ConcatPidls(LPCITEMIDLIST first, LPCITEMIDLIST second);
AnsiString GetItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, bool forParsing);
bool IsFileSystemItem(IShellFolder* folder, LPCITEMIDLIST item);
bool HasSubFolders(IShellFolder* folder, LPCITEMIDLIST item);

// Unit start-up and shut-down; EngineUnits lists the units in order.
extern const TUnitInfo lib_WindowsFileSystemUnit;
