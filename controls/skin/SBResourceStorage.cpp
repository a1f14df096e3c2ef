#include "SBResourceStorage.hpp"

#include <cstring>

#include "SysUtils.hpp"

namespace {

TResourceStorage* g_storage = nullptr;

// Loads a graphic of class G from the resource name, then from the fallback.
template <class G, class LoadFn>
G* LoadWithFallback(const std::string& name, const std::string& fallbackName, LoadFn load) {
  auto graphic = std::make_unique<G>();
  for (const std::string* n : {&name, &fallbackName}) {
    if (n->empty()) continue;
    try {
      load(*graphic, *n);
      return graphic.release();
    } catch (...) {
      // The next name, or nothing.
    }
  }
  return nullptr;
}

// Whether the name or the fallback names a resource of the type (raw data:
// one that starts with the PNG signature, when png is set).
bool HasResource(const std::string& name, const std::string& fallbackName, LPCSTR type, bool png = false) {
  static const char kPngSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1A', '\n'};
  for (const std::string* n : {&name, &fallbackName}) {
    if (n->empty()) continue;
    HRSRC resource = FindResourceA(HInstance, n->c_str(), type);
    if (!resource) continue;
    if (!png) return true;
    HGLOBAL loaded = LoadResource(HInstance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data && SizeofResource(HInstance, resource) >= sizeof kPngSignature &&
        std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0)
      return true;
  }
  return false;
}

// The first graphic that loads, bitmap, PNG, then JPEG, assigned into a new
// picture; an empty picture when none does. A loader runs only where its
// resource is there: each failed load raises, and the pictures of the first
// page are read while the program starts.
TPicture* LoadPicture(const std::string& name, const std::string& fallbackName) {
  auto picture = std::make_unique<TPicture>();
  std::unique_ptr<TGraphic> graphic;
  if (HasResource(name, fallbackName, MAKEINTRESOURCEA(2)))  // RT_BITMAP
    graphic.reset(LoadBitmapResource(name, fallbackName));
  if (!graphic && HasResource(name, fallbackName, MAKEINTRESOURCEA(10), true))  // RT_RCDATA
    graphic.reset(LoadPngResource(name, fallbackName));
  if (!graphic && HasResource(name, fallbackName, MAKEINTRESOURCEA(10)))
    graphic.reset(LoadJpegResource(name, fallbackName));
  if (graphic) picture->SetGraphic(graphic.get());
  return picture.release();
}

TResourceStorage* Storage() {
  if (!g_storage) g_storage = new TResourceStorage();
  return g_storage;
}

void DoneResourceStorage() { FreeAndNil(g_storage); }

}  // namespace

const TUnitInfo SBResourceStorageUnit{"SBResourceStorage", nullptr, &DoneResourceStorage};

TResourceStorage::TResourceStorage() = default;
TResourceStorage::~TResourceStorage() = default;

TPicture* TResourceStorage::Find(const std::string& name) {
  int index = names_.IndexOf(name);
  return index < 0 ? nullptr : static_cast<TPicture*>(pictures_.Items(index));
}

void TResourceStorage::Add(const std::string& name, TPicture* picture) {
  names_.Add(name);
  pictures_.Add(picture);
}

TResourceStorage* ResourceStorage() { return g_storage; }

TPicture* GetSharedPicture(const std::string& name, const std::string& fallbackName) {
  TResourceStorage* storage = Storage();
  if (TPicture* hit = storage->Find(name)) return hit;
  std::unique_ptr<TPicture> picture(LoadPicture(name, fallbackName));
  storage->Add(name, picture.get());
  return picture.release();
}

TPicture* GetPictureCopy(const std::string& name, const std::string& fallbackName) {
  if (TPicture* hit = Storage()->Find(name)) return CopyPicture(hit);
  return LoadPicture(name, fallbackName);
}

TBitmap* LoadBitmapResource(const std::string& name, const std::string& fallbackName) {
  return LoadWithFallback<TBitmap>(name, fallbackName, [](TBitmap& b, const std::string& n) {
    b.LoadFromResourceName(HInstance, n);
  });
}

TPNGObject* LoadPngResource(const std::string& name, const std::string& fallbackName) {
  return LoadWithFallback<TPNGObject>(name, fallbackName, [](TPNGObject& p, const std::string& n) {
    p.LoadFromResourceName(HInstance, n);
  });
}

TJPEGImage* LoadJpegResource(const std::string& name, const std::string& fallbackName) {
  return LoadWithFallback<TJPEGImage>(name, fallbackName, [](TJPEGImage& j, const std::string& n) {
    TResourceStream stream(HInstance, n, MAKEINTRESOURCEA(10));  // RT_RCDATA
    j.LoadFromStream(&stream);
  });
}

TPicture* CopyPicture(TPicture* picture) {
  auto copy = std::make_unique<TPicture>();
  if (picture) copy->Assign(picture);
  return copy.release();
}

TSkinPictures::TSkinPictures(std::initializer_list<TSlot> slots, const TNotifyEvent& onChange)
    : slots_(slots), onChange_(onChange) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    pictures_.push_back(new TPicture());
    pictures_.back()->OnChange = onChange_;
  }
}

TSkinPictures::~TSkinPictures() {
  if (!Own()) return;
  for (TPicture* picture : pictures_) picture->Free();
}

bool TSkinPictures::SetResource(const std::string& name) {
  if (name == resource_) return false;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    TPicture*& picture = pictures_[i];
    if (!name.empty()) {
      if (Own()) FreeAndNil(picture);
      const TSlot& slot = slots_[i];
      picture = GetSharedPicture(name + slot.Suffix,
                                 slot.FallbackSuffix ? name + slot.FallbackSuffix : std::string());
    } else {
      picture = CopyPicture(picture);
      picture->OnChange = onChange_;
    }
  }
  resource_ = name;
  return true;
}

bool TSkinPictures::Assign(std::size_t index, TPicture* value) {
  if (!Own()) return false;
  pictures_[index]->Assign(value);
  return true;
}
