#include "ElIni.hpp"

#include <cstring>

#include "Registry.hpp"
#include "Streaming.hpp"
#include "SysUtils.hpp"

// ---------------------------------------------------------------- entries

TElIniEntry::TElIniEntry() : children_(std::make_unique<TElList>()) {
  // Deleting a child frees it; Remove (used to move an entry) does not.
  children_->SetAutoClearObjects(true);
}

TElIniEntry::~TElIniEntry() {
  ClearChildren();
  if (parent_) parent_->UnindexChild(this);
}

TElIniEntry* TElIniEntry::Child(std::int32_t index) const {
  return static_cast<TElIniEntry*>(children_->Get(index));
}

namespace {

AnsiString NameKey(const AnsiString& name) { return AnsiUpperCase(Trim(name)); }

}  // namespace

TElIniEntry* TElIniEntry::ChildByName(const AnsiString& name) const {
  auto found = index_.find(NameKey(name));
  return found == index_.end() ? nullptr : found->second.First;
}

void TElIniEntry::IndexChild(TElIniEntry* child) {
  IndexSlot& slot = index_[child->nameKey_];
  ++slot.Count;
  // The list order decides which of two equal names is found; an entry
  // renamed in place may stand before the one found so far.
  if (!slot.First || children_->IndexOf(child) < children_->IndexOf(slot.First)) slot.First = child;
}

void TElIniEntry::UnindexChild(TElIniEntry* child) {
  auto found = index_.find(child->nameKey_);
  if (found == index_.end()) return;
  IndexSlot& slot = found->second;
  if (--slot.Count <= 0) {
    index_.erase(found);
    return;
  }
  if (slot.First != child) return;
  slot.First = nullptr;
  for (std::int32_t i = 0; i < children_->Count() && !slot.First; ++i) {
    TElIniEntry* other = Child(i);
    if (other != child && other->nameKey_ == child->nameKey_) slot.First = other;
  }
}

void TElIniEntry::SetName(const AnsiString& name) {
  if (parent_) parent_->UnindexChild(this);
  name_ = name;
  nameKey_ = NameKey(name);
  if (parent_) parent_->IndexChild(this);
}

void TElIniEntry::SetParent(TElIniEntry* parent) {
  if (parent_) {
    parent_->UnindexChild(this);
    parent_->children_->Remove(this);
  }
  parent_ = parent;
  if (parent_) {
    parent_->children_->Add(this);
    parent_->IndexChild(this);
  }
}

std::int32_t TElIniEntry::Depth() const {
  std::int32_t depth = 0;
  for (const TElIniEntry* e = parent_; e; e = e->parent_) ++depth;
  return depth;
}

void TElIniEntry::DeleteChild(TElIniEntry* child) {
  if (!child || child->parent_ != this) return;
  child->SetParent(nullptr);
  child->Free();
}

void TElIniEntry::TakeChildren(std::vector<TElIniEntry*>& out) {
  for (std::int32_t i = 0; i < children_->Count(); ++i) {
    TElIniEntry* child = Child(i);
    child->parent_ = nullptr;
    out.push_back(child);
  }
  children_->SetAutoClearObjects(false);
  children_->Clear();
  children_->SetAutoClearObjects(true);
  index_.clear();
}

// The whole subtree is gathered level by level and then freed entry by
// entry, each with no children left: a chain of keys thousands deep frees
// without a call per level.
void TElIniEntry::ClearChildren() {
  if (children_->Count() == 0) return;
  std::vector<TElIniEntry*> doomed;
  TakeChildren(doomed);
  for (std::size_t i = 0; i < doomed.size(); ++i) doomed[i]->TakeChildren(doomed);
  for (TElIniEntry* entry : doomed) entry->Free();
}

void TElIniEntry::SetIsKey(bool isKey) {
  if (isKey) ClearValue();
  isKey_ = isKey;
}

void TElIniEntry::ClearValue() {
  stringValue_.clear();
  listValue_.reset();
  data_.clear();
  data_.shrink_to_fit();
  boolValue_ = 0;
  intValue_ = 0;
  dataSize_ = 0;
  pairSecond_ = 0;
  valueType_ = evtUnknown;
}

void TElIniEntry::SetValueType(TElValueType type) {
  ClearValue();
  valueType_ = type;
  if (type == evtMultiString) listValue_ = std::make_unique<TStringList>();
}

void TElIniEntry::SetBoolValue(bool value) {
  SetValueType(evtBoolean);
  boolValue_ = value ? 1 : 0;
}

void TElIniEntry::SetIntValue(std::int32_t value) {
  SetValueType(evtInt);
  intValue_ = value;
}

void TElIniEntry::SetStringValue(const AnsiString& value) {
  SetValueType(evtString);
  stringValue_ = value;
}

void TElIniEntry::SetData(const void* data, std::int32_t size) {
  SetValueType(evtBinary);
  if (size > 0) data_.assign(static_cast<const Byte*>(data), static_cast<const Byte*>(data) + size);
  dataSize_ = size > 0 ? size : 0;
}

void TElIniEntry::SetPairValue(TElDottedPair pair) {
  SetValueType(evtPair);
  dataSize_ = DottedPairFirst(pair);
  pairSecond_ = DottedPairSecond(pair);
}

// ---------------------------------------------------------------- life

TElIniFile::TElIniFile(TComponent* owner)
    : TComponent(owner), root_(std::make_unique<TElIniEntry>()), current_(root_.get()) {
  root_->SetIsKey(true);
  registryKey_ = "\\";
  regRoot_ = HKEY_CURRENT_USER;
}

void TElIniFile::BeforeDestruction() {
  // The last lazy save runs while the object is whole, so that overridden
  // event operations still see it; a failure must not stop the destruction.
  if (!finalSaveDone_) {
    finalSaveDone_ = true;
    if (lazyWrite_ && modified_) {
      try {
        Save();
      } catch (const std::exception&) {
      }
    }
  }
  TComponent::BeforeDestruction();
}

TElIniFile::~TElIniFile() {
  if (!finalSaveDone_ && lazyWrite_ && modified_) {
    finalSaveDone_ = true;
    try {
      Save();
    } catch (const std::exception&) {
    }
  }
  current_ = nullptr;
}

void TElIniFile::Loaded() {
  TComponent::Loaded();
  if (path_.empty() || registry_) return;
  try {
    Load();
  } catch (const std::exception&) {
    // A form that names a missing or unreadable file still loads.
  }
}

// ---------------------------------------------------------------- keys

AnsiString TElIniFile::PathOf(const TElIniEntry* entry, bool leadingDelimiter) const {
  AnsiString path;
  for (const TElIniEntry* e = entry; e && e != root_.get(); e = e->Parent())
    path = path.empty() ? e->Name() : e->Name() + delimiter_ + path;
  return leadingDelimiter ? AnsiString(1, delimiter_) + path : path;
}

AnsiString TElIniFile::CurrentKey() const {
  if (registry_) return registryKey_;
  return PathOf(current_, true);
}

bool TElIniFile::OpenKey(const AnsiString& key, bool canCreate) {
  if (registry_) return OpenRegistryKey(key, canCreate);
  if (simple_) return OpenSimpleKey(key, canCreate);
  return OpenFileKey(key, canCreate);
}

void TElIniFile::RestoreKey(const AnsiString& key) {
  if (registry_)
    ReopenRegistryKey(key);
  else
    OpenKey(key, false);
}

bool TElIniFile::KeyExists(const AnsiString& key) {
  KeyScope scope(*this);
  return OpenKey(key, false);
}

bool TElIniFile::StepInto(const AnsiString& name, bool canCreate, std::int32_t depth) {
  TElIniEntry* child = current_->ChildByName(name);
  if (!child) {
    if (!canCreate || depth >= ElIniMaxKeyDepth) return false;
    child = new TElIniEntry();
    child->SetName(name);
    child->SetIsKey(true);
    child->SetParent(current_);
    modified_ = true;
  } else if (!child->IsKey()) {
    if (!canCreate) return false;
    child->SetIsKey(true);
    modified_ = true;
  }
  current_ = child;
  return true;
}

bool TElIniFile::OpenFileKey(const AnsiString& key, bool canCreate) {
  if (key.empty() || AnsiSameText(key, CurrentKey())) return true;
  AnsiString rest = key;
  if (rest[0] == delimiter_) {
    current_ = root_.get();
    rest.erase(0, 1);
  }
  if (!rest.empty() && rest.back() == delimiter_) rest.pop_back();
  if (rest.empty()) return true;
  // On failure the walk stays where it stopped; callers restore the key.
  std::int32_t depth = current_->Depth();
  std::size_t pos = 0;
  for (;; ++depth) {
    std::size_t next = rest.find(delimiter_, pos);
    AnsiString name = rest.substr(pos, next == AnsiString::npos ? AnsiString::npos : next - pos);
    if (name.empty() || !StepInto(name, canCreate, depth)) return false;
    if (next == AnsiString::npos) return true;
    pos = next + 1;
  }
}

bool TElIniFile::OpenSimpleKey(const AnsiString& key, bool canCreate) {
  if (key.empty() || AnsiSameText(key, CurrentKey())) return true;
  AnsiString name = key[0] == delimiter_ ? key.substr(1) : key;
  current_ = root_.get();
  if (name.empty()) return true;
  return StepInto(name, canCreate, 0);
}

// ---------------------------------------------------------------- entries

TElIniEntry* TElIniFile::GetValueEntry(const AnsiString& key, const AnsiString& name) {
  if (registry_) RegistryError("GetValueEntry method is not available when using registry.");
  KeyScope scope(*this);
  if (!OpenKey(key, false)) return nullptr;
  if (name.empty()) return current_ == root_.get() ? nullptr : current_;
  return current_->ChildByName(name);
}

TElIniEntry* TElIniFile::CreateValue(const AnsiString& key, const AnsiString& name) {
  if (registry_) RegistryError("CreateValue method is not available when using registry.");
  KeyScope scope(*this);
  if (!OpenKey(key, true)) return nullptr;
  TElIniEntry* entry = current_->ChildByName(name);
  // A name is either a key or a value: writing a value never destroys a
  // key with everything below it.
  if (entry && entry->IsKey()) return nullptr;
  if (entry) {
    entry->ClearValue();
  } else {
    entry = new TElIniEntry();
    entry->SetName(name);
    entry->SetParent(current_);
  }
  modified_ = true;
  return entry;
}

void TElIniFile::SetValueType(const AnsiString& key, const AnsiString& name, TElValueType type) {
  if (registry_) RegistryError("SetValueType method is not available when using registry.");
  if (TElIniEntry* entry = CreateValue(key, name)) {
    entry->SetValueType(type);
    modified_ = true;
  }
}

// ---------------------------------------------------------------- typed values

bool TElIniFile::ReadBool(const AnsiString& key, const AnsiString& name, bool defaultValue, bool& value) {
  value = defaultValue;
  if (registry_) {
    unsigned long type = 0;
    std::vector<Byte> data;
    if (!ReadRegistryValue(key, name, type, data) || type != REG_DWORD || data.size() != 4) return false;
    std::int32_t n = 0;
    std::memcpy(&n, data.data(), 4);
    value = n != 0;
    return true;
  }
  const TElIniEntry* entry = GetValueEntry(key, name);
  if (!entry) return false;
  if (entry->ValueType() == evtBoolean) {
    value = entry->BoolValue();
    return true;
  }
  if (entry->ValueType() == evtInt) {
    value = entry->IntValue() != 0;
    return true;
  }
  return false;
}

bool TElIniFile::ReadInteger(const AnsiString& key, const AnsiString& name, std::int32_t defaultValue,
                             std::int32_t& value) {
  value = defaultValue;
  if (registry_) {
    unsigned long type = 0;
    std::vector<Byte> data;
    if (!ReadRegistryValue(key, name, type, data) || type != REG_DWORD || data.size() != 4) return false;
    std::memcpy(&value, data.data(), 4);
    return true;
  }
  const TElIniEntry* entry = GetValueEntry(key, name);
  if (!entry) return false;
  if (entry->ValueType() == evtInt) {
    value = entry->IntValue();
    return true;
  }
  // A number kept as text is converted, but does not count as found.
  if (entry->ValueType() == evtString) value = StrToIntDef(entry->StringValue(), defaultValue);
  return false;
}

namespace {

// The registry's texts: REG_SZ and REG_EXPAND_SZ up to their terminator,
// REG_MULTI_SZ with its items on lines of their own, numbers in decimal and
// binary data as hex data text.
bool RegistryValueText(unsigned long type, const std::vector<Byte>& data, AnsiString& text) {
  const char* chars = reinterpret_cast<const char*>(data.data());
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      AnsiString s(chars, data.size());
      text = s.substr(0, s.find('\0'));
      return true;
    }
    case REG_MULTI_SZ: {
      text.clear();
      std::size_t pos = 0;
      while (pos < data.size() && chars[pos] != '\0') {
        std::size_t end = pos;
        while (end < data.size() && chars[end] != '\0') ++end;
        if (!text.empty()) text += "\r\n";
        text.append(chars + pos, end - pos);
        pos = end + 1;
      }
      return true;
    }
    case REG_DWORD: {
      if (data.size() != 4) return false;
      std::int32_t n = 0;
      std::memcpy(&n, data.data(), 4);
      text = IntToStr(n);
      return true;
    }
    case REG_BINARY:
      DataToHexString(data.data(), static_cast<std::int32_t>(data.size()), text);
      return true;
    default:
      return false;
  }
}

bool EntryText(const TElIniEntry& entry, AnsiString& text) {
  switch (entry.ValueType()) {
    case evtMultiString: text = entry.ListValue()->Text(); return true;
    case evtString: text = entry.StringValue(); return true;
    case evtInt: text = IntToStr(entry.IntValue()); return true;
    case evtBoolean: text = entry.BoolValue() ? "true" : "false"; return true;
    case evtBinary: DataToHexString(entry.Data().data(), entry.DataSize(), text); return true;
    // A pair reads as the text it was written from ("2.0" stays "2.0").
    case evtPair: FormatDottedPair(text, entry.PairValue()); return true;
    default: return false;
  }
}

}  // namespace

bool TElIniFile::ReadString(const AnsiString& key, const AnsiString& name, const AnsiString& defaultValue,
                            AnsiString& value) {
  value = defaultValue;
  if (registry_) {
    unsigned long type = 0;
    std::vector<Byte> data;
    AnsiString text;
    if (!ReadRegistryValue(key, name, type, data) || !RegistryValueText(type, data, text)) return false;
    value = text;
    return true;
  }
  const TElIniEntry* entry = GetValueEntry(key, name);
  AnsiString text;
  if (!entry || !EntryText(*entry, text)) return false;
  value = text;
  return true;
}

void TElIniFile::SaveAfterWrite() {
  if (!lazyWrite_) Save();
}

template <class Store>
bool TElIniFile::StoreValue(const AnsiString& key, const AnsiString& name, Store store) {
  TElIniEntry* entry = CreateValue(key, name);
  if (!entry) return false;
  store(entry);
  modified_ = true;
  SaveAfterWrite();
  return true;
}

bool TElIniFile::WriteBool(const AnsiString& key, const AnsiString& name, bool value) {
  if (registry_) return WriteInteger(key, name, value ? 1 : 0);
  if (simple_) return false;
  return StoreValue(key, name, [value](TElIniEntry* e) { e->SetBoolValue(value); });
}

template <class Write>
bool TElIniFile::StoreRegistryValue(const AnsiString& key, Write write) {
  KeyScope scope(*this);
  if (!OpenKey(key, true)) return false;
  try {
    write(*registry_);
    return true;
  } catch (const ERegistryException&) {
    return false;
  }
}

bool TElIniFile::WriteInteger(const AnsiString& key, const AnsiString& name, std::int32_t value) {
  if (registry_) return StoreRegistryValue(key, [&](TRegistry& r) { r.WriteInteger(name, value); });
  return StoreValue(key, name, [value](TElIniEntry* e) { e->SetIntValue(value); });
}

bool TElIniFile::WriteString(const AnsiString& key, const AnsiString& name, const AnsiString& value) {
  if (registry_) return StoreRegistryValue(key, [&](TRegistry& r) { r.WriteString(name, value); });
  if (!binaryMode_ && !TextFileHolds(name, value)) return false;
  return StoreValue(key, name, [&value](TElIniEntry* e) { e->SetStringValue(value); });
}

// ---------------------------------------------------------------- delete, clear, rename

bool TElIniFile::Delete(const AnsiString& key, const AnsiString& name) {
  if (registry_) {
    if (name.empty()) return DeleteRegistryKey(key);
    KeyScope scope(*this);
    return OpenKey(key, false) && registry_->DeleteValue(name);
  }
  KeyScope scope(*this);
  if (!OpenKey(key, false)) return false;
  TElIniEntry* doomed = name.empty() ? current_ : current_->ChildByName(name);
  // A value name never takes a key with it, and the root stays.
  if (!doomed || doomed == root_.get() || (!name.empty() && doomed->IsKey())) return false;
  TElIniEntry* parent = doomed->Parent();
  if (doomed == current_) current_ = parent;
  parent->DeleteChild(doomed);
  modified_ = true;
  return true;
}

bool TElIniFile::ClearKey(const AnsiString& key) {
  if (registry_) return ClearRegistryKey(key);
  KeyScope scope(*this);
  if (!OpenKey(key, false)) return false;
  current_->ClearChildren();
  modified_ = true;
  SaveAfterWrite();
  return true;
}

bool TElIniFile::EnumSubKeys(const AnsiString& key, TStrings* strings) {
  if (registry_) return EnumRegistry(key, strings, true);
  KeyScope scope(*this);
  if (!OpenKey(key, true)) return false;
  for (std::int32_t i = 0; i < current_->ChildCount(); ++i)
    if (current_->Child(i)->IsKey()) strings->Add(current_->Child(i)->Name());
  return true;
}

bool TElIniFile::EnumValues(const AnsiString& key, TStrings* strings) {
  if (registry_) return EnumRegistry(key, strings, false);
  KeyScope scope(*this);
  if (!OpenKey(key, true)) return false;
  for (std::int32_t i = 0; i < current_->ChildCount(); ++i)
    if (!current_->Child(i)->IsKey()) strings->Add(current_->Child(i)->Name());
  return true;
}

bool TElIniFile::RenameKey(const AnsiString& key, const AnsiString& newName) {
  if (registry_) RegistryError("Key can not be renamed when using registry.");
  // Nothing is removed, so the current entry itself is kept: a renamed
  // current key (or one below a renamed key) stays current under its new
  // path.
  TElIniEntry* const saved = current_;
  const bool opened = OpenKey(key, false);
  TElIniEntry* const entry = current_;
  current_ = saved;
  if (!opened || entry == root_.get()) return false;
  if (newName.empty() || newName.find(delimiter_) != AnsiString::npos) return false;
  TElIniEntry* same = entry->Parent()->ChildByName(newName);
  if (same && same != entry) return false;
  entry->SetName(newName);
  modified_ = true;
  return true;
}

bool TElIniFile::RenameValue(const AnsiString& key, const AnsiString& name, const AnsiString& newName) {
  if (registry_) {
    KeyScope scope(*this);
    if (!OpenKey(key, false)) return false;
    try {
      if (!registry_->ValueExists(name) || registry_->ValueExists(newName)) return false;
      registry_->RenameValue(name, newName);
      return registry_->ValueExists(newName);
    } catch (const std::exception&) {
      return false;
    }
  }
  KeyScope scope(*this);
  if (!OpenKey(key, false)) return false;
  TElIniEntry* entry = current_->ChildByName(name);
  if (!entry || entry->IsKey() || newName.find(delimiter_) != AnsiString::npos) return false;
  TElIniEntry* same = current_->ChildByName(newName);
  if (same && same != entry) return false;
  entry->SetName(newName);
  modified_ = true;
  return true;
}

// ---------------------------------------------------------------- events

void TElIniFile::DoBeforeSave() { OnBeforeSave(this); }
void TElIniFile::DoAfterLoad() { OnAfterLoad(this); }
void TElIniFile::DoBeforeLoad() { OnBeforeLoad(this); }
void TElIniFile::DoAfterSave() { OnAfterSave(this); }

// ---------------------------------------------------------------- load and save

void TElIniFile::ClearTree() {
  root_->ClearChildren();
  current_ = root_.get();
}

namespace {

// Runs the after-event on every way out, a raised exception included.
template <class After>
class AfterEvent {
 public:
  explicit AfterEvent(After after) : after_(after) {}
  ~AfterEvent() noexcept(false) {
    if (std::uncaught_exceptions() == count_) {
      after_();
    } else {
      try {
        after_();
      } catch (...) {
      }
    }
  }

 private:
  After after_;
  int count_ = std::uncaught_exceptions();
};

// The temporary file beside the target, so that the final rename stays on
// one volume.
AnsiString TemporaryFileBeside(const AnsiString& fileName) {
  AnsiString folder = ExtractFilePath(fileName);
  AnsiString name;
  TempFileNameFromGUID(folder.empty() ? AnsiString(".\\") : folder, name);
  return name + ".tmp";
}

// Replaces the target with the written file. Windows 9x has no MoveFileEx:
// there the old file goes first.
void ReplaceFileWith(const AnsiString& temporary, const AnsiString& target) {
  if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
  DWORD error = GetLastError();
  if (error == ERROR_CALL_NOT_IMPLEMENTED) {
    ::DeleteFileA(target.c_str());
    if (MoveFileA(temporary.c_str(), target.c_str())) return;
    error = GetLastError();
  }
  throw EFCreateError(Format("Cannot create file \"%s\". %s", {target, SysErrorMessage(error)}));
}

}  // namespace

bool TElIniFile::Load() {
  if (registry_) return false;
  DoBeforeLoad();
  AfterEvent after([this] { DoAfterLoad(); });
  ClearTree();
  // A store that was only read has nothing to write back, and a damaged
  // file leaves an empty store: a lazy store never overwrites the file it
  // could not read.
  auto finish = [this](bool ok) {
    if (!ok) ClearTree();
    current_ = root_.get();
    modified_ = false;
  };
  bool ok = false;
  try {
    TFileStream stream(path_, fmOpenRead | fmShareDenyWrite);
    ok = ReadFrom(&stream);
  } catch (...) {
    finish(false);
    throw;
  }
  finish(ok);
  return ok;
}

bool TElIniFile::Save() {
  DoBeforeSave();
  AfterEvent after([this] { DoAfterSave(); });
  if (registry_ || path_.empty()) return false;
  // The new contents go to a file of their own first: a failure part way
  // leaves the old file as it was.
  const AnsiString temporary = TemporaryFileBeside(path_);
  try {
    {
      TFileStream stream(temporary, fmCreate);
      WriteTo(&stream);
      FlushFileBuffers(static_cast<HANDLE>(stream.Handle()));
    }
    ReplaceFileWith(temporary, path_);
  } catch (...) {
    ::DeleteFileA(temporary.c_str());
    throw;
  }
  modified_ = false;
  return true;
}

void TElIniFile::ConvertForSimple(bool simple) {
  TMemoryStream stream;
  WriteTo(&stream);
  const bool wasModified = modified_;
  simple_ = simple;
  // Going to one level, the nested section names become single names.
  const char delimiter = delimiter_;
  if (simple) delimiter_ = '\0';
  ClearTree();
  stream.SetPosition(0);
  try {
    ReadFrom(&stream);
  } catch (...) {
    delimiter_ = delimiter;
    throw;
  }
  delimiter_ = delimiter;
  current_ = root_.get();
  modified_ = wasModified;
}

// ---------------------------------------------------------------- properties

void TElIniFile::SetDelimiter(char value) {
  if (registry_ && value != '\\') RegistryError("Changing delimiter is not available when using registry.");
  if (value == delimiter_) return;
  delimiter_ = value;
  // The current key path follows from the entries, so it takes the new
  // delimiter by itself.
  SaveAfterWrite();
}

void TElIniFile::SetLazyWrite(bool value) {
  lazyWrite_ = value;
  if (registry_) registry_->SetLazyWrite(value);
}

void TElIniFile::SetSimple(bool value) {
  if (value == simple_) return;
  if (registry_) {
    simple_ = value;
    return;
  }
  ConvertForSimple(value);
}

void TElIniFile::SetPath(const AnsiString& value) {
  if (!registry_) {
    path_ = value;
    return;
  }
  AnsiString path = NormalizeRegistryPath(value);
  registry_->CloseKey();
  if (registry_->OpenKey(path, true)) {
    path_ = path;
    registryKey_ = "\\";
  }
  ReopenRegistryKey(registryKey_);
}

// ---------------------------------------------------------------- publishing

namespace {

void PublishIniFile() {
  RegisterEnumNames<TRegRootType>({"rrtUnknown", "rrtHKEY_CLASSES_ROOT", "rrtHKEY_CURRENT_USER",
                                   "rrtHKEY_LOCAL_MACHINE", "rrtHKEY_USERS", "rrtHKEY_CURRENT_CONFIG"});
  using T = TElIniFile;
  auto charText = [](char c) { return AnsiString(1, c); };
  Publish<T, TComponent>()
      .Property("BinaryMode", &T::BinaryMode, &T::SetBinaryMode)
      .Property("Comment", &T::Comment, &T::SetComment)
      // Characters are stored as one-character strings.
      .Property("Delimiter", [charText](T* o) { return charText(o->Delimiter()); },
                [](T* o, const AnsiString& s) { o->SetDelimiter(s.empty() ? '\0' : s[0]); })
      .Property("DivChar", [charText](T* o) { return charText(o->DivChar()); },
                [](T* o, const AnsiString& s) { o->SetDivChar(s.empty() ? '\0' : s[0]); }, AnsiString("="))
      .Property("LazyWrite", &T::LazyWrite, &T::SetLazyWrite, true)
      .Property("Path", &T::Path, &T::SetPath)
      .Property("Simple", &T::Simple, &T::SetSimple, false)
      .Property("RegRoot", &T::RegRoot, &T::SetRegRoot)
      .Property("UseRegistry", &T::UseRegistry, &T::SetUseRegistry, false)
      .Property("WarningMessage", &T::WarningMessage, &T::SetWarningMessage)
      .Property("OnBeforeSave", [](T* o) { return o->OnBeforeSave; },
                [](T* o, const TNotifyEvent& e) { o->OnBeforeSave = e; })
      .Property("OnAfterLoad", [](T* o) { return o->OnAfterLoad; },
                [](T* o, const TNotifyEvent& e) { o->OnAfterLoad = e; })
      .Property("OnBeforeLoad", [](T* o) { return o->OnBeforeLoad; },
                [](T* o, const TNotifyEvent& e) { o->OnBeforeLoad = e; })
      .Property("OnAfterSave", [](T* o) { return o->OnAfterSave; },
                [](T* o, const TNotifyEvent& e) { o->OnAfterSave = e; });
}

}  // namespace

const TUnitInfo ElIniUnit{"ElIni", &PublishIniFile, nullptr};
