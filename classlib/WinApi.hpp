// The one place that includes <windows.h>. The ANSI and wide Win32 functions
// are called by their explicit names (CreateFileA, SendMessageA...); the
// generic macros that clash with the class library's own names are removed.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef TextOut
#undef DrawText
#undef GetObject
#undef LoadString
#undef MessageBox
#undef GetClassName
#undef CreateWindow
#undef FindText
#undef SendMessage
#undef PostMessage
#undef LoadIcon
#undef LoadCursor
#undef LoadBitmap
#undef CreateFont
#undef GetUserName
#undef GetCommandLine
#undef FindResource
#undef CharUpper
#undef CharLower
#undef CreateDirectory
#undef RemoveDirectory
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetCharWidth
#undef RegisterClass
#undef UnregisterClass
#undef EnumFonts
#undef ShellExecute
#undef GetModuleFileName
#undef GetModuleHandle
#undef LoadLibrary
#undef GetProp
#undef SetProp
#undef RemoveProp
#undef DrawState
#undef GetTextMetrics
#undef Yield
