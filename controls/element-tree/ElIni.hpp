// Hierarchical ini storage: typed values under a tree of keys, kept in a
// text file with nested section names, in a binary file of tagged records,
// or under a registry key.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "Classes.hpp"
#include "ElList.hpp"
#include "ElTools.hpp"
#include "System.hpp"

class TRegistry;
struct HKEY__;

CLASSLIB_EXCEPTION(EElIniError, Exception);

enum TRegRootType {
  rrtUnknown, rrtHKEY_CLASSES_ROOT, rrtHKEY_CURRENT_USER, rrtHKEY_LOCAL_MACHINE,
  rrtHKEY_USERS, rrtHKEY_CURRENT_CONFIG
};

// The kinds of value an entry holds; the numbers are the type bytes of the
// binary file.
enum TElValueType : Byte {
  evtUnknown = 0, evtBoolean = 1, evtInt = 2, evtString = 3, evtMultiString = 4,
  evtBinary = 5, evtPair = 6
};

// The deepest key a store holds: a file with a deeper section is refused
// as damaged, and no deeper key is made.
constexpr std::int32_t ElIniMaxKeyDepth = 512;

// One node of the tree: a key (children, no value) or a value. Freeing an
// entry frees everything below it without recursion, however deep.
class TElIniEntry : public TObject {
 public:
  TElIniEntry();
  ~TElIniEntry() override;

  // The children, owned, in order. Change them through SetParent,
  // DeleteChild and ClearChildren, which keep the index by name.
  TElList* Children() const { return children_.get(); }
  std::int32_t ChildCount() const { return children_->Count(); }
  TElIniEntry* Child(std::int32_t index) const;
  // The first child whose trimmed, upper-cased name matches; nullptr if
  // none. Found through an index, not by comparing every child.
  TElIniEntry* ChildByName(const AnsiString& name) const;
  // Takes the child out of the list and frees it with all below it.
  void DeleteChild(TElIniEntry* child);
  // Frees every child with all below it.
  void ClearChildren();

  TElIniEntry* Parent() const { return parent_; }
  // Leaves the old parent's list (without being freed) and joins the end of
  // the new one's.
  void SetParent(TElIniEntry* parent);
  // The number of keys from the root down to this entry (the root: 0).
  std::int32_t Depth() const;

  bool IsKey() const { return isKey_; }
  // Turning an entry into a key drops its value.
  void SetIsKey(bool isKey);
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name);

  TElValueType ValueType() const { return valueType_; }
  // Frees what the value owns; the type becomes evtUnknown.
  void ClearValue();
  // Clears the value and takes the type with its empty value (an empty list
  // for evtMultiString).
  void SetValueType(TElValueType type);

  bool BoolValue() const { return boolValue_ != 0; }
  void SetBoolValue(bool value);
  std::int32_t IntValue() const { return intValue_; }
  void SetIntValue(std::int32_t value);
  const AnsiString& StringValue() const { return stringValue_; }
  void SetStringValue(const AnsiString& value);
  // The list of an evtMultiString value (nullptr for other types).
  TStringList* ListValue() const { return listValue_.get(); }
  const std::vector<Byte>& Data() const { return data_; }
  std::int32_t DataSize() const { return dataSize_; }
  void SetData(const void* data, std::int32_t size);
  TElDottedPair PairValue() const { return MakeDottedPair(dataSize_, pairSecond_); }
  void SetPairValue(TElDottedPair pair);

 private:
  // The first child of each name key, and how many children share it.
  struct IndexSlot {
    TElIniEntry* First = nullptr;
    std::int32_t Count = 0;
  };
  void IndexChild(TElIniEntry* child);
  void UnindexChild(TElIniEntry* child);
  // Moves the children into Out, detached from this entry.
  void TakeChildren(std::vector<TElIniEntry*>& out);

  std::unique_ptr<TElList> children_;
  std::unordered_map<AnsiString, IndexSlot> index_;
  // The name as the index compares it: trimmed and upper-cased.
  AnsiString nameKey_;
  bool isKey_ = false;
  TElIniEntry* parent_ = nullptr;
  TElValueType valueType_ = evtUnknown;
  Byte boolValue_ = 0;
  std::int32_t intValue_ = 0;
  AnsiString stringValue_;
  std::unique_ptr<TStringList> listValue_;
  std::vector<Byte> data_;
  // The binary block's size; for a pair, its first number.
  std::int32_t dataSize_ = 0;
  std::int32_t pairSecond_ = 0;
  AnsiString name_;
};

class TElIniFile : public TComponent {
 public:
  explicit TElIniFile(TComponent* owner);
  ~TElIniFile() override;
  void BeforeDestruction() override;

  // ---- keys. A key is a path of names separated by Delimiter; one that
  // starts with the delimiter is absolute, otherwise it is relative to the
  // current key. Operations other than OpenKey leave the current key as it
  // was (or at its nearest remaining ancestor when they removed it).
  bool OpenKey(const AnsiString& key, bool canCreate);
  bool KeyExists(const AnsiString& key);
  // The current key path: the delimiter alone at the root.
  AnsiString CurrentKey() const;

  // ---- entries (file modes only; the registry mode raises EElIniError).
  // The named child of the key, or with an empty name the key itself
  // (nullptr for the root).
  virtual TElIniEntry* GetValueEntry(const AnsiString& key, const AnsiString& name);
  // The value entry of that name, created or with its value cleared;
  // nullptr when the key cannot be made or the name belongs to a key.
  TElIniEntry* CreateValue(const AnsiString& key, const AnsiString& name);
  virtual void SetValueType(const AnsiString& key, const AnsiString& name, TElValueType type);

  // ---- typed values. Reads answer whether the value was found; a value
  // that is missing or of another kind gives the default.
  bool ReadBool(const AnsiString& key, const AnsiString& name, bool defaultValue, bool& value);
  bool ReadInteger(const AnsiString& key, const AnsiString& name, std::int32_t defaultValue,
                   std::int32_t& value);
  bool ReadString(const AnsiString& key, const AnsiString& name, const AnsiString& defaultValue,
                  AnsiString& value);
  bool WriteBool(const AnsiString& key, const AnsiString& name, bool value);
  bool WriteInteger(const AnsiString& key, const AnsiString& name, std::int32_t value);
  // In the text format a name or a text with a line break, or a value line
  // that would begin with "[", is refused (False): it would come back as
  // other values or sections.
  bool WriteString(const AnsiString& key, const AnsiString& name, const AnsiString& value);

  // With a name, deletes that value; without one, the key itself. The root
  // is never deleted.
  bool Delete(const AnsiString& key, const AnsiString& name);
  virtual bool ClearKey(const AnsiString& key);
  // Add the names of the key's child keys / values to the list (a missing
  // key is created).
  bool EnumSubKeys(const AnsiString& key, TStrings* strings);
  bool EnumValues(const AnsiString& key, TStrings* strings);
  virtual bool RenameKey(const AnsiString& key, const AnsiString& newName);
  virtual bool RenameValue(const AnsiString& key, const AnsiString& name, const AnsiString& newName);

  // ---- files. Load answers False in the registry mode, for a damaged
  // binary file and for a file with a key deeper than ElIniMaxKeyDepth
  // (the store is then empty); Save answers False in the registry mode and
  // without a Path, and raises EElIniError, keeping the old file, when the
  // text format cannot hold a value (set through an entry or while in the
  // binary mode). File errors raise the stream exceptions after the
  // after-event.
  bool Load();
  bool Save();
  void Loaded() override;

  // ---- properties.
  bool BinaryMode() const { return binaryMode_; }
  void SetBinaryMode(bool value) { binaryMode_ = value; }
  const AnsiString& Comment() const { return comment_; }
  void SetComment(const AnsiString& value) { comment_ = value; }
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char value);
  char DivChar() const { return divChar_; }
  void SetDivChar(char value) { divChar_ = value; }
  bool LazyWrite() const { return lazyWrite_; }
  void SetLazyWrite(bool value);
  const AnsiString& Path() const { return path_; }
  void SetPath(const AnsiString& value);
  bool Simple() const { return simple_; }
  void SetSimple(bool value);
  TRegRootType RegRoot() const;
  void SetRegRoot(TRegRootType value);
  bool UseRegistry() const { return registry_ != nullptr; }
  void SetUseRegistry(bool value);
  const AnsiString& WarningMessage() const { return warningMessage_; }
  void SetWarningMessage(const AnsiString& value) { warningMessage_ = value; }
  // Set by every change, cleared by Save and by Load.
  bool Modified() const { return modified_; }

  TNotifyEvent OnBeforeSave;
  TNotifyEvent OnAfterLoad;
  TNotifyEvent OnBeforeLoad;
  TNotifyEvent OnAfterSave;

 protected:
  // Cuts a text line into name and text at the first DivChar outside
  // double quotes; an unquoted Comment ends the line. Nothing is trimmed.
  virtual void ParseLine(const AnsiString& line, AnsiString& name, bool& hasDiv, AnsiString& text);
  virtual void DoBeforeSave();
  virtual void DoAfterLoad();
  virtual void DoBeforeLoad();
  virtual void DoAfterSave();

 private:
  // Remembers the current key and opens it again when the operation is
  // done; a key the operation removed gives way to its nearest remaining
  // ancestor.
  class KeyScope {
   public:
    explicit KeyScope(TElIniFile& ini) : ini_(ini), saved_(ini.CurrentKey()) {}
    ~KeyScope() { ini_.RestoreKey(saved_); }
    KeyScope(const KeyScope&) = delete;
    KeyScope& operator=(const KeyScope&) = delete;

   private:
    TElIniFile& ini_;
    AnsiString saved_;
  };
  void RestoreKey(const AnsiString& key);

  // File modes.
  bool OpenFileKey(const AnsiString& key, bool canCreate);
  bool OpenSimpleKey(const AnsiString& key, bool canCreate);
  // Walks one name down from the current entry; a missing child is made
  // (and a value turned into a key) only with canCreate.
  // Depth is the current entry's; no key is made below ElIniMaxKeyDepth.
  bool StepInto(const AnsiString& name, bool canCreate, std::int32_t depth);
  AnsiString PathOf(const TElIniEntry* entry, bool leadingDelimiter) const;
  void ClearTree();
  void SaveAfterWrite();
  template <class Store>
  bool StoreValue(const AnsiString& key, const AnsiString& name, Store store);
  // Whether the text file can hold a value of that name and text: no line
  // break in either, and no value line that would read as a section.
  bool TextFileHolds(const AnsiString& name, const AnsiString& text) const;
  [[noreturn]] static void UnholdableValue(const AnsiString& name);
  template <class Write>
  bool StoreRegistryValue(const AnsiString& key, Write write);

  // Formats.
  void WriteText(TStream* stream);
  void WriteTextKey(TStream* stream, const TElIniEntry* key);
  // False for a file that no store could have written (a section deeper
  // than ElIniMaxKeyDepth).
  bool ReadText(TStream* stream);
  void ReadTextValue(TElIniEntry* section, std::int32_t lineNumber, const AnsiString& line);
  void WriteBinary(TStream* stream);
  void WriteBinaryKey(TStream* stream, const TElIniEntry* key);
  bool ReadBinary(const std::vector<Byte>& bytes);
  void WriteTo(TStream* stream);
  bool ReadFrom(TStream* stream);
  // Saves the tree to memory and loads it back under the new Simple value.
  void ConvertForSimple(bool simple);

  // Registry mode.
  bool OpenRegistryKey(const AnsiString& key, bool canCreate);
  // The absolute key path (in the storage's terms) of a key argument.
  AnsiString RegistryAbsoluteKey(const AnsiString& key) const;
  AnsiString RegistryFullKey(const AnsiString& absoluteKey) const;
  // Opens the path again, or its nearest existing ancestor, or the root.
  void ReopenRegistryKey(const AnsiString& absoluteKey);
  void TakeRegistryPath();
  bool ReadRegistryValue(const AnsiString& key, const AnsiString& name, unsigned long& type,
                         std::vector<Byte>& data);
  bool DeleteRegistryKey(const AnsiString& key);
  bool ClearRegistryKey(const AnsiString& key);
  bool EnumRegistry(const AnsiString& key, TStrings* strings, bool keys);
  static AnsiString NormalizeRegistryPath(const AnsiString& path);
  [[noreturn]] static void RegistryError(const char* message);

  bool binaryMode_ = false;
  AnsiString comment_ = ";";
  char delimiter_ = '\\';
  char divChar_ = '=';
  bool lazyWrite_ = true;
  AnsiString path_;
  bool simple_ = false;
  AnsiString warningMessage_ = "Automatically generated file. DO NOT MODIFY!!!";

  std::unique_ptr<TElIniEntry> root_;
  TElIniEntry* current_ = nullptr;
  // The current key in the registry mode (file modes derive it from
  // current_).
  AnsiString registryKey_;
  std::unique_ptr<TRegistry> registry_;
  HKEY__* regRoot_ = nullptr;
  bool modified_ = false;
  bool finalSaveDone_ = false;
};

// Publishes TElIniFile for forms. Programs list it after SysUtilsUnit.
extern const TUnitInfo ElIniUnit;
