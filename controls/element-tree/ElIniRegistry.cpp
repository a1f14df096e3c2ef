// The registry mode of the ini storage: keys are registry keys under Path,
// always separated by backslashes.
#include "ElIni.hpp"
#include "Registry.hpp"
#include "SysUtils.hpp"

namespace {

struct RootKeyName {
  TRegRootType type;
  HKEY key;
};

const RootKeyName kRootKeys[] = {
    {rrtHKEY_CLASSES_ROOT, HKEY_CLASSES_ROOT}, {rrtHKEY_CURRENT_USER, HKEY_CURRENT_USER},
    {rrtHKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE}, {rrtHKEY_USERS, HKEY_USERS},
    {rrtHKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG},
};

HKEY RootKeyOf(TRegRootType type) {
  for (const RootKeyName& r : kRootKeys)
    if (r.type == type) return r.key;
  return nullptr;
}

void DropTrailingBackslashes(AnsiString& s) {
  while (s.size() > 1 && s.back() == '\\') s.pop_back();
}

}  // namespace

void TElIniFile::RegistryError(const char* message) { throw EElIniError(message); }

AnsiString TElIniFile::NormalizeRegistryPath(const AnsiString& path) {
  AnsiString p = path;
  if (!p.empty() && p.back() == '\\') p.pop_back();
  if (p.empty()) return "\\";
  if (p[0] != '\\') p.insert(0, 1, '\\');
  return p;
}

TRegRootType TElIniFile::RegRoot() const {
  for (const RootKeyName& r : kRootKeys)
    if (r.key == regRoot_) return r.type;
  return rrtHKEY_CURRENT_USER;
}

void TElIniFile::SetRegRoot(TRegRootType value) {
  HKEY key = RootKeyOf(value);
  if (!key || key == regRoot_) return;
  regRoot_ = key;
  if (!registry_) return;
  registry_->SetRootKey(key);
  ReopenRegistryKey(registryKey_);
}

void TElIniFile::SetUseRegistry(bool value) {
  if (value == (registry_ != nullptr)) return;
  if (!value) {
    registry_.reset();
    return;
  }
  if (!regRoot_) regRoot_ = HKEY_CURRENT_USER;
  registry_ = std::make_unique<TRegistry>();
  registry_->SetRootKey(regRoot_);
  registry_->SetLazyWrite(lazyWrite_);
  path_ = NormalizeRegistryPath(path_.empty() ? AnsiString("\\SOFTWARE") : path_);
  // The file mode's current key carries over (with backslashes).
  AnsiString key = PathOf(current_, true);
  if (delimiter_ != '\\')
    for (char& c : key)
      if (c == delimiter_) c = '\\';
  delimiter_ = '\\';
  registryKey_ = "\\";
  if (!OpenRegistryKey(key, true)) ReopenRegistryKey("\\");
}

AnsiString TElIniFile::RegistryAbsoluteKey(const AnsiString& key) const {
  AnsiString abs;
  if (!key.empty() && key[0] == '\\')
    abs = key;
  else if (registryKey_ == "\\")
    abs = "\\" + key;
  else
    abs = registryKey_ + "\\" + key;
  DropTrailingBackslashes(abs);
  return abs;
}

AnsiString TElIniFile::RegistryFullKey(const AnsiString& absoluteKey) const {
  if (path_ == "\\") return absoluteKey;
  return absoluteKey == "\\" ? path_ : path_ + absoluteKey;
}

void TElIniFile::TakeRegistryPath() {
  // The registry object's path has no leading backslash; ours is relative
  // to Path.
  AnsiString full = "\\" + registry_->CurrentPath();
  AnsiString rest = full;
  if (path_ != "\\" && full.size() >= path_.size() && AnsiSameText(full.substr(0, path_.size()), path_))
    rest = full.substr(path_.size());
  registryKey_ = rest.empty() ? AnsiString("\\") : rest;
}

bool TElIniFile::OpenRegistryKey(const AnsiString& key, bool canCreate) {
  const AnsiString previous = registryKey_;
  const AnsiString abs = RegistryAbsoluteKey(key);
  registry_->CloseKey();
  if (registry_->OpenKey(RegistryFullKey(abs), canCreate)) {
    TakeRegistryPath();
    return true;
  }
  ReopenRegistryKey(previous);
  return false;
}

void TElIniFile::ReopenRegistryKey(const AnsiString& absoluteKey) {
  // A key that is gone is never made again: its nearest existing ancestor
  // becomes current, and the storage's root is created when it is missing.
  AnsiString key = absoluteKey.empty() ? AnsiString("\\") : absoluteKey;
  registry_->CloseKey();
  while (key != "\\") {
    if (registry_->OpenKey(RegistryFullKey(key), false)) {
      TakeRegistryPath();
      return;
    }
    std::size_t cut = key.rfind('\\');
    key = cut == 0 || cut == AnsiString::npos ? AnsiString("\\") : key.substr(0, cut);
  }
  if (registry_->OpenKey(RegistryFullKey("\\"), true)) {
    TakeRegistryPath();
  } else {
    registryKey_ = "\\";
  }
}

bool TElIniFile::ReadRegistryValue(const AnsiString& key, const AnsiString& name, unsigned long& type,
                                   std::vector<Byte>& data) {
  KeyScope scope(*this);
  if (!OpenKey(key, false)) return false;
  HKEY hkey = registry_->CurrentKey();
  DWORD size = 0;
  DWORD t = 0;
  if (RegQueryValueExA(hkey, name.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return false;
  data.assign(size, 0);
  if (size > 0 && RegQueryValueExA(hkey, name.c_str(), nullptr, &t, data.data(), &size) != ERROR_SUCCESS)
    return false;
  data.resize(size);
  type = t;
  return true;
}

bool TElIniFile::DeleteRegistryKey(const AnsiString& key) {
  const AnsiString abs = RegistryAbsoluteKey(key);
  // The storage's root is never deleted: with the default Path that would
  // be every program's settings of the user.
  if (abs == "\\") return false;
  KeyScope scope(*this);
  registry_->CloseKey();
  const AnsiString full = RegistryFullKey(abs);
  if (!registry_->DeleteKey(full)) return false;
  // A key hides a value of the same name beside it; that value goes too.
  const std::size_t cut = full.rfind('\\');
  if (cut != AnsiString::npos && registry_->OpenKey(cut == 0 ? AnsiString("\\") : full.substr(0, cut), false))
    registry_->DeleteValue(full.substr(cut + 1));
  return true;
}

bool TElIniFile::ClearRegistryKey(const AnsiString& key) {
  // Emptying the root would wipe everything under Path, which by default is
  // the user's whole software branch.
  if (RegistryAbsoluteKey(key) == "\\") return false;
  KeyScope scope(*this);
  if (!OpenKey(key, false)) return false;
  const AnsiString abs = registryKey_;
  TStringList keys, values;
  registry_->GetKeyNames(&keys);
  registry_->GetValueNames(&values);
  for (int i = 0; i < values.Count(); ++i) registry_->DeleteValue(values.Strings(i));
  for (int i = 0; i < keys.Count(); ++i) DeleteRegistryKey(abs + "\\" + keys.Strings(i));
  return true;
}

bool TElIniFile::EnumRegistry(const AnsiString& key, TStrings* strings, bool keys) {
  KeyScope scope(*this);
  if (!OpenKey(key, true)) return false;
  TStringList keyNames;
  registry_->GetKeyNames(&keyNames);
  if (keys) {
    strings->AddStrings(&keyNames);
    return true;
  }
  // A value hidden by a key of the same name is not listed.
  TStringList valueNames;
  registry_->GetValueNames(&valueNames);
  for (int i = 0; i < valueNames.Count(); ++i)
    if (keyNames.IndexOf(valueNames.Strings(i)) < 0) strings->Add(valueNames.Strings(i));
  return true;
}
