// The folder selection page's unit: the check of the folder the user chose
// or typed before it becomes the install's target.
#pragma once

#include "ElStrUtils.hpp"
#include "SysUtils.hpp"

// The outcome of checking a typed install folder: MessageId is 0 when the
// folder is accepted, Folder then holding it in the ANSI code page exactly as
// typed; otherwise the string-table id of the message that refuses it.
struct TTargetFolderCheck {
  int MessageId = 0;
  AnsiString Folder;
};

// Accepts an absolute folder, a drive letter with ":\" or a UNC path
// ("\\server\share..."), whose name the ANSI code page holds and whose OEM
// form names the same folder. An empty or relative entry, a device path
// ("\\?\", "\\.\") and a name that does not convert are refused.
TTargetFolderCheck CheckTargetFolder(const TElFString& typed);
