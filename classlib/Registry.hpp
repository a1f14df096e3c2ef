// Registry access the library's way: a current key under a root key, typed
// reads and writes that raise ERegistryException, and recursive key
// deletion. ANSI API throughout: names and strings are bytes of the ANSI
// code page.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.hpp"
#include "WinApi.hpp"

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegKeyInfo {
  int NumSubKeys = 0;
  int MaxSubKeyLen = 0;
  int NumValues = 0;
  int MaxValueLen = 0;
  int MaxDataLen = 0;
  FILETIME FileTime{};
};

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

class TRegistry : public TObject {
 public:
  // RootKey HKEY_CURRENT_USER, Access KEY_ALL_ACCESS, LazyWrite on.
  TRegistry();
  explicit TRegistry(REGSAM access);
  ~TRegistry() override;

  HKEY RootKey() const { return rootKey_; }
  // Closes the current key.
  void SetRootKey(HKEY key);
  HKEY CurrentKey() const { return currentKey_; }
  const std::string& CurrentPath() const { return currentPath_; }
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }
  // Off: closing a key flushes it to disk first.
  bool LazyWrite() const { return lazyWrite_; }
  void SetLazyWrite(bool lazy) { lazyWrite_ = lazy; }

  // Opens the key and makes it current: from the root key when it starts
  // with "\", else relative to the current key (the root when none). With
  // canCreate, missing keys are created. False on failure.
  bool OpenKey(const std::string& key, bool canCreate);
  // Opens with KEY_READ, which becomes the access.
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  // Creates the key without opening it; raises "Failed to create key %s".
  bool CreateKey(const std::string& key);
  // Deletes the key with all its sub-keys; false when it is missing or
  // cannot be deleted.
  bool DeleteKey(const std::string& key);
  bool DeleteValue(const std::string& name);
  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  bool HasSubKeys();
  bool GetKeyInfo(TRegKeyInfo& info);
  void GetKeyNames(TStrings* strings);
  void GetValueNames(TStrings* strings);
  bool GetDataInfo(const std::string& name, TRegDataInfo& info);
  TRegDataType GetDataType(const std::string& name);
  // -1 when the value is missing.
  int GetDataSize(const std::string& name);
  // Copies the value under the new name and deletes the old one, unless the
  // old one is missing or the new one exists.
  void RenameValue(const std::string& oldName, const std::string& newName);

  // Missing or empty value → ""; a value of another type raises "Invalid
  // data type for '%s'".
  std::string ReadString(const std::string& name);
  // REG_SZ; raises "Failed to set data for '%s'".
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  // A missing value raises "Failed to get data for '%s'", another type
  // "Invalid data type for '%s'".
  int ReadInteger(const std::string& name);
  void WriteInteger(const std::string& name, int value);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  // Reads a binary (or untyped) value into the buffer and returns its size;
  // 0 when missing; raises "Invalid data type for '%s'" for another type or
  // a value larger than the buffer.
  int ReadBinaryData(const std::string& name, void* buffer, int bufSize);
  void WriteBinaryData(const std::string& name, const void* buffer, int bufSize);

 private:
  HKEY BaseKey(bool relative) const;
  // Opens a key (relative or from the root) with the current access; null on failure.
  HKEY GetKey(const std::string& key);
  void ChangeKey(HKEY key, const std::string& path);
  void PutData(const std::string& name, const void* buffer, int size, DWORD type);
  // Returns the value's type; raises "Failed to get data for '%s'".
  TRegDataType GetData(const std::string& name, void* buffer, int bufSize);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY currentKey_ = nullptr;
  std::string currentPath_;
  REGSAM access_ = KEY_ALL_ACCESS;
  bool lazyWrite_ = true;
};
