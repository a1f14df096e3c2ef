#include "Registry.hpp"

#include <algorithm>
#include <vector>

#include "Consts.hpp"

namespace {

TRegDataType DataTypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

bool IsRelative(const std::string& key) { return key.empty() || key[0] != '\\'; }

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY key) {
  if (rootKey_ == key) return;
  CloseKey();
  rootKey_ = key;
}

HKEY TRegistry::BaseKey(bool relative) const {
  return (currentKey_ == nullptr || !relative) ? rootKey_ : currentKey_;
}

void TRegistry::ChangeKey(HKEY key, const std::string& path) {
  CloseKey();
  currentKey_ = key;
  currentPath_ = path;
}

void TRegistry::CloseKey() {
  if (!currentKey_) return;
  if (!lazyWrite_) RegFlushKey(currentKey_);
  RegCloseKey(currentKey_);
  currentKey_ = nullptr;
  currentPath_.clear();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  const bool relative = IsRelative(key);
  std::string s = relative ? key : key.substr(1);
  HKEY temp = nullptr;
  LONG rc;
  if (!canCreate || s.empty())
    rc = RegOpenKeyExA(BaseKey(relative), s.c_str(), 0, access_, &temp);
  else
    rc = RegCreateKeyExA(BaseKey(relative), s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                         &temp, nullptr);
  if (rc != ERROR_SUCCESS) return false;
  if (currentKey_ && relative) s = currentPath_ + "\\" + s;
  ChangeKey(temp, s);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  const REGSAM saved = access_;
  access_ = KEY_READ;
  if (OpenKey(key, false)) return true;
  access_ = saved;
  return false;
}

bool TRegistry::CreateKey(const std::string& key) {
  const bool relative = IsRelative(key);
  std::string s = relative ? key : key.substr(1);
  HKEY temp = nullptr;
  if (RegCreateKeyExA(BaseKey(relative), s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &temp, nullptr) != ERROR_SUCCESS)
    throw ERegistryException(Consts::RegCreateFailed, {key});
  RegCloseKey(temp);
  return true;
}

HKEY TRegistry::GetKey(const std::string& key) {
  const bool relative = IsRelative(key);
  std::string s = relative ? key : key.substr(1);
  HKEY result = nullptr;
  if (RegOpenKeyExA(BaseKey(relative), s.c_str(), 0, access_, &result) != ERROR_SUCCESS) return nullptr;
  return result;
}

bool TRegistry::DeleteKey(const std::string& key) {
  const bool relative = IsRelative(key);
  std::string s = relative ? key : key.substr(1);
  // NT refuses to delete a key that has sub-keys: empty it first, deepest
  // first, with the key as the current key for the relative names.
  HKEY doomed = GetKey(key);
  if (doomed) {
    HKEY oldKey = currentKey_;
    currentKey_ = doomed;
    TRegKeyInfo info;
    if (GetKeyInfo(info)) {
      std::vector<char> name(info.MaxSubKeyLen + 1);
      for (int i = info.NumSubKeys - 1; i >= 0; --i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(doomed, static_cast<DWORD>(i), name.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
          DeleteKey(std::string(name.data(), len));
      }
    }
    currentKey_ = oldKey;
    RegCloseKey(doomed);
  }
  return RegDeleteKeyA(BaseKey(relative), s.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
  return RegDeleteValueA(currentKey_, name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& key) {
  const REGSAM saved = access_;
  access_ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  HKEY temp = GetKey(key);
  access_ = saved;
  if (temp) RegCloseKey(temp);
  return temp != nullptr;
}

bool TRegistry::ValueExists(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TRegistry::HasSubKeys() {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info) {
  info = TRegKeyInfo();
  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
  if (RegQueryInfoKeyA(currentKey_, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values,
                       &maxValueLen, &maxDataLen, nullptr, &info.FileTime) != ERROR_SUCCESS)
    return false;
  info.NumSubKeys = static_cast<int>(subKeys);
  info.MaxSubKeyLen = static_cast<int>(maxSubKeyLen);
  info.NumValues = static_cast<int>(values);
  info.MaxValueLen = static_cast<int>(maxValueLen);
  info.MaxDataLen = static_cast<int>(maxDataLen);
  return true;
}

void TRegistry::GetKeyNames(TStrings* strings) {
  strings->Clear();
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  std::vector<char> name(info.MaxSubKeyLen + 1);
  for (int i = 0; i < info.NumSubKeys; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    if (RegEnumKeyExA(currentKey_, static_cast<DWORD>(i), name.data(), &len, nullptr, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS)
      strings->Add(std::string(name.data(), len));
  }
}

void TRegistry::GetValueNames(TStrings* strings) {
  strings->Clear();
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  std::vector<char> name(info.MaxValueLen + 1);
  for (int i = 0; i < info.NumValues; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    if (RegEnumValueA(currentKey_, static_cast<DWORD>(i), name.data(), &len, nullptr, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS)
      strings->Add(std::string(name.data(), len));
  }
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
  info = TRegDataInfo();
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  info.RegData = DataTypeOf(type);
  info.DataSize = static_cast<int>(size);
  return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetData(const std::string& name, void* buffer, int bufSize) {
  DWORD type = 0, size = static_cast<DWORD>(bufSize);
  if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    throw ERegistryException(Consts::RegGetDataFailed, {name});
  return DataTypeOf(type);
}

void TRegistry::PutData(const std::string& name, const void* buffer, int size, DWORD type) {
  if (RegSetValueExA(currentKey_, name.c_str(), 0, type, static_cast<const BYTE*>(buffer),
                     static_cast<DWORD>(size)) != ERROR_SUCCESS)
    throw ERegistryException(Consts::RegSetDataFailed, {name});
}

std::string TRegistry::ReadString(const std::string& name) {
  const int len = GetDataSize(name);
  if (len <= 0) return std::string();
  std::string result(static_cast<std::size_t>(len), '\0');
  TRegDataType type = GetData(name, result.data(), len);
  if (type != rdString && type != rdExpandString) throw ERegistryException(Consts::InvalidRegType, {name});
  // The stored size counts the terminating zero when the writer stored one;
  // the string ends at the first zero either way.
  result.resize(std::min(result.find('\0'), result.size()));
  return result;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), static_cast<int>(value.size()) + 1, REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), static_cast<int>(value.size()) + 1, REG_EXPAND_SZ);
}

int TRegistry::ReadInteger(const std::string& name) {
  std::int32_t value = 0;
  if (GetData(name, &value, sizeof(value)) != rdInteger) throw ERegistryException(Consts::InvalidRegType, {name});
  return value;
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  const std::int32_t v = value;
  PutData(name, &v, sizeof(v), REG_DWORD);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) {
  TRegDataInfo info;
  if (!GetDataInfo(name, info)) return 0;
  if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > bufSize)
    throw ERegistryException(Consts::InvalidRegType, {name});
  GetData(name, buffer, info.DataSize);
  return info.DataSize;
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize) {
  PutData(name, buffer, bufSize, REG_BINARY);
}

void TRegistry::RenameValue(const std::string& oldName, const std::string& newName) {
  if (!ValueExists(oldName) || ValueExists(newName)) return;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(currentKey_, oldName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
  std::vector<BYTE> data(size + 1);
  if (RegQueryValueExA(currentKey_, oldName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return;
  if (RegSetValueExA(currentKey_, newName.c_str(), 0, type, data.data(), size) == ERROR_SUCCESS)
    DeleteValue(oldName);
}
