// The library's message texts and the string-table ids it owns. The ids live
// in the 65400s, clear of the control library's 65283/65284; Consts.rc puts
// them into every program that links the library.
#pragma once

// String-table ids (Consts.rc).
enum : int {
  SListIndexError = 65412,    // "List index out of bounds (%d)"
  SSortedListError = 65421,   // "Operation not allowed on sorted list"
  SDuplicateString = 65434,   // "String list does not allow duplicates"
};

// Texts raised directly.
namespace Consts {
inline constexpr const char* ListIndexError = "List index out of bounds (%d)";
inline constexpr const char* ListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* ListCountError = "List count out of bounds (%d)";
inline constexpr const char* DuplicateItem = "List does not allow duplicates ($0%x)";
inline constexpr const char* SortedListError = "Operation not allowed on sorted list";
inline constexpr const char* DuplicateString = "String list does not allow duplicates";
inline constexpr const char* AssignError = "Cannot assign a %s to a %s";
inline constexpr const char* ReadError = "Stream read error";
inline constexpr const char* WriteError = "Stream write error";
inline constexpr const char* FCreateError = "Cannot create file \"%s\". %s";
inline constexpr const char* FOpenError = "Cannot open file \"%s\". %s";
inline constexpr const char* ResNotFound = "Resource %s not found";
inline constexpr const char* CantWriteResourceStream = "Can't write to a read-only resource stream";
inline constexpr const char* InvalidName = "'%s' is not a valid component name";
inline constexpr const char* DuplicateName = "A component named %s already exists";
inline constexpr const char* InvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* InvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* InvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* ArgumentMissing = "No argument for format '%s'";
inline constexpr const char* CannotCreateDir = "Unable to create directory";
inline constexpr const char* OSError = "System Error.  Code: %d.\r\n%s";
inline constexpr const char* UnkOSError = "A call to an OS function failed";
inline constexpr const char* InvalidRegType = "Invalid data type for '%s'";
inline constexpr const char* RegGetDataFailed = "Failed to get data for '%s'";
inline constexpr const char* RegSetDataFailed = "Failed to set data for '%s'";
inline constexpr const char* RegCreateFailed = "Failed to create key %s";
inline constexpr const char* OleError = "OLE error %.8X";
inline constexpr const char* OutOfResources = "Out of system resources";
}  // namespace Consts
