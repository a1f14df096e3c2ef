// The tree's view settings (font and sorting) in an ini storage, under a
// key made of the owning form's name and StoragePath; the header keeps its
// own settings under the same key.
#include "ElIni.hpp"
#include "ElTree.hpp"

namespace {

// Opens the key that was current again when the work is done.
class CurrentKeyScope {
 public:
  explicit CurrentKeyScope(TElIniFile* storage) : storage_(storage), saved_(storage->CurrentKey()) {}
  ~CurrentKeyScope() {
    try {
      storage_->OpenKey(saved_, false);
    } catch (...) {
    }
  }
  CurrentKeyScope(const CurrentKeyScope&) = delete;
  CurrentKeyScope& operator=(const CurrentKeyScope&) = delete;

 private:
  TElIniFile* storage_;
  AnsiString saved_;
};

// Whether an integer read back is a member of an enumeration of that many
// values, by its low byte.
bool LowByteIn(std::int32_t value, int count) { return (value & 0xFF) < count; }

}  // namespace

void TCustomElTree::SetStorage(TElIniFile* value) {
  if (value == FStorage) return;
  if (FStorage) FStorage->RemoveFreeNotification(this);
  FStorage = value;
  if (FStorage) FStorage->FreeNotification(this);
}

AnsiString TCustomElTree::StorageKey() const {
  const char delimiter = FStorage ? FStorage->Delimiter() : '\\';
  AnsiString key(1, delimiter);
  // The parts are joined by one delimiter, never two: the storage has no
  // key of an empty name.
  auto append = [&key, delimiter](const AnsiString& part) {
    size_t start = 0;
    while (start < part.size() && part[start] == delimiter) ++start;
    if (start == part.size()) return;
    if (key.back() != delimiter) key += delimiter;
    key.append(part, start, AnsiString::npos);
  };
  if (TForm* form = GetOwnerForm(const_cast<TCustomElTree*>(this))) append(form->Name());
  append(FStoragePath);
  return key;
}

void TCustomElTree::SaveToStorage() {
  if (!FStorage) return;
  CurrentKeyScope restore(FStorage);
  const AnsiString key = StorageKey();
  if (FHeader) {
    FHeader->SetStorage(FStorage);
    FHeader->SetStoragePath(key);
    FHeader->SaveToStorage();
  }
  if (!FStorage->OpenKey(key, true)) return;
  TFont* font = Font();
  FStorage->WriteInteger("", "FontSize", font->Size());
  FStorage->WriteInteger("", "FontColor", font->Color());
  FStorage->WriteString("", "FontName", font->Name());
  FStorage->WriteBool("", "FontBold", font->Style().Contains(fsBold));
  FStorage->WriteBool("", "FontItalic", font->Style().Contains(fsItalic));
  FStorage->WriteBool("", "FontUnderline", font->Style().Contains(fsUnderline));
  FStorage->WriteBool("", "FontStrikeout", font->Style().Contains(fsStrikeOut));
  FStorage->WriteInteger("", "SortType", FSortType);
  FStorage->WriteInteger("", "SortMode", FSortMode);
  FStorage->WriteInteger("", "SortDir", FSortDir);
  FStorage->WriteInteger("", "SortSection", FSortSection);
}

void TCustomElTree::RestoreFromStorage() {
  if (!FStorage) return;
  TElTreeUpdateScope update(this);
  const AnsiString key = StorageKey();
  if (FHeader) {
    FHeader->SetStorage(FStorage);
    FHeader->SetStoragePath(key);
    FHeader->RestoreFromStorage();
  }
  CurrentKeyScope restore(FStorage);
  if (!FStorage->OpenKey(key, false)) return;
  TFont* font = Font();
  std::int32_t number = 0;
  if (FStorage->ReadInteger("", "FontSize", font->Size(), number)) font->SetSize(number);
  if (FStorage->ReadInteger("", "FontColor", font->Color(), number)) font->SetColor(number);
  AnsiString name;
  if (FStorage->ReadString("", "FontName", font->Name(), name)) font->SetName(name);
  TFontStyles styles = font->Style();
  const std::pair<const char*, TFontStyle> styleValues[] = {
      {"FontBold", fsBold}, {"FontItalic", fsItalic}, {"FontUnderline", fsUnderline}, {"FontStrikeout", fsStrikeOut}};
  for (const auto& [valueName, style] : styleValues) {
    bool on = false;
    if (!FStorage->ReadBool("", valueName, styles.Contains(style), on)) continue;
    if (on)
      styles.Include(style);
    else
      styles.Exclude(style);
  }
  if (styles != font->Style()) font->SetStyle(styles);
  // The sort settings go to the fields: nothing is sorted again and the
  // multi-column list stays. A value its setting cannot take keeps the
  // setting as it is.
  if (FStorage->ReadInteger("", "SortType", FSortType, number) && LowByteIn(number, stCurrency + 1))
    FSortType = static_cast<TSortTypes>(number & 0xFF);
  if (FStorage->ReadInteger("", "SortMode", FSortMode, number) && LowByteIn(number, smAddClick + 1))
    FSortMode = static_cast<TSortModes>(number & 0xFF);
  if (FStorage->ReadInteger("", "SortDir", FSortDir, number) && LowByteIn(number, sdDescend + 1))
    FSortDir = static_cast<TSortDirs>(number & 0xFF);
  if (FStorage->ReadInteger("", "SortSection", FSortSection, number) && number >= -1) FSortSection = number;
}
