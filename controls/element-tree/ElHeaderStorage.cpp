// The header's view settings in an ini storage: the header width and, per
// logical section number, its visibility, expansion, width, alignment and
// sort mode, under StoragePath + "ElHeader".
#include <string>

#include "ElHeader.hpp"
#include "ElIni.hpp"

namespace {

// The key never doubles the delimiter: the storage refuses empty names.
AnsiString HeaderKey(const AnsiString& path, char delimiter) {
  AnsiString key = path;
  if (key.empty() || key.back() != delimiter) key += delimiter;
  return key + "ElHeader";
}

AnsiString SectionKey(int index) { return "Section" + std::to_string(index); }

// Opens the key that was current again when the work is done.
class StorageKeyScope {
 public:
  explicit StorageKeyScope(TElIniFile* storage) : storage_(storage), saved_(storage->CurrentKey()) {}
  ~StorageKeyScope() {
    try {
      storage_->OpenKey(saved_, false);
    } catch (...) {
    }
  }
  StorageKeyScope(const StorageKeyScope&) = delete;
  StorageKeyScope& operator=(const StorageKeyScope&) = delete;

 private:
  TElIniFile* storage_;
  AnsiString saved_;
};

}  // namespace

void TCustomElHeader::SaveToStorage() {
  if (!storage_) return;
  StorageKeyScope scope(storage_);
  if (!storage_->OpenKey(HeaderKey(storagePath_, storage_->Delimiter()), true)) return;
  storage_->WriteInteger("", "Width", Width());
  TElHeaderSections* sections = Sections();
  for (int i = 0; i < sections->Count(); ++i) {
    const TElHeaderSection* s = sections->FindByIndex(i);
    if (!s) continue;
    const AnsiString key = SectionKey(i);
    storage_->WriteBool(key, "Visible", s->StoredVisible());
    storage_->WriteBool(key, "Expanded", s->Expanded());
    storage_->WriteInteger(key, "Width", s->Width());
    storage_->WriteInteger(key, "Align", s->Alignment());
    storage_->WriteInteger(key, "SortOrder", s->SortMode());
  }
}

void TCustomElHeader::RestoreFromStorage() {
  if (!storage_) return;
  {
    StorageKeyScope scope(storage_);
    if (!storage_->OpenKey(HeaderKey(storagePath_, storage_->Delimiter()), false)) return;
    layout_.BeginRestoring();
    struct EndRestoring {
      TElHeaderLayout& layout;
      ~EndRestoring() { layout.EndRestoring(); }
    } endRestoring{layout_};
    std::int32_t storedWidth = 0;
    storage_->ReadInteger("", "Width", Width(), storedWidth);
    TElHeaderSections* sections = Sections();
    for (int i = 0; i < sections->Count(); ++i) {
      TElHeaderSection* s = sections->FindByIndex(i);
      if (!s) continue;
      const AnsiString key = SectionKey(i);
      std::int32_t align = 0, width = 0, sortOrder = 0;
      bool visible = false, expanded = false;
      storage_->ReadInteger(key, "Align", 0, align);
      if (align >= hsaLeft && align <= hsaRight) s->SetAlignment(static_cast<TElSAlignment>(align));
      storage_->ReadBool(key, "Visible", s->StoredVisible(), visible);
      s->storedVisible_ = visible;
      storage_->ReadBool(key, "Expanded", s->Expanded(), expanded);
      s->SetExpanded(expanded);
      storage_->ReadInteger(key, "Width", s->Width(), width);
      // The width scaled by the header's growth, truncated; in integers, so
      // that 300 / 450 x 120 is 80 and not 79.99. A stored header width of 0
      // or less gives nothing to scale by.
      if (s->Resizable() && layout_.StickySections() && storedWidth > 0)
        width = static_cast<std::int32_t>(static_cast<Int64>(Width()) * width / storedWidth);
      s->SetWidth(width);
      storage_->ReadInteger(key, "SortOrder", s->SortMode(), sortOrder);
      if (sortOrder >= hsmNone && sortOrder <= hsmDescend) s->SetSortMode(static_cast<TElSSortMode>(sortOrder));
    }
  }
  if (layout_.StickySections()) layout_.ComputeShares();
  RepaintHeader();
}
